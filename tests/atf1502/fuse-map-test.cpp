// The ATF1502 fuse map: baseline, change log, range errors, the JEDEC
// writer's refusals and the shape of its text.
#include "devices/atf1502/atf1502-fuse-map.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

namespace gsmith {
namespace {

// A map as the encoder leaves a design without device options.
ATF1502FuseMap encodedBaseline() {
  ATF1502FuseMap map(16808);
  for (size_t index = 16750; index <= 16801; ++index)
    map.setFuse(index, ATF1502FuseMap::deviceConfigValue(index));
  return map;
}

std::string refusal(const ATF1502FuseMap &map, bool allowDeviceOptions) {
  try {
    map.toJEDEC(allowDeviceOptions);
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "";
}

TEST(ATF1502FuseMapTest, BaselineRows) {
  const ATF1502FuseMap map(16808);
  EXPECT_EQ(map.size(), 16808u);
  EXPECT_TRUE(map.writes().empty());
  const struct {
    size_t index;
    bool value;
  } cases[] = {{0, false},     {15359, false}, {15360, true}, {15375, true},  {15376, false},
               {15536, false}, {15537, true},  {15538, true}, {15539, false}, {15540, false},
               {15616, false}, {15648, true},  {15697, true}, {15728, true},  {15776, false},
               {15808, true},  {15809, false}, {15811, true}, {16256, false}, {16319, true},
               {16320, true},  {16500, true},  {16749, true}, {16750, false}, {16807, false}};
  for (const auto &c : cases)
    EXPECT_EQ(map.getFuse(c.index), c.value) << c.index;
  EXPECT_FALSE(map.getFuse(16808));
}

TEST(ATF1502FuseMapTest, OtherSizesGetNoBaseline) {
  const ATF1502FuseMap map(100);
  EXPECT_EQ(map.size(), 100u);
  EXPECT_FALSE(map.getFuse(15360));
}

TEST(ATF1502FuseMapTest, LogsOnlyChanges) {
  ATF1502FuseMap map(16808);
  map.setFuse(16500, true);
  EXPECT_TRUE(map.writes().empty());
  map.setFuse(5, true);
  map.setFuse(16500, false);
  ASSERT_EQ(map.writes().size(), 2u);
  EXPECT_EQ(map.writes()[0].index, 5u);
  EXPECT_TRUE(map.writes()[0].value);
  EXPECT_EQ(map.writes()[1].index, 16500u);
  EXPECT_FALSE(map.writes()[1].value);

  map.clear();
  EXPECT_TRUE(map.writes().empty());
  EXPECT_EQ(map.fuses(), ATF1502FuseMap(16808).fuses());
}

TEST(ATF1502FuseMapTest, RefusesIndexBeyondTheMap) {
  ATF1502FuseMap map(16808);
  try {
    map.setFuse(16808, true);
    FAIL();
  } catch (const std::out_of_range &error) {
    EXPECT_STREQ(error.what(), "ATF1502 fuse index 16808 is outside the 16808-fuse map");
  }
  EXPECT_TRUE(map.writes().empty());
}

TEST(ATF1502FuseMapTest, JEDECText) {
  const ATF1502FuseMap map = encodedBaseline();
  const std::string text = map.toJEDEC(false);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.front(), '\x02');
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.rfind("JEDEC file for: ATF1502AS\n*\nQF16808* F0*\nL00000 ", 1), 1u);
  EXPECT_NE(text.find("\nL00064 "), std::string::npos);
  EXPECT_NE(text.find("\nL16768 "), std::string::npos);
  EXPECT_TRUE(text.ends_with("*\n\x03"
                             "0000\n"));

  std::istringstream lines(text);
  std::string line;
  int fuseLines = 0;
  std::vector<std::string> tail;
  while (std::getline(lines, line)) {
    if (line.starts_with("L")) {
      ++fuseLines;
      EXPECT_EQ(line.size(), fuseLines == 263 ? 6u + 1 + 40 + 1 : 6u + 1 + 64 + 1);
    }
    tail.push_back(line);
  }
  EXPECT_EQ(fuseLines, 263);
  ASSERT_GE(tail.size(), 3u);
  EXPECT_EQ(tail[tail.size() - 3], "G0*");
  EXPECT_TRUE(tail[tail.size() - 2].starts_with("C"));
  EXPECT_EQ(tail[tail.size() - 2].size(), 6u);
}

TEST(ATF1502FuseMapTest, SecurityFuseSelectsTheGField) {
  ATF1502FuseMap map = encodedBaseline();
  map.setFuse(16782, false);
  // Only with device options may the security fuse differ from the baseline.
  EXPECT_NE(map.toJEDEC(true).find("\nG1*\n"), std::string::npos);
  EXPECT_NE(refusal(map, false), "");
}

TEST(ATF1502FuseMapTest, Refusals) {
  const std::string unsafeConfig =
      "Refusing to write unsafe ATF1502AS JEDEC: device configuration "
      "differs from the verified JTAG-enabled vendor baseline at fuse ";
  const struct {
    const char *cause;
    std::vector<std::pair<size_t, bool>> writes;
    std::string withoutOptions;
    std::string withOptions;
  } cases[] = {
      {"untouched encoding", {}, "", ""},
      {"JTAG enable fuse", {{16750, true}}, unsafeConfig + "16750", unsafeConfig + "16750"},
      {"option fuse", {{16752, false}}, unsafeConfig + "16752", ""},
      {"signature fuse", {{16790, false}}, unsafeConfig + "16790", ""},
      {"ISP recovery fuse", {{16784, false}}, unsafeConfig + "16784", unsafeConfig + "16784"},
      {"fixed row prefix",
       {{15440, false}},
       "Refusing to write unsafe ATF1502AS JEDEC: fixed macrocell-row baseline differs at fuse "
       "15440",
       "Refusing to write unsafe ATF1502AS JEDEC: fixed macrocell-row baseline differs at fuse "
       "15440"},
      {"encoder's GOE selections", {{16720, false}, {16729, false}, {16744, false}}, "", ""},
      {"one other GOE source",
       {{16721, false}},
       "Refusing to write unsafe ATF1502AS JEDEC: unsupported GOE programming at fuse 16721",
       ""},
      {"two sources in one group",
       {{16721, false}, {16722, false}},
       "Refusing to write unsafe ATF1502AS JEDEC: unsupported GOE programming at fuse 16721",
       "Refusing invalid ATF1502 global-OE selection"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.cause);
    ATF1502FuseMap map = encodedBaseline();
    for (const auto &[index, value] : c.writes)
      map.setFuse(index, value);
    EXPECT_EQ(refusal(map, false), c.withoutOptions);
    EXPECT_EQ(refusal(map, true), c.withOptions);
  }
}

TEST(ATF1502FuseMapTest, RefusesWrongFuseCount) {
  const ATF1502FuseMap map(16807);
  EXPECT_EQ(refusal(map, true), "Cannot write JEDEC with wrong fuse count");
}

TEST(ATF1502FuseMapTest, FreshMapIsRefusedForItsDeviceConfiguration) {
  // The baseline leaves 16750..16801 at 0; only the encoder makes it writable.
  const ATF1502FuseMap map(16808);
  EXPECT_NE(refusal(map, false), "");
}

} // namespace
} // namespace gsmith
