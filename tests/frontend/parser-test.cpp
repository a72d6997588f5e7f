// The parser, rule by rule: the statement loop and its stray tokens, the
// global statements, PIN and NODE modifiers, equations and expressions, and
// every message each rule can raise.
#include "tests/frontend/frontend-test-support.h"

#include <gtest/gtest.h>

#include <random>

namespace gsmith {
namespace {

using testing::lex;
using testing::parseError;
using testing::parseSource;
using testing::render;

struct ErrorCase {
  std::string source;
  std::string message;
};

void PrintTo(const ErrorCase &c, std::ostream *os) { *os << '"' << c.source << '"'; }

class ParserErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ParserErrors, RaisesMessage) {
  EXPECT_EQ(parseError(GetParam().source), GetParam().message) << GetParam().source;
}

// ---------------------------------------------------------------------------
// Statement loop and stray tokens

INSTANTIATE_TEST_SUITE_P(
    StrayTokens, ParserErrors,
    ::testing::Values(ErrorCase{"DEVICE GAL16V8B 5", "Unexpected GAL16V8B token '5'"},
                      ErrorCase{"5 DEVICE GAL16V8B", "Unexpected GAL16V8B token '5'"},
                      ErrorCase{"DEVICE GAL20V8B PIN 2 a INPUT ( y = a",
                                "Unexpected GAL20V8B token '('"},
                      ErrorCase{"DEVICE ATF1502AS 5", "Unexpected token '5'"},
                      ErrorCase{"5", "Unexpected token '5'"},
                      ErrorCase{"; ; ) ( 7", "Unexpected token ')'"},
                      ErrorCase{"DEVICE GAL22V10B PIN 14 q OUTPUT OE PRODUCT REGISTERED",
                                "Unexpected GAL22V10B token 'REGISTERED'"},
                      ErrorCase{"PIN 2 a INPUT GOE1 GCLR", "Unexpected token 'GCLR'"},
                      ErrorCase{"PIN 14 q OUTPUT GCLR", "Unexpected token 'GCLR'"},
                      ErrorCase{"NODE n OE", "Unexpected token 'OE'"},
                      ErrorCase{"DEVICE GAL16V8B # y = a", "Unexpected GAL16V8B token '#'"},
                      // An error raised by a later statement wins over an earlier stray token.
                      ErrorCase{"DEVICE GAL16V8B 5 PIN x", "Expected pin number after PIN"},
                      // A stray token wins over an oversized signature.
                      ErrorCase{"SIGNATURE = 0x10000 5", "Unexpected token '5'"}));

TEST(ParserLoopTest, EmptyTokenListGivesDefaultDesign) {
  const Design design = parseSource("");
  EXPECT_EQ(design.device, "");
  EXPECT_EQ(design.galMode, GALMode::AUTO);
  EXPECT_TRUE(design.pins.empty());
  // A hand-made list without EOF is read as if it ended with one.
  const Design fromNothing = Parser({}).parse();
  EXPECT_EQ(fromNothing.galMode, GALMode::AUTO);
  const Design withoutEOF =
      Parser({{TokenType::IDENTIFIER, "y"}, {TokenType::EQUALS, "="}, {TokenType::NUMBER, "1"}})
          .parse();
  ASSERT_EQ(withoutEOF.equations.size(), 1u);
  EXPECT_EQ(render(withoutEOF.equations[0].expression), "1");
}

// Renders everything a design holds, so that two parses can be compared whole.
std::string summary(const Design &design) {
  std::string text = design.device + "|" + design.package + "|" + std::to_string(design.signature) +
                     "|" + std::to_string(static_cast<int>(design.galMode));
  for (const PinDefinition &pin : design.pins)
    text += "|pin " + std::to_string(pin.number) + " " + pin.name;
  for (const NodeDefinition &node : design.nodes)
    text += "|node " + node.name;
  for (const Equation &equation : design.equations)
    text += "|" + equation.name + "=" + render(equation.expression);
  for (const OEEquation &equation : design.oeEquations)
    text += "|" + equation.name + ".OE=" + render(equation.expression);
  for (const ATFConfigOption &option : design.configOptions)
    text += "|config " + option.target + " " + option.option + " " + option.value;
  return text;
}

TEST(ParserLoopTest, SemicolonsAreSeparatorsAnywhereBetweenStatements) {
  const std::string plain = "DEVICE GAL16V8B SIGNATURE = 12 PIN 2 a INPUT PIN 19 y OUTPUT "
                            "y = a & !a y.OE = 1 CONFIG y SLEW FAST NODE n PACKAGE DIP20";
  const std::string separated = ";; DEVICE GAL16V8B; SIGNATURE = 12;; PIN 2 a INPUT; ; PIN 19 y "
                                "OUTPUT; y = a & !a; y.OE = 1; CONFIG y SLEW FAST ; NODE n; "
                                "PACKAGE DIP20;;;";
  EXPECT_EQ(summary(parseSource(separated)), summary(parseSource(plain)));
  EXPECT_EQ(summary(parseSource(plain)),
            "GAL16V8B|DIP20|12|0|pin 2 a|pin 19 y|node n|y=(a & (!a))|y.OE=1|config y SLEW FAST");
}

TEST(ParserLoopTest, StatementWordsAlwaysStartTheirStatement) {
  EXPECT_EQ(parseError("GAL_MODE = a"), "GAL_MODE must be AUTO, SIMPLE, COMPLEX or REGISTERED");
  EXPECT_EQ(parseError("PACKAGE = a"), "Expected package name after PACKAGE");
  EXPECT_EQ(parseError("CONFIG = a & b"), "Expected CONFIG target option value");
  // Lower case is an ordinary signal name.
  EXPECT_EQ(parseSource("package = a").equations.size(), 1u);
}

TEST(ParserLoopTest, TokenAccessStopsAtEOF) {
  Parser parser(lex("a"));
  EXPECT_EQ(parser.peek().text, "a");
  EXPECT_FALSE(parser.match(TokenType::EQUALS));
  EXPECT_TRUE(parser.match(TokenType::IDENTIFIER));
  EXPECT_EQ(parser.advance().type, TokenType::EOF_TOKEN);
  EXPECT_EQ(parser.peek().type, TokenType::EOF_TOKEN);
  EXPECT_NO_THROW(parser.expect(TokenType::EOF_TOKEN, "unused"));
  try {
    parser.expect(TokenType::DOT, "Expected a dot");
    ADD_FAILURE() << "expect did not raise";
  } catch (const std::runtime_error &error) {
    EXPECT_STREQ(error.what(), "Expected a dot");
  }
}

// ---------------------------------------------------------------------------
// DEVICE, PACKAGE, GAL_MODE, SIGNATURE, POWER_DOWN, CONFIG

TEST(ParserStatementTest, GlobalStatements) {
  const Design design = parseSource("DEVICE GAL16V8B DEVICE ATF1504ASV PACKAGE TQFP100 "
                                    "GAL_MODE = REGISTERED POWER_DOWN PD2 POWER_DOWN PD1");
  EXPECT_EQ(design.device, "ATF1504ASV");
  EXPECT_EQ(design.package, "TQFP100");
  EXPECT_EQ(design.galMode, GALMode::REGISTERED);
  EXPECT_TRUE(design.galModeDeclared);
  EXPECT_TRUE(design.powerDownPD1);
  EXPECT_TRUE(design.powerDownPD2);
  EXPECT_FALSE(design.hasSignature);
}

TEST(ParserStatementTest, GalModeWords) {
  const std::pair<const char *, GALMode> modes[] = {{"AUTO", GALMode::AUTO},
                                                    {"SIMPLE", GALMode::SIMPLE},
                                                    {"COMPLEX", GALMode::COMPLEX},
                                                    {"REGISTERED", GALMode::REGISTERED}};
  for (const auto &[word, mode] : modes) {
    const Design design = parseSource(std::string("GAL_MODE = ") + word);
    EXPECT_EQ(design.galMode, mode);
    EXPECT_TRUE(design.galModeDeclared);
  }
}

struct SignatureCase {
  std::string text;
  uint64_t value;
};

void PrintTo(const SignatureCase &c, std::ostream *os) { *os << c.text; }

class ParserSignature : public ::testing::TestWithParam<SignatureCase> {};

TEST_P(ParserSignature, ConvertsWithAutomaticBase) {
  const Design design = parseSource("DEVICE GAL22V10B SIGNATURE = " + GetParam().text);
  EXPECT_TRUE(design.hasSignature);
  EXPECT_EQ(design.signature, GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Bases, ParserSignature,
                         ::testing::Values(SignatureCase{"0x1234", 4660}, SignatureCase{"0X1f", 31},
                                           SignatureCase{"010", 8}, SignatureCase{"0", 0},
                                           SignatureCase{"00", 0}, SignatureCase{"65535", 65535},
                                           SignatureCase{"0x10000", 0x10000},
                                           SignatureCase{"18446744073709551615", UINT64_MAX},
                                           SignatureCase{"0xFFFFFFFFFFFFFFFF", UINT64_MAX},
                                           SignatureCase{"01777777777777777777777", UINT64_MAX}));

TEST(ParserStatementTest, WideSignatureIsRefusedOnlyForNonGALDevices) {
  for (const std::string device : {"GAL16V8B", "GAL20V8B", "GAL22V10B"})
    EXPECT_EQ(parseError("DEVICE " + device + " SIGNATURE = 0x10000"), "") << device;
  EXPECT_EQ(parseError("DEVICE ATF1502AS SIGNATURE = 0xFFFF"), "");
  const std::string refused = "SIGNATURE must be between 0x0000 and 0xFFFF for this device";
  EXPECT_EQ(parseError("DEVICE ATF1502AS SIGNATURE = 0x10000"), refused);
  EXPECT_EQ(parseError("DEVICE ATF1504ASV SIGNATURE = 65536"), refused);
  EXPECT_EQ(parseError("SIGNATURE = 0x10000"), refused);
  EXPECT_EQ(parseError("DEVICE gal16v8b SIGNATURE = 0x10000"), refused);
}

TEST(ParserStatementTest, ConfigWords) {
  const Design design = parseSource("CONFIG q XOR TOGGLE CONFIG PIN OE RESET CONFIG _a b_2 C3");
  ASSERT_EQ(design.configOptions.size(), 3u);
  EXPECT_EQ(design.configOptions[0].target, "q");
  EXPECT_EQ(design.configOptions[0].option, "XOR");
  EXPECT_EQ(design.configOptions[0].value, "TOGGLE");
  EXPECT_EQ(design.configOptions[1].target, "PIN");
  EXPECT_EQ(design.configOptions[1].option, "OE");
  EXPECT_EQ(design.configOptions[1].value, "RESET");
  EXPECT_EQ(design.configOptions[2].value, "C3");
}

INSTANTIATE_TEST_SUITE_P(
    GlobalStatements, ParserErrors,
    ::testing::Values(
        ErrorCase{"DEVICE 5", "Expected device name after DEVICE"},
        ErrorCase{"DEVICE PIN", "Expected device name after DEVICE"},
        ErrorCase{"DEVICE", "Expected device name after DEVICE"},
        ErrorCase{"PACKAGE PLCC44 PACKAGE PLCC44", "Duplicate PACKAGE declaration"},
        ErrorCase{"PACKAGE PLCC44 PACKAGE", "Duplicate PACKAGE declaration"},
        ErrorCase{"PACKAGE 44", "Expected package name after PACKAGE"},
        ErrorCase{"PACKAGE", "Expected package name after PACKAGE"},
        ErrorCase{"GAL_MODE = AUTO GAL_MODE = AUTO", "GAL_MODE may only be declared once"},
        ErrorCase{"GAL_MODE SIMPLE", "Expected '=' after GAL_MODE"},
        ErrorCase{"GAL_MODE = registered", "GAL_MODE must be AUTO, SIMPLE, COMPLEX or REGISTERED"},
        ErrorCase{"GAL_MODE =", "GAL_MODE must be AUTO, SIMPLE, COMPLEX or REGISTERED"},
        ErrorCase{"SIGNATURE = 1 SIGNATURE = 1", "SIGNATURE may only be declared once"},
        ErrorCase{"SIGNATURE 1", "Expected '=' after SIGNATURE"},
        ErrorCase{"SIGNATURE = a", "Expected a number after SIGNATURE ="},
        ErrorCase{"SIGNATURE =", "Expected a number after SIGNATURE ="},
        ErrorCase{"SIGNATURE = 08", "Invalid SIGNATURE value '08'"},
        ErrorCase{"SIGNATURE = 0x", "Invalid SIGNATURE value '0x'"},
        ErrorCase{"SIGNATURE = 18446744073709551616",
                  "Invalid SIGNATURE value '18446744073709551616'"},
        ErrorCase{"SIGNATURE = 0x10000000000000000",
                  "Invalid SIGNATURE value '0x10000000000000000'"},
        ErrorCase{"SIGNATURE = 02000000000000000000000",
                  "Invalid SIGNATURE value '02000000000000000000000'"},
        ErrorCase{"POWER_DOWN PD3", "Expected PD1 or PD2 after POWER_DOWN"},
        ErrorCase{"POWER_DOWN pd1", "Expected PD1 or PD2 after POWER_DOWN"},
        ErrorCase{"POWER_DOWN", "Expected PD1 or PD2 after POWER_DOWN"},
        ErrorCase{"POWER_DOWN PD1 POWER_DOWN PD2 POWER_DOWN PD1",
                  "POWER_DOWN PD1 may only be declared once"},
        ErrorCase{"POWER_DOWN PD2 POWER_DOWN PD2", "POWER_DOWN PD2 may only be declared once"},
        ErrorCase{"CONFIG q SLEW 1", "Expected CONFIG target option value"},
        ErrorCase{"CONFIG q SLEW", "Expected CONFIG target option value"},
        ErrorCase{"CONFIG q ; FAST", "Expected CONFIG target option value"},
        ErrorCase{"CONFIG 5 SLEW FAST", "Expected CONFIG target option value"},
        ErrorCase{"CONFIG q SLEW =", "Expected CONFIG target option value"}));

// ---------------------------------------------------------------------------
// PIN

std::string describePin(const PinDefinition &pin) {
  std::string text = std::to_string(pin.number) + " " + pin.name;
  text += pin.direction == PinDirection::OUTPUT ? " OUTPUT" : " INPUT";
  if (pin.registered)
    text += " registered";
  text += " clock=" + std::to_string(static_cast<int>(pin.clock));
  text += " reset=" + std::to_string(static_cast<int>(pin.reset));
  if (pin.clockEnable)
    text += " ce";
  if (pin.preset)
    text += " preset";
  text += " oe=" + std::to_string(static_cast<int>(pin.outputEnable));
  text += " goe=" + std::to_string(static_cast<int>(pin.globalOE));
  return text;
}

struct PinCase {
  std::string source;
  std::string pin;
};

void PrintTo(const PinCase &c, std::ostream *os) { *os << '"' << c.source << '"'; }

class ParserPin : public ::testing::TestWithParam<PinCase> {};

TEST_P(ParserPin, ReadsModifiers) {
  const Design design = parseSource(GetParam().source);
  ASSERT_EQ(design.pins.size(), 1u) << GetParam().source;
  EXPECT_EQ(describePin(design.pins[0]), GetParam().pin);
}

INSTANTIATE_TEST_SUITE_P(
    Modifiers, ParserPin,
    ::testing::Values(
        PinCase{"PIN 2 a INPUT", "2 a INPUT clock=0 reset=0 oe=1 goe=0"},
        PinCase{"PIN 3 clk INPUT GCLK1", "3 clk INPUT clock=1 reset=0 oe=1 goe=0"},
        PinCase{"PIN 1 clr INPUT GCLR", "1 clr INPUT clock=0 reset=1 oe=1 goe=0"},
        PinCase{"PIN 2 e INPUT GOE1", "2 e INPUT clock=0 reset=0 oe=1 goe=1"},
        PinCase{"PIN 2 x INPUT GCLK2 GCLR GOE6", "2 x INPUT clock=2 reset=1 oe=1 goe=3"},
        PinCase{"PIN 2 x INPUT GCLK3 GOE2", "2 x INPUT clock=3 reset=0 oe=1 goe=2"},
        PinCase{"PIN 14 q OUTPUT", "14 q OUTPUT clock=0 reset=0 oe=1 goe=0"},
        PinCase{"PIN 14 q OUTPUT OE ALWAYS", "14 q OUTPUT clock=0 reset=0 oe=1 goe=0"},
        PinCase{"PIN 14 q OUTPUT OE OE1", "14 q OUTPUT clock=0 reset=0 oe=2 goe=0"},
        PinCase{"PIN 14 q OUTPUT OE OE2", "14 q OUTPUT clock=0 reset=0 oe=3 goe=0"},
        PinCase{"PIN 14 q OUTPUT OE GOE6", "14 q OUTPUT clock=0 reset=0 oe=4 goe=0"},
        PinCase{"PIN 14 q OUTPUT OE PRODUCT", "14 q OUTPUT clock=0 reset=0 oe=5 goe=0"},
        PinCase{"PIN 14 q OUTPUT REGISTERED CE PRODUCT",
                "14 q OUTPUT registered clock=0 reset=0 ce oe=1 goe=0"},
        PinCase{"PIN 14 q OUTPUT REGISTERED GCLK3 RESET GCLR",
                "14 q OUTPUT registered clock=3 reset=1 oe=1 goe=0"},
        PinCase{"PIN 14 q OUTPUT REGISTERED GCLK1 OE OE2 RESET PRODUCT CE PRODUCT PRESET PRODUCT",
                "14 q OUTPUT registered clock=1 reset=2 ce preset oe=3 goe=0"},
        PinCase{"PIN 0x10 a INPUT", "0 a INPUT clock=0 reset=0 oe=1 goe=0"},
        PinCase{"PIN 007 a INPUT", "7 a INPUT clock=0 reset=0 oe=1 goe=0"},
        PinCase{"PIN 2147483647 a INPUT", "2147483647 a INPUT clock=0 reset=0 oe=1 goe=0"}));

TEST(ParserPinTest, OutOfOrderIdentifierStartsAnEquation) {
  const Design design = parseSource("PIN 14 q OUTPUT q = a");
  ASSERT_EQ(design.pins.size(), 1u);
  ASSERT_EQ(design.equations.size(), 1u);
  EXPECT_EQ(design.equations[0].name, "q");
}

INSTANTIATE_TEST_SUITE_P(
    PinRules, ParserErrors,
    ::testing::Values(
        ErrorCase{"PIN a INPUT", "Expected pin number after PIN"},
        ErrorCase{"PIN", "Expected pin number after PIN"},
        ErrorCase{"PIN 2147483648 a INPUT", "Pin number '2147483648' is out of range"},
        ErrorCase{"PIN 99999999999999999999999 a INPUT",
                  "Pin number '99999999999999999999999' is out of range"},
        ErrorCase{"PIN 2 INPUT", "Expected pin name"},
        ErrorCase{"PIN 2 3 INPUT", "Expected pin name"},
        ErrorCase{"PIN 2 a", "Expected INPUT or OUTPUT after pin name"},
        ErrorCase{"PIN 2 a input", "Expected INPUT or OUTPUT after pin name"},
        ErrorCase{"PIN 2 a INPUT REGISTERED", "REGISTERED can only be used with an OUTPUT"},
        ErrorCase{"PIN 14 q OUTPUT GOE1",
                  "A global OE source can only be declared on an INPUT pin"},
        ErrorCase{"PIN 14 q OUTPUT REGISTERED GCLK1 GOE6",
                  "A global OE source can only be declared on an INPUT pin"},
        ErrorCase{"PIN 14 q OUTPUT GCLK1", "A clock source on an OUTPUT requires REGISTERED"},
        ErrorCase{"PIN 14 q OUTPUT GCLK2 OE PRODUCT",
                  "A clock source on an OUTPUT requires REGISTERED"},
        ErrorCase{"PIN 2 a INPUT OE ALWAYS", "OE can only be used with an OUTPUT"},
        ErrorCase{"PIN 14 q OUTPUT OE GOE1", "Expected ALWAYS, OE1, OE2, GOE6 or PRODUCT after OE"},
        ErrorCase{"PIN 14 q OUTPUT OE GOE2", "Expected ALWAYS, OE1, OE2, GOE6 or PRODUCT after OE"},
        ErrorCase{"PIN 14 q OUTPUT OE", "Expected ALWAYS, OE1, OE2, GOE6 or PRODUCT after OE"},
        ErrorCase{"PIN 14 q OUTPUT RESET GCLR", "RESET can only be used with a REGISTERED OUTPUT"},
        ErrorCase{"PIN 2 a INPUT GCLR RESET GCLR",
                  "RESET can only be used with a REGISTERED OUTPUT"},
        ErrorCase{"PIN 14 q OUTPUT REGISTERED GCLK1 RESET CE",
                  "Expected GCLR or PRODUCT after RESET"},
        ErrorCase{"PIN 14 q OUTPUT CE PRODUCT", "CE can only be used with a REGISTERED OUTPUT"},
        ErrorCase{"PIN 2 a INPUT CE PRODUCT", "CE can only be used with a REGISTERED OUTPUT"},
        ErrorCase{"PIN 14 q OUTPUT REGISTERED CE", "Expected PRODUCT after CE"},
        ErrorCase{"PIN 14 q OUTPUT PRESET PRODUCT",
                  "PRESET can only be used with a REGISTERED OUTPUT"},
        ErrorCase{"PIN 14 q OUTPUT REGISTERED GCLK1 PRESET GCLR", "Expected PRODUCT after PRESET"},
        ErrorCase{"PIN 14 q OUTPUT REGISTERED",
                  "REGISTERED output requires GCLK1/GCLK2/GCLK3 or CE PRODUCT as a local clock"},
        ErrorCase{"PIN 14 q OUTPUT REGISTERED OE PRODUCT RESET GCLR PRESET PRODUCT",
                  "REGISTERED output requires GCLK1/GCLK2/GCLK3 or CE PRODUCT as a local clock"}));

// ---------------------------------------------------------------------------
// NODE

std::string describeNode(const NodeDefinition &node) {
  std::string text = node.name;
  if (node.registered)
    text += " registered";
  text += " clock=" + std::to_string(static_cast<int>(node.clock));
  text += " reset=" + std::to_string(static_cast<int>(node.reset));
  if (node.clockEnable)
    text += " ce";
  if (node.preset)
    text += " preset";
  return text;
}

class ParserNode : public ::testing::TestWithParam<PinCase> {};

TEST_P(ParserNode, ReadsModifiers) {
  const Design design = parseSource(GetParam().source);
  ASSERT_EQ(design.nodes.size(), 1u) << GetParam().source;
  EXPECT_EQ(describeNode(design.nodes[0]), GetParam().pin);
}

INSTANTIATE_TEST_SUITE_P(
    Modifiers, ParserNode,
    ::testing::Values(
        PinCase{"NODE n", "n clock=0 reset=0"},
        PinCase{"DEVICE GAL16V8B NODE n", "n clock=0 reset=0"},
        PinCase{"NODE n REGISTERED GCLK1", "n registered clock=1 reset=0"},
        // The device rule only knows the devices declared before the NODE.
        PinCase{"NODE n REGISTERED GCLK3 DEVICE GAL16V8B", "n registered clock=3 reset=0"},
        PinCase{"DEVICE ATF1502AS NODE n REGISTERED GCLK2 RESET PRODUCT CE PRODUCT PRESET PRODUCT",
                "n registered clock=2 reset=2 ce preset"},
        PinCase{"DEVICE ATF1502AS NODE n REGISTERED GCLK1 RESET GCLR",
                "n registered clock=1 reset=1"},
        PinCase{"DEVICE ATF1504AS NODE n REGISTERED GCLK1 PRESET PRODUCT",
                "n registered clock=1 reset=0 preset"}));

INSTANTIATE_TEST_SUITE_P(
    NodeRules, ParserErrors,
    ::testing::Values(
        ErrorCase{"NODE 5", "Expected node name after NODE"},
        ErrorCase{"NODE", "Expected node name after NODE"},
        ErrorCase{"DEVICE GAL20V8B NODE n REGISTERED GCLK1",
                  "Unexpected GAL20V8B token 'REGISTERED' on NODE"},
        ErrorCase{"DEVICE GAL22V10B NODE n REGISTERED",
                  "Unexpected GAL22V10B token 'REGISTERED' on NODE"},
        ErrorCase{"NODE n REGISTERED", "REGISTERED NODE requires GCLK1/GCLK2/GCLK3"},
        ErrorCase{"NODE n REGISTERED RESET GCLR", "REGISTERED NODE requires GCLK1/GCLK2/GCLK3"},
        ErrorCase{"NODE n REGISTERED GCLK1 RESET CE", "Expected GCLR or PRODUCT after RESET"},
        ErrorCase{"DEVICE ATF1502AS NODE n REGISTERED GCLK1 OE PRODUCT",
                  "Control modifiers on REGISTERED NODE are not yet supported for this device"},
        ErrorCase{"NODE n REGISTERED GCLK1 OE",
                  "Control modifiers on REGISTERED NODE are not yet supported for this device"},
        ErrorCase{"DEVICE ATF1504AS NODE n REGISTERED GCLK1 OE PRODUCT",
                  "Buried NODE has no output driver for OE"},
        ErrorCase{"DEVICE ATF1504ASV NODE n REGISTERED GCLK1 OE",
                  "Buried NODE has no output driver for OE"},
        ErrorCase{"DEVICE ATF1502AS NODE n REGISTERED GCLK1 RESET GCLR OE ALWAYS",
                  "Buried NODE has no output driver for OE"},
        ErrorCase{"DEVICE ATF1502AS NODE n REGISTERED GCLK1 CE PRODUCT OE",
                  "Buried NODE has no output driver for OE"},
        ErrorCase{"NODE n REGISTERED GCLK1 CE", "Expected PRODUCT after CE"},
        ErrorCase{"NODE n REGISTERED GCLK1 PRESET GCLR", "Expected PRODUCT after PRESET"}));

// ---------------------------------------------------------------------------
// Equations and expressions

TEST(ParserEquationTest, ControlEquationsGoToTheirOwnLists) {
  const Design design = parseSource("y = a y.OE = b y.CE = c y.PRESET = d y.RESET = e z = 0");
  ASSERT_EQ(design.equations.size(), 2u);
  ASSERT_EQ(design.oeEquations.size(), 1u);
  ASSERT_EQ(design.ceEquations.size(), 1u);
  ASSERT_EQ(design.presetEquations.size(), 1u);
  ASSERT_EQ(design.resetEquations.size(), 1u);
  EXPECT_EQ(design.equations[0].name, "y");
  EXPECT_EQ(design.equations[1].name, "z");
  EXPECT_EQ(render(design.equations[1].expression), "0");
  EXPECT_EQ(design.oeEquations[0].name, "y");
  EXPECT_EQ(render(design.oeEquations[0].expression), "b");
  EXPECT_EQ(render(design.ceEquations[0].expression), "c");
  EXPECT_EQ(render(design.presetEquations[0].expression), "d");
  EXPECT_EQ(design.resetEquations[0].name, "y");
  EXPECT_EQ(render(design.resetEquations[0].expression), "e");
}

TEST(ParserEquationTest, EquationsKeepSourceOrderAndDuplicates) {
  const Design design = parseSource("y = a y = b");
  ASSERT_EQ(design.equations.size(), 2u);
  EXPECT_EQ(render(design.equations[0].expression), "a");
  EXPECT_EQ(render(design.equations[1].expression), "b");
}

struct ShapeCase {
  std::string expression;
  std::string tree;
};

void PrintTo(const ShapeCase &c, std::ostream *os) { *os << '"' << c.expression << '"'; }

class ParserExpression : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ParserExpression, BuildsTree) {
  const Design design = parseSource("y = " + GetParam().expression);
  ASSERT_EQ(design.equations.size(), 1u);
  EXPECT_EQ(render(design.equations[0].expression), GetParam().tree);
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, ParserExpression,
    ::testing::Values(
        ShapeCase{"a | b ^ c & !d", "(a | (b ^ (c & (!d))))"},
        ShapeCase{"!a & b ^ c | d", "((((!a) & b) ^ c) | d)"},
        ShapeCase{"a & b & c", "((a & b) & c)"}, ShapeCase{"a | b | c", "((a | b) | c)"},
        ShapeCase{"a ^ b ^ c", "((a ^ b) ^ c)"}, ShapeCase{"a & b | c & d", "((a & b) | (c & d))"},
        ShapeCase{"(a | b) & c", "((a | b) & c)"}, ShapeCase{"!(a & b)", "(!(a & b))"},
        ShapeCase{"!!a", "(!(!a))"}, ShapeCase{"((a))", "a"}, ShapeCase{"1 & 0", "(1 & 0)"},
        ShapeCase{"a & (b ^ (c | 1))", "(a & (b ^ (c | 1)))"},
        ShapeCase{"!(a | b) & c ^ !d | (e)", "((((!(a | b)) & c) ^ (!d)) | e)"},
        ShapeCase{"a | (b | c) & d", "(a | ((b | c) & d))"},
        ShapeCase{"((a | b)) & !(!(c))", "((a | b) & (!(!c)))"},
        ShapeCase{"a ^ !!(b) & c", "(a ^ ((!(!b)) & c))"}));

// Random trees written with the fewest parentheses their shape needs (and a
// few redundant ones) must parse back to the same shape.
class RandomExpression {
public:
  explicit RandomExpression(unsigned seed) : random_(seed) {}

