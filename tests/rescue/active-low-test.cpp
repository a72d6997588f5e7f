// Active-low equations on the CPLDs, checked against the chips: an active-low
// design and the same design written without '!' must differ in exactly the
// fuses listed, whose numbers were transcribed by hand from the prjbureau
// database (MCn's xor_invert fuse) and whose values agree with vendor
// files: every "!x = ..." and "!x.D = ..." that the vendor fitter placed in
// the ATF1508 files of /work/shared has that fuse at 1, every plain one at 0
// (1819 and 521 cells against 3889 and 5681). Also the refusals of what the
// chips cannot do, and the work budget the rescue's minimiser calls share.
#include "synthesis/minimise.h"
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

namespace gsmith::testing {
namespace {

struct PolarityCase {
  const char *title;
  std::string activeLow;              // the reference: without '!', RESET and PRESET swapped
  std::map<size_t, bool> differences; // fuse: its value in the active-low design
};

void PrintTo(const PolarityCase &c, std::ostream *out) { *out << c.title; }

std::string reference(const std::string &activeLow) {
  const std::string plain =
      std::regex_replace(activeLow, std::regex("([\\s;])!(\\w+) ="), "$1$2 =");
  const std::string marked = std::regex_replace(plain, std::regex("PRESET"), "#");
  return std::regex_replace(std::regex_replace(marked, std::regex("RESET"), "PRESET"),
                            std::regex("#"), "RESET");
}

const std::string k1504 = "DEVICE ATF1504AS PACKAGE PLCC44 PIN 43 clk INPUT GCLK1 PIN 4 a INPUT "
                          "PIN 5 b INPUT PIN 6 c INPUT PIN 8 r INPUT\n";
const std::string k1502 = "DEVICE ATF1502AS PACKAGE PLCC44 PIN 43 clk INPUT GCLK1 PIN 4 a INPUT "
                          "PIN 5 b INPUT PIN 6 c INPUT PIN 8 r INPUT\n";
const std::string kCell = "PIN 24 y OUTPUT\n";
const std::string kRegister = "PIN 24 q OUTPUT REGISTERED GCLK1 ";

// Pin 24 is MC33 (xor_invert 31838) on the ATF1504AS, MC32 (15918) on the
// ATF1502AS; a NODE there sits on MC1 (15409). With an XOR term the gate
// inverts unless xor_invert is on. A register holds the pin's value, so its
// reset is the chip's preset. y reads the node through the same feedback in
// both designs, so it sees the node's value.
const PolarityCase kPolarityCases[] = {
    {"CombinationalATF1504", k1504 + kCell + "!y = a & b;", {{31838, true}}},
    {"CombinationalATF1502", k1502 + kCell + "!y = a & b | c;", {{15918, true}}},
    {"XorTermATF1504", k1504 + kCell + "!y = (a & b) ^ (c | r);", {{31838, false}}},
    {"RegisterResetIsPresetATF1504",
     k1504 + kRegister + "RESET PRODUCT !q = a & b; q.RESET = r;",
     {{31838, true}}},
    {"RegisterPresetIsResetATF1502",
     k1502 + kRegister + "PRESET PRODUCT !q = a; q.PRESET = r & c;",
     {{15918, true}}},
    {"NodeFeedbackATF1502", k1502 + kCell + "NODE n !n = a & b; y = n & c;", {{15409, true}}},
};

class ActiveLowFuses : public ::testing::TestWithParam<PolarityCase> {};

TEST_P(ActiveLowFuses, DifferOnlyInThePolarityFuse) {
  const PolarityCase &c = GetParam();
  TempDir lowDir, referenceDir;
  ASSERT_EQ(compileSource(lowDir, c.activeLow).exitCode, 0);
  ASSERT_EQ(compileSource(referenceDir, reference(c.activeLow)).exitCode, 0);
  const std::vector<bool> low = jedecFuses(lowDir.read("design.jed"));
  const std::vector<bool> plain = jedecFuses(referenceDir.read("design.jed"));
  std::map<size_t, bool> differences;
  for (size_t fuse = 0; fuse < low.size() && low.size() == plain.size(); ++fuse)
    if (low[fuse] != plain[fuse])
      differences[fuse] = low[fuse];
  EXPECT_EQ(differences, c.differences);
}

INSTANTIATE_TEST_SUITE_P(CPLD, ActiveLowFuses, ::testing::ValuesIn(kPolarityCases),
                         [](const auto &info) { return std::string(info.param.title); });

const std::string k22V10 = "DEVICE GAL22V10B PIN 1 clk INPUT GCLK1 PIN 2 a INPUT PIN 3 r INPUT "
                           "PIN 4 s INPUT PIN 14 q OUTPUT REGISTERED GCLK1 RESET PRODUCT\n";

TEST(ActiveLowRefusals, SayWhatTheChipCannotDo) {
  const std::pair<std::string, std::string> refusals[] = {
      {k1504 + "PIN 24 y OUTPUT OE PRODUCT !y = a; !y.OE = b;",
       "Only data equations can be active-low: '!y.OE' is not allowed"},
      {k1504 + "PIN 1 gclr INPUT GCLR " + kRegister + "RESET GCLR !q = a;",
       "ATF1504 active-low register 'q' cannot use RESET GCLR: the register holds the pin's "
       "value and the global clear would drive the pin low; use RESET PRODUCT"},
      {k1504 + kRegister + "OE PRODUCT RESET PRODUCT !q = a; q.OE = b; q.RESET = r;",
       "ATF1504 active-low register 'q' cannot use RESET PRODUCT with OE PRODUCT: its reset "
       "takes the preset product term, which the output enable already uses"},
      {k1504 + kRegister + "CONFIG q XOR TOGGLE !q = a;",
       "XOR TOGGLE cannot be combined with an active-low equation on q"},
      {k1502 + kRegister + "RESET PRODUCT !q = a; q.RESET = r & a | c & b;",
       "ATF1502 active-low register 'q': its .RESET needs 2 product terms, but the chip "
       "implements it with one"},
      {k22V10 + "PIN 15 p OUTPUT REGISTERED GCLK1 RESET PRODUCT q = a; p = a; q.RESET = r;\n"
                "p.RESET = s;",
       "GAL22V10B has one asynchronous reset term for all its registers: 'q' and 'p' must have "
       "the same .RESET equation (or neither one)"},
      {k22V10 + "q = a; q.RESET = r | s;",
       "GAL22V10B asynchronous reset of 'q' needs 2 product terms; the chip's reset is one "
       "product term"},
      // '/' marks no complement: it is no operator of the language.
      {"DEVICE GAL16V8B PIN 2 a INPUT PIN 12 y OUTPUT /y = a;", "Unexpected GAL16V8B token '/'"},
  };
  for (const auto &[source, message] : refusals) {
    TempDir dir;
    const RunResult result = compileSource(dir, source);
    EXPECT_EQ(result.err, "Compiler error: " + message + "\n") << source;
    EXPECT_FALSE(dir.exists("design.jed"));
  }
}

TEST(RescueLimits, SharedWorkBoundsASeriesOfMinimiserCalls) {
  SOPExpression pairs; // its complement has 2^24 terms
  for (int i = 0; i < 24; ++i)
    pairs.terms.push_back({{"a" + std::to_string(i), false}, {"b" + std::to_string(i), false}});
  twolevel::Budget work(uint64_t{1} << 20), spent(16);
  EXPECT_FALSE(Minimiser::complement(pairs, work));
  EXPECT_GE(work.used(), work.left()); // a failed call is charged for its attempt
  const SOPExpression merges = {{{{"a", false}, {"b", false}}, {{"a", false}, {"b", true}}}};
  EXPECT_EQ(Minimiser::minimise(merges, work).terms.size(), 1u);
  EXPECT_EQ(Minimiser::minimise(merges, spent).terms.size(), 2u); // too little work: the input
}

} // namespace
} // namespace gsmith::testing
