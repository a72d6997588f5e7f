// GAL16V8B: the subset check, the mode trials and the fuse layout of each
// mode, on hand-built netlists and short sources.
#include "gal/gal16v8.h"
#include "tests/gal/gal-test-support.h"

#include <gtest/gtest.h>

namespace gsmith {
namespace {

using testing::combinationalOutput;
using testing::fuseText;
using testing::inputSignal;
using testing::makeNetlist;
using testing::registeredOutput;
using testing::withOE;

constexpr unsigned kRow = 32;
constexpr unsigned kXOR = 2048;
constexpr unsigned kSignature = 2056;
constexpr unsigned kAC1 = 2120;
constexpr unsigned kDisable = 2128;
constexpr unsigned kSYN = 2192;
constexpr unsigned kAC0 = 2193;

unsigned olmcOf(int pin) { return static_cast<unsigned>(19 - pin); }
unsigned rowBase(int pin) { return olmcOf(pin) * 8 * kRow; }

// A row with the given columns cleared and every other fuse at 1.
std::string rowWith(std::initializer_list<unsigned> cleared) {
  std::string row(kRow, '1');
  for (unsigned c : cleared)
    row[c] = '0';
  return row;
}

std::string validationError(const std::string &body) {
  try {
    GAL16V8Device::validateSubset(testing::parseSource("DEVICE GAL16V8B\n" + body));
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

struct ValidationCase {
  const char *title;
  const char *body;
  const char *message; // empty: accepted
};

void PrintTo(const ValidationCase &c, std::ostream *out) { *out << c.title; }

class GAL16V8Validation : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(GAL16V8Validation, ReportsTheFirstViolation) {
  EXPECT_EQ(validationError(GetParam().body), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GAL16V8Validation,
    ::testing::Values(
        ValidationCase{"Combinational", "PIN 2 a INPUT\nPIN 12 y OUTPUT\ny = a;", ""},
        ValidationCase{"Registered",
                       "PIN 1 clk INPUT GCLK1\nPIN 11 oe INPUT GOE1\nPIN 2 a INPUT\n"
                       "PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1\nq = a;",
                       ""},
        ValidationCase{"LeftoverNode", "PIN 2 a INPUT\nPIN 12 y OUTPUT\nNODE n\nn = a;\ny = n;",
                       "Internal error: GAL NODEs must be expanded before validation"},
        ValidationCase{"PresetEquation", "PIN 2 a INPUT\nPIN 12 y OUTPUT\ny = a;\ny.PRESET = a;",
                       "GAL16V8B does not support CE/PRESET/RESET equations"},
        ValidationCase{"ResetOnPin",
                       "PIN 1 clk INPUT GCLK1\nPIN 11 oe INPUT GOE1\n"
                       "PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1 RESET PRODUCT\nq = clk;",
                       "GAL16V8B does not support RESET, CE or PRESET"},
        ValidationCase{"RegisteredWithoutOE1",
                       "PIN 1 clk INPUT GCLK1\nPIN 11 oe INPUT GOE1\n"
                       "PIN 14 q OUTPUT REGISTERED GCLK1\nq = clk;",
                       "GAL16V8B registered outputs require GCLK1 OE OE1"},
        ValidationCase{"CombinationalOE1",
                       "PIN 14 y OUTPUT OE OE1\nPIN 11 oe INPUT GOE1\nPIN 2 a INPUT\ny = a;",
                       "GAL16V8B combinational OE must be ALWAYS or PRODUCT"},
        ValidationCase{"NoEquation", "PIN 2 a INPUT\nPIN 12 y OUTPUT\nPIN 13 z OUTPUT\ny = a;",
                       "GAL16V8B output 'z' must have exactly one equation"},
        ValidationCase{"TwoEquations", "PIN 2 a INPUT\nPIN 12 y OUTPUT\ny = a;\ny = !a;",
                       "GAL16V8B output 'y' must have exactly one equation"},
        ValidationCase{"ClockOutsideRegisteredMode",
                       "PIN 1 clk INPUT GCLK1\nPIN 12 y OUTPUT\ny = clk;",
                       "GAL16V8B control pin declaration is invalid"},
        ValidationCase{"ClockOnWrongPin",
                       "PIN 1 clk INPUT GCLK1\nPIN 11 oe INPUT GOE1\nPIN 3 c INPUT GCLK1\n"
                       "PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1\nq = c;",
                       "GAL16V8B control pin declaration is invalid"},
        // A second role on a control pin is the package check's to refuse.
        ValidationCase{"ClockPinAlsoDeclaresGOE1",
                       "PIN 1 clk INPUT GCLK1 GOE1\nPIN 11 oe INPUT GOE1\n"
                       "PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1\nq = oe;",
                       ""},
        ValidationCase{"OEPinAlsoDeclaresGCLK1",
                       "PIN 1 clk INPUT GCLK1\nPIN 11 oe INPUT GCLK1 GOE1\n"
                       "PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1\nq = clk;",
                       ""},
        ValidationCase{"OEPinWithGOE2",
                       "PIN 1 clk INPUT GCLK1\nPIN 11 oe INPUT GOE2\n"
                       "PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1\nq = clk;",
                       "GAL16V8B control pin declaration is invalid"},
        ValidationCase{"RegisteredWithoutGOE1",
                       "PIN 1 clk INPUT GCLK1\nPIN 2 a INPUT\n"
                       "PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1\nq = a;",
                       "GAL16V8B registered mode requires pin 1 INPUT GCLK1 and pin 11 INPUT GOE1"},
        ValidationCase{"RegisteredModeWord",
                       "GAL_MODE = REGISTERED\nPIN 2 a INPUT\nPIN 12 y OUTPUT\ny = a;",
                       "GAL16V8B registered mode requires pin 1 INPUT GCLK1 and pin 11 INPUT GOE1"},
        ValidationCase{"NoEquations", "PIN 2 a INPUT",
                       "GAL16V8B requires at least one output equation"}),
    [](const auto &info) { return std::string(info.param.title); });

std::string encodeError(const Netlist &netlist) {
  try {
    GAL16V8Device::encode(netlist);
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

TEST(GAL16V8Encode, AutoPicksComplexForPlainCombinationalLogic) {
  const Netlist netlist = makeNetlist("GAL16V8B", {inputSignal("a", 2), inputSignal("b", 3)},
                                      {combinationalOutput("y", 14, "a & !b")});
  const std::vector<bool> fuses = GAL16V8Device::encode(netlist);
  ASSERT_EQ(fuses.size(), 2194u);
  EXPECT_EQ(GAL16V8Device::modeName(fuses), "complex");
  EXPECT_TRUE(fuses[kSYN]);
  EXPECT_TRUE(fuses[kAC0]);
  EXPECT_EQ(fuseText(fuses, kAC1, 8), "11111111");
  EXPECT_EQ(fuseText(fuses, kDisable, 64), std::string(64, '1'));
  EXPECT_EQ(fuseText(fuses, kXOR, 8), "00000100"); // OLMC 5 is pin 14

  const unsigned base = rowBase(14);
  EXPECT_EQ(fuseText(fuses, base, kRow), std::string(kRow, '1')); // always enabled
  EXPECT_EQ(fuseText(fuses, base + kRow, kRow), rowWith({0, 5})); // a on 0, !b on 4 + 1
  EXPECT_EQ(fuseText(fuses, base + 2 * kRow, 6 * kRow), std::string(6 * kRow, '0'));
  // Every other cell stays an input: no rows, no XOR.
  EXPECT_EQ(fuseText(fuses, 0, base), std::string(base, '0'));
  EXPECT_EQ(fuseText(fuses, base + 8 * kRow, 2048 - base - 8 * kRow),
            std::string(2048 - base - 8 * kRow, '0'));
  EXPECT_EQ(GAL16V8Device::toJEDEC(fuses).substr(0, 42),
            "\x02\nGatesmith GAL16V8B DIP20 - complex mode\n");
}

TEST(GAL16V8Encode, ProductOETakesTheFirstRow) {
  const Netlist netlist = makeNetlist("GAL16V8B", {inputSignal("a", 2), inputSignal("e", 9)},
                                      {withOE(combinationalOutput("y", 17, "a"), "!e")});
  const std::vector<bool> fuses = GAL16V8Device::encode(netlist);
  EXPECT_EQ(fuseText(fuses, rowBase(17), kRow), rowWith({29}));
  EXPECT_EQ(fuseText(fuses, rowBase(17) + kRow, kRow), rowWith({0}));
}

TEST(GAL16V8Encode, EightTermsNeedSimpleMode) {
  const char *eight = "a & b | a & c | a & d | b & c | b & d | c & d | !a & !b | !c & !d";
  const std::vector<NetSignal> inputs{inputSignal("a", 2), inputSignal("b", 3), inputSignal("c", 4),
                                      inputSignal("d", 5)};
  Netlist netlist =
      makeNetlist("GAL16V8B", inputs,
                  {combinationalOutput("y", 15, eight), combinationalOutput("z", 16, "a"),
                   combinationalOutput("w", 19, "!b")});
  const std::vector<bool> fuses = GAL16V8Device::encode(netlist);
  EXPECT_EQ(GAL16V8Device::modeName(fuses), "simple");
  EXPECT_TRUE(fuses[kSYN]);
  EXPECT_FALSE(fuses[kAC0]);
  EXPECT_EQ(fuseText(fuses, kAC1, 8), "01100111"); // outputs on 19, 16, 15 are driven cells
  // Simple cells have no enable row: all eight rows are data.
  EXPECT_EQ(fuseText(fuses, rowBase(15), kRow), rowWith({4, 0}));
  EXPECT_EQ(fuseText(fuses, rowBase(15) + 7 * kRow, kRow), rowWith({9, 13}));
  EXPECT_EQ(fuseText(fuses, rowBase(19), kRow), rowWith({5}));

  netlist.galMode = GALMode::COMPLEX;
  EXPECT_EQ(encodeError(netlist), "GAL16V8B cannot fit: output 'y' exceeds its 7 data terms");
}

TEST(GAL16V8Encode, AutoFallsThroughToRegisteredForFeedbackFromPin19) {
  const Netlist netlist =
      makeNetlist("GAL16V8B", {inputSignal("a", 2)},
                  {combinationalOutput("y", 19, "a"), combinationalOutput("z", 18, "y & a")});
  const std::vector<bool> fuses = GAL16V8Device::encode(netlist);
  EXPECT_EQ(GAL16V8Device::modeName(fuses), "registered");
  EXPECT_FALSE(fuses[kSYN]);
  EXPECT_TRUE(fuses[kAC0]);
  EXPECT_EQ(fuseText(fuses, kAC1, 8), "11111111");
  EXPECT_EQ(fuseText(fuses, rowBase(18) + kRow, kRow), rowWith({0, 2}));
}

TEST(GAL16V8Encode, RegisteredOutputsUseAllEightRows) {
  const Netlist netlist =
      makeNetlist("GAL16V8B", {inputSignal("clk", 1), inputSignal("oe", 11), inputSignal("a", 2)},
                  {registeredOutput("q", 12, "!q & a | q & !a", OutputEnableSource::OE1),
                   combinationalOutput("y", 13, "q")});
  const std::vector<bool> fuses = GAL16V8Device::encode(netlist);
  EXPECT_EQ(GAL16V8Device::modeName(fuses), "registered");
  EXPECT_EQ(fuseText(fuses, kAC1, 8), "11111110");
  EXPECT_EQ(fuseText(fuses, kXOR, 8), "00000011");
  EXPECT_EQ(fuseText(fuses, rowBase(12), kRow), rowWith({0, 31}));
  EXPECT_EQ(fuseText(fuses, rowBase(12) + kRow, kRow), rowWith({1, 30}));
  EXPECT_EQ(fuseText(fuses, rowBase(13), kRow), std::string(kRow, '1'));
  EXPECT_EQ(fuseText(fuses, rowBase(13) + kRow, kRow), rowWith({30}));
}

TEST(GAL16V8Encode, SignatureIsWrittenMostSignificantBitFirst) {
  Netlist netlist =
      makeNetlist("GAL16V8B", {inputSignal("a", 2)}, {combinationalOutput("y", 12, "a")});
  netlist.signature = 1;
  EXPECT_EQ(fuseText(GAL16V8Device::encode(netlist), kSignature, 64), std::string(63, '0') + "1");
  netlist.signature = 0x8000000000000003ull;
  EXPECT_EQ(fuseText(GAL16V8Device::encode(netlist), kSignature, 64),
            "1" + std::string(61, '0') + "11");
}

struct FitCase {
  const char *title;
  Netlist netlist;
  const char *message;
};

void PrintTo(const FitCase &c, std::ostream *out) { *out << c.title; }

class GAL16V8Fit : public ::testing::TestWithParam<FitCase> {};

TEST_P(GAL16V8Fit, ReportsWhyNoModeFits) {
  EXPECT_EQ(encodeError(GetParam().netlist), GetParam().message);
}

const std::vector<NetSignal> kInputs{inputSignal("a", 2), inputSignal("b", 3)};
const char *const kNineTerms = "a & b | a & c | a & d | b & c | b & d | c & d | !a | !b | !c";

INSTANTIATE_TEST_SUITE_P(
    Cases, GAL16V8Fit,
    ::testing::Values(
        FitCase{
            "SimpleWithoutAlwaysDrivenPins",
            makeNetlist("GAL16V8B", kInputs, {combinationalOutput("y", 15, "a")}, GALMode::SIMPLE),
            "GAL16V8B cannot fit: SIMPLE mode requires outputs on always-driven pins 15 and "
            "16"},
        FitCase{"SimpleWithoutOutputs", makeNetlist("GAL16V8B", kInputs, {}, GALMode::SIMPLE),
                "GAL16V8B cannot fit: SIMPLE mode requires outputs on always-driven pins 15 and "
                "16"},
        FitCase{"SimpleWithProductOE",
                makeNetlist("GAL16V8B", kInputs,
                            {withOE(combinationalOutput("y", 15, "a"), "b"),
                             combinationalOutput("z", 16, "a")},
                            GALMode::SIMPLE),
                "GAL16V8B cannot fit: SIMPLE mode requires OE ALWAYS"},
        FitCase{"SimpleFeedback",
                makeNetlist("GAL16V8B", kInputs,
                            {combinationalOutput("y", 15, "a"), combinationalOutput("z", 16, "a"),
                             combinationalOutput("w", 17, "y")},
                            GALMode::SIMPLE),
                "GAL16V8B cannot fit: signal 'y' has no route in this mode"},
        FitCase{"SimpleNamedFeedback",
                makeNetlist("GAL16V8B", kInputs,
                            {combinationalOutput("y", 15, "a"), combinationalOutput("z", 16, "a"),
                             combinationalOutput("w", 17, "a"), combinationalOutput("v", 18, "w")},
                            GALMode::SIMPLE),
                "GAL16V8B cannot fit: SIMPLE mode has no named output feedback"},
        FitCase{"RegisterInComplex",
                makeNetlist("GAL16V8B", kInputs,
                            {registeredOutput("q", 14, "a", OutputEnableSource::OE1)},
                            GALMode::COMPLEX),
                "GAL16V8B cannot fit: registers require REGISTERED mode"},
        FitCase{
            "TwoTermOE",
            makeNetlist("GAL16V8B", kInputs, {withOE(combinationalOutput("y", 14, "a"), "a | b")}),
            "GAL16V8B cannot fit: product OE exceeds one term"},
        FitCase{"UnknownSignal",
                makeNetlist("GAL16V8B", kInputs, {combinationalOutput("y", 14, "a & zz")}),
                "GAL16V8B cannot fit: unknown signal 'zz'"},
        FitCase{"ClockPinReadInRegisteredMode",
                makeNetlist("GAL16V8B", {inputSignal("clk", 1), inputSignal("a", 2)},
                            {registeredOutput("q", 14, "a & clk", OutputEnableSource::OE1)}),
                "GAL16V8B cannot fit: signal 'clk' has no route in this mode"},
        FitCase{"NineTermsFitNowhere",
                makeNetlist("GAL16V8B", kInputs, {combinationalOutput("y", 14, kNineTerms)}),
                "GAL16V8B cannot fit: output 'y' exceeds its 7 data terms"},
        FitCase{"OutputOffTheCells",
                makeNetlist("GAL16V8B", kInputs, {combinationalOutput("y", 11, "a")}),
                "GAL16V8B encoder: unsupported output configuration"}),
    [](const auto &info) { return std::string(info.param.title); });

} // namespace
} // namespace gsmith
