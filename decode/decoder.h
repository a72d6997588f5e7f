// The decoder of every device: a fuse map read back as the target whose
// layout its JEDEC facts give. Only the registry knows the devices; a new
// one joins through its layout record.
#pragma once

#include "decode/decoded-map.h"
#include "target/target.h"

#include <cstdint>
#include <vector>

namespace gsmith {

// `fuses` holds target.fuseCount() values, each 0 or 1.
DecodedMap decodeFuseMap(const Target &target, const std::vector<bool> &fuses);

} // namespace gsmith
