// The 320 switch-matrix multiplexers of the ATF1508AS/ASV, 27 one-hot-low
// select fuses each. Mux k of every LAB offers the same source at the same
// select fuse, so the table holds the 40 lists (one per mux index) and every
// switch is generated from them; the lists are those the vendor's fit
// reports show beside the JEDEC file of the same run.
//
// "UNUSED" marks a select fuse for which no source is known (the exact source
// counts leave nothing for it). "~" marks an entry no vendor file shows but
// which the pairing of mux 2i with mux 2i + 1 (MC<m> with MC<129 - m>, R_PAD
// with E1_PAD, C1_PAD with C2_PAD) predicts; no vendor file contradicts that
// rule, but until one shows such an entry it is left unused too, so a route
// that needs one is refused rather than guessed. Removing the "~" is all it
// takes to use an entry once a vendor file confirms it.
#pragma once

#include "cpld/architecture.h"

#include <array>
#include <string_view>

namespace gsmith::atf1508 {

using SourceList = std::array<std::string_view, 27>;

// Row k: mux k's sources at select fuses 0..26.
// clang-format off
inline constexpr std::array<SourceList, 40> kSourceListNames{{
    {{"MC19_FB", "MC7_FB", "MC3_FB", "M128_PAD", "~MC117_FB", "M13_PAD", "MC88_FB",
      "~M96_PAD", "MC67_FB", "MC52_FB", "M73_PAD", "MC40_FB", "M46_PAD", "M27_PAD",
      "MC18_FB", "~M124_PAD", "MC113_FB", "M9_PAD", "MC84_FB", "~M92_PAD", "MC71_FB",
      "MC56_FB", "M77_PAD", "MC36_FB", "M43_PAD", "MC23_FB", "M30_PAD"}}, // 0
    {{"MC110_FB", "MC122_FB", "MC126_FB", "M1_PAD", "MC12_FB", "~M116_PAD", "MC41_FB",
      "M33_PAD", "MC62_FB", "MC77_FB", "M56_PAD", "MC89_FB", "M83_PAD", "M102_PAD",
      "MC111_FB", "M5_PAD", "MC16_FB", "M120_PAD", "MC45_FB", "M37_PAD", "MC58_FB",
      "MC73_FB", "~M52_PAD", "MC93_FB", "M86_PAD", "MC106_FB", "M99_PAD"}}, // 1
    {{"MC5_FB", "MC4_FB", "MC1_FB", "UNUSED", "MC118_FB", "MC98_FB", "MC35_FB",
      "M105_PAD", "MC68_FB", "~M76_PAD", "MC52_FB", "~M48_PAD", "MC38_FB", "MC20_FB",
      "M27_PAD", "~MC113_FB", "M121_PAD", "~M12_PAD", "MC103_FB", "~M92_PAD", "MC81_FB",
      "M89_PAD", "MC70_FB", "MC54_FB", "M41_PAD", "MC24_FB", "R_PAD"}}, // 2
    {{"MC124_FB", "~MC125_FB", "MC128_FB", "UNUSED", "MC11_FB", "MC31_FB", "MC94_FB",
      "M24_PAD", "MC61_FB", "M53_PAD", "MC77_FB", "M81_PAD", "MC91_FB", "MC109_FB",
      "M102_PAD", "MC16_FB", "M8_PAD", "M117_PAD", "MC26_FB", "M37_PAD", "MC48_FB",
      "M40_PAD", "MC59_FB", "MC75_FB", "M88_PAD", "MC105_FB", "E1_PAD"}}, // 3
    {{"MC66_FB", "MC8_FB", "MC1_FB", "MC117_FB", "M125_PAD", "M16_PAD", "~MC99_FB",
      "MC85_FB", "~M96_PAD", "M93_PAD", "MC51_FB", "MC50_FB", "M57_PAD", "M45_PAD",
      "MC20_FB", "C2_PAD", "MC114_FB", "MC102_FB", "MC84_FB", "M109_PAD", "MC72_FB",
      "M80_PAD", "MC56_FB", "~M44_PAD", "MC34_FB", "MC24_FB", "M30_PAD"}}, // 4
    {{"MC63_FB", "MC121_FB", "MC128_FB", "MC12_FB", "~M4_PAD", "M113_PAD", "MC30_FB",
      "MC44_FB", "M33_PAD", "~M36_PAD", "MC78_FB", "MC79_FB", "M72_PAD", "~M84_PAD",
      "MC109_FB", "C1_PAD", "MC15_FB", "MC27_FB", "MC45_FB", "~M20_PAD", "MC57_FB",
      "M49_PAD", "MC73_FB", "M85_PAD", "MC95_FB", "MC105_FB", "M99_PAD"}}, // 5
    {{"MC5_FB", "MC8_FB", "MC3_FB", "MC119_FB", "M126_PAD", "M13_PAD", "MC97_FB",
      "M107_PAD", "MC85_FB", "MC65_FB", "M75_PAD", "MC40_FB", "M57_PAD", "~M28_PAD",
      "MC18_FB", "~MC114_FB", "M121_PAD", "MC104_FB", "M11_PAD", "MC83_FB", "M109_PAD",
      "M91_PAD", "MC69_FB", "M64_PAD", "MC53_FB", "MC33_FB", "~M32_PAD"}}, // 6
    {{"MC124_FB", "MC121_FB", "MC126_FB", "MC10_FB", "M3_PAD", "~M116_PAD", "MC32_FB",
      "M22_PAD", "MC44_FB", "MC64_FB", "M54_PAD", "MC89_FB", "M72_PAD", "M101_PAD",
      "MC111_FB", "MC15_FB", "M8_PAD", "MC25_FB", "M118_PAD", "MC46_FB", "~M20_PAD",
      "M38_PAD", "MC60_FB", "M65_PAD", "MC76_FB", "MC96_FB", "M97_PAD"}}, // 7
    {{"MC66_FB", "MC7_FB", "MC1_FB", "MC118_FB", "M125_PAD", "MC100_FB", "M14_PAD",
      "MC87_FB", "M105_PAD", "M94_PAD", "~MC65_FB", "~M60_PAD", "MC49_FB", "MC37_FB",
      "~M28_PAD", "~MC115_FB", "M123_PAD", "M9_PAD", "MC101_FB", "M110_PAD", "MC81_FB",
      "MC69_FB", "M78_PAD", "MC36_FB", "M61_PAD", "~M32_PAD", "MC22_FB"}}, // 8
    {{"MC63_FB", "MC122_FB", "MC128_FB", "MC11_FB", "~M4_PAD", "MC29_FB", "M115_PAD",
      "MC42_FB", "M24_PAD", "M35_PAD", "MC64_FB", "M69_PAD", "MC80_FB", "MC92_FB",
      "M101_PAD", "MC14_FB", "M6_PAD", "M120_PAD", "MC28_FB", "M19_PAD", "MC48_FB",
      "MC60_FB", "M51_PAD", "MC93_FB", "~M68_PAD", "M97_PAD", "MC107_FB"}}, // 9
    {{"MC17_FB", "MC2_FB", "MC21_FB", "MC120_FB", "M128_PAD", "M16_PAD", "~MC97_FB",
      "MC87_FB", "~M108_PAD", "MC68_FB", "M75_PAD", "MC50_FB", "~M60_PAD", "MC39_FB",
      "~M48_PAD", "MC115_FB", "~MC113_FB", "MC103_FB", "M11_PAD", "M110_PAD", "MC82_FB",
      "MC71_FB", "M89_PAD", "MC53_FB", "M62_PAD", "MC34_FB", "M43_PAD"}}, // 10
    {{"MC112_FB", "MC127_FB", "MC108_FB", "MC9_FB", "M1_PAD", "M113_PAD", "MC32_FB",
      "MC42_FB", "M21_PAD", "MC61_FB", "M54_PAD", "MC79_FB", "M69_PAD", "MC90_FB",
      "M81_PAD", "MC14_FB", "MC16_FB", "MC26_FB", "M118_PAD", "M19_PAD", "MC47_FB",
      "MC58_FB", "M40_PAD", "MC76_FB", "M67_PAD", "MC95_FB", "M86_PAD"}}, // 11
    {{"MC17_FB", "MC6_FB", "MC21_FB", "MC119_FB", "~MC99_FB", "M14_PAD", "MC35_FB",
      "MC86_FB", "M107_PAD", "MC67_FB", "M93_PAD", "MC49_FB", "M59_PAD", "MC38_FB",
      "M46_PAD", "MC116_FB", "~M124_PAD", "~M12_PAD", "MC101_FB", "~M112_PAD", "MC83_FB",
      "MC72_FB", "M78_PAD", "MC54_FB", "M64_PAD", "~M44_PAD", "MC24_FB"}}, // 12
    {{"MC112_FB", "MC123_FB", "MC108_FB", "MC10_FB", "MC30_FB", "M115_PAD", "MC94_FB",
      "MC43_FB", "M22_PAD", "MC62_FB", "~M36_PAD", "MC80_FB", "M70_PAD", "MC91_FB",
      "M83_PAD", "MC13_FB", "M5_PAD", "M117_PAD", "MC28_FB", "M17_PAD", "MC46_FB",
      "MC57_FB", "M51_PAD", "MC75_FB", "M65_PAD", "M85_PAD", "MC105_FB"}}, // 13
    {{"MC66_FB", "MC6_FB", "MC4_FB", "MC120_FB", "UNUSED", "MC100_FB", "MC88_FB",
      "MC87_FB", "M94_PAD", "MC51_FB", "M73_PAD", "MC39_FB", "M45_PAD", "MC18_FB",
      "M25_PAD", "MC116_FB", "M123_PAD", "MC102_FB", "MC55_FB", "~M112_PAD", "MC82_FB",
      "M80_PAD", "M29_PAD", "M62_PAD", "MC33_FB", "MC23_FB", "R_PAD"}}, // 14
    {{"MC63_FB", "~MC123_FB", "MC125_FB", "MC9_FB", "UNUSED", "MC29_FB", "MC41_FB",
      "MC42_FB", "M35_PAD", "MC78_FB", "M56_PAD", "MC90_FB", "~M84_PAD", "MC111_FB",
      "M104_PAD", "MC13_FB", "M6_PAD", "MC27_FB", "MC74_FB", "M17_PAD", "MC47_FB",
      "M49_PAD", "~M100_PAD", "M67_PAD", "MC96_FB", "MC106_FB", "E1_PAD"}}, // 15
    {{"MC19_FB", "MC8_FB", "MC2_FB", "MC120_FB", "M126_PAD", "MC98_FB", "MC35_FB",
      "~M108_PAD", "MC86_FB", "~M76_PAD", "~MC51_FB", "MC50_FB", "M59_PAD", "MC37_FB",
      "M25_PAD", "C2_PAD", "MC104_FB", "MC84_FB", "MC55_FB", "M91_PAD", "MC70_FB",
      "M77_PAD", "M29_PAD", "MC54_FB", "UNUSED", "M41_PAD", "MC22_FB"}}, // 16
    {{"MC110_FB", "MC121_FB", "MC127_FB", "MC9_FB", "M3_PAD", "MC31_FB", "MC94_FB",
      "M21_PAD", "MC43_FB", "M53_PAD", "MC78_FB", "MC79_FB", "M70_PAD", "MC92_FB",
      "M104_PAD", "C1_PAD", "MC25_FB", "MC45_FB", "MC74_FB", "M38_PAD", "MC59_FB",
      "~M52_PAD", "~M100_PAD", "MC75_FB", "UNUSED", "M88_PAD", "MC107_FB"}}, // 17
    {{"MC66_FB", "MC8_FB", "MC3_FB", "MC117_FB", "M125_PAD", "M16_PAD", "MC99_FB",
      "MC85_FB", "~M96_PAD", "M93_PAD", "MC52_FB", "MC50_FB", "M57_PAD", "M45_PAD",
      "MC20_FB", "~M124_PAD", "~MC113_FB", "M9_PAD", "MC84_FB", "~M92_PAD", "MC71_FB",
      "MC56_FB", "M77_PAD", "MC36_FB", "M43_PAD", "MC23_FB", "M30_PAD"}}, // 18
    {{"MC63_FB", "MC121_FB", "MC126_FB", "MC12_FB", "~M4_PAD", "M113_PAD", "MC30_FB",
      "MC44_FB", "M33_PAD", "~M36_PAD", "MC77_FB", "MC79_FB", "M72_PAD", "~M84_PAD",
      "MC109_FB", "M5_PAD", "MC16_FB", "M120_PAD", "MC45_FB", "M37_PAD", "MC58_FB",
      "MC73_FB", "~M52_PAD", "MC93_FB", "M86_PAD", "MC106_FB", "M99_PAD"}}, // 19
    {{"MC19_FB", "MC7_FB", "MC4_FB", "M128_PAD", "MC117_FB", "M13_PAD", "MC88_FB",
      "~M96_PAD", "MC67_FB", "MC52_FB", "M73_PAD", "MC40_FB", "M46_PAD", "MC20_FB",
      "M27_PAD", "~MC113_FB", "M121_PAD", "~M12_PAD", "MC103_FB", "~M92_PAD", "~MC81_FB",
      "M89_PAD", "MC70_FB", "MC54_FB", "M61_PAD", "M41_PAD", "MC24_FB"}}, // 20
    {{"MC110_FB", "MC122_FB", "MC125_FB", "M1_PAD", "MC12_FB", "~M116_PAD", "MC41_FB",
      "M33_PAD", "MC62_FB", "MC77_FB", "M56_PAD", "MC89_FB", "M83_PAD", "MC109_FB",
      "M102_PAD", "MC16_FB", "M8_PAD", "M117_PAD", "MC26_FB", "M37_PAD", "MC48_FB",
      "M40_PAD", "MC59_FB", "MC75_FB", "~M68_PAD", "M88_PAD", "MC105_FB"}}, // 21
    {{"MC19_FB", "MC7_FB", "MC1_FB", "MC118_FB", "M125_PAD", "MC100_FB", "M14_PAD",
      "MC87_FB", "M105_PAD", "M94_PAD", "~MC65_FB", "~M60_PAD", "MC49_FB", "MC37_FB",
      "~M28_PAD", "C2_PAD", "MC114_FB", "MC103_FB", "MC102_FB", "M109_PAD", "MC72_FB",
      "M80_PAD", "MC56_FB", "~M44_PAD", "MC34_FB", "MC24_FB", "M30_PAD"}}, // 22
    {{"MC110_FB", "MC122_FB", "MC128_FB", "MC11_FB", "~M4_PAD", "MC29_FB", "M115_PAD",
      "MC42_FB", "M24_PAD", "M35_PAD", "MC64_FB", "M69_PAD", "MC80_FB", "MC92_FB",
      "M101_PAD", "C1_PAD", "MC15_FB", "MC26_FB", "MC27_FB", "~M20_PAD", "MC57_FB",
      "M49_PAD", "MC73_FB", "M85_PAD", "MC95_FB", "MC105_FB", "M99_PAD"}}, // 23
    {{"MC5_FB", "MC7_FB", "MC3_FB", "UNUSED", "MC118_FB", "MC98_FB", "~MC88_FB",
      "M105_PAD", "MC68_FB", "~M76_PAD", "MC52_FB", "~M48_PAD", "MC38_FB", "MC20_FB",
      "M27_PAD", "~MC114_FB", "M121_PAD", "MC104_FB", "M11_PAD", "MC83_FB", "M109_PAD",
      "M91_PAD", "MC69_FB", "MC53_FB", "MC33_FB", "~M32_PAD", "R_PAD"}}, // 24
    {{"MC124_FB", "MC122_FB", "MC126_FB", "UNUSED", "MC11_FB", "MC31_FB", "MC41_FB",
      "M24_PAD", "MC61_FB", "M53_PAD", "MC77_FB", "M81_PAD", "MC91_FB", "MC109_FB",
      "M102_PAD", "MC15_FB", "M8_PAD", "MC25_FB", "M118_PAD", "MC46_FB", "~M20_PAD",
      "M38_PAD", "MC60_FB", "MC76_FB", "MC96_FB", "M97_PAD", "E1_PAD"}}, // 25
    {{"MC17_FB", "MC6_FB", "MC1_FB", "MC119_FB", "MC118_FB", "MC99_FB", "M14_PAD",
      "MC86_FB", "M107_PAD", "~MC67_FB", "M93_PAD", "MC49_FB", "M59_PAD", "MC38_FB",
      "M46_PAD", "~MC115_FB", "M123_PAD", "M9_PAD", "MC101_FB", "M110_PAD", "~MC81_FB",
      "~MC69_FB", "M78_PAD", "MC36_FB", "M61_PAD", "~M32_PAD", "MC22_FB"}}, // 26
    {{"MC112_FB", "~MC123_FB", "MC128_FB", "MC10_FB", "MC11_FB", "MC30_FB", "M115_PAD",
      "MC43_FB", "M22_PAD", "MC62_FB", "~M36_PAD", "MC80_FB", "M70_PAD", "MC91_FB",
      "M83_PAD", "MC14_FB", "M6_PAD", "M120_PAD", "MC28_FB", "M19_PAD", "MC48_FB",
      "MC60_FB", "M51_PAD", "MC93_FB", "~M68_PAD", "M97_PAD", "MC107_FB"}}, // 27
    {{"MC5_FB", "MC2_FB", "MC21_FB", "MC119_FB", "M126_PAD", "M13_PAD", "~MC97_FB",
      "M107_PAD", "MC85_FB", "MC65_FB", "M75_PAD", "MC40_FB", "M57_PAD", "~M28_PAD",
      "MC18_FB", "MC115_FB", "UNUSED", "MC103_FB", "M11_PAD", "M110_PAD", "MC82_FB",
      "MC71_FB", "M89_PAD", "MC53_FB", "M62_PAD", "MC34_FB", "M43_PAD"}}, // 28
    {{"MC124_FB", "MC127_FB", "MC108_FB", "MC10_FB", "M3_PAD", "~M116_PAD", "MC32_FB",
      "M22_PAD", "MC44_FB", "MC64_FB", "M54_PAD", "MC89_FB", "M72_PAD", "M101_PAD",
      "MC111_FB", "MC14_FB", "UNUSED", "MC26_FB", "M118_PAD", "M19_PAD", "MC47_FB",
      "MC58_FB", "M40_PAD", "MC76_FB", "M67_PAD", "MC95_FB", "M86_PAD"}}, // 29
    {{"MC19_FB", "MC8_FB", "MC21_FB", "MC120_FB", "M126_PAD", "MC98_FB", "~MC35_FB",
      "~M108_PAD", "MC86_FB", "~M76_PAD", "MC51_FB", "MC49_FB", "M59_PAD", "~MC37_FB",
      "M25_PAD", "MC116_FB", "~M124_PAD", "~M12_PAD", "MC101_FB", "~M112_PAD", "MC83_FB",
      "MC72_FB", "M78_PAD", "MC54_FB", "M64_PAD", "~M44_PAD", "MC22_FB"}}, // 30
    {{"MC110_FB", "MC121_FB", "MC108_FB", "MC9_FB", "M3_PAD", "MC31_FB", "MC94_FB",
      "M21_PAD", "MC43_FB", "M53_PAD", "MC78_FB", "MC80_FB", "M70_PAD", "MC92_FB",
      "M104_PAD", "MC13_FB", "M5_PAD", "M117_PAD", "MC28_FB", "M17_PAD", "MC46_FB",
      "MC57_FB", "M51_PAD", "MC75_FB", "M65_PAD", "M85_PAD", "MC107_FB"}}, // 31
    {{"MC17_FB", "MC6_FB", "MC4_FB", "MC120_FB", "M128_PAD", "M16_PAD", "MC97_FB",
      "MC87_FB", "~M108_PAD", "MC68_FB", "M75_PAD", "MC50_FB", "~M60_PAD", "MC39_FB",
      "~M48_PAD", "MC116_FB", "M123_PAD", "MC102_FB", "MC55_FB", "~M112_PAD", "MC82_FB",
      "M80_PAD", "M29_PAD", "UNUSED", "M62_PAD", "MC33_FB", "MC23_FB"}}, // 32
    {{"MC112_FB", "~MC123_FB", "~MC125_FB", "MC9_FB", "M1_PAD", "M113_PAD", "MC32_FB",
      "MC42_FB", "M21_PAD", "MC61_FB", "M54_PAD", "MC79_FB", "M69_PAD", "MC90_FB",
      "M81_PAD", "MC13_FB", "M6_PAD", "MC27_FB", "MC74_FB", "M17_PAD", "MC47_FB",
      "M49_PAD", "~M100_PAD", "UNUSED", "M67_PAD", "MC96_FB", "MC106_FB"}}, // 33
    {{"MC66_FB", "MC6_FB", "MC2_FB", "UNUSED", "MC100_FB", "~MC88_FB", "MC35_FB",
      "MC86_FB", "M94_PAD", "~MC51_FB", "M73_PAD", "MC39_FB", "M45_PAD", "MC18_FB",
      "M25_PAD", "C2_PAD", "MC104_FB", "MC84_FB", "MC55_FB", "M91_PAD", "MC70_FB",
      "M77_PAD", "M29_PAD", "MC53_FB", "M41_PAD", "MC22_FB", "R_PAD"}}, // 34
    {{"MC63_FB", "MC123_FB", "MC127_FB", "UNUSED", "MC29_FB", "MC41_FB", "MC94_FB",
      "MC43_FB", "M35_PAD", "MC78_FB", "M56_PAD", "MC90_FB", "~M84_PAD", "MC111_FB",
      "M104_PAD", "C1_PAD", "MC25_FB", "MC45_FB", "MC74_FB", "M38_PAD", "MC59_FB",
      "~M52_PAD", "~M100_PAD", "MC76_FB", "M88_PAD", "MC107_FB", "E1_PAD"}}, // 35
    {{"MC17_FB", "MC3_FB", "MC21_FB", "UNUSED", "MC117_FB", "MC99_FB", "~MC97_FB",
      "UNUSED", "MC68_FB", "~MC65_FB", "UNUSED", "UNUSED", "MC39_FB", "MC37_FB",
      "UNUSED", "MC116_FB", "MC114_FB", "MC104_FB", "MC101_FB", "MC82_FB", "MC72_FB",
      "MC70_FB", "MC56_FB", "MC36_FB", "M61_PAD", "MC34_FB", "R_PAD"}}, // 36
    {{"MC112_FB", "MC126_FB", "MC108_FB", "UNUSED", "MC12_FB", "MC30_FB", "MC32_FB",
      "UNUSED", "MC61_FB", "MC64_FB", "UNUSED", "UNUSED", "MC90_FB", "MC92_FB",
      "UNUSED", "MC13_FB", "MC15_FB", "MC25_FB", "MC28_FB", "MC47_FB", "MC57_FB",
      "MC59_FB", "MC73_FB", "MC93_FB", "~M68_PAD", "MC95_FB", "E1_PAD"}}, // 37
    {{"MC5_FB", "MC4_FB", "MC2_FB", "UNUSED", "MC119_FB", "MC100_FB", "MC98_FB",
      "UNUSED", "MC85_FB", "~MC67_FB", "UNUSED", "UNUSED", "MC40_FB", "MC38_FB",
      "UNUSED", "C2_PAD", "~MC115_FB", "MC102_FB", "MC55_FB", "MC83_FB", "MC81_FB",
      "MC71_FB", "~MC69_FB", "M64_PAD", "UNUSED", "MC33_FB", "MC23_FB"}}, // 38
    {{"MC124_FB", "MC125_FB", "MC127_FB", "UNUSED", "MC10_FB", "MC29_FB", "MC31_FB",
      "UNUSED", "MC44_FB", "MC62_FB", "UNUSED", "UNUSED", "MC89_FB", "MC91_FB",
      "UNUSED", "C1_PAD", "MC14_FB", "MC27_FB", "MC74_FB", "MC46_FB", "MC48_FB",
      "MC58_FB", "MC60_FB", "M65_PAD", "UNUSED", "MC96_FB", "MC106_FB"}}, // 39
}};
// clang-format on

// A table entry as the engine sees it: a predicted-only entry is unused.
constexpr SignalSource confirmedSource(std::string_view name) {
  return name.starts_with('~') ? SignalSource{SourceKind::UNUSED, 0} : parseSource(name);
}

using Sources = std::array<SignalSource, 27>;

constexpr std::array<Sources, 40> confirmedSourceLists() {
  std::array<Sources, 40> lists{};
  for (std::size_t k = 0; k < lists.size(); ++k)
    for (std::size_t j = 0; j < lists[k].size(); ++j)
      lists[k][j] = confirmedSource(kSourceListNames[k][j]);
  return lists;
}

inline constexpr auto kSourceLists = confirmedSourceLists();

inline constexpr int kSwitchesPerGroup = 80;
inline constexpr int kFirstSwitchFuse = 65280;
inline constexpr int kSelectFuses = 27;

// Four groups of 80 switches, each shared by two LABs (A and H, B and G, C
// and F, D and E); within a group, bit 1 of the switch number picks the
// second LAB. Position p in the group is mux 2 (p div 4) of its LAB, plus 1
// when p mod 4 is 1 or 3.
constexpr SwitchEntry switchEntry(int s) {
  const int group = (s - 1) / kSwitchesPerGroup;
  const int position = (s - 1) % kSwitchesPerGroup;
  const int mux = 2 * (position / 4) + position % 2;
  const Lab lab = (s & 2) != 0 ? Lab(7 - group) : Lab(group);
  return {s,
          lab,
          kFirstSwitchFuse + kSelectFuses * (s - 1),
          kFoldbackColumns + 2 * mux,
          kFoldbackColumns + 2 * mux + 1,
          kSourceLists[static_cast<std::size_t>(mux)]};
}

inline constexpr std::array<SwitchEntry, 320> kSwitches = [] {
  std::array<SwitchEntry, 320> switches{};
  for (int s = 1; s <= 320; ++s)
    switches[static_cast<std::size_t>(s - 1)] = switchEntry(s);
  return switches;
}();

} // namespace gsmith::atf1508
