// The ATF1504 global multiplexer tables and address rules.
#include "devices/atf1504/atf1504-global-db.h"

#include <array>
#include <set>
#include <utility>

namespace gsmith {

namespace {

constexpr int kGOEMuxBase = 34071;
constexpr int kGOEInvertBase = 34137;
constexpr int kGCLRInvertFuse = 34144;
constexpr int kGCLKBase = 34142;

using SourceList = std::array<const char *, ATF1504GlobalDB::kSelectionsPerGOE>;

// clang-format off
constexpr std::array<SourceList, ATF1504GlobalDB::kGOECount> kGOESources{{
    {{"GND0", "M51_PAD", "M40_PAD", "MC46_FB", "M24_PAD", "MC30_FB", "M3_PAD", "MC11_FB", "E1_PAD"}}, // GOE1
    {{"M57_PAD", "MC4_FB", "M11_PAD", "MC24_FB", "M30_PAD", "MC40_FB", "GND0", "MC52_FB", "C2_PAD"}}, // GOE2
    {{"M46_PAD", "MC1_FB", "MC3_FB", "M11_PAD", "MC21_FB", "M30_PAD", "GND0", "MC49_FB", "MC51_FB"}}, // GOE3
    {{"M14_PAD", "M25_PAD", "MC17_FB", "MC20_FB", "M41_PAD", "MC33_FB", "MC36_FB", "M62_PAD", "GND0"}}, // GOE4
    {{"MC5_FB", "M16_PAD", "M25_PAD", "MC19_FB", "M41_PAD", "MC35_FB", "M64_PAD", "MC53_FB", "GND0"}}, // GOE5
    {{"M19_PAD", "MC62_FB", "M53_PAD", "MC41_FB", "M35_PAD", "MC25_FB", "M17_PAD", "M5_PAD", "GND0"}}, // GOE6
}};
// clang-format on

struct ClockRoute {
  const char *source;
  int value;
};

// The global clock multiplexer value per input pin; the same for every clock.
constexpr std::array<ClockRoute, 3> kClockRoutes{{{"C1_PAD", 3}, {"C2_PAD", 1}, {"M64_PAD", 0}}};

bool validGOE(int goe) { return goe >= 1 && goe <= ATF1504GlobalDB::kGOECount; }
bool validClock(int clock) { return clock >= 1 && clock <= ATF1504GlobalDB::kGlobalClockCount; }

std::vector<ATF1504GOESelection> generateSelections() {
  std::vector<ATF1504GOESelection> table;
  for (int goe = 1; goe <= ATF1504GlobalDB::kGOECount; ++goe) {
    for (int offset = 0; offset < ATF1504GlobalDB::kSelectionsPerGOE; ++offset)
      table.push_back({goe, kGOESources[goe - 1][offset], offset});
  }
  return table;
}

} // namespace

const std::vector<ATF1504GOESelection> &ATF1504GlobalDB::selections() {
  static const std::vector<ATF1504GOESelection> table = generateSelections();
  return table;
}

int ATF1504GlobalDB::goeMuxOffset(int goe) {
  return validGOE(goe) ? kGOEMuxBase + kSelectionsPerGOE * goe : -1;
}

int ATF1504GlobalDB::goeSelectionFuse(int goe, const std::string &source) {
  if (!validGOE(goe))
    return -1;
  for (const ATF1504GOESelection &entry : selections()) {
    if (entry.goe == goe && entry.source == source)
      return goeMuxOffset(goe) + entry.offset;
  }
  return -1;
}

int ATF1504GlobalDB::goeInvertFuse(int goe) { return validGOE(goe) ? kGOEInvertBase + goe : -1; }

int ATF1504GlobalDB::gclrInvertFuse() { return kGCLRInvertFuse; }

int ATF1504GlobalDB::gclkInvertFuse(int clock) {
  return validClock(clock) ? kGCLKBase + 3 * clock : -1;
}

int ATF1504GlobalDB::gclkMuxFuse(int clock, int bit) {
  if (!validClock(clock) || bit < 0 || bit > 1)
    return -1;
  return kGCLKBase + 1 + 3 * clock + bit;
}

int ATF1504GlobalDB::gclkMuxValue(int clock, const std::string &source) {
  if (!validClock(clock))
    return -1;
  for (const ClockRoute &route : kClockRoutes) {
    if (source == route.source)
      return route.value;
  }
  return -1;
}

bool ATF1504GlobalDB::validate(const std::vector<ATF1504GOESelection> &table) {
  std::set<std::pair<int, int>> seen;
  for (const ATF1504GOESelection &entry : table) {
    if (!validGOE(entry.goe) || entry.offset < 0 || entry.offset >= kSelectionsPerGOE ||
        entry.source.empty() || !seen.insert({entry.goe, entry.offset}).second)
      return false;
  }
  if (static_cast<int>(seen.size()) != kGOECount * kSelectionsPerGOE)
    return false;
  return gclkMuxValue(1, "C1_PAD") == 3 && gclkMuxValue(2, "C2_PAD") == 1 &&
         gclkMuxValue(3, "M64_PAD") == 0;
}

bool ATF1504GlobalDB::validate() { return validate(selections()); }

} // namespace gsmith
