// Recursive-descent parser from tokens to a Design. It enforces statement
// syntax and the modifier rules that can be decided locally; cross-statement
// checks belong to semantic analysis. The first error ends parsing.
#pragma once

#include "frontend/design.h"
#include "frontend/token.h"

#include <string>
#include <vector>

namespace gsmith {

// Deeper expression trees are refused so that no later recursive walk (or the
// release of the tree) can exhaust the stack.
inline constexpr int kMaxExpressionNesting = 1024;

class Parser {
public:
  explicit Parser(const std::vector<Token>& tokens);
  Design parse();

  const Token& peek() const;
  Token advance();
  bool match(TokenType type);
  void expect(TokenType type, const std::string& message);

private:
  void parseDevice(Design& design);
  void parsePackage(Design& design);
  void parseGalMode(Design& design);
  void parseConfig(Design& design);
  void parsePin(Design& design);
  void parseNode(Design& design);
  void parseSignature(Design& design);
  void parsePowerDown(Design& design);
  void parseEquation(Design& design);
  void parseOEEquation(Design& design, const std::string& name);
  void parseCEEquation(Design& design, const std::string& name);
  void parsePresetEquation(Design& design, const std::string& name);

  ExpressionPtr parseExpression();
  ExpressionPtr parseOr();
  ExpressionPtr parseXor();
  ExpressionPtr parseAnd();
  ExpressionPtr parseUnary();
  ExpressionPtr parsePrimary();

  std::vector<Token> tokens_;
  size_t index_ = 0;
};

} // namespace gsmith
