// The front end from source text to a checked Design: what the lexer makes of
// each character class, what the parser builds, every message the parser and
// the semantic checks can give (one source that provokes each), and the
// expression depth limit. Whole-pipeline outcomes live in the corpus replay.
#include "frontend/semantic.h"
#include "tests/frontend/frontend-test-support.h"
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <random>

namespace gsmith {
namespace {

using testing::lex;
using testing::parseError;
using testing::parseSource;
using testing::render;

// Tokens as "kind:text" with keywords shown as "K:", identifiers as "I:",
// numbers as "N:", anything else as "?:"; EOF is left out.
std::string describe(const std::vector<Token> &tokens) {
  std::string text;
  for (const Token &token : tokens) {
    if (token.type == TokenType::EOF_TOKEN)
      continue;
    const char *kind = token.type == TokenType::IDENTIFIER ? "I"
                       : token.type == TokenType::NUMBER   ? "N"
                       : token.type == TokenType::UNKNOWN  ? "?"
                                                           : "K";
    text += (text.empty() ? "" : " ") + std::string(kind) + ":" + token.text;
  }
  return text;
}

TEST(Lexer, TokensOfEveryCharacterClass) {
  const std::pair<std::string, std::string> cases[] = {
      {" \t\r\n\v\f // comment\n/* block */ /**/ /*/ open */", ""},
      {"a // to a return\rb /* x\n y */ c//x", "I:a I:b I:c"},
      {"/* a /* b */ c a/ b", "I:c I:a ?:/ I:b"},
      {"=&|^!.();,#", "K:= K:& K:| K:^ K:! K:. K:( K:) ?:; ?:, ?:#"},
      {"a\xc3\xa9", "I:a ?:\xc3 ?:\xa9"},
      {"DEVICE PIN GOE6 POWER_DOWN x.OE", "K:DEVICE K:PIN K:GOE6 K:POWER_DOWN I:x K:. K:OE"},
      {"device GOE3 GAL_MODE CONFIG PD1 _en A_1 x.oe",
       "I:device I:GOE3 I:GAL_MODE I:CONFIG I:PD1 I:_en I:A_1 I:x K:. I:oe"},
      {"0X1f 007 0x 0xg 12ab 0x1Fz 10x5",
       "N:0X1f N:007 N:0x N:0x I:g N:12 I:ab N:0x1F I:z N:10 I:x5"},
      {std::string("a//x") + '\0' + "b\nc", std::string("I:a ?:") + '\0' + " I:b I:c"},
  };
  for (const auto &[source, tokens] : cases) {
    const std::vector<Token> lexed = lex(source);
    EXPECT_EQ(lexed.back().type, TokenType::EOF_TOKEN);
    EXPECT_EQ(describe(lexed), tokens) << source;
  }
  for (const std::string source : {"/*", "a /*/", "b /* x *"})
    EXPECT_EQ(parseError(source), "Unterminated block comment") << source;
  EXPECT_THROW(lex("/* * /"), std::runtime_error);
}

// Renders everything a design holds, so that two parses can be compared whole.
std::string summary(const Design &design) {
  std::string text = design.device + "|" + design.package + "|" + std::to_string(design.signature) +
                     "|" + std::to_string(static_cast<int>(design.galMode)) +
                     (design.powerDownPD1 ? "|PD1" : "") + (design.powerDownPD2 ? "|PD2" : "");
  for (const PinDefinition &pin : design.pins) {
    text += "|pin " + std::to_string(pin.number) + " " + pin.name +
            (pin.direction == PinDirection::OUTPUT ? " out" : " in") +
            (pin.registered ? " reg" : "") + (pin.clockEnable ? " ce" : "") +
            (pin.preset ? " preset" : "");
    for (int field : {static_cast<int>(pin.clock), static_cast<int>(pin.reset),
                      static_cast<int>(pin.outputEnable), static_cast<int>(pin.globalOE)})
      text += " " + std::to_string(field);
  }
  for (const NodeDefinition &node : design.nodes)
    text += "|node " + node.name + (node.registered ? " reg " : " ") +
            std::to_string(static_cast<int>(node.clock)) + " " +
            std::to_string(static_cast<int>(node.reset)) + (node.clockEnable ? " ce" : "") +
            (node.preset ? " preset" : "");
  for (const Equation &equation : design.equations)
    text += "|" + equation.name + "=" + render(equation.expression);
  const auto controls = [&text](const char *kind, const auto &equations) {
    for (const auto &equation : equations)
      text += "|" + equation.name + kind + "=" + render(equation.expression);
  };
  controls(".OE", design.oeEquations);
  controls(".CE", design.ceEquations);
  controls(".PRESET", design.presetEquations);
  controls(".RESET", design.resetEquations);
  for (const ATFConfigOption &option : design.configOptions)
    text += "|config " + option.target + " " + option.option + " " + option.value;
  return text;
}

TEST(Parser, BuildsTheDesignStatementByStatement) {
  const std::string plain =
      "DEVICE GAL16V8B DEVICE ATF1504ASV SIGNATURE = 0X1f PACKAGE TQFP100 GAL_MODE = REGISTERED "
      "POWER_DOWN PD2 PIN 0x10 a INPUT GCLK2 GCLR GOE6 PIN 14 q OUTPUT REGISTERED GCLK1 OE OE2 "
      "RESET PRODUCT CE PRODUCT PRESET PRODUCT PIN 15 y OUTPUT OE PRODUCT NODE n "
      "NODE m REGISTERED GCLK3 RESET GCLR y = a & !a y.OE = 1 q.CE = c q.PRESET = d q.RESET = e "
      "y = b CONFIG q XOR TOGGLE";
  const std::string separated =
      ";; DEVICE GAL16V8B; DEVICE ATF1504ASV; SIGNATURE = 0X1f;; PACKAGE TQFP100; GAL_MODE = "
      "REGISTERED; POWER_DOWN PD2; PIN 0x10 a INPUT GCLK2 GCLR GOE6; PIN 14 q OUTPUT REGISTERED "
      "GCLK1 OE OE2 RESET PRODUCT CE PRODUCT PRESET PRODUCT; PIN 15 y OUTPUT OE PRODUCT; NODE n; "
      "NODE m REGISTERED GCLK3 RESET GCLR; y = a & !a; y.OE = 1; q.CE = c; q.PRESET = d; "
      "q.RESET = e; y = b; CONFIG q XOR TOGGLE;;;";
  EXPECT_EQ(summary(parseSource(plain)),
            "ATF1504ASV|TQFP100|31|3|PD2|pin 0 a in 2 1 1 3"
            "|pin 14 q out reg ce preset 1 2 3 0|pin 15 y out 0 0 5 0|node n 0 0"
            "|node m reg 3 1|y=(a & (!a))|y=b|y.OE=1|q.CE=c|q.PRESET=d|q.RESET=e"
            "|config q XOR TOGGLE");
  EXPECT_EQ(summary(parseSource(separated)), summary(parseSource(plain)));
  // Lower-case statement words are ordinary signal names.
  EXPECT_EQ(summary(parseSource("package = a")), "||0|0|package=a");
}

TEST(Parser, SignatureNumbersTakeTheirBaseFromTheirPrefix) {
  const std::pair<const char *, uint64_t> cases[] = {{"0x1234", 4660},
                                                     {"010", 8},
                                                     {"00", 0},
                                                     {"65535", 65535},
                                                     {"18446744073709551615", UINT64_MAX},
                                                     {"01777777777777777777777", UINT64_MAX}};
  for (const auto &[text, value] : cases)
    EXPECT_EQ(parseSource(std::string("DEVICE GAL22V10B SIGNATURE = ") + text).signature, value);
}

// Random trees written with the fewest parentheses their shape needs (and a
// few redundant ones) must parse back to the same shape.
class RandomExpression {
public:
  explicit RandomExpression(unsigned seed) : random_(seed) {}

