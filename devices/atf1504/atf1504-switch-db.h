// The 160 switch-matrix (UIM) multiplexers of the ATF1504: which LAB each
// belongs to, where its nine one-hot-low selection fuses lie and which
// physical source each fuse selects. The self-checks run on any copy of the
// selection table so that a corrupted table can be shown to fail.
#pragma once

#include "devices/cpld/lab.h"

#include <string>
#include <vector>

namespace gsmith {

struct ATF1504SwitchSelection {
  int switchNumber = 0;
  std::string source;
  int offset = 0;
};

class ATF1504SwitchDB {
public:
  static constexpr int kSwitchCount = 160;
  static constexpr int kSwitchesPerLAB = 40;
  static constexpr int kSelectionsPerSwitch = 9;
  static constexpr int kFirstFuse = 32640;
  static constexpr int kSecondHalfFuse = 33360;
  static constexpr int kLastFuse = 34079;

  // 1440 entries, ordered by switch number, then offset.
  static const std::vector<ATF1504SwitchSelection> &selections();

  static int switchOffset(int switchNumber);
  static int selectionFuse(int switchNumber, const std::string &source);
  static bool supportsSource(int switchNumber, const std::string &source);
  static int selectionCount(int switchNumber);

  static bool isLABASwitch(int switchNumber);
  static bool isLABBSwitch(int switchNumber);
  static bool isLABCSwitch(int switchNumber);
  static bool isLABDSwitch(int switchNumber);
  static bool isLABSwitch(ATF1502LAB lab, int switchNumber);
  // The LAB's 40 switches in ascending order.
  static std::vector<int> switchesOfLAB(ATF1502LAB lab);

  static bool validateLAB(ATF1502LAB lab, const std::vector<ATF1504SwitchSelection> &table);
  static bool validateAll(const std::vector<ATF1504SwitchSelection> &table);
  static bool validateLABA();
  static bool validateLABB();
  static bool validateLABC();
  static bool validateLABD();
  static bool validateAll();
};

} // namespace gsmith
