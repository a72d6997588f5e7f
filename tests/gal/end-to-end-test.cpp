// End-to-end: sources compiled by the built gsmith binary, the fuse files
// decoded again by jedutil and compared with the source equations as
// Boolean functions. Covers every mode of the eight-cell chips, 8 to 16
// terms on the GAL22V10B, product output enables, output and register
// feedback, NODE aliases and XOR.
#include "tests/gal/jedutil-reader.h"
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace gsmith {
namespace {

using testing::compileSource;
using testing::decodesAsSource;
using testing::TempDir;

#define SKIP_WITHOUT_JEDUTIL()                                                                     \
  if (!testing::jedutilInstalled())                                                                \
  GTEST_SKIP()                                                                                     \
      << "jedutil (Debian package mame-tools) is not installed; the fuse files cannot be "         \
         "decoded independently"

// The first `count` odd-parity minterms over `names`: no two of them merge
// or absorb one another, so the equation keeps exactly `count` terms.
std::string oddMinterms(const std::vector<std::string> &names, int count) {
  std::string text;
  int found = 0;
  for (unsigned value = 0; found < count && value < (1u << names.size()); ++value) {
    if (__builtin_popcount(value) % 2 == 0)
      continue;
    text += found++ ? " | " : "";
    for (size_t bit = 0; bit < names.size(); ++bit)
      text += std::string(bit ? " & " : "") + ((value >> bit) & 1 ? "" : "!") + names[bit];
  }
  return text;
}

struct DesignCase {
  const char *title;
  std::string source;
  const char *description; // the JEDEC description line
};

void PrintTo(const DesignCase &c, std::ostream *out) { *out << c.title; }

class DecodedByJedutil : public ::testing::TestWithParam<DesignCase> {};

TEST_P(DecodedByJedutil, ComputesTheSourceEquations) {
  SKIP_WITHOUT_JEDUTIL();
  const DesignCase &c = GetParam();
  TempDir dir;
  const auto result = compileSource(dir, c.source);
  ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
  const std::string jed = dir.read("design.jed");
  EXPECT_EQ(jed.substr(0, jed.find('*')), std::string("\x02\n") + c.description + "\n");
  EXPECT_TRUE(decodesAsSource(dir.file("design.jed"), c.source));
}

const std::vector<std::string> kFive{"a", "b", "c", "d", "e"};

INSTANTIATE_TEST_SUITE_P(GAL16V8B, DecodedByJedutil,
                         ::testing::Values(DesignCase{"Complex",
                                                      R"(DEVICE GAL16V8B
PIN 2 a INPUT
PIN 3 b INPUT
PIN 4 c INPUT
PIN 5 d INPUT
PIN 6 en INPUT
PIN 17 k INPUT
PIN 13 x OUTPUT
PIN 14 y OUTPUT OE PRODUCT
PIN 19 z OUTPUT
PIN 12 w OUTPUT
PIN 15 v OUTPUT
NODE sel
sel = a & !b;
x = a ^ b ^ c;
y = x & d | !a & !d;
y.OE = en & !b;
z = y | c & d & k;
w = )" + oddMinterms({"a", "b", "c", "d"}, 7) + R"(;
v = sel | !sel & k & !en;
)",
                                                      "Gatesmith GAL16V8B DIP20 - complex mode"},
                                           DesignCase{"SimpleForEightTerms",
                                                      R"(DEVICE GAL16V8B
PIN 1 a INPUT
PIN 2 b INPUT
PIN 3 c INPUT
PIN 4 d INPUT
PIN 11 e INPUT
PIN 19 f INPUT
PIN 15 p OUTPUT
PIN 16 q OUTPUT
PIN 12 r OUTPUT
p = a & !e | f;
q = !(b | c);
r = a ^ b ^ c ^ d;
)",
                                                      "Gatesmith GAL16V8B DIP20 - simple mode"},
                                           DesignCase{"RegisteredCounter",
                                                      R"(DEVICE GAL16V8B
PIN 1 clk INPUT GCLK1
PIN 11 oe INPUT GOE1
PIN 2 en INPUT
PIN 3 rst INPUT
PIN 14 q0 OUTPUT REGISTERED GCLK1 OE OE1
PIN 15 q1 OUTPUT REGISTERED GCLK1 OE OE1
PIN 12 carry OUTPUT OE PRODUCT
PIN 19 any OUTPUT
q0 = !rst & (q0 ^ en);
q1 = !rst & (q1 ^ (q0 & en));
carry = q0 & q1 & en;
carry.OE = !rst;
any = q0 | q1;
)",
                                                      "Gatesmith GAL16V8B DIP20 - registered mode"},
                                           DesignCase{
                                               "AutoFallsBackToRegisteredForPin19Feedback",
                                               R"(DEVICE GAL16V8B
PIN 2 a INPUT
PIN 3 b INPUT
PIN 19 y OUTPUT
PIN 18 z OUTPUT
y = a & b;
z = y | !a;
)",
                                               "Gatesmith GAL16V8B DIP20 - registered mode"}),
                         [](const auto &info) { return std::string(info.param.title); });

