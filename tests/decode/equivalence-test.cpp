// The comparison by evaluation: functions written differently are the same,
// and a difference comes with inputs at which the two really differ.
#include "decode/equivalence.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gsmith::testing {
namespace {

// "a & !b | c" as a sum; "1" is the empty product.
SOPExpression sum(const std::vector<std::string> &terms) {
  SOPExpression result;
  for (const std::string &text : terms) {
    ProductTerm term;
    for (std::size_t at = 0; text != "1" && at < text.size(); at += 2) {
      const bool negated = text[at] == '!';
      term.push_back({std::string(1, text[at + (negated ? 1 : 0)]), negated});
      at += negated ? 1 : 0;
    }
    result.terms.push_back(term);
  }
  return result;
}

DecodedLogic logic(const std::vector<std::string> &terms, bool inverted = false,
                   const std::vector<std::string> &xorWith = {}) {
  DecodedLogic result = DecodedLogic::of(sum(terms));
  result.inverted = inverted;
  result.hasXor = !xorWith.empty();
  result.xorWith = sum(xorWith);
  return result;
}

TEST(Equivalence, SameFunctionsInOtherForms) {
  const std::pair<DecodedLogic, DecodedLogic> same[] = {
      {logic({"a b", "a !b"}), logic({"a"})},
      {logic({"a", "b"}, true), logic({"!a !b"})},               // De Morgan
      {logic({"a !b", "!a b"}), logic({"a"}, false, {"b"})},     // XOR gate
      {logic({"a b c"}, false, {"a"}), logic({"a !b", "a !c"})}, // abc ^ a
      {logic({"1"}), logic({}, true)},
      {logic({"a !a"}), logic({})},
      {logic({"a", "b", "c", "d"}, false, {"a b c d"}),
       logic({"a !b", "a !c", "a !d", "b !a", "b !c", "b !d", "c !a", "c !b", "c !d", "d !a",
              "d !b", "d !c"})},
  };
  for (const auto &[expected, found] : same)
    EXPECT_FALSE(firstDisagreement(expected, found).has_value());
}

TEST(Equivalence, ADifferenceComesWithAWitness) {
  const std::pair<DecodedLogic, DecodedLogic> different[] = {
      {logic({"a b"}), logic({"a"})},
      {logic({"a", "b"}), logic({"a", "b"}, true)},
      {logic({"a !b", "!a b"}), logic({"a"}, false, {"c"})},
      {logic({"a b c"}, false, {"a"}), logic({"a !b"})},
      {logic({}), logic({"z"})},
  };
  for (const auto &[expected, found] : different) {
    const std::optional<Disagreement> difference = firstDisagreement(expected, found);
    ASSERT_TRUE(difference.has_value());
    EXPECT_NE(difference->expected, difference->found);
    std::map<std::string, bool> values(difference->inputs.begin(), difference->inputs.end());
    EXPECT_EQ(evaluate(expected, values), difference->expected);
    EXPECT_EQ(evaluate(found, values), difference->found);
  }
}

// Forty signals, twenty two-literal terms and an XOR operand over the last
// ones: settled by cancelling equal covers and splitting on the operand
// first, not by enumerating inputs.
TEST(Equivalence, WideXorFunctionsAreDecidedQuickly) {
  DecodedLogic expected;
  for (int k = 0; k < 20; ++k)
    expected.sum.terms.push_back(
        {{"x" + std::to_string(2 * k), false}, {"x" + std::to_string(2 * k + 1), k % 2 == 0}});
  expected.hasXor = true;
  expected.xorWith.terms.push_back({{"x37", false}, {"x38", true}, {"x39", false}});
  DecodedLogic found = expected;
  std::reverse(found.sum.terms.begin(), found.sum.terms.end());
  EXPECT_FALSE(firstDisagreement(expected, found).has_value());
  found.xorWith.terms[0][1].negated = false;
  const std::optional<Disagreement> difference = firstDisagreement(expected, found);
  ASSERT_TRUE(difference.has_value());
  EXPECT_NE(difference->expected, difference->found);
}

} // namespace
} // namespace gsmith::testing
