// Baseline, change log and guarded JEDEC output of the ATF1502AS fuse map.
// The refusals exist because a wrong device-configuration or global-OE fuse
// can lock the JTAG port or short outputs on the board; such a map must
// never reach a programmer.
#include "devices/atf1502/atf1502-fuse-map.h"

#include "devices/gal/jedec.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace gsmith {

namespace {

constexpr size_t kConfigRowsStart = 15360;
constexpr size_t kConfigRowLength = 80;
constexpr size_t kConfigRowCount = 12;
constexpr size_t kFixedRowPrefix = 16;
constexpr size_t kUIMMuxStart = 16320;
constexpr size_t kGlobalOEMuxStart = 16720;
constexpr size_t kGlobalOEMuxEnd = 16749;
constexpr size_t kGlobalOEGroupSize = 5;
constexpr size_t kDeviceConfigStart = 16750;
constexpr size_t kDeviceConfigEnd = 16801;
constexpr size_t kSecurityFuse = 16782;

// Device configuration fuses that stay at 0; all others of 16750..16801 are 1.
constexpr std::array<size_t, 11> kDeviceConfigZeros = {16750, 16751, 16761, 16764, 16766, 16767,
                                                       16768, 16769, 16770, 16771, 16772};

// Device configuration fuses that guard JTAG/ISP access and stay fixed even
// when the design sets device options.
constexpr std::array<size_t, 16> kSafetyCriticalConfig = {16750, 16762, 16763, 16765, 16766, 16768,
                                                          16769, 16776, 16777, 16778, 16779, 16780,
                                                          16781, 16783, 16784, 16785};

// The global-OE fuses an encoded design may clear (one source each for
// GOE6, GOE5 and GOE2).
constexpr std::array<size_t, 3> kEncoderGlobalOEZeros = {16720, 16729, 16744};

// The 64 pattern fuses after the fixed prefix of each LAB's six configuration rows.
bool configRowBaseline(size_t row, size_t k) {
  constexpr std::array<bool, 4> kAlternating = {false, true, true, false};
  constexpr std::array<bool, 4> kInverted = {true, false, false, true};
  switch (row % 6) {
  case 2:
    return kAlternating[k % 4];
  case 3:
    return k >= 32;
  case 4:
    return k < 32 ? kAlternating[k % 4] : true;
  case 5:
    return k < 32 ? false : kInverted[k % 4];
  default:
    return false;
  }
}

template <size_t N> bool contains(const std::array<size_t, N> &list, size_t value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

static std::string outOfRangeMessage(size_t index, size_t size) {
  return "ATF1502 fuse index " + std::to_string(index) + " is outside the " + std::to_string(size) +
         "-fuse map";
}

ATF1502FuseMap::ATF1502FuseMap(size_t size) : LoggedFuseMap(size, outOfRangeMessage) {
  initializeATF1502ASBaseline();
}

void ATF1502FuseMap::clear() {
  resetToZero();
  initializeATF1502ASBaseline();
}

void ATF1502FuseMap::initializeATF1502ASBaseline() {
  if (fuses_.size() != kFuseCount)
    return;
  for (size_t row = 0; row < kConfigRowCount; ++row) {
    const size_t start = kConfigRowsStart + row * kConfigRowLength;
    for (size_t k = 0; k < kFixedRowPrefix; ++k)
      fuses_[start + k] = true;
    for (size_t k = 0; k < kConfigRowLength - kFixedRowPrefix; ++k)
      fuses_[start + kFixedRowPrefix + k] = configRowBaseline(row, k);
  }
  for (size_t index = kUIMMuxStart; index <= kGlobalOEMuxEnd; ++index)
    fuses_[index] = true;
}

bool ATF1502FuseMap::deviceConfigValue(size_t index) {
  return !contains(kDeviceConfigZeros, index);
}

void ATF1502FuseMap::checkDeviceConfig(bool allowDeviceOptions) const {
  for (size_t index = kDeviceConfigStart; index <= kDeviceConfigEnd; ++index) {
    if (allowDeviceOptions && !contains(kSafetyCriticalConfig, index))
      continue;
    if (fuses_[index] != deviceConfigValue(index))
      throw std::runtime_error("Refusing to write unsafe ATF1502AS JEDEC: device configuration "
                               "differs from the verified JTAG-enabled vendor baseline at fuse " +
                               std::to_string(index));
  }
}

void ATF1502FuseMap::checkMacrocellRowBaseline() const {
  for (size_t row = 0; row < kConfigRowCount; ++row) {
    const size_t start = kConfigRowsStart + row * kConfigRowLength;
    for (size_t index = start; index < start + kFixedRowPrefix; ++index)
      if (!fuses_[index])
        throw std::runtime_error("Refusing to write unsafe ATF1502AS JEDEC: fixed macrocell-row "
                                 "baseline differs at fuse " +
                                 std::to_string(index));
  }
}

void ATF1502FuseMap::checkGlobalOEMux(bool allowDeviceOptions) const {
  if (!allowDeviceOptions) {
    for (size_t index = kGlobalOEMuxStart; index <= kGlobalOEMuxEnd; ++index)
      if (!fuses_[index] && !contains(kEncoderGlobalOEZeros, index))
        throw std::runtime_error(
            "Refusing to write unsafe ATF1502AS JEDEC: unsupported GOE programming at fuse " +
            std::to_string(index));
    return;
  }
  for (size_t group = kGlobalOEMuxStart; group <= kGlobalOEMuxEnd; group += kGlobalOEGroupSize) {
    int zeros = 0;
    for (size_t index = group; index < group + kGlobalOEGroupSize; ++index)
      zeros += fuses_[index] ? 0 : 1;
    if (zeros > 1)
      throw std::runtime_error("Refusing invalid ATF1502 global-OE selection");
  }
}

std::string ATF1502FuseMap::toJEDEC(bool allowDeviceOptions) const {
  if (fuses_.size() != kFuseCount)
    throw std::runtime_error("Cannot write JEDEC with wrong fuse count");
  checkDeviceConfig(allowDeviceOptions);
  checkMacrocellRowBaseline();
  checkGlobalOEMux(allowDeviceOptions);

  const std::string header =
      "JEDEC file for: ATF1502AS\n*\nQF" + std::to_string(kFuseCount) + "* F0*\n";
  const std::string trailer = fuses_[kSecurityFuse] ? "G0*\n" : "G1*\n";
  return Jedec::document(header, fuses_, JedecLineFormat{64, 5}, trailer,
                         TransmissionChecksum::ZERO);
}

} // namespace gsmith
