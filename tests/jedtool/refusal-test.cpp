// Every refusal end to end through the built binary: a small hand-written
// .jed, the message, the exit status, and that no file appears and an older
// board.svf stays as it was. Then the accepted oddities, each with its note.
#include "tests/jedtool/jedtool-test-support.h"

#include <gtest/gtest.h>

#include <optional>

namespace gsmith::testing {
namespace {

// An ATF1502 map with the arming switch programmed and every other fuse 1.
const std::string kArmed = "t*QF16808*F1*L16750 0*";

TEST(Refusal, NothingIsWrittenAndOlderOutputStays) {
  struct Case {
    const char *label;
    std::optional<std::string> jedec; // board.jed; none when the file must be missing
    std::vector<std::string> args;
    std::string message;
    int exitCode = 1;
  };
  const std::vector<std::string> svf = {"svf", "board.jed"};
  const std::vector<Case> cases = {
      {"not JEDEC", "QF16808*F1*", svf, "board.jed: no STX (0x02)"},
      {"cut short", "\x02t*QF16808*F1*", svf, "board.jed: no ETX (0x03)"},
      {"no QF", jedecText("t*F1*"), svf, "no QF field gives the fuse count"},
      {"unknown QF", jedecText("t*QF1000*F1*"), svf, "QF1000 is the fuse count of no device"},
      {"fuse outside QF", jedecText(kArmed + "L16808 0*"), svf, "lies outside the 16808 fuses"},
      {"malformed L", jedecText(kArmed + "L16751 0x*"), svf, "'x' is not a fuse value"},
      {"fuse checksum", jedecText(kArmed + "C0000*"), svf,
       "the fuse checksum (C field) is 0000 but the fuses add up to"},
      {"transmission checksum", jedecText(kArmed, "1234"), svf,
       "the transmission checksum after ETX is 1234 but"},
      {"header and QF disagree", jedecText("ATF1504 PLCC44*QF16808*F1*L16750 0*"), svf,
       "the header names ATF1504 but QF16808 is the fuse count of the ATF1502"},
      {"GAL", jedecText("t*QF2194*F0*"), svf, "the GAL16V8B has no JTAG port"},
      {"device contradicts QF",
       jedecText(kArmed),
       {"svf", "board.jed", "--device", "ATF1504AS"},
       "--device ATF1504AS contradicts board.jed: its QF16808 is the fuse count of the ATF1502"},
      {"JTAG pins as I/O", jedecText(kArmed + "L16783 0*"), svf,
       "fuse 16783 = 0 turns the JTAG pins (TDI, TMS, TCK, TDO) into user I/O"},
      {"read protection", jedecText(kArmed + "L16782 0*"), svf,
       "fuse 16782 = 0 turns read protection on"},
      {"input as output",
       jedecText(kArmed),
       {"svf", "board.jed", "-o", "./board.jed"},
       "is the input file itself"},
      {"too large", std::string(5 << 20, '1'), svf, "board.jed: is larger than 4 MiB"},
      {"missing input", std::nullopt, svf, "board.jed: cannot be read: No such file"},
      {"no command", std::nullopt, {}, "gsmith-jed: no command given", 2},
      {"unknown command", std::nullopt, {"flash"}, "unknown command 'flash'", 2},
      {"unknown option",
       jedecText(kArmed),
       {"svf", "board.jed", "--fast"},
       "svf: unknown option '--fast'",
       2},
      {"unknown device",
       jedecText(kArmed),
       {"svf", "board.jed", "--device", "ATF1508AS"},
       "unknown device 'ATF1508AS' (known: ATF1502AS, ATF1502ASV, ATF1504AS, ATF1504ASV)",
       2},
      {"erase without device", std::nullopt, {"svf", "--erase"}, "--erase needs --device", 2},
      {"erase with a file",
       jedecText(kArmed),
       {"svf", "--erase", "board.jed"},
       "--erase takes no JEDEC file",
       2},
      {"two inputs",
       jedecText(kArmed),
       {"svf", "board.jed", "other.jed"},
       "more than one JEDEC file given",
       2},
      {"info option",
       jedecText(kArmed),
       {"info", "board.jed", "-o", "x"},
       "info: unknown option '-o'",
       2},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    if (c.jedec)
      dir.write("board.jed", *c.jedec);
    dir.write("board.svf", "older");
    const std::vector<std::string> before = dir.entries();
    const RunResult result = runJed(dir.path(), c.args);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(dir.read("board.svf"), "older");
    EXPECT_EQ(dir.entries(), before);
  }
}

TEST(Refusal, UnwritableOutputKeepsTheOlderFile) {
  TempDir dir;
  dir.write("board.jed", jedecText(kArmed));
  dir.write("board.svf", "older");
  std::filesystem::create_directory(dir.file("board.svf.tmp"));
  const RunResult result = runJed(dir.path(), {"svf", "board.jed"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("cannot create 'board.svf.tmp' to write the SVF into"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(dir.read("board.svf"), "older");
}

TEST(Refusal, AcceptedOdditiesAreSaid) {
  struct Case {
    std::string jedec;
    std::vector<std::string> options;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"t*QF16808*F1*", {}, "fuse 16750 = 1: the arming switch is left unprogrammed"},
      {kArmed, {}, "has no fuse checksum (C field)"},
      {kArmed + "G1*", {}, "says G1 but fuse 16782 = 1; the fuse decides"},
      {kArmed + "L16782 0*", {"--protect-last"}, "warning: read protection is programmed after"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.message);
    TempDir dir;
    // A control character in the name must not reach the SVF as a line break.
    dir.write("bo\nard.jed", jedecText(c.jedec));
    std::vector<std::string> args = {"svf", "bo\nard.jed"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const RunResult result = runJed(dir.path(), args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(dir.read("bo\nard.svf")
                  .rfind("//  SVF file written by gsmith-jed\r\n"
                         "//  Program and verify ATF1502AS from bo?ard.jed\r\n",
                         0),
              0u);
  }
}

} // namespace
} // namespace gsmith::testing
