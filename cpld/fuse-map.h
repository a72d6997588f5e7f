// The fuse map of a CPLD: the device's rest state (configuration rows at
// their fixed pattern, every multiplexer deselected, the device
// configuration as encoding leaves it), a log of every fuse written after,
// and the JEDEC writer that lets the device refuse a map it must not get.
#pragma once

#include "cpld/architecture.h"
#include "target/checked-fuse-map.h"

#include <string>

namespace gsmith {

class CPLDFuseMap : public CheckedFuseMap {
public:
  explicit CPLDFuseMap(const CPLDArchitecture &arch);

  // The JEDEC text of the map for `netlist` in `package`, once the device's
  // checks pass; throws CompileError otherwise.
  std::string toJEDEC(const Netlist &netlist, const CPLDPackage &package) const;

private:
  const CPLDArchitecture &arch_;
};

} // namespace gsmith
