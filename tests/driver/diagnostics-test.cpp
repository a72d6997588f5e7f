// The diagnostic name functions and the expression printer.
#include "driver/diagnostics.h"

#include <gtest/gtest.h>

#include <sstream>

namespace gsmith {
namespace {

ExpressionPtr identifier(const std::string &name) {
  auto node = std::make_shared<Expression>();
  node->name = name;
  return node;
}

ExpressionPtr constant(bool value) {
  auto node = std::make_shared<Expression>();
  node->type = ExpressionType::CONSTANT;
  node->value = value;
  return node;
}

ExpressionPtr unary(ExpressionPtr operand) {
  auto node = std::make_shared<Expression>();
  node->type = ExpressionType::NOT;
  node->left = std::move(operand);
  return node;
}

ExpressionPtr binary(ExpressionType type, ExpressionPtr left, ExpressionPtr right) {
  auto node = std::make_shared<Expression>();
  node->type = type;
  node->left = std::move(left);
  node->right = std::move(right);
  return node;
}

std::string printed(const ExpressionPtr &expression) {
  std::ostringstream out;
  printExpression(out, expression);
  return out.str();
}

TEST(DiagnosticNames, NameEveryEnumeratorAndUnknownBeyond) {
  EXPECT_STREQ(tokenTypeName(TokenType::IDENTIFIER), "IDENTIFIER");
  EXPECT_STREQ(tokenTypeName(TokenType::POWER_DOWN), "POWER_DOWN");
  EXPECT_STREQ(tokenTypeName(TokenType::RIGHT_PAREN), "RIGHT_PAREN");
  EXPECT_STREQ(tokenTypeName(TokenType::EOF_TOKEN), "EOF");
  EXPECT_STREQ(tokenTypeName(TokenType::UNKNOWN), "UNKNOWN");
  EXPECT_STREQ(tokenTypeName(static_cast<TokenType>(35)), "UNKNOWN");
  EXPECT_STREQ(clockSourceName(ClockSource::GCLK2), "GCLK2");
  EXPECT_STREQ(clockSourceName(static_cast<ClockSource>(4)), "UNKNOWN");
  EXPECT_STREQ(outputEnableName(OutputEnableSource::DISABLED), "DISABLED");
  EXPECT_STREQ(outputEnableName(OutputEnableSource::GOE6), "GOE6");
  EXPECT_STREQ(outputEnableName(OutputEnableSource::PRODUCT), "PRODUCT");
  EXPECT_STREQ(outputEnableName(static_cast<OutputEnableSource>(6)), "UNKNOWN");
  EXPECT_STREQ(resetSourceName(ResetSource::PRODUCT), "PRODUCT");
  EXPECT_STREQ(resetSourceName(static_cast<ResetSource>(-1)), "UNKNOWN");
}

TEST(PrintExpression, ParenthesisesEveryOperator) {
  auto a = identifier("a");
  auto b = identifier("b");
  EXPECT_EQ(printed(nullptr), "");
  EXPECT_EQ(printed(a), "a");
  EXPECT_EQ(printed(constant(true)), "1");
  EXPECT_EQ(printed(constant(false)), "0");
  EXPECT_EQ(printed(unary(a)), "(!a)");
  EXPECT_EQ(printed(binary(ExpressionType::OR, a,
                           binary(ExpressionType::XOR, b,
                                  binary(ExpressionType::AND, identifier("c"), unary(b))))),
            "(a | (b ^ (c & (!b))))");
}

TEST(PrintExpression, HandlesDeepTrees) {
  ExpressionPtr tree = identifier("x");
  for (int i = 0; i < 100000; ++i)
    tree = unary(tree);
  std::string text = printed(tree);
  EXPECT_EQ(text.size(), 100000u * 3 + 1);
  // Release iteratively: the default recursive release of such a chain is
  // exactly what the parser's nesting limit protects the compiler from.
  while (tree && tree->left && tree.use_count() == 1)
    tree = std::move(tree->left);
}

} // namespace
} // namespace gsmith
