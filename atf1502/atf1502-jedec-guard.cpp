// The ATF1502's last word before its JEDEC file is written. A wrong
// device-configuration or global-OE fuse can lock the JTAG port or short
// outputs on the board, so a map whose safety-relevant fuses differ from the
// state the vendor's files show to be safe never reaches a programmer.
#include "atf1502/atf1502.h"

#include "model/compile-error.h"

#include <algorithm>
#include <array>
#include <string>

namespace gsmith {

namespace {

constexpr size_t kConfigRowsStart = 15360;
constexpr size_t kConfigRowLength = 80;
constexpr size_t kConfigRowCount = 12;
constexpr size_t kFixedRowPrefix = 16;
constexpr size_t kGlobalOEMuxStart = 16720;
constexpr size_t kGlobalOEMuxEnd = 16749;
constexpr size_t kGlobalOEGroupSize = 5;
constexpr size_t kDeviceConfigStart = 16750;
constexpr size_t kDeviceConfigEnd = 16801;

// Device configuration fuses that guard JTAG/ISP access and stay fixed even
// when the design sets device options.
constexpr std::array<size_t, 16> kSafetyCriticalConfig = {16750, 16762, 16763, 16765, 16766, 16768,
                                                          16769, 16776, 16777, 16778, 16779, 16780,
                                                          16781, 16783, 16784, 16785};

// The global-OE fuses an encoded design may clear (the pads of OE2, OE1 and
// GOE6 on GOE2, GOE5 and GOE6).
constexpr std::array<size_t, 3> kEncoderGlobalOEZeros = {16720, 16729, 16744};

template <size_t N> bool contains(const std::array<size_t, N> &list, size_t value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

[[noreturn]] void refuse(const std::string &what) {
  throw CompileError("Refusing to write unsafe ATF1502AS JEDEC: " + what);
}

} // namespace

void checkATF1502BeforeWriting(const CPLDArchitecture &arch, const std::vector<bool> &fuses,
                               const Netlist &netlist) {
  // A design that sets device-level options (CONFIG, SIGNATURE, POWER_DOWN)
  // is held to the baseline only where JTAG and ISP access depend on it.
  const bool deviceOptions = !netlist.configOptions.empty() || netlist.hasSignature ||
                             netlist.powerDownPD1 || netlist.powerDownPD2;
  const std::string_view expected = arch.configurationAfterEncoding;
  for (size_t index = kDeviceConfigStart; index <= kDeviceConfigEnd; ++index) {
    if (deviceOptions && !contains(kSafetyCriticalConfig, index))
      continue;
    if (fuses[index] != (expected[index - kDeviceConfigStart] == '1'))
      refuse("device configuration differs from the verified JTAG-enabled vendor baseline at "
             "fuse " +
             std::to_string(index));
  }
  for (size_t row = 0; row < kConfigRowCount; ++row) {
    const size_t start = kConfigRowsStart + row * kConfigRowLength;
    for (size_t index = start; index < start + kFixedRowPrefix; ++index)
      if (!fuses[index])
        refuse("fixed macrocell-row baseline differs at fuse " + std::to_string(index));
  }
  if (!deviceOptions) {
    for (size_t index = kGlobalOEMuxStart; index <= kGlobalOEMuxEnd; ++index)
      if (!fuses[index] && !contains(kEncoderGlobalOEZeros, index))
        refuse("unsupported GOE programming at fuse " + std::to_string(index));
    return;
  }
  for (size_t group = kGlobalOEMuxStart; group <= kGlobalOEMuxEnd; group += kGlobalOEGroupSize) {
    int zeros = 0;
    for (size_t index = group; index < group + kGlobalOEGroupSize; ++index)
      zeros += fuses[index] ? 0 : 1;
    if (zeros > 1)
      throw CompileError("Refusing invalid ATF1502 global-OE selection");
  }
}

} // namespace gsmith
