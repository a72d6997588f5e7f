// The ATF1502 UIM multiplexer table. It is written as 40 rows, one per pair
// of UIMs, and expanded once into the 80 entries in search order. Every
// entry can also select "GND1" by leaving all five fuses at 1; each listed
// source is selected by clearing exactly one fuse.
#include "devices/atf1502/atf1502-routing.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace gsmith {

namespace {

using PairSources = std::array<std::string_view, 5>;

// Row k (0-based) holds the sources of UIMs 2k+1 and 2k+2, by cleared fuse +0..+4.
// clang-format off
constexpr std::array<PairSources, 40> kPairSources = {{
    {"M22_PAD", "MC29_FB", "MC16_FB", "GND0",    "C1_PAD"},  // 1, 2
    {"MC31_FB", "MC30_FB", "M6_PAD",  "GND0",    "MC13_FB"}, // 3, 4
    {"MC32_FB", "MC31_FB", "M8_PAD",  "M5_PAD",  "MC13_FB"}, // 5, 6
    {"M21_PAD", "MC30_FB", "M6_PAD",  "MC14_FB", "GND0"},    // 7, 8
    {"MC32_FB", "M23_PAD", "M7_PAD",  "MC14_FB", "GND0"},    // 9, 10
    {"M23_PAD", "MC29_FB", "MC15_FB", "M5_PAD",  "GND0"},    // 11, 12
    {"M24_PAD", "MC31_FB", "M8_PAD",  "MC15_FB", "GND0"},    // 13, 14
    {"M22_PAD", "MC30_FB", "MC16_FB", "M7_PAD",  "GND0"},    // 15, 16
    {"M24_PAD", "M21_PAD", "MC16_FB", "MC15_FB", "C1_PAD"},  // 17, 18
    {"MC32_FB", "MC29_FB", "MC14_FB", "GND0",    "C1_PAD"},  // 19, 20
    {"M18_PAD", "MC25_FB", "MC12_FB", "GND0",    "E1_PAD"},  // 21, 22
    {"MC27_FB", "MC26_FB", "M2_PAD",  "GND0",    "MC9_FB"},  // 23, 24
    {"MC28_FB", "MC27_FB", "M4_PAD",  "M1_PAD",  "MC9_FB"},  // 25, 26
    {"M17_PAD", "MC26_FB", "M2_PAD",  "MC10_FB", "GND0"},    // 27, 28
    {"MC28_FB", "M19_PAD", "M3_PAD",  "MC10_FB", "GND0"},    // 29, 30
    {"M19_PAD", "MC25_FB", "MC11_FB", "M1_PAD",  "GND0"},    // 31, 32
    {"M20_PAD", "MC27_FB", "M4_PAD",  "MC11_FB", "GND0"},    // 33, 34
    {"M18_PAD", "MC26_FB", "MC12_FB", "M3_PAD",  "GND0"},    // 35, 36
    {"M20_PAD", "M17_PAD", "MC12_FB", "MC11_FB", "E1_PAD"},  // 37, 38
    {"MC28_FB", "MC25_FB", "MC10_FB", "GND0",    "E1_PAD"},  // 39, 40
    {"M15_PAD", "MC8_FB",  "MC21_FB", "GND0",    "R_PAD"},   // 41, 42
    {"MC6_FB",  "MC7_FB",  "M31_PAD", "GND0",    "MC24_FB"}, // 43, 44
    {"MC5_FB",  "MC6_FB",  "M29_PAD", "M32_PAD", "MC24_FB"}, // 45, 46
    {"M16_PAD", "MC7_FB",  "M31_PAD", "MC23_FB", "GND0"},    // 47, 48
    {"MC5_FB",  "M14_PAD", "M30_PAD", "MC23_FB", "GND0"},    // 49, 50
    {"M14_PAD", "MC8_FB",  "MC22_FB", "M32_PAD", "GND0"},    // 51, 52
    {"M13_PAD", "MC6_FB",  "M29_PAD", "MC22_FB", "GND0"},    // 53, 54
    {"M15_PAD", "MC7_FB",  "MC21_FB", "M30_PAD", "GND0"},    // 55, 56
    {"M13_PAD", "M16_PAD", "MC21_FB", "MC22_FB", "R_PAD"},   // 57, 58
    {"MC5_FB",  "MC8_FB",  "MC23_FB", "GND0",    "R_PAD"},   // 59, 60
    {"M11_PAD", "MC4_FB",  "MC17_FB", "GND0",    "C2_PAD"},  // 61, 62
    {"MC2_FB",  "MC3_FB",  "M27_PAD", "GND0",    "MC20_FB"}, // 63, 64
    {"MC1_FB",  "MC2_FB",  "M25_PAD", "M28_PAD", "MC20_FB"}, // 65, 66
    {"M12_PAD", "MC3_FB",  "M27_PAD", "MC19_FB", "GND0"},    // 67, 68
    {"MC1_FB",  "M10_PAD", "M26_PAD", "MC19_FB", "GND0"},    // 69, 70
    {"M10_PAD", "MC4_FB",  "MC18_FB", "M28_PAD", "GND0"},    // 71, 72
    {"M9_PAD",  "MC2_FB",  "M25_PAD", "MC18_FB", "GND0"},    // 73, 74
    {"M11_PAD", "MC3_FB",  "MC17_FB", "M26_PAD", "GND0"},    // 75, 76
    {"M9_PAD",  "M12_PAD", "MC17_FB", "MC18_FB", "C2_PAD"},  // 77, 78
    {"MC1_FB",  "MC4_FB",  "MC19_FB", "GND0",    "C2_PAD"},  // 79, 80
}};
// clang-format on

constexpr unsigned kUIMFuseEnd = 16720; // UIM u selects with fuses 16720 - 5u .. +4

ATF1502UIMEntry buildEntry(int uim) {
  ATF1502UIMEntry entry{uim, kUIMFuseEnd - 5u * static_cast<unsigned>(uim), {}};
  entry.selections.push_back({"GND1", {1, 1, 1, 1, 1}});
  const PairSources &sources = kPairSources[static_cast<size_t>((uim - 1) / 2)];
  for (int k = 0; k < 5; ++k) {
    ATF1502UIMSelection selection{std::string(sources[static_cast<size_t>(k)]), {1, 1, 1, 1, 1}};
    selection.bits[k] = 0;
    entry.selections.push_back(selection);
  }
  return entry;
}

std::vector<ATF1502UIMEntry> buildEntries() {
  std::vector<ATF1502UIMEntry> entries;
  for (int uim = 2; uim <= ATF1502UIMDatabase::kUIMCount; uim += 2)
    entries.push_back(buildEntry(uim));
  for (int uim = 1; uim <= ATF1502UIMDatabase::kUIMCount; uim += 2)
    entries.push_back(buildEntry(uim));
  return entries;
}

const ATF1502UIMSelection *findSelection(const ATF1502UIMEntry &entry, const std::string &source) {
  for (const ATF1502UIMSelection &selection : entry.selections)
    if (selection.source == source)
      return &selection;
  return nullptr;
}

} // namespace

