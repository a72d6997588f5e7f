// CONFIG through the built compiler: refusals reach the user as compiler
// errors without a .jed, the notes appear in the progress log, and
// STANDBY_WAKEUP never read-protects. Where each option lands in the fuse map
// is checked against the fuse database in tests/cpld.
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gsmith {
namespace {

using testing::compileSource;
using testing::RunResult;
using testing::TempDir;

bool hasLine(const std::string &text, const std::string &line) {
  return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

// Registered output q and combinational output y over inputs a and b, on the
// default package of each device.
std::string design1502(const std::string &config) {
  return "DEVICE ATF1502AS\nPIN 43 clk INPUT GCLK1\nPIN 4 a INPUT\nPIN 5 b INPUT\n"
         "PIN 18 s INPUT\nPIN 6 q OUTPUT REGISTERED GCLK1\nPIN 8 y OUTPUT\n"
         "q = a & b;\ny = a | b;\n" +
         config;
}

std::string design1504(const std::string &config) {
  return "DEVICE ATF1504AS\nPIN 83 clk INPUT GCLK1\nPIN 4 a INPUT\nPIN 5 b INPUT\n"
         "PIN 73 s INPUT\nPIN 6 q OUTPUT REGISTERED GCLK1\nPIN 8 y OUTPUT\n"
         "q = a & b;\ny = a | b;\n" +
         config;
}

TEST(ConfigEndToEnd, RefusalsStopTheCompilation) {
  struct Refusal {
    std::string source;
    std::string message;
  };
  const Refusal cases[] = {
      {design1502("CONFIG q SLEW FAST\nCONFIG q SLEW SLOW\n"), "Duplicate CONFIG q SLEW"},
      {design1504("CONFIG a SLEW FAST\n"), "Macrocell CONFIG requires an OUTPUT or NODE: a"},
      {design1502("CONFIG GOE3 SOURCE a\nCONFIG y GLOBAL_OE GOE3\n"),
       "No GOE3 route from a (M1_PAD)"},
      {design1504("CONFIG GCLK2 INVERT ON\n"), "CONFIG requires a consumer of GCLK2"},
      {"DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 12 y OUTPUT\ny = a;\nCONFIG y SLEW FAST\n",
       "CONFIG is supported only for ATF1502AS/ASV and ATF1504AS/ASV"},
  };
  for (const Refusal &refusal : cases) {
    SCOPED_TRACE(refusal.message);
    TempDir dir;
    const RunResult result = compileSource(dir, refusal.source);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("Compiler error: " + refusal.message + "\n"), std::string::npos)
        << result.err;
    EXPECT_FALSE(dir.exists("design.jed"));
  }
}

TEST(ConfigEndToEnd, StandbyWakeupNeverReadProtects) {
  struct Case {
    std::string config;
    bool protectedPart;
  };
  const Case cases[] = {
      {"CONFIG DEVICE STANDBY_WAKEUP ON\n", false},
      {"CONFIG DEVICE READ_PROTECTION ON\nCONFIG DEVICE STANDBY_WAKEUP OFF\n", true},
      {"CONFIG DEVICE STANDBY_WAKEUP ON\nCONFIG DEVICE READ_PROTECTION OFF\n", false},
  };
  for (const Case &c : cases) {
    for (const std::string &source : {design1502(c.config), design1504(c.config)}) {
      SCOPED_TRACE(source);
      TempDir dir;
      const RunResult result = compileSource(dir, source);
      ASSERT_EQ(result.exitCode, 0) << result.err;
      const std::string jedec = dir.read("design.jed");
      EXPECT_EQ(hasLine(jedec, "G1*"), c.protectedPart);
      EXPECT_EQ(hasLine(jedec, "G0*"), !c.protectedPart);
      EXPECT_TRUE(hasLine(result.out, "NOTE: standby-wakeup power management operates only on "
                                      "low-power L variants; setting this bit does not qualify "
                                      "those variants."));
    }
  }
}

TEST(ConfigEndToEnd, NotesFollowTheResourceSummary) {
  TempDir dir;
  const RunResult result =
      compileSource(dir, design1504("CONFIG q LOW_POWER ON\nCONFIG y DRIVER OPEN_DRAIN\n"
                                    "CONFIG DEVICE READ_PROTECTION ON\n"));
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("  Outputs:       2\n"
                            "NOTE: low-power macrocell mode reduces speed; recheck timing.\n"
                            "NOTE: open-drain high means released; use an external pull-up.\n"
                            "WARNING: read protection requested; readback/verification may "
                            "require programmer-specific handling.\n"
                            "JEDEC generation... OK\n"),
            std::string::npos)
      << result.out;
}

} // namespace
} // namespace gsmith
