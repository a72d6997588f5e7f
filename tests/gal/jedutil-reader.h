// An independent check of the GAL fuse files: MAME's jedutil decodes a
// .jed back into equations, which are compared with the source's own
// equations as Boolean functions of the pin values (every assignment of the
// pins involved is evaluated on both sides), never as text.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace gsmith::testing {

bool jedutilInstalled();

// What jedutil prints for one literal: an input pin (i<n>), the feedback of
// a combinational output (o<n>), the feedback of a register (rf<n>), or a
// constant (vcc, gnd) or the global output enable (OE).
struct DecodedLiteral {
  std::string symbol; // "i", "o", "rf", "vcc", "gnd" or "OE"
  int pin = 0;
  bool negated = false;
};
using DecodedTerm = std::vector<DecodedLiteral>;
using DecodedSum = std::vector<DecodedTerm>;

struct DecodedOutput {
  int pin = 0;
  bool registered = false;
  bool activeHigh = false;
  DecodedSum sum;
  DecodedSum oe;
};

struct DecodedDevice {
  std::vector<int> inputs;
  std::map<int, DecodedOutput> outputs;
  DecodedSum asyncReset; // the GAL22V10's reset row; empty when never
};

// The report of `jedutil -view` for a .jed of the given GAL (GAL16V8B,
// GAL20V8B or GAL22V10B).
std::string jedutilView(const std::filesystem::path &jed, const std::string &device);
DecodedDevice parseJedutilView(const std::string &view);

// Decodes `jed` with jedutil and checks that every driven output of
// `source` shows the source's equation on its pin (through the inverter of
// an active-low cell; a register keeps the source's polarity), has its .OE
// equation, is registered exactly when declared so, that the reset row is
// the source's .RESET, and that no other output is driven.
::testing::AssertionResult decodesAsSource(const std::filesystem::path &jed,
                                           const std::string &source);

} // namespace gsmith::testing
