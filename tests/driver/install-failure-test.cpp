// The output protocol end to end, per back end: a temporary file that cannot
// be created, a write that fails, a flush to disk that fails, a rename that
// fails. Each reports its back end's words, leaves no .tmp behind and leaves
// an older .jed untouched.
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace gsmith::testing {
namespace {

struct BackEnd {
  const char *label;
  std::string source;
  // Expected error line for each failure, given the temporary path.
  std::string createFailure;
  std::string writeFailure;
  std::string flushFailure;
  std::string renamePrefix;
};

const std::vector<BackEnd> &backEnds() {
  static const std::vector<BackEnd> kBackEnds = {
      {"GAL16V8B", "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 12 y OUTPUT\ny = !a;\n",
       "Cannot create temporary file 'board.jed.tmp': Is a directory",
       "Cannot write temporary file 'board.jed.tmp': No space left on device",
       "Cannot write temporary file 'board.jed.tmp': Invalid argument",
       "Cannot rename 'board.jed.tmp' onto the output file: "},
      {"ATF1502AS", "DEVICE ATF1502AS\nPIN 4 a INPUT\nPIN 5 y OUTPUT\ny = !a;\n",
       "Unable to create temporary JEDEC file: board.jed.tmp",
       "Unable to complete temporary JEDEC file: board.jed.tmp",
       "Unable to complete temporary JEDEC file: board.jed.tmp",
       "Unable to install completed JEDEC file: "},
      {"ATF1504AS", "DEVICE ATF1504AS\nPIN 21 a INPUT\nPIN 22 y OUTPUT\ny = !a;\n",
       "Unable to create temporary ATF1504 JEDEC", "Unable to complete temporary ATF1504 JEDEC",
       "Unable to complete temporary ATF1504 JEDEC", "Unable to install ATF1504 JEDEC: "},
  };
  return kBackEnds;
}

// The compiler's one error line. A coverage build run as another user adds
// "profiling:" lines of its own when it cannot write its counters; they are
// not the compiler's output.
std::string errorLine(const RunResult &result) {
  const std::string prefix = "Compiler error: ";
  std::string err;
  std::istringstream lines(result.err);
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("profiling:", 0) != 0)
      err += line + "\n";
  if (err.rfind(prefix, 0) != 0 || err.find('\n') != err.size() - 1)
    return "unexpected standard error: " + result.err;
  return err.substr(prefix.size(), err.size() - prefix.size() - 1);
}

TEST(InstallFailure, TemporaryFileCannotBeCreated) {
  for (const BackEnd &backEnd : backEnds()) {
    SCOPED_TRACE(backEnd.label);
    TempDir dir;
    dir.write("board.jed", "older");
    std::filesystem::create_directory(dir.file("board.jed.tmp"));
    RunResult result = compileSource(dir, backEnd.source, "board.pld");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(errorLine(result), backEnd.createFailure);
    EXPECT_EQ(dir.read("board.jed"), "older");
    EXPECT_EQ(result.out.find("JEDEC written"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("board.jed.tmp")));
  }
}

// The temporary path is a link to `device`, which fails the protocol after
// the file has been opened.
void expectFailureThroughLink(const char *device, std::string BackEnd::*expected) {
  for (const BackEnd &backEnd : backEnds()) {
    SCOPED_TRACE(backEnd.label);
    TempDir dir;
    dir.write("board.jed", "older");
    std::filesystem::create_symlink(device, dir.file("board.jed.tmp"));
    RunResult result = compileSource(dir, backEnd.source, "board.pld");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(errorLine(result), backEnd.*expected);
    EXPECT_EQ(dir.read("board.jed"), "older");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"board.jed", "board.pld"}));
  }
}

TEST(InstallFailure, WriteFailsOnAFullDevice) {
  if (!std::filesystem::exists("/dev/full"))
    GTEST_SKIP() << "/dev/full is not available to simulate a full file system";
  expectFailureThroughLink("/dev/full", &BackEnd::writeFailure);
}

TEST(InstallFailure, FlushToDiskFails) {
  // Writing to /dev/null succeeds, but it cannot be flushed to a disk.
  expectFailureThroughLink("/dev/null", &BackEnd::flushFailure);
}

TEST(InstallFailure, RenameOntoADirectoryFails) {
  for (const BackEnd &backEnd : backEnds()) {
    SCOPED_TRACE(backEnd.label);
    TempDir dir;
    std::filesystem::create_directory(dir.file("board.jed"));
    dir.write("board.jed/older", "older");
    RunResult result = compileSource(dir, backEnd.source, "board.pld");
    EXPECT_EQ(result.exitCode, 1);
    const std::string line = errorLine(result);
    EXPECT_EQ(line.rfind(backEnd.renamePrefix, 0), 0u) << line;
    EXPECT_GT(line.size(), backEnd.renamePrefix.size());
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"board.jed", "board.pld"}));
    EXPECT_EQ(dir.read("board.jed/older"), "older");
  }
}

TEST(InstallFailure, UnwritableDirectoryLeavesNothing) {
  // The superuser writes into read-only directories, so as root the compiler
  // runs as "nobody" for this test.
  std::string prefix;
  if (::geteuid() == 0) {
    if (std::system("command -v setpriv >/dev/null 2>&1") != 0)
      GTEST_SKIP() << "running as root without setpriv to drop privileges";
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
  }
  TempDir dir;
  using std::filesystem::perms;
  std::filesystem::create_directory(dir.file("locked"));
  dir.write("locked/board.pld", backEnds()[1].source);
  dir.write("locked/board.jed", "older");
  std::filesystem::permissions(dir.path(), perms::all);
  std::filesystem::permissions(dir.file("locked/board.pld"),
                               perms::owner_read | perms::others_read);
  std::filesystem::permissions(dir.file("locked"), perms::owner_read | perms::owner_exec |
                                                       perms::others_read | perms::others_exec);
  RunResult result = runGsmithWith(prefix, dir.path(), {"locked/board.pld"});
  if (result.exitCode == 126 || result.exitCode == 127)
    GTEST_SKIP() << "the unprivileged user cannot run the built binary here";
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(errorLine(result), "Unable to create temporary JEDEC file: locked/board.jed.tmp");
  EXPECT_EQ(dir.read("locked/board.jed"), "older");
  EXPECT_FALSE(dir.exists("locked/board.jed.tmp"));
}

} // namespace
} // namespace gsmith::testing
