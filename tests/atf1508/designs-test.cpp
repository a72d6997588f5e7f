// The ATF1508AS/ASV end to end through the built compiler: designs whose
// JEDEC files were checked by hand, ATF1504AS designs moved to the ATF1508AS,
// and every refusal of what is not known about the chip.
//
// The golden files were written once by gsmith and then read back by a
// separate decoder written for that purpose (not kept) from the tables of
// ../shared/atf1508 alone, never from gsmith's: pins.csv, pterm-rows.csv,
// switches.csv, switch-sources-predicted.csv, macrocell-options.csv and
// global-fuses.csv. For each file it found every switch multiplexer with at
// most one cleared select fuse, each naming a `proven` or `mirror-confirmed`
// source; every product-term row reading only routed columns; each output on
// the macrocell its package table gives its pin; and, evaluated on random
// inputs, every output's sum (with its cascade, XOR term and .OE, .CE, .RESET
// and .PRESET rows) equal to its source equation. It also read the options:
// all 128 cells of plcc84-every-macrocell registered on the declared clock
// with GCLR, nodes on the four JTAG pins' macrocells; MC16 borrowing from
// MC15..MC13, MC64 from MC63..MC58 and, in the moved ATF1504AS multiplexer,
// MC128 from MC127..MC125, no chain leaving its group of eight; and in
// tqfp100-options slew, open drain, low power, latch, toggle, the fast-input
// register on its pad's own MC5, GCLK3 from MC128's pin, bus keeper (74083 =
// 0), PD2 (74085 = 0), GCLR and GCLK1 inverted (74092 = 0, 74093 = 1),
// transition detection on, TMS and TDI high-Z, small hysteresis, read
// protection (74114 = 0, G1) and the signature 0x1508 in 74118..74133.
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace gsmith::testing {
namespace {

const std::filesystem::path kGolden = ATF1508_GOLDEN_DIR;
const std::filesystem::path kSourceDir = GSMITH_SOURCE_DIR;

std::string readText(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string replaced(std::string text, const std::string &from, const std::string &to) {
  const std::size_t at = text.find(from);
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The source with its DEVICE line naming the other variant.
std::string otherVariant(const std::string &source) {
  return source.find("ATF1508ASV\n") != std::string::npos
             ? replaced(source, "ATF1508ASV\n", "ATF1508AS\n")
             : replaced(source, "ATF1508AS\n", "ATF1508ASV\n");
}

// Both names of the chip write the same file.
TEST(ATF1508Designs, CompileToTheCheckedFiles) {
  for (const char *design : {"plcc84-every-macrocell", "plcc84-cascade", "tqfp100-options",
                             "pqfp100-counter", "pqfp160-wide"}) {
    const std::string source = readText(kGolden / (std::string(design) + ".pld"));
    for (const std::string &variant : {source, otherVariant(source)}) {
      SCOPED_TRACE(design);
      TempDir dir;
      const RunResult result = compileSource(dir, variant);
      ASSERT_EQ(result.exitCode, 0) << result.err;
      EXPECT_TRUE(dir.read("design.jed") == readText(kGolden / (std::string(design) + ".jed")));
    }
  }
}

// The PLCC84s of both chips bond the same I/O, JTAG, clock, clear and OE1
// pins (only PD1 and PD2 differ), so an ATF1504AS design that uses neither a
// global OE nor power-down compiles with its DEVICE line changed.
TEST(ATF1508Designs, ATF1504ASDesignsMoveWithTheirDeviceLine) {
  struct Case {
    const char *path;
    const char *golden; // the decoded read-back matched the source
    const char *error;
  };
  const Case cases[] = {
      {"examples/atf1504-plcc84-mux16.pld", "atf1504-plcc84-mux16-as-atf1508as.jed", ""},
      {"bench/designs/atf1504-all-macrocells.pld", "", ""},
      {"examples/atf1504-plcc84-shifter.pld", "", "global output enables are not supported yet"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.path);
    TempDir dir;
    const std::string source = readText(kSourceDir / c.path);
    const RunResult result =
        compileSource(dir, replaced(source, "DEVICE ATF1504AS\n", "DEVICE ATF1508AS\n"));
    EXPECT_NE(result.out.find("Device: ATF1508AS\n"), std::string::npos) << result.out;
    EXPECT_EQ(result.exitCode, *c.error ? 1 : 0) << result.err;
    EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    if (*c.golden) {
      EXPECT_TRUE(dir.read("design.jed") == readText(kGolden / c.golden));
    }
  }
}

TEST(ATF1508Designs, RefusalsWriteNothing) {
  const std::string pins = "DEVICE ATF1508AS\nPIN 4 a INPUT\nPIN 5 y OUTPUT\ny = a;\n";
  const std::string goe = "ATF1508AS global output enables are not supported yet: use OE PRODUCT";
  const std::string sixTerms = "PIN 84 a INPUT\nPIN 2 b INPUT\nPIN 1 c INPUT\nPIN 83 d INPUT\n"
                               "z = a&b&c&d | !a&!b&c&d | a&!b&!c&d | !a&b&!c&d | a&b&!c&!d | "
                               "!a&!b&!c&!d;\n";
  const std::pair<std::string, std::string> cases[] = {
      {"DEVICE ATF1508AS\nPIN 84 e INPUT GOE1\nPIN 4 a INPUT\nPIN 5 y OUTPUT OE OE1\ny = a;\n",
       goe},
      {"DEVICE ATF1508ASV\nPIN 2 e INPUT GOE2\nPIN 4 a INPUT\nPIN 5 y OUTPUT OE OE2\ny = a;\n",
       goe},
      {"DEVICE ATF1508AS\nPIN 4 a INPUT\nPIN 5 y OUTPUT OE GOE6\ny = a;\n", goe},
      {pins + "CONFIG GOE3 SOURCE a\nCONFIG y GLOBAL_OE GOE3\n", goe},
      {pins + "CONFIG GOE1 INVERT ON\n", goe},
      {pins + "CONFIG y GLOBAL_OE GOE2\n", goe},
      {"DEVICE ATF1508AS\nPACKAGE PLCC44\n",
       "ATF1508AS/ASV PACKAGE must be PLCC84, TQFP100, PQFP100 or PQFP160"},
      {"DEVICE ATF1508AS\nPIN 14 a INPUT\n", "Pin 14 is reserved for the ATF1508AS JTAG interface"},
      {"DEVICE ATF1508AS\nPACKAGE PQFP160\nPIN 1 a INPUT\n", "Pin 1 is not a usable signal pin"},
      {"DEVICE ATF1508AS\nPOWER_DOWN PD1\nPIN 12 a INPUT\n", "Pin 12 cannot be assigned"},
      // MC17 starts LAB B: its chain has nothing below it to borrow from.
      {"DEVICE ATF1508AS\nPIN 22 z OUTPUT\n" + sixTerms,
       "Output 'z' needs 6 ordinary product terms, but only 5 are free in its ATF1508AS cascade "
       "chain"},
      // Only the pairing rule, never a vendor file, offers MC4's pad.
      {"DEVICE ATF1508AS\nPACKAGE PQFP160\nPIN 158 a INPUT\nPIN 160 y OUTPUT\ny = a;\n",
       "No free UIM in LAB A can select source 'M4_PAD' for signal 'a'"},
  };
  for (const auto &[source, message] : cases) {
    SCOPED_TRACE(source);
    TempDir dir;
    dir.write("design.jed", "older");
    const RunResult result = compileSource(dir, source);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.rfind("Compiler error: ", 0), 0u) << result.err;
    EXPECT_NE((result.err + result.out).find(message), std::string::npos) << result.err;
    EXPECT_EQ(dir.read("design.jed"), "older");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"design.jed", "design.pld"}));
  }
}

} // namespace
} // namespace gsmith::testing