  struct Node {
    std::string text;
    std::string tree;
    int precedence; // 1 OR, 2 XOR, 3 AND, 4 NOT or primary
  };

  Node build(int depth) {
    const int kind = depth == 0 ? 0 : static_cast<int>(random_() % 5);
    if (kind == 0) {
      const std::string leaf = random_() % 8 == 0 ? "1" : std::string(1, 'a' + random_() % 4);
      return Node{leaf, leaf, 4};
    }
    if (kind == 1) {
      const Node operand = build(depth - 1);
      return Node{"!" + wrap(operand, operand.precedence < 4), "(!" + operand.tree + ")", 4};
    }
    static const char *const kOperators[] = {"|", "^", "&"};
    const int precedence = kind - 1;
    const Node left = build(depth - 1);
    const Node right = build(depth - 1);
    const std::string op = kOperators[precedence - 1];
    return Node{wrap(left, left.precedence < precedence) + " " + op + " " +
                    wrap(right, right.precedence <= precedence),
                "(" + left.tree + " " + op + " " + right.tree + ")", precedence};
  }

private:
  std::string wrap(const Node &node, bool needed) {
    return needed || random_() % 6 == 0 ? "(" + node.text + ")" : node.text;
  }

  std::mt19937 random_;
};

TEST(Parser, ExpressionsKeepPrecedenceAndGrouping) {
  EXPECT_EQ(render(parseSource("y = !a & b ^ c | d").equations[0].expression),
            "((((!a) & b) ^ c) | d)");
  EXPECT_EQ(render(parseSource("y = ((a | b)) & !(!(c))").equations[0].expression),
            "((a | b) & (!(!c)))");
  RandomExpression generator(20261206);
  for (int i = 0; i < 2000; ++i) {
    const RandomExpression::Node node = generator.build(1 + i % 6);
    const Design design = parseSource("y = " + node.text);
    ASSERT_EQ(design.equations.size(), 1u) << node.text;
    ASSERT_EQ(render(design.equations[0].expression), node.tree) << node.text;
  }
}

// The first problem the front end finds in `source`, or "" when it accepts it.
std::string problemWith(const std::string &source) {
  try {
    Design design = parseSource(source);
    SemanticAnalyzer::validate(design, TargetRegistry::find(design.device));
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

const std::string kGAL16 = "DEVICE GAL16V8B\n";
const std::string k1502 = "DEVICE ATF1502AS\n";
const std::string k1504 = "DEVICE ATF1504AS\n";
const std::string kClock = k1504 + "PIN 83 clk INPUT GCLK1\nPIN 21 a INPUT\n";
const std::string kControls = kClock +
                              "PIN 17 c OUTPUT\nPIN 18 r OUTPUT REGISTERED GCLK1\n"
                              "PIN 22 q OUTPUT REGISTERED GCLK1 CE PRODUCT PRESET PRODUCT\n"
                              "q = a\nr = a\nc = a\n";
const std::string kComplete = kControls + "q.CE = a\nq.PRESET = a\n";
const std::string kOE = k1502 + "PIN 4 a INPUT\nPIN 5 y OUTPUT OE PRODUCT\nPIN 6 z OUTPUT\ny = a\n";
const std::string kReset = kClock + "PIN 22 q OUTPUT REGISTERED GCLK1 RESET PRODUCT\nq = a\n";

struct MessageCase {
  std::string source;
  std::string message;
};

// One source per message; where rules compete, the case shows which wins.
const MessageCase kMessages[] = {
    // The statement loop.
    {"DEVICE GAL16V8B 5", "Unexpected GAL16V8B token '5'"},
    {"; ; ) ( 7", "Unexpected token ')'"},
    {"DEVICE GAL16V8B 5 PIN x", "Expected pin number after PIN"},
    {"SIGNATURE = 0x10000 5", "Unexpected token '5'"},
    // Global statements.
    {"DEVICE PIN", "Expected device name after DEVICE"},
    {"PACKAGE PLCC44 PACKAGE", "Duplicate PACKAGE declaration"},
    {"PACKAGE 44", "Expected package name after PACKAGE"},
    {"GAL_MODE = AUTO GAL_MODE = AUTO", "GAL_MODE may only be declared once"},
    {"GAL_MODE SIMPLE", "Expected '=' after GAL_MODE"},
    {"GAL_MODE = registered", "GAL_MODE must be AUTO, SIMPLE, COMPLEX or REGISTERED"},
    {"SIGNATURE = 1 SIGNATURE = 1", "SIGNATURE may only be declared once"},
    {"SIGNATURE 1", "Expected '=' after SIGNATURE"},
    {"SIGNATURE = a", "Expected a number after SIGNATURE ="},
    {"SIGNATURE = 08", "Invalid SIGNATURE value '08'"},
    {"SIGNATURE = 0x10000000000000000", "Invalid SIGNATURE value '0x10000000000000000'"},
    {"DEVICE ATF1504ASV SIGNATURE = 65536",
     "SIGNATURE must be between 0x0000 and 0xFFFF for this device"},
    {"DEVICE GAL20V8B SIGNATURE = 0xFFFFFFFFFFFFFFFF PIN 2 a INPUT PIN 15 y OUTPUT y = a", ""},
    {"POWER_DOWN pd1", "Expected PD1 or PD2 after POWER_DOWN"},
    {"POWER_DOWN PD1 POWER_DOWN PD2 POWER_DOWN PD1", "POWER_DOWN PD1 may only be declared once"},
    {"CONFIG q SLEW =", "Expected CONFIG target option value"},
    // PIN and NODE.
    {"PIN a INPUT", "Expected pin number after PIN"},
    {"PIN 2147483648 a INPUT", "Pin number '2147483648' is out of range"},
    {"PIN 2 3 INPUT", "Expected pin name"},
    {"PIN 2 a input", "Expected INPUT or OUTPUT after pin name"},
    {"PIN 2 a INPUT REGISTERED", "REGISTERED can only be used with an OUTPUT"},
    {"PIN 14 q OUTPUT GOE1", "A global OE source can only be declared on an INPUT pin"},
    {"PIN 14 q OUTPUT GCLK2 OE PRODUCT", "A clock source on an OUTPUT requires REGISTERED"},
    {"PIN 2 a INPUT OE ALWAYS", "OE can only be used with an OUTPUT"},
    {"PIN 14 q OUTPUT OE GOE2", "Expected ALWAYS, OE1, OE2, GOE6 or PRODUCT after OE"},
    {"PIN 2 a INPUT GCLR RESET GCLR", "RESET can only be used with a REGISTERED OUTPUT"},
    {"PIN 14 q OUTPUT REGISTERED GCLK1 RESET CE", "Expected GCLR or PRODUCT after RESET"},
    {"PIN 14 q OUTPUT CE PRODUCT", "CE can only be used with a REGISTERED OUTPUT"},
    {"PIN 14 q OUTPUT REGISTERED CE", "Expected PRODUCT after CE"},
    {"PIN 14 q OUTPUT PRESET PRODUCT", "PRESET can only be used with a REGISTERED OUTPUT"},
    {"NODE n REGISTERED GCLK1 PRESET GCLR", "Expected PRODUCT after PRESET"},
    {"PIN 14 q OUTPUT REGISTERED OE PRODUCT RESET GCLR PRESET PRODUCT",
     "REGISTERED output requires GCLK1/GCLK2/GCLK3 or CE PRODUCT as a local clock"},
    {"PIN 2 a INPUT GOE1 GCLR", "Unexpected token 'GCLR'"},
    {"DEVICE GAL22V10B PIN 14 q OUTPUT OE PRODUCT REGISTERED",
     "Unexpected GAL22V10B token 'REGISTERED'"},
    {"NODE 5", "Expected node name after NODE"},
    {"DEVICE GAL20V8B NODE n REGISTERED GCLK1", "Unexpected GAL20V8B token 'REGISTERED' on NODE"},
    {"NODE n REGISTERED RESET GCLR", "REGISTERED NODE requires GCLK1/GCLK2/GCLK3"},
    {"NODE n REGISTERED GCLK1 OE",
     "Control modifiers on REGISTERED NODE are not yet supported for this device"},
    {"DEVICE ATF1502AS NODE n REGISTERED GCLK1 CE PRODUCT OE",
     "Buried NODE has no output driver for OE"},
    // Equations.
    {"x.oe = a", "Expected OE, CE, PRESET or RESET after '.'"},
    {"x.PRESET & a", "Expected '=' after .PRESET"},
    {"x a", "Expected '=' after output name"},
    {"y = 01", "Logic constants must be 0 or 1"},
    {"y = (a b)", "Expected ')'"},
    {"y = RESET & a", "Expected signal, 0, 1 or '(' in expression"},
    {"y = a | ; b", "Expected signal, 0, 1 or '(' in expression"},
    // Device and package.
    {"PIN 99 a OUTPUT\nb = c", "No DEVICE specified"},
    {"DEVICE atf1502as", "Unsupported device 'atf1502as'"},
    {kGAL16 + "PACKAGE PLCC44",
     "PACKAGE selection is supported only for ATF1502AS/ASV and ATF1504AS/ASV"},
    {k1502 + "PACKAGE PLCC84", "ATF1502AS/ASV PACKAGE must be PLCC44 or TQFP44"},
    {k1504 + "PACKAGE plcc84", "ATF1504AS/ASV PACKAGE must be PLCC44, TQFP44, PLCC84 or TQFP100"},
    {k1504 + "GAL_MODE = AUTO", "GAL_MODE is supported only for GAL16V8B and GAL20V8B"},
    {kGAL16 + "POWER_DOWN PD2", "POWER_DOWN is supported only for ATF1502AS and ATF1504AS"},
    // Registered nodes and resets.
    {kClock + "NODE n REGISTERED GCLK1", "Registered NODE 'n' has no data equation"},
    {k1504 + "PIN 22 a INPUT\nNODE n REGISTERED GCLK2\nn = a",
     "Registered NODE 'n' needs its global clock INPUT declaration"},
    {kClock + "NODE n REGISTERED GCLK1 RESET GCLR\nn = clk",
     "Registered NODE needs its GCLR input declaration"},
    {kGAL16 + "PIN 1 clk INPUT GCLK1\nPIN 14 q OUTPUT REGISTERED GCLK1 RESET PRODUCT\nq = clk",
     "RESET PRODUCT currently requires ATF1504AS"},
    {kGAL16 + "PIN 2 a INPUT\nq.RESET = a", ".RESET currently requires ATF1504AS"},
    // Pins against the package.
    {k1502 + "POWER_DOWN PD1\nPIN 11 a INPUT",
     "Pin 11 cannot be assigned because it is enabled as PD1"},
    {k1502 + "PACKAGE TQFP44\nPOWER_DOWN PD2\nPIN 19 a INPUT",
     "Pin 19 cannot be assigned because it is enabled as PD2"},
    {k1504 + "PACKAGE PLCC44\nPIN 45 a INPUT", "Pin 45 is outside the ATF1504AS PLCC44 package"},
    {k1502 + "PIN 3 v INPUT", "Pin 3 is a power pin and cannot be assigned to signal 'v'"},
    {k1504 + "PACKAGE TQFP100\nPIN 1 a INPUT", "Pin 1 is not a usable signal pin"},
    {k1502 + "PIN 7 a INPUT", "Pin 7 is reserved for the ATF1502AS JTAG interface"},
    {k1502 + "PIN 1 y OUTPUT", "Pin 1 is input-only and cannot be assigned as OUTPUT"},
    {k1502 + "PIN 4 a INPUT\nPIN 4 b INPUT", "Duplicate pin number 4"},
    {k1502 + "PIN 4 a INPUT\nPIN 5 a INPUT", "Duplicate signal name 'a'"},
    {k1502 + "PIN 4 clk INPUT GCLK1", "GCLK1 must use physical pin 43 on the ATF1502AS PLCC44"},
    {k1504 + "PIN 83 clk INPUT GCLK1 GCLR", "GCLR must use physical pin 1 on the ATF1504AS PLCC84"},
    {k1504 + "PIN 22 e INPUT GOE6", "GOE6 has no supported package source on the ATF1504AS PLCC84"},
    {k1504 + "PIN 22 e INPUT GOE1", "GOE1 must use physical pin 84 on the ATF1504AS PLCC84"},
    {k1502 + "PIN 4 e INPUT GOE6", "GOE6 must use physical pin 34 on the ATF1502AS PLCC44"},
    // Data equations.
    {kClock + "z = a", "Equation drives undefined signal 'z'"},
    {kClock + "a = clk", "Signal 'a' is not an OUTPUT"},
    {kOE + "y.OE = a\ny = a", "Output 'y' has more than one equation"},
    {kClock + "PIN 22 q OUTPUT REGISTERED GCLK2\nq = clk",
     "Registered output 'q' uses GCLK2, but that global clock input has not been declared"},
    {kClock + "PIN 22 q OUTPUT REGISTERED GCLK1 RESET GCLR\nq = clk",
     "Registered output 'q' uses GCLR, but the GCLR input has not been declared"},
    {kClock + "PIN 22 y OUTPUT OE GOE6\ny = a",
     "Output 'y' uses GOE6, but that global OE input has not been declared"},
    {kOE + "y.OE = b", "Undefined signal 'b'"},
    // Output enables.
    {kOE + "y.OE = a\nw.OE = a", "OE equation references undefined output 'w'"},
    {kOE + "y.OE = a\na.OE = a", "OE equation can only control an OUTPUT"},
    {kOE + "y.OE = a\nz = a\nz.OE = a",
     "Output 'z' has a .OE equation but is not declared OE PRODUCT"},
    {kOE + "y.OE = a\ny.OE = !a", "Output 'y' has more than one .OE equation"},
    {kOE, "Output 'y' is declared OE PRODUCT but has no .OE equation"},
    // Clock enables and presets share one rule set.
    {kComplete + "w.CE = a", "CE equation references undefined output 'w'"},
    {kComplete + "c.CE = a", "CE equation can only control a REGISTERED OUTPUT"},
    {kComplete + "r.PRESET = a",
     "Output 'r' has a .PRESET equation but is not declared PRESET PRODUCT"},
    {kComplete + "q.CE = clk", "Output 'q' has more than one .CE equation"},
    {kControls + "q.CE = a", "Output 'q' is declared PRESET PRODUCT but has no .PRESET equation"},
    {kClock + "NODE n REGISTERED GCLK1 CE PRODUCT\nn = a",
     "NODE 'n' is declared CE PRODUCT but has no .CE equation"},
    {kClock + "NODE n REGISTERED GCLK1 PRESET PRODUCT\nn = a",
     "NODE 'n' is declared PRESET PRODUCT but has no .PRESET equation"},
    // Resets.
    {kReset + "q.RESET = a\na.RESET = a",
     ".RESET requires a registered target declared RESET PRODUCT"},
    {kReset + "q.RESET = a\nq.RESET = !a", "Duplicate .RESET equation"},
    {kReset + "q.RESET = a\nNODE n REGISTERED GCLK1 RESET PRODUCT\nn = a",
     "RESET PRODUCT has no .RESET equation for 'n'"},
    // Accepted.
    {kComplete, ""},
    {kReset + "q.RESET = a", ""},
    {k1504 + "PIN 22 a INPUT\nNODE a", ""},
    {k1504 + "PIN 2 e INPUT GOE2", ""},
    {k1502 + "PIN 4 a INPUT\nPIN 5 y OUTPUT\ny = 1 | a & 0", ""},
};

TEST(FrontEnd, EveryMessageHasASourceThatGivesIt) {
  for (const MessageCase &c : kMessages)
    EXPECT_EQ(problemWith(c.source), c.message) << c.source;
}

TEST(FrontEnd, TheFirstProblemInCheckOrderIsReportedAndNothingWritten) {
  // Pin problems come before equation problems, whatever their order in the file.
  testing::TempDir dir;
  auto result = testing::compileSource(
      dir, "DEVICE ATF1502AS\ny.OE = a\nz = nowhere\nPIN 1 y OUTPUT\nPIN 4 a INPUT\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Compiler error: Pin 1 is input-only and cannot be assigned as OUTPUT\n");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"design.pld"});
}

std::string repeat(const std::string &text, int count) {
  std::string result;
  for (int i = 0; i < count; ++i)
    result += text;
  return result;
}

int treeDepth(const ExpressionPtr &expression) {
  return expression ? 1 + std::max(treeDepth(expression->left), treeDepth(expression->right)) : 0;
}

TEST(FrontEnd, ExpressionsNestUpToTheLimit) {
  const std::string tooDeep = "Expression nesting exceeds 1024 levels";
  // {source, depth of the tree built, or 0 when refused}; a group adds no
  // node but counts as a level.
  const std::pair<std::string, int> cases[] = {
      {"a" + repeat(" & a", 1023), 1024},
      {"a" + repeat(" ^ a", 1024), 0},
      {repeat("!", 1023) + "a", 1024},
      {repeat("!", 1024) + "a", 0},
      {repeat("(", 1023) + "a" + repeat(")", 1023), 1},
      {repeat("(", 1024) + "a" + repeat(")", 1024), 0},
      {repeat("a & (", 511) + "a" + repeat(")", 511), 512},
      {repeat("a & (", 512) + "a" + repeat(")", 512), 0},
      {repeat("!", 1000) + "a" + repeat(" & a", 23), 1024},
      {repeat("!", 1000) + "a" + repeat(" & a", 24), 0},
      {"(a & b)" + repeat(" | (a & b)", 1021), 1023},
      {"(a & b)" + repeat(" | (a & b)", 1022), 0},
  };
  for (const auto &[expression, depth] : cases) {
    if (depth == 0) {
      EXPECT_EQ(parseError("y = " + expression), tooDeep) << expression.substr(0, 40);
      continue;
    }
    EXPECT_EQ(treeDepth(parseSource("y = " + expression).equations[0].expression), depth);
  }
  // Far beyond the limit the parser stops at the limit instead of recursing.
  for (const std::string head : {"y = ", "y.OE = ", "y.CE = ", "y.PRESET = ", "y.RESET = "}) {
    EXPECT_EQ(parseError(head + repeat("(", 200000)), tooDeep) << head;
    EXPECT_EQ(parseError(head + repeat("!(", 100000)), tooDeep) << head;
  }
  EXPECT_EQ(parseError("y = a" + repeat(" | a", 100000)), tooDeep);
}

TEST(TargetRegistry, FindsDevicesByTheirExactName) {
  for (const char *device : {"GAL16V8B", "GAL20V8B", "GAL22V10B", "ATF1502AS", "ATF1502ASV",
                             "ATF1504AS", "ATF1504ASV", "ATF1508AS", "ATF1508ASV"}) {
    ASSERT_NE(TargetRegistry::find(device), nullptr) << device;
    EXPECT_EQ(TargetRegistry::find(device)->name(), device);
  }
  for (const char *device : {"atf1502as", "ATF1502", "GAL16V8", ""})
    EXPECT_EQ(TargetRegistry::find(device), nullptr) << device;
}

} // namespace
} // namespace gsmith