INSTANTIATE_TEST_SUITE_P(GAL20V8B, DecodedByJedutil,
                         ::testing::Values(DesignCase{"ComplexWithNodesAndXor",
                                                      R"(DEVICE GAL20V8B
PIN 2 a INPUT
PIN 3 b INPUT
PIN 4 c INPUT
PIN 14 d INPUT
PIN 23 e INPUT
PIN 13 f INPUT
PIN 15 w OUTPUT
PIN 17 x OUTPUT
PIN 16 y OUTPUT OE PRODUCT
PIN 21 z OUTPUT
NODE both
NODE either
both = a & b;
either = c | d;
w = !e;
x = both ^ either;
y = !x & e | both & f;
y.OE = !f;
z = y ^ a;
)",
                                                      "Gatesmith GAL20V8B DIP24 - complex mode"},
                                           DesignCase{"Simple",
                                                      R"(DEVICE GAL20V8B
GAL_MODE = SIMPLE
PIN 1 a INPUT
PIN 2 b INPUT
PIN 13 c INPUT
PIN 15 d INPUT
PIN 22 e INPUT
PIN 18 p OUTPUT
PIN 19 q OUTPUT
PIN 20 r OUTPUT
p = a ^ b ^ c ^ d;
q = !e & a | e & !b;
r = a & b & c & d & e;
)",
                                                      "Gatesmith GAL20V8B DIP24 - simple mode"},
                                           DesignCase{
                                               "RegisteredStateMachine",
                                               R"(DEVICE GAL20V8B
PIN 1 clk INPUT GCLK1
PIN 13 oe INPUT GOE1
PIN 2 go INPUT
PIN 3 stop INPUT
PIN 23 sense INPUT
PIN 22 s0 OUTPUT REGISTERED GCLK1 OE OE1
PIN 21 s1 OUTPUT REGISTERED GCLK1 OE OE1
PIN 15 busy OUTPUT
PIN 16 done OUTPUT OE PRODUCT
s0 = !stop & (!s0 & !s1 & go | s0 & !s1 | !s0 & s1 & !sense);
s1 = !stop & (s0 & !s1 | !s0 & s1);
busy = s0 | s1;
done = !s0 & s1 & sense;
done.OE = !stop;
)",
                                               "Gatesmith GAL20V8B DIP24 - registered mode"}),
                         [](const auto &info) { return std::string(info.param.title); });

