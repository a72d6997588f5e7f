// Small helpers shared by the front-end tests: lexing and parsing a source
// text in one call, and rendering an expression tree as a fully
// parenthesised string so that tree shapes can be compared as text.
#pragma once

#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "model/design.h"
#include "target/registry.h"

#include <string>
#include <vector>

namespace gsmith::testing {

inline std::vector<Token> lex(const std::string &source) { return Lexer(source).tokenize(); }

inline Design parseSource(const std::string &source) {
  return Parser(lex(source), TargetRegistry::features).parse();
}

inline std::string render(const ExpressionPtr &expression) {
  if (!expression)
    return "";
  switch (expression->type) {
  case ExpressionType::IDENTIFIER:
    return expression->name;
  case ExpressionType::CONSTANT:
    return expression->value ? "1" : "0";
  case ExpressionType::NOT:
    return "(!" + render(expression->left) + ")";
  case ExpressionType::AND:
    return "(" + render(expression->left) + " & " + render(expression->right) + ")";
  case ExpressionType::OR:
    return "(" + render(expression->left) + " | " + render(expression->right) + ")";
  case ExpressionType::XOR:
    return "(" + render(expression->left) + " ^ " + render(expression->right) + ")";
  }
  return "?";
}

// The message of the runtime error that parsing `source` raises, or "" when
// it parses.
inline std::string parseError(const std::string &source) {
  try {
    parseSource(source);
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

} // namespace gsmith::testing
