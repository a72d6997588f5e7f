// Reads GAL fuse maps back into what they program: the eight-cell family
// from its V8Layout, the GAL22V10B from its layout.
#pragma once

#include "decode/decoded-map.h"
#include "gal/gal-v8.h"
#include "gal/gal22v10.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace gsmith {

DecodedMap decodeGALV8(const V8Layout &layout, std::string_view device,
                       const std::vector<bool> &fuses);
DecodedMap decodeGAL22V10(const GAL22V10Layout &layout, std::string_view device,
                          const std::vector<bool> &fuses);

} // namespace gsmith
