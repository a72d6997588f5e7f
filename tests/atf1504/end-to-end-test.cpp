// ATF1504 designs compiled by the built gsmith binary: the fuse file is read
// back and the fuses of each feature checked through the fuse databases.
#include "devices/atf1504/atf1504-fuse-db.h"
#include "devices/atf1504/atf1504-global-db.h"
#include "devices/atf1504/atf1504-product-term.h"
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

// The fuses of a JEDEC text, from its L lines.
std::vector<bool> readFuses(const std::string &text) {
  std::vector<bool> fuses(34192, false);
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] != 'L')
      continue;
    const std::size_t space = line.find(' ');
    std::size_t index = std::stoul(line.substr(1, space - 1));
    for (std::size_t k = space + 1; k < line.size() && line[k] != '*'; ++k)
      fuses.at(index++) = line[k] == '1';
  }
  return fuses;
}

class ATF1504EndToEndTest : public ::testing::Test {
protected:
  TempDir dir;
  std::vector<bool> fuses;
  std::string jedec;
  const ATF1504FuseDB fuseDB;

  RunResult compile(const std::string &source) {
    RunResult result = compileSource(dir, source);
    if (result.exitCode == 0) {
      jedec = dir.read("design.jed");
      fuses = readFuses(jedec);
    }
    return result;
  }

  void compileOK(const std::string &source) {
    const RunResult result = compile(source);
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
  }

  bool hasOption(int mc, const std::string &key) const {
    const FuseOption &option = fuseDB.option(mc, key);
    for (std::size_t k = 0; k < option.fuses.size(); ++k)
      if (fuses[option.fuses[k]] != option.values[k])
        return false;
    return true;
  }

  // A product-term row that is neither constant false nor constant true.
  bool rowProgrammed(int mc, int pt) const {
    const int offset = ATF1504ProductTermLayout::productTermOffset(mc, pt);
    int ones = 0;
    for (int k = 0; k < 96; ++k)
      ones += fuses[offset + k] ? 1 : 0;
    return ones > 0 && ones < 96;
  }
};

// 2^7 minterms of even parity are pairwise non-adjacent, so none merge.
std::string evenParityMinterms(int count) {
  std::string text;
  int written = 0;
  for (int m = 0; m < 128 && written < count; ++m) {
    if (__builtin_popcount(m) % 2 != 0)
      continue;
    text += written++ == 0 ? "" : " | ";
    text += "(";
    for (int bit = 0; bit < 7; ++bit)
      text += std::string(bit == 0 ? "" : " & ") + ((m >> bit) & 1 ? "" : "!") + "i" +
              std::to_string(bit);
    text += ")";
  }
  return text;
}

const char *const kWideInputs = "PIN 4 i0 INPUT\nPIN 5 i1 INPUT\nPIN 6 i2 INPUT\nPIN 8 i3 INPUT\n"
                                "PIN 9 i4 INPUT\nPIN 10 i5 INPUT\nPIN 11 i6 INPUT\n";

TEST_F(ATF1504EndToEndTest, BuriedNodesXorSplitAndToggle) {
  compileOK(R"(DEVICE ATF1504AS
PIN 83 clk INPUT GCLK1
PIN 4 a INPUT
PIN 5 b INPUT
PIN 6 c INPUT
PIN 22 y OUTPUT
PIN 21 q OUTPUT REGISTERED GCLK1
PIN 20 t OUTPUT REGISTERED GCLK1
NODE n
n = a & !b;
y = n | c;
q = (a & b) ^ (c | n);
t = a;
CONFIG t XOR TOGGLE
)");
  EXPECT_EQ(jedec.find("\x02JEDEC file for: ATF1504AS\n*\nQF34192* QP84 * F0*\n"), 0u);
  EXPECT_NE(jedec.find("\nG0*\nC"), std::string::npos);
  // The NODE avoids the pinned MC1..MC3 and lands on MC4 with its output off.
  EXPECT_TRUE(rowProgrammed(4, 1));
  EXPECT_TRUE(hasOption(4, "oe_mux:GND"));
  EXPECT_TRUE(hasOption(4, "pt_power:on"));
  EXPECT_TRUE(hasOption(1, "oe_mux:VCC_pt5"));
  EXPECT_TRUE(hasOption(1, "o_mux:comb"));
  EXPECT_TRUE(hasOption(2, "pt2_mux:xor"));
  EXPECT_TRUE(hasOption(2, "xor_invert:off"));
  EXPECT_TRUE(hasOption(2, "o_mux:sync"));
  EXPECT_TRUE(hasOption(3, "xor_b_mux:ff_qn"));
  EXPECT_TRUE(hasOption(3, "xor_invert:on"));
  EXPECT_TRUE(hasOption(3, "gclk_mux:GCLK1"));
  // An unused macrocell keeps its baseline and cleared rows.
  EXPECT_TRUE(hasOption(40, "pt_power:off"));
  EXPECT_FALSE(rowProgrammed(40, 1));
}

