// The CONFIG application template: both CPLD fuse maps and option databases
// are presented to one device-independent body through three operations, so
// the two instantiations share every rule and differ only in data.
#pragma once

#include "config/atf-config.h"
#include "devices/cpld/fuse-option.h"

#include <cstddef>
#include <functional>

namespace gsmith {

struct ATFConfig::FuseAccess {
  std::function<bool(int)> getFuse;
  std::function<void(int, bool)> setFuse;
  // The option table of a macrocell, by macrocell number.
  std::function<const MacrocellFuseDB &(int)> macrocell;
};

template <typename FuseMap, typename FuseDB>
void ATFConfig::apply(const Design &design, const FitResult &fit, FuseMap &map, const FuseDB &db) {
  const FuseAccess access{
      [&map](int fuse) { return static_cast<bool>(map.getFuse(static_cast<std::size_t>(fuse))); },
      [&map](int fuse, bool value) { map.setFuse(static_cast<std::size_t>(fuse), value); },
      [&db](int macrocell) -> const MacrocellFuseDB & { return db.macrocell(macrocell); }};
  applyThrough(design, fit, access);
}

} // namespace gsmith
