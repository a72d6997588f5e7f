// Conversion, complement, normal form and the term predicates of Logic, and
// the documented simplification cases, checked through the public functions.
#include "synthesis/logic.h"

#include "tests/synthesis/synthesis-test-support.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace gsmith::testing {
namespace {

struct ConversionCase {
  const char *label;
  ExpressionPtr expression;
  const char *converted;
  const char *simplified;
};

TEST(LogicConversion, ConvertsAndSimplifiesTheDocumentedCases) {
  const auto a = id("a");
  const auto b = id("b");
  const auto c = id("c");
  const ConversionCase cases[] = {
      {"identifier", a, "a", "a"},
      {"contradiction", a & !a, "a&!a", "0"},
      {"tautology", a | !a, "a | !a", "1"},
      {"constant one", constant(true), "1", "1"},
      {"not zero", !constant(false), "1", "1"},
      {"one absorbs", id("x") | constant(true), "x | 1", "1"},
      {"and with itself", a & a, "a&a", "a"},
      {"xor", a ^ b, "a&!b | !a&b", "a&!b | !a&b"},
      {"merged term is appended", (a & b) | (a & !b) | c, "a&b | a&!b | c", "c | a"},
      {"absorption", a | (a & b), "a | a&b", "a"},
      {"literal order", (b & !a) & id("a2"), "b&!a&a2", "!a&a2&b"},
      {"case sensitive", a & !id("A"), "a&!A", "!A&a"},
      {"cross product order", (a | b) & (c | id("d")), "a&c | a&d | b&c | b&d",
       "a&c | a&d | b&c | b&d"},
      {"de morgan", !((a & b) | c), "!a&!c | !b&!c", "!a&!c | !b&!c"},
      {"not of empty term", !(constant(true) | a), "0", "0"},
      {"xor with constant", a ^ constant(true), "!a", "!a"},
      {"xor of sums", (a | b) ^ c, "a&!c | b&!c | !a&!b&c", "a&!c | b&!c | !a&!b&c"},
  };
  for (const ConversionCase &test : cases) {
    const SOPExpression converted = Logic::toSOP(test.expression);
    EXPECT_EQ(text(converted), test.converted) << test.label;
    EXPECT_EQ(text(Logic::simplify(converted)), test.simplified) << test.label;
  }
}

TEST(LogicConversion, RejectsNullAndUnknownNodes) {
  const auto messageOf = [](const ExpressionPtr &expression) -> std::string {
    try {
      Logic::convert(expression);
    } catch (const std::logic_error &error) {
      return error.what();
    }
    return "";
  };
  EXPECT_EQ(messageOf(nullptr), "Null logic expression");
  EXPECT_EQ(messageOf(id("a") & node(ExpressionType::NOT)), "Null logic expression");
  auto unknown = id("a");
  unknown->type = static_cast<ExpressionType>(42);
  EXPECT_EQ(messageOf(id("b") | unknown), "Unknown expression type");
}

TEST(LogicConversion, HandlesTheDeepestTreesTheParserBuilds) {
  ExpressionPtr sum = id("x0");
  ExpressionPtr negations = id("a");
  for (int i = 1; i < 1024; ++i) {
    sum = id(indexed("x", i)) | sum;
    negations = !negations;
  }
  EXPECT_EQ(Logic::simplify(Logic::toSOP(sum)).terms.size(), 1024u);
  EXPECT_EQ(text(Logic::toSOP(negations)), "!a");
}

TEST(LogicInvert, AppliesDeMorganWithoutSimplifying) {
  const struct {
    const char *input;
    const char *complement;
  } cases[] = {
      {"0", "1"},         {"1", "0"},         {"a", "!a"},
      {"a&!b", "!a | b"}, {"a | b", "!a&!b"}, {"a&b | !a&c", "!a&a | !a&!c | !b&a | !b&!c"},
      {"a | 1", "0"},     {"a | a", "!a&!a"},
  };
  for (const auto &test : cases) {
    EXPECT_EQ(text(Logic::invert(sop(test.input))), test.complement) << test.input;
  }
}

} // namespace
} // namespace gsmith::testing
