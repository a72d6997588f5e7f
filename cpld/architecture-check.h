// The self-check of a CPLD record, run by the compiler on every device's
// tables (a static_assert beside each record) and by the tests on corrupted
// copies: the product-term rows tile each LAB's block, every LAB reads 40
// multiplexers whose columns fill its rows exactly, the multiplexers' select
// fuses tile their region, every source is a known one or marked unused, every
// macrocell owns 24 distinct option fuses inside its LAB's configuration rows,
// and the reserved tail of the map is 0 once encoded.
#pragma once

#include "cpld/architecture.h"
#include "cpld/macrocell-options.h"
#include "cpld/product-terms.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace gsmith {

namespace architecture_check {

constexpr int kBlockRows = kMacrocellsPerLab * kProductTermsPerCell;
constexpr int kMaxMultiplexerFuses = 16384;

constexpr bool productTermsTile(const CPLDArchitecture &arch, int lab) {
  std::array<bool, kBlockRows> used{};
  const int base = arch.productTerms.blockBase[lab];
  for (int m = lab * kMacrocellsPerLab + 1; m <= (lab + 1) * kMacrocellsPerLab; ++m) {
    for (int pt = 1; pt <= kProductTermsPerCell; ++pt) {
      const int offset = productTermRow(arch.productTerms, m, pt) - base;
      if (offset < 0 || offset % kProductTermRowWidth != 0 ||
          offset / kProductTermRowWidth >= kBlockRows || used[offset / kProductTermRowWidth])
        return false;
      used[offset / kProductTermRowWidth] = true;
    }
  }
  return true; // 80 distinct rows out of 80
}

constexpr bool columnsFill(const CPLDArchitecture &arch, Lab lab) {
  std::array<bool, kProductTermRowWidth> used{};
  for (int column = 0; column < kFoldbackColumns; ++column)
    used[column] = true;
  int count = 0;
  for (const SwitchEntry &entry : arch.switches) {
    if (entry.lab != lab)
      continue;
    ++count;
    for (int column : {entry.trueColumn, entry.complementColumn}) {
      if (column < 0 || column >= kProductTermRowWidth || used[column])
        return false;
      used[column] = true;
    }
  }
  return count == kSignalsPerLab; // 16 + 2 x 40 distinct columns fill all 96
}

// The select fuses claimed so far, a bit each from the region's first fuse:
// a whole multiplexer is claimed a word at a time, which keeps the check of
// the largest region within the compilers' constant-evaluation budget.
using FuseSet = std::array<std::uint64_t, kMaxMultiplexerFuses / 64>;

constexpr std::uint64_t bitsFrom(int bit, int count) {
  return (count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1) << bit;
}

// A select position either names a source or says that none is known; a
// name outside the known forms is a typo, never an unused position.
constexpr bool claim(FuseSet &used, const CPLDArchitecture &arch, int first,
                     std::span<const SignalSource> sources) {
  const int end = first + static_cast<int>(sources.size());
  if (first < arch.multiplexerFuses[0] || end > arch.multiplexerFuses[1])
    return false;
  for (const SignalSource &source : sources)
    if (source.kind == SourceKind::NONE)
      return false;
  for (int fuse = first - arch.multiplexerFuses[0]; fuse < end - arch.multiplexerFuses[0];) {
    const int count = std::min(64 - fuse % 64, end - arch.multiplexerFuses[0] - fuse);
    const std::uint64_t bits = bitsFrom(fuse % 64, count);
    if ((used[fuse / 64] & bits) != 0)
      return false;
    used[fuse / 64] |= bits;
    fuse += count;
  }
  return true;
}

constexpr bool multiplexersTile(const CPLDArchitecture &arch) {
  const int size = arch.multiplexerFuses[1] - arch.multiplexerFuses[0];
  if (size < 0 || size > kMaxMultiplexerFuses)
    return false;
  FuseSet used{};
  for (std::size_t k = 0; k < arch.switches.size(); ++k) {
    const SwitchEntry &entry = arch.switches[k];
    if (entry.number != static_cast<int>(k) + 1 ||
        !claim(used, arch, entry.firstFuse, entry.sources))
      return false;
  }
  for (const GlobalOEMux &mux : arch.globalOEs)
    if (!claim(used, arch, mux.firstFuse, mux.sources))
      return false;
  for (int fuse = 0; fuse < size; fuse += 64)
    if (used[fuse / 64] != bitsFrom(0, std::min(64, size - fuse)))
      return false;
  return true;
}

constexpr bool optionsInRows(const CPLDArchitecture &arch, int macrocell) {
  constexpr int kRows = 6;
  constexpr int kBlockWidth = 80;
  const ConfigurationRows &rows = arch.configurationRows;
  const int base = rows.labBase[(macrocell - 1) / kMacrocellsPerLab];
  std::array<bool, kRows * kBlockWidth> used{};
  int count = 0;
  for (int option = 0; option < static_cast<int>(arch.optionRules.size()); ++option) {
    const OptionFuses found = optionFuses(arch, macrocell, option);
    for (int k = 0; k < found.count; ++k) {
      const int offset = found.fuses[k] - base;
      const int row = offset / rows.rowStride;
      const int column = offset % rows.rowStride;
      if (offset < 0 || row >= kRows || column < kFoldbackColumns || column >= kBlockWidth)
        return false;
      if (!used[row * kBlockWidth + column]) {
        used[row * kBlockWidth + column] = true;
        ++count;
      }
    }
  }
  return count == 24;
}

} // namespace architecture_check

constexpr bool validArchitecture(const CPLDArchitecture &arch) {
  using namespace architecture_check;
  const std::string_view configuration = arch.configurationAfterEncoding;
  if (arch.labCount < 1 || arch.labCount > kMaxLabs ||
      arch.macrocellCount != arch.labCount * kMacrocellsPerLab ||
      configuration.size() != arch.fuseCount - arch.configurationBase || arch.reservedFuses < 0 ||
      static_cast<std::size_t>(arch.reservedFuses) > configuration.size() ||
      configuration.find('1', configuration.size() - arch.reservedFuses) !=
          std::string_view::npos ||
      !optionRulesInOrder(arch.optionRules) || arch.packages.empty() ||
      arch.defaultPackage >= arch.packages.size())
    return false;
  for (int lab = 0; lab < arch.labCount; ++lab)
    if (!productTermsTile(arch, lab) || !columnsFill(arch, Lab(lab)))
      return false;
  // An option's fuses depend only on the macrocell's position in its LAB and
  // on the LAB's base, so the first LAB's sixteen stand for every LAB (and
  // keep the check within the compilers' constant-evaluation budget).
  for (int m = 1; m <= kMacrocellsPerLab; ++m)
    if (!optionsInRows(arch, m))
      return false;
  for (const CPLDPackage &package : arch.packages)
    if (package.macrocellPins.size() != static_cast<std::size_t>(arch.macrocellCount))
      return false;
  return multiplexersTile(arch);
}

} // namespace gsmith
