// Designs written the way their authors write them (active-low selects as
// "x = !(...)", address ranges listed, no hand minimisation) that the chips
// can hold only with minimised or complemented sums: designs/*.pld, each
// listing the NOTE lines its log must hold. They compile only through the
// rescue, which runs after a refusal, so those lines prove both. The GAL
// fuse files are decoded again by jedutil; a CPLD file must equal, byte for
// byte, the one of the same design with its last equation replaced by the
// file's "BY HAND" line, the active-low form a user would write for the chip.
#include "tests/gal/jedutil-reader.h"
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace gsmith::testing {
namespace {

const std::filesystem::path kDesigns =
    std::filesystem::path(GSMITH_SOURCE_DIR) / "tests/rescue/designs";

std::string lines(const std::string &text, const std::string &prefix, size_t keep) {
  std::istringstream in(text);
  std::string found;
  for (std::string line; std::getline(in, line);)
    found += line.rfind(prefix, 0) == 0 ? line.substr(keep) + "\n" : "";
  return found;
}

TEST(NaturalDesigns, FitOnlyThroughTheRescueAndKeepTheirFunction) {
  for (const auto &entry : std::filesystem::directory_iterator(kDesigns)) {
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream in(entry.path());
    const std::string source((std::istreambuf_iterator<char>(in)), {});
    TempDir dir, handDir;
    const RunResult result = compileSource(dir, source);
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(lines(result.out, "NOTE: ", 0), lines(source, "// NOTE: ", 3));
    const std::string byHand = lines(source, "// BY HAND: ", 12);
    if (!byHand.empty()) {
      const std::string rest = source.substr(0, source.rfind('\n', source.size() - 2) + 1);
      ASSERT_EQ(compileSource(handDir, rest + byHand).exitCode, 0);
      EXPECT_EQ(dir.read("design.jed"), handDir.read("design.jed"));
    } else if (jedutilInstalled()) {
      EXPECT_TRUE(decodesAsSource(dir.file("design.jed"), source));
    }
  }
}

} // namespace
} // namespace gsmith::testing
