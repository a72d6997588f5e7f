// Hand-written parser from tokens to a Design. It enforces statement
// syntax and the modifier rules that can be decided locally; cross-statement
// checks belong to semantic analysis. The first error ends parsing.
#pragma once

#include "frontend/device-rules.h"
#include "frontend/token.h"
#include "model/design.h"

#include <functional>
#include <string>
#include <vector>

namespace gsmith {

// Deeper expression trees are refused so that no later recursive walk (or the
// release of the tree) can exhaust the stack.
//
// The measured depth of an expression is: 1 for a signal or a constant,
// 1 + the operand's depth for "!", 1 + the larger operand depth for "&", "^"
// and "|", and 1 + the inner depth for a parenthesised group. Without
// parentheses this is the tree depth (nodes on the longest root-to-leaf path;
// a left-leaning chain of n operands has depth n). A group adds no node, but
// it costs the parser a level of recursion, so it counts as a level as well:
// 1023 nested pairs around one signal are accepted, 1024 are refused. Any
// expression deeper than the limit raises "Expression nesting exceeds 1024
// levels"; the parser checks as soon as an open group or a pending operator
// makes the limit unreachable, so hostile input is refused early and cheaply.
inline constexpr int kMaxExpressionNesting = 1024;

// The language features of a device by its DEVICE name; null for a name no
// target has. The parser asks at the points where the device so far changes
// what a statement means or how an error is worded.
using FeatureLookup = std::function<const LanguageFeatures *(const std::string &device)>;

class Parser {
public:
  explicit Parser(const std::vector<Token> &tokens, FeatureLookup features = {});
  Design parse();

  const Token &peek() const;
  Token advance();
  bool match(TokenType type);
  void expect(TokenType type, const std::string &message);

private:
  // Refuses the statement at the token the parser stands on.
  [[noreturn]] void fail(const std::string &message) const;

  void parseDevice(Design &design);
  void parsePackage(Design &design);
  void parseGalMode(Design &design);
  void parseConfig(Design &design);
  void parsePin(Design &design);
  void parseNode(Design &design);
  void parseSignature(Design &design);
  void parsePowerDown(Design &design);
  // `activeLow`: the statement began with '!' ("!name = expression").
  void parseEquation(Design &design, bool activeLow = false);
  bool startsActiveLowEquation() const;

  // Expressions are read by operator precedence with explicit stacks, not by
  // recursive descent, so the parser's own stack use is the same for every
  // input however deeply it nests.
  ExpressionPtr parseExpression();
  ExpressionPtr parsePrimary();

  const LanguageFeatures &featuresOf(const std::string &device) const;

  std::vector<Token> tokens_;
  size_t index_ = 0;
  FeatureLookup features_;
};

} // namespace gsmith
