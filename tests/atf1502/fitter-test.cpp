// The ATF1502 fitter on hand-built netlists: placement, control-term checks,
// routing, cascading, and every failure message grouped by its cause.
#include "devices/atf1502/atf1502-chip.h"
#include "devices/atf1502/atf1502.h"
#include "devices/cpld/fitter.h"
#include "tests/atf1502/netlist-maker.h"

#include <gtest/gtest.h>

namespace gsmith {
namespace {

using testing::NetlistMaker;
using testing::sum;
using testing::term;

struct Fit {
  ATF1502Chip chip;
  FitResult result;
};

Fit fit(const Netlist &netlist, const std::string &package = "PLCC44") {
  Fit fitted;
  fitted.result = Fitter::fitATF1502(netlist, ATF1502Device(package), fitted.chip);
  return fitted;
}

SOPExpression termsOf(int count) {
  SOPExpression logic;
  for (int i = 0; i < count; ++i)
    logic.terms.push_back(term({"a", i % 2 ? "!b" : "b"}));
  return logic;
}

TEST(ATF1502FitterTest, PlacesPinOutputsAndReportsThem) {
  NetlistMaker maker;
  maker.input("a", 43).input("b", 5);
  maker.output("y", 41, sum({term({"a", "!b"})}));
  const Fit fitted = fit(maker.netlist());
  ASSERT_TRUE(fitted.result.success) << fitted.result.errors.front();
  ASSERT_EQ(fitted.result.outputs.size(), 1u);
  const FittedOutput &y = fitted.result.outputs[0];
  EXPECT_EQ(y.name, "y");
  EXPECT_EQ(y.pin, 41);
  EXPECT_EQ(y.macrocell, 17);
  EXPECT_EQ(y.lab, 1);
  EXPECT_EQ(y.productTerms, 1);
  EXPECT_EQ(y.maxProductTerms, 5);
  EXPECT_FALSE(y.usesCascade);
  EXPECT_TRUE(fitted.chip.macrocell(17)->isConfiguredOutput());
  EXPECT_EQ(fitted.chip.matrixB().usedSignals(), 2);
  EXPECT_EQ(fitted.chip.matrixA().usedSignals(), 0);
}

TEST(ATF1502FitterTest, BuriedNodesSkipJTAGMacrocells) {
  NetlistMaker maker;
  maker.input("a", 43);
  for (const char *name : {"n1", "n2", "n3", "n4", "n5"})
    maker.node(name, sum({term({"a"})}));
  const Fit fitted = fit(maker.netlist());
  ASSERT_TRUE(fitted.result.success);
  std::vector<int> macrocells;
  for (const FittedOutput &output : fitted.result.outputs)
    macrocells.push_back(output.macrocell);
  EXPECT_EQ(macrocells, (std::vector<int>{1, 2, 3, 5, 6}));
  EXPECT_EQ(fitted.chip.macrocell(1)->outputEnableSource(), OutputEnableSource::DISABLED);
}

TEST(ATF1502FitterTest, NodesFeedOtherOutputsThroughTheirFeedback) {
  NetlistMaker maker;
  maker.input("a", 43).input("b", 44);
  maker.node("n", sum({term({"a", "b"})}));
  maker.output("y", 41, sum({term({"n", "!y"})}));
  const Fit fitted = fit(maker.netlist());
  ASSERT_TRUE(fitted.result.success);
  const auto &signals = fitted.chip.matrixB().signals();
  ASSERT_EQ(signals.size(), 2u);
  EXPECT_EQ(signals[0].name, "n");
  EXPECT_EQ(signals[0].sourceNode, 601);
  EXPECT_EQ(signals[1].name, "y");
  EXPECT_EQ(signals[1].sourceNode, 617);
}

TEST(ATF1502FitterTest, SignalsCostOneSelectionPerLAB) {
  NetlistMaker maker;
  maker.input("a", 43).input("b", 44);
  maker.output("y", 4, sum({term({"a", "b"}), term({"!a", "!b"})}));
  maker.output("z", 5, sum({term({"a"})}));
  const Fit fitted = fit(maker.netlist());
  ASSERT_TRUE(fitted.result.success);
  EXPECT_EQ(fitted.chip.matrixA().usedSignals(), 2);
}

TEST(ATF1502FitterTest, CascadeBorrowsFromTheMacrocellBelow) {
  NetlistMaker maker;
  maker.input("a", 43).input("b", 44);
  maker.output("y", 5, termsOf(7));
  const Fit fitted = fit(maker.netlist());
  ASSERT_TRUE(fitted.result.success);
  EXPECT_TRUE(fitted.result.outputs[0].usesCascade);
  EXPECT_EQ(fitted.result.outputs[0].maxProductTerms, 10);
  EXPECT_EQ(fitted.chip.macrocell(2)->productTerms().size(), 5u);
  EXPECT_EQ(fitted.chip.macrocell(1)->cascadeTerms().size(), 2u);
  EXPECT_EQ(fitted.chip.macrocell(1)->cascadeOwners(), (std::vector<int>{2, 2}));
}

struct MessageCase {
  const char *cause;
  void (*build)(NetlistMaker &);
  std::vector<std::string> errors;
};

void withControl(NetOutput &y, const char *control, int terms, bool hasLogic) {
  SOPExpression logic = termsOf(terms);
  const std::string which = control;
  if (which == "OE") {
    y.outputEnable = OutputEnableSource::PRODUCT;
    y.oeLogic = logic;
    y.hasOELogic = hasLogic;
  } else if (which == "RESET") {
    y.reset = ResetSource::PRODUCT;
    y.resetLogic = logic;
    y.hasResetLogic = hasLogic;
  } else if (which == "CE") {
    y.clockEnable = true;
    y.ceLogic = logic;
    y.hasCELogic = hasLogic;
  } else {
    y.preset = true;
    y.presetLogic = logic;
    y.hasPresetLogic = hasLogic;
  }
}

NetOutput &plainOutput(NetlistMaker &maker) {
  maker.input("a", 43).input("b", 44).input("c1", 2).input("c2", 1);
  return maker.output("y", 5, sum({term({"a"})}));
}

const MessageCase kMessageCases[] = {
    {"two outputs on one pin",
     [](NetlistMaker &m) {
       m.input("a", 43);
       m.output("y", 5, sum({term({"a"})}));
       m.output("z", 5, sum({term({"a"})}));
     },
     {"Conflicting ATF1502 placement for 'z'"}},
    {"output on a dedicated input pin",
     [](NetlistMaker &m) {
       m.input("a", 43);
       m.output("y", 1, sum({term({"a"})}));
       m.output("z", 44, sum({term({"a"})}));
     },
     {"Conflicting ATF1502 placement for 'y'", "Conflicting ATF1502 placement for 'z'"}},
    {"more buried nodes than free macrocells",
     [](NetlistMaker &m) {
       m.input("a", 43);
       for (int i = 0; i < 29; ++i)
         m.node("n" + std::to_string(i), sum({term({"a"})}));
     },
     {"No free macrocell available for buried node 'n28'"}},
    {"OE PRODUCT without logic",
     [](NetlistMaker &m) { withControl(plainOutput(m), "OE", 1, false); },
     {"Internal error: output 'y' uses OE PRODUCT but has no OE logic"}},
    {"OE PRODUCT of two terms",
     [](NetlistMaker &m) { withControl(plainOutput(m), "OE", 2, true); },
     {"Output 'y' OE expression requires 2 product terms; OE PRODUCT currently supports exactly "
      "one"}},
    {"RESET PRODUCT without logic",
     [](NetlistMaker &m) { withControl(plainOutput(m), "RESET", 1, false); },
     {"Internal error: output 'y' uses RESET PRODUCT but has no RESET logic"}},
    {"RESET PRODUCT of three terms",
     [](NetlistMaker &m) { withControl(plainOutput(m), "RESET", 3, true); },
     {"Output 'y' RESET expression requires 3 product terms; RESET PRODUCT currently supports "
      "exactly one"}},
    {"CE PRODUCT without logic",
     [](NetlistMaker &m) { withControl(plainOutput(m), "CE", 1, false); },
     {"Internal error: output 'y' uses CE PRODUCT but has no CE logic"}},
    {"CE PRODUCT of two terms",
     [](NetlistMaker &m) { withControl(plainOutput(m), "CE", 2, true); },
     {"Output 'y' CE expression requires 2 product terms; CE PRODUCT currently supports exactly "
      "one"}},
    {"PRESET PRODUCT without logic",
     [](NetlistMaker &m) { withControl(plainOutput(m), "PRESET", 1, false); },
     {"Internal error: output 'y' uses PRESET PRODUCT but has no PRESET logic"}},
    {"PRESET PRODUCT of two terms",
     [](NetlistMaker &m) { withControl(plainOutput(m), "PRESET", 2, true); },
     {"Output 'y' PRESET expression requires 2 product terms; PRESET PRODUCT currently supports "
      "exactly one"}},
    {"OE PRODUCT with PRESET PRODUCT",
     [](NetlistMaker &m) {
       NetOutput &y = plainOutput(m);
       withControl(y, "OE", 1, true);
       withControl(y, "PRESET", 1, true);
     },
     {"Output 'y' cannot use OE PRODUCT and PRESET PRODUCT together because both require PT5"}},
    {"undeclared data signal",
     [](NetlistMaker &m) {
       m.input("a", 43);
       m.output("y", 5, sum({term({"a", "ghost"})}));
     },
     {"Internal error: routing source for signal 'ghost' was not found"}},
    {"undeclared control signals",
     [](NetlistMaker &m) {
       m.input("a", 43);
       NetOutput &y = m.output("y", 5, sum({term({"a"})}));
       y.outputEnable = OutputEnableSource::PRODUCT;
       y.oeLogic = sum({term({"oeGhost"})});
       y.hasOELogic = true;
       NetOutput &z = m.output("z", 6, sum({term({"a"})}));
       withControl(z, "RESET", 1, true);
       z.resetLogic = sum({term({"rGhost"})});
       NetOutput &w = m.output("w", 8, sum({term({"a"})}));
       withControl(w, "CE", 1, true);
       w.ceLogic = sum({term({"ceGhost"})});
       NetOutput &v = m.output("v", 9, sum({term({"a"})}));
       withControl(v, "PRESET", 1, true);
       v.presetLogic = sum({term({"pGhost"})});
     },
     {"Internal error: OE routing source for signal 'oeGhost' was not found",
      "Internal error: RESET routing source for signal 'rGhost' was not found",
      "Internal error: CE routing source for signal 'ceGhost' was not found",
      "Internal error: PRESET routing source for signal 'pGhost' was not found"}},
    {"more than forty inputs into one LAB",
     [](NetlistMaker &m) {
       ProductTerm wide;
       for (int i = 0; i < 41; ++i) {
         const std::string name = "i" + std::to_string(i);
         m.input(name, 43);
         wide.push_back(Literal{name, false});
       }
       m.output("y", 5, SOPExpression{{wide}});
     },
     {"Output 'y' requires 41 additional UIM signals in LAB A, but only 40 selections remain"}},
    {"sum too large for a chain start",
     [](NetlistMaker &m) {
       m.input("a", 43).input("b", 44);
       m.output("y", 41, termsOf(7)); // macrocell 17 starts a chain
     },
     {"Output 'y' requires 7 product terms including control terms, but only 5 are available in "
      "its cascade chain"}},
    {"sum too large for macrocell 9, a chain start",
     [](NetlistMaker &m) {
       m.input("a", 43).input("b", 44);
       m.output("y", 13, termsOf(7));
     },
     {"Output 'y' requires 7 product terms including control terms, but only 5 are available in "
      "its cascade chain"}},
    {"XOR and control terms leave one slot at a chain start",
     [](NetlistMaker &m) {
       NetOutput &y = plainOutput(m);
       y.pin = 4; // macrocell 1
       y.sum = termsOf(2);
       y.usesXor = true;
       y.xorTerm = sum({term({"b"})});
       withControl(y, "OE", 1, true);
       withControl(y, "RESET", 1, true);
       withControl(y, "CE", 1, true);
     },
     {"Output 'y' requires 2 product terms including control terms, but only 1 are available in "
      "its cascade chain"}},
    {"earlier outputs used up the LAB's selections",
     [](NetlistMaker &m) {
       ProductTerm wide;
       for (int i = 0; i < 40; ++i) {
         const std::string name = "i" + std::to_string(i);
         m.input(name, 43);
         wide.push_back(Literal{name, false});
       }
       m.input("extra", 44);
       m.output("y", 5, SOPExpression{{wide}});
       m.output("z", 6, sum({term({"i0", "!i39"})})); // already selected: costs nothing
       m.output("w", 8, sum({term({"i1", "extra"})}));
     },
     {"Output 'w' requires 1 additional UIM signals in LAB A, but only 0 selections remain"}},
    {"cascade chain blocked by a used macrocell",
     [](NetlistMaker &m) {
       m.input("a", 43).input("b", 44);
       m.output("x", 4, sum({term({"a"})})); // macrocell 1
       m.output("y", 6, termsOf(12));        // macrocell 3 may borrow only from 2
     },
     {"Output 'y' requires 12 product terms including control terms, but only 10 are available "
      "in its cascade chain"}},
    {"cascade chain stops at a JTAG macrocell",
     [](NetlistMaker &m) {
       m.input("a", 43).input("b", 44);
       m.output("y", 8, termsOf(9)); // macrocell 5; macrocell 4 is JTAG
     },
     {"Output 'y' requires 9 product terms including control terms, but only 5 are available in "
      "its cascade chain"}},
    {"control terms shrink the chain",
     [](NetlistMaker &m) {
       NetOutput &y = plainOutput(m);
       y.pin = 4; // macrocell 1, a chain start
       y.sum = termsOf(3);
       withControl(y, "OE", 1, true);
       withControl(y, "RESET", 1, true);
       withControl(y, "CE", 1, true);
     },
     {"Output 'y' requires 3 product terms including control terms, but only 2 are available in "
      "its cascade chain"}},
};

TEST(ATF1502FitterTest, FailureMessagesByCause) {
  for (const MessageCase &c : kMessageCases) {
    SCOPED_TRACE(c.cause);
    NetlistMaker maker;
    c.build(maker);
    const Fit fitted = fit(maker.netlist());
    EXPECT_FALSE(fitted.result.success);
    EXPECT_EQ(fitted.result.errors, c.errors);
  }
}

// Literals are selected sum terms first, then the XOR term, then the OE,
// RESET, CE and PRESET terms, each name once per LAB.
TEST(ATF1502FitterTest, SelectsSignalsInTermOrder) {
  NetlistMaker maker;
  maker.input("clk", 43).input("a", 44).input("b", 1).input("g", 2);
  maker.input("c", 41).input("d", 40).input("e", 39).input("f", 37).input("h", 36);
  NetOutput &y = maker.output("y", 5, sum({term({"b", "!a"}), term({"a", "g"})}));
  y.registered = true;
  y.clock = ClockSource::GCLK1;
  y.usesXor = true;
  y.xorTerm = sum({term({"!c"})});
  withControl(y, "OE", 1, true);
  y.oeLogic = sum({term({"d", "a"})});
  withControl(y, "RESET", 1, true);
  y.resetLogic = sum({term({"e"})});
  withControl(y, "CE", 1, true);
  y.ceLogic = sum({term({"!f"})});
  NetOutput &z = maker.output("z", 6, sum({term({"b"})}));
  z.registered = true;
  z.clock = ClockSource::GCLK1;
  withControl(z, "PRESET", 1, true);
  z.presetLogic = sum({term({"h", "b"})});

  const Fit fitted = fit(maker.netlist());
  ASSERT_TRUE(fitted.result.success) << fitted.result.errors.front();
  std::vector<std::string> names;
  for (const SwitchMatrixSignal &signal : fitted.chip.matrixA().signals()) {
    names.push_back(signal.name);
    EXPECT_EQ(signal.sourceNode, 0) << signal.name;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"b", "a", "g", "c", "d", "e", "f", "h"}));
  EXPECT_EQ(fitted.chip.matrixA().signals()[0].pin, 1);

