// The ATF1504 fitter on hand-built netlists, grouped by phase: placement,
// GOE source placement, logic and cascades, and switch-matrix routing.
#include "atf1504-test-support.h"

#include "devices/atf1504/atf1504-chip.h"
#include "devices/atf1504/atf1504-switch-db.h"
#include "devices/cpld/fitter.h"

#include <gtest/gtest.h>

namespace gsmith {
namespace {

using namespace gsmith::testing;
using Errors = std::vector<std::string>;

// PLCC84 pins of some macrocells.
constexpr int kPinMC1 = 22;
constexpr int kPinMC9 = 12;
constexpr int kPinMC10 = 11;
constexpr int kPinMC17 = 41;
constexpr int kPinMC29 = 27;
constexpr int kPinMC30 = 25;
constexpr int kPinMC45 = 58;
constexpr int kPinMC64 = 81;

class ATF1504FitterTest : public ::testing::Test {
protected:
  Netlist netlist = netlistWithInputs();
  ATF1504Device device{"PLCC84"};
  ATF1504Chip chip{device};

  FitResult fit() { return Fitter::fitATF1504(netlist, device, chip); }

  int macrocellOf(const FitResult &result, const std::string &name) const {
    for (const FittedOutput &out : result.outputs)
      if (out.name == name)
        return out.macrocell;
    return 0;
  }

