// ATF1502 designs compiled by the built gsmith binary: the reported resource
// lines, the fit-failure report, and the fuses of the written JEDEC file.
#include "devices/atf1502/atf1502-fuse-db.h"
#include "devices/atf1502/atf1502-product-term.h"
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace gsmith {
namespace {

using testing::compileSource;
using testing::RunResult;
using testing::TempDir;

// The fuses of an ATF1502 JEDEC text, with its fuse checksum verified.
std::vector<bool> readFuses(const std::string &text) {
  std::vector<bool> fuses(16808, false);
  std::istringstream lines(text);
  std::string line;
  unsigned declaredChecksum = 0x10000;
  size_t written = 0;
  while (std::getline(lines, line)) {
    if (line.starts_with("L")) {
      const size_t space = line.find(' ');
      size_t address = std::stoul(line.substr(1, space - 1));
      for (size_t k = space + 1; k < line.size() && line[k] != '*'; ++k, ++written)
        fuses.at(address++) = line[k] == '1';
    } else if (line.starts_with("C")) {
      declaredChecksum = std::stoul(line.substr(1, 4), nullptr, 16);
    }
  }
  EXPECT_EQ(written, 16808u);
  unsigned checksum = 0;
  for (size_t word = 0; word * 8 < fuses.size(); ++word) {
    unsigned value = 0;
    for (size_t bit = 0; bit < 8 && word * 8 + bit < fuses.size(); ++bit)
      value |= fuses[word * 8 + bit] ? 1u << bit : 0u;
    checksum = (checksum + value) & 0xFFFF;
  }
  EXPECT_EQ(checksum, declaredChecksum);
  return fuses;
}

bool optionSet(const std::vector<bool> &fuses, int macrocell, const std::string &key) {
  static const ATF1502FuseDB db;
  for (const FuseOption &option : db.macrocell(macrocell).options) {
    if (option.name != key)
      continue;
    for (size_t k = 0; k < option.fuses.size(); ++k)
      if (fuses[static_cast<size_t>(option.fuses[k])] != option.values[k])
        return false;
    return true;
  }
  ADD_FAILURE() << "no option " << key;
  return false;
}

// Columns of a product-term row that connect an input.
std::vector<int> connectedColumns(const std::vector<bool> &fuses, int macrocell, int pt) {
  const int row = ATF1502PTDatabase::getProductTermOffset(macrocell, pt);
  std::vector<int> columns;
  for (int column = 0; column < 96; ++column)
    if (!fuses[static_cast<size_t>(row + column)])
      columns.push_back(column);
  return columns;
}

std::string resources(int macrocells, int productTerms, int outputs) {
  return "  Macrocells:    " + std::to_string(macrocells) +
         " / 32\n  Product terms: " + std::to_string(productTerms) +
         "\n  Outputs:       " + std::to_string(outputs) + "\n";
}

struct Compiled {
  TempDir dir;
  RunResult run;
  std::vector<bool> fuses;
};

std::unique_ptr<Compiled> compile(const std::string &source) {
  auto compiled = std::make_unique<Compiled>();
  compiled->run = compileSource(compiled->dir, source);
  EXPECT_EQ(compiled->run.exitCode, 0) << compiled->run.out << compiled->run.err;
  if (compiled->dir.exists("design.jed"))
    compiled->fuses = readFuses(compiled->dir.read("design.jed"));
  return compiled;
}

TEST(ATF1502EndToEndTest, ExamplesCompile) {
  int count = 0;
  for (const auto &entry : std::filesystem::directory_iterator(GSMITH_EXAMPLES_DIR)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with("atf1502") || entry.path().extension() != ".pld")
      continue;
    SCOPED_TRACE(name);
    ++count;
    TempDir dir;
    std::ifstream in(entry.path());
    std::stringstream source;
    source << in.rdbuf();
    const RunResult run = compileSource(dir, source.str(), name);
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Fitting... OK\n"), std::string::npos);
    EXPECT_NE(run.out.find(" / 32\n"), std::string::npos);
    const std::string jed = entry.path().stem().string() + ".jed";
    ASSERT_TRUE(dir.exists(jed));
    const std::string text = dir.read(jed);
    EXPECT_TRUE(text.starts_with("\x02JEDEC file for: ATF1502AS\n*\nQF16808* F0*\n"));
    readFuses(text);
  }
  EXPECT_GE(count, 4);
}

TEST(ATF1502EndToEndTest, CascadedSumReportsItsTerms) {
  const auto compiled = compile(R"(DEVICE ATF1502AS
PIN 43 a INPUT GCLK1
PIN 44 b INPUT
PIN 2 c INPUT
PIN 4 d INPUT
PIN 12 y OUTPUT
PIN 14 z OUTPUT
y = a & b & c & d | !a & !b & !c & !d | a & !b & c & !d | !a & b & !c & d
  | a & b & !c & !d | !a & !b & c & d | a & !b & !c & d;
z = a;
)");
  EXPECT_NE(compiled->run.out.find("Fitting... OK\nResource usage:\n" + resources(2, 8, 2)),
            std::string::npos)
      << compiled->run.out;
  ASSERT_FALSE(compiled->fuses.empty());
  // y on macrocell 8 keeps five terms and borrows two from macrocell 7.
  EXPECT_TRUE(optionSet(compiled->fuses, 7, "cas_mux:sum"));
  EXPECT_TRUE(optionSet(compiled->fuses, 7, "oe_mux:GND"));
  EXPECT_EQ(connectedColumns(compiled->fuses, 7, 1).size(), 4u);
  EXPECT_EQ(connectedColumns(compiled->fuses, 7, 3).size(), 96u);
  EXPECT_TRUE(optionSet(compiled->fuses, 6, "pt_power:off"));
}

TEST(ATF1502EndToEndTest, RegisteredOutputsOnEachGlobalClock) {
  const struct {
    const char *clock;
    int pin;
  } clocks[] = {{"GCLK1", 43}, {"GCLK2", 2}, {"GCLK3", 41}};
  for (const auto &c : clocks) {
    SCOPED_TRACE(c.clock);
    const std::string clock = c.clock;
    const auto compiled =
        compile("DEVICE ATF1502AS\nPIN " + std::to_string(c.pin) + " clk INPUT " + clock +
                "\nPIN 1 rst INPUT GCLR\nPIN 4 d INPUT\n" + "PIN 5 q OUTPUT REGISTERED " + clock +
                " RESET GCLR\n" + "q = d & !q;\n");
    EXPECT_NE(compiled->run.out.find(resources(1, 1, 1)), std::string::npos);
    ASSERT_FALSE(compiled->fuses.empty());
    for (const std::string &key : {"gclk_mux:" + clock, std::string("o_mux:sync"),
                                   std::string("fb_mux:sync"), std::string("gclr_mux:GCLR")})
      EXPECT_TRUE(optionSet(compiled->fuses, 2, key)) << key;
  }
}

TEST(ATF1502EndToEndTest, ResetClockEnableAndPresetProductTerms) {
  const auto compiled = compile(R"(DEVICE ATF1502AS
PIN 43 clk INPUT GCLK1
PIN 4 d INPUT
PIN 5 r INPUT
PIN 6 e INPUT
PIN 8 s INPUT
PIN 41 q OUTPUT REGISTERED GCLK1 RESET PRODUCT CE PRODUCT PRESET PRODUCT
q = d;
q.RESET = r & !s;
q.CE = e;
q.PRESET = s & !r;
)");
  EXPECT_NE(compiled->run.out.find(resources(1, 1, 1)), std::string::npos);
  ASSERT_FALSE(compiled->fuses.empty());
  for (const char *key : {"pt3_mux:ar", "pt4_mux:clk_ce", "pt4_func:ce", "pt5_mux:as_oe",
                          "pt5_func:as", "gclk_mux:GCLK1"})
    EXPECT_TRUE(optionSet(compiled->fuses, 17, key)) << key;
  EXPECT_EQ(connectedColumns(compiled->fuses, 17, 1).size(), 1u);  // d
  EXPECT_EQ(connectedColumns(compiled->fuses, 17, 2).size(), 96u); // unused
  EXPECT_EQ(connectedColumns(compiled->fuses, 17, 3).size(), 2u);  // r & !s
  EXPECT_EQ(connectedColumns(compiled->fuses, 17, 4).size(), 1u);  // e
  EXPECT_EQ(connectedColumns(compiled->fuses, 17, 5).size(), 2u);  // s & !r
}

TEST(ATF1502EndToEndTest, OutputEnableProductAndGlobalEnable) {
  const auto compiled = compile(R"(DEVICE ATF1502AS
PIN 44 goe INPUT GOE1
PIN 4 a INPUT
PIN 5 b INPUT
PIN 6 y OUTPUT OE PRODUCT
PIN 8 z OUTPUT OE OE1
y = a;
y.OE = !b;
z = a & b;
)");
  ASSERT_FALSE(compiled->fuses.empty());
  for (const char *key : {"pt5_mux:as_oe", "pt5_func:oe", "oe_mux:VCC_pt5"})
    EXPECT_TRUE(optionSet(compiled->fuses, 3, key)) << key;
  EXPECT_EQ(connectedColumns(compiled->fuses, 3, 5).size(), 1u);
  EXPECT_TRUE(optionSet(compiled->fuses, 5, "oe_mux:GOE5"));
  EXPECT_FALSE(compiled->fuses[16729]);
  EXPECT_TRUE(compiled->fuses[16755]);
}

TEST(ATF1502EndToEndTest, BuriedNodeUsesTheFirstFreeMacrocell) {
  const auto compiled = compile(R"(DEVICE ATF1502AS
PIN 43 clk INPUT GCLK1
PIN 5 a INPUT
PIN 6 b INPUT
PIN 41 y OUTPUT
NODE n REGISTERED GCLK1
n = a & b | n & !a;
y = n & b;
)");
  EXPECT_NE(compiled->run.out.find(resources(2, 3, 2)), std::string::npos) << compiled->run.out;
  ASSERT_FALSE(compiled->fuses.empty());
  for (const char *key : {"pt_power:on", "oe_mux:GND", "fb_mux:sync", "gclk_mux:GCLK1"})
    EXPECT_TRUE(optionSet(compiled->fuses, 1, key)) << key;
}

TEST(ATF1502EndToEndTest, SignalsSharingUIMPairsGetDistinctColumns) {
  // C1_PAD, MC16_FB and M22_PAD compete for the same UIM pairs in LAB A.
  const auto compiled = compile(R"(DEVICE ATF1502AS
PIN 43 clk INPUT
PIN 36 p22 INPUT
PIN 4 a INPUT
PIN 21 f16 OUTPUT
PIN 5 y OUTPUT
f16 = a;
y = clk & f16 & p22;
)");
  ASSERT_FALSE(compiled->fuses.empty());
  const std::vector<int> columns = connectedColumns(compiled->fuses, 2, 1);
  ASSERT_EQ(columns.size(), 3u);
  EXPECT_NE(columns[0] / 2, columns[1] / 2);
  EXPECT_NE(columns[1] / 2, columns[2] / 2);
}

TEST(ATF1502EndToEndTest, TQFP44AndPLCC44TwinsWriteTheSameFuses) {
  const std::string body = R"(
y = clk & !oe | clr & m1 & m17;
q = m1;
)";
  const auto plcc = compile(
      "DEVICE ATF1502AS\nPIN 43 clk INPUT GCLK1\nPIN 44 oe INPUT\nPIN 1 clr INPUT\n"
      "PIN 4 m1 INPUT\nPIN 41 m17 INPUT\nPIN 5 y OUTPUT\nPIN 24 q OUTPUT REGISTERED GCLK1\n" +
      body);
  const auto tqfp =
      compile("DEVICE ATF1502AS\nPACKAGE TQFP44\nPIN 37 clk INPUT GCLK1\nPIN 38 oe INPUT\n"
              "PIN 39 clr INPUT\nPIN 42 m1 INPUT\nPIN 35 m17 INPUT\nPIN 43 y OUTPUT\n"
              "PIN 18 q OUTPUT REGISTERED GCLK1\n" +
              body);
  ASSERT_FALSE(plcc->fuses.empty());
  EXPECT_EQ(plcc->fuses, tqfp->fuses);
  EXPECT_EQ(plcc->dir.read("design.jed"), tqfp->dir.read("design.jed"));
}

