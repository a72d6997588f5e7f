// The GAL back ends seen from a source file: every message NODE lowering, the
// subset checks and the mode trials can give (one source that provokes each),
// the signature bits, the GAL22V10B row blocks, and the walks that must stay
// linear on hostile designs. What the fuses compute is checked by jedutil in
// end-to-end-test.cpp.
#include "driver/pipeline.h"
#include "gal/gal-target.h"
#include "gal/gal20v8.h"
#include "target/jedec-reader.h"
#include "tests/gal/gal-test-support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace gsmith {
namespace {

// The message compiling `source` stops with, or "" when it compiles.
std::string compileError(const std::string &source) {
  std::ostringstream log;
  try {
    compileToJEDEC("design.pld", source, log);
  } catch (const std::exception &error) {
    return error.what();
  }
  return "";
}

const std::string k16 = "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 3 b INPUT\n";
const std::string k16Registered = "DEVICE GAL16V8B\nPIN 1 clk INPUT GCLK1\nPIN 11 oe INPUT GOE1\n"
                                  "PIN 2 a INPUT\n";
const std::string k20 = "DEVICE GAL20V8B\nPIN 2 a INPUT\nPIN 3 b INPUT\n";
const std::string k20Registered = "DEVICE GAL20V8B\nPIN 1 clk INPUT GCLK1\nPIN 13 oe INPUT GOE1\n"
                                  "PIN 2 a INPUT\n";
const std::string k22 = "DEVICE GAL22V10B\nPIN 2 a INPUT\nPIN 3 b INPUT\n";

// The first `count` odd-parity minterms over a..f: no two of them merge or
// absorb one another, so the equation keeps exactly `count` terms.
std::string distinctTerms(int count) {
  std::string text;
  for (unsigned value = 0; count > 0; ++value) {
    if (__builtin_popcount(value) % 2 == 0)
      continue;
    text += text.empty() ? "" : " | ";
    for (unsigned bit = 0; bit < 6; ++bit)
      text += std::string(bit ? " & " : "") + ((value >> bit) & 1 ? "" : "!") + char('a' + bit);
    --count;
  }
  return text;
}

const std::string kSixInputs = "PIN 4 c INPUT\nPIN 5 d INPUT\nPIN 6 e INPUT\nPIN 7 f INPUT\n";

struct MessageCase {
  std::string source;
  std::string message;
};

const MessageCase kMessages[] = {
    // NODE lowering.
    {k16 + "NODE a\na = 1;", "Duplicate signal/NODE name 'a'"},
    {k16 + "NODE n\nNODE n\nn = 1;", "Duplicate signal/NODE name 'n'"},
    {k16 + "NODE n\nn = a;\nn = !a;", "NODE 'n' must have exactly one equation"},
    {k16 + "NODE n\nNODE m\nm = a;", "NODE 'n' has no equation"},
    {k16 + "PIN 12 y OUTPUT\nNODE p\nNODE q\np = q;\nq = p;\ny = a;",
     "Combinational NODE cycle at 'p'"},
    {k16 + "PIN 12 y OUTPUT\nNODE n\nn = zz;\ny = a;", "Undefined signal 'zz'"},
    {"PIN 2 a INPUT\nNODE n REGISTERED GCLK1\nDEVICE GAL22V10B\nPIN 14 y OUTPUT\nn = a;\ny = a;",
     "GAL22V10B NODEs must be combinational aliases"},
    // GAL16V8B.
    {k16 + "PIN 12 y OUTPUT\ny = a;\ny.PRESET = a;",
     "GAL16V8B does not support CE/PRESET/RESET equations"},
    {k16Registered +
         "PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1 PRESET PRODUCT\nq = a;\nq.PRESET = a;",
     "GAL16V8B does not support CE/PRESET/RESET equations"},
    {k16Registered + "PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1 CE PRODUCT\nq = a;",
     "GAL16V8B does not support RESET, CE or PRESET"},
    {k16Registered + "PIN 14 q OUTPUT REGISTERED GCLK1\nq = a;",
     "GAL16V8B registered outputs require GCLK1 OE OE1"},
    {k16 + "PIN 14 y OUTPUT OE OE1\nPIN 11 oe INPUT GOE1\ny = a;",
     "GAL16V8B combinational OE must be ALWAYS or PRODUCT"},
    {k16 + "PIN 12 y OUTPUT\nPIN 13 z OUTPUT\ny = a;",
     "GAL16V8B output 'z' must have exactly one equation"},
    {k16 + "PIN 1 clk INPUT GCLK1\nPIN 12 y OUTPUT\ny = clk;",
     "GAL16V8B control pin declaration is invalid"},
    {k16Registered + "PIN 4 c INPUT GCLK1\nPIN 14 q OUTPUT REGISTERED GCLK1 OE OE1\nq = c;",
     "GAL16V8B control pin declaration is invalid"},
    {"GAL_MODE = REGISTERED\n" + k16 + "PIN 12 y OUTPUT\ny = a;",
     "GAL16V8B registered mode requires pin 1 INPUT GCLK1 and pin 11 INPUT GOE1"},
    {k16, "GAL16V8B requires at least one output equation"},
    {"GAL_MODE = SIMPLE\n" + k16 + "PIN 14 y OUTPUT\ny = a;",
     "GAL16V8B cannot fit: SIMPLE mode requires outputs on always-driven pins 15 and 16"},
    {"GAL_MODE = SIMPLE\n" + k16 +
         "PIN 15 y OUTPUT OE PRODUCT\nPIN 16 z OUTPUT\n"
         "y = a;\ny.OE = b;\nz = a;",
     "GAL16V8B cannot fit: SIMPLE mode requires OE ALWAYS"},
    {"GAL_MODE = SIMPLE\n" + k16 +
         "PIN 15 y OUTPUT\nPIN 16 z OUTPUT\nPIN 17 w OUTPUT\n"
         "y = a;\nz = a;\nw = y;",
     "GAL16V8B cannot fit: signal 'y' has no route in this mode"},
    {"GAL_MODE = SIMPLE\n" + k16 +
         "PIN 15 y OUTPUT\nPIN 16 z OUTPUT\nPIN 17 w OUTPUT\n"
         "PIN 18 v OUTPUT\ny = a;\nz = a;\nw = a;\nv = w;",
     "GAL16V8B cannot fit: SIMPLE mode has no named output feedback"},
    {k16 + "PIN 14 y OUTPUT OE PRODUCT\ny = a;\ny.OE = a | b;",
     "GAL16V8B cannot fit: product OE exceeds one term"},
    {k16Registered + "PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1\nq = a & clk;",
     "GAL16V8B cannot fit: signal 'clk' has no route in this mode"},
    {k16 + kSixInputs + "PIN 14 y OUTPUT\ny = " + distinctTerms(9) + ";",
     "GAL16V8B cannot fit: output 'y' exceeds its 7 data terms"},
    // GAL20V8B.
    {k20 + "PIN 15 y OUTPUT\ny = a;\ny.CE = a;",
     "GAL20V8B: CE/PRESET equations are not supported by this architecture"},
    {"GAL_MODE = COMPLEX\n" + k20Registered + "PIN 16 q OUTPUT REGISTERED GCLK1 OE OE1\nq = a;",
     "GAL20V8B: registers require REGISTERED mode"},
    {k20Registered + "PIN 16 q OUTPUT REGISTERED GCLK1 OE OE1 PRESET PRODUCT\nq = a;",
     "GAL20V8B: RESET, CE and PRESET are not supported"},
    {k20Registered + "PIN 16 q OUTPUT REGISTERED GCLK1 OE ALWAYS\nq = a;",
     "GAL20V8B: REGISTERED outputs require GCLK1 OE OE1 (shared active-low pin 13)"},
    {k20 + "PIN 15 y OUTPUT OE OE1\nPIN 13 oe INPUT GOE1\ny = a;",
     "GAL20V8B: combinational outputs require OE ALWAYS or OE PRODUCT"},
    {k20 + "PIN 15 y OUTPUT\nPIN 16 z OUTPUT\nz = a;",
     "GAL20V8B: output 'y' must have exactly one equation"},
    {"DEVICE GAL20V8B\nPIN 1 clk INPUT GCLK1\nPIN 13 e INPUT\n"
     "PIN 16 q OUTPUT REGISTERED GCLK1 OE OE1\nq = e;",
     "GAL20V8B registered mode: pin 13 must be INPUT GOE1"},
    {"GAL_MODE = REGISTERED\nDEVICE GAL20V8B\nPIN 1 c INPUT\nPIN 15 y OUTPUT\ny = c;",
     "GAL20V8B registered mode: pin 1 must be INPUT GCLK1"},
    {"DEVICE GAL20V8B\nPIN 1 clk INPUT GCLK1\nPIN 15 y OUTPUT\ny = clk;",
     "GAL20V8B: GCLK1 requires pin 1 and GOE1 requires pin 13 in REGISTERED mode"},
    {"GAL_MODE = REGISTERED\n" + k20 + "PIN 15 y OUTPUT\ny = a;",
     "GAL20V8B registered mode requires PIN 1 ... INPUT GCLK1 and PIN 13 ... INPUT GOE1"},
    {k20Registered + "PIN 16 q OUTPUT REGISTERED GCLK1 OE OE1\nPIN 17 y OUTPUT OE PRODUCT\n"
                     "q = a;\ny = a;\ny.OE = oe;",
     "GAL20V8B: clock/OE data use is not supported in registered mode"},
    {k20, "GAL20V8B: at least one output equation is required"},
    {k20 + "PIN 15 x OUTPUT\nPIN 16 y OUTPUT\nPIN 17 z OUTPUT\nx = y;\ny = z & a;\nz = y;",
     "GAL20V8B: combinational feedback cycle at 'y'"},
    {k20 + "PIN 15 y OUTPUT OE PRODUCT\nPIN 16 z OUTPUT\ny = a;\ny.OE = z;\nz = y;",
     "GAL20V8B: combinational feedback cycle at 'y'"},
    {k20 + "PIN 22 y OUTPUT\nPIN 21 z OUTPUT\ny = a;\nz = !y;",
     "GAL20V8B cannot fit: COMPLEX: signal 'y' on pin 22 has no data/feedback route in this mode; "
     "SIMPLE: SIMPLE mode requires explicit OUTPUT equations on pins 18 and 19 (always-driven "
     "pins)"},
    {"GAL_MODE = COMPLEX\n" + k20 + kSixInputs + "PIN 17 y OUTPUT\ny = " + distinctTerms(8) + ";",
     "GAL20V8B cannot fit: output 'y' needs 8 product terms; output limit is 7"},
    {"GAL_MODE = SIMPLE\n" + k20 +
         "PIN 18 y OUTPUT OE PRODUCT\nPIN 19 z OUTPUT\n"
         "y = a;\ny.OE = b;\nz = a;",
     "GAL20V8B cannot fit: SIMPLE mode requires OE ALWAYS on every output"},
    {"GAL_MODE = COMPLEX\n" + k20 + "PIN 17 y OUTPUT OE PRODUCT\ny = a;\ny.OE = a | b;",
     "GAL20V8B cannot fit: output 'y' .OE needs more than one product term"},
    {"GAL_MODE = SIMPLE\nDEVICE GAL20V8B\nPIN 2 a INPUT\nPIN 18 s INPUT\nPIN 15 y OUTPUT\n"
     "PIN 19 z OUTPUT\ny = a;\nz = s;",
     "GAL20V8B cannot fit: SIMPLE mode requires explicit OUTPUT equations on pins 18 and 19 "
     "(always-driven pins)"},
    {"GAL_MODE = COMPLEX\nDEVICE GAL20V8B\nPIN 2 a INPUT\nPIN 15 s INPUT\nPIN 17 y OUTPUT\ny = a;",
     "GAL20V8B cannot fit: pin 15 cannot be an INPUT in this mode"},
    {"GAL_MODE = SIMPLE\n" + k20 +
         "PIN 18 y OUTPUT\nPIN 19 z OUTPUT\nPIN 20 w OUTPUT\n"
         "y = a;\nz = w;\nw = a;",
     "GAL20V8B cannot fit: SIMPLE mode does not support named output feedback; use COMPLEX or "
     "REGISTERED mode"},
    {"GAL_MODE = SIMPLE\n" + k20 + "PIN 18 y OUTPUT\nPIN 19 z OUTPUT\ny = a;\nz = y;",
     "GAL20V8B cannot fit: signal 'y' on pin 18 has no data/feedback route in this mode"},
    // GAL22V10B.
    {"GAL_MODE = AUTO\n" + k22 + "PIN 14 y OUTPUT\ny = a;",
     "GAL_MODE is supported only for GAL16V8B and GAL20V8B"},
    {k22 + "PIN 14 y OUTPUT\ny = a;\ny.RESET = a;",
     ".RESET requires a registered target declared RESET PRODUCT"},
    {"DEVICE GAL22V10B\nPIN 1 clk INPUT GCLK1\nPIN 2 a INPUT\n"
     "PIN 14 q OUTPUT REGISTERED GCLK1 RESET PRODUCT\nPIN 15 r OUTPUT REGISTERED GCLK1\n"
     "q = a;\nr = a;\nq.RESET = a;",
     "GAL22V10B has one asynchronous reset term for all its registers: 'q' and 'r' must have the "
     "same .RESET equation (or neither one)"},
    {k22 + "PIN 14 y OUTPUT\ny = a;\ny.CE = a;",
     "GAL22V10B global AR/SP syntax is not yet implemented; CE/PRESET/RESET equations are "
     "rejected"},
    {"DEVICE GAL22V10B\nPIN 1 clk INPUT GCLK1\nPIN 14 q OUTPUT REGISTERED GCLK1 CE PRODUCT\nq = "
     "clk;",
     "GAL22V10B RESET, CE and PRESET controls are not yet supported"},
    {"DEVICE GAL22V10B\nPIN 2 clk INPUT GCLK2\nPIN 14 q OUTPUT REGISTERED GCLK2\nq = clk;",
     "GAL22V10B only pin 1 may be GCLK1"},
    {"DEVICE GAL22V10B\nPIN 1 clk INPUT GCLK1\nPIN 14 q OUTPUT REGISTERED GCLK2\nq = clk;",
     "GAL22V10B registered outputs require GCLK1"},
    {k22 + "PIN 13 e INPUT GOE1\nPIN 14 y OUTPUT OE OE1\ny = e;",
     "GAL22V10B only pin 1 may be GCLK1"},
    {k22 + "PIN 14 y OUTPUT OE OE1\ny = 1;",
     "GAL22V10B outputs use ALWAYS, DISABLED or PRODUCT OE"},
    {k22 + "PIN 14 y OUTPUT\nPIN 15 z OUTPUT\ny = a;",
     "GAL22V10B output 'z' must have exactly one equation"},
    {k22 + "PIN 14 q OUTPUT REGISTERED GCLK1\nq = a;",
     "GAL22V10B registered outputs require pin 1 INPUT GCLK1"},
    {k22, "GAL22V10B requires at least one output equation"},
    {k22 + "PIN 16 y OUTPUT OE PRODUCT\ny = a;\ny.OE = a | b;", "GAL22V10B product-term overflow"},
    {"DEVICE GAL22V10B\nPIN 1 clk INPUT GCLK1 GOE1\nPIN 14 q OUTPUT REGISTERED GCLK1\nq = !q;",
     "GOE6 has no supported package source on the GAL22V10B DIP24"},
    {"DEVICE GAL16V8B\nPIN 1 clk INPUT GCLK1 GOE1\nPIN 11 oe INPUT GOE1\n"
     "PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1\nq = !q;",
     "GOE1 must use physical pin 11 on the GAL16V8B DIP20"},
    // Accepted.
    {k20Registered + "PIN 15 y OUTPUT\nPIN 16 q OUTPUT REGISTERED GCLK1 OE OE1\ny = q & a;\n"
                     "q = y | a;",
     ""},
    {"DEVICE GAL22V10B\nPIN 1 clk INPUT GCLK1\nPIN 14 y OUTPUT\ny = clk;", ""},
};

TEST(GALDevices, EveryMessageHasASourceThatGivesIt) {
  for (const MessageCase &c : kMessages)
    EXPECT_EQ(compileError(c.source), c.message) << c.source;
}

TEST(GALDevices, EachGAL22V10CellTakesItsOwnNumberOfTerms) {
  const std::string inputs = k22 + kSixInputs;
  const std::pair<int, int> capacities[] = {{23, 8},  {22, 10}, {21, 12}, {20, 14}, {19, 16},
                                            {18, 16}, {17, 14}, {16, 12}, {15, 10}, {14, 8}};
  for (const auto &[pin, terms] : capacities) {
    const std::string output = "PIN " + std::to_string(pin) + " y OUTPUT\ny = ";
    EXPECT_EQ(compileError(inputs + output + distinctTerms(terms) + ";"), "") << pin;
    EXPECT_EQ(compileError(inputs + output + distinctTerms(terms + 1) + ";"),
              "GAL22V10B product-term overflow")
        << pin;
  }
}

TEST(GALDevices, SignatureIsWrittenMostSignificantBitFirst) {
  const std::pair<std::string, size_t> cases[] = {{k16 + "PIN 12 y OUTPUT\n", 2056},
                                                  {k20 + "PIN 15 y OUTPUT\n", 2568},
                                                  {k22 + "PIN 14 y OUTPUT\n", 5828}};
  for (const auto &[design, offset] : cases) {
    std::ostringstream log;
    const CompiledDesign compiled =
        compileToJEDEC("design.pld", "SIGNATURE = 0xC000000000000001\n" + design + "y = a;", log);
    const JedecFile jed = readJedec(compiled.jedec.text);
    std::string bits;
    for (size_t fuse = offset; fuse < offset + 64; ++fuse)
      bits += jed.fuses.at(fuse) ? '1' : '0';
    EXPECT_EQ(bits, "11" + std::string(61, '0') + "1") << design;
  }
}

// Lowering shares each NODE's expansion, and the subset check may see far
// more pins than the chip has: neither walk may follow the tree or recurse
// along a chain.
TEST(GALDevices, DependencyWalksStayLinear) {
  constexpr int kLength = 50000;
  Design chain;
  chain.device = "GAL20V8B";
  chain.pins.push_back({.number = 2, .name = "a"});
  for (int i = 0; i < kLength; ++i) {
    const std::string name = "y" + std::to_string(i);
    chain.pins.push_back({.number = 100 + i, .name = name, .direction = PinDirection::OUTPUT});
    chain.equations.push_back(
        {name, testing::expression(i + 1 < kLength ? "y" + std::to_string(i + 1) : "a")});
  }
  EXPECT_NO_THROW(GAL20V8Device::validateSubset(chain));
  chain.equations.back().expression = testing::expression("y0");
  EXPECT_THROW(GAL20V8Device::validateSubset(chain), std::runtime_error);

  const auto shared = [](const std::string &leaf) {
    ExpressionPtr node = testing::expression(leaf + " & a");
    for (int i = 0; i < 60; ++i) {
      auto both = std::make_shared<Expression>();
      both->type = ExpressionType::AND;
      both->left = both->right = node;
      node = both;
    }
    return node;
  };
  Design design = testing::parseSource(k20 + "PIN 15 y OUTPUT\nPIN 16 z OUTPUT\ny = a;\nz = y;");
  design.equations[0].expression = shared("a");
  EXPECT_NO_THROW(GAL20V8Device::validateSubset(design));
  // The one reference to z deep inside closes the loop y -> z -> y.
  design.equations[0].expression = shared("z");
  EXPECT_THROW(GAL20V8Device::validateSubset(design), std::runtime_error);
}

// NODE n0 = n1; ... with y reading n0: every substitution is one level.
std::string aliasChain(int count) {
  std::string source = "DEVICE GAL22V10B\nPIN 2 a INPUT\nPIN 14 y OUTPUT\ny = n0;\n";
  for (int i = 0; i < count; ++i)
    source += "NODE n" + std::to_string(i) + "\nn" + std::to_string(i) + " = " +
              (i + 1 < count ? "n" + std::to_string(i + 1) : "a") + ";\n";
  return source;
}

// (a0 | b0) & (a1 | b1) & ...: 2^count terms once expanded.
std::string factors(int count) {
  std::string source = "DEVICE GAL20V8B\nPIN 15 y OUTPUT\n";
  std::string product = "y = 1";
  for (int i = 0; i < count; ++i) {
    const std::string a = "a" + std::to_string(i), b = "b" + std::to_string(i);
    source += "PIN " + std::to_string(100 + 2 * i) + " " + a + " INPUT\nPIN " +
              std::to_string(101 + 2 * i) + " " + b + " INPUT\n";
    product += " & (" + a + " | " + b + ")";
  }
  return source + product + ";\n";
}

TEST(GALDevices, NodeLoweringBudgets) {
  const auto lowerError = [](const std::string &source) -> std::string {
    try {
      lowerGALNodes(testing::parseSource(source));
    } catch (const std::runtime_error &error) {
      return error.what();
    }
    return "";
  };
  EXPECT_EQ(lowerError(aliasChain(128)), "");
  EXPECT_EQ(lowerError(aliasChain(129)), "GAL22V10B expression/NODE nesting exceeds 128 levels");
  EXPECT_EQ(lowerError(aliasChain(5000)), "GAL22V10B expression/NODE nesting exceeds 128 levels");
  EXPECT_EQ(lowerError(factors(12)), "");
  EXPECT_EQ(lowerError(factors(13)),
            "GAL20V8B SOP expansion exceeds 4096 terms before simplification");
  // Each NODE doubles the tree the bound walks while the memo keeps the
  // expansion itself small: only the visit count runs out.
  std::string doubling = k20 + "PIN 15 y OUTPUT\nNODE n0\nn0 = a;\n";
  for (int i = 1; i <= 20; ++i)
    doubling += "NODE n" + std::to_string(i) + "\nn" + std::to_string(i) + " = n" +
                std::to_string(i - 1) + " & n" + std::to_string(i - 1) + ";\n";
  EXPECT_EQ(lowerError(doubling + "y = n20;"),
            "GAL20V8B expression expansion exceeds safety budget");
}

} // namespace
} // namespace gsmith
