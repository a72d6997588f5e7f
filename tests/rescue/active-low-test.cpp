// Active-low equations on the CPLDs, checked against the chips: an active-low
// design and the same design written without '!' must differ in exactly the
// fuses listed, whose numbers were transcribed by hand from the prjbureau
// database (MCn's xor_invert fuse) and whose values agree with vendor
// files: every "!x = ..." and "!x.D = ..." that the vendor fitter placed in
// the ATF1508 files of /work/shared has that fuse at 1, every plain one at 0
// (1819 and 521 cells against 3889 and 5681). Also the refusals of what the
// chips cannot do, and the work budget the rescue shares.
#include "synthesis/minimise.h"
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

namespace gsmith::testing {
namespace {

struct PolarityCase {
  const char *title;
  std::string activeLow;
  std::string reference;
  std::map<size_t, bool> differences; // fuse: its value in the active-low design
};

void PrintTo(const PolarityCase &c, std::ostream *out) { *out << c.title; }

const std::string k1504 = "DEVICE ATF1504AS\nPACKAGE PLCC44\nPIN 43 clk INPUT GCLK1\n"
                          "PIN 4 a INPUT\nPIN 5 b INPUT\nPIN 6 c INPUT\nPIN 8 r INPUT\n";
const std::string k1502 = "DEVICE ATF1502AS\nPACKAGE PLCC44\nPIN 43 clk INPUT GCLK1\n"
                          "PIN 4 a INPUT\nPIN 5 b INPUT\nPIN 6 c INPUT\nPIN 8 r INPUT\n";

// Pin 24 is MC33 (xor_invert 31838) on the ATF1504AS, MC32 (15918) on the
// ATF1502AS.
const PolarityCase kPolarityCases[] = {
    {"CombinationalATF1504",
     k1504 + "PIN 24 y OUTPUT\n!y = a & b;\n",
     k1504 + "PIN 24 y OUTPUT\ny = a & b;\n",
     {{31838, true}}},
    {"CombinationalATF1502",
     k1502 + "PIN 24 y OUTPUT\n!y = a & b | c;\n",
     k1502 + "PIN 24 y OUTPUT\ny = a & b | c;\n",
     {{15918, true}}},
    // With its XOR term the cell inverts unless xor_invert is on.
    {"XorTermATF1504",
     k1504 + "PIN 24 y OUTPUT\n!y = (a & b) ^ (c | r);\n",
     k1504 + "PIN 24 y OUTPUT\ny = (a & b) ^ (c | r);\n",
     {{31838, false}}},
    // The register holds the pin's value, so the reset is the chip's preset.
    {"RegisterResetIsPresetATF1504",
     k1504 + "PIN 24 q OUTPUT REGISTERED GCLK1 RESET PRODUCT\n!q = a & b;\nq.RESET = r;\n",
     k1504 + "PIN 24 q OUTPUT REGISTERED GCLK1 PRESET PRODUCT\nq = a & b;\nq.PRESET = r;\n",
     {{31838, true}}},
    {"RegisterPresetIsResetATF1502",
     k1502 + "PIN 24 q OUTPUT REGISTERED GCLK1 PRESET PRODUCT\n!q = a;\nq.PRESET = r & c;\n",
     k1502 + "PIN 24 q OUTPUT REGISTERED GCLK1 RESET PRODUCT\nq = a;\nq.RESET = r & c;\n",
     {{15918, true}}},
    // The node sits on MC1 (xor_invert 15409); y reads it through the same
    // feedback and column in both designs, so it sees the node's value.
    {"NodeFeedbackATF1502",
     k1502 + "PIN 24 y OUTPUT\nNODE n\n!n = a & b;\ny = n & c;\n",
     k1502 + "PIN 24 y OUTPUT\nNODE n\nn = a & b;\ny = n & c;\n",
     {{15409, true}}},
};

class ActiveLowFuses : public ::testing::TestWithParam<PolarityCase> {};

TEST_P(ActiveLowFuses, DifferOnlyInThePolarityFuse) {
  const PolarityCase &c = GetParam();
  TempDir lowDir, referenceDir;
  const RunResult low = compileSource(lowDir, c.activeLow);
  ASSERT_EQ(low.exitCode, 0) << low.err;
  ASSERT_EQ(compileSource(referenceDir, c.reference).exitCode, 0);
  const std::vector<bool> lowFuses = jedecFuses(lowDir.read("design.jed"));
  const std::vector<bool> referenceFuses = jedecFuses(referenceDir.read("design.jed"));
  ASSERT_EQ(lowFuses.size(), referenceFuses.size());
  std::map<size_t, bool> differences;
  for (size_t fuse = 0; fuse < lowFuses.size(); ++fuse)
    if (lowFuses[fuse] != referenceFuses[fuse])
      differences[fuse] = lowFuses[fuse];
  EXPECT_EQ(differences, c.differences);
}

INSTANTIATE_TEST_SUITE_P(CPLD, ActiveLowFuses, ::testing::ValuesIn(kPolarityCases),
                         [](const auto &info) { return std::string(info.param.title); });

struct Refusal {
  std::string source;
  const char *message;
};

const std::string k22V10 = "DEVICE GAL22V10B\nPIN 1 clk INPUT GCLK1\nPIN 2 a INPUT\nPIN 3 r "
                           "INPUT\nPIN 4 s INPUT\n";

TEST(ActiveLowRefusals, SayWhatTheChipCannotDo) {
  const Refusal refusals[] = {
      {k1504 + "PIN 24 y OUTPUT OE PRODUCT\n!y = a;\n!y.OE = b;\n",
       "Only data equations can be active-low: '!y.OE' is not allowed"},
      {k1504 + "PIN 1 gclr INPUT GCLR\nPIN 24 q OUTPUT REGISTERED GCLK1 RESET GCLR\n!q = a;\n",
       "ATF1504 active-low register 'q' cannot use RESET GCLR: the register holds the pin's "
       "value and the global clear would drive the pin low; use RESET PRODUCT"},
      {k1504 + "PIN 24 q OUTPUT REGISTERED GCLK1 OE PRODUCT RESET PRODUCT\n!q = a;\n"
               "q.OE = b;\nq.RESET = r;\n",
       "ATF1504 active-low register 'q' cannot use RESET PRODUCT with OE PRODUCT: its reset "
       "takes the preset product term, which the output enable already uses"},
      {k1504 + "PIN 24 q OUTPUT REGISTERED GCLK1\nCONFIG q XOR TOGGLE\n!q = a;\n",
       "XOR TOGGLE cannot be combined with an active-low equation on q"},
      {k1502 + "PIN 24 q OUTPUT REGISTERED GCLK1 RESET PRODUCT\n!q = a;\nq.RESET = r & a | "
               "c & b;\n",
       "ATF1502 active-low register 'q': its .RESET needs 2 product terms, but the chip "
       "implements it with one"},
      {k22V10 + "PIN 14 q OUTPUT REGISTERED GCLK1 RESET PRODUCT\nPIN 15 p OUTPUT REGISTERED "
                "GCLK1 RESET PRODUCT\nq = a;\np = a;\nq.RESET = r;\np.RESET = s;\n",
       "GAL22V10B has one asynchronous reset term for all its registers: 'q' and 'p' must have "
       "the same .RESET equation (or neither one)"},
      {k22V10 + "PIN 14 q OUTPUT REGISTERED GCLK1\nPIN 15 p OUTPUT REGISTERED GCLK1 RESET "
                "PRODUCT\nq = a;\np = a;\np.RESET = r;\n",
       "GAL22V10B has one asynchronous reset term for all its registers: 'q' and 'p' must have "
       "the same .RESET equation (or neither one)"},
      {k22V10 + "PIN 14 q OUTPUT REGISTERED GCLK1 RESET PRODUCT\nq = a;\nq.RESET = r | s;\n",
       "GAL22V10B asynchronous reset of 'q' needs 2 product terms; the chip's reset is one "
       "product term"},
      {k22V10 + "PIN 14 q OUTPUT REGISTERED GCLK1 PRESET PRODUCT\nq = a;\nq.PRESET = r;\n",
       "GAL22V10B global AR/SP syntax is not yet implemented; CE/PRESET/RESET equations are "
       "rejected"},
      // '/' marks no complement: it is no operator of the language.
      {"DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 12 y OUTPUT\n/y = a;\n",
       "Unexpected GAL16V8B token '/'"},
      {"DEVICE GAL16V8B\nPIN 1 clk INPUT GCLK1\nPIN 11 oe INPUT GOE1\nPIN 2 r INPUT\n"
       "PIN 14 q OUTPUT REGISTERED GCLK1 OE OE1 RESET PRODUCT\nq = r;\nq.RESET = r;\n",
       "RESET PRODUCT currently requires ATF1504AS"},
  };
  for (const Refusal &refusal : refusals) {
    TempDir dir;
    const RunResult result = compileSource(dir, refusal.source);
    EXPECT_EQ(result.exitCode, 1) << refusal.source;
    EXPECT_EQ(result.err, std::string("Compiler error: ") + refusal.message + "\n")
        << refusal.source;
    EXPECT_FALSE(dir.exists("design.jed"));
  }
}

// A design the rescue cannot save (ten parities of eleven inputs: 1024 terms
// in either polarity) keeps its first refusal word for word, and the
// minimiser gives up within its shared budget instead of running on.
TEST(RescueLimits, HopelessDesignsFailFastWithTheFirstRefusal) {
  std::string source = "DEVICE GAL22V10B\n";
  const int inputs[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13};
  for (int i = 0; i < 12; ++i)
    source += "PIN " + std::to_string(inputs[i]) + " i" + std::to_string(i) + " INPUT\n";
  for (int k = 0; k < 10; ++k) {
    source += "PIN " + std::to_string(14 + k) + " o" + std::to_string(k) + " OUTPUT\n";
    std::string parity = "i" + std::to_string(k);
    for (int j = 1; j < 11; ++j)
      parity += " ^ i" + std::to_string((j + k) % 12);
    source += "o" + std::to_string(k) + " = " + parity + ";\n";
  }
  TempDir dir;
  const auto start = std::chrono::steady_clock::now();
  const RunResult result = compileSource(dir, source);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(result.err,
            "Compiler error: GAL22V10B SOP expansion exceeds 4096 terms before simplification\n");
  EXPECT_EQ(result.out.find("NOTE"), std::string::npos);
}

TEST(RescueLimits, SharedWorkBoundsASeriesOfMinimiserCalls) {
  SOPExpression pairs; // its complement has 2^24 terms
  for (int i = 0; i < 24; ++i)
    pairs.terms.push_back({{"a" + std::to_string(i), false}, {"b" + std::to_string(i), false}});
  twolevel::Budget work(uint64_t{1} << 20);
  EXPECT_FALSE(Minimiser::complement(pairs, work));
  EXPECT_GE(work.used(), work.left()); // a failed call is charged for its attempt
  // Too little work leaves a call its input (minimise) or nothing (the others).
  const SOPExpression merges = {{{{"a", false}, {"b", false}}, {{"a", false}, {"b", true}}}};
  twolevel::Budget fresh(uint64_t{1} << 20), spent(16);
  EXPECT_EQ(Minimiser::minimise(merges, fresh).terms.size(), 1u);
  EXPECT_EQ(Minimiser::minimise(merges, spent).terms.size(), 2u);
  EXPECT_FALSE(Minimiser::complement(merges, spent));
}

} // namespace
} // namespace gsmith::testing
