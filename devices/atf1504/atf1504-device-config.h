// The seven ATF1504 device configuration fuses (JTAG, power-down, security
// and recovery settings) and how a settings record becomes fuse values.
#pragma once

#include <array>
#include <cstdint>

namespace gsmith {

// Settings 1..7; 1 means on.
struct ATF1504DeviceConfig {
  int32_t setting1 = 0;
  int32_t setting2 = 0;
  int32_t setting3 = 0;
  int32_t setting4 = 0;
  int32_t setting5 = 0;
  int32_t setting6 = 0;
  int32_t setting7 = 0;
};

class ATF1504DeviceConfigDB {
public:
  static constexpr int kFuseCount = 7;
  using FuseTable = std::array<int, kFuseCount>;

  // Fuse of each encoded bit, in bit order.
  static const FuseTable &deviceFuses();
  // Bit k is the setting that feeds deviceFuses()[k], compared with 1.
  static std::array<bool, kFuseCount> encode(const ATF1504DeviceConfig &config);

  static bool validate(const FuseTable &fuses);
  static bool validate();
};

} // namespace gsmith
