// The lexer: one left-to-right pass over the source text. Character classes
// are ASCII only and tested by hand, so neither the locale nor bytes from 0x80
// up (which would be negative chars) can change how a file is read.
#include "frontend/lexer.h"
#include "model/compile-error.h"

#include <array>
#include <stdexcept>
#include <string_view>

namespace gsmith {

namespace {

struct Keyword {
  std::string_view text;
  TokenType type;
};

constexpr std::array<Keyword, 23> kKeywords{{
    {"DEVICE", TokenType::DEVICE},
    {"PIN", TokenType::PIN},
    {"INPUT", TokenType::INPUT},
    {"OUTPUT", TokenType::OUTPUT},
    {"REGISTERED", TokenType::REGISTERED},
    {"GCLK1", TokenType::GCLK1},
    {"GCLK2", TokenType::GCLK2},
    {"GCLK3", TokenType::GCLK3},
    {"RESET", TokenType::RESET},
    {"GCLR", TokenType::GCLR},
    {"OE", TokenType::OE},
    {"OE1", TokenType::OE1},
    {"OE2", TokenType::OE2},
    {"ALWAYS", TokenType::ALWAYS},
    {"PRODUCT", TokenType::PRODUCT},
    {"GOE1", TokenType::GOE1},
    {"GOE2", TokenType::GOE2},
    {"GOE6", TokenType::GOE6},
    {"CE", TokenType::CE},
    {"PRESET", TokenType::PRESET},
    {"NODE", TokenType::NODE},
    {"SIGNATURE", TokenType::SIGNATURE},
    {"POWER_DOWN", TokenType::POWER_DOWN},
}};

struct Symbol {
  char character;
  TokenType type;
};

constexpr std::array<Symbol, 8> kSymbols{{
    {'=', TokenType::EQUALS},
    {'&', TokenType::AND},
    {'|', TokenType::OR},
    {'^', TokenType::XOR},
    {'!', TokenType::NOT},
    {'.', TokenType::DOT},
    {'(', TokenType::LEFT_PAREN},
    {')', TokenType::RIGHT_PAREN},
}};

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool isWordCharacter(char c) { return isLetter(c) || isDigit(c) || c == '_'; }
bool isWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

TokenType keywordType(std::string_view word) {
  for (const Keyword &keyword : kKeywords)
    if (keyword.text == word)
      return keyword.type;
  return TokenType::IDENTIFIER;
}

TokenType symbolType(char c) {
  for (const Symbol &symbol : kSymbols)
    if (symbol.character == c)
      return symbol.type;
  return TokenType::UNKNOWN;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A line ends at "\n", "\r\n" or a lone "\r", as editors count lines; this
// tells whether the byte at `i` is the last of a line's end.
bool endsLine(std::string_view text, size_t i) {
  return text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'));
}

} // namespace

std::string_view withoutByteOrderMark(std::string_view text) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  return text;
}

std::string_view sourceLine(std::string_view text, int line) {
  text = withoutByteOrderMark(text);
  size_t start = 0;
  for (size_t i = 0; i < text.size() && line > 1; ++i) {
    if (endsLine(text, i)) {
      --line;
      start = i + 1;
    }
  }
  if (line != 1)
    return {};
  const size_t end = text.find_first_of("\r\n", start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

Lexer::Lexer(const std::string &source) : source_(source) {
  position_ = source_.size() - withoutByteOrderMark(source_).size();
  counted_ = position_;
  lineStart_ = position_;
}

SourceLocation Lexer::locationOf(size_t position) {
  for (; counted_ < position; ++counted_) {
    if (endsLine(source_, counted_)) {
      ++line_;
      lineStart_ = counted_ + 1;
    }
  }
  return {line_, static_cast<int>(position - lineStart_ + 1)};
}

char Lexer::peek() const { return position_ < source_.size() ? source_[position_] : '\0'; }

char Lexer::advance() {
  if (position_ >= source_.size())
    return '\0';
  return source_[position_++];
}

void Lexer::skipWhitespaceAndComments() {
  while (position_ < source_.size()) {
    const char c = source_[position_];
    if (isWhiteSpace(c)) {
      ++position_;
      continue;
    }
    if (c != '/' || position_ + 1 >= source_.size())
      return;
    const char next = source_[position_ + 1];
    if (next == '/') {
      const size_t end = source_.find_first_of(std::string_view("\n\r\0", 3), position_ + 2);
      position_ = end == std::string::npos ? source_.size() : end;
      continue;
    }
    if (next != '*')
      return;
    // The search starts after "/*", so "/*/" does not close itself.
    const size_t close = source_.find("*/", position_ + 2);
    if (close == std::string::npos)
      throw CompileError("Unterminated block comment", locationOf(position_));
    position_ = close + 2;
  }
}

Token Lexer::readIdentifier() {
  const size_t start = position_;
  while (position_ < source_.size() && isWordCharacter(source_[position_]))
    ++position_;
  std::string word = source_.substr(start, position_ - start);
  const TokenType type = keywordType(word);
  return Token{type, std::move(word), locationOf(start)};
}

Token Lexer::readNumber() {
  const size_t start = position_;
  const bool hex = source_[position_] == '0' && position_ + 1 < source_.size() &&
                   (source_[position_ + 1] == 'x' || source_[position_ + 1] == 'X');
  if (hex) {
    position_ += 2;
    while (position_ < source_.size() && isHexDigit(source_[position_]))
      ++position_;
  } else {
    while (position_ < source_.size() && isDigit(source_[position_]))
      ++position_;
  }
  return Token{TokenType::NUMBER, source_.substr(start, position_ - start), locationOf(start)};
}

std::vector<Token> Lexer::tokenize() {
  std::vector<Token> tokens;
  size_t lastEnd = position_;
  while (position_ < source_.size()) {
    skipWhitespaceAndComments();
    if (position_ >= source_.size())
      break;
    const char c = peek();
    if (isLetter(c) || c == '_')
      tokens.push_back(readIdentifier());
    else if (isDigit(c))
      tokens.push_back(readNumber());
    else
      tokens.push_back(Token{symbolType(c), std::string(1, advance()), locationOf(position_ - 1)});
    lastEnd = position_;
  }
  tokens.push_back(Token{TokenType::EOF_TOKEN, "", locationOf(lastEnd)});
  return tokens;
}

} // namespace gsmith
