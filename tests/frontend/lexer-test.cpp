// The lexer: token kinds and texts for every character class, keywords,
// numbers that split, comments, and the one error it raises.
#include "tests/frontend/frontend-test-support.h"

#include <gtest/gtest.h>

#include <array>

namespace gsmith {
namespace {

using testing::lex;

// A display name for each token type, in declaration order, so that a
// mismatch shows up as readable text.
constexpr std::array<const char *, 35> kTypeNames{
    "IDENTIFIER", "NUMBER", "DEVICE",    "PIN",        "INPUT",       "OUTPUT", "REGISTERED",
    "GCLK1",      "GCLK2",  "GCLK3",     "RESET",      "GCLR",        "OE",     "OE1",
    "OE2",        "ALWAYS", "PRODUCT",   "GOE1",       "GOE2",        "GOE6",   "CE",
    "PRESET",     "NODE",   "SIGNATURE", "POWER_DOWN", "EQUALS",      "AND",    "OR",
    "XOR",        "NOT",    "DOT",       "LEFT_PAREN", "RIGHT_PAREN", "EOF",    "UNKNOWN"};

// Renders tokens as "TYPE:text" separated by blanks; EOF is always last and
// is left out so that every expectation does not have to repeat it.
std::string describe(const std::vector<Token> &tokens) {
  std::string text;
  for (const Token &token : tokens) {
    if (token.type == TokenType::EOF_TOKEN)
      continue;
    if (!text.empty())
      text += ' ';
    text += kTypeNames[static_cast<size_t>(token.type)];
    text += ':';
    text += token.text;
  }
  return text;
}

struct LexCase {
  std::string source;
  std::string tokens;
};

void PrintTo(const LexCase &c, std::ostream *os) { *os << '"' << c.source << '"'; }

class LexerTokens : public ::testing::TestWithParam<LexCase> {};

TEST_P(LexerTokens, ProducesTokens) {
  const std::vector<Token> tokens = lex(GetParam().source);
  ASSERT_FALSE(tokens.empty());
  EXPECT_EQ(tokens.back().type, TokenType::EOF_TOKEN);
  EXPECT_EQ(tokens.back().text, "");
  EXPECT_EQ(describe(tokens), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    EmptyAndComments, LexerTokens,
    ::testing::Values(LexCase{"", ""}, LexCase{" \t\r\n\v\f ", ""},
                      LexCase{"// only a comment", ""}, LexCase{"/* block */", ""},
                      LexCase{"/**/", ""}, LexCase{"/***/", ""}, LexCase{"/*/ still open */", ""},
                      LexCase{"a // to the end\nb", "IDENTIFIER:a IDENTIFIER:b"},
                      LexCase{"a // to a return\rb", "IDENTIFIER:a IDENTIFIER:b"},
                      LexCase{"a//x", "IDENTIFIER:a"},
                      LexCase{"a /* x\n y */ b /* z */", "IDENTIFIER:a IDENTIFIER:b"},
                      LexCase{"/* a /* b */ c", "IDENTIFIER:c"},
                      LexCase{"a / b", "IDENTIFIER:a UNKNOWN:/ IDENTIFIER:b"},
                      LexCase{"a/", "IDENTIFIER:a UNKNOWN:/"},
                      LexCase{std::string("a//x") + '\0' + "b\nc",
                              std::string("IDENTIFIER:a UNKNOWN:") + '\0' +
                                  " IDENTIFIER:b IDENTIFIER:c"}));

INSTANTIATE_TEST_SUITE_P(
    Symbols, LexerTokens,
    ::testing::Values(
        LexCase{"a=b;", "IDENTIFIER:a EQUALS:= IDENTIFIER:b UNKNOWN:;"},
        LexCase{"=&|^!.()", "EQUALS:= AND:& OR:| XOR:^ NOT:! DOT:. LEFT_PAREN:( RIGHT_PAREN:)"},
        LexCase{";,#-~", "UNKNOWN:; UNKNOWN:, UNKNOWN:# UNKNOWN:- UNKNOWN:~"},
        LexCase{"a\xc3\xa9", "IDENTIFIER:a UNKNOWN:\xc3 UNKNOWN:\xa9"},
        LexCase{"a\tb\rc\fd", "IDENTIFIER:a IDENTIFIER:b IDENTIFIER:c IDENTIFIER:d"}));

INSTANTIATE_TEST_SUITE_P(
    Words, LexerTokens,
    ::testing::Values(
        LexCase{"DEVICE PIN INPUT OUTPUT REGISTERED",
                "DEVICE:DEVICE PIN:PIN INPUT:INPUT OUTPUT:OUTPUT REGISTERED:REGISTERED"},
        LexCase{"GCLK1 GCLK2 GCLK3 RESET GCLR", "GCLK1:GCLK1 GCLK2:GCLK2 GCLK3:GCLK3 RESET:RESET "
                                                "GCLR:GCLR"},
        LexCase{"OE OE1 OE2 ALWAYS PRODUCT", "OE:OE OE1:OE1 OE2:OE2 ALWAYS:ALWAYS PRODUCT:PRODUCT"},
        LexCase{"GOE1 GOE2 GOE6 CE PRESET", "GOE1:GOE1 GOE2:GOE2 GOE6:GOE6 CE:CE PRESET:PRESET"},
        LexCase{"NODE SIGNATURE POWER_DOWN", "NODE:NODE SIGNATURE:SIGNATURE POWER_DOWN:POWER_DOWN"},
        LexCase{"device Pin INPUTS GOE3", "IDENTIFIER:device IDENTIFIER:Pin IDENTIFIER:INPUTS "
                                          "IDENTIFIER:GOE3"},
        LexCase{"GAL_MODE PACKAGE CONFIG AUTO PD1",
                "IDENTIFIER:GAL_MODE IDENTIFIER:PACKAGE IDENTIFIER:CONFIG IDENTIFIER:AUTO "
                "IDENTIFIER:PD1"},
        LexCase{"_en A_1 _", "IDENTIFIER:_en IDENTIFIER:A_1 IDENTIFIER:_"},
        LexCase{"x.OE", "IDENTIFIER:x DOT:. OE:OE"},
        LexCase{"x.oe", "IDENTIFIER:x DOT:. IDENTIFIER:oe"}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, LexerTokens,
    ::testing::Values(LexCase{"0X1f", "NUMBER:0X1f"}, LexCase{"007", "NUMBER:007"},
                      LexCase{"0x", "NUMBER:0x"}, LexCase{"0xg", "NUMBER:0x IDENTIFIER:g"},
                      LexCase{"12ab", "NUMBER:12 IDENTIFIER:ab"},
                      LexCase{"0x1Fz", "NUMBER:0x1F IDENTIFIER:z"},
                      LexCase{"1A", "NUMBER:1 IDENTIFIER:A"},
                      LexCase{"10x5", "NUMBER:10 IDENTIFIER:x5"}, LexCase{"0", "NUMBER:0"},
                      LexCase{"99999999999999999999999", "NUMBER:99999999999999999999999"}));

TEST(LexerTest, UnterminatedBlockCommentIsTheOnlyError) {
  for (const std::string source : {"/*", "/* open", "a /*/", "/* * /", "b /* x *"}) {
    try {
      lex(source);
      ADD_FAILURE() << "no error for " << source;
    } catch (const std::runtime_error &error) {
      EXPECT_STREQ(error.what(), "Unterminated block comment") << source;
    }
  }
}

TEST(LexerTest, PeekAndAdvanceStopAtTheEnd) {
  Lexer lexer("ab");
  EXPECT_EQ(lexer.peek(), 'a');
  EXPECT_EQ(lexer.advance(), 'a');
  EXPECT_EQ(lexer.advance(), 'b');
  EXPECT_EQ(lexer.peek(), '\0');
  EXPECT_EQ(lexer.advance(), '\0');
  EXPECT_EQ(lexer.advance(), '\0');
}

TEST(LexerTest, LongInputIsTokenisedInOnePass) {
  std::string source;
  for (int i = 0; i < 100000; ++i)
    source += "a&";
  const std::vector<Token> tokens = lex(source);
  EXPECT_EQ(tokens.size(), 200001u);
}

} // namespace
} // namespace gsmith
