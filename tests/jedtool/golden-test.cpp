// Golden SVFs for gsmith's own designs, byte for byte. The .jed inputs are
// stored beside them (compiled once by gsmith from examples/ or from the
// .pld files here), so that a change in the compiler cannot move these.
//
// Each golden file was checked once, by a separate script written from the
// format notes alone: 3239 statements (ATF1502) or 3299 (ATF1504) with CR LF
// lines; the IDCODE of the variant in the one TDO check (0150203f, 0151203f,
// 0150403f, 0151403f); every word recomputed from the JEDEC fuses with the
// region tables and found in the programmed and the verified data, in the
// seven-group order with 0x100 last; word 0x300 = the SIGNATURE with its bytes
// swapped (3412 for 0x1234, 5aa5 for 0xA55A; ffff and 0000 without one); and
// with the data masked, the same statements as a vendor file of that device.
// The read-protected map has word 0x200 = f in both passes and one more
// PROGRAM(0x200, 7) and STATE IDLE before the final exit from ISP mode.
#include "tests/jedtool/jedtool-test-support.h"

#include <gtest/gtest.h>

namespace gsmith::testing {
namespace {

TEST(GoldenSvf, GsmithDesignsGiveTheCheckedFiles) {
  struct Case {
    std::string design;
    std::vector<std::string> options;
  };
  const std::vector<Case> cases = {
      {"atf1502-plcc44-counter", {}},                                       // AS, no signature
      {"atf1502asv-signature", {"--device", "ATF1502ASV"}},                 // ASV, 0x1234
      {"atf1504as-signature", {"--device", "atf1504as"}},                   // AS, 0xA55A
      {"atf1504-plcc44-decoder", {"--device=ATF1504ASV"}},                  // ASV, no signature
      {"atf1502as-protected", {"--protect-last", "--device", "ATF1502AS"}}, // read protection
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.design);
    TempDir dir;
    std::vector<std::string> args = {"svf", (kGoldenDir / (c.design + ".jed")).string(), "-o",
                                     c.design + ".svf"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const RunResult result = runJed(dir.path(), args);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(dir.read(c.design + ".svf") == readFile(kGoldenDir / (c.design + ".svf")));
  }
}

} // namespace
} // namespace gsmith::testing