const std::vector<ATF1502UIMEntry> &ATF1502UIMDatabase::entries() {
  static const std::vector<ATF1502UIMEntry> table = buildEntries();
  return table;
}

const ATF1502UIMEntry &ATF1502UIMDatabase::getUIM(int uim) {
  for (const ATF1502UIMEntry &entry : entries())
    if (entry.uim == uim)
      return entry;
  throw std::runtime_error("UIM location not found");
}

bool ATF1502UIMDatabase::find(int uim, const std::string &source, unsigned &firstFuse,
                              unsigned char bits[5]) {
  for (const ATF1502UIMEntry &entry : entries()) {
    if (entry.uim != uim)
      continue;
    const ATF1502UIMSelection *selection = findSelection(entry, source);
    if (selection == nullptr)
      return false;
    firstFuse = entry.firstFuse;
    std::memcpy(bits, selection->bits, 5);
    return true;
  }
  return false;
}

bool ATF1502UIMDatabase::findSource(const std::string &source, const std::vector<int> &excluded,
                                    int &uim, unsigned &firstFuse, unsigned char bits[5]) {
  for (const ATF1502UIMEntry &entry : entries()) {
    if (std::find(excluded.begin(), excluded.end(), entry.uim) != excluded.end())
      continue;
    const ATF1502UIMSelection *selection = findSelection(entry, source);
    if (selection == nullptr)
      continue;
    uim = entry.uim;
    firstFuse = entry.firstFuse;
    std::memcpy(bits, selection->bits, 5);
    return true;
  }
  return false;
}

bool ATF1502UIMDatabase::supportsSource(const std::string &source) {
  int uim = 0;
  unsigned firstFuse = 0;
  unsigned char bits[5];
  return findSource(source, {}, uim, firstFuse, bits);
}

ATF1502LAB ATF1502UIMDatabase::labOfUIM(int uim) {
  return uim % 2 == 0 ? ATF1502LAB::A : ATF1502LAB::B;
}

std::vector<int> ATF1502UIMDatabase::uimsOutsideLAB(ATF1502LAB lab) {
  std::vector<int> outside;
  for (int uim = 1; uim <= kUIMCount; ++uim)
    if (labOfUIM(uim) != lab)
      outside.push_back(uim);
  return outside;
}

} // namespace gsmith
