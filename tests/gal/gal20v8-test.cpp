// GAL20V8B: the subset check with its feedback-cycle search, the mode
// trials with their combined message, and the fuse layout of each mode.
#include "gal/gal20v8.h"
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

constexpr unsigned kRow = 40;
constexpr unsigned kXOR = 2560;
constexpr unsigned kSignature = 2568;
constexpr unsigned kAC1 = 2632;
constexpr unsigned kDisable = 2640;
constexpr unsigned kSYN = 2704;
constexpr unsigned kAC0 = 2705;

unsigned rowBase(int pin) { return static_cast<unsigned>(22 - pin) * 8 * kRow; }

std::string rowWith(std::initializer_list<unsigned> cleared) {
  std::string row(kRow, '1');
  for (unsigned c : cleared)
    row[c] = '0';
  return row;
}

std::string validationError(const std::string &body) {
  try {
    GAL20V8Device::validateSubset(testing::parseSource("DEVICE GAL20V8B\n" + body));
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

struct ValidationCase {
  const char *title;
  const char *body;
  const char *message;
};

void PrintTo(const ValidationCase &c, std::ostream *out) { *out << c.title; }

class GAL20V8Validation : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(GAL20V8Validation, ReportsTheFirstViolation) {
  EXPECT_EQ(validationError(GetParam().body), GetParam().message);
}

#define REGISTERED_PINS "PIN 1 clk INPUT GCLK1\nPIN 13 oe INPUT GOE1\n"

INSTANTIATE_TEST_SUITE_P(
    Cases, GAL20V8Validation,
    ::testing::Values(
        ValidationCase{"Combinational", "PIN 2 a INPUT\nPIN 15 y OUTPUT\ny = a;", ""},
        ValidationCase{"RegisteredLoopIsBroken",
                       REGISTERED_PINS "PIN 2 a INPUT\nPIN 15 y OUTPUT\n"
                                       "PIN 16 q OUTPUT REGISTERED GCLK1 OE OE1\n"
                                       "y = q & a;\nq = y | a;",
                       ""},
        ValidationCase{"LeftoverNode", "PIN 2 a INPUT\nPIN 15 y OUTPUT\nNODE n\nn = a;\ny = n;",
                       "Internal error: GAL NODEs must be expanded before validation"},
        ValidationCase{"CEEquation", "PIN 2 a INPUT\nPIN 15 y OUTPUT\ny = a;\ny.CE = a;",
                       "GAL20V8B: CE/PRESET equations are not supported by this architecture"},
        ValidationCase{"RegisterInComplexMode",
                       "GAL_MODE = COMPLEX\n" REGISTERED_PINS
                       "PIN 16 q OUTPUT REGISTERED GCLK1 OE OE1\nq = clk;",
                       "GAL20V8B: registers require REGISTERED mode"},
        ValidationCase{"PresetOnPin",
                       REGISTERED_PINS "PIN 16 q OUTPUT REGISTERED GCLK1 OE OE1 PRESET PRODUCT\n"
                                       "q = clk;",
                       "GAL20V8B: RESET, CE and PRESET are not supported"},
        ValidationCase{"RegisteredWithoutOE1",
                       REGISTERED_PINS "PIN 16 q OUTPUT REGISTERED GCLK1 OE ALWAYS\nq = clk;",
                       "GAL20V8B: REGISTERED outputs require GCLK1 OE OE1 (shared active-low pin "
                       "13)"},
        ValidationCase{"CombinationalOE1", "PIN 15 y OUTPUT OE OE1\nPIN 13 oe INPUT GOE1\ny = 1;",
                       "GAL20V8B: combinational outputs require OE ALWAYS or OE PRODUCT"},
        ValidationCase{"NoEquation", "PIN 2 a INPUT\nPIN 15 y OUTPUT\nPIN 16 z OUTPUT\nz = a;",
                       "GAL20V8B: output 'y' must have exactly one equation"},
        ValidationCase{"Pin13NotOE",
                       "PIN 1 clk INPUT GCLK1\nPIN 13 e INPUT\n"
                       "PIN 16 q OUTPUT REGISTERED GCLK1 OE OE1\nq = clk;",
                       "GAL20V8B registered mode: pin 13 must be INPUT GOE1"},
        ValidationCase{"Pin1NotClock",
                       "GAL_MODE = REGISTERED\nPIN 1 c INPUT\nPIN 15 y OUTPUT\ny = c;",
                       "GAL20V8B registered mode: pin 1 must be INPUT GCLK1"},
        ValidationCase{"ClockOutsideRegisteredMode",
                       "PIN 1 clk INPUT GCLK1\nPIN 15 y OUTPUT\ny = clk;",
                       "GAL20V8B: GCLK1 requires pin 1 and GOE1 requires pin 13 in REGISTERED "
                       "mode"},
        ValidationCase{"RegisteredWithoutControlPins",
                       "GAL_MODE = REGISTERED\nPIN 2 a INPUT\nPIN 15 y OUTPUT\ny = a;",
                       "GAL20V8B registered mode requires PIN 1 ... INPUT GCLK1 and PIN 13 ... "
                       "INPUT GOE1"},
        ValidationCase{"UndefinedSignal", "PIN 2 a INPUT\nPIN 15 y OUTPUT\ny = a & b;",
                       "Undefined signal 'b'"},
        ValidationCase{"ClockReadAsData",
                       REGISTERED_PINS "PIN 16 q OUTPUT REGISTERED GCLK1 OE OE1\nq = !clk;",
                       "GAL20V8B: clock/OE data use is not supported in registered mode"},
        ValidationCase{"OEPinReadInOEEquation",
                       REGISTERED_PINS "PIN 2 a INPUT\nPIN 16 q OUTPUT REGISTERED GCLK1 OE OE1\n"
                                       "PIN 17 y OUTPUT OE PRODUCT\nq = a;\ny = a;\ny.OE = oe;",
                       "GAL20V8B: clock/OE data use is not supported in registered mode"},
        ValidationCase{"NoEquations", "PIN 2 a INPUT",
                       "GAL20V8B: at least one output equation is required"},
        ValidationCase{"TwoOutputCycle",
                       "PIN 2 a INPUT\nPIN 3 b INPUT\nPIN 15 y OUTPUT\nPIN 16 y2 OUTPUT\n"
                       "y = y2 & a;\ny2 = y | b;",
                       "GAL20V8B: combinational feedback cycle at 'y'"},
        ValidationCase{"CycleFoundFromItsEntry",
                       "PIN 2 a INPUT\nPIN 15 x OUTPUT\nPIN 16 y OUTPUT\nPIN 17 z OUTPUT\n"
                       "x = y;\ny = z & a;\nz = y;",
                       "GAL20V8B: combinational feedback cycle at 'y'"},
        ValidationCase{"SelfLoop", "PIN 2 a INPUT\nPIN 15 y OUTPUT\ny = y & a | !a;",
                       "GAL20V8B: combinational feedback cycle at 'y'"},
        ValidationCase{"CycleThroughOE",
                       "PIN 2 a INPUT\nPIN 15 y OUTPUT OE PRODUCT\nPIN 16 z OUTPUT\n"
                       "y = a;\ny.OE = z;\nz = y;",
                       "GAL20V8B: combinational feedback cycle at 'y'"}),
    [](const auto &info) { return std::string(info.param.title); });

TEST(GAL20V8Validation, LongFeedbackChainsNeitherRecurseNorTakeQuadraticTime) {
  // The subset check runs before the package checks, so it may see far more
  // pins than the chip has: a chain y0 <- y1 <- ... of combinational outputs.
  constexpr int kLength = 50000;
  Design design;
  design.device = "GAL20V8B";
  design.pins.push_back({.number = 2, .name = "a"});
  for (int i = 0; i < kLength; ++i) {
    const std::string name = "y" + std::to_string(i);
    design.pins.push_back({.number = 100 + i, .name = name, .direction = PinDirection::OUTPUT});
    const std::string next = i + 1 < kLength ? "y" + std::to_string(i + 1) : "a";
    design.equations.push_back({name, testing::expression(next)});
  }
  EXPECT_NO_THROW(GAL20V8Device::validateSubset(design));
  design.equations.back().expression = testing::expression("y0");
  EXPECT_THROW(
      {
        try {
          GAL20V8Device::validateSubset(design);
        } catch (const std::runtime_error &error) {
          EXPECT_STREQ(error.what(), "GAL20V8B: combinational feedback cycle at 'y0'");
          throw;
        }
      },
      std::runtime_error);
}

TEST(GAL20V8Validation, SharedSubtreesAreWalkedOnce) {
  // Lowering shares each NODE's expansion; sixty doublings of one subtree
  // would be 2^60 visits if the dependency walk followed the tree.
  const auto shared = [](const std::string &leaf) {
    ExpressionPtr node = testing::expression(leaf + " & a");
    for (int i = 0; i < 60; ++i) {
      auto both = std::make_shared<Expression>();
      both->type = ExpressionType::AND;
      both->left = node;
      both->right = node;
      node = both;
    }
    return node;
  };
  Design design = testing::parseSource(
      "DEVICE GAL20V8B\nPIN 2 a INPUT\nPIN 15 y OUTPUT\nPIN 16 z OUTPUT\ny = a;\nz = y;");
  design.equations[0].expression = shared("a");
  EXPECT_NO_THROW(GAL20V8Device::validateSubset(design));
  // The one reference to z deep inside still closes the loop y -> z -> y.
  design.equations[0].expression = shared("z");
  try {
    GAL20V8Device::validateSubset(design);
    ADD_FAILURE() << "loop accepted";
  } catch (const std::runtime_error &error) {
    EXPECT_STREQ(error.what(), "GAL20V8B: combinational feedback cycle at 'y'");
  }
}

std::string encodeError(const Netlist &netlist) {
  try {
    GAL20V8Device::encode(netlist);
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

TEST(GAL20V8Encode, ComplexModeLayout) {
  const Netlist netlist =
      makeNetlist("GAL20V8B", {inputSignal("a", 2), inputSignal("b", 14), inputSignal("c", 23)},
                  {combinationalOutput("y", 21, "a & !b | c"),
                   withOE(combinationalOutput("z", 16, "y"), "!a")});
  const std::vector<bool> fuses = GAL20V8Device::encode(netlist);
  ASSERT_EQ(fuses.size(), 2706u);
  EXPECT_EQ(GAL20V8Device::modeName(fuses), "complex");
  EXPECT_TRUE(fuses[kSYN]);
  EXPECT_TRUE(fuses[kAC0]);
  EXPECT_EQ(fuseText(fuses, kAC1, 8), "11111111");
  EXPECT_EQ(fuseText(fuses, kDisable, 64), std::string(64, '1'));
  EXPECT_EQ(fuseText(fuses, kXOR, 8), "01000010"); // pins 21 and 16
  EXPECT_EQ(fuseText(fuses, rowBase(21), kRow), std::string(kRow, '1'));
  EXPECT_EQ(fuseText(fuses, rowBase(21) + kRow, kRow), rowWith({0, 35}));
  EXPECT_EQ(fuseText(fuses, rowBase(21) + 2 * kRow, kRow), rowWith({6}));
  EXPECT_EQ(fuseText(fuses, rowBase(21) + 3 * kRow, 5 * kRow), std::string(5 * kRow, '0'));
  EXPECT_EQ(fuseText(fuses, rowBase(16), kRow), rowWith({1}));
  EXPECT_EQ(fuseText(fuses, rowBase(16) + kRow, kRow), rowWith({10}));
}

TEST(GAL20V8Encode, SimpleModeDrivesPins18And19FromAllEightRows) {
  const Netlist netlist = makeNetlist(
      "GAL20V8B", {inputSignal("a", 2), inputSignal("s", 15)},
      {combinationalOutput("y", 18, "a"), combinationalOutput("z", 19, "!s")}, GALMode::SIMPLE);
  const std::vector<bool> fuses = GAL20V8Device::encode(netlist);
  EXPECT_EQ(GAL20V8Device::modeName(fuses), "simple");
  EXPECT_TRUE(fuses[kSYN]);
  EXPECT_FALSE(fuses[kAC0]);
  EXPECT_EQ(fuseText(fuses, kAC1, 8), "11100111");
  EXPECT_EQ(fuseText(fuses, rowBase(18), kRow), rowWith({0}));
  EXPECT_EQ(fuseText(fuses, rowBase(19), kRow), rowWith({31}));
}

TEST(GAL20V8Encode, RegisteredModeFeedsPin22BackOnColumn6) {
  const Netlist netlist =
      makeNetlist("GAL20V8B", {inputSignal("clk", 1), inputSignal("oe", 13), inputSignal("a", 2)},
                  {registeredOutput("q", 22, "!q & a", OutputEnableSource::OE1),
                   combinationalOutput("y", 15, "q")},
                  GALMode::REGISTERED);
  const std::vector<bool> fuses = GAL20V8Device::encode(netlist);
  EXPECT_EQ(GAL20V8Device::modeName(fuses), "registered");
  EXPECT_FALSE(fuses[kSYN]);
  EXPECT_TRUE(fuses[kAC0]);
  EXPECT_EQ(fuseText(fuses, kAC1, 8), "01111111");
  EXPECT_EQ(fuseText(fuses, rowBase(22), kRow), rowWith({0, 7}));
  EXPECT_EQ(fuseText(fuses, rowBase(15), kRow), std::string(kRow, '1'));
  EXPECT_EQ(fuseText(fuses, rowBase(15) + kRow, kRow), rowWith({6}));
}

TEST(GAL20V8Encode, SignatureIsWrittenMostSignificantBitFirst) {
  Netlist netlist =
      makeNetlist("GAL20V8B", {inputSignal("a", 2)}, {combinationalOutput("y", 15, "a")});
  netlist.signature = 0x0102030405060708ull;
  std::string expected;
  for (int b = 63; b >= 0; --b)
    expected += (netlist.signature >> b) & 1 ? '1' : '0';
  EXPECT_EQ(fuseText(GAL20V8Device::encode(netlist), kSignature, 64), expected);
}

struct FitCase {
  const char *title;
  Netlist netlist;
  const char *message;
};

void PrintTo(const FitCase &c, std::ostream *out) { *out << c.title; }

class GAL20V8Fit : public ::testing::TestWithParam<FitCase> {};

TEST_P(GAL20V8Fit, ReportsWhyTheModeDoesNotFit) {
  EXPECT_EQ(encodeError(GetParam().netlist), GetParam().message);
}

const std::vector<NetSignal> kInputs{inputSignal("a", 2), inputSignal("b", 3)};
const std::vector<NetSignal> kRegisteredInputs{inputSignal("clk", 1), inputSignal("oe", 13),
                                               inputSignal("a", 2)};

NetOutput withClock(NetOutput output) {
  output.clock = ClockSource::GCLK1;
  return output;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GAL20V8Fit,
    ::testing::Values(
        FitCase{"AutoReportsBothModes",
                makeNetlist("GAL20V8B", kInputs,
                            {combinationalOutput("y", 22, "a"), combinationalOutput("z", 21, "y")}),
                "GAL20V8B cannot fit: COMPLEX: signal 'y' on pin 22 has no data/feedback route "
                "in this mode; SIMPLE: SIMPLE mode requires explicit OUTPUT equations on pins 18 "
                "and 19 (always-driven pins)"},
        FitCase{"TooManyTerms",
                makeNetlist("GAL20V8B", kInputs,
                            {combinationalOutput("y", 17, "a|b|!a&!b|a&b|!a|!b|a&!b|!a&b")},
                            GALMode::COMPLEX),
                "GAL20V8B cannot fit: output 'y' needs 8 product terms; output limit is 7"},
        FitCase{"SimpleOE",
                makeNetlist("GAL20V8B", kInputs,
                            {withOE(combinationalOutput("y", 18, "a"), "b"),
                             combinationalOutput("z", 19, "a")},
                            GALMode::SIMPLE),
                "GAL20V8B cannot fit: SIMPLE mode requires OE ALWAYS on every output"},
        FitCase{"TwoTermOE",
                makeNetlist("GAL20V8B", kInputs, {withOE(combinationalOutput("y", 17, "a"), "a|b")},
                            GALMode::COMPLEX),
                "GAL20V8B cannot fit: output 'y' .OE needs more than one product term"},
        FitCase{"AlwaysDrivenPinsBeforeInputs",
                makeNetlist("GAL20V8B", {inputSignal("a", 2), inputSignal("s", 18)},
                            {combinationalOutput("y", 15, "a"), combinationalOutput("z", 19, "a")},
                            GALMode::SIMPLE),
                "GAL20V8B cannot fit: SIMPLE mode requires explicit OUTPUT equations on pins 18 "
                "and 19 (always-driven pins)"},
        FitCase{"InputOnComplexEdgeCell",
                makeNetlist("GAL20V8B", {inputSignal("a", 2), inputSignal("s", 15)},
                            {combinationalOutput("y", 17, "a")}, GALMode::COMPLEX),
                "GAL20V8B cannot fit: pin 15 cannot be an INPUT in this mode"},
        FitCase{"SimpleNamedFeedback",
                makeNetlist("GAL20V8B", kInputs,
                            {combinationalOutput("y", 18, "a"), combinationalOutput("z", 19, "w"),
                             combinationalOutput("w", 20, "a")},
                            GALMode::SIMPLE),
                "GAL20V8B cannot fit: SIMPLE mode does not support named output feedback; use "
                "COMPLEX or REGISTERED mode"},
        FitCase{"SimpleCannotReadItsAlwaysDrivenPins",
                makeNetlist("GAL20V8B", kInputs,
                            {combinationalOutput("y", 18, "a"), combinationalOutput("z", 19, "y")},
                            GALMode::SIMPLE),
                "GAL20V8B cannot fit: signal 'y' on pin 18 has no data/feedback route in this "
                "mode"},
        FitCase{"UnknownSignal",
                makeNetlist("GAL20V8B", kInputs, {combinationalOutput("y", 17, "zz")},
                            GALMode::COMPLEX),
                "GAL20V8B cannot fit: unknown signal 'zz'"},
        FitCase{"RegisterInComplex",
                makeNetlist("GAL20V8B", kRegisteredInputs,
                            {registeredOutput("q", 17, "a", OutputEnableSource::OE1)},
                            GALMode::COMPLEX),
                "GAL20V8B cannot fit: registers require REGISTERED mode"},
        FitCase{"RegisteredWithOEEquation",
                makeNetlist("GAL20V8B", kRegisteredInputs, {[] {
                              NetOutput q = registeredOutput("q", 17, "a", OutputEnableSource::OE1);
                              q.hasOELogic = true;
                              return q;
                            }()}),
                "GAL20V8B encoder: invalid registered controls"},
        FitCase{"CombinationalWithClock",
                makeNetlist("GAL20V8B", kInputs, {withClock(combinationalOutput("y", 17, "a"))}),
                "GAL20V8B encoder: invalid combinational controls"},
        FitCase{"ProductOEWithoutEquation", makeNetlist("GAL20V8B", kInputs, {[] {
                                                          NetOutput y =
                                                              combinationalOutput("y", 17, "a");
                                                          y.outputEnable =
                                                              OutputEnableSource::PRODUCT;
                                                          return y;
                                                        }()}),
                "GAL20V8B encoder: invalid combinational controls"},
        FitCase{"TwoOutputsOnOnePin",
                makeNetlist("GAL20V8B", kInputs,
                            {combinationalOutput("y", 17, "a"), combinationalOutput("z", 17, "b")}),
                "GAL20V8B encoder: unsupported output configuration"},
        FitCase{"OutputOnInputPin",
                makeNetlist("GAL20V8B", kInputs, {combinationalOutput("y", 14, "a")}),
                "GAL20V8B encoder: unsupported output configuration"}),
    [](const auto &info) { return std::string(info.param.title); });

} // namespace
} // namespace gsmith
