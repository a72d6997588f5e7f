// NODE lowering for the GAL devices: substitution, sharing, the name and
// equation checks, cycles, and the nesting and size budgets.
#include "gal/gal-target.h"
#include "tests/gal/gal-test-support.h"

#include <gtest/gtest.h>

namespace gsmith {
namespace {

using testing::expression;
using testing::parseSource;

std::string lowerError(const Design &design) {
  try {
    lowerGALNodes(design);
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

std::string lowerError(const std::string &source) { return lowerError(parseSource(source)); }

// Structural equality of two expression trees.
bool sameTree(const ExpressionPtr &a, const ExpressionPtr &b) {
  if (!a || !b)
    return !a && !b;
  return a->type == b->type && a->name == b->name && a->value == b->value &&
         sameTree(a->left, b->left) && sameTree(a->right, b->right);
}

TEST(NodeLowering, DesignWithoutNodesKeepsItsEquations) {
  const Design design = parseSource("DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 3 b INPUT\n"
                                    "PIN 12 y OUTPUT OE PRODUCT\ny = a & !b | 1;\ny.OE = b;");
  const Design lowered = lowerGALNodes(design);
  ASSERT_EQ(lowered.equations.size(), 1u);
  const ExpressionPtr &before = design.equations[0].expression;
  const ExpressionPtr &after = lowered.equations[0].expression;
  EXPECT_TRUE(sameTree(before, after));
  EXPECT_NE(before, after);                         // operators are copied
  EXPECT_EQ(before->left->left, after->left->left); // pins are shared
  ASSERT_EQ(lowered.oeEquations.size(), 1u);
  EXPECT_EQ(lowered.oeEquations[0].expression, design.oeEquations[0].expression);
  EXPECT_EQ(lowered.pins.size(), 3u);
}

TEST(NodeLowering, SubstitutesNodesAndDropsThem) {
  const Design design = parseSource("DEVICE GAL20V8B\nPIN 2 a INPUT\nPIN 3 b INPUT\n"
                                    "PIN 4 c INPUT\nPIN 15 y OUTPUT OE PRODUCT\nNODE n\n"
                                    "n = a & b;\ny = n | c;\ny.OE = !n;");
  const Design lowered = lowerGALNodes(design);
  EXPECT_TRUE(lowered.nodes.empty());
  ASSERT_EQ(lowered.equations.size(), 1u);
  EXPECT_EQ(lowered.equations[0].name, "y");
  EXPECT_TRUE(sameTree(lowered.equations[0].expression, expression("(a & b) | c")));
  EXPECT_TRUE(sameTree(lowered.oeEquations[0].expression, expression("!(a & b)")));
  // One expansion per NODE, shared by every use.
  EXPECT_EQ(lowered.equations[0].expression->left, lowered.oeEquations[0].expression->left);
  // The input design is left as it was.
  EXPECT_EQ(design.nodes.size(), 1u);
  EXPECT_EQ(design.equations.size(), 2u);
}

TEST(NodeLowering, NodesMayUseOneAnotherInAnyOrder) {
  const Design lowered = lowerGALNodes(
      parseSource("DEVICE GAL22V10B\nPIN 2 a INPUT\nPIN 3 b INPUT\nPIN 14 y OUTPUT\n"
                  "NODE outer\nNODE inner\nouter = inner ^ b;\ny = outer & a;\ninner = !a;"));
  ASSERT_EQ(lowered.equations.size(), 1u);
  EXPECT_TRUE(sameTree(lowered.equations[0].expression, expression("(!a ^ b) & a")));
}

TEST(NodeLowering, ControlEquationsOtherThanOEAreCopied) {
  const Design design = parseSource("DEVICE GAL20V8B\nPIN 2 a INPUT\nPIN 15 y OUTPUT\nNODE n\n"
                                    "n = a;\ny = n;\ny.CE = n;\ny.RESET = n;\ny.PRESET = n;");
  const Design lowered = lowerGALNodes(design);
  EXPECT_EQ(lowered.ceEquations[0].expression, design.ceEquations[0].expression);
  EXPECT_EQ(lowered.resetEquations[0].expression, design.resetEquations[0].expression);
  EXPECT_EQ(lowered.presetEquations[0].expression, design.presetEquations[0].expression);
}

struct ErrorCase {
  const char *title;
  const char *source;
  const char *message;
};

void PrintTo(const ErrorCase &c, std::ostream *out) { *out << c.title; }

class NodeLoweringError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(NodeLoweringError, Reports) { EXPECT_EQ(lowerError(GetParam().source), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(
    Cases, NodeLoweringError,
    ::testing::Values(
        ErrorCase{"DuplicatePin", "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 3 a INPUT",
                  "Duplicate signal name 'a'"},
        ErrorCase{"NodeNamedLikePin", "DEVICE GAL16V8B\nPIN 2 a INPUT\nNODE a\na = 1;",
                  "Duplicate signal/NODE name 'a'"},
        ErrorCase{"DuplicateNode", "DEVICE GAL16V8B\nNODE n\nNODE n\nn = 1;",
                  "Duplicate signal/NODE name 'n'"},
        ErrorCase{"TwoNodeEquations", "DEVICE GAL16V8B\nPIN 2 a INPUT\nNODE n\nn = a;\nn = !a;",
                  "NODE 'n' must have exactly one equation"},
        ErrorCase{"NodeWithoutEquation", "DEVICE GAL16V8B\nPIN 2 a INPUT\nNODE n\nNODE m\nm = a;",
                  "NODE 'n' has no equation"},
        ErrorCase{"UnusedNodeCycle",
                  "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 12 y OUTPUT\n"
                  "NODE p\nNODE q\np = q;\nq = p;\ny = a;",
                  "Combinational NODE cycle at 'p'"},
        ErrorCase{"SelfCycle", "DEVICE GAL16V8B\nPIN 2 a INPUT\nNODE p\np = p & a;",
                  "Combinational NODE cycle at 'p'"},
        ErrorCase{"UndefinedInUnusedNode",
                  "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 12 y OUTPUT\nNODE n\nn = zz;\ny = a;",
                  "Undefined signal 'zz'"},
        ErrorCase{"UndefinedInEquation", "DEVICE GAL16V8B\nPIN 12 y OUTPUT\ny = zz;",
                  "Undefined signal 'zz'"},
        ErrorCase{"UndefinedInOEEquation",
                  "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 12 y OUTPUT OE PRODUCT\ny = a;\ny.OE = zz;",
                  "Undefined signal 'zz'"}),
    [](const auto &info) { return std::string(info.param.title); });

TEST(NodeLowering, NodesMustBeCombinationalAliases) {
  struct Case {
    const char *device;
    void (*change)(NodeDefinition &);
    const char *message;
  };
  const Case cases[] = {
      {"GAL22V10B", [](NodeDefinition &n) { n.registered = true; },
       "GAL22V10B NODEs must be combinational aliases"},
      {"GAL16V8B", [](NodeDefinition &n) { n.clock = ClockSource::GCLK1; },
       "GAL16V8B NODEs must be combinational aliases"},
      {"GAL20V8B", [](NodeDefinition &n) { n.reset = ResetSource::GCLR; },
       "GAL20V8B NODEs must be combinational aliases"},
      {"", [](NodeDefinition &n) { n.clockEnable = true; },
       "GAL NODEs must be combinational aliases"},
      {"GAL16V8B", [](NodeDefinition &n) { n.preset = true; },
       "GAL16V8B NODEs must be combinational aliases"},
  };
  for (const Case &c : cases) {
    Design design = parseSource("PIN 2 a INPUT\nNODE n\nn = a;");
    design.device = c.device;
    c.change(design.nodes[0]);
    EXPECT_EQ(lowerError(design), c.message);
  }
}

// NODE n0 = n1; ... NODE n<count-1> = a; with y reading n0: every NODE
// substitution is one level of nesting.
std::string aliasChain(int count) {
  std::string source = "DEVICE GAL22V10B\nPIN 2 a INPUT\nPIN 14 y OUTPUT\ny = n0;\n";
  for (int i = 0; i < count; ++i)
    source += "NODE n" + std::to_string(i) + "\n";
  for (int i = 0; i < count; ++i)
    source += "n" + std::to_string(i) + " = " +
              (i + 1 < count ? "n" + std::to_string(i + 1) : "a") + ";\n";
  return source;
}

TEST(NodeLoweringBudget, NestingStopsAt128Levels) {
  EXPECT_EQ(lowerError(aliasChain(128)), "");
  EXPECT_EQ(lowerError(aliasChain(129)), "GAL22V10B expression/NODE nesting exceeds 128 levels");
  // A very long chain still stops at the limit instead of recursing further.
  EXPECT_EQ(lowerError(aliasChain(5000)), "GAL22V10B expression/NODE nesting exceeds 128 levels");
}

std::string factors(int count) {
  std::string source = "DEVICE GAL20V8B\nPIN 15 y OUTPUT\n";
  std::string product;
  for (int i = 0; i < count; ++i) {
    const std::string a = "a" + std::to_string(i);
    const std::string b = "b" + std::to_string(i);
    source += "PIN " + std::to_string(100 + 2 * i) + " " + a + " INPUT\n";
    source += "PIN " + std::to_string(101 + 2 * i) + " " + b + " INPUT\n";
    product += std::string(i ? " & " : "") + "(" + a + " | " + b + ")";
  }
  return source + "y = " + product + ";\n";
}

TEST(NodeLoweringBudget, TermEstimateIsBoundedBeforeExpansion) {
  EXPECT_EQ(lowerError(factors(12)), "");
  EXPECT_EQ(lowerError(factors(13)),
            "GAL20V8B SOP expansion exceeds 4096 terms before simplification");
}

TEST(NodeLoweringBudget, SharedNodesAreMeasuredAsATree) {
  // Each NODE doubles the tree the bound walks while the memo keeps the
  // expansion itself small.
  std::string source = "DEVICE GAL20V8B\nPIN 2 a INPUT\nPIN 15 y OUTPUT\nNODE n0\nn0 = a;\n";
  for (int i = 1; i <= 20; ++i) {
    const std::string previous = "n" + std::to_string(i - 1);
    source += "NODE n" + std::to_string(i) + "\nn" + std::to_string(i) + " = " + previous + " & " +
              previous + ";\n";
  }
  source += "y = n20;\n";
  // The term estimate stays at one; only the visit count runs out.
  EXPECT_EQ(lowerError(source), "GAL20V8B expression expansion exceeds safety budget");
}

} // namespace
} // namespace gsmith
