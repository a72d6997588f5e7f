// Turns the complete text of one source file into tokens ending with EOF.
// Forgiving by design: unknown characters become UNKNOWN tokens for the
// parser to judge; only an unterminated block comment is an error here.
#pragma once

#include "frontend/token.h"

#include <string>
#include <vector>

namespace gsmith {

class Lexer {
public:
  explicit Lexer(const std::string &source);
  std::vector<Token> tokenize();

  char peek() const;
  char advance();
  void skipWhitespaceAndComments();
  Token readIdentifier();
  Token readNumber();

private:
  std::string source_;
  size_t position_ = 0;
};

} // namespace gsmith
