// Turns the complete text of one source file into tokens ending with EOF.
// Forgiving by design: unknown characters become UNKNOWN tokens for the
// parser to judge; only an unterminated block comment is an error here.
// A UTF-8 byte-order mark, which Windows editors write at the start of a
// file, is no part of the text.
#pragma once

#include "frontend/token.h"

#include <string>
#include <string_view>
#include <vector>

namespace gsmith {

// `text` without the byte-order mark it may start with.
std::string_view withoutByteOrderMark(std::string_view text);

// Line `line` (from 1) of a source, numbered as the lexer numbers its tokens'
// lines, without its line break or a byte-order mark; empty past the end.
std::string_view sourceLine(std::string_view text, int line);

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
  // Where `position` is; positions must be asked for in increasing order,
  // which keeps counting the lines one pass over the text.
  SourceLocation locationOf(size_t position);

  std::string source_;
  size_t position_ = 0;
  size_t counted_ = 0;   // the lines before this position are counted
  size_t lineStart_ = 0; // the position of column 1 of line_
  int line_ = 1;
};

} // namespace gsmith
