// Every design the project carries (the examples, the stress designs and the
// fuzz corpus, which holds the designs of the test suite too) compiled in
// memory, its whole outcome (progress log, error message or JEDEC text)
// reduced to a hash and compared with the outcome recorded in
// expected-outcomes.txt. Any change in what gsmith writes or prints for any of
// them fails here; under the sanitizers the same run proves that none of them
// touches memory it must not. After an intended change, review it with
// scripts/compare-outputs and record the new outcomes with
// GSMITH_RECORD_OUTCOMES=1.
#include "driver/pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace gsmith {
namespace {

const std::filesystem::path kRoot = GSMITH_SOURCE_DIR;
const std::filesystem::path kExpected = kRoot / "tests/corpus/expected-outcomes.txt";

std::string readFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

uint64_t fnv1a(const std::string &text) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : text)
    hash = (hash ^ c) * 0x100000001b3ULL;
  return hash;
}

std::string outcome(const std::string &source) {
  std::ostringstream log;
  try {
    const CompiledDesign compiled = compileToJEDEC("design.pld", source, log);
    return log.str() + "\x1f" + compiled.jedec.text + "\x1f" + compiled.jedec.logAfterInstall;
  } catch (const std::exception &error) {
    return log.str() + "\x1e" + error.what();
  }
}

std::vector<std::filesystem::path> designs() {
  std::vector<std::filesystem::path> found;
  for (const char *folder : {"examples", "bench/designs", "fuzz/corpus"})
    for (const auto &entry : std::filesystem::directory_iterator(kRoot / folder))
      if (entry.is_regular_file())
        found.push_back(std::filesystem::relative(entry.path(), kRoot));
  std::sort(found.begin(), found.end());
  return found;
}

TEST(CorpusReplay, EveryDesignKeepsItsRecordedOutcome) {
  std::map<std::string, std::string> expected;
  std::istringstream lines(readFile(kExpected));
  for (std::string name, hash; lines >> name >> hash;)
    expected[name] = hash;

  std::ostringstream recorded;
  for (const std::filesystem::path &design : designs()) {
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(fnv1a(outcome(readFile(kRoot / design)))));
    recorded << design.generic_string() << ' ' << hash << '\n';
    EXPECT_EQ(expected[design.generic_string()], hash) << design;
  }
  if (std::getenv("GSMITH_RECORD_OUTCOMES") != nullptr)
    std::ofstream(kExpected, std::ios::binary) << recorded.str();
}

} // namespace
} // namespace gsmith
