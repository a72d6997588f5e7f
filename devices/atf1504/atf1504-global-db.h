// The ATF1504 global multiplexers: the six global output-enable selectors
// (nine one-hot-low fuses each) with their invert fuses, the global clear
// polarity and the three global clock selectors.
#pragma once

#include <string>
#include <vector>

namespace gsmith {

struct ATF1504GOESelection {
  int goe = 0;
  std::string source;
  int offset = 0;
};

class ATF1504GlobalDB {
public:
  static constexpr int kGOECount = 6;
  static constexpr int kSelectionsPerGOE = 9;
  static constexpr int kGlobalClockCount = 3;

  // 54 entries, GOE1..GOE6, offsets 0..8.
  static const std::vector<ATF1504GOESelection> &selections();

  static int goeMuxOffset(int goe);
  static int goeSelectionFuse(int goe, const std::string &source);
  static int goeInvertFuse(int goe);
  static int gclrInvertFuse();
  static int gclkInvertFuse(int clock);
  static int gclkMuxFuse(int clock, int bit);
  // The two-bit multiplexer value that routes `source` to global clock 1..3.
  static int gclkMuxValue(int clock, const std::string &source);

  static bool validate(const std::vector<ATF1504GOESelection> &table);
  static bool validate();
};

} // namespace gsmith
