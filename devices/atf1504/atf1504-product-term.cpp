// The ATF1504 product-term address rules. Each LAB owns a 7680-fuse block of
// 80 rows; macrocells come in pairs that share ten rows, the odd macrocell in
// the lower five rows ascending and the even one in the upper five descending,
// with the first pair at the top of the block.
#include "devices/atf1504/atf1504-product-term.h"

#include "devices/atf1504/atf1504-chip.h"
#include "devices/atf1504/atf1504-switch-db.h"

#include <array>
#include <vector>

namespace gsmith {

namespace {

constexpr int kPairRows = 10;
constexpr int kPairsPerLAB = 8;
constexpr int kOddRowsStart = 4 * ATF1504ProductTermLayout::kRowWidth;

// Block bases by LAB index A..D; the array places D before C.
constexpr std::array<int, ATF1504Chip::kLABCount> kBlockBases{0, 7680, 23040, 15360};

} // namespace

int ATF1504ProductTermLayout::blockBase(ATF1502LAB lab) {
  return kBlockBases[ATF1504Chip::index(lab)];
}

int ATF1504ProductTermLayout::productTermOffset(int macrocell, int pt) {
  if (macrocell < 1 || macrocell > ATF1504Device::kMacrocellCount || pt < 1 ||
      pt > ATF1504Device::kProductTermsPerMacrocell)
    return -1;
  const int pairFromTop = kPairsPerLAB - 1 - ((macrocell - 1) / 2) % kPairsPerLAB;
  const int base =
      blockBase(ATF1504Chip::labOfMacrocell(macrocell)) + pairFromTop * kPairRows * kRowWidth;
  if (macrocell % 2 == 1)
    return base + kOddRowsStart + kRowWidth * pt;
  return base + kRowWidth * (ATF1504Device::kProductTermsPerMacrocell - pt);
}

int ATF1504ProductTermLayout::foldbackFuse(int macrocell) {
  if (macrocell < 1 || macrocell > ATF1504Device::kMacrocellCount)
    return -1;
  return (macrocell - 1) % ATF1504Chip::kMacrocellsPerLAB;
}

int ATF1504ProductTermLayout::uimFuse(int switchNumber, bool complement) {
  if (switchNumber < 1 || switchNumber > ATF1504SwitchDB::kSwitchCount)
    return -1;
  return kFoldbackColumns + 4 * (((switchNumber - 1) % 80) / 4) + (switchNumber % 2 == 0 ? 2 : 0) +
         (complement ? 1 : 0);
}

bool ATF1504ProductTermLayout::isLABAUIM(int s) { return ATF1504SwitchDB::isLABASwitch(s); }
bool ATF1504ProductTermLayout::isLABBUIM(int s) { return ATF1504SwitchDB::isLABBSwitch(s); }
bool ATF1504ProductTermLayout::isLABCUIM(int s) { return ATF1504SwitchDB::isLABCSwitch(s); }
bool ATF1504ProductTermLayout::isLABDUIM(int s) { return ATF1504SwitchDB::isLABDSwitch(s); }

ATF1504ProductTermLayout::Rules ATF1504ProductTermLayout::builtInRules() {
  return {productTermOffset, uimFuse};
}

bool ATF1504ProductTermLayout::validateLAB(ATF1502LAB lab, const Rules &rules) {
  const int base = blockBase(lab);
  const int firstMacrocell =
      1 + static_cast<int>(ATF1504Chip::index(lab)) * ATF1504Chip::kMacrocellsPerLAB;
  std::vector<bool> rowsUsed(kBlockSize / kRowWidth, false);
  for (int mc = firstMacrocell; mc < firstMacrocell + ATF1504Chip::kMacrocellsPerLAB; ++mc) {
    for (int pt = 1; pt <= ATF1504Device::kProductTermsPerMacrocell; ++pt) {
      const int relative = rules.productTermOffset(mc, pt) - base;
      if (relative < 0 || relative + kRowWidth > kBlockSize || relative % kRowWidth != 0)
        return false;
      const auto row = static_cast<std::size_t>(relative / kRowWidth);
      if (rowsUsed[row])
        return false;
      rowsUsed[row] = true;
    }
  }
  // 16 macrocells x 5 rows without overlap fill all 80 rows exactly.
  std::vector<bool> columnsUsed(kRowWidth, false);
  for (int column = 0; column < kFoldbackColumns; ++column)
    columnsUsed[column] = true;
  for (int s : ATF1504SwitchDB::switchesOfLAB(lab)) {
    for (bool complement : {false, true}) {
      const int column = rules.uimFuse(s, complement);
      if (column < 0 || column >= kRowWidth || columnsUsed[column])
        return false;
      columnsUsed[column] = true;
    }
  }
  for (bool used : columnsUsed) {
    if (!used)
      return false;
  }
  return true;
}

bool ATF1504ProductTermLayout::validateLABA() { return validateLAB(ATF1502LAB::A, builtInRules()); }
bool ATF1504ProductTermLayout::validateLABB() { return validateLAB(ATF1502LAB::B, builtInRules()); }
bool ATF1504ProductTermLayout::validateLABC() { return validateLAB(ATF1502LAB::C, builtInRules()); }
bool ATF1504ProductTermLayout::validateLABD() { return validateLAB(ATF1502LAB::D, builtInRules()); }

} // namespace gsmith
