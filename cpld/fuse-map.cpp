// The rest state and the JEDEC text of a CPLD fuse map.
#include "cpld/fuse-map.h"

#include "target/jedec.h"

#include <array>
#include <string_view>

namespace gsmith {

namespace {

// Columns 16..79 of each configuration row of a LAB's block: the left and
// right halves repeat these patterns (rows 0 to 5).
struct RowPattern {
  std::string_view left;
  std::string_view right;
};

constexpr std::array<RowPattern, 6> kRowPatterns{{
    {"0", "0"},
    {"0", "0"},
    {"0110", "0110"},
    {"0", "1"},
    {"0110", "1"},
    {"0", "1001"},
}};

constexpr int kBlockWidth = 80;
constexpr int kFixedColumns = 16;
constexpr int kHalfWidth = 32;

} // namespace

CPLDFuseMap::CPLDFuseMap(const CPLDArchitecture &arch)
    : CheckedFuseMap(arch.fuseCount, arch.messages.fuseOutOfRange), arch_(arch) {
  const ConfigurationRows &rows = arch.configurationRows;
  for (int lab = 0; lab < arch.labCount; ++lab) {
    for (int row = 0; row < static_cast<int>(kRowPatterns.size()); ++row) {
      const size_t start = static_cast<size_t>(rows.labBase[lab] + rows.rowStride * row);
      const RowPattern &pattern = kRowPatterns[static_cast<size_t>(row)];
      for (int k = 0; k < kBlockWidth; ++k) {
        const int patterned = k - kFixedColumns;
        const std::string_view half = patterned < kHalfWidth ? pattern.left : pattern.right;
        fuses_[start + k] = k < kFixedColumns || half[patterned % half.size()] == '1';
      }
    }
  }
  for (int fuse = arch.multiplexerFuses[0]; fuse < arch.multiplexerFuses[1]; ++fuse)
    fuses_[static_cast<size_t>(fuse)] = true;
  for (size_t k = 0; k < arch.configurationAfterEncoding.size(); ++k)
    fuses_[arch.configurationBase + k] = arch.configurationAfterEncoding[k] == '1';
}

std::string CPLDFuseMap::toJEDEC(const Netlist &netlist, const CPLDPackage &package) const {
  arch_.checkBeforeWriting(arch_, fuses_, netlist);
  std::string header = "JEDEC file for: " + std::string(arch_.jedecName) + "\n*\nQF" +
                       std::to_string(arch_.fuseCount) + "*";
  if (arch_.jedecPinCount)
    header += " QP" + std::to_string(package.pins.pinCount) + " *";
  header += " F0*\n";
  const std::string trailer = fuses_[static_cast<size_t>(arch_.securityFuse)] ? "G0*\n" : "G1*\n";
  return Jedec::document(header, fuses_, JedecLineFormat{64, 5}, trailer,
                         TransmissionChecksum::ZERO);
}

} // namespace gsmith
