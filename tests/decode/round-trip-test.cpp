// Every bundled example and every golden CPLD design (which between them use
// every feature the CPLD encoder writes) through the round trip: compiled, decoded (named
// after pins and macrocells, and after the source with --source), the
// decoded source compiled again, and both new maps verified against the
// original source.
#include "tests/decode/decode-test-support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace gsmith::testing {
namespace {

std::vector<std::filesystem::path> designs() {
  std::vector<std::filesystem::path> found;
  const std::filesystem::path root(GSMITH_SOURCE_DIR);
  for (const auto &folder : {root / "examples", root / "tests/cpld/golden"})
    for (const auto &entry : std::filesystem::directory_iterator(folder))
      if (entry.path().extension() == ".pld")
        found.push_back(entry.path());
  return found;
}

TEST(RoundTrip, EveryExampleDecodesToASourceThatCompilesToAnEquivalentMap) {
  int examples = 0;
  for (const std::filesystem::path &design : designs()) {
    SCOPED_TRACE(design.filename().string());
    ++examples;
    TempDir dir;
    dir.write("design.pld", readText(design));
    ASSERT_EQ(runGsmith(dir.path(), {"design.pld"}).exitCode, 0);
    EXPECT_EQ(runJed(dir.path(), {"verify", "design.pld", "design.jed"}).exitCode, 0);
    for (const std::vector<std::string> &decode :
         {std::vector<std::string>{"decode", "design.jed"},
          std::vector<std::string>{"decode", "design.jed", "--source", "design.pld"}}) {
      const RunResult decoded = runJed(dir.path(), decode);
      ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
      EXPECT_EQ(decoded.out.find("NOT EXPRESSIBLE"), std::string::npos) << decoded.out;
      TempDir again;
      const RunResult recompiled = compileSource(again, decoded.out);
      ASSERT_EQ(recompiled.exitCode, 0) << recompiled.err << decoded.out;
      std::filesystem::copy_file(again.file("design.jed"), dir.file("again.jed"),
                                 std::filesystem::copy_options::overwrite_existing);
      const RunResult verify = runJed(dir.path(), {"verify", "design.pld", "again.jed"});
      EXPECT_EQ(verify.exitCode, 0) << verify.out << decoded.out;
    }
  }
  EXPECT_GE(examples, 15);
}

TEST(RoundTrip, SourceNamesAreKept) {
  TempDir dir;
  ASSERT_EQ(compileSource(dir, "DEVICE ATF1504AS\nPIN 83 clk INPUT GCLK1\nPIN 4 go INPUT\n"
                               "NODE state REGISTERED GCLK1\nPIN 16 led OUTPUT\n"
                               "state = state ^ go;\nled = !state;\n")
                .exitCode,
            0);
  const RunResult decoded = runJed(dir.path(), {"decode", "design.jed", "--source", "design.pld"});
  ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
  EXPECT_NE(decoded.out.find("NODE state REGISTERED GCLK1\n"), std::string::npos) << decoded.out;
  EXPECT_NE(decoded.out.find("led = !state;\n"), std::string::npos) << decoded.out;
  EXPECT_NE(decoded.out.find("PIN 83 clk INPUT GCLK1\n"), std::string::npos) << decoded.out;
}

} // namespace
} // namespace gsmith::testing
