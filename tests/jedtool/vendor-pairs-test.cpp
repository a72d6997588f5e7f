// The independent check: the vendor's own SVF files. For every (JEDEC, SVF)
// pair and every ATF1502/ATF1504/ATF1508 erase file in the shared folder, gsmith-jed
// must write the same statements in the same order, and below the header
// comments the same bytes. The folder is third-party data kept outside the
// repository; without it these tests skip.
#include "tests/jedtool/vendor-svf-compare.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gsmith::testing {
namespace {

std::vector<std::filesystem::path> filesIn(const std::filesystem::path &dir,
                                           const std::string &extension) {
  std::vector<std::filesystem::path> files;
  for (const auto &entry : std::filesystem::directory_iterator(dir))
    if (entry.path().extension() == extension)
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(VendorPairs, ProgramFilesMatchStatementByStatement) {
  if (!std::filesystem::is_directory(kVendorDir / "pairs"))
    GTEST_SKIP() << "no vendor reference pairs at " << kVendorDir / "pairs";
  const auto jedecFiles = filesIn(kVendorDir / "pairs", ".jed");
  EXPECT_GE(jedecFiles.size(), 13u);
  for (const auto &jedec : jedecFiles) {
    SCOPED_TRACE(jedec.filename().string());
    // Every program pair is an AS (or ASL) part, the default variant.
    expectSameAsVendor(std::filesystem::path(jedec).replace_extension(".svf"), {"svf", jedec});
  }
}

TEST(VendorPairs, EraseFilesMatchStatementByStatement) {
  if (!std::filesystem::is_directory(kVendorDir / "pairs" / "erase"))
    GTEST_SKIP() << "no vendor erase files at " << kVendorDir / "pairs" / "erase";
  std::size_t compared = 0;
  for (const auto &svf : filesIn(kVendorDir / "pairs" / "erase", ".svf")) {
    // The names say the part: "1502AS", "1504ASV", "1508AS", "atf1502as",
    // "1502ASL" (an AS part with the AS IDCODE).
    std::string name = svf.filename().string();
    std::transform(name.begin(), name.end(), name.begin(), ::toupper);
    const std::size_t at = name.find("150");
    if (at == std::string::npos)
      continue;
    const bool lowVoltage = name.compare(at + 4, 3, "ASV") == 0;
    SCOPED_TRACE(svf.filename().string());
    expectSameAsVendor(svf, {"svf", "--erase", "--device",
                             "ATF" + name.substr(at, 4) + (lowVoltage ? "ASV" : "AS")});
    ++compared;
  }
  EXPECT_GE(compared, 10u);
}

} // namespace
} // namespace gsmith::testing