  // Builds a random tree and returns {source text, fully parenthesised form}.
  std::pair<std::string, std::string> make(int depth) {
    const Node node = build(depth);
    return {node.text, node.tree};
  }

private:
  struct Node {
    std::string text;
    std::string tree;
    int precedence; // 1 OR, 2 XOR, 3 AND, 4 NOT or primary
  };

  Node build(int depth) {
    const int kind = depth == 0 ? 0 : static_cast<int>(random_() % 5);
    Node node;
    if (kind == 0) {
      const std::string leaf = std::string(1, static_cast<char>('a' + random_() % 4));
      node = random_() % 8 == 0 ? Node{"1", "1", 4} : Node{leaf, leaf, 4};
    } else if (kind == 1) {
      const Node operand = build(depth - 1);
      node = Node{"!" + wrap(operand, operand.precedence < 4), "(!" + operand.tree + ")", 4};
    } else {
      static const char *const kOperators[] = {"|", "^", "&"};
      const int precedence = kind - 1;
      const Node left = build(depth - 1);
      const Node right = build(depth - 1);
      const std::string op = kOperators[precedence - 1];
      node.text = wrap(left, left.precedence < precedence) + " " + op + " " +
                  wrap(right, right.precedence <= precedence);
      node.tree = "(" + left.tree + " " + op + " " + right.tree + ")";
      node.precedence = precedence;
    }
    return node;
  }

