// Reads a CPLD fuse map back into what it programs, from the device's
// architecture record alone: a new chip joins by its record.
#pragma once

#include "cpld/architecture.h"
#include "decode/decoded-map.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace gsmith {

// `fuses` holds arch.fuseCount values, each 0 or 1.
DecodedMap decodeCPLD(const CPLDArchitecture &arch, std::string_view device,
                      const std::vector<bool> &fuses);

} // namespace gsmith
