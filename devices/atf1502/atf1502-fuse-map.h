// The 16808 fuses of the ATF1502AS: a fixed power-on baseline, a log of every
// fuse that changed afterwards, and the JEDEC writer that refuses to write a
// map whose fixed or safety-relevant fuses (device configuration, fixed
// macrocell-row bits, global-OE multiplexer) differ from the verified values.
#pragma once

#include "devices/cpld/logged-fuse-map.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gsmith {

using ATF1502FuseWrite = FuseWrite;

class ATF1502FuseMap : public LoggedFuseMap {
public:
  static constexpr size_t kFuseCount = 16808;

  explicit ATF1502FuseMap(size_t size);

  void clear();
  // Does nothing unless the map has exactly 16808 fuses.
  void initializeATF1502ASBaseline();

  // `allowDeviceOptions`: the design customises device-level configuration
  // (CONFIG, SIGNATURE, POWER_DOWN), so only the safety-critical device
  // fuses are held to the baseline.
  std::string toJEDEC(bool allowDeviceOptions) const;

  // The value the encoder gives device configuration fuse 16750..16801.
  static bool deviceConfigValue(size_t index);

private:
  void checkDeviceConfig(bool allowDeviceOptions) const;
  void checkMacrocellRowBaseline() const;
  void checkGlobalOEMux(bool allowDeviceOptions) const;
};

} // namespace gsmith
