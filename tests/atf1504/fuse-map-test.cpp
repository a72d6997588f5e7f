// The ATF1504 fuse map: baseline, change log, range checks and the JEDEC
// writer with its refusals.
#include "devices/atf1504/atf1504-fuse-map.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

namespace gsmith {
namespace {

// A map the writer accepts: the encoder's device configuration armed.
ATF1504FuseMap armedMap() {
  ATF1504FuseMap map(34192);
  map.setFuse(34167, true);
  return map;
}

void expectRefusal(const ATF1504FuseMap &map, bool configApplied, int pins, const char *message) {
  try {
    map.toJEDEC(configApplied, pins);
    ADD_FAILURE() << message;
  } catch (const std::runtime_error &error) {
    EXPECT_STREQ(error.what(), message);
  }
}

TEST(ATF1504FuseMapTest, Baseline) {
  const ATF1504FuseMap map(34192);
  EXPECT_EQ(map.size(), 34192u);
  EXPECT_TRUE(map.writes().empty());
  EXPECT_TRUE(map.getFuse(34146));
  EXPECT_FALSE(map.getFuse(34145));
  EXPECT_TRUE(map.getFuse(30720));
  EXPECT_FALSE(map.getFuse(30736));
  EXPECT_FALSE(map.getFuse(0));
  EXPECT_FALSE(map.getFuse(30719));
  for (std::size_t fuse : {32640u, 33000u, 34079u, 34080u, 34133u})
    EXPECT_TRUE(map.getFuse(fuse)) << fuse;
  // 34134..34191 one by one.
  const std::string config = "001111111110110100000001111111111011"
                             "0000000000000000000000";
  ASSERT_EQ(config.size(), 58u);
  for (std::size_t k = 0; k < config.size(); ++k)
    EXPECT_EQ(map.getFuse(34134 + k), config[k] == '1') << 34134 + k;
  // Both halves of the configuration region carry the same 960-fuse pattern.
  const std::string &half = ATF1504FuseMap::macrocellHalf();
  ASSERT_EQ(half.size(), 960u);
  for (std::size_t k = 0; k < 960; ++k) {
    EXPECT_EQ(map.getFuse(30720 + k), half[k] == '1');
    EXPECT_EQ(map.getFuse(31680 + k), half[k] == '1');
  }
  EXPECT_EQ(half.substr(160 * 2 + 16, 8), "01100110");
  EXPECT_EQ(half.substr(160 * 5 + 44, 8), "00001001");
  EXPECT_EQ(half.substr(160 * 3 + 80, 16), std::string(16, '1'));
}

TEST(ATF1504FuseMapTest, OtherSizesGetNoBaseline) {
  const ATF1504FuseMap map(100);
  EXPECT_EQ(map.size(), 100u);
  for (std::size_t fuse = 0; fuse < 100; ++fuse)
    EXPECT_FALSE(map.getFuse(fuse));
}

TEST(ATF1504FuseMapTest, ChangeLogRecordsOnlyRealChanges) {
  ATF1504FuseMap map(34192);
  map.setFuse(34146, true); // already 1
  EXPECT_TRUE(map.writes().empty());
  map.setFuse(5, true);
  map.setFuse(5, false);
  map.setFuse(5, false);
  ASSERT_EQ(map.writes().size(), 2u);
  EXPECT_EQ(map.writes()[0].index, 5u);
  EXPECT_TRUE(map.writes()[0].value);
  EXPECT_FALSE(map.writes()[1].value);
  map.clear();
  EXPECT_TRUE(map.writes().empty());
  EXPECT_TRUE(map.getFuse(34146));
  EXPECT_FALSE(map.getFuse(5));
}

TEST(ATF1504FuseMapTest, OutOfRangeWritesAreRefusedAndReadsAreZero) {
  ATF1504FuseMap map(34192);
  try {
    map.setFuse(34192, true);
    ADD_FAILURE();
  } catch (const std::out_of_range &error) {
    EXPECT_STREQ(error.what(), "ATF1504 fuse index outside QF34192 map");
  }
  EXPECT_FALSE(map.getFuse(34192));
  EXPECT_FALSE(map.getFuse(static_cast<std::size_t>(-1)));
  EXPECT_TRUE(map.writes().empty());
}

TEST(ATF1504FuseMapTest, JEDECRefusals) {
  expectRefusal(armedMap(), true, 68, "Unsupported ATF1504 package pin count");
  expectRefusal(ATF1504FuseMap(100), true, 84, "Cannot write ATF1504 JEDEC with wrong fuse count");
  // The fresh baseline still has the JTAG fuse 34167 at 0.
  expectRefusal(ATF1504FuseMap(34192), false, 84,
                "Refusing unsafe ATF1504 JEDEC: recovery/security baseline changed");

  auto reserved = armedMap();
  reserved.setFuse(34191, true);
  expectRefusal(reserved, true, 84, "Refusing ATF1504 JEDEC with nonzero reserved fuse");

  auto recovery = armedMap();
  recovery.setFuse(34134, true);
  expectRefusal(recovery, true, 44,
                "Refusing unsafe ATF1504 JEDEC: recovery/security baseline changed");

  auto secured = armedMap();
  secured.setFuse(34166, false);
  expectRefusal(secured, false, 100,
                "Refusing unsafe ATF1504 JEDEC: recovery/security baseline changed");
  EXPECT_NO_THROW(secured.toJEDEC(true, 100));
}

// When several checks fail, the earliest in the order pin count, fuse count,
// reserved fuses, recovery/security fuses is reported.
TEST(ATF1504FuseMapTest, JEDECRefusalOrder) {
  expectRefusal(ATF1504FuseMap(100), false, 68, "Unsupported ATF1504 package pin count");
  auto everything = ATF1504FuseMap(34192); // JTAG fuse 34167 still 0
  everything.setFuse(34134, true);
  everything.setFuse(34166, false);
  everything.setFuse(34186, true);
  expectRefusal(everything, false, 0, "Unsupported ATF1504 package pin count");
  expectRefusal(everything, false, 44, "Refusing ATF1504 JEDEC with nonzero reserved fuse");
  everything.setFuse(34186, false);
  expectRefusal(everything, true, 44,
                "Refusing unsafe ATF1504 JEDEC: recovery/security baseline changed");
}

TEST(ATF1504FuseMapTest, JEDECText) {
  const std::string text = armedMap().toJEDEC(false, 84);
  EXPECT_EQ(text.find("\x02JEDEC file for: ATF1504AS\n*\nQF34192* QP84 * F0*\nL00000 "), 0u);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  std::istringstream lines(text);
  std::string line;
  int fuseLines = 0;
  std::string last;
  while (std::getline(lines, line)) {
    if (line.rfind("L", 0) != 0)
      continue;
    ++fuseLines;
    last = line;
    if (line.rfind("L34176 ", 0) != 0) {
      EXPECT_EQ(line.size(), 1 + 5 + 1 + 64 + 1u) << line;
    }
  }
  EXPECT_EQ(fuseLines, 535);
  EXPECT_EQ(last, "L34176 " + std::string(16, '0') + "*");
  const std::size_t g = text.find("\nG0*\nC");
  ASSERT_NE(g, std::string::npos);
  EXPECT_EQ(text.size() - g, std::string("\nG0*\nC0000*\n\x03").size() + 5);
  EXPECT_EQ(text.substr(text.size() - 6), "\x03"
                                          "0000\n");
  EXPECT_NE(armedMap().toJEDEC(false, 44).find("QP44 * F0*"), std::string::npos);
  EXPECT_NE(armedMap().toJEDEC(false, 100).find("QP100 * F0*"), std::string::npos);
}

TEST(ATF1504FuseMapTest, GFieldFollowsFuse34166) {
  auto map = armedMap();
  map.setFuse(34166, false);
  const std::string text = map.toJEDEC(true, 84);
  EXPECT_NE(text.find("*\nG1*\nC"), std::string::npos);
}

TEST(ATF1504FuseMapTest, ChecksumCoversEveryFuse) {
  auto map = armedMap();
  auto checksumOf = [](const std::string &text) {
    const std::size_t c = text.find("*\nC", text.find("\nG"));
    return std::stoi(text.substr(c + 3, 4), nullptr, 16);
  };
  const int before = checksumOf(map.toJEDEC(false, 84));
  map.setFuse(8, true); // bit 0 of word 1
  EXPECT_EQ(checksumOf(map.toJEDEC(false, 84)), (before + 1) % 65536);
  map.setFuse(15, true); // bit 7 of word 1
  EXPECT_EQ(checksumOf(map.toJEDEC(false, 84)), (before + 1 + 128) % 65536);
}

} // namespace
} // namespace gsmith
