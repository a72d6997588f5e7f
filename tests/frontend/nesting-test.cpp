// The expression depth limit: trees up to the limit are built, anything
// deeper is refused with one message, and hostile inputs far beyond the limit
// are refused quickly without exhausting the stack.
#include "tests/frontend/frontend-test-support.h"

#include <gtest/gtest.h>

#include <functional>

namespace gsmith {
namespace {

using testing::parseError;
using testing::parseSource;

const std::string kTooDeep = "Expression nesting exceeds 1024 levels";

std::string repeat(const std::string &text, int count) {
  std::string result;
  result.reserve(text.size() * count);
  for (int i = 0; i < count; ++i)
    result += text;
  return result;
}

// n operands joined by `op`: a left-leaning chain of depth n.
std::string chain(const std::string &op, int operands) {
  return "y = a" + repeat(" " + op + " a", operands - 1);
}

// n operands nested to the right through parentheses: a & (a & (a ...)).
// Each level adds an AND node and a group: tree depth n, measured depth 2n - 1.
std::string rightNested(int operands) {
  return "y = " + repeat("a & (", operands - 1) + "a" + repeat(")", operands - 1);
}

int treeDepth(const ExpressionPtr &expression) {
  if (!expression)
    return 0;
  return 1 + std::max(treeDepth(expression->left), treeDepth(expression->right));
}

struct DepthCase {
  std::string name;
  std::function<std::string()> source;
  int treeDepth; // 0: refused
};

void PrintTo(const DepthCase &c, std::ostream *os) { *os << c.name; }

class ExpressionNesting : public ::testing::TestWithParam<DepthCase> {};

TEST_P(ExpressionNesting, AcceptsUpToTheLimitAndRefusesBeyond) {
  const std::string source = GetParam().source();
  if (GetParam().treeDepth == 0) {
    EXPECT_EQ(parseError(source), kTooDeep);
    return;
  }
  const Design design = parseSource(source);
  ASSERT_EQ(design.equations.size(), 1u);
  EXPECT_EQ(treeDepth(design.equations[0].expression), GetParam().treeDepth);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, ExpressionNesting,
    ::testing::Values(
        DepthCase{"AndChain1024", [] { return chain("&", 1024); }, 1024},
        DepthCase{"AndChain1025", [] { return chain("&", 1025); }, 0},
        DepthCase{"OrChain1024", [] { return chain("|", 1024); }, 1024},
        DepthCase{"XorChain1025", [] { return chain("^", 1025); }, 0},
        DepthCase{"Not1023", [] { return "y = " + repeat("!", 1023) + "a"; }, 1024},
        DepthCase{"Not1024", [] { return "y = " + repeat("!", 1024) + "a"; }, 0},
        // A group adds no node but counts as a level.
        DepthCase{"Parens1023", [] { return "y = " + repeat("(", 1023) + "a" + repeat(")", 1023); },
                  1},
        DepthCase{"Parens1024", [] { return "y = " + repeat("(", 1024) + "a" + repeat(")", 1024); },
                  0},
        DepthCase{"Parens1025", [] { return "y = " + repeat("(", 1025) + "a" + repeat(")", 1025); },
                  0},
        DepthCase{"NotGroups511",
                  [] { return "y = " + repeat("!(", 511) + "a" + repeat(")", 511) + " & b"; }, 513},
        DepthCase{"NotGroups512",
                  [] { return "y = " + repeat("!(", 512) + "a" + repeat(")", 512) + " & b"; }, 0},
        DepthCase{"RightNested512", [] { return rightNested(512); }, 512},
        DepthCase{"RightNested513", [] { return rightNested(513); }, 0},
        // In a left-leaning chain the first operand sinks one level per
        // operator, the last operand only one level.
        DepthCase{"DeepFirstOperand",
                  [] { return "y = " + repeat("!", 1000) + "a" + repeat(" & a", 23); }, 1024},
        DepthCase{"DeepFirstOperandTooDeep",
                  [] { return "y = " + repeat("!", 1000) + "a" + repeat(" & a", 24); }, 0},
        DepthCase{"DeepLastOperand",
                  [] { return chain("&", 23) + " & " + repeat("!", 1022) + "a"; }, 1024},
        DepthCase{"DeepLastOperandTooDeep",
                  [] { return chain("&", 23) + " & " + repeat("!", 1023) + "a"; }, 0}),
    [](const ::testing::TestParamInfo<DepthCase> &info) { return info.param.name; });

// Far beyond the limit: the parser must stop at the limit instead of
// recursing or building a tree as deep as the input.
TEST(ExpressionNestingTest, HostileInputsAreRefusedWithoutExhaustingTheStack) {
  EXPECT_EQ(parseError("y = " + repeat("(", 200000)), kTooDeep);
  EXPECT_EQ(parseError("y = " + repeat("!", 200000) + "a"), kTooDeep);
  EXPECT_EQ(parseError(chain("&", 100000)), kTooDeep);
  EXPECT_EQ(parseError(chain("|", 100000)), kTooDeep);
  EXPECT_EQ(parseError("y = " + repeat("!(", 100000)), kTooDeep);
  EXPECT_EQ(parseError("y = " + repeat("a & (", 100000)), kTooDeep);
}

TEST(ExpressionNestingTest, EveryEquationKindIsLimited) {
  for (const std::string head : {"y = ", "y.OE = ", "y.CE = ", "y.PRESET = ", "y.RESET = "})
    EXPECT_EQ(parseError(head + repeat("!", 5000) + "a"), kTooDeep) << head;
}

TEST(ExpressionNestingTest, WideShallowExpressionsAreNotLimited) {
  // 8192 operands in a balanced tree: twelve doublings of two levels each.
  std::string expression = "(a & b)";
  for (int i = 0; i < 12; ++i)
    expression = "(" + expression + ") | (" + expression + ")";
  const Design design = parseSource("y = " + expression);
  EXPECT_EQ(treeDepth(design.equations[0].expression), 14);

  // A flat chain of shallow groups: the chain's length is what counts.
  EXPECT_EQ(parseError("y = (a & b)" + repeat(" | (a & b)", 1021)), "");
  EXPECT_EQ(parseError("y = (a & b)" + repeat(" | (a & b)", 1022)), kTooDeep);
}

} // namespace
} // namespace gsmith
