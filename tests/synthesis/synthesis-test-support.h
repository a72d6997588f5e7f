// Shorthand for the synthesis tests: expression trees built in code, sums of
// products written as short strings ("a&!b | c", "1" for the single empty
// term, "0" for no terms), and small designs assembled by hand.
#pragma once

#include "model/design.h"
#include "synthesis/logic.h"

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace gsmith::testing {

inline ExpressionPtr node(ExpressionType type, ExpressionPtr left = nullptr,
                          ExpressionPtr right = nullptr) {
  auto expression = std::make_shared<Expression>();
  expression->type = type;
  expression->left = std::move(left);
  expression->right = std::move(right);
  return expression;
}

inline ExpressionPtr id(const std::string &name) {
  auto expression = node(ExpressionType::IDENTIFIER);
  expression->name = name;
  return expression;
}

inline ExpressionPtr constant(bool value) {
  auto expression = node(ExpressionType::CONSTANT);
  expression->value = value;
  return expression;
}

inline ExpressionPtr operator!(const ExpressionPtr &operand) {
  return node(ExpressionType::NOT, operand);
}
inline ExpressionPtr operator&(const ExpressionPtr &l, const ExpressionPtr &r) {
  return node(ExpressionType::AND, l, r);
}
inline ExpressionPtr operator|(const ExpressionPtr &l, const ExpressionPtr &r) {
  return node(ExpressionType::OR, l, r);
}
inline ExpressionPtr operator^(const ExpressionPtr &l, const ExpressionPtr &r) {
  return node(ExpressionType::XOR, l, r);
}

// The value of `expression` when each signal has the value `leaf(name)`.
template <typename Leaf> bool evaluateTree(const ExpressionPtr &expression, const Leaf &leaf) {
  switch (expression->type) {
  case ExpressionType::IDENTIFIER:
    return leaf(expression->name);
  case ExpressionType::CONSTANT:
    return expression->value;
  case ExpressionType::NOT:
    return !evaluateTree(expression->left, leaf);
  case ExpressionType::AND:
    return evaluateTree(expression->left, leaf) && evaluateTree(expression->right, leaf);
  case ExpressionType::OR:
    return evaluateTree(expression->left, leaf) || evaluateTree(expression->right, leaf);
  case ExpressionType::XOR:
    return evaluateTree(expression->left, leaf) != evaluateTree(expression->right, leaf);
  }
  return false;
}

// prefix followed by the decimal index, e.g. "a12".
inline std::string indexed(const std::string &prefix, int index) {
  std::string result = prefix;
  result += std::to_string(index);
  return result;
}

// Left-associated chain `op` over names prefix0 .. prefix<count-1>.
inline ExpressionPtr chain(ExpressionType type, const std::string &prefix, int count,
                           int first = 0) {
  ExpressionPtr result = id(indexed(prefix, first));
  for (int i = first + 1; i < first + count; ++i) {
    result = node(type, result, id(indexed(prefix, i)));
  }
  return result;
}

inline std::string text(const ProductTerm &term) {
  if (term.empty()) {
    return "1";
  }
  std::string result;
  for (const Literal &literal : term) {
    if (!result.empty()) {
      result += '&';
    }
    if (literal.negated) {
      result += '!';
    }
    result += literal.name;
  }
  return result;
}

inline std::string text(const SOPExpression &sum) {
  if (sum.terms.empty()) {
    return "0";
  }
  std::string result;
  for (const ProductTerm &term : sum.terms) {
    if (!result.empty()) {
      result += " | ";
    }
    result += text(term);
  }
  return result;
}

// Parses the notation of `text`: terms separated by "|", literals by "&".
inline ProductTerm term(const std::string &source) {
  ProductTerm result;
  std::istringstream in(source);
  std::string literal;
  while (std::getline(in, literal, '&')) {
    literal.erase(0, literal.find_first_not_of(' '));
    literal.erase(literal.find_last_not_of(' ') + 1);
    if (literal.empty() || literal == "1") {
      continue;
    }
    const bool negated = literal[0] == '!';
    result.push_back(Literal{negated ? literal.substr(1) : literal, negated});
  }
  return result;
}

inline SOPExpression sop(const std::string &source) {
  SOPExpression result;
  if (source == "0") {
    return result;
  }
  std::istringstream in(source);
  std::string part;
  while (std::getline(in, part, '|')) {
    result.terms.push_back(term(part));
  }
  return result;
}

inline PinDefinition pin(int number, const std::string &name,
                         PinDirection direction = PinDirection::INPUT) {
  PinDefinition result;
  result.number = number;
  result.name = name;
  result.direction = direction;
  return result;
}

inline PinDefinition outputPin(int number, const std::string &name) {
  return pin(number, name, PinDirection::OUTPUT);
}

} // namespace gsmith::testing
