// NetlistBuilder on hand-built designs: the dedicated-XOR split on each
// ATF15xx device, CONFIG toggle and fast-input handling, control equations,
// output order, and the size bound applied to every expression of a CPLD
// design before conversion. Plain record copying is left to the corpus replay.
#include "synthesis/netlist-builder.h"
#include "target/registry.h"

#include "tests/synthesis/synthesis-test-support.h"

#include <gtest/gtest.h>

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

TEST(NetlistBuilder, GALsExpandXorAndRefuseUndeclaredSignals) {
  Design source = design("GAL22V10B");
  source.equations = {{"y", id("a") ^ id("b")}};
  EXPECT_EQ(text(single(source).sum), "a&!b | !a&b");
  EXPECT_FALSE(single(source).usesXor);
  source.equations = {{"Y", id("a")}};
  EXPECT_EQ(buildError(source), "Internal error: signal 'Y' is neither a pin nor a node");
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

TEST(NetlistBuilder, NullExpressionsAreReported) {
  Design source = design("GAL16V8B");
  source.equations = {{"y", nullptr}};
  EXPECT_EQ(buildError(source), "Null logic expression");
  source.device = "ATF1504AS";
  EXPECT_EQ(buildError(source), "ATF1504AS expression expansion exceeds safety budget");
}

} // namespace
} // namespace gsmith::testing
