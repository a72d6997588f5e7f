// Tokens are the lexer's output and the parser's input. They carry no source
// position: every front-end message quotes token text instead.
#pragma once

#include <cstdint>
#include <string>

namespace gsmith {

enum class TokenType : int32_t {
  IDENTIFIER,
  NUMBER,
  DEVICE,
  PIN,
  INPUT,
  OUTPUT,
  REGISTERED,
  GCLK1,
  GCLK2,
  GCLK3,
  RESET,
  GCLR,
  OE,
  OE1,
  OE2,
  ALWAYS,
  PRODUCT,
  GOE1,
  GOE2,
  GOE6,
  CE,
  PRESET,
  NODE,
  SIGNATURE,
  POWER_DOWN,
  EQUALS,
  AND,
  OR,
  XOR,
  NOT,
  DOT,
  LEFT_PAREN,
  RIGHT_PAREN,
  EOF_TOKEN,
  UNKNOWN
};

struct Token {
  TokenType type = TokenType::EOF_TOKEN;
  std::string text;
};

} // namespace gsmith
