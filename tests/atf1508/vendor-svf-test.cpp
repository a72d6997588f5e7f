// gsmith-jed against the vendor's own ATF1508 programming files: the two SVF
// files ATMISP wrote for two vendor JEDEC files (section 11's word layout,
// order and IDCODE), statement by statement. The erase files of both variants
// are compared with the other chips' in tests/jedtool. The vendor folder is
// third-party data kept outside the repository; without it these tests skip.
#include "tests/jedtool/vendor-svf-compare.h"

#include <gtest/gtest.h>

namespace gsmith::testing {
namespace {

const std::filesystem::path kATF1508Vendor = ATF1508_VENDOR_DIR;

TEST(ATF1508VendorSvf, ProgramFilesMatchStatementByStatement) {
  if (!std::filesystem::is_directory(kATF1508Vendor))
    GTEST_SKIP() << "no ATF1508 vendor files at " << kATF1508Vendor;
  for (const char *design : {"a1200_pld_ram", "a500ide"}) {
    SCOPED_TRACE(design);
    expectSameAsVendor(kATF1508Vendor / (std::string(design) + ".svf"),
                       {"svf", (kATF1508Vendor / (std::string(design) + ".jed")).string()});
  }
}

// The vendor's fitter run with the JTAG port off: info says so, svf refuses.
TEST(ATF1508VendorSvf, AMapWithoutTheJTAGPortIsDescribedButNotPlayed) {
  if (!std::filesystem::is_directory(kATF1508Vendor))
    GTEST_SKIP() << "no ATF1508 vendor files at " << kATF1508Vendor;
  TempDir dir;
  const std::string jedec = (kATF1508Vendor / "shiftreg.jed").string();
  const RunResult info = runJed(dir.path(), {"info", jedec});
  EXPECT_EQ(info.exitCode, 0) << info.err;
  EXPECT_NE(info.out.find("device: ATF1508AS or ATF1508ASV"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("JTAG pins: user I/O, the JTAG port is off (fuse 74115 = 0)"),
            std::string::npos);
  const RunResult svf = runJed(dir.path(), {"svf", jedec, "-o", "out.svf"});
  EXPECT_EQ(svf.exitCode, 1);
  EXPECT_FALSE(dir.exists("out.svf"));
}

} // namespace
} // namespace gsmith::testing
