// One error of each class (lexer, parser, semantic checks, synthesis limits,
// fits) and where it points, seen the three ways: "file:line:col: error:"
// lines on request, the source excerpt on a terminal, and the plain line
// that scripts read, unchanged, whenever neither is asked for.
#include "tests/diagnostics/terminal-run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gsmith::testing {
namespace {

const std::string kGal = "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 3 b INPUT\nPIN 12 y OUTPUT\n";
const std::string kAtf = "DEVICE ATF1502AS\nPIN 4 a INPUT\nPIN 5 b INPUT\n";

struct LocatedCase {
  const char *label;
  std::string source;
  std::string gccLine;
};

const std::vector<LocatedCase> kCases = {
    {"lexer", "DEVICE GAL16V8B\n  /* open", "board.pld:2:3: error: Unterminated block comment"},
    {"parser", kGal + "y = a $ b;\n", "board.pld:5:10: error: Expected '=' after output name"},
    {"parser at the end", "DEVICE GAL16V8B\nPIN 2 a   \n",
     "board.pld:2:8: error: Expected INPUT or OUTPUT after pin name"},
    {"undefined signal", kGal + "y = a & c;\n", "board.pld:5:9: error: Undefined signal 'c'"},
    {"pin table", kGal + "PIN 10 c INPUT\ny = a;\n",
     "board.pld:5:1: error: Pin 10 is a power pin and cannot be assigned to signal 'c'"},
    {"CRLF, lone CR and tab", "DEVICE GAL16V8B\r\nPIN 2 a INPUT\rPIN 12 y OUTPUT\r\n\ty = !d;\n",
     "board.pld:4:7: error: Undefined signal 'd'"},
    {"byte-order mark",
     "\xEF\xBB\xBF"
     "DEVICE GAL99",
     "board.pld:1:8: error: Unsupported device 'GAL99'"},
    {"CONFIG", kAtf + "PIN 6 y OUTPUT\ny = a;\nCONFIG y SLEW MEDIUM\n",
     "board.pld:6:1: error: Unsupported CONFIG y SLEW MEDIUM"},
    {"expansion budget",
     "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 3 b INPUT\nPIN 4 c INPUT\nPIN 5 d INPUT\nPIN 6 e INPUT\n"
     "PIN 7 f INPUT\nPIN 8 g INPUT\nPIN 9 h INPUT\nPIN 12 y OUTPUT\n"
     "  y = a ^ b ^ c ^ d ^ e ^ f ^ g ^ h;\n",
     "board.pld:11:3: error: GAL16V8B SOP expansion exceeds 4096 terms before simplification"},
    {"GAL fit", kGal + "PIN 4 c INPUT\nPIN 5 d INPUT\ny = a ^ b ^ c ^ d;\n",
     "board.pld:7:1: error: GAL16V8B cannot fit: output 'y' exceeds its 7 data terms"},
};

TEST(LocatedErrors, EveryClassInEveryStyle) {
  for (const LocatedCase &row : kCases) {
    SCOPED_TRACE(row.label);
    TempDir dir;
    dir.write("board.pld", row.source);
    const size_t split = row.gccLine.find(": error: ");
    const std::string place = row.gccLine.substr(0, split);
    const std::string plain = "Compiler error: " + row.gccLine.substr(split + 9) + "\n";

    const RunResult gcc = runGsmithWith("GSMITH_DIAGNOSTICS=gcc", dir.path(), {"board.pld"});
    EXPECT_EQ(gcc.exitCode, 1);
    EXPECT_EQ(gcc.err, row.gccLine + "\n");
    const RunResult terminal = runOnTerminal(dir.path(), "board.pld", nullptr);
    EXPECT_EQ(terminal.err.rfind(plain, 0), 0u) << terminal.err;
    EXPECT_NE(terminal.err.find("--> " + place + "\n"), std::string::npos) << terminal.err;
    const RunResult piped = runGsmith(dir.path(), {"board.pld"});
    EXPECT_EQ(piped.err, plain);
    // On a terminal "plain" and values gsmith does not know ask for the old form.
    for (const char *setting : {"plain", "GCC"}) {
      const RunResult shown = runOnTerminal(dir.path(), "board.pld", setting);
      EXPECT_EQ(shown.err, piped.err) << setting;
      EXPECT_EQ(shown.out, piped.out) << setting;
    }
  }
}

TEST(LocatedErrors, TerminalShowsTheLineWithACaret) {
  const struct {
    std::string source;
    std::string err;
  } rows[] = {
      {kGal + "y = a & c;\n", "Compiler error: Undefined signal 'c'\n"
                              "  --> board.pld:5:9\n"
                              "   |\n"
                              " 5 | y = a & c;\n"
                              "   |         ^\n"},
      {kGal + "\n\n\n\n\n\n\t/* \xC3\xA9\x1B */ y = !e;\n", "Compiler error: Undefined signal 'e'\n"
                                                            "   --> board.pld:11:17\n"
                                                            "    |\n"
                                                            " 11 | \t/* \xC3\xA9? */ y = !e;\n"
                                                            "    | \t              ^\n"},
      {"DEVICE GAL16V8B\nPIN 2 a", "Compiler error: Expected INPUT or OUTPUT after pin name\n"
                                   "  --> board.pld:2:8\n"
                                   "   |\n"
                                   " 2 | PIN 2 a\n"
                                   "   |        ^\n"},
  };
  for (const auto &row : rows) {
    TempDir dir;
    dir.write("board.pld", row.source);
    const RunResult result = runOnTerminal(dir.path(), "board.pld", nullptr);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, row.err);
  }
}

TEST(LocatedErrors, EveryFitFailurePointsAtItsOutput) {
  TempDir dir;
  dir.write("board.pld", kAtf + "PIN 6 y OUTPUT OE PRODUCT\nPIN 8 z OUTPUT OE PRODUCT\ny = a;\n"
                                "y.OE = a | b;\nz = b;\nz.OE = a ^ b;\n");
  const std::string reason = " OE expression requires 2 product terms; OE PRODUCT currently "
                             "supports exactly one\n";
  const std::string failed = "Fitting... FAILED\n";
  const RunResult terminal = runOnTerminal(dir.path(), "board.pld", nullptr);
  EXPECT_NE(terminal.out.find(failed + "Error: Output 'y'" + reason +
                              "  --> board.pld:6:1\n   |\n 6 | y = a;\n   | ^\n"
                              "Error: Output 'z'" +
                              reason + "  --> board.pld:8:1\n   |\n 8 | z = b;\n   | ^\n\n"),
            std::string::npos)
      << terminal.out;
  const RunResult gcc = runGsmithWith("GSMITH_DIAGNOSTICS=gcc", dir.path(), {"board.pld"});
  EXPECT_NE(gcc.out.find(failed + "board.pld:6:1: error: Output 'y'" + reason +
                         "board.pld:8:1: error: Output 'z'" + reason + "\n"),
            std::string::npos)
      << gcc.out;
  for (const RunResult *result : {&terminal, &gcc}) {
    EXPECT_EQ(result->exitCode, 1);
    EXPECT_EQ(result->err, "Compiler error: Fitting failed; no JEDEC was produced\n");
  }
}

} // namespace
} // namespace gsmith::testing