  void requestGOE(const std::string &goe, const std::string &name) {
    netlist.configOptions.push_back({goe, "SOURCE", name});
  }
};

// Phase 1: placement.

TEST_F(ATF1504FitterTest, PinnedOutputsAndNodesArePlaced) {
  addOutput(netlist, node("n", sum({term({"a", "!b"})})));
  addOutput(netlist, output("y", kPinMC1, sum({term({"n"}), term({"c"})})));
  const FitResult result = fit();
  ASSERT_TRUE(result.success) << result.errors.front();
  ASSERT_EQ(result.outputs.size(), 2u);
  // The NODE skips MC1 although its output comes later.
  EXPECT_EQ(result.outputs[0].macrocell, 2);
  EXPECT_EQ(result.outputs[0].pin, 0);
  const FittedOutput &y = result.outputs[1];
  EXPECT_EQ(y.macrocell, 1);
  EXPECT_EQ(y.pin, kPinMC1);
  EXPECT_EQ(y.lab, 0);
  EXPECT_EQ(y.productTerms, 2);
  EXPECT_FALSE(y.usesCascade);
  EXPECT_EQ(chip.macrocell(2)->outputEnableSource(), OutputEnableSource::DISABLED);
  EXPECT_EQ(chip.macrocell(1)->outputEnableSource(), OutputEnableSource::ALWAYS);
  EXPECT_TRUE(chip.macrocell(1)->isConfiguredOutput());
}

TEST_F(ATF1504FitterTest, PlacementErrorsAreCollectedAndStopTheFit) {
  addOutput(netlist, output("y1", kPinMC9, sum({term({"a"})})));
  addOutput(netlist, output("y2", kPinMC9, sum({term({"b"})})));
  addOutput(netlist, output("vcc", 3, sum({term({"c"})})));
  addOutput(netlist, output("clk", 83, sum({term({"c"})})));
  addOutput(netlist, output("wide", kPinMC1, wideSum(9))); // would fail in phase 3
  const FitResult result = fit();
  EXPECT_FALSE(result.success);
  EXPECT_EQ(result.errors, (Errors{"ATF1504 macrocell MC9 is already used",
                                   "No ATF1504 macrocell is available for 'vcc'",
                                   "No ATF1504 macrocell is available for 'clk'"}));
  EXPECT_TRUE(result.outputs.empty());
}

TEST_F(ATF1504FitterTest, RunsOutOfMacrocellsForNodes) {
  for (int k = 1; k <= 65; ++k)
    addOutput(netlist, node("n" + std::to_string(k), sum({term({"a"})})));
  const FitResult result = fit();
  EXPECT_EQ(result.errors, (Errors{"No ATF1504 macrocell is available for 'n65'"}));
}

// Phase 2: GOE sources.

TEST_F(ATF1504FitterTest, GOESourceNodeMovesToASelectableMacrocell) {
  addOutput(netlist, node("en", sum({term({"a", "b"})})));
  addOutput(netlist, node("other", sum({term({"c"})})));
  requestGOE("GOE1", "en");
  const FitResult result = fit();
  ASSERT_TRUE(result.success) << result.errors.front();
  // GOE1 can select MC11, MC30 and MC46; the lowest wins.
  EXPECT_EQ(macrocellOf(result, "en"), 11);
  EXPECT_EQ(macrocellOf(result, "other"), 2);
}

TEST_F(ATF1504FitterTest, NodeDisplacedByAGOESourceTakesTheFirstFreeMacrocell) {
  // GOE3 selects MC1, MC3, MC21, MC49 and MC51. "en" starts on MC2 and takes
  // MC1, so "x", placed on MC1 first, moves to the lowest free macrocell.
  addOutput(netlist, node("x", sum({term({"c"})})));
  addOutput(netlist, node("en", sum({term({"a", "b"})})));
  addOutput(netlist, node("z", sum({term({"d"})})));
  requestGOE("GOE3", "en");
  const FitResult result = fit();
  ASSERT_TRUE(result.success) << result.errors.front();
  EXPECT_EQ(macrocellOf(result, "en"), 1);
  EXPECT_EQ(macrocellOf(result, "x"), 2);
  EXPECT_EQ(macrocellOf(result, "z"), 3);
}

TEST_F(ATF1504FitterTest, GOESourceAlreadyRoutableStays) {
  addOutput(netlist, node("en", sum({term({"a"})})));
  requestGOE("GOE3", "en"); // GOE3 selects MC1_FB
  requestGOE("GOE7", "en"); // not a GOE: ignored
  requestGOE("GOE2", "nothing");
  const FitResult result = fit();
  ASSERT_TRUE(result.success) << result.errors.front();
  EXPECT_EQ(macrocellOf(result, "en"), 1);
}

TEST_F(ATF1504FitterTest, GOEMatchingMovesAnEarlierNode) {
  // With MC29 and MC45 pin-reserved, only MC11 has a chain long enough for
  // ten terms, so the first node gives it up and moves to MC30.
  addOutput(netlist, output("p29", kPinMC29, sum({term({"a"})})));
  addOutput(netlist, output("p45", kPinMC45, sum({term({"b"})})));
  addOutput(netlist, node("small", sum({term({"a"})})));
  addOutput(netlist, node("wide", wideSum(10)));
  addOutput(netlist, node("plain", sum({term({"c"})})));
  requestGOE("GOE1", "small");
  requestGOE("GOE1", "wide");
  const FitResult result = fit();
  ASSERT_TRUE(result.success) << result.errors.front();
  EXPECT_EQ(macrocellOf(result, "small"), 30);
  EXPECT_EQ(macrocellOf(result, "wide"), 11);
  EXPECT_EQ(macrocellOf(result, "plain"), 3);
  EXPECT_EQ(chip.macrocell(10)->usedCascadeTerms(), 5);
  EXPECT_TRUE(result.outputs[3].usesCascade);
}

TEST_F(ATF1504FitterTest, GOEPlacementFailures) {
  addOutput(netlist, output("pinned", kPinMC1, sum({term({"a"})})));
  requestGOE("GOE1", "pinned");
  EXPECT_EQ(fit().errors,
            (Errors{"Pin-bound GOE source 'pinned' has no requested feedback route"}));

  netlist = netlistWithInputs();
  addOutput(netlist, output("p30", kPinMC30, sum({term({"a"})})));
  for (const char *name : {"n1", "n2", "n3"}) {
    addOutput(netlist, node(name, sum({term({"b"})})));
    requestGOE("GOE1", name);
  }
  EXPECT_EQ(fit().errors,
            (Errors{"No available macrocell satisfies all GOE routes for NODE 'n3'"}));

  // Two GOEs whose lists share no macrocell.
  netlist = netlistWithInputs();
  addOutput(netlist, node("both", sum({term({"a"})})));
  requestGOE("GOE1", "both");
  requestGOE("GOE2", "both");
  EXPECT_EQ(fit().errors,
            (Errors{"No available macrocell satisfies all GOE routes for NODE 'both'"}));
}

// Phase 3: logic.

TEST_F(ATF1504FitterTest, NativeCapacityShrinksWithControlTerms) {
  NetOutput y = output("y", kPinMC1, wideSum(3));
  y.registered = true;
  y.outputEnable = OutputEnableSource::PRODUCT;
  y.oeLogic = sum({term({"a"})});
  y.hasOELogic = true;
  y.clockEnable = true;
  y.ceLogic = sum({term({"b"})});
  y.hasCELogic = true;
  y.reset = ResetSource::PRODUCT;
  y.resetLogic = sum({term({"c"})});
  y.hasResetLogic = true;
  addOutput(netlist, y);
  EXPECT_EQ(fit().errors, (Errors{"Output 'y' needs 3 ordinary product terms, but only 2 are "
                                  "free in its ATF1504 cascade chain"}));
  netlist.outputs[0].sum = wideSum(2);
  const FitResult result = fit();
  ASSERT_TRUE(result.success) << result.errors.front();
  const Macrocell &mc = *chip.macrocell(1);
  EXPECT_EQ(mc.productTerms().size(), 2u);
  EXPECT_TRUE(mc.hasOEProductTerm());
  EXPECT_TRUE(mc.hasClockEnableProduct());
  EXPECT_TRUE(mc.hasResetProduct);
  EXPECT_EQ(mc.availableProductTerms(), 0);
  EXPECT_EQ(result.outputs[0].maxProductTerms, 2);
}

TEST_F(ATF1504FitterTest, CascadeBorrowsFromTheGroupOfEight) {
  addOutput(netlist, output("first", kPinMC9, wideSum(7)));
  EXPECT_EQ(fit().errors, (Errors{"Output 'first' needs 7 ordinary product terms, but only 5 "
                                  "are free in its ATF1504 cascade chain"}));

  netlist = netlistWithInputs();
  addOutput(netlist, output("second", kPinMC10, wideSum(7)));
  const FitResult result = fit();
  ASSERT_TRUE(result.success) << result.errors.front();
  EXPECT_EQ(chip.macrocell(10)->productTerms().size(), 5u);
  EXPECT_EQ(chip.macrocell(9)->cascadeTerms().size(), 2u);
  EXPECT_EQ(chip.macrocell(9)->cascadeOwners(), (std::vector<int>{10, 10}));
  EXPECT_FALSE(chip.macrocell(9)->isConfiguredOutput());
  EXPECT_TRUE(result.outputs[0].usesCascade);
  EXPECT_EQ(result.outputs[0].maxProductTerms, 10);
}

TEST_F(ATF1504FitterTest, FortyTermsUseTheWholeGroup) {
  addOutput(netlist, output("y", kPinMC64, wideSum(40)));
  const FitResult result = fit();
  ASSERT_TRUE(result.success) << result.errors.front();
  EXPECT_EQ(result.outputs[0].productTerms, 40);
  for (int mc = 57; mc <= 63; ++mc)
    EXPECT_EQ(chip.macrocell(mc)->cascadeTerms().size(), 5u) << mc;

  netlist.outputs[0].sum = wideSum(41);
  EXPECT_EQ(fit().errors, (Errors{"Output 'y' needs 41 ordinary product terms, but only 40 "
                                  "are free in its ATF1504 cascade chain"}));
}

TEST_F(ATF1504FitterTest, UsedMacrocellsBreakTheCascadeChain) {
  addOutput(netlist, output("y", kPinMC64, wideSum(12)));
  addOutput(netlist, output("z", device.macrocells()[61].pin, sum({term({"a"})}))); // MC62
  EXPECT_EQ(fit().errors, (Errors{"Output 'y' needs 12 ordinary product terms, but only 10 are "
                                  "free in its ATF1504 cascade chain"}));
}

TEST_F(ATF1504FitterTest, XorTermTakesANativeSlot) {
  NetOutput y = output("y", kPinMC17, wideSum(5));
  y.usesXor = true;
  y.xorTerm = sum({term({"a", "b"})});
  addOutput(netlist, y);
  EXPECT_EQ(fit().errors, (Errors{"Output 'y' needs 5 ordinary product terms, but only 4 are "
                                  "free in its ATF1504 cascade chain"}));
  netlist.outputs[0].sum = wideSum(4);
  ASSERT_TRUE(fit().success);
  EXPECT_TRUE(chip.macrocell(17)->hasXorProduct);
  EXPECT_EQ(chip.macrocell(17)->xorProduct.size(), 2u);
}

// The netlist only sets usesXor for a one-term operand; anything else is a
// builder fault, reported instead of programming a wrong XOR input.
TEST_F(ATF1504FitterTest, XorOperandMustBeOneTerm) {
  for (const SOPExpression &operand : {sum({}), sum({term({"a"}), term({"b"})})}) {
    netlist = netlistWithInputs();
    NetOutput y = output("y", kPinMC17, sum({term({"c"})}));
    y.usesXor = true;
    y.xorTerm = operand;
    addOutput(netlist, y);
    EXPECT_EQ(
        fit().errors,
        (Errors{"Internal error: ATF1504 XOR operand of 'y' is not exactly one product term"}));
  }
}

TEST_F(ATF1504FitterTest, ControlEquationMessages) {
  NetOutput both = output("both", kPinMC1, sum({term({"a"})}));
  both.outputEnable = OutputEnableSource::PRODUCT;
  both.preset = true;
  addOutput(netlist, both);

  NetOutput ce = output("ce", kPinMC9, sum({term({"a"})}));
  ce.registered = true;
  ce.clockEnable = true;
  ce.ceLogic = sum({term({"a"}), term({"b"})});
  ce.hasCELogic = true;
  addOutput(netlist, ce);

  NetOutput reset = output("reset", kPinMC10, sum({term({"a"})}));
  reset.registered = true;
  reset.reset = ResetSource::PRODUCT;
  addOutput(netlist, reset);

  NetOutput oe = output("oe", kPinMC17, sum({term({"a"})}));
  oe.outputEnable = OutputEnableSource::PRODUCT;
  addOutput(netlist, oe);

  NetOutput preset = output("preset", kPinMC64, sum({term({"a"})}));
  preset.registered = true;
  preset.preset = true;
  preset.presetLogic = sum({});
  preset.hasPresetLogic = true;
  addOutput(netlist, preset);

  addOutput(netlist, output("fine", kPinMC29, sum({term({"a"})})));

  const FitResult result = fit();
  EXPECT_EQ(result.errors,
            (Errors{"ATF1504 output 'both' cannot use OE PRODUCT and PRESET PRODUCT together; "
                    "both require PT5",
                    "ATF1504 clock control for 'ce' requires exactly one .CE product term",
                    "ATF1504 RESET PRODUCT for 'reset' requires exactly one .RESET product term",
                    "ATF1504 OE PRODUCT for 'oe' requires exactly one product term",
                    "ATF1504 PRESET PRODUCT for 'preset' requires exactly one product term"}));
  // Only the clean output was fitted, and routing never ran.
  ASSERT_EQ(result.outputs.size(), 1u);
  EXPECT_EQ(result.outputs[0].name, "fine");
  EXPECT_EQ(chip.matrix(ATF1502LAB::B).signals().front().physicalUIM, 0);
}

TEST_F(ATF1504FitterTest, FullSwitchMatrixMessages) {
  auto manyInputs = [](int first, int count) {
    SOPExpression s;
    for (int k = first; k < first + count; ++k)
      s.terms.push_back({{"i" + std::to_string(k), false}});
    return s;
  };
  NetOutput y = output("y", kPinMC64, manyInputs(1, 40));
  addOutput(netlist, y);
  NetOutput z = output("z", device.macrocells()[48].pin, sum({term({"i1", "extra"})})); // MC49
  addOutput(netlist, z);
  NetOutput w = output("w", device.macrocells()[49].pin, sum({term({"i3"})})); // MC50
  w.usesXor = true;
  w.xorTerm = sum({term({"x"})});
  addOutput(netlist, w);
  NetOutput q = output("q", device.macrocells()[50].pin, sum({term({"i2"})})); // MC51
  q.registered = true;
  q.clock = ClockSource::GCLK1;
  q.outputEnable = OutputEnableSource::PRODUCT;
  q.oeLogic = sum({term({"oe"})});
  q.hasOELogic = true;
  addOutput(netlist, q);
  EXPECT_EQ(fit().errors,
            (Errors{"LAB switch matrix is full while routing 'extra' for output 'z'",
                    "LAB switch matrix is full while routing XOR for 'w'",
                    "LAB switch matrix is full while routing OE 'oe' for output 'q'"}));
}

// Phase 4: routing.

TEST_F(ATF1504FitterTest, RoutingFailuresOfEveryLABAreReported) {
  // Pin 3 is a power pin: no physical source. Four signals on the GOE1 pin
  // need four of LAB B's three E1_PAD switches.
  netlist.signals.push_back({"vcc", 3});
  for (const char *name : {"e1", "e2", "e3", "e4"})
    netlist.signals.push_back({name, 84});
  addOutput(netlist, output("y", kPinMC1, sum({term({"vcc"})})));
  addOutput(netlist, output("z", kPinMC17, sum({term({"e1", "e2", "e3", "e4"})})));
  const FitResult result = fit();
  EXPECT_FALSE(result.success);
  EXPECT_EQ(result.errors,
            (Errors{"Cannot identify physical source for signal 'vcc'",
                    "No free UIM in LAB B can select source 'E1_PAD' for signal 'e4'"}));
  EXPECT_EQ(result.outputs.size(), 2u);
}

TEST_F(ATF1504FitterTest, FeedbackSignalsRouteAsMacrocellFeedback) {
  addOutput(netlist, node("n", sum({term({"a", "b"})})));
  addOutput(netlist, output("y", kPinMC17, sum({term({"n", "!y"})})));
  const FitResult result = fit();
  ASSERT_TRUE(result.success) << result.errors.front();
  const auto &signals = chip.matrix(ATF1502LAB::B).signals();
  ASSERT_EQ(signals.size(), 2u);
  EXPECT_EQ(signals[0].sourceNode, 601); // n on MC1
  EXPECT_EQ(signals[1].sourceNode, 617); // y's own feedback, not its pin
  EXPECT_EQ(signals[1].pin, kPinMC17);
  for (const SwitchMatrixSignal &signal : signals)
    EXPECT_TRUE(ATF1504SwitchDB::isLABBSwitch(signal.physicalUIM)) << signal.name;
}

} // namespace
} // namespace gsmith
