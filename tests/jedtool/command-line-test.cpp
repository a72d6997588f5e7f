// The command line as a user meets it: the help texts, info's report for
// each kind of device, and the erase file's default name.
#include "tests/jedtool/jedtool-test-support.h"

#include <gtest/gtest.h>

namespace gsmith::testing {
namespace {

TEST(JedCommandLine, HelpExplainsCommandsAndTheVariantChoice) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> phrases;
  };
  const std::vector<Case> cases = {
      {{"--help"},
       {"Usage: gsmith-jed COMMAND", "\n  svf ", "\n  info ", "\n  decode ", "\n  verify ",
        "2 usage error"}},
      {{"decode", "-h"}, {"Usage: gsmith-jed decode FILE.jed", "--source", "NOT EXPRESSIBLE"}},
      {{"verify", "--help"},
       {"Usage: gsmith-jed verify FILE.pld FILE.jed", "(compared by\nevaluation)"}},
      {{"svf", "--help"},
       {"cannot be told from a JEDEC file", "AS is\n", "assumed", "--protect-last", "--erase",
        "NAME-erase.svf"}},
      {{"info", "board.jed", "-h"}, {"Usage: gsmith-jed info FILE.jed", "0000 means not given"}},
  };
  for (const Case &c : cases) {
    TempDir dir;
    const RunResult result = runJed(dir.path(), c.args);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    for (const std::string &phrase : c.phrases)
      EXPECT_NE(result.out.find(phrase), std::string::npos) << phrase << " in\n" << result.out;
  }
}

TEST(JedCommandLine, InfoReportsEveryDevice) {
  struct Case {
    std::string jedec; // a golden design's name, or the text of a hand-made file
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {jedecText("t*QF2194*F0*L2056 0100000101000010*G1*", "07DD"),
       {"device: GAL16V8B", "fuses: 2194", "transmission checksum: right (07DD)",
        "read protection: on (G1)", "JTAG pins: not applicable", "arming switch: not applicable",
        "user signature: 0x4142000000000000"}},
      {jedecText("t*QF2706*F0*L2568 01000001*"),
       {"device: GAL20V8B", "transmission checksum: not given (0000)",
        "read protection: off (no G field)", "user signature: 0x4100000000000000"}},
      {jedecText("t*QF5892*F0*L5828 1*L5891 1*G0*"),
       {"device: GAL22V10B", "read protection: off (G0)", "user signature: 0x8000000000000001"}},
      {"atf1502asv-signature",
       {"device: ATF1502AS or ATF1502ASV", "fuses: 16808", "fuse checksum: right (",
        "read protection: off (fuse 16782 = 1)", "JTAG pins: JTAG port (fuse 16783 = 1)",
        "arming switch: programmed (fuse 16750 = 0)", "user signature: 0x1234"}},
      {"atf1504as-signature", {"device: ATF1504AS or ATF1504ASV", "user signature: 0xA55A"}},
      {"atf1502as-protected", {"read protection: on (fuse 16782 = 0)"}},
      {jedecText("t*QF16808*F1*L16750 0*G1*"),
       {"read protection: off (fuse 16782 = 1; the G field says G1)"}},
      {jedecText("t*QF34192*F1*L34167 0*C0000*", "0001"),
       {"fuse checksum: wrong (file: 0000, fuses: ", "transmission checksum: wrong (file: 0001",
        "JTAG pins: user I/O, the JTAG port is off (fuse 34167 = 0)",
        "arming switch: not programmed, outputs stay disabled (fuse 34134 = 1)",
        "user signature: 0xFFFF"}},
  };
  for (const Case &c : cases) {
    TempDir dir;
    const bool golden = c.jedec.front() != '\x02';
    if (!golden)
      dir.write("board.jed", c.jedec);
    const std::string input = golden ? (kGoldenDir / (c.jedec + ".jed")).string() : "board.jed";
    const RunResult result = runJed(dir.path(), {"info", input});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("file: " + input + "\n", 0), 0u) << result.out;
    for (const std::string &line : c.lines)
      EXPECT_NE(result.out.find("\n" + line), std::string::npos) << line << " in\n" << result.out;
  }
}

TEST(JedCommandLine, EraseFileIsNamedAfterTheDevice) {
  TempDir dir;
  const RunResult result = runJed(dir.path(), {"svf", "--erase", "--device", "atf1504asv"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"ATF1504ASV-erase.svf"});
  EXPECT_NE(dir.read("ATF1504ASV-erase.svf").find("TDO (0151403f)"), std::string::npos);
}

} // namespace
} // namespace gsmith::testing
