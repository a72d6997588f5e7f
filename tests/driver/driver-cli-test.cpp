// The command line as a user meets it: arguments, the frame, the error line,
// the exit status and the files left behind.
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace gsmith::testing {
namespace {

const std::string kBanner = "Gatesmith Compiler v0.0.1\n";
const std::string kOpening = kBanner + kBorder + "\n\n";
const std::string kClosing = "\n" + kBorder + "\n";

const std::string kSimpleGAL = "DEVICE GAL16V8B\n"
                               "PIN 2 a INPUT\n"
                               "PIN 3 b INPUT\n"
                               "PIN 12 y OUTPUT\n"
                               "y = a & !b;\n";

struct ArgumentCase {
  const char *label;
  std::vector<std::string> args;
  std::string expectedErr;
};

TEST(CommandLine, RejectsBadArgumentsBeforeAnyFrame) {
  const std::vector<ArgumentCase> cases = {
      {"option", {"-v"}, "Error: Unknown option -v\n"},
      {"option before source", {"--help", "x.pld"}, "Error: Unknown option --help\n"},
      {"option after source", {"x.pld", "-o"}, "Error: Unknown option -o\n"},
      {"two sources", {"a.pld", "b.pld"}, "Error: More than one source file was provided\n"},
      {"empty after source", {"a.pld", ""}, "Error: More than one source file was provided\n"},
      {"missing file", {"missing.pld"}, "Error: Cannot open missing.pld\n"},
      {"empty then missing", {"", "missing.pld"}, "Error: Cannot open missing.pld\n"},
      {"directory", {"."}, "Error: Cannot open .\n"},
  };
  for (const ArgumentCase &c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    RunResult result = runGsmith(dir.path(), c.args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, kBanner);
    EXPECT_EQ(result.err, c.expectedErr);
    EXPECT_TRUE(dir.entries().empty());
  }
}

TEST(CommandLine, WithoutSourcePrintsUsage) {
  for (const auto &args : {std::vector<std::string>{}, std::vector<std::string>{""}}) {
    TempDir dir;
    RunResult result = runGsmith(dir.path(), args);
    EXPECT_EQ(result.exitCode, 1);
    ASSERT_EQ(result.out.rfind(kBanner, 0), 0u);
    EXPECT_NE(result.out.find("Usage: gsmith <source-file>"), std::string::npos);
    EXPECT_EQ(result.out.find(kBorder), std::string::npos);
    EXPECT_EQ(result.err, "");
  }
}

TEST(CompileErrors, AreFramedAndWriteNothing) {
  struct ErrorCase {
    const char *label;
    std::string source;
    std::string message;
  };
  const std::vector<ErrorCase> cases = {
      {"malformed first statement", "PIN x", "Expected pin number after PIN"},
      {"lexer error", "DEVICE GAL16V8B /* open", "Unterminated block comment"},
      {"no device", "PIN 2 a INPUT", "No DEVICE specified"},
      {"deep negation", "DEVICE GAL16V8B\nPIN 12 y OUTPUT\ny = " + std::string(200000, '!') + "a;",
       "Expression nesting exceeds 1024 levels"},
      {"oversized source", "// " + std::string(4u * 1024u * 1024u, 'x') + "\n",
       "Source file is larger than 4194304 bytes"},
  };
  for (const ErrorCase &c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    RunResult result = compileSource(dir, c.source, "design.pld");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Compiler error: " + c.message + "\n");
    EXPECT_EQ(result.out.rfind(kOpening, 0), 0u);
    ASSERT_GE(result.out.size(), kClosing.size());
    EXPECT_EQ(result.out.substr(result.out.size() - kClosing.size()), kClosing);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"design.pld"});
  }
}

TEST(OutputProtection, SourceNamedLikeItsOutputIsRefused) {
  TempDir dir;
  RunResult result = compileSource(dir, kSimpleGAL, "board.jed");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err,
            "Compiler error: Output file 'board.jed' would overwrite the source file\n");
  EXPECT_EQ(dir.read("board.jed"), kSimpleGAL);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"board.jed"});
  EXPECT_EQ(result.out, kOpening + kClosing);
}

TEST(OutputProtection, TemporaryFileLinkedToTheSourceIsRefused) {
  // Writing the temporary file through a leftover link would truncate the source.
  TempDir dir;
  dir.write("board.pld", kSimpleGAL);
  std::filesystem::create_symlink("board.pld", dir.file("board.jed.tmp"));
  RunResult result = runGsmith(dir.path(), {"board.pld"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err,
            "Compiler error: Temporary file 'board.jed.tmp' would overwrite the source file\n");
  EXPECT_EQ(dir.read("board.pld"), kSimpleGAL);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"board.jed.tmp", "board.pld"}));
}

TEST(SuccessfulRun, PrintsTheFramedLogAndInstallsTheFile) {
  TempDir dir;
  RunResult result = compileSource(dir, kSimpleGAL, "adder.pld");
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, kOpening +
                            "Source: adder.pld\n"
                            "Device: GAL16V8B\n"
                            "Parsing... OK\n"
                            "Logic synthesis... OK\n"
                            "Fitting... OK\n"
                            "Resource usage:\n"
                            "  Macrocells:    1 / 8\n"
                            "  Product terms: 1\n"
                            "  Outputs:       1\n"
                            "JEDEC generation... OK\n"
                            "JEDEC written: adder.jed\n" +
                            kClosing);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"adder.jed", "adder.pld"}));
  EXPECT_EQ(dir.read("adder.jed").front(), '\x02');
}

TEST(SuccessfulRun, OutputGoesBesideTheSourceUnderItsStem) {
  struct NamingCase {
    std::string source;
    std::string output;
  };
  const std::vector<NamingCase> cases = {
      {"adder", "adder.jed"},
      {"a.b.pld", "a.b.jed"},
      {"designs/adder.pld", "designs/adder.jed"},
  };
  for (const NamingCase &c : cases) {
    SCOPED_TRACE(c.source);
    TempDir dir;
    std::filesystem::create_directory(dir.file("designs"));
    dir.write(c.source, kSimpleGAL);
    RunResult result = runGsmith(dir.path(), {c.source});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("JEDEC written: " + c.output + "\n"), std::string::npos);
    EXPECT_TRUE(dir.exists(c.output));
    EXPECT_FALSE(dir.exists(c.output + ".tmp"));
  }
}

TEST(FailedRun, LeavesAnOlderOutputByteForByte) {
  TempDir dir;
  const std::string older = "older fuse file\r\n\x03";
  dir.write("board.jed", older);
  RunResult result =
      compileSource(dir, "DEVICE GAL16V8B\nPIN 12 y OUTPUT\ny = nowhere;\n", "board.pld");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Compiler error: Undefined signal 'nowhere'\n");
  EXPECT_EQ(dir.read("board.jed"), older);
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"board.jed", "board.pld"}));
}

} // namespace
} // namespace gsmith::testing