  std::string wrap(const Node &node, bool needed) {
    return needed || random_() % 6 == 0 ? "(" + node.text + ")" : node.text;
  }

  std::mt19937 random_;
};

TEST(ParserExpressionTest, RandomTreesRoundTrip) {
  RandomExpression generator(20261206);
  for (int i = 0; i < 2000; ++i) {
    const auto [text, tree] = generator.make(1 + i % 6);
    const Design design = parseSource("y = " + text);
    ASSERT_EQ(design.equations.size(), 1u) << text;
    ASSERT_EQ(render(design.equations[0].expression), tree) << text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EquationRules, ParserErrors,
    ::testing::Values(ErrorCase{"x.oe = a", "Expected OE, CE, PRESET or RESET after '.'"},
                      ErrorCase{"x. = a", "Expected OE, CE, PRESET or RESET after '.'"},
                      ErrorCase{"x.GCLR = a", "Expected OE, CE, PRESET or RESET after '.'"},
                      ErrorCase{"x.RESET a", "Expected '=' after .RESET"},
                      ErrorCase{"x.OE a", "Expected '=' after .OE"},
                      ErrorCase{"x.CE", "Expected '=' after .CE"},
                      ErrorCase{"x.PRESET & a", "Expected '=' after .PRESET"},
                      ErrorCase{"x a", "Expected '=' after output name"},
                      ErrorCase{"x", "Expected '=' after output name"},
                      ErrorCase{"y = 2", "Logic constants must be 0 or 1"},
                      ErrorCase{"y = 00", "Logic constants must be 0 or 1"},
                      ErrorCase{"y = 01", "Logic constants must be 0 or 1"},
                      ErrorCase{"y = 0x1", "Logic constants must be 0 or 1"},
                      ErrorCase{"y = (a", "Expected ')'"}, ErrorCase{"y = (a b)", "Expected ')'"},
                      ErrorCase{"y = OE", "Expected signal, 0, 1 or '(' in expression"},
                      ErrorCase{"y = RESET & a", "Expected signal, 0, 1 or '(' in expression"},
                      ErrorCase{"y =", "Expected signal, 0, 1 or '(' in expression"},
                      ErrorCase{"y = a &", "Expected signal, 0, 1 or '(' in expression"},
                      ErrorCase{"y = !", "Expected signal, 0, 1 or '(' in expression"},
                      ErrorCase{"y = ()", "Expected signal, 0, 1 or '(' in expression"},
                      ErrorCase{"y = a | ; b", "Expected signal, 0, 1 or '(' in expression"}));

} // namespace
} // namespace gsmith