INSTANTIATE_TEST_SUITE_P(GAL22V10B, DecodedByJedutil,
                         ::testing::Values(DesignCase{"CombinationalEightToSixteenTerms",
                                                      R"(DEVICE GAL22V10B
PIN 2 a INPUT
PIN 3 b INPUT
PIN 4 c INPUT
PIN 5 d INPUT
PIN 6 e INPUT
PIN 13 f INPUT
PIN 23 t8 OUTPUT
PIN 22 t10 OUTPUT
PIN 21 t12 OUTPUT
PIN 20 t14 OUTPUT
PIN 19 t16 OUTPUT
PIN 18 u16 OUTPUT
PIN 14 v8 OUTPUT
PIN 15 g OUTPUT OE PRODUCT
PIN 16 h OUTPUT
NODE pair
pair = a & !f;
t8 = a ^ b ^ c ^ d;
t10 = )" + oddMinterms(kFive, 10) + R"(;
t12 = )" + oddMinterms(kFive, 12) + R"(;
t14 = )" + oddMinterms(kFive, 14) + R"(;
t16 = )" + oddMinterms(kFive, 16) + R"(;
u16 = )" + oddMinterms({"b", "c", "d", "e", "f"}, 16) + R"(;
v8 = )" + oddMinterms({"f", "e", "d", "c"}, 8) + R"(;
g = pair ^ e;
g.OE = a & !b;
h = t8 & e | !t16 & pair;
)",
                                                      "Gatesmith GAL22V10B DIP24"},
                                           DesignCase{"RegisteredWithInvertedFeedback",
                                                      R"(DEVICE GAL22V10B
PIN 1 clk INPUT GCLK1
PIN 2 en INPUT
PIN 3 clr INPUT
PIN 4 up INPUT
PIN 14 q0 OUTPUT REGISTERED GCLK1
PIN 15 q1 OUTPUT REGISTERED GCLK1 OE PRODUCT
PIN 16 q2 OUTPUT REGISTERED GCLK1
PIN 22 par OUTPUT REGISTERED GCLK1
PIN 19 odd OUTPUT REGISTERED GCLK1
PIN 23 zero OUTPUT
q0 = !clr & (q0 ^ en);
q1 = !clr & (q1 ^ (en & (up & q0 | !up & !q0)));
q1.OE = en & !clr;
q2 = !clr & (q2 ^ (en & (up & q0 & q1 | !up & !q0 & !q1)));
par = )" + oddMinterms({"q0", "q1", "q2", "up", "en"}, 10) +
                                                          R"(;
odd = )" + oddMinterms({"q0", "q1", "q2", "par", "en"}, 16) +
                                                          R"(;
zero = !q0 & !q1 & !q2 & !par;
)",
                                                      "Gatesmith GAL22V10B DIP24"}),
                         [](const auto &info) { return std::string(info.param.title); });

// Active-low equations ("!name = ..."): combinational and registered cells
// and their feedback into other equations, in every mode of every GAL.
INSTANTIATE_TEST_SUITE_P(
    ActiveLow, DecodedByJedutil,
    ::testing::Values(
        DesignCase{"GAL16V8BSimple",
                   "DEVICE GAL16V8B GAL_MODE = SIMPLE PIN 2 a INPUT PIN 3 b INPUT PIN 4 c INPUT\n"
                   "PIN 15 p OUTPUT PIN 16 q OUTPUT !p = a & b | c; q = a & !c;",
                   "Gatesmith GAL16V8B DIP20 - simple mode"},
        DesignCase{"GAL16V8BComplex",
                   "DEVICE GAL16V8B PIN 2 a INPUT PIN 3 b INPUT PIN 4 en INPUT\n"
                   "PIN 13 y OUTPUT OE PRODUCT PIN 14 z OUTPUT\n"
                   "!y = a & b; y.OE = en; !z = y & a | !y & b;",
                   "Gatesmith GAL16V8B DIP20 - complex mode"},
        DesignCase{"GAL16V8BRegistered",
                   "DEVICE GAL16V8B PIN 1 clk INPUT GCLK1 PIN 11 oe INPUT GOE1 PIN 2 a INPUT\n"
                   "PIN 3 b INPUT PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1\n"
                   "PIN 15 r OUTPUT REGISTERED GCLK1 OE OE1 PIN 16 y OUTPUT\n"
                   "!q = a & !q | b; r = q & a; !y = q & !r | b;",
                   "Gatesmith GAL16V8B DIP20 - registered mode"},
        DesignCase{"GAL20V8BSimple",
                   "DEVICE GAL20V8B GAL_MODE = SIMPLE PIN 2 a INPUT PIN 3 b INPUT\n"
                   "PIN 18 p OUTPUT PIN 19 q OUTPUT !p = a | b; q = a ^ b;",
                   "Gatesmith GAL20V8B DIP24 - simple mode"},
        DesignCase{"GAL20V8BComplex",
                   "DEVICE GAL20V8B PIN 2 a INPUT PIN 3 b INPUT PIN 16 y OUTPUT PIN 17 z OUTPUT\n"
                   "NODE n !n = a | b; !y = n & a; z = y | n;",
                   "Gatesmith GAL20V8B DIP24 - complex mode"},
        DesignCase{
            "GAL20V8BRegistered",
            "DEVICE GAL20V8B PIN 1 clk INPUT GCLK1 PIN 13 oe INPUT GOE1 PIN 2 a INPUT\n"
            "PIN 18 q OUTPUT REGISTERED GCLK1 OE OE1 PIN 19 r OUTPUT REGISTERED GCLK1 OE OE1\n"
            "!q = !q ^ a; !r = q & r;",
            "Gatesmith GAL20V8B DIP24 - registered mode"},
        DesignCase{
            "GAL22V10BWithSharedReset",
            "DEVICE GAL22V10B PIN 1 clk INPUT GCLK1 PIN 2 a INPUT PIN 3 b INPUT PIN 4 r INPUT\n"
            "PIN 14 q OUTPUT REGISTERED GCLK1 RESET PRODUCT PIN 16 y OUTPUT\n"
            "PIN 15 p OUTPUT REGISTERED GCLK1 OE PRODUCT RESET PRODUCT NODE n !n = a & b;\n"
            "!q = n | q & b; p = q & !a | p & n; !y = p & q | n;\n"
            "q.RESET = r & !a; p.RESET = !a & r; p.OE = !r;",
            "Gatesmith GAL22V10B DIP24"}),
    [](const auto &info) { return std::string(info.param.title); });