TEST(ATF1502EndToEndTest, FitFailureKeepsTheOldFile) {
  TempDir dir;
  dir.write("design.jed", "old");
  // y, on macrocell 17 at the start of a chain, needs all eight minterms of
  // four-input parity.
  const RunResult run = compileSource(dir, R"(DEVICE ATF1502AS
PIN 4 a INPUT
PIN 44 b INPUT
PIN 5 c INPUT
PIN 6 d INPUT
PIN 41 y OUTPUT
PIN 40 z OUTPUT OE PRODUCT
y = a & !b & !c & !d | !a & b & !c & !d | !a & !b & c & !d | !a & !b & !c & d
  | a & b & c & !d | a & b & !c & d | a & !b & c & d | !a & b & c & d;
z = a;
z.OE = a & b | c & d;
)");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("Fitting... FAILED\n"
                         "Error: Output 'y' requires 8 product terms including control terms, but "
                         "only 5 are available in its cascade chain\n"
                         "Error: Output 'z' OE expression requires 2 product terms; OE PRODUCT "
                         "currently supports exactly one\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.err.find("Compiler error: Fitting failed; no JEDEC was produced\n"),
            std::string::npos);
  EXPECT_EQ(dir.read("design.jed"), "old");
  EXPECT_FALSE(dir.exists("design.jed.tmp"));
}

TEST(ATF1502EndToEndTest, DeviceOptionsAreAccepted) {
  const auto compiled = compile(R"(DEVICE ATF1502ASV
SIGNATURE = 0x1234
PIN 4 a INPUT
PIN 5 y OUTPUT
y = !a;
)");
  ASSERT_FALSE(compiled->fuses.empty());
  EXPECT_NE(compiled->dir.read("design.jed").find("\nG0*\n"), std::string::npos);
}

} // namespace
} // namespace gsmith
