// The statement-by-statement comparison of an SVF file gsmith-jed writes
// with one the vendor's programming tool wrote, for every test that holds
// vendor files up against ours.
#pragma once

#include "tests/jedtool/jedtool-test-support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace gsmith::testing {

// The text after the leading "//" comment lines.
inline std::string withoutHeader(const std::string &svf) {
  std::size_t start = 0;
  while (svf.compare(start, 2, "//") == 0)
    start = svf.find('\n', start) + 1;
  return svf.substr(start);
}

// Statements with their white space normalised, so that a difference is
// reported as the first statement that differs rather than a byte offset.
inline std::vector<std::string> statements(const std::string &svf) {
  std::vector<std::string> result;
  std::istringstream in(withoutHeader(svf));
  std::string statement;
  while (std::getline(in, statement, ';')) {
    std::istringstream words(statement);
    std::string word, normal;
    while (words >> word)
      normal += (normal.empty() ? "" : " ") + word;
    if (!normal.empty())
      result.push_back(normal);
  }
  return result;
}

inline void expectSameAsVendor(const std::filesystem::path &vendorSvf,
                               const std::vector<std::string> &args) {
  TempDir dir;
  std::vector<std::string> fullArgs = args;
  fullArgs.insert(fullArgs.end(), {"-o", "out.svf"});
  const RunResult result = runJed(dir.path(), fullArgs);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string ours = dir.read("out.svf");
  const std::string theirs = readFile(vendorSvf);
  const std::vector<std::string> ourStatements = statements(ours);
  const std::vector<std::string> theirStatements = statements(theirs);
  ASSERT_EQ(ourStatements.size(), theirStatements.size());
  for (std::size_t i = 0; i < ourStatements.size(); ++i)
    ASSERT_EQ(ourStatements[i], theirStatements[i]) << "statement " << i;
  // A vendor file stored without its CRs (one in the ATF1508 folder) is held
  // up against ours with the same change.
  std::string ourBytes = withoutHeader(ours);
  if (theirs.find('\r') == std::string::npos)
    std::erase(ourBytes, '\r');
  EXPECT_TRUE(ourBytes == withoutHeader(theirs)) << "same statements, other bytes";
  EXPECT_EQ(ours.find("ATMISP"), std::string::npos);
}

} // namespace gsmith::testing
