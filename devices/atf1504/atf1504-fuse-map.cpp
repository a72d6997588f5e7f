// The ATF1504 fuse array, its baseline and its JEDEC writer. The baseline
// leaves every macrocell configured as an unused, latched, combinational cell
// with its output disabled, every multiplexer deselected, and the device
// configuration in the recovery state that the encoder then arms.
#include "devices/atf1504/atf1504-fuse-map.h"

#include "devices/gal/jedec.h"

#include <array>
#include <stdexcept>
#include <string_view>

namespace gsmith {

namespace {

constexpr std::size_t kHalfSize = 960;
constexpr std::size_t kFirstHalf = 30720;
constexpr std::size_t kSecondHalf = 31680;
constexpr std::size_t kFirstMuxFuse = 32640;
constexpr std::size_t kLastMuxFuse = 34133;
constexpr std::size_t kFirstConfigFuse = 34134;
constexpr std::size_t kRecoveryFuse = 34134;
constexpr std::size_t kJTAGFuse = 34167;

// Columns 16..79 of each of the six 80-column blocks of a configuration row;
// each pattern is repeated to fill its part of the row.
struct RowPattern {
  std::string_view left;  // columns 16..47
  std::string_view right; // columns 48..79
};

constexpr std::array<RowPattern, 6> kRowPatterns{{
    {"0", "0"},
    {"0", "0"},
    {"0110", "0110"},
    {"0", "1"},
    {"0110", "1"},
    {"0", "1001"},
}};

std::string buildMacrocellHalf() {
  std::string half;
  half.reserve(kHalfSize);
  for (const RowPattern &row : kRowPatterns) {
    std::string block(16, '1');
    for (std::size_t k = 0; k < 32; ++k)
      block += row.left[k % row.left.size()];
    for (std::size_t k = 0; k < 32; ++k)
      block += row.right[k % row.right.size()];
    half += block + block;
  }
  return half;
}

// Fuses 34134..34191 in order.
constexpr std::string_view kConfigBaseline = "00"                      // 34134, 34135
                                             "111111111"               // 34136..34144
                                             "011"                     // 34145..34147 GCLK1
                                             "010"                     // 34148..34150 GCLK2
                                             "000"                     // 34151..34153 GCLK3
                                             "00011"                   // 34154..34158
                                             "11111111"                // 34159..34166
                                             "011"                     // 34167..34169
                                             "0000000000000000000000"; // 34170..34191

} // namespace

const std::string &ATF1504FuseMap::macrocellHalf() {
  static const std::string half = buildMacrocellHalf();
  return half;
}

namespace {
std::string outOfRangeMessage(std::size_t, std::size_t) {
  return "ATF1504 fuse index outside QF34192 map";
}
} // namespace

ATF1504FuseMap::ATF1504FuseMap(std::size_t count) : LoggedFuseMap(count, outOfRangeMessage) {
  initializeATF1504ASBaseline();
}

void ATF1504FuseMap::initializeATF1504ASBaseline() {
  if (fuses_.size() != kFuseCount)
    return;
  const std::string &half = macrocellHalf();
  for (std::size_t k = 0; k < kHalfSize; ++k) {
    fuses_[kFirstHalf + k] = half[k] == '1';
    fuses_[kSecondHalf + k] = half[k] == '1';
  }
  for (std::size_t index = kFirstMuxFuse; index <= kLastMuxFuse; ++index)
    fuses_[index] = true;
  for (std::size_t k = 0; k < kConfigBaseline.size(); ++k)
    fuses_[kFirstConfigFuse + k] = kConfigBaseline[k] == '1';
}

void ATF1504FuseMap::clear() {
  resetToZero();
  initializeATF1504ASBaseline();
}

std::string ATF1504FuseMap::toJEDEC(bool configApplied, int pinCount) const {
  if (pinCount != 44 && pinCount != 84 && pinCount != 100)
    throw std::runtime_error("Unsupported ATF1504 package pin count");
  if (fuses_.size() != kFuseCount)
    throw std::runtime_error("Cannot write ATF1504 JEDEC with wrong fuse count");
  for (std::size_t index = kFirstReservedFuse; index < kFuseCount; ++index) {
    if (fuses_[index])
      throw std::runtime_error("Refusing ATF1504 JEDEC with nonzero reserved fuse");
  }
  if (fuses_[kRecoveryFuse] || !fuses_[kJTAGFuse] || (!fuses_[kSecurityFuse] && !configApplied))
    throw std::runtime_error("Refusing unsafe ATF1504 JEDEC: recovery/security baseline changed");
  const std::string header =
      "JEDEC file for: ATF1504AS\n*\nQF34192* QP" + std::to_string(pinCount) + " * F0*\n";
  const std::string trailer = fuses_[kSecurityFuse] ? "G0*\n" : "G1*\n";
  return Jedec::document(header, fuses_, JedecLineFormat{64, 5}, trailer,
                         TransmissionChecksum::ZERO);
}

} // namespace gsmith
