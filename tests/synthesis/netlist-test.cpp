// NetlistBuilder on hand-built designs: record copying, the dedicated-XOR
// split on each ATF15xx device, CONFIG toggle and fast-input handling,
// control equations, output order, and the size bound applied to every
// expression of a CPLD design before conversion.
#include "synthesis/netlist-builder.h"
#include "target/registry.h"

#include "tests/synthesis/synthesis-test-support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

namespace gsmith::testing {
namespace {

// The netlist of a design with the synthesis options of its device.
Netlist buildNetlist(const Design &design) {
  const Target *target = TargetRegistry::find(design.device);
  return NetlistBuilder::build(design, target ? target->synthesisOptions() : SynthesisOptions{});
}

const char *const kCpldDevices[] = {"ATF1502AS", "ATF1502ASV", "ATF1504AS", "ATF1504ASV"};

Design design(const std::string &device) {
  Design result;
  result.device = device;
  result.pins = {pin(2, "a"), pin(3, "b"),        pin(4, "c"),
                 pin(5, "d"), outputPin(14, "y"), outputPin(15, "z")};
  return result;
}

NodeDefinition registeredNode(const std::string &name) {
  NodeDefinition node;
  node.name = name;
  node.registered = true;
  node.clock = ClockSource::GCLK1;
  return node;
}

std::string buildError(const Design &source) {
  try {
    buildNetlist(source);
  } catch (const std::exception &error) {
    return error.what();
  }
  return "";
}

NetOutput single(const Design &source) {
  const Netlist netlist = buildNetlist(source);
  EXPECT_EQ(netlist.outputs.size(), 1u);
  return netlist.outputs.empty() ? NetOutput{} : netlist.outputs.front();
}

TEST(NetlistBuilder, CopiesTheDesignAndOnePinSignalPerDeclaration) {
  Design source = design("ATF1504AS");
  source.signature = 0xBEEF;
  source.hasSignature = true;
  source.powerDownPD2 = true;
  source.galMode = GALMode::SIMPLE;
  source.configOptions = {{"y", "SLEW", "FAST"}};
  source.pins[4].registered = true;
  source.pins[4].clock = ClockSource::GCLK2;
  source.pins[4].reset = ResetSource::PRODUCT;
  source.pins[4].clockEnable = true;
  source.pins[4].preset = true;
  source.pins[4].outputEnable = OutputEnableSource::OE2;
  source.pins[4].globalOE = GlobalOEPin::GOE1;

  const Netlist netlist = buildNetlist(source);
  EXPECT_EQ(netlist.device, "ATF1504AS");
  EXPECT_EQ(netlist.signature, 0xBEEFu);
  EXPECT_TRUE(netlist.hasSignature);
  EXPECT_FALSE(netlist.powerDownPD1);
  EXPECT_TRUE(netlist.powerDownPD2);
  EXPECT_EQ(netlist.galMode, GALMode::SIMPLE);
  ASSERT_EQ(netlist.configOptions.size(), 1u);
  EXPECT_EQ(netlist.configOptions[0].option, "SLEW");
  EXPECT_TRUE(netlist.outputs.empty());
  ASSERT_EQ(netlist.signals.size(), source.pins.size());
  for (size_t i = 0; i < source.pins.size(); ++i) {
    EXPECT_EQ(netlist.signals[i].name, source.pins[i].name);
    EXPECT_EQ(netlist.signals[i].pin, source.pins[i].number);
  }
  const NetSignal &y = netlist.signals[4];
  EXPECT_TRUE(y.isOutput);
  EXPECT_TRUE(y.registered);
  EXPECT_EQ(y.clock, ClockSource::GCLK2);
  EXPECT_EQ(y.reset, ResetSource::PRODUCT);
  EXPECT_TRUE(y.clockEnable);
  EXPECT_EQ(y.outputEnable, OutputEnableSource::OE2);
  EXPECT_FALSE(netlist.signals[0].isOutput);
  EXPECT_EQ(netlist.signals[0].outputEnable, OutputEnableSource::ALWAYS);
}

TEST(NetlistBuilder, FillsOutputsFromPinsAndNodes) {
  Design source = design("GAL22V10B");
  source.pins[4].registered = true;
  source.pins[4].clock = ClockSource::GCLK1;
  source.pins[4].preset = true;
  source.pins[4].outputEnable = OutputEnableSource::PRODUCT;
  NodeDefinition node = registeredNode("n");
  node.reset = ResetSource::GCLR;
  node.clockEnable = true;
  node.preset = true;
  source.nodes = {node};
  source.equations = {{"y", id("a") & !id("b")}, {"n", id("c") ^ id("d")}};

  const Netlist netlist = buildNetlist(source);
  ASSERT_EQ(netlist.outputs.size(), 2u);
  const NetOutput &y = netlist.outputs[0];
  EXPECT_EQ(y.name, "y");
  EXPECT_EQ(y.pin, 14);
  EXPECT_FALSE(y.isNode);
  EXPECT_TRUE(y.registered);
  EXPECT_EQ(y.clock, ClockSource::GCLK1);
  EXPECT_TRUE(y.preset);
  EXPECT_EQ(y.outputEnable, OutputEnableSource::PRODUCT);
  EXPECT_EQ(text(y.sum), "a&!b");
  const NetOutput &n = netlist.outputs[1];
  EXPECT_EQ(n.pin, 0);
  EXPECT_TRUE(n.isNode);
  EXPECT_TRUE(n.registered);
  EXPECT_EQ(n.reset, ResetSource::GCLR);
  EXPECT_TRUE(n.clockEnable);
  EXPECT_TRUE(n.preset);
  EXPECT_EQ(n.outputEnable, OutputEnableSource::DISABLED);
  // GAL devices have no XOR gate: the equation is always expanded.
  EXPECT_EQ(text(n.sum), "c&!d | !c&d");
  EXPECT_FALSE(n.usesXor);
  EXPECT_TRUE(n.xorTerm.terms.empty());
}

TEST(NetlistBuilder, RejectsAnEquationForAnUndeclaredSignal) {
  Design source = design("GAL16V8B");
  source.equations = {{"ghost", id("a")}};
  EXPECT_EQ(buildError(source), "Internal error: signal 'ghost' is neither a pin nor a node");
  source.equations = {{"Y", id("a")}};
  EXPECT_EQ(buildError(source), "Internal error: signal 'Y' is neither a pin nor a node");
}

TEST(NetlistBuilder, FindPinTakesTheFirstExactMatch) {
  Design source = design("GAL16V8B");
  source.pins.push_back(pin(9, "a"));
  ASSERT_NE(NetlistBuilder::findPin(source, "a"), nullptr);
  EXPECT_EQ(NetlistBuilder::findPin(source, "a")->number, 2);
  EXPECT_EQ(NetlistBuilder::findPin(source, "A"), nullptr);
  EXPECT_EQ(NetlistBuilder::findPin(source, ""), nullptr);
  EXPECT_EQ(NetlistBuilder::findPin(Design{}, "a"), nullptr);
}

struct XorCase {
  const char *label;
  ExpressionPtr expression;
  const char *sum;
  const char *xorTerm;
};

TEST(NetlistBuilder, SplitsXorOverTheDedicatedGateOnEveryCpld) {
  const auto a = id("a");
  const auto b = id("b");
  const auto c = id("c");
  const auto d = id("d");
  const XorCase cases[] = {
      {"single right operand", (a | b) ^ c, "a | b", "c"},
      {"single left operand is swapped", (a & b) ^ (c | d), "c | d", "a&b"},
      {"both single keep their sides", (b & !a) ^ c, "!a&b", "c"},
      {"operands are simplified first", (a | b) ^ (c | (c & d)), "a | b", "c"},
      {"swap after simplification", ((a & c) | (a & !c)) ^ (b | d), "b | d", "a"},
      {"nested xor on the left", (a ^ b) ^ c, "a&!b | !a&b", "c"},
      {"constant one operand", (a | b) ^ constant(true), "a | b", "1"},
  };
  for (const char *device : kCpldDevices) {
    for (const XorCase &test : cases) {
      Design source = design(device);
      source.equations = {{"y", test.expression}};
      const NetOutput y = single(source);
      EXPECT_TRUE(y.usesXor) << device << ": " << test.label;
      EXPECT_EQ(text(y.sum), test.sum) << device << ": " << test.label;
      EXPECT_EQ(text(y.xorTerm), test.xorTerm) << device << ": " << test.label;
    }
  }
}

TEST(NetlistBuilder, MultiTermXorFallsBackOnlyOnTheATF1502) {
  const auto wide = (id("a") | id("b")) ^ (id("c") | id("d"));
  for (const char *device : kCpldDevices) {
    Design source = design(device);
    source.equations = {{"y", wide}};
    if (std::string(device).starts_with("ATF1504")) {
      EXPECT_EQ(buildError(source),
                "ATF15xx dedicated XOR requires one operand to be exactly one product term")
          << device;
      continue;
    }
    const NetOutput y = single(source);
    EXPECT_FALSE(y.usesXor) << device;
    EXPECT_TRUE(y.xorTerm.terms.empty()) << device;
    EXPECT_EQ(text(y.sum), "a&!c&!d | b&!c&!d | !a&!b&c | !a&!b&d") << device;
  }
  // A constant-zero operand has no term at all, so it cannot ride the gate.
  Design source = design("ATF1502ASV");
  source.equations = {{"y", (id("a") | id("b")) ^ constant(false)}};
  const NetOutput y = single(source);
  EXPECT_FALSE(y.usesXor);
  EXPECT_EQ(text(y.sum), "a | b");
}

TEST(NetlistBuilder, NonXorAndGalEquationsAreNeverSplit) {
  for (const char *device : {"ATF1504AS", "GAL16V8B", "GAL20V8B", "GAL22V10B"}) {
    Design source = design(device);
    source.equations = {{"y", !(id("a") ^ id("b"))}, {"z", id("a") ^ id("b")}};
    const Netlist netlist = buildNetlist(source);
    EXPECT_FALSE(netlist.outputs[0].usesXor) << device;
    EXPECT_EQ(text(netlist.outputs[0].sum), "!a&!b | a&b") << device;
    EXPECT_EQ(netlist.outputs[1].usesXor, std::string(device) == "ATF1504AS") << device;
  }
}

TEST(NetlistBuilder, ConfigToggleMarksOnlyItsTarget) {
  Design source = design("ATF1504ASV");
  source.pins[4].registered = true;
  source.equations = {{"y", id("a")}, {"z", id("b")}};
  source.configOptions = {{"y", "XOR", "TOGGLE"}, {"z", "XOR", "toggle"}, {"z", "SLEW", "TOGGLE"}};
  const Netlist netlist = buildNetlist(source);
  EXPECT_TRUE(netlist.outputs[0].toggle);
  EXPECT_FALSE(netlist.outputs[1].toggle);
}

TEST(NetlistBuilder, FastInputNodesLeadTheOutputsWithoutLogic) {
  Design source = design("ATF1502AS");
  source.nodes = {registeredNode("n1"), registeredNode("n2")};
  source.equations = {{"y", id("n1")}, {"n1", id("a")}, {"z", id("n2")}, {"n2", id("c")}};
  source.configOptions = {{"n2", "FAST_INPUT", "c"}, {"n1", "FAST_INPUT", "a"}};
  const Netlist netlist = buildNetlist(source);
  ASSERT_EQ(netlist.outputs.size(), 4u);
  const char *const order[] = {"n1", "n2", "y", "z"};
  const int pins[] = {2, 4, 14, 15};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(netlist.outputs[i].name, order[i]);
    EXPECT_EQ(netlist.outputs[i].pin, pins[i]);
    EXPECT_EQ(netlist.outputs[i].fastInput, i < 2);
  }
  EXPECT_TRUE(netlist.outputs[0].sum.terms.empty());
  EXPECT_TRUE(netlist.outputs[0].isNode);
  EXPECT_EQ(text(netlist.outputs[2].sum), "n1");
}

TEST(NetlistBuilder, FastInputRefusals) {
  const std::string padMessage = "FAST_INPUT requires a registered NODE and an input pad";
  NodeDefinition plain;
  plain.name = "n";
  const struct {
    const char *label;
    NodeDefinition node;
    Equation equation;
    std::vector<ATFConfigOption> config;
    std::string message;
  } cases[] = {
      {"unknown pad", registeredNode("n"), {"n", id("a")}, {{"n", "FAST_INPUT", "q"}}, padMessage},
      {"pad is case sensitive",
       registeredNode("n"),
       {"n", id("a")},
       {{"n", "FAST_INPUT", "A"}},
       padMessage},
      {"pin target", registeredNode("n"), {"y", id("a")}, {{"y", "FAST_INPUT", "a"}}, padMessage},
      {"combinational node", plain, {"n", id("a")}, {{"n", "FAST_INPUT", "a"}}, padMessage},
      {"with toggle",
       registeredNode("n"),
       {"n", id("a")},
       {{"n", "FAST_INPUT", "a"}, {"n", "XOR", "TOGGLE"}},
       "FAST_INPUT bypasses the XOR gate and cannot be combined with XOR on n"},
      {"with the xor gate",
       registeredNode("n"),
       {"n", id("a") ^ id("b")},
       {{"n", "FAST_INPUT", "a"}},
       "FAST_INPUT bypasses the XOR gate and cannot be combined with XOR on n"},
  };
  for (const auto &test : cases) {
    Design source = design("ATF1504AS");
    source.pins[4].registered = true;
    source.nodes = {test.node};
    source.equations = {test.equation};
    source.configOptions = test.config;
    EXPECT_EQ(buildError(source), test.message) << test.label;
  }
}

TEST(NetlistBuilder, ControlEquationsFirstWinsExceptResetWhereLastWins) {
  Design source = design("ATF1504AS");
  source.pins[4].registered = true;
  source.equations = {{"y", id("a")}, {"z", id("b")}};
  source.oeEquations = {{"y", id("a") & id("a")}, {"y", id("b")}};
  source.ceEquations = {{"y", id("c") | (id("c") & id("d"))}, {"y", id("d")}};
  source.presetEquations = {{"z", !id("d")}, {"z", id("a")}};
  source.resetEquations = {{"y", id("a")}, {"y", id("b") | !id("b")}};
  const Netlist netlist = buildNetlist(source);
  const NetOutput &y = netlist.outputs[0];
  const NetOutput &z = netlist.outputs[1];
  EXPECT_TRUE(y.hasOELogic);
  EXPECT_EQ(text(y.oeLogic), "a");
  EXPECT_TRUE(y.hasCELogic);
  EXPECT_EQ(text(y.ceLogic), "c");
  EXPECT_FALSE(y.hasPresetLogic);
  EXPECT_TRUE(y.hasResetLogic);
  EXPECT_EQ(text(y.resetLogic), "1");
  EXPECT_FALSE(z.hasOELogic || z.hasCELogic || z.hasResetLogic);
  EXPECT_TRUE(z.hasPresetLogic);
  EXPECT_EQ(text(z.presetLogic), "!d");
}

TEST(NetlistBuilder, IgnoresControlEquationsWithoutADataEquation) {
  Design source = design("ATF1502AS");
  source.equations = {{"y", id("a")}};
  // Neither converted nor measured: a null or oversized expression is harmless here.
  source.oeEquations = {{"z", nullptr}};
  source.ceEquations = {{"ghost", chain(ExpressionType::XOR, "a", 40)}};
  source.presetEquations = {{"Y", nullptr}};
  source.resetEquations = {{"z", nullptr}};
  const NetOutput y = single(source);
  EXPECT_FALSE(y.hasOELogic || y.hasCELogic || y.hasPresetLogic || y.hasResetLogic);
}

// (a0 & b0) | (a1 & b1) | ...: its complement has 2^count terms.
ExpressionPtr productSum(const std::string &prefix, int count) {
  ExpressionPtr result = id(prefix + "a0") & id(prefix + "b0");
  for (int i = 1; i < count; ++i) {
    result = result | (id(indexed(prefix + "a", i)) & id(indexed(prefix + "b", i)));
  }
  return result;
}

TEST(NetlistBuilder, BoundsEveryCpldExpressionBeforeConversion) {
  const std::string terms = " SOP expansion exceeds 4096 terms before simplification";
  const auto xor40 = chain(ExpressionType::XOR, "a", 40, 1);
  const auto complement30 = !productSum("", 30);
  for (const char *device : kCpldDevices) {
    const std::string expected = device + terms;
    const auto check = [&](const char *label, auto fill) {
      Design source = design(device);
      source.equations = {{"y", id("a")}};
      fill(source);
      EXPECT_EQ(buildError(source), expected) << device << ": " << label;
    };
    check("xor chain", [&](Design &s) { s.equations[0].expression = xor40; });
    check("complement", [&](Design &s) { s.equations[0].expression = complement30 & id("b"); });
    check("right xor operand",
          [&](Design &s) { s.equations[0].expression = id("b") ^ complement30; });
    check(".OE", [&](Design &s) { s.oeEquations = {{"y", complement30}}; });
    check(".CE", [&](Design &s) { s.ceEquations = {{"y", xor40}}; });
    check(".PRESET", [&](Design &s) { s.presetEquations = {{"y", complement30}}; });
    check("later .RESET", [&](Design &s) { s.resetEquations = {{"y", id("b")}, {"y", xor40}}; });
  }
  // Each operand passes, but the expanded fallback of the whole would not.
  const auto wide = productSum("l", 9) ^ productSum("r", 9);
  Design source = design("ATF1502AS");
  source.equations = {{"y", wide}};
  EXPECT_EQ(buildError(source), "ATF1502AS" + terms);
  source.device = "ATF1504AS";
  EXPECT_EQ(buildError(source),
            "ATF15xx dedicated XOR requires one operand to be exactly one product term");
  // Four operands stay within the budget on every device.
  source.equations = {{"y", chain(ExpressionType::XOR, "a", 4) | id("b")}};
  EXPECT_FALSE(single(source).sum.terms.empty());
}

TEST(NetlistBuilder, TheFirstDeclarationOfANameWins) {
  Design source = design("ATF1504AS");
  source.pins.push_back(outputPin(20, "y"));
  NodeDefinition shadow = registeredNode("y");
  source.nodes = {shadow, registeredNode("n"), NodeDefinition{"n"}};
  source.equations = {{"y", id("a")}, {"n", id("b")}};
  const Netlist netlist = buildNetlist(source);
  ASSERT_EQ(netlist.outputs.size(), 2u);
  EXPECT_EQ(netlist.outputs[0].pin, 14);
  EXPECT_FALSE(netlist.outputs[0].isNode);
  EXPECT_FALSE(netlist.outputs[0].registered);
  EXPECT_TRUE(netlist.outputs[1].isNode);
  EXPECT_TRUE(netlist.outputs[1].registered);
}

TEST(NetlistBuilder, EveryEquationOfANameBecomesAnOutput) {
  // Semantic analysis refuses a second equation; the builder still takes
  // each one in order, with the control logic of that name.
  Design source = design("ATF1502AS");
  source.equations = {{"y", id("a")}, {"z", id("c")}, {"y", id("b")}};
  source.oeEquations = {{"y", id("d")}};
  source.configOptions = {{"y", "XOR", "TOGGLE"}};
  const Netlist netlist = buildNetlist(source);
  ASSERT_EQ(netlist.outputs.size(), 3u);
  for (size_t i : {size_t{0}, size_t{2}}) {
    EXPECT_EQ(netlist.outputs[i].name, "y");
    EXPECT_TRUE(netlist.outputs[i].toggle);
    EXPECT_EQ(text(netlist.outputs[i].oeLogic), "d");
  }
  EXPECT_EQ(text(netlist.outputs[2].sum), "b");
  EXPECT_FALSE(netlist.outputs[1].toggle || netlist.outputs[1].hasOELogic);
}

TEST(NetlistBuilder, ScalesToThousandsOfOutputsAndEntries) {
  // Every lookup per equation is indexed: tens of thousands of outputs, each
  // with its own CONFIG entry and control equation, build in linear time.
  constexpr int kCount = 30000;
  Design source = design("ATF1504AS");
  for (int i = 0; i < kCount; ++i) {
    const std::string name = indexed("n", i);
    source.nodes.push_back(registeredNode(name));
    source.equations.push_back({name, id("a")});
    source.configOptions.push_back({name, "XOR", "TOGGLE"});
    source.resetEquations.push_back({name, id("b")});
  }
  const auto start = std::chrono::steady_clock::now();
  const Netlist netlist = buildNetlist(source);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(netlist.outputs.size(), static_cast<size_t>(kCount));
  EXPECT_TRUE(netlist.outputs.back().toggle);
  EXPECT_EQ(text(netlist.outputs.back().resetLogic), "b");
  EXPECT_LT(elapsed, std::chrono::seconds(10));
}

TEST(NetlistBuilder, NullExpressionsAreReported) {
  Design source = design("GAL16V8B");
  source.equations = {{"y", nullptr}};
  EXPECT_EQ(buildError(source), "Null logic expression");
  source.device = "ATF1504AS";
  EXPECT_EQ(buildError(source), "ATF1504AS expression expansion exceeds safety budget");
}

} // namespace
} // namespace gsmith::testing
