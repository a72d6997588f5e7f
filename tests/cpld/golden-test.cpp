// Golden JEDEC files: each design under golden/ compiled by the built binary
// must give its .jed byte for byte. Each file was checked once, fuse by fuse,
// with a decoder written for the purpose from the prjbureau database alone
// (not from gsmith's tables): every product-term row read back as the
// design's terms through the switch selections, and every macrocell option,
// global multiplexer and configuration fuse read back as the design asks.
//   atf1504-cascade-xor: a twelve-term sum on MC7 borrowing five terms from
//     MC6 and two from MC5 (cas_mux sum, outputs off); (a & b) ^ (c | d) as a
//     two-term sum plus the PT2 XOR term (xor_invert off); a toggle register
//     (xor_b_mux ff_qn); a buried node on MC1.
//   atf1504-controls: PT3 reset, PT4 clock enable and PT5 preset on one
//     register; GCLR; a register clocked by PT4 alone (pt4_func clk); an OE
//     term on PT5 beside an XOR split; OE1 outputs on GOE1 = E1_PAD, active
//     high; a latch; GCLK1 and GCLK2.
//   atf1504-config: TQFP100; a fast-input register (d_mux fast, dfast_mux
//     pad, output off); GOE3 selecting a node the fitter moved to MC3; slew,
//     open drain, low power; GCLK1 inverted; termination, TMS, hysteresis;
//     PD1 on; signature 0xA55A.
//   atf1502-features: a seven-term sum cascaded from MC5; buried nodes on
//     MC1 and MC2 (the JTAG macrocells 4, 9, 20 and 25 keep their fixed
//     configuration); OE1, OE2 and GOE6 outputs on GOE5 = E1_PAD, GOE2 =
//     C2_PAD and GOE6 = M23_PAD; PT3 reset and PT4 clock enable; an OE term;
//     signature 0x1234; PD2 on.
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace gsmith::testing {
namespace {

const std::filesystem::path kGolden = std::filesystem::path(GSMITH_SOURCE_DIR) / "tests/cpld/golden";

std::string readFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(CPLDGolden, EveryDesignCompilesToItsCheckedFuseFile) {
  for (const char *design :
       {"atf1504-cascade-xor", "atf1504-controls", "atf1504-config", "atf1502-features"}) {
    SCOPED_TRACE(design);
    TempDir dir;
    const RunResult result =
        compileSource(dir, readFile(kGolden / (std::string(design) + ".pld")));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(dir.read("design.jed") == readFile(kGolden / (std::string(design) + ".jed")));
  }
}

// The TQFP44 is the PLCC44 die with its pins renumbered: the same design on the
// same pads must give the same fuses, on both chips.
TEST(CPLDGolden, TQFP44AndPLCC44TwinsWriteTheSameFuses) {
  struct Twin {
    const char *device;
    const char *plcc44;
    const char *tqfp44;
  };
  const Twin twins[] = {
      {"ATF1502AS", "PIN 43 clk INPUT GCLK1 PIN 4 a INPUT PIN 5 b INPUT PIN 16 y OUTPUT "
                    "PIN 24 q OUTPUT REGISTERED GCLK1",
       "PIN 37 clk INPUT GCLK1 PIN 42 a INPUT PIN 43 b INPUT PIN 10 y OUTPUT "
       "PIN 18 q OUTPUT REGISTERED GCLK1"},
      {"ATF1504AS", "PIN 43 clk INPUT GCLK1 PIN 4 a INPUT PIN 5 b INPUT PIN 16 y OUTPUT "
                    "PIN 24 q OUTPUT REGISTERED GCLK1",
       "PIN 37 clk INPUT GCLK1 PIN 42 a INPUT PIN 43 b INPUT PIN 10 y OUTPUT "
       "PIN 18 q OUTPUT REGISTERED GCLK1"},
  };
  const std::string equations = " y = a & !b | !a & b; q = q ^ a;";
  for (const Twin &twin : twins) {
    SCOPED_TRACE(twin.device);
    TempDir plcc;
    TempDir tqfp;
    const std::string device = std::string("DEVICE ") + twin.device + " ";
    ASSERT_EQ(compileSource(plcc, device + "PACKAGE PLCC44 " + twin.plcc44 + equations).exitCode,
              0);
    ASSERT_EQ(compileSource(tqfp, device + "PACKAGE TQFP44 " + twin.tqfp44 + equations).exitCode,
              0);
    EXPECT_EQ(jedecFuses(plcc.read("design.jed")), jedecFuses(tqfp.read("design.jed")));
  }
}

} // namespace
} // namespace gsmith::testing
