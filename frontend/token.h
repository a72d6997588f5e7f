// Tokens are the lexer's output and the parser's input. Each carries where it
// starts, so that the parser can point at what it refuses; the EOF token
// stands just after the last real token.
#pragma once

#include "model/source-location.h"

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
  SourceLocation location;
};

} // namespace gsmith
