// The 160 switch-matrix multiplexers of the ATF1504AS, nine select fuses
// each. They share 40 distinct source lists: switches s and s + 2 (s = 4k + 1
// or 4k + 2) and switches s and s + 80 select the same nine sources, so the
// table holds the 40 lists and every switch is generated from them.
#pragma once

#include "cpld/architecture.h"
#include "cpld/table-helpers.h"

#include <array>
#include <string_view>

namespace gsmith::atf1504 {

using SourceList = std::array<std::string_view, 9>;

// One row per distinct list; the comment names the switches that use it.
// clang-format off
inline constexpr std::array<SourceList, 40> kSourceListNames{{
    {{"M9_PAD", "MC2_FB", "M11_PAD", "MC24_FB", "M31_PAD", "MC40_FB", "M48_PAD", "M60_PAD", "MC51_FB"}}, // 1, 3, 81, 83
    {{"M52_PAD", "MC59_FB", "M50_PAD", "MC45_FB", "M38_PAD", "MC29_FB", "M21_PAD", "M1_PAD", "MC10_FB"}}, // 2, 4, 82, 84
    {{"M46_PAD", "MC3_FB", "M29_PAD", "MC22_FB", "M32_PAD", "MC38_FB", "M60_PAD", "MC52_FB", "GND0"}}, // 5, 7, 85, 87
    {{"M23_PAD", "MC58_FB", "M40_PAD", "MC47_FB", "M37_PAD", "MC31_FB", "M1_PAD", "MC9_FB", "GND0"}}, // 6, 8, 86, 88
    {{"M59_PAD", "MC4_FB", "MC21_FB", "MC23_FB", "M30_PAD", "MC37_FB", "M48_PAD", "MC52_FB", "GND0"}}, // 9, 11, 89, 91
    {{"M2_PAD", "MC57_FB", "MC48_FB", "MC46_FB", "M39_PAD", "MC32_FB", "M21_PAD", "MC9_FB", "GND0"}}, // 10, 12, 90, 92
    {{"MC1_FB", "MC3_FB", "M11_PAD", "MC22_FB", "M30_PAD", "MC39_FB", "M58_PAD", "M47_PAD", "MC51_FB"}}, // 13, 15, 93, 95
    {{"MC60_FB", "MC58_FB", "M50_PAD", "MC47_FB", "M39_PAD", "MC30_FB", "M3_PAD", "M22_PAD", "MC10_FB"}}, // 14, 16, 94, 96
    {{"M57_PAD", "MC1_FB", "M10_PAD", "MC21_FB", "M31_PAD", "MC37_FB", "MC49_FB", "GND0", "MC51_FB"}}, // 17, 19, 97, 99
    {{"M4_PAD", "MC60_FB", "M51_PAD", "MC48_FB", "M38_PAD", "MC32_FB", "MC12_FB", "GND0", "MC10_FB"}}, // 18, 20, 98, 100
    {{"M46_PAD", "MC1_FB", "M12_PAD", "MC23_FB", "MC39_FB", "MC40_FB", "M58_PAD", "MC50_FB", "GND0"}}, // 21, 23, 101, 103
    {{"M23_PAD", "MC60_FB", "M49_PAD", "MC46_FB", "MC30_FB", "MC29_FB", "M3_PAD", "MC11_FB", "GND0"}}, // 22, 24, 102, 104
    {{"M9_PAD", "MC4_FB", "M10_PAD", "MC23_FB", "M45_PAD", "MC38_FB", "M47_PAD", "MC50_FB", "C2_PAD"}}, // 25, 27, 105, 107
    {{"M52_PAD", "MC57_FB", "M51_PAD", "MC46_FB", "M24_PAD", "MC31_FB", "M22_PAD", "MC11_FB", "E1_PAD"}}, // 26, 28, 106, 108
    {{"M59_PAD", "MC2_FB", "M29_PAD", "MC21_FB", "M45_PAD", "MC39_FB", "MC49_FB", "MC52_FB", "GND0"}}, // 29, 31, 109, 111
    {{"M2_PAD", "MC59_FB", "M40_PAD", "MC48_FB", "M24_PAD", "MC30_FB", "MC12_FB", "MC9_FB", "GND0"}}, // 30, 32, 110, 112
    {{"M57_PAD", "MC3_FB", "M12_PAD", "MC24_FB", "M32_PAD", "MC37_FB", "MC49_FB", "GND0", "C2_PAD"}}, // 33, 35, 113, 115
    {{"M4_PAD", "MC58_FB", "M49_PAD", "MC45_FB", "M37_PAD", "MC32_FB", "MC12_FB", "GND0", "E1_PAD"}}, // 34, 36, 114, 116
    {{"MC2_FB", "MC4_FB", "MC22_FB", "MC24_FB", "MC38_FB", "MC40_FB", "MC50_FB", "GND0", "C2_PAD"}}, // 37, 39, 117, 119
    {{"MC59_FB", "MC57_FB", "MC47_FB", "MC45_FB", "MC31_FB", "MC29_FB", "MC11_FB", "GND0", "E1_PAD"}}, // 38, 40, 118, 120
    {{"M13_PAD", "MC6_FB", "M15_PAD", "MC20_FB", "M27_PAD", "MC36_FB", "M44_PAD", "M64_PAD", "MC55_FB"}}, // 41, 43, 121, 123
    {{"M56_PAD", "MC63_FB", "M54_PAD", "MC41_FB", "M34_PAD", "MC25_FB", "M17_PAD", "M5_PAD", "MC14_FB"}}, // 42, 44, 122, 124
    {{"M42_PAD", "MC7_FB", "M25_PAD", "MC18_FB", "M28_PAD", "MC34_FB", "M64_PAD", "MC56_FB", "GND0"}}, // 45, 47, 125, 127
    {{"M19_PAD", "MC62_FB", "M36_PAD", "MC43_FB", "M33_PAD", "MC27_FB", "M5_PAD", "MC13_FB", "GND0"}}, // 46, 48, 126, 128
    {{"M63_PAD", "MC8_FB", "MC17_FB", "MC19_FB", "M26_PAD", "MC33_FB", "M44_PAD", "MC56_FB", "GND0"}}, // 49, 51, 129, 131
    {{"M6_PAD", "MC61_FB", "MC44_FB", "MC42_FB", "M35_PAD", "MC28_FB", "M17_PAD", "MC13_FB", "GND0"}}, // 50, 52, 130, 132
    {{"MC5_FB", "MC7_FB", "M15_PAD", "MC18_FB", "M26_PAD", "MC35_FB", "M62_PAD", "M43_PAD", "MC55_FB"}}, // 53, 55, 133, 135
    {{"MC64_FB", "MC62_FB", "M54_PAD", "MC43_FB", "M35_PAD", "MC26_FB", "M7_PAD", "M18_PAD", "MC14_FB"}}, // 54, 56, 134, 136
    {{"M61_PAD", "MC5_FB", "M14_PAD", "MC17_FB", "M27_PAD", "MC33_FB", "MC53_FB", "GND0", "MC55_FB"}}, // 57, 59, 137, 139
    {{"M8_PAD", "MC64_FB", "M55_PAD", "MC44_FB", "M34_PAD", "MC28_FB", "MC16_FB", "GND0", "MC14_FB"}}, // 58, 60, 138, 140
    {{"M42_PAD", "MC5_FB", "M16_PAD", "MC19_FB", "MC35_FB", "MC36_FB", "M62_PAD", "MC54_FB", "GND0"}}, // 61, 63, 141, 143
    {{"M19_PAD", "MC64_FB", "M53_PAD", "MC42_FB", "MC26_FB", "MC25_FB", "M7_PAD", "MC15_FB", "GND0"}}, // 62, 64, 142, 144
    {{"M13_PAD", "MC8_FB", "M14_PAD", "MC19_FB", "M41_PAD", "MC34_FB", "M43_PAD", "MC54_FB", "R_PAD"}}, // 65, 67, 145, 147
    {{"M56_PAD", "MC61_FB", "M55_PAD", "MC42_FB", "M20_PAD", "MC27_FB", "M18_PAD", "MC15_FB", "C1_PAD"}}, // 66, 68, 146, 148
    {{"M63_PAD", "MC6_FB", "M25_PAD", "MC17_FB", "M41_PAD", "MC35_FB", "MC53_FB", "MC56_FB", "GND0"}}, // 69, 71, 149, 151
    {{"M6_PAD", "MC63_FB", "M36_PAD", "MC44_FB", "M20_PAD", "MC26_FB", "MC16_FB", "MC13_FB", "GND0"}}, // 70, 72, 150, 152
    {{"M61_PAD", "MC7_FB", "M16_PAD", "MC20_FB", "M28_PAD", "MC33_FB", "MC53_FB", "GND0", "R_PAD"}}, // 73, 75, 153, 155
    {{"M8_PAD", "MC62_FB", "M53_PAD", "MC41_FB", "M33_PAD", "MC28_FB", "MC16_FB", "GND0", "C1_PAD"}}, // 74, 76, 154, 156
    {{"MC6_FB", "MC8_FB", "MC18_FB", "MC20_FB", "MC34_FB", "MC36_FB", "MC54_FB", "GND0", "R_PAD"}}, // 77, 79, 157, 159
    {{"MC63_FB", "MC61_FB", "MC43_FB", "MC41_FB", "MC27_FB", "MC25_FB", "MC15_FB", "GND0", "C1_PAD"}}, // 78, 80, 158, 160
}};
// clang-format on

inline constexpr auto kSourceLists = sourceListsOf(kSourceListNames);

inline constexpr int kSwitchesPerHalf = 80;

// Switches 1..80 select with fuses from 32640, 81..160 from 33360; within a
// half, bit 1 of the switch number picks the LAB (A or D, B or C).
constexpr SwitchEntry switchEntry(int s) {
  const int position = (s - 1) % kSwitchesPerHalf;
  const bool firstHalf = s <= kSwitchesPerHalf;
  const bool bit1 = (s & 2) != 0;
  const Lab lab = firstHalf ? (bit1 ? Lab::D : Lab::A) : (bit1 ? Lab::C : Lab::B);
  const int trueColumn = kFoldbackColumns + 4 * (position / 4) + (s % 2 == 0 ? 2 : 0);
  return {s,
          lab,
          (firstHalf ? 32640 : 33360) + 9 * position,
          trueColumn,
          trueColumn + 1,
          kSourceLists[static_cast<size_t>(2 * (position / 4) + position % 2)]};
}

inline constexpr std::array<SwitchEntry, 160> kSwitches = [] {
  std::array<SwitchEntry, 160> switches{};
  for (int s = 1; s <= 160; ++s)
    switches[static_cast<size_t>(s - 1)] = switchEntry(s);
  return switches;
}();

} // namespace gsmith::atf1504
