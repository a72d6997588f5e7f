// The global fuses of compiled CPLD designs against what the chips do. Every
// expected value below was transcribed by hand from the prjbureau fuse
// database (reverse-engineered from the vendor fitter's output) and checked
// against vendor-written JEDEC files, never taken from gsmith's own tables:
// a wrong table row would otherwise be written and read back the same way.
//
// One deliberate difference from the database: it lists the ATF1502's GOE
// invert fuses mirrored (GOEn at 16760 - n). The vendor file
// oa500_8mb_eab3dc9.jed uses GOE6 for an active-high decode and its only
// invert fuse at 1 is 16759, so GOEn's invert fuse is 16753 + n.
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

namespace gsmith::testing {
namespace {

struct KnownFuse {
  const char *meaning;
  int fuse;
  bool value;
};

struct HardwareCase {
  const char *name;
  std::string source;
  std::vector<KnownFuse> fuses;
};

// A multiplexer selection as the database gives it: bit k of `value` is the
// value of fuse `first` + k.
std::vector<KnownFuse> mux(const char *meaning, int first, int width, unsigned value) {
  std::vector<KnownFuse> fuses;
  for (int k = 0; k < width; ++k)
    fuses.push_back({meaning, first + k, ((value >> k) & 1u) != 0});
  return fuses;
}

std::vector<KnownFuse> join(std::initializer_list<std::vector<KnownFuse>> parts) {
  std::vector<KnownFuse> all;
  for (const auto &part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

const HardwareCase kCases[] = {
    {"ATF1504AS",
     "DEVICE ATF1504AS\n"
     "PIN 83 clk INPUT GCLK1\nPIN 84 oe1 INPUT GOE1\nPIN 2 oe2 INPUT GOE2\n"
     "PIN 4 a INPUT\nPIN 10 s INPUT\n"
     "PIN 22 y1 OUTPUT OE OE1\nPIN 41 y2 OUTPUT OE OE2\nPIN 44 q OUTPUT REGISTERED GCLK1\n"
     "PIN 45 z OUTPUT\n"
     "CONFIG CLK1 INVERT ON\nCONFIG DEVICE STANDBY_WAKEUP OFF\n"
     "CONFIG GOE3 SOURCE s\nCONFIG GOE3 INVERT ON\nCONFIG z GLOBAL_OE GOE3\n"
     "y1 = a; y2 = !a; q = a; z = a;\n",
     join({
         {{"GOE1 invert off: OE1 drives while high", 34138, true},
          {"GOE2 invert off: OE2 drives while high", 34139, true},
          {"GOE3 invert on", 34140, false},
          {"GCLK1 invert on (CLK1 INVERT)", 34145, true},
          {"CLK1 standby wake-up off", 34154, true},
          {"CLK2 standby wake-up off", 34155, true},
          {"CLK3 standby wake-up off", 34156, true},
          {"arming switch armed", 34134, false},
          {"JTAG pins kept for JTAG", 34167, true},
          {"read protection off", 34166, true}},
         mux("GOE1 mux: E1_PAD", 34080, 9, 255),
         mux("GOE2 mux: C2_PAD", 34089, 9, 255),
         mux("GOE3 mux: M11_PAD", 34098, 9, 503),
         mux("GCLK1 mux: C1_PAD", 34146, 2, 3),
     })},
    {"ATF1502AS",
     "DEVICE ATF1502AS\n"
     "PIN 43 clk INPUT GCLK1\nPIN 2 clk2 INPUT GCLK2\nPIN 44 oe1 INPUT GOE1\n"
     "PIN 4 a INPUT\nPIN 17 s INPUT\n"
     "PIN 5 y OUTPUT OE OE1\nPIN 6 q OUTPUT REGISTERED GCLK2\nPIN 8 z OUTPUT\n"
     "CONFIG CLK2 INVERT ON\nCONFIG DEVICE STANDBY_WAKEUP ON\n"
     "CONFIG GOE1 SOURCE s\nCONFIG GOE1 INVERT ON\nCONFIG z GLOBAL_OE GOE1\n"
     "y = a; q = a; z = !a;\n",
     join({
         {{"GOE1 invert on", 16754, false},
          {"GOE5 invert off: OE1 drives while high", 16758, true},
          {"GCLK2 invert on (CLK2 INVERT)", 16764, true},
          {"CLK1 standby wake-up on", 16770, false},
          {"CLK2 standby wake-up on", 16771, false},
          {"CLK3 standby wake-up on", 16772, false},
          {"arming switch armed", 16750, false},
          {"JTAG pins kept for JTAG", 16783, true},
          {"read protection off", 16782, true}},
         mux("GOE1 mux: M12_PAD", 16745, 5, 29),
         mux("GOE5 mux: E1_PAD", 16725, 5, 15),
         mux("GCLK1 mux: C1_PAD", 16762, 2, 3),
         mux("GCLK2 mux: C2_PAD", 16765, 2, 1),
     })},
    {"ATF1502ASStandbyWakeupOff",
     "DEVICE ATF1502AS\nPIN 4 a INPUT\nPIN 5 y OUTPUT\n"
     "CONFIG DEVICE STANDBY_WAKEUP OFF\ny = a;\n",
     {{"CLK1 standby wake-up off", 16770, true},
      {"CLK2 standby wake-up off", 16771, true},
      {"CLK3 standby wake-up off", 16772, true},
      {"read protection off", 16782, true}}},
};

TEST(CPLDHardwareFuses, CompiledDesignsSetTheFusesTheChipsRead) {
  for (const HardwareCase &c : kCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const RunResult result = compileSource(dir, c.source);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<bool> fuses = jedecFuses(dir.read("design.jed"));
    for (const KnownFuse &known : c.fuses) {
      ASSERT_LT(static_cast<size_t>(known.fuse), fuses.size());
      EXPECT_EQ(fuses[known.fuse], known.value) << known.meaning << " (fuse " << known.fuse << ")";
    }
  }
}

// Both names of a clock's polarity program one fuse, so they cannot disagree.
TEST(CPLDHardwareFuses, ClockPolarityNamesMustAgree) {
  TempDir dir;
  const RunResult result = compileSource(
      dir, "DEVICE ATF1504AS\nPIN 83 clk INPUT GCLK1\nPIN 4 a INPUT\n"
           "PIN 44 q OUTPUT REGISTERED GCLK1\nCONFIG GCLK1 INVERT OFF\nCONFIG CLK1 INVERT ON\n"
           "q = a;\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Compiler error: CONFIG CLK1 INVERT conflicts with GCLK1 INVERT\n");
  EXPECT_FALSE(dir.exists("design.jed"));
}

} // namespace
} // namespace gsmith::testing
