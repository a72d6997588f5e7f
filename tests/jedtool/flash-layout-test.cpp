// The device records checked against the worked examples of the format notes
// and against the shape every layout must have: each sent fuse on its own
// bit of a programmed word, the padding count, the unsent reserved tail.
#include "jedtool/flash-image.h"
#include "target/registry.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>

namespace gsmith {
namespace {

const FlashLayout &layoutOf(const char *device) {
  return *TargetRegistry::find(device)->jedecFacts().flash;
}

TEST(FlashLayout, PlacesTheWorkedExampleFuses) {
  struct Case {
    const FlashLayout &layout;
    std::size_t fuse;
    std::uint16_t address;
    std::size_t bit;
  };
  const std::vector<Case> cases = {
      {layoutOf("ATF1502AS"), 1234, 0x05e, 67},  {layoutOf("ATF1502AS"), 7700, 0x094, 79},
      {layoutOf("ATF1502AS"), 15500, 0x001, 19}, {layoutOf("ATF1502AS"), 16400, 0x0e0, 63},
      {layoutOf("ATF1502AS"), 16725, 0x0e0, 84}, {layoutOf("ATF1502AS"), 16750, 0x100, 31},
      {layoutOf("ATF1502AS"), 16783, 0x200, 2},  {layoutOf("ATF1502AS"), 16790, 0x300, 11},
      {layoutOf("ATF1504AS"), 1234, 0x05e, 153}, {layoutOf("ATF1504AS"), 20000, 0x0a0, 117},
      {layoutOf("ATF1504AS"), 31000, 0x001, 45}, {layoutOf("ATF1504AS"), 33000, 0x0e0, 125},
      {layoutOf("ATF1504AS"), 34134, 0x100, 31}, {layoutOf("ATF1504AS"), 34167, 0x200, 2},
      {layoutOf("ATF1504AS"), 34175, 0x300, 10},
  };
  for (const Case &c : cases) {
    const auto location = locateFuse(c.layout, c.fuse);
    ASSERT_TRUE(location) << c.fuse;
    EXPECT_EQ(location->address, c.address) << c.layout.family << " fuse " << c.fuse;
    EXPECT_EQ(location->bit, c.bit) << c.layout.family << " fuse " << c.fuse;
  }
}

TEST(FlashLayout, GivesEverySentFuseABitOfItsOwn) {
  struct Case {
    const FlashLayout &layout;
    std::size_t paddingBits, reservedFuses;
  };
  for (const Case &c :
       {Case{layoutOf("ATF1502AS"), 1224, 6}, Case{layoutOf("ATF1504AS"), 1224, 6}}) {
    SCOPED_TRACE(c.layout.family);
    std::map<std::uint16_t, std::size_t> widths;
    std::size_t bits = 0;
    for (const WordGroup &group : c.layout.order)
      for (std::uint16_t i = 0; i < group.wordCount; ++i, bits += group.width)
        EXPECT_TRUE(widths.emplace(group.firstAddress + i, group.width).second);
    std::set<std::pair<std::uint16_t, std::size_t>> used;
    for (std::size_t fuse = 0; fuse < c.layout.fuseCount; ++fuse) {
      const auto location = locateFuse(c.layout, fuse);
      ASSERT_EQ(location.has_value(), fuse < c.layout.fuseCount - c.reservedFuses) << fuse;
      if (!location)
        continue;
      ASSERT_TRUE(widths.count(location->address)) << fuse;
      EXPECT_LT(location->bit, widths[location->address]) << fuse;
      EXPECT_TRUE(used.emplace(location->address, location->bit).second) << fuse;
    }
    EXPECT_EQ(bits - used.size(), c.paddingBits);
  }
}

} // namespace
} // namespace gsmith
