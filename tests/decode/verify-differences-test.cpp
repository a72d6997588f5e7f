// verify against a source that differs from the compiled one in one feature:
// each difference of function, register, control, option or global setting is
// found and said, output by output. What a map programs is compared, not how
// the two sources are written.
#include "tests/decode/decode-test-support.h"

#include <gtest/gtest.h>

namespace gsmith::testing {
namespace {

const std::string k1504 = R"(DEVICE ATF1504AS
PIN 83 clk INPUT GCLK1
PIN 1 clr INPUT GCLR
PIN 84 oe INPUT GOE1
PIN 4 a INPUT
PIN 5 b INPUT
PIN 8 q OUTPUT REGISTERED GCLK1
PIN 9 y OUTPUT
PIN 10 z OUTPUT OE PRODUCT
q = a & b;
y = a | b;
z = a;
z.OE = b;
)";

// Registered NODEs that read each other: neither can be placed before the
// other, so verify searches for their macrocells.
const std::string kNodes = R"(DEVICE ATF1504AS
PIN 83 clk INPUT GCLK1
PIN 4 a INPUT
PIN 5 b INPUT
PIN 8 y OUTPUT
NODE n0 REGISTERED GCLK1
NODE n1 REGISTERED GCLK1
n0 = n1 & a | !n0 & b;
n1 = n0 & !a | n1 & b;
y = n0 & n1;
)";

const std::string k22 = R"(DEVICE GAL22V10B
PIN 1 clk INPUT GCLK1
PIN 2 a INPUT
PIN 3 b INPUT
PIN 14 q OUTPUT REGISTERED GCLK1
PIN 15 y OUTPUT
q = a & b;
y = a | b;
)";

const std::string k16 = R"(DEVICE GAL16V8B
PIN 2 a INPUT
PIN 3 b INPUT
PIN 14 y OUTPUT
PIN 15 z OUTPUT OE PRODUCT
y = a | b;
z = a;
z.OE = b;
)";

struct Case {
  const std::string &base;
  std::string find, replace; // the change that makes the source differ
  std::string difference;    // a line verify prints
};

TEST(VerifyDifferences, EachChangeOfTheSourceIsFoundAndSaid) {
  const Case cases[] = {
      {k1504, "y = a | b;", "y = a & !b;", "  y: value differs at"},
      {k1504, "y = a | b;", "!y = a | b;", "  y: "},
      {k1504, "z.OE = b;", "z.OE = !b;", "  z: "},
      {k1504, "PIN 9 y OUTPUT", "PIN 11 y OUTPUT", "  y: "},
      {k1504, "GCLK1\nPIN 9", "GCLK1 RESET GCLR\nPIN 9", "  q: "},
      {k1504, "GCLK1\nPIN 9", "GCLK1 RESET PRODUCT\nq.RESET = a;\nPIN 9", "  q: "},
      {k1504, "GCLK1\nPIN 9", "GCLK1 PRESET PRODUCT\nq.PRESET = a;\nPIN 9", "  q: "},
      {k1504, "GCLK1\nPIN 9", "GCLK1 CE PRODUCT\nq.CE = a;\nPIN 9", "  q: "},
      {k1504, "PIN 9 y OUTPUT", "PIN 9 y OUTPUT OE OE1", "  y: "},
      {k1504, "q = a & b;", "q = a & b;\nCONFIG q SLEW FAST",
       "  q: slew rate: expected FAST, found SLOW"},
      {k1504, "q = a & b;", "q = a & b;\nCONFIG q DRIVER OPEN_DRAIN",
       "  q: driver: expected OPEN_DRAIN, found PUSH_PULL"},
      {k1504, "q = a & b;", "q = a & b;\nCONFIG q LOW_POWER ON",
       "  q: low-power mode: expected yes, found no"},
      {k1504, "q = a & b;", "q = a & b;\nCONFIG q XOR TOGGLE",
       "  q: toggle register: expected yes, found no"},
      {k1504, "q = a & b;", "q = a & b;\nCONFIG q STORAGE LATCH",
       "  q: storage: expected a latch, found a D flip-flop"},
      {k1504, "q = a & b;", "q = a & b;\nPOWER_DOWN PD1", "  device: power-down pins differ"},
      {k1504, "q = a & b;", "q = a & b;\nCONFIG DEVICE READ_PROTECTION ON",
       "  device: CONFIG DEVICE READ_PROTECTION: expected ON, found OFF"},
      {k1504, "q = a & b;", "q = a & b;\nCONFIG GCLK1 INVERT ON",
       "  q: clock: expected GCLK1 (inverted), found GCLK1"},
      {k1504, "q = a & b;", "q = a & b;\nSIGNATURE = 5",
       "  device: signature: expected 5, found 0"},
      {kNodes, "n1 = n0 & !a", "n1 = n0 & a", "  n1: D input differs at"},
      {k1504, "y = a | b;", "y = a | b;\nNODE m\nm = a & !b;",
       "  m: no macrocell of the map implements it"},
      {k22, "y = a | b;", "y = a ^ b;", "  y: value differs at"},
      {k22, "PIN 14 q OUTPUT REGISTERED GCLK1", "PIN 14 q OUTPUT", "  q: "},
      {k22, "y = a | b;", "!y = a | b;", "  y: "},
      {k16, "z.OE = b;", "z.OE = a;", "  z: "},
      {k16, "PIN 14 y OUTPUT", "PIN 16 y OUTPUT", "  y: "},
      {k16, "y = a | b;", "!y = a | b;", "  y: "},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.replace);
    TempDir dir;
    dir.write("design.pld", c.base);
    ASSERT_EQ(runGsmith(dir.path(), {"design.pld"}).exitCode, 0);
    EXPECT_EQ(runJed(dir.path(), {"verify", "design.pld", "design.jed"}).exitCode, 0);
    std::string changed = c.base;
    changed.replace(changed.find(c.find), c.find.size(), c.replace);
    dir.write("changed.pld", changed);
    ASSERT_EQ(runGsmith(dir.path(), {"changed.pld"}).exitCode, 0) << changed;
    const RunResult verify = runJed(dir.path(), {"verify", "changed.pld", "design.jed"});
    EXPECT_EQ(verify.exitCode, 1);
    EXPECT_NE(verify.out.find("design.jed does not implement changed.pld:\n" + c.difference),
              std::string::npos)
        << verify.out << verify.err;
  }
}

} // namespace
} // namespace gsmith::testing