TEST_F(ATF1504EndToEndTest, CascadeOfFortyTerms) {
  compileOK(std::string("DEVICE ATF1504AS\n") + kWideInputs +
            "PIN 33 y OUTPUT\ny = " + evenParityMinterms(40) + ";\n");
  // MC24 owns five terms and borrows 35 from MC17..MC23.
  for (int mc = 17; mc <= 24; ++mc) {
    for (int pt = 1; pt <= 5; ++pt)
      EXPECT_TRUE(rowProgrammed(mc, pt)) << mc << "/" << pt;
  }
  for (int mc = 17; mc <= 23; ++mc) {
    EXPECT_TRUE(hasOption(mc, "cas_mux:sum")) << mc;
    EXPECT_TRUE(hasOption(mc, "oe_mux:GND")) << mc;
  }
}

TEST_F(ATF1504EndToEndTest, FortyOneTermsDoNotFit) {
  const RunResult result = compile(std::string("DEVICE ATF1504AS\n") + kWideInputs +
                                   "PIN 33 y OUTPUT\ny = " + evenParityMinterms(41) + ";\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.out.find("Fitting... FAILED\nError: Output 'y' needs 41 ordinary product "
                            "terms, but only 40 are free in its ATF1504 cascade chain\n"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.err.find("Compiler error: ATF1504 fitting failed"), std::string::npos);
  EXPECT_FALSE(dir.exists("design.jed"));
}

TEST_F(ATF1504EndToEndTest, GlobalOutputEnables) {
  compileOK(R"(DEVICE ATF1504ASV
PIN 84 oe1 INPUT GOE1
PIN 2 oe2 INPUT GOE2
PIN 4 a INPUT
PIN 5 b INPUT
PIN 22 y1 OUTPUT OE OE1
PIN 41 y2 OUTPUT OE OE2
PIN 44 y3 OUTPUT OE PRODUCT
y1 = a;
y2 = !a;
y3 = a & b;
y3.OE = !b;
)");
  EXPECT_TRUE(hasOption(1, "oe_mux:GOE1"));
  EXPECT_TRUE(hasOption(17, "oe_mux:GOE2"));
  EXPECT_TRUE(hasOption(33, "pt5_func:oe"));
  EXPECT_TRUE(hasOption(33, "pt5_mux:as_oe"));
  EXPECT_TRUE(rowProgrammed(33, 5));
  for (int g = 1; g <= 2; ++g) {
    const int selected = ATF1504GlobalDB::goeSelectionFuse(g, g == 1 ? "E1_PAD" : "C2_PAD");
    for (int k = 0; k < 9; ++k) {
      const int fuse = ATF1504GlobalDB::goeMuxOffset(g) + k;
      EXPECT_EQ(fuses[fuse], fuse != selected) << fuse;
    }
    EXPECT_TRUE(fuses[ATF1504GlobalDB::goeInvertFuse(g)]);
  }
  EXPECT_TRUE(fuses[ATF1504GlobalDB::goeInvertFuse(3)]);
}

TEST_F(ATF1504EndToEndTest, EachGlobalClockAndTheGlobalClear) {
  compileOK(R"(DEVICE ATF1504AS
PIN 83 c1 INPUT GCLK1
PIN 2 c2 INPUT GCLK2
PIN 81 c3 INPUT GCLK3
PIN 1 rst INPUT GCLR
PIN 4 d INPUT
PIN 22 q1 OUTPUT REGISTERED GCLK1 RESET GCLR
PIN 21 q2 OUTPUT REGISTERED GCLK2
PIN 20 q3 OUTPUT REGISTERED GCLK3
q1 = d;
q2 = !d;
q3 = d & q1;
)");
  EXPECT_TRUE(hasOption(1, "gclk_mux:GCLK1"));
  EXPECT_TRUE(hasOption(1, "gclr_mux:GCLR"));
  EXPECT_TRUE(hasOption(2, "gclk_mux:GCLK2"));
  EXPECT_TRUE(hasOption(2, "gclr_mux:GND"));
  EXPECT_TRUE(hasOption(3, "gclk_mux:GCLK3"));
  // Invert off and multiplexer values 3, 1, 0 for the three clocks.
  const std::string expected = "011010000";
  for (int k = 0; k < 9; ++k)
    EXPECT_EQ(fuses[34145 + k], expected[k] == '1') << 34145 + k;
  EXPECT_TRUE(fuses[34144]);
}

TEST_F(ATF1504EndToEndTest, ResetClockEnableAndPresetProductTerms) {
  compileOK(R"(DEVICE ATF1504AS
PIN 83 clk INPUT GCLK1
PIN 4 a INPUT
PIN 5 b INPUT
PIN 6 c INPUT
PIN 22 q OUTPUT REGISTERED GCLK1 RESET PRODUCT CE PRODUCT PRESET PRODUCT
PIN 21 r OUTPUT REGISTERED CE PRODUCT
q = a | b;
q.RESET = a & c;
q.CE = !c;
q.PRESET = b & c;
r = a;
r.CE = b;
)");
  for (int pt = 1; pt <= 5; ++pt)
    EXPECT_TRUE(rowProgrammed(1, pt)) << pt;
  for (const char *key : {"pt3_mux:ar", "pt4_mux:clk_ce", "pt4_func:ce", "pt5_mux:as_oe",
                          "pt5_func:as", "oe_mux:VCC_pt5"})
    EXPECT_TRUE(hasOption(1, key)) << key;
  // Without a global clock the CE term is the clock.
  EXPECT_TRUE(hasOption(2, "pt4_func:clk"));
  EXPECT_TRUE(rowProgrammed(2, 4));
}

