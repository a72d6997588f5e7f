// The ATF1502AS/ASV package model: which of the 44 pins carry which of the 32
// macrocells, where the dedicated inputs, power and JTAG pins sit in PLCC44
// and TQFP44, and how the macrocells chain for cascading. Semantic analysis
// checks pin assignments against it; the fitter places outputs with it.
#pragma once

#include "devices/cpld/lab.h"
#include "devices/gal/device-model.h"

#include <string>
#include <vector>

namespace gsmith {

struct ATF1502Macrocell {
  int number = 0;
  ATF1502LAB lab = ATF1502LAB::A;
  int pin = 0;
  int feedbackNode = 0;
  int padNode = 0;
  int productTermCount = 0;
};

class ATF1502Device : public DeviceModel {
public:
  static constexpr int kMacrocellCount = 32;

  // An empty package means PLCC44; anything but "PLCC44" or "TQFP44" is refused.
  explicit ATF1502Device(const std::string &package);

  int packagePinCount() const override { return 44; }
  const char *packageName() const override { return package_.c_str(); }
  bool isIOPin(int pin) const override { return macrocellForPin(pin) != nullptr; }
  bool isDedicatedInputPin(int pin) const override;
  bool isPowerPin(int pin) const override;
  bool isJTAGPin(int pin) const override;
  int globalClockPin(ClockSource clock) const override;
  int globalOEPin(GlobalOEPin oe) const override;
  int globalClearPin() const override;

  const std::vector<ATF1502Macrocell> &macrocells() const { return macrocells_; }
  const ATF1502Macrocell *macrocellForPin(int pin) const;

  // The macrocell that lends terms to macrocell n: -1 outside 1..32, 0 at the
  // start of a chain of eight.
  static int cascadeSourceForMacrocell(int n);
  static bool canCascade(int n);
  static int maxProductTermsForMacrocell(int n);
  // Macrocells 4, 9, 20 and 25, whose pins are the JTAG pins in both
  // packages; they never carry logic nor lend product terms.
  static bool isJTAGMacrocell(int n);

  // The PLCC44 number of a pin of the named package (the identity for every
  // package but "TQFP44"; 0 for a pin outside 1..44).
  static int plcc44Pin(const std::string &package, int pin);

private:
  bool isTQFP44() const;

  std::string package_;
  std::vector<ATF1502Macrocell> macrocells_;
};

} // namespace gsmith
