// Semantic analysis: each check with the message a user sees, grouped by the
// step that makes it, plus the order in which problems are reported.
#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "frontend/semantic.h"
#include "target/registry.h"
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace gsmith {
namespace {

// The message validate raises for `source`, or "" when it accepts the design.
std::string problemWith(const std::string &source) {
  Design design = Parser(Lexer(source).tokenize(), TargetRegistry::features).parse();
  try {
    SemanticAnalyzer::validate(design, TargetRegistry::find(design.device));
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

struct Case {
  const char *label;
  std::string source;
  std::string message;
};

void expectMessages(const std::vector<Case> &cases) {
  for (const Case &c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(problemWith(c.source), c.message) << c.source;
  }
}

const std::string kGAL16 = "DEVICE GAL16V8B\n";

const std::string kATF1502 = "DEVICE ATF1502AS\n";
const std::string kATF1504 = "DEVICE ATF1504AS\n";

TEST(SemanticDevice, DeviceAndPackageSelection) {
  expectMessages({
      {"no device even with other problems", "PIN 99 a OUTPUT\nb = c", "No DEVICE specified"},
      {"unknown device", "DEVICE GAL22V10", "Unsupported device 'GAL22V10'"},
      {"device names are case-sensitive", "DEVICE atf1502as", "Unsupported device 'atf1502as'"},
      {"package on a GAL", kGAL16 + "PACKAGE PLCC44",
       "PACKAGE selection is supported only for ATF1502AS/ASV and ATF1504AS/ASV"},
      {"ATF1502 package", kATF1502 + "PACKAGE PLCC84",
       "ATF1502AS/ASV PACKAGE must be PLCC44 or TQFP44"},
      {"ATF1504 package is case-sensitive", kATF1504 + "PACKAGE plcc84",
       "ATF1504AS/ASV PACKAGE must be PLCC44, TQFP44, PLCC84 or TQFP100"},
      {"GAL_MODE on a 22V10", "DEVICE GAL22V10B\nGAL_MODE = SIMPLE",
       "GAL_MODE is supported only for GAL16V8B and GAL20V8B"},
      {"GAL_MODE on a CPLD", kATF1504 + "GAL_MODE = AUTO",
       "GAL_MODE is supported only for GAL16V8B and GAL20V8B"},
      {"POWER_DOWN on a GAL", kGAL16 + "POWER_DOWN PD2",
       "POWER_DOWN is supported only for ATF1502AS and ATF1504AS"},
      {"every valid device alone", "DEVICE ATF1504ASV", ""},
  });
}

TEST(SemanticNodes, RegisteredNodesNeedEquationClockAndClear) {
  const std::string clock = "PIN 83 clk INPUT GCLK1\n";
  expectMessages({
      {"no equation", kATF1504 + clock + "NODE n REGISTERED GCLK1",
       "Registered NODE 'n' has no data equation"},
      {"clock not declared", kATF1504 + "PIN 22 a INPUT\nNODE n REGISTERED GCLK2\nn = a",
       "Registered NODE 'n' needs its global clock INPUT declaration"},
      {"clear not declared", kATF1504 + clock + "NODE n REGISTERED GCLK1 RESET GCLR\nn = clk",
       "Registered NODE needs its GCLR input declaration"},
      {"complete node",
       kATF1504 + clock + "PIN 1 clr INPUT GCLR\nNODE n REGISTERED GCLK1 RESET GCLR\nn = clk", ""},
  });
}

TEST(SemanticGAL, ResetProductNeedsTheATF1504) {
  expectMessages({
      {"RESET PRODUCT pin",
       kGAL16 + "PIN 1 clk INPUT GCLK1\nPIN 14 q OUTPUT REGISTERED GCLK1 RESET PRODUCT\nq = clk",
       "RESET PRODUCT currently requires ATF1504AS"},
      {".RESET equation", kGAL16 + "PIN 2 a INPUT\nq.RESET = a",
       ".RESET currently requires ATF1504AS"},
  });
}

TEST(SemanticPins, EachPinRuleInOrder) {
  expectMessages({
      {"PD1 pin", kATF1502 + "POWER_DOWN PD1\nPIN 11 a INPUT",
       "Pin 11 cannot be assigned because it is enabled as PD1"},
      {"PD1 pin without POWER_DOWN", kATF1502 + "PIN 11 a INPUT", ""},
      {"PD2 pin in TQFP44", kATF1502 + "PACKAGE TQFP44\nPOWER_DOWN PD2\nPIN 19 a INPUT",
       "Pin 19 cannot be assigned because it is enabled as PD2"},
      {"ATF1504 PD1 pin", kATF1504 + "POWER_DOWN PD1\nPIN 20 a INPUT",
       "Pin 20 cannot be assigned because it is enabled as PD1"},
      {"below the package", kATF1502 + "PIN 0 a INPUT",
       "Pin 0 is outside the ATF1502AS PLCC44 package"},
      {"above the package", kATF1504 + "PACKAGE PLCC44\nPIN 45 a INPUT",
       "Pin 45 is outside the ATF1504AS PLCC44 package"},
      {"power pin", kATF1502 + "PIN 3 v INPUT",
       "Pin 3 is a power pin and cannot be assigned to signal 'v'"},
      {"unusable pin", kATF1504 + "PACKAGE TQFP100\nPIN 1 a INPUT",
       "Pin 1 is not a usable signal pin"},
      {"JTAG pin", kATF1502 + "PIN 7 a INPUT",
       "Pin 7 is reserved for the ATF1502AS JTAG interface"},
      {"input-only pin as output", kATF1502 + "PIN 1 y OUTPUT",
       "Pin 1 is input-only and cannot be assigned as OUTPUT"},
      {"duplicate number", kATF1502 + "PIN 4 a INPUT\nPIN 4 b INPUT", "Duplicate pin number 4"},
      {"duplicate name", kATF1502 + "PIN 4 a INPUT\nPIN 5 a INPUT", "Duplicate signal name 'a'"},
      {"pin and node of one name pass here", kATF1504 + "PIN 22 a INPUT\nNODE a", ""},
      {"clock on the wrong pin", kATF1502 + "PIN 4 clk INPUT GCLK1",
       "GCLK1 must use physical pin 43 on the ATF1502AS PLCC44"},
      {"GCLK2 on the wrong pin", kATF1504 + "PIN 83 clk INPUT GCLK2",
       "GCLK2 must use physical pin 2 on the ATF1504AS PLCC84"},
      {"clock and clear on different pins", kATF1504 + "PIN 83 clk INPUT GCLK1 GCLR",
       "GCLR must use physical pin 1 on the ATF1504AS PLCC84"},
      {"no GOE6 pin", kATF1504 + "PIN 22 e INPUT GOE6",
       "GOE6 has no supported package source on the ATF1504AS PLCC84"},
      {"global OE on the wrong pin", kATF1504 + "PIN 22 e INPUT GOE1",
       "GOE1 must use physical pin 84 on the ATF1504AS PLCC84"},
      {"GOE2 shares the GCLK2 pin", kATF1504 + "PIN 2 e INPUT GOE2", ""},
  });
}

TEST(SemanticEquations, DataEquationsMatchTheirDeclarations) {
  const std::string pins = kATF1502 + "PIN 43 clk INPUT GCLK1\nPIN 4 a INPUT\nPIN 5 y OUTPUT\n";
  expectMessages({
      {"undefined target", pins + "z = a", "Equation drives undefined signal 'z'"},
      {"input target", pins + "a = clk", "Signal 'a' is not an OUTPUT"},
      {"second equation", pins + "y = a\ny = clk", "Output 'y' has more than one equation"},
      {"undeclared global clock",
       kATF1504 + "PIN 83 clk INPUT GCLK1\nPIN 22 q OUTPUT REGISTERED GCLK2\nq = clk",
       "Registered output 'q' uses GCLK2, but that global clock input has not been declared"},
      {"clocked by CE alone",
       kATF1504 + "PIN 21 a INPUT\nPIN 22 q OUTPUT REGISTERED CE PRODUCT\nq = a\nq.CE = a", ""},
      {"undeclared clear",
       kATF1504 + "PIN 83 clk INPUT GCLK1\nPIN 22 q OUTPUT REGISTERED GCLK1 RESET GCLR\nq = clk",
       "Registered output 'q' uses GCLR, but the GCLR input has not been declared"},
      {"undeclared global OE", kATF1504 + "PIN 21 a INPUT\nPIN 22 y OUTPUT OE OE1\ny = a",
       "Output 'y' uses OE1, but that global OE input has not been declared"},
      {"undeclared GOE6", kATF1504 + "PIN 21 a INPUT\nPIN 22 y OUTPUT OE GOE6\ny = a",
       "Output 'y' uses GOE6, but that global OE input has not been declared"},
      {"undefined signal", pins + "y = a & b", "Undefined signal 'b'"},
      {"constants need no declaration", pins + "y = 1 | a & 0", ""},
  });
}

TEST(SemanticEquations, OutputEnableEquations) {
  const std::string pins = kATF1502 + "PIN 4 a INPUT\nPIN 5 y OUTPUT OE PRODUCT\nPIN 6 z OUTPUT\n";
  expectMessages({
      {"undefined target", pins + "y = a\ny.OE = a\nw.OE = a",
       "OE equation references undefined output 'w'"},
      {"input target", pins + "y = a\ny.OE = a\na.OE = a",
       "OE equation can only control an OUTPUT"},
      {"not OE PRODUCT", pins + "y = a\ny.OE = a\nz = a\nz.OE = a",
       "Output 'z' has a .OE equation but is not declared OE PRODUCT"},
      {"second .OE", pins + "y = a\ny.OE = a\ny.OE = !a",
       "Output 'y' has more than one .OE equation"},
      {"undefined signal", pins + "y = a\ny.OE = q", "Undefined signal 'q'"},
      {"missing .OE", pins + "y = a", "Output 'y' is declared OE PRODUCT but has no .OE equation"},
  });
}

TEST(SemanticEquations, ClockEnableAndPresetEquations) {
  const std::string pins = kATF1504 + "PIN 83 clk INPUT GCLK1\nPIN 21 a INPUT\nPIN 17 c OUTPUT\n"
                                      "PIN 22 q OUTPUT REGISTERED GCLK1 CE PRODUCT PRESET PRODUCT\n"
                                      "PIN 18 r OUTPUT REGISTERED GCLK1\nq = a\nr = a\nc = a\n";
  const std::string complete = "q.CE = a\nq.PRESET = a\n";
  expectMessages({
      {"complete", pins + complete, ""},
      {"CE undefined target", pins + complete + "w.CE = a",
       "CE equation references undefined output 'w'"},
      {"CE on a combinational output", pins + complete + "c.CE = a",
       "CE equation can only control a REGISTERED OUTPUT"},
      {"CE not declared", pins + complete + "r.CE = a",
       "Output 'r' has a .CE equation but is not declared CE PRODUCT"},
      {"second .CE", pins + complete + "q.CE = clk", "Output 'q' has more than one .CE equation"},
      {"missing .CE", pins + "q.PRESET = a",
       "Output 'q' is declared CE PRODUCT but has no .CE equation"},
      {"PRESET undefined target", pins + complete + "w.PRESET = a",
       "PRESET equation references undefined output 'w'"},
      {"PRESET on an input", pins + complete + "a.PRESET = a",
       "PRESET equation can only control a REGISTERED OUTPUT"},
      {"PRESET not declared", pins + complete + "r.PRESET = a",
       "Output 'r' has a .PRESET equation but is not declared PRESET PRODUCT"},
      {"second .PRESET", pins + complete + "q.PRESET = clk",
       "Output 'q' has more than one .PRESET equation"},
      {"missing .PRESET", pins + "q.CE = a",
       "Output 'q' is declared PRESET PRODUCT but has no .PRESET equation"},
  });
}

TEST(SemanticEquations, RegisteredNodeControls) {
  const std::string pins = kATF1504 + "PIN 83 clk INPUT GCLK1\nPIN 21 a INPUT\n";
  expectMessages({
      {"node CE without equation", pins + "NODE n REGISTERED GCLK1 CE PRODUCT\nn = a",
       "NODE 'n' is declared CE PRODUCT but has no .CE equation"},
      {"node CE with equation", pins + "NODE n REGISTERED GCLK1 CE PRODUCT\nn = a\nn.CE = a", ""},
      {"node PRESET without equation", pins + "NODE n REGISTERED GCLK1 PRESET PRODUCT\nn = a",
       "NODE 'n' is declared PRESET PRODUCT but has no .PRESET equation"},
      {"node as CE target needs CE PRODUCT", pins + "NODE n REGISTERED GCLK1\nn = a\nn.CE = a",
       "Output 'n' has a .CE equation but is not declared CE PRODUCT"},
  });
}

TEST(SemanticEquations, ResetEquations) {
  const std::string pins = kATF1504 + "PIN 83 clk INPUT GCLK1\nPIN 21 a INPUT\n"
                                      "PIN 22 q OUTPUT REGISTERED GCLK1 RESET PRODUCT\nq = a\n";
  expectMessages({
      {"complete", pins + "q.RESET = a", ""},
      {"undeclared target", pins + "q.RESET = a\nw.RESET = a",
       ".RESET requires a registered target declared RESET PRODUCT"},
      {"target without RESET PRODUCT", pins + "q.RESET = a\na.RESET = a",
       ".RESET requires a registered target declared RESET PRODUCT"},
      {"second .RESET", pins + "q.RESET = a\nq.RESET = !a", "Duplicate .RESET equation"},
      {"missing .RESET", pins, "RESET PRODUCT has no .RESET equation for 'q'"},
      {"node missing .RESET", pins + "q.RESET = a\nNODE n REGISTERED GCLK1 RESET PRODUCT\nn = a",
       "RESET PRODUCT has no .RESET equation for 'n'"},
  });
}

TEST(SemanticOrder, TheFirstProblemInCheckOrderIsReported) {
  // Through the binary: pin problems come before equation problems, which come
  // before control-equation problems, whatever their order in the file.
  testing::TempDir dir;
  auto result = testing::compileSource(
      dir, "DEVICE ATF1502AS\ny.OE = a\nz = nowhere\nPIN 1 y OUTPUT\nPIN 4 a INPUT\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Compiler error: Pin 1 is input-only and cannot be assigned as OUTPUT\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"design.pld"});
}

} // namespace
} // namespace gsmith
