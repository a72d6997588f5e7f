// Generates the ATF1502 macrocell options from the layout of the macrocell
// configuration rows. Each LAB has six rows of 80 fuses; in row r a
// macrocell owns a "high" pair right of the row centre and a mirrored "low"
// pair left of it, and even-numbered macrocells see the two bits of each
// pair swapped. Every option is one row of the table below.
#include "devices/atf1502/atf1502-fuse-db.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace gsmith {

namespace {

// The two fuse pairs of a row: below and above the row's centre.
constexpr int kLowPair = 0;
constexpr int kHighPair = 1;

constexpr FuseSlot lo(int row, int bit) { return {row, kLowPair, bit}; }
constexpr FuseSlot hi(int row, int bit) { return {row, kHighPair, bit}; }
constexpr FuseSlot none{0, kLowPair, 0};

// clang-format off
constexpr std::array<OptionRule, ATF1502FuseDB::kOptionsPerMacrocell> kOptionRules = {{
    {"slew_rate:fast",           1, {hi(3, 0), none, none},         {0, 0, 0}},
    {"slew_rate:slow",           1, {hi(3, 0), none, none},         {1, 0, 0}},
    {"output_driver:open_drain", 1, {lo(2, 1), none, none},         {1, 0, 0}},
    {"output_driver:push_pull",  1, {lo(2, 1), none, none},         {0, 0, 0}},
    {"low_power:off",            1, {hi(2, 0), none, none},         {0, 0, 0}},
    {"low_power:on",             1, {hi(2, 0), none, none},         {1, 0, 0}},
    {"pt_power:off",             1, {hi(2, 1), none, none},         {1, 0, 0}},
    {"pt_power:on",              1, {hi(2, 1), none, none},         {0, 0, 0}},
    {"storage:dff",              1, {lo(4, 1), none, none},         {1, 0, 0}},
    {"storage:latch",            1, {lo(4, 1), none, none},         {0, 0, 0}},
    {"gclk_mux:GCLK1",           2, {lo(3, 0), lo(3, 1), none},     {1, 1, 0}},
    {"gclk_mux:GCLK2",           2, {lo(3, 0), lo(3, 1), none},     {0, 0, 0}},
    {"gclk_mux:GCLK3",           2, {lo(3, 0), lo(3, 1), none},     {1, 0, 0}},
    {"pt4_func:ce",              1, {hi(3, 1), none, none},         {0, 0, 0}},
    {"pt4_func:clk",             1, {hi(3, 1), none, none},         {1, 0, 0}},
    {"gclr_mux:GCLR",            1, {hi(4, 1), none, none},         {0, 0, 0}},
    {"gclr_mux:GND",             1, {hi(4, 1), none, none},         {1, 0, 0}},
    {"pt5_func:as",              1, {hi(5, 0), none, none},         {1, 0, 0}},
    {"pt5_func:oe",              1, {hi(5, 0), none, none},         {0, 0, 0}},
    {"xor_a_mux:VCC_pt2",        1, {lo(1, 0), none, none},         {1, 0, 0}},
    {"xor_a_mux:sum",            1, {lo(1, 0), none, none},         {0, 0, 0}},
    {"cas_mux:GND",              1, {lo(1, 0), none, none},         {0, 0, 0}},
    {"cas_mux:sum",              1, {lo(1, 0), none, none},         {1, 0, 0}},
    {"xor_b_mux:VCC_pt12",       1, {hi(1, 1), none, none},         {0, 0, 0}},
    {"xor_b_mux:ff_qn",          1, {hi(1, 1), none, none},         {1, 0, 0}},
    {"pt2_mux:sum",              1, {hi(1, 0), none, none},         {0, 0, 0}},
    {"pt2_mux:xor",              1, {hi(1, 0), none, none},         {1, 0, 0}},
    {"pt3_mux:ar",               1, {lo(0, 1), none, none},         {1, 0, 0}},
    {"pt3_mux:sum",              1, {lo(0, 1), none, none},         {0, 0, 0}},
    {"pt4_mux:clk_ce",           1, {lo(0, 0), none, none},         {1, 0, 0}},
    {"pt4_mux:sum",              1, {lo(0, 0), none, none},         {0, 0, 0}},
    {"pt5_mux:as_oe",            1, {hi(0, 0), none, none},         {1, 0, 0}},
    {"pt5_mux:sum",              1, {hi(0, 0), none, none},         {0, 0, 0}},
    {"fb_mux:comb",              1, {lo(2, 0), none, none},         {1, 0, 0}},
    {"fb_mux:sync",              1, {lo(2, 0), none, none},         {0, 0, 0}},
    {"xor_invert:off",           1, {hi(0, 1), none, none},         {1, 0, 0}},
    {"xor_invert:on",            1, {hi(0, 1), none, none},         {0, 0, 0}},
    {"reset:GND",                1, {hi(0, 1), none, none},         {0, 0, 0}},
    {"reset:VCC",                1, {hi(0, 1), none, none},         {1, 0, 0}},
    {"oe_mux:GND",               3, {lo(5, 0), lo(5, 1), hi(5, 1)}, {0, 0, 0}},
    {"oe_mux:GOE1",              3, {lo(5, 0), lo(5, 1), hi(5, 1)}, {0, 0, 1}},
    {"oe_mux:GOE2",              3, {lo(5, 0), lo(5, 1), hi(5, 1)}, {1, 0, 0}},
    {"oe_mux:GOE3",              3, {lo(5, 0), lo(5, 1), hi(5, 1)}, {1, 0, 1}},
    {"oe_mux:GOE4",              3, {lo(5, 0), lo(5, 1), hi(5, 1)}, {0, 1, 0}},
    {"oe_mux:GOE5",              3, {lo(5, 0), lo(5, 1), hi(5, 1)}, {0, 1, 1}},
    {"oe_mux:GOE6",              3, {lo(5, 0), lo(5, 1), hi(5, 1)}, {1, 1, 0}},
    {"oe_mux:VCC_pt5",           3, {lo(5, 0), lo(5, 1), hi(5, 1)}, {1, 1, 1}},
    {"o_mux:comb",               1, {hi(4, 0), none, none},         {1, 0, 0}},
    {"o_mux:sync",               1, {hi(4, 0), none, none},         {0, 0, 0}},
    {"d_mux:comb",               1, {lo(4, 0), none, none},         {1, 0, 0}},
    {"d_mux:fast",               1, {lo(4, 0), none, none},         {0, 0, 0}},
    {"dfast_mux:pad",            1, {hi(4, 0), none, none},         {0, 0, 0}},
    {"dfast_mux:pt2",            1, {hi(4, 0), none, none},         {1, 0, 0}},
    {"pt1_mux:flb",              1, {lo(1, 1), none, none},         {1, 0, 0}},
    {"pt1_mux:sum",              1, {lo(1, 1), none, none},         {0, 0, 0}},
}};
// clang-format on

constexpr int kConfigRowsStart = 15408; // centre of LAB A's row 0
constexpr int kRowLength = 80;
constexpr int kLABRows = 6;

int fuseIndex(int m, const FuseSlot &slot) {
  const int lab = m <= 16 ? 0 : 1;
  const int i = (m - 1) % 16;
  const int centre = kConfigRowsStart + kRowLength * slot.row + kRowLength * kLABRows * lab;
  const int bit = i % 2 == 0 ? slot.bit : 1 - slot.bit;
  return slot.pair == kHighPair ? centre + 2 * i + bit : centre - 2 * i - 2 + bit;
}

} // namespace

MacrocellFuseDB ATF1502FuseDB::buildMacrocell(int m) {
  return buildMacrocellOptions(m, kOptionRules, fuseIndex);
}

ATF1502FuseDB::ATF1502FuseDB() {
  for (int m = 1; m <= 32; ++m)
    macrocells_.push_back(buildMacrocell(m));
}

const MacrocellFuseDB &ATF1502FuseDB::macrocell(int n) const {
  for (const MacrocellFuseDB &entry : macrocells_)
    if (entry.macrocell == n)
      return entry;
  throw std::runtime_error("Macrocell not found");
}

const UIMFuseDB &ATF1502FuseDB::uim(int n) const {
  for (const UIMFuseDB &entry : uims_)
    if (entry.uim == n)
      return entry;
  throw std::runtime_error("UIM not found");
}

} // namespace gsmith
