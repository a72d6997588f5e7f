// The three ATF1502 fuse databases: macrocell options generated from the
// row layout, product-term rows and input columns, and the UIM table with
// its search order.
#include "devices/atf1502/atf1502-fuse-db.h"
#include "devices/atf1502/atf1502-product-term.h"
#include "devices/atf1502/atf1502-routing.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace gsmith {
namespace {

const FuseOption &option(const MacrocellFuseDB &db, const std::string &key) {
  for (const FuseOption &candidate : db.options)
    if (candidate.name == key)
      return candidate;
  throw std::runtime_error("no option " + key);
}

struct OptionCase {
  int macrocell;
  const char *key;
  std::vector<int> fuses;
  std::vector<bool> values;
};

// Every field of macrocell 1, then the worked examples for 2, 17 and 32.
const OptionCase kOptionCases[] = {
    {1, "pt4_mux:clk_ce", {15406}, {1}},
    {1, "pt3_mux:sum", {15407}, {0}},
    {1, "pt5_mux:as_oe", {15408}, {1}},
    {1, "xor_invert:off", {15409}, {1}},
    {1, "reset:GND", {15409}, {0}},
    {1, "xor_a_mux:VCC_pt2", {15486}, {1}},
    {1, "cas_mux:sum", {15486}, {1}},
    {1, "pt1_mux:flb", {15487}, {1}},
    {1, "pt2_mux:xor", {15488}, {1}},
    {1, "xor_b_mux:ff_qn", {15489}, {1}},
    {1, "fb_mux:sync", {15566}, {0}},
    {1, "output_driver:open_drain", {15567}, {1}},
    {1, "low_power:on", {15568}, {1}},
    {1, "pt_power:off", {15569}, {1}},
    {1, "gclk_mux:GCLK1", {15646, 15647}, {1, 1}},
    {1, "gclk_mux:GCLK2", {15646, 15647}, {0, 0}},
    {1, "gclk_mux:GCLK3", {15646, 15647}, {1, 0}},
    {1, "slew_rate:slow", {15648}, {1}},
    {1, "pt4_func:clk", {15649}, {1}},
    {1, "d_mux:fast", {15726}, {0}},
    {1, "storage:latch", {15727}, {0}},
    {1, "o_mux:comb", {15728}, {1}},
    {1, "dfast_mux:pad", {15728}, {0}},
    {1, "gclr_mux:GCLR", {15729}, {0}},
    {1, "oe_mux:GOE1", {15806, 15807, 15809}, {0, 0, 1}},
    {1, "oe_mux:GOE4", {15806, 15807, 15809}, {0, 1, 0}},
    {1, "oe_mux:GOE6", {15806, 15807, 15809}, {1, 1, 0}},
    {1, "pt5_func:as", {15808}, {1}},
    {2, "slew_rate:fast", {15651}, {0}},
    {2, "gclk_mux:GCLK3", {15644, 15645}, {0, 1}},
    {17, "slew_rate:slow", {16128}, {1}},
    {32, "pt4_mux:clk_ce", {15857}, {1}},
    {32, "slew_rate:slow", {16159}, {1}},
    {32, "oe_mux:GOE2", {16256, 16257, 16318}, {0, 1, 0}},
};

TEST(ATF1502FuseDBTest, OptionFusesFollowTheRowLayout) {
  const ATF1502FuseDB db;
  for (const OptionCase &c : kOptionCases) {
    SCOPED_TRACE(std::to_string(c.macrocell) + " " + c.key);
    const FuseOption &found = option(db.macrocell(c.macrocell), c.key);
    EXPECT_EQ(found.fuses, c.fuses);
    EXPECT_EQ(found.values, c.values);
  }
}

TEST(ATF1502FuseDBTest, EveryMacrocellHasTheSameFiftyFiveOptions) {
  const ATF1502FuseDB db;
  ASSERT_EQ(db.macrocells().size(), 32u);
  std::set<int> allFuses;
  for (int m = 1; m <= 32; ++m) {
    const MacrocellFuseDB &entry = db.macrocell(m);
    ASSERT_EQ(entry.options.size(), 55u);
    EXPECT_EQ(entry.options.front().name, "slew_rate:fast");
    EXPECT_EQ(entry.options.back().name, "pt1_mux:sum");
    std::set<int> own;
    for (const FuseOption &fuseOption : entry.options) {
      EXPECT_TRUE(std::is_sorted(fuseOption.fuses.begin(), fuseOption.fuses.end()));
      EXPECT_EQ(fuseOption.fuses.size(), fuseOption.values.size());
      own.insert(fuseOption.fuses.begin(), fuseOption.fuses.end());
    }
    // Four fuses in each of six rows, disjoint from every other macrocell.
    EXPECT_EQ(own.size(), 24u) << m;
    for (int fuse : own) {
      EXPECT_GE(fuse, 15376);
      EXPECT_LT(fuse, 16320);
      EXPECT_TRUE(allFuses.insert(fuse).second) << fuse;
    }
  }
}

TEST(ATF1502FuseDBTest, LookupsByNumberFail) {
  const ATF1502FuseDB db;
  EXPECT_EQ(db.macrocell(32).macrocell, 32);
  EXPECT_TRUE(db.uims().empty());
  for (int n : {0, 33}) {
    try {
      db.macrocell(n);
      FAIL();
    } catch (const std::runtime_error &error) {
      EXPECT_STREQ(error.what(), "Macrocell not found");
    }
  }
  try {
    db.uim(1);
    FAIL();
  } catch (const std::runtime_error &error) {
    EXPECT_STREQ(error.what(), "UIM not found");
  }
}

TEST(ATF1502PTDatabaseTest, ProductTermRows) {
  const struct {
    int macrocell, pt, offset;
  } cases[] = {{1, 1, 384},    {1, 2, 288},    {1, 5, 0},   {2, 1, 480}, {2, 5, 864}, {17, 5, 7680},
               {32, 1, 14880}, {32, 5, 15264}, {33, 1, -1}, {1, 0, -1},  {1, 6, -1},  {0, 3, -1}};
  for (const auto &c : cases)
    EXPECT_EQ(ATF1502PTDatabase::getProductTermOffset(c.macrocell, c.pt), c.offset)
        << c.macrocell << " " << c.pt;

  // The 160 rows tile fuses 0..15359 exactly once.
  std::set<int> starts;
  for (int m = 1; m <= 32; ++m)
    for (int pt = 1; pt <= 5; ++pt)
      starts.insert(ATF1502PTDatabase::getProductTermOffset(m, pt));
  EXPECT_EQ(starts.size(), 160u);
  EXPECT_EQ(*starts.rbegin(), 15264);
  EXPECT_EQ(*starts.lower_bound(7680), 7680);
}

TEST(ATF1502PTDatabaseTest, InputColumns) {
  const struct {
    int input;
    bool complemented;
    int column;
  } cases[] = {{1, false, 16},  {1, true, 17},  {2, false, 16},  {3, false, 19},
               {3, true, 18},   {4, true, 18},  {5, false, 20},  {6, true, 21},
               {79, false, 95}, {80, true, 94}, {81, false, -1}, {0, true, -1}};
  for (const auto &c : cases)
    EXPECT_EQ(ATF1502PTDatabase::getInputFuse(c.input, c.complemented), c.column) << c.input;
}

TEST(ATF1502PTDatabaseTest, InputBitNames) {
  EXPECT_EQ(ATF1502PTDatabase::getInputBit("UIM2_x"), 0);
  EXPECT_EQ(ATF1502PTDatabase::getInputBit("UIM80_x"), 39);
  EXPECT_EQ(ATF1502PTDatabase::getInputBit("UIM7_N"), 42);
  EXPECT_EQ(ATF1502PTDatabase::getInputBit("UIM1_x"), -1);
  EXPECT_EQ(ATF1502PTDatabase::getInputBit("UIM81_x"), -1);
  EXPECT_EQ(ATF1502PTDatabase::getInputBit("UIM99999999999_x"), -1);
  EXPECT_EQ(ATF1502PTDatabase::getInputBit("UIM12"), -1);
  EXPECT_EQ(ATF1502PTDatabase::getInputBit("PIN12_x"), -1);
}

struct Found {
  int uim = 0;
  unsigned firstFuse = 0;
  std::vector<int> bits;
};

Found findSource(const std::string &source, const std::vector<int> &excluded) {
  Found found;
  unsigned char bits[5] = {9, 9, 9, 9, 9};
  if (!ATF1502UIMDatabase::findSource(source, excluded, found.uim, found.firstFuse, bits))
    return Found{};
  found.bits.assign(bits, bits + 5);
  return found;
}

TEST(ATF1502UIMDatabaseTest, SearchesEvenUIMsFirstAndSkipsExcluded) {
  const Found first = findSource("C1_PAD", {});
  EXPECT_EQ(first.uim, 2);
  EXPECT_EQ(first.firstFuse, 16710u);
  EXPECT_EQ(first.bits, (std::vector<int>{1, 1, 1, 1, 0}));

  std::vector<int> excluded;
  std::vector<int> order;
  for (Found next = findSource("C1_PAD", excluded); next.uim != 0;
       next = findSource("C1_PAD", excluded)) {
    order.push_back(next.uim);
    excluded.push_back(next.uim);
  }
  EXPECT_EQ(order, (std::vector<int>{2, 18, 20, 1, 17, 19}));
}

TEST(ATF1502UIMDatabaseTest, EntriesAndSelectFuses) {
  const ATF1502UIMEntry &uim1 = ATF1502UIMDatabase::getUIM(1);
  EXPECT_EQ(uim1.firstFuse, 16715u);
  ASSERT_EQ(uim1.selections.size(), 6u);
  EXPECT_EQ(uim1.selections[0].source, "GND1");
  EXPECT_EQ(uim1.selections[1].source, "M22_PAD");
  EXPECT_EQ(ATF1502UIMDatabase::getUIM(80).firstFuse, 16320u);
  EXPECT_THROW(ATF1502UIMDatabase::getUIM(81), std::runtime_error);

  unsigned firstFuse = 0;
  unsigned char bits[5];
  ASSERT_TRUE(ATF1502UIMDatabase::find(26, "M1_PAD", firstFuse, bits));
  EXPECT_EQ(firstFuse, 16590u);
  EXPECT_EQ(std::vector<int>(bits, bits + 5), (std::vector<int>{1, 1, 1, 0, 1}));
  EXPECT_FALSE(ATF1502UIMDatabase::find(27, "M1_PAD", firstFuse, bits));
  EXPECT_FALSE(ATF1502UIMDatabase::find(0, "GND1", firstFuse, bits));
}

TEST(ATF1502UIMDatabaseTest, PairsOfferTheSameSources) {
  const auto &entries = ATF1502UIMDatabase::entries();
  ASSERT_EQ(entries.size(), 80u);
  for (int k = 1; k <= 40; ++k) {
    const ATF1502UIMEntry &odd = ATF1502UIMDatabase::getUIM(2 * k - 1);
    const ATF1502UIMEntry &even = ATF1502UIMDatabase::getUIM(2 * k);
    for (size_t s = 0; s < 6; ++s)
      EXPECT_EQ(odd.selections[s].source, even.selections[s].source);
  }
}

TEST(ATF1502UIMDatabaseTest, SupportsKnownSourcesOnly) {
  EXPECT_TRUE(ATF1502UIMDatabase::supportsSource("GND1"));
  EXPECT_TRUE(ATF1502UIMDatabase::supportsSource("R_PAD"));
  for (int n = 1; n <= 32; ++n)
    EXPECT_TRUE(ATF1502UIMDatabase::supportsSource("MC" + std::to_string(n) + "_FB")) << n;
  EXPECT_FALSE(ATF1502UIMDatabase::supportsSource("M33_PAD"));
  EXPECT_FALSE(ATF1502UIMDatabase::supportsSource("mc1_fb"));
}

TEST(ATF1502UIMDatabaseTest, EachLABReadsOneUIMOfEveryPair) {
  const std::vector<int> outsideA = ATF1502UIMDatabase::uimsOutsideLAB(ATF1502LAB::A);
  const std::vector<int> outsideB = ATF1502UIMDatabase::uimsOutsideLAB(ATF1502LAB::B);
  ASSERT_EQ(outsideA.size(), 40u);
  ASSERT_EQ(outsideB.size(), 40u);
  EXPECT_EQ(outsideA.front(), 1);
  EXPECT_EQ(outsideB.front(), 2);
  EXPECT_EQ(findSource("C1_PAD", outsideA).uim, 2);
  EXPECT_EQ(findSource("C1_PAD", outsideB).uim, 1);
}

} // namespace
} // namespace gsmith
