// Sources saved with a UTF-8 byte-order mark, as Windows editors write them:
// the mark is skipped at the very start of the text only, so such a source
// compiles to the very file its unmarked twin does, and a mark anywhere else
// is still a stray token.
#include "tests/support/run-gsmith.h"

#include <gtest/gtest.h>

#include <string>

namespace gsmith::testing {
namespace {

const std::string kMark = "\xEF\xBB\xBF";
const std::string kDesign = "DEVICE GAL16V8B\nPIN 2 a INPUT\nPIN 12 y OUTPUT\ny = !a;\n";

TEST(ByteOrderMark, MarkedSourceCompilesToTheSameFile) {
  TempDir dir;
  ASSERT_EQ(compileSource(dir, kDesign, "plain.pld").exitCode, 0);
  for (const std::string &marked : {kMark + kDesign, kMark + "\r\n" + kDesign}) {
    const RunResult result = compileSource(dir, marked, "marked.pld");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(dir.read("marked.jed"), dir.read("plain.jed"));
  }
}

TEST(ByteOrderMark, MarkElsewhereIsAStrayToken) {
  for (const std::string &source : {kDesign + kMark, kMark + kMark + kDesign}) {
    TempDir dir;
    const RunResult result = compileSource(dir, source);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Compiler error: Unexpected GAL16V8B token '\xEF'\n");
    EXPECT_FALSE(dir.exists("design.jed"));
  }
}

} // namespace
} // namespace gsmith::testing
