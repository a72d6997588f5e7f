// The record self-check on altered copies of the ATF1508's record: a select
// position marked unused is accepted, a name no table form parses never is,
// the select fuses must be claimed exactly once, and the reserved tail of the
// configuration must be 0.
#include "atf1508/atf1508.h"
#include "cpld/architecture-check.h"

#include <gtest/gtest.h>

#include <string>

namespace gsmith {
namespace {

using Sources = std::array<SignalSource, 27>;

// The configuration with its last reserved fuse at 1.
const std::string kReservedSet =
    std::string(atf1508Architecture().configurationAfterEncoding.substr(0, 53)) + "1";

TEST(ATF1508Record, SelfCheckTellsUnusedPositionsFromTypos) {
  struct Case {
    const char *label;
    void (*alter)(CPLDArchitecture &, Sources &);
    bool valid;
  };
  const Case cases[] = {
      {"every position unused", [](CPLDArchitecture &, Sources &) {}, true},
      {"a known source", [](CPLDArchitecture &, Sources &s) { s[5] = parseSource("MC7_FB"); },
       true},
      {"a typo", [](CPLDArchitecture &, Sources &s) { s[5] = parseSource("MX7_FB"); }, false},
      {"a fuse claimed twice", [](CPLDArchitecture &a, Sources &) { ++a.globalOEs[5].firstFuse; },
       false},
      {"a fuse never claimed", [](CPLDArchitecture &a, Sources &) { ++a.multiplexerFuses[1]; },
       false},
      {"a reserved fuse at 1",
       [](CPLDArchitecture &a, Sources &) { a.configurationAfterEncoding = kReservedSet; }, false},
  };
  for (const Case &c : cases) {
    CPLDArchitecture arch = atf1508Architecture();
    Sources sources{};
    sources.fill(parseSource("UNUSED"));
    arch.globalOEs[0].sources = sources;
    c.alter(arch, sources);
    EXPECT_EQ(validArchitecture(arch), c.valid) << c.label;
  }
}

} // namespace
} // namespace gsmith
