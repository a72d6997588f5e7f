// The pre-conversion size estimate: its values on small shapes, the limits on
// terms, depth and visits with their messages, and that it really bounds what
// conversion produces, XOR included.
#include "synthesis/expansion-bound.h"

#include "synthesis/logic.h"
#include "tests/synthesis/synthesis-test-support.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <stdexcept>

namespace gsmith::testing {
namespace {

const std::string kTermsMessage =
    "ATF1502AS SOP expansion exceeds 4096 terms before simplification";
const std::string kBudgetMessage = "ATF1502AS expression expansion exceeds safety budget";

std::string failure(const ExpressionPtr &expression) {
  try {
    ExpansionBound::measure(expression, "ATF1502AS");
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

ExpressionPtr twoTermFactors(int count) {
  ExpressionPtr result = id("a0") | id("b0");
  for (int i = 1; i < count; ++i) {
    result = result & (id(indexed("a", i)) | id(indexed("b", i)));
  }
  return result;
}

// (a0 & b0) | (a1 & b1) | ...: its complement has 2^count terms.
ExpressionPtr productSum(int count) {
  ExpressionPtr result = id("a0") & id("b0");
  for (int i = 1; i < count; ++i) {
    result = result | (id(indexed("a", i)) & id(indexed("b", i)));
  }
  return result;
}

// a69 ^ (a68 ^ (... ^ a0)): as deep on the right as chain() is on the left.
ExpressionPtr rightXorChain(int count) {
  ExpressionPtr result = id("a0");
  for (int i = 1; i < count; ++i)
    result = node(ExpressionType::XOR, id(indexed("a", i)), result);
  return result;
}

ExpressionPtr nested(int levels) {
  ExpressionPtr result = id("a");
  for (int i = 0; i < levels; ++i) {
    result = !result;
  }
  return result;
}

// A complete AND tree of 2^levels constant leaves; its subtrees are shared,
// but the walk visits it as a tree of 2^(levels+1) - 1 nodes.
ExpressionPtr sharedTree(int levels) {
  ExpressionPtr result = constant(true);
  for (int i = 0; i < levels; ++i) {
    result = result & result;
  }
  return result;
}

// A complete AND tree over `leaves` copies of `name` (leaves a power of two):
// one term of `leaves` literal copies, only log2(leaves) levels deep.
ExpressionPtr balancedAnd(const std::string &name, int leaves) {
  if (leaves == 1) {
    return id(name);
  }
  return balancedAnd(name, leaves / 2) & balancedAnd(name, leaves / 2);
}

// `count` nested ANDs with constant 1 around `expression`: each copies its sum.
ExpressionPtr timesOne(ExpressionPtr expression, int count) {
  for (int i = 0; i < count; ++i) {
    expression = expression & constant(true);
  }
  return expression;
}

TEST(ExpansionBound, EstimatesTermsAndComplementTerms) {
  const auto a = id("a");
  const auto b = id("b");
  const struct {
    const char *label;
    ExpressionPtr expression;
    uint64_t sopTerms;
    uint64_t complementTerms;
  } cases[] = {
      {"identifier", a, 1, 1},
      {"one", constant(true), 1, 0},
      {"zero", constant(false), 0, 0},
      {"not zero", !constant(false), 1, 0},
      {"not one", !constant(true), 0, 1},
      {"not", !a, 1, 1},
      {"and", a & b, 1, 2},
      {"or", a | b | id("c"), 3, 1},
      {"not of and", !(a & b), 2, 1},
      {"not of or", !(a | b), 1, 2},
      {"two-operand xor", a ^ b, 2, 2},
      {"three-operand xor", chain(ExpressionType::XOR, "x", 3), 6, 3},
      {"four-operand xor", chain(ExpressionType::XOR, "x", 4), 735, 7},
      {"xor with zero", a ^ constant(false), 1, 1},
      {"twelve two-term factors", twoTermFactors(12), 4096, 12},
      {"128 levels", nested(128), 1, 1},
      {"16383 visits", sharedTree(13), 1, 0},
  };
  for (const auto &test : cases) {
    const Bound bound = ExpansionBound::measure(test.expression, "GAL16V8B");
    EXPECT_EQ(bound.sopTerms, test.sopTerms) << test.label;
    EXPECT_EQ(bound.complementTerms, test.complementTerms) << test.label;
  }
}

TEST(ExpansionBound, RefusesWithTheDevicePrefix) {
  const struct {
    const char *label;
    ExpressionPtr expression;
    const std::string &message;
  } cases[] = {
      {"thirteen two-term factors", twoTermFactors(13), kTermsMessage},
      {"five-operand xor", chain(ExpressionType::XOR, "a", 5), kTermsMessage},
      {"forty-operand xor", chain(ExpressionType::XOR, "a", 40, 1), kTermsMessage},
      // 70 levels are within the depth limit on either side: the terms refuse it.
      {"seventy-operand xor nested right", rightXorChain(70), kTermsMessage},
      {"complement of a 30-term sum", (!productSum(30)) | id("z"), kTermsMessage},
      {"complement of a 13-term sum", !productSum(13), kTermsMessage},
      {"complement of a 12-term sum", !productSum(12), ""},
      {"complement of 30 literals", !chain(ExpressionType::OR, "t", 30), ""},
      {"129 levels", nested(129), kBudgetMessage},
      {"16385 visits", sharedTree(14), kBudgetMessage},
      {"null", nullptr, kBudgetMessage},
      {"null operand", id("a") & node(ExpressionType::NOT), kBudgetMessage},
      // Within the term, depth and visit limits, but each of the 4096 terms
      // would carry 1024 literal copies.
      {"wide terms", balancedAnd("a", 1024) & twoTermFactors(12), kBudgetMessage},
      // A 4096-term sum copied by a long chain of cheap operators.
      {"copied sum", timesOne(twoTermFactors(12), 100), kBudgetMessage},
      {"narrower terms", balancedAnd("a", 64) & twoTermFactors(12), ""},
      {"fewer copies", timesOne(twoTermFactors(12), 10), ""},
      {"wide single term", balancedAnd("a", 8192), ""},
  };
  for (const auto &test : cases) {
    EXPECT_EQ(failure(test.expression), test.message) << test.label;
  }
}

// Conversion never produces more terms than the estimate, for any mix of
// operators; this is what makes refusing before conversion safe.
TEST(ExpansionBound, BoundsTheConversionOfRandomExpressions) {
  std::mt19937 random(1312);
  const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  std::function<ExpressionPtr(int)> generate = [&](int depth) -> ExpressionPtr {
    if (depth == 0 || below(4) == 0) {
      return below(10) == 0 ? constant(below(2) == 1) : id(std::string(1, 'a' + below(5)));
    }
    switch (below(4)) {
    case 0:
      return !generate(depth - 1);
    case 1:
      return generate(depth - 1) & generate(depth - 1);
    case 2:
      return generate(depth - 1) | generate(depth - 1);
    default:
      return generate(depth - 1) ^ generate(depth - 1);
    }
  };
  int measured = 0;
  for (int i = 0; i < 3000 && measured < 1000; ++i) {
    const ExpressionPtr expression = generate(1 + below(5));
    Bound bound;
    Bound complement;
    try {
      bound = ExpansionBound::measure(expression, "x");
      complement = ExpansionBound::measure(!expression, "x");
    } catch (const std::runtime_error &) {
      continue;
    }
    if (bound.sopTerms > 600 || complement.sopTerms > 600) {
      continue;
    }
    ++measured;
    const SOPExpression sum = Logic::toSOP(expression);
    for (const ProductTerm &term : sum.terms) {
      ASSERT_LE(term.size(), bound.complementTerms);
    }
    ASSERT_LE(sum.terms.size(), bound.sopTerms);
    ASSERT_LE(Logic::invert(sum).terms.size(), complement.sopTerms);
  }
  EXPECT_GT(measured, 500);
}

} // namespace
} // namespace gsmith::testing
