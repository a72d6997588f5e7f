// Every refusal end to end through the built binary: a small hand-written
// .jed, the message, the exit status, and that no file appears and an older
// board.svf stays as it was. Then the accepted oddities, each with its note.
#include "tests/jedtool/jedtool-test-support.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

namespace gsmith::testing {
namespace {

// An ATF1502 map with the arming switch programmed and every other fuse 1.
const std::string kArmed = "t*QF16808*F1*L16750 0*";

TEST(Refusal, NothingIsWrittenAndOlderOutputStays) {
  struct Case {
    const char *label;
    std::optional<std::string> jedec; // board.jed; none when the file must be missing
    std::string message;
    std::string args = "svf board.jed"; // split at spaces
    int exitCode = 1;
  };
  const std::string armed = jedecText(kArmed);
  const std::vector<Case> cases = {
      {"not JEDEC", "QF16808*F1*", "board.jed: no STX (0x02)"},
      {"cut short", "\x02t*QF16808*F1*", "board.jed: no ETX (0x03)"},
      {"no QF", jedecText("t*F1*"), "no QF field gives the fuse count"},
      {"unknown QF", jedecText("t*QF1000*F1*"), "QF1000 is the fuse count of no device"},
      {"fuse outside QF", jedecText(kArmed + "L16808 0*"), "lies outside the 16808 fuses"},
      {"malformed L", jedecText(kArmed + "L16751 0x*"), "'x' is not a fuse value"},
      {"fuse checksum", jedecText(kArmed + "C0000*"),
       "the fuse checksum (C field) is 0000 but the fuses add up to"},
      {"transmission checksum", jedecText(kArmed, "1234"),
       "the transmission checksum after ETX is 1234 but"},
      {"header and QF disagree", jedecText("ATF1504 PLCC44*QF16808*F1*L16750 0*"),
       "the header names ATF1504 but QF16808 is the fuse count of the ATF1502"},
      {"GAL", jedecText("t*QF2194*F0*"), "the GAL16V8B has no JTAG port"},
      {"device contradicts QF", armed,
       "--device ATF1504AS contradicts board.jed: its QF16808 is the fuse count of the ATF1502",
       "svf board.jed --device ATF1504AS"},
      {"JTAG pins as I/O", jedecText(kArmed + "L16783 0*"),
       "fuse 16783 = 0 turns the JTAG pins (TDI, TMS, TCK, TDO) into user I/O"},
      {"read protection", jedecText(kArmed + "L16782 0*"),
       "fuse 16782 = 0 turns read protection on"},
      {"input as output", armed, "is the input file itself", "svf board.jed -o ./board.jed"},
      {"too large", std::string(5 << 20, '1'), "board.jed: is larger than 4 MiB"},
      {"missing input", std::nullopt, "board.jed: cannot be read: No such file"},
      {"info on a non-JEDEC file", "QF16808*F1*", "board.jed: no STX (0x02)", "info board.jed"},
      {"no command", std::nullopt, "gsmith-jed: no command given", "", 2},
      {"unknown command", std::nullopt, "unknown command 'flash'", "flash", 2},
      {"unknown option", armed, "svf: unknown option '--fast'", "svf board.jed --fast", 2},
      {"unknown device", armed,
       "unknown device 'ATF1516AS' (known: ATF1502AS, ATF1502ASV, ATF1504AS, ATF1504ASV, "
       "ATF1508AS, ATF1508ASV)",
       "svf board.jed --device ATF1516AS", 2},
      {"erase without device", std::nullopt, "--erase needs --device", "svf --erase", 2},
      {"erase with a file", armed, "--erase takes no JEDEC file", "svf --erase board.jed", 2},
      {"two inputs", armed, "more than one JEDEC file given", "svf board.jed other.jed", 2},
      {"info option", armed, "info: unknown option '-o'", "info board.jed -o x", 2},
      {"option without its value", armed, "--device needs a value", "svf board.jed --device", 2},
      {"flag with a value", armed, "--protect-last takes no value",
       "svf board.jed --protect-last=1", 2},
      {"option twice", armed, "--device given twice",
       "svf board.jed --device ATF1502AS --device ATF1502AS", 2},
      {"erase and protect", std::nullopt, "--protect-last does not apply to --erase",
       "svf --erase --device ATF1502AS --protect-last", 2},
      {"svf without a file", std::nullopt, "svf needs a JEDEC file", "svf", 2},
      {"info without a file", std::nullopt, "info needs a JEDEC file", "info", 2},
      {"option for a command", std::nullopt, "unknown option '--fast'", "--fast", 2},
      {"verify option", armed, "verify: unknown option '--fast'", "verify a.pld board.jed --fast",
       2},
      {"verify without files", std::nullopt, "verify needs a source file and a JEDEC file",
       "verify", 2},
      {"decode without a file", std::nullopt, "decode needs a JEDEC file", "decode", 2},
      {"directory as input", std::nullopt, ".: is a directory, not a JEDEC file", "info ."},
      {"missing source", armed, "nosuch.pld: cannot be read",
       "decode board.jed --source nosuch.pld"},
      {"source that fails", armed, "board.svf: Expected '=' after output name",
       "verify board.svf board.jed"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    if (c.jedec)
      dir.write("board.jed", *c.jedec);
    dir.write("board.svf", "older");
    const std::vector<std::string> before = dir.entries();
    std::vector<std::string> args;
    std::istringstream words(c.args);
    for (std::string word; words >> word;)
      args.push_back(word);
    const RunResult result = runJed(dir.path(), args);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(dir.read("board.svf"), "older");
    EXPECT_EQ(dir.entries(), before);
  }
}

// Something already at the temporary path: a directory makes the protocol
// fail; a link to the input would truncate the input, so it is refused.
TEST(Refusal, TemporaryPathInTheWay) {
  struct Case {
    void (*block)(const TempDir &dir);
    std::string message;
  };
  const std::vector<Case> cases = {
      {[](const TempDir &dir) { std::filesystem::create_directory(dir.file("board.svf.tmp")); },
       "cannot create 'board.svf.tmp' to write the SVF into"},
      {[](const TempDir &dir) {
         std::filesystem::create_symlink("board.jed", dir.file("board.svf.tmp"));
       },
       "is written through 'board.svf.tmp', which is the input file itself"},
  };
  for (const Case &c : cases) {
    TempDir dir;
    dir.write("board.jed", jedecText(kArmed));
    dir.write("board.svf", "older");
    c.block(dir);
    const RunResult result = runJed(dir.path(), {"svf", "board.jed"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    EXPECT_EQ(dir.read("board.svf"), "older");
    EXPECT_EQ(dir.read("board.jed"), jedecText(kArmed));
  }
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
