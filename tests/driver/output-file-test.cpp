// The install protocol under failing file systems: every failure reports its
// back end's words, leaves no .tmp behind and leaves an older file untouched.
#include "io/output-file.h"
#include "target/registry.h"
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace gsmith {
namespace {

using testing::TempDir;

const InstallMessages &messagesOf(const char *device) {
  return TargetRegistry::find(device)->installMessages();
}

std::string failureOf(const std::filesystem::path &output, const InstallMessages &messages) {
  try {
    installOutputFile(output, "new text", messages);
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

TEST(OutputPath, ReplacesOnlyTheLastExtension) {
  EXPECT_EQ(outputPathFor("designs/adder.pld"), "designs/adder.jed");
  EXPECT_EQ(outputPathFor("adder"), "adder.jed");
  EXPECT_EQ(outputPathFor("a.b.pld"), "a.b.jed");
  EXPECT_EQ(outputPathFor("dir.d/adder"), "dir.d/adder.jed");
  EXPECT_EQ(outputPathFor("board.jed"), "board.jed");
}

TEST(InstallOutputFile, ReplacesAnOlderFileCompletely) {
  TempDir dir;
  dir.write("out.jed", "old text that is longer than the new one");
  installOutputFile(dir.file("out.jed"), "new text", messagesOf("GAL16V8B"));
  EXPECT_EQ(dir.read("out.jed"), "new text");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.jed"});
}

TEST(InstallOutputFile, MissingDirectoryFailsToCreateTheTemporaryFile) {
  TempDir dir;
  const auto output = dir.file("missing") / "out.jed";
  const std::string temporary = output.string() + ".tmp";
  EXPECT_EQ(failureOf(output, messagesOf("ATF1502AS")),
            "Unable to create temporary JEDEC file: " + temporary);
  EXPECT_EQ(failureOf(output, messagesOf("ATF1504AS")), "Unable to create temporary ATF1504 JEDEC");
  EXPECT_EQ(failureOf(output, messagesOf("GAL16V8B")),
            "Cannot create temporary file '" + temporary + "': No such file or directory");
  EXPECT_TRUE(dir.entries().empty());
}

TEST(InstallOutputFile, RenameOntoADirectoryFailsAndCleansUp) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("out.jed"));
  dir.write("out.jed/keep", "kept");
  const std::string message = failureOf(dir.file("out.jed"), messagesOf("ATF1504AS"));
  EXPECT_EQ(message.rfind("Unable to install ATF1504 JEDEC: ", 0), 0u) << message;
  EXPECT_EQ(failureOf(dir.file("out.jed"), messagesOf("ATF1502AS"))
                .rfind("Unable to install completed JEDEC file: ", 0),
            0u);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.jed"});
  EXPECT_EQ(dir.read("out.jed/keep"), "kept");
}

TEST(InstallOutputFile, FailedWriteKeepsTheOlderFile) {
  if (!std::filesystem::exists("/dev/full"))
    GTEST_SKIP() << "/dev/full is not available to simulate a full file system";
  TempDir dir;
  dir.write("out.jed", "old text");
  // The temporary path leads to a device that refuses every write.
  std::filesystem::create_symlink("/dev/full", dir.file("out.jed.tmp"));
  const std::string temporary = dir.file("out.jed.tmp").string();
  EXPECT_EQ(failureOf(dir.file("out.jed"), messagesOf("ATF1502AS")),
            "Unable to complete temporary JEDEC file: " + temporary);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.jed"});
  EXPECT_EQ(dir.read("out.jed"), "old text");

  std::filesystem::create_symlink("/dev/full", dir.file("out.jed.tmp"));
  EXPECT_EQ(failureOf(dir.file("out.jed"), messagesOf("ATF1504AS")),
            "Unable to complete temporary ATF1504 JEDEC");
  EXPECT_EQ(dir.read("out.jed"), "old text");
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.jed"});
}

} // namespace
} // namespace gsmith