TEST_F(ATF1504EndToEndTest, PowerDownPinsAndSignature) {
  compileOK("DEVICE ATF1504AS\nSIGNATURE = 0x1234\nPOWER_DOWN PD1\nPIN 4 a INPUT\n"
            "PIN 22 y OUTPUT\ny = a;\n");
  EXPECT_FALSE(fuses[34136]);
  EXPECT_TRUE(fuses[34137]);
  const std::string signature = "0011010000010010";
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(fuses[34170 + i], signature[i] == '1') << i;

  compileOK("DEVICE ATF1504AS\nPOWER_DOWN PD2\nPIN 4 a INPUT\nPIN 22 y OUTPUT\ny = a;\n");
  EXPECT_TRUE(fuses[34136]);
  EXPECT_FALSE(fuses[34137]);
  for (int i = 0; i < 16; ++i)
    EXPECT_FALSE(fuses[34170 + i]);
}

TEST_F(ATF1504EndToEndTest, PackagesSetTheQPField) {
  compileOK("DEVICE ATF1504AS\nPACKAGE PLCC44\nPIN 4 a INPUT\nPIN 12 y OUTPUT\ny = !a;\n");
  EXPECT_NE(jedec.find("QF34192* QP44 * F0*\n"), std::string::npos);
  EXPECT_TRUE(hasOption(1, "oe_mux:VCC_pt5"));
  compileOK("DEVICE ATF1504AS\nPACKAGE TQFP100\nPIN 13 a INPUT\nPIN 14 y OUTPUT\ny = !a;\n");
  EXPECT_NE(jedec.find("QF34192* QP100 * F0*\n"), std::string::npos);
  EXPECT_TRUE(hasOption(1, "oe_mux:VCC_pt5"));
}

TEST_F(ATF1504EndToEndTest, ConfigGOESourceMovesTheNode) {
  compileOK(R"(DEVICE ATF1504AS
PIN 4 a INPUT
PIN 5 b INPUT
PIN 22 y OUTPUT
NODE en
en = a & b;
y = a;
CONFIG GOE3 SOURCE en
CONFIG y GLOBAL_OE GOE3
)");
  // GOE3 can select MC1, MC3, MC21, MC49 and MC51; MC1 is pinned, so the
  // NODE goes to MC3 and GOE3 selects its feedback.
  EXPECT_TRUE(rowProgrammed(3, 1));
  EXPECT_TRUE(hasOption(1, "oe_mux:GOE3"));
  const int selected = ATF1504GlobalDB::goeSelectionFuse(3, "MC3_FB");
  for (int k = 0; k < 9; ++k) {
    const int fuse = ATF1504GlobalDB::goeMuxOffset(3) + k;
    EXPECT_EQ(fuses[fuse], fuse != selected) << fuse;
  }
}

TEST_F(ATF1504EndToEndTest, RoutingFailureIsReported) {
  std::string source = "DEVICE ATF1504AS\n";
  // 41 distinct inputs of one LAB overflow its switch matrix.
  std::string sum;
  int count = 0;
  for (const auto &record :
       {4,  5,  6,  8,  9,  10, 11, 12, 15, 16, 17, 18, 20, 21, 22, 24, 25, 27, 28, 29, 30,
        31, 33, 34, 35, 36, 37, 39, 40, 41, 44, 45, 46, 48, 49, 50, 51, 52, 54, 55, 56}) {
    const std::string name = "i" + std::to_string(record);
    source += "PIN " + std::to_string(record) + " " + name + " INPUT\n";
    sum += (count++ == 0 ? "" : " & ") + name;
  }
  source += "PIN 81 y OUTPUT\ny = " + sum + ";\n";
  const RunResult result = compile(source);
  EXPECT_EQ(result.exitCode, 1);
  // Which input overflows depends on the canonical literal order.
  const std::size_t error = result.out.find("Error: LAB switch matrix is full while routing 'i");
  ASSERT_NE(error, std::string::npos) << result.out;
  EXPECT_NE(result.out.find("' for output 'y'\n", error), std::string::npos) << result.out;
}

TEST_F(ATF1504EndToEndTest, ExamplesCompile) {
  int examples = 0;
  for (const auto &entry : std::filesystem::directory_iterator(GSMITH_EXAMPLES_DIR)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("atf1504-", 0) != 0 || entry.path().extension() != ".pld")
      continue;
    ++examples;
    std::ifstream in(entry.path());
    std::ostringstream source;
    source << in.rdbuf();
    const RunResult result = compile(source.str());
    EXPECT_EQ(result.exitCode, 0) << name << "\n" << result.out << result.err;
    EXPECT_NE(jedec.find("QF34192*"), std::string::npos) << name;
  }
  EXPECT_GE(examples, 4);
}

} // namespace
} // namespace gsmith