TEST(GAL22V10SpareCells, SparePinsReadAsInputs) {
  SKIP_WITHOUT_JEDUTIL();
  // Pins 17 and 20 belong to output cells that no equation uses; the design
  // reads them as plain inputs next to a register.
  const std::string source = R"(DEVICE GAL22V10B
PIN 1 clk INPUT GCLK1
PIN 2 a INPUT
PIN 17 s INPUT
PIN 20 t INPUT
PIN 14 q OUTPUT REGISTERED GCLK1
PIN 23 y OUTPUT
q = s & !q | t & a;
y = !s ^ t;
)";
  TempDir dir;
  const auto result = compileSource(dir, source);
  ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
  const auto decoded =
      testing::parseJedutilView(testing::jedutilView(dir.file("design.jed"), "GAL22V10B"));
  for (int pin : {17, 20})
    EXPECT_NE(std::find(decoded.inputs.begin(), decoded.inputs.end(), pin), decoded.inputs.end())
        << "pin " << pin << " is not decoded as an input";
  EXPECT_TRUE(decodesAsSource(dir.file("design.jed"), source));
}

TEST(JedutilComparison, NoticesADifferentFunction) {
  SKIP_WITHOUT_JEDUTIL();
  // The checker itself must catch a wrong fuse map: the compiled design is
  // compared with a source whose equation differs in one assignment.
  const std::string header = "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 3 b INPUT\nPIN 14 y OUTPUT\n";
  TempDir dir;
  ASSERT_EQ(compileSource(dir, header + "y = a & b;").exitCode, 0);
  EXPECT_TRUE(decodesAsSource(dir.file("design.jed"), header + "y = b & a;"));
  EXPECT_FALSE(decodesAsSource(dir.file("design.jed"), header + "y = a | b;"));
  EXPECT_FALSE(
      decodesAsSource(dir.file("design.jed"), header + "PIN 15 z OUTPUT\ny = a & b;\nz = a;"));
}

std::filesystem::path examplesDirectory() {
  return std::filesystem::path(GSMITH_SOURCE_DIR) / "examples";
}

std::string readFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(GALExamples, EveryExampleCompilesToItsEquations) {
  SKIP_WITHOUT_JEDUTIL();
  int examples = 0;
  for (const auto &entry : std::filesystem::directory_iterator(examplesDirectory())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("gal", 0) != 0 || entry.path().extension() != ".pld")
      continue;
    SCOPED_TRACE(name);
    ++examples;
    const std::string source = readFile(entry.path());
    TempDir dir;
    const auto result = compileSource(dir, source, name);
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_TRUE(decodesAsSource(dir.file(entry.path().stem().string() + ".jed"), source));
  }
  EXPECT_GE(examples, 3);
}

} // namespace
} // namespace gsmith
