// `gsmith-jed decode` on the vendor files, checked against what their
// sources' record (../shared/svf/pairs/SOURCES.md) says of them, and the
// refusals of decode and verify.
#include "tests/jedtool/jedtool-test-support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace gsmith::testing {
namespace {

TEST(Decode, EveryVendorFileReadsBackAsTheSourcesRecordSays) {
  const std::filesystem::path pairs = kVendorDir / "pairs";
  if (!std::filesystem::is_directory(pairs))
    GTEST_SKIP() << "no vendor files at " << pairs;
  int atf1502 = 0;
  int atf1504 = 0;
  for (const auto &entry : std::filesystem::directory_iterator(pairs)) {
    if (entry.path().extension() != ".jed")
      continue;
    const std::string name = entry.path().stem().string();
    SCOPED_TRACE(name);
    TempDir dir;
    const RunResult decoded = runJed(dir.path(), {"decode", entry.path().string()});
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err;
    EXPECT_EQ(decoded.err, "");
    const std::string &text = decoded.out;
    // The device by QF: 7 ATF1502 and 6 ATF1504 files.
    atf1502 += text.find("\nDEVICE ATF1502AS\n") != std::string::npos;
    atf1504 += text.find("\nDEVICE ATF1504AS\n") != std::string::npos;
    // Every file keeps the JTAG port and has no read protection.
    EXPECT_EQ(text.find("JTAG port is off"), std::string::npos);
    EXPECT_EQ(text.find("READ_PROTECTION"), std::string::npos);
    // Only the rexbrd files carry a user signature (word 0x300 = 3000).
    const bool signed_ = name.starts_with("rexbrd");
    EXPECT_EQ(text.find("SIGNATURE = 48\n") != std::string::npos, signed_);
    // The package the header names (the ATF1502's PLCC44 is its default).
    const char *package = name.starts_with("rexbrd") || name.starts_with("snes") ? "TQFP44"
                          : name.starts_with("ggf")                              ? "PLCC44"
                                                                                 : nullptr;
    if (package)
      EXPECT_NE(text.find(std::string("\nPACKAGE ") + package + "\n"), std::string::npos);
    else
      EXPECT_EQ(text.find("\nPACKAGE "), std::string::npos);
    // Something drives a pin, and nothing it reads is left unnamed.
    EXPECT_NE(text.find(" OUTPUT"), std::string::npos);
    EXPECT_EQ(text.find("_PAD"), std::string::npos);
  }
  EXPECT_EQ(atf1502, 7);
  EXPECT_EQ(atf1504, 6);
}

TEST(Decode, RefusalsWriteNothingAndSayWhy) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string message;
  };
  const std::string cpld = (kGoldenDir / "atf1504-plcc44-decoder.jed").string();
  const std::vector<Case> cases = {
      {{"decode"}, 2, "gsmith-jed: decode needs a JEDEC file\n"},
      {{"decode", cpld, "--colour"}, 2, "gsmith-jed: decode: unknown option '--colour'\n"},
      {{"verify", "design.pld"}, 2, "gsmith-jed: verify needs a source file and a JEDEC file\n"},
      {{"decode", cpld, "--device", "GAL16V8B"},
       1,
       "gsmith-jed: error: " + cpld +
           ": --device GAL16V8B has 2194 fuses, but the file has QF34192\n"},
      {{"decode", cpld, "--device", "ATF9999"}, 1, "gsmith-jed: error: unknown device 'ATF9999'\n"},
      {{"decode", "missing.jed"}, 1, "gsmith-jed: error: missing.jed: cannot be read: "},
      {{"verify", "design.pld", cpld},
       1,
       "gsmith-jed: error: " + cpld +
           ": the source is for the GAL16V8B (QF2194), but the file "
           "has QF34192\n"},
      {{"verify", "broken.pld", cpld}, 1, "gsmith-jed: error: broken.pld: "},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    TempDir dir;
    dir.write("design.pld", "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 19 y OUTPUT\ny = a;\n");
    dir.write("broken.pld", "DEVICE GAL16V8B\nPIN 2 a INPUT\ny = a;\n");
    const RunResult result = runJed(dir.path(), c.args);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind(c.message, 0), 0u) << result.err;
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"broken.pld", "design.pld"}));
  }
}

} // namespace
} // namespace gsmith::testing
