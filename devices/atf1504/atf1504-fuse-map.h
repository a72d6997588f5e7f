// The 34192-fuse ATF1504AS/ASV fuse array: its factory-style baseline, a log
// of every effective fuse change, and the JEDEC writer that refuses maps whose
// reserved, recovery or security fuses are unsafe.
#pragma once

#include "devices/cpld/logged-fuse-map.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gsmith {

using ATF1504FuseWrite = FuseWrite;

class ATF1504FuseMap : public LoggedFuseMap {
public:
  static constexpr std::size_t kFuseCount = 34192;
  static constexpr std::size_t kFirstReservedFuse = 34186;
  static constexpr std::size_t kSecurityFuse = 34166;

  // `count` fuses at 0, then the baseline when the count is 34192.
  explicit ATF1504FuseMap(std::size_t count);

  void clear();
  void initializeATF1504ASBaseline();

  // `configApplied`: the design has CONFIG entries; `pinCount`: 44, 84 or 100.
  std::string toJEDEC(bool configApplied, int pinCount) const;

  // The 960 fuse values of one half of the macrocell configuration region.
  static const std::string &macrocellHalf();
};

} // namespace gsmith