  // y's two sum terms: one in its own macrocell beside four control terms,
  // one borrowed from macrocell 1.
  const Macrocell &destination = *fitted.chip.macrocell(2);
  EXPECT_EQ(destination.productTerms().size(), 1u);
  EXPECT_TRUE(destination.hasXorProduct && destination.hasResetProduct &&
              destination.hasOEProductTerm() && destination.hasClockEnableProduct());
  EXPECT_EQ(fitted.chip.macrocell(1)->cascadeOwners(), (std::vector<int>{2}));
  EXPECT_TRUE(fitted.result.outputs[0].usesCascade);
  EXPECT_TRUE(fitted.chip.macrocell(3)->hasPresetProduct());
}

TEST(ATF1502FitterTest, PlacementFailureStopsBeforeRouting) {
  NetlistMaker maker;
  maker.input("a", 43);
  maker.output("y", 5, sum({term({"a"})}));
  maker.output("z", 5, sum({term({"a"})}));
  const Fit fitted = fit(maker.netlist());
  EXPECT_TRUE(fitted.result.outputs.empty());
  EXPECT_EQ(fitted.chip.matrixA().usedSignals(), 0);
}

TEST(ATF1502FitterTest, LaterOutputsStillFitAfterAFailure) {
  NetlistMaker maker;
  maker.input("a", 43).input("b", 44);
  maker.output("y", 41, termsOf(7));
  maker.output("z", 5, sum({term({"a"})}));
  const Fit fitted = fit(maker.netlist());
  EXPECT_FALSE(fitted.result.success);
  ASSERT_EQ(fitted.result.outputs.size(), 1u);
  EXPECT_EQ(fitted.result.outputs[0].name, "z");
}

TEST(ATF1502FitterTest, RefitResetsTheChip) {
  NetlistMaker maker;
  maker.input("a", 43);
  maker.output("y", 5, sum({term({"a"})}));
  Fit fitted = fit(maker.netlist());
  const FitResult again = Fitter::fitATF1502(maker.netlist(), ATF1502Device(""), fitted.chip);
  EXPECT_TRUE(again.success);
  EXPECT_EQ(fitted.chip.macrocell(2)->productTerms().size(), 1u);
  EXPECT_EQ(fitted.chip.matrixA().usedSignals(), 1);
}

TEST(ATF1502FitterTest, TQFP44PinsPlaceOnTheSameMacrocells) {
  NetlistMaker maker;
  maker.input("a", 37);                      // GCLK1
  maker.output("y", 35, sum({term({"a"})})); // PLCC44 pin 41, macrocell 17
  const Fit fitted = fit(maker.netlist(), "TQFP44");
  ASSERT_TRUE(fitted.result.success);
  EXPECT_EQ(fitted.result.outputs[0].macrocell, 17);
  EXPECT_EQ(fitted.chip.package(), "TQFP44");
}

} // namespace
} // namespace gsmith
