// Generates the ATF1504 macrocell options from the layout of the macrocell
// configuration region. Each macrocell owns 24 fuses: six rows of two column
// pairs P and Q of two bits. The region is two halves (LABs A/B, then D/C) of
// six 160-column rows; in macrocell position i of its LAB, pair P starts at
// column 16 + 2i and pair Q at column 78 - 2i, and even-numbered macrocells see
// the two bits of each pair swapped.
#include "devices/atf1504/atf1504-fuse-db.h"

#include <algorithm>
#include <array>
#include <set>
#include <stdexcept>
#include <string_view>

namespace gsmith {

namespace {

constexpr int kMacrocellCount = 64;
constexpr int kRowWidth = 160;

// The two fuse pairs of a row: P counts up from column 16, Q down from 78.
constexpr int kPairP = 0;
constexpr int kPairQ = 1;

constexpr FuseSlot p(int row, int bit) { return {row, kPairP, bit}; }
constexpr FuseSlot q(int row, int bit) { return {row, kPairQ, bit}; }
constexpr FuseSlot none{0, kPairP, 0};

// gclk_mux is (high bit, low bit) = (row 3 P0, row 3 P1); oe_mux is
// (bit 2, bit 1, bit 0) = (row 5 P0, row 5 P1, row 5 Q0).
// clang-format off
constexpr std::array<OptionRule, ATF1504FuseDB::kOptionsPerMacrocell> kOptionRules = {{
    {"slew_rate:fast",           1, {q(3, 1), none, none},       {0, 0, 0}},
    {"slew_rate:slow",           1, {q(3, 1), none, none},       {1, 0, 0}},
    {"output_driver:open_drain", 1, {p(2, 0), none, none},       {1, 0, 0}},
    {"output_driver:push_pull",  1, {p(2, 0), none, none},       {0, 0, 0}},
    {"low_power:off",            1, {q(2, 1), none, none},       {0, 0, 0}},
    {"low_power:on",             1, {q(2, 1), none, none},       {1, 0, 0}},
    {"pt_power:off",             1, {q(2, 0), none, none},       {1, 0, 0}},
    {"pt_power:on",              1, {q(2, 0), none, none},       {0, 0, 0}},
    {"storage:dff",              1, {p(4, 0), none, none},       {1, 0, 0}},
    {"storage:latch",            1, {p(4, 0), none, none},       {0, 0, 0}},
    {"gclk_mux:GCLK1",           2, {p(3, 0), p(3, 1), none},    {1, 1, 0}},
    {"gclk_mux:GCLK2",           2, {p(3, 0), p(3, 1), none},    {0, 0, 0}},
    {"gclk_mux:GCLK3",           2, {p(3, 0), p(3, 1), none},    {0, 1, 0}},
    {"pt4_func:ce",              1, {q(3, 0), none, none},       {0, 0, 0}},
    {"pt4_func:clk",             1, {q(3, 0), none, none},       {1, 0, 0}},
    {"gclr_mux:GCLR",            1, {q(4, 0), none, none},       {0, 0, 0}},
    {"gclr_mux:GND",             1, {q(4, 0), none, none},       {1, 0, 0}},
    {"pt5_func:as",              1, {q(5, 1), none, none},       {1, 0, 0}},
    {"pt5_func:oe",              1, {q(5, 1), none, none},       {0, 0, 0}},
    {"xor_a_mux:VCC_pt2",        1, {p(1, 1), none, none},       {1, 0, 0}},
    {"xor_a_mux:sum",            1, {p(1, 1), none, none},       {0, 0, 0}},
    {"cas_mux:GND",              1, {p(1, 1), none, none},       {0, 0, 0}},
    {"cas_mux:sum",              1, {p(1, 1), none, none},       {1, 0, 0}},
    {"xor_b_mux:VCC_pt12",       1, {q(1, 0), none, none},       {0, 0, 0}},
    {"xor_b_mux:ff_qn",          1, {q(1, 0), none, none},       {1, 0, 0}},
    {"pt2_mux:sum",              1, {q(1, 1), none, none},       {0, 0, 0}},
    {"pt2_mux:xor",              1, {q(1, 1), none, none},       {1, 0, 0}},
    {"pt3_mux:ar",               1, {p(0, 0), none, none},       {1, 0, 0}},
    {"pt3_mux:sum",              1, {p(0, 0), none, none},       {0, 0, 0}},
    {"pt4_mux:clk_ce",           1, {p(0, 1), none, none},       {1, 0, 0}},
    {"pt4_mux:sum",              1, {p(0, 1), none, none},       {0, 0, 0}},
    {"pt5_mux:as_oe",            1, {q(0, 1), none, none},       {1, 0, 0}},
    {"pt5_mux:sum",              1, {q(0, 1), none, none},       {0, 0, 0}},
    {"fb_mux:comb",              1, {p(2, 1), none, none},       {1, 0, 0}},
    {"fb_mux:sync",              1, {p(2, 1), none, none},       {0, 0, 0}},
    {"xor_invert:off",           1, {q(0, 0), none, none},       {1, 0, 0}},
    {"xor_invert:on",            1, {q(0, 0), none, none},       {0, 0, 0}},
    {"reset:GND",                1, {q(0, 0), none, none},       {0, 0, 0}},
    {"reset:VCC",                1, {q(0, 0), none, none},       {1, 0, 0}},
    {"oe_mux:GND",               3, {p(5, 0), p(5, 1), q(5, 0)}, {0, 0, 0}},
    {"oe_mux:GOE1",              3, {p(5, 0), p(5, 1), q(5, 0)}, {0, 0, 1}},
    {"oe_mux:GOE2",              3, {p(5, 0), p(5, 1), q(5, 0)}, {0, 1, 0}},
    {"oe_mux:GOE3",              3, {p(5, 0), p(5, 1), q(5, 0)}, {0, 1, 1}},
    {"oe_mux:GOE4",              3, {p(5, 0), p(5, 1), q(5, 0)}, {1, 0, 0}},
    {"oe_mux:GOE5",              3, {p(5, 0), p(5, 1), q(5, 0)}, {1, 0, 1}},
    {"oe_mux:GOE6",              3, {p(5, 0), p(5, 1), q(5, 0)}, {1, 1, 0}},
    {"oe_mux:VCC_pt5",           3, {p(5, 0), p(5, 1), q(5, 0)}, {1, 1, 1}},
    {"o_mux:comb",               1, {q(4, 1), none, none},       {1, 0, 0}},
    {"o_mux:sync",               1, {q(4, 1), none, none},       {0, 0, 0}},
    {"d_mux:comb",               1, {p(4, 1), none, none},       {1, 0, 0}},
    {"d_mux:fast",               1, {p(4, 1), none, none},       {0, 0, 0}},
    {"dfast_mux:pad",            1, {q(4, 1), none, none},       {0, 0, 0}},
    {"dfast_mux:pt2",            1, {q(4, 1), none, none},       {1, 0, 0}},
    {"pt1_mux:flb",              1, {p(1, 0), none, none},       {1, 0, 0}},
    {"pt1_mux:sum",              1, {p(1, 0), none, none},       {0, 0, 0}},
}};
// clang-format on

// Offset of each LAB's macrocells within the region, by LAB index A..D.
constexpr std::array<int, 4> kLABBases{0, 80, 1040, 960};

int fuseOf(int mc, const FuseSlot &slot) {
  const int position = (mc - 1) % 16;
  const int swap = mc % 2 == 0 ? 1 : 0;
  const int base = ATF1504FuseDB::kFirstFuse + kLABBases[(mc - 1) / 16];
  const int column = slot.pair == kPairP ? 16 + 2 * position : 78 - 2 * position;
  return base + kRowWidth * slot.row + column + (slot.bit ^ swap);
}

std::string noMacrocell(int mc) { return "No ATF1504 fuse data for MC" + std::to_string(mc); }

} // namespace

MacrocellFuseDB ATF1504FuseDB::buildMacrocell(int mc) {
  return buildMacrocellOptions(mc, kOptionRules, fuseOf);
}

void ATF1504FuseDB::check(const std::vector<MacrocellFuseDB> &macrocells) {
  for (const MacrocellFuseDB &entry : macrocells) {
    std::set<int> known;
    for (const FuseOption &option : entry.options)
      known.insert(option.fuses.begin(), option.fuses.end());
    if (static_cast<int>(known.size()) != kFusesPerMacrocell)
      throw std::logic_error("ATF1504 macrocell known-fuse count differs from the supplied map");
    for (const FuseOption &option : entry.options) {
      if (option.values.size() != option.fuses.size())
        throw std::logic_error("ATF1504 fuse option has mismatched address/value counts: " +
                               option.name);
      for (int fuse : option.fuses) {
        if (fuse < kFirstFuse || fuse > kLastFuse)
          throw std::logic_error("ATF1504 macrocell fuse lies outside its configuration range");
      }
    }
  }
}

ATF1504FuseDB::ATF1504FuseDB() {
  macrocells_.reserve(kMacrocellCount);
  for (int mc = 1; mc <= kMacrocellCount; ++mc)
    macrocells_.push_back(buildMacrocell(mc));
  check(macrocells_);
}

const MacrocellFuseDB &ATF1504FuseDB::macrocell(int mc) const {
  for (const MacrocellFuseDB &entry : macrocells_) {
    if (entry.macrocell == mc)
      return entry;
  }
  throw std::out_of_range(noMacrocell(mc));
}

const FuseOption &ATF1504FuseDB::option(int mc, const std::string &key) const {
  for (const FuseOption &candidate : macrocell(mc).options) {
    if (candidate.name == key)
      return candidate;
  }
  throw std::out_of_range("No ATF1504 fuse option '" + key + "' for MC" + std::to_string(mc));
}

int ATF1504FuseDB::knownFuseCount(int mc) const { return knownFuseCount(mc, mc); }

int ATF1504FuseDB::knownFuseCount(int firstMacrocell, int lastMacrocell) const {
  std::set<int> known;
  for (const MacrocellFuseDB &entry : macrocells_) {
    if (entry.macrocell < firstMacrocell || entry.macrocell > lastMacrocell)
      continue;
    for (const FuseOption &option : entry.options)
      known.insert(option.fuses.begin(), option.fuses.end());
  }
  return static_cast<int>(known.size());
}

int ATF1504FuseDB::knownLABAFuseCount() const { return knownFuseCount(1, 16); }
int ATF1504FuseDB::knownLABBFuseCount() const { return knownFuseCount(17, 32); }
int ATF1504FuseDB::knownLABCFuseCount() const { return knownFuseCount(33, 48); }
int ATF1504FuseDB::knownLABDFuseCount() const { return knownFuseCount(49, 64); }

} // namespace gsmith
