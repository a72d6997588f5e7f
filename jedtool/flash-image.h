// The flash words that one fuse map becomes: the single implementation of the
// fuse-to-word mapping, driven by a device's FlashLayout record.
#pragma once

#include "target/flash-layout.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace gsmith {

struct FuseLocation {
  std::uint16_t address;
  std::size_t bit;
};

// Where a fuse is stored; nothing for the reserved fuses that are never sent.
std::optional<FuseLocation> locateFuse(const FlashLayout &layout, std::size_t fuse);

struct FlashWord {
  std::uint16_t address;
  std::vector<std::uint8_t> bits; // bits[b], 0 or 1, is shifted b-th; one per bit of the width
};

// Every word of the layout in programming order, grouped as the layout's
// order groups them.
using FlashImage = std::vector<std::vector<FlashWord>>;

// All ones: a bulk-erased device.
FlashImage erasedImage(const FlashLayout &layout);

// `fuses` holds layout.fuseCount values; a 0 fuse clears its bit, nothing else does.
FlashImage imageOf(const FlashLayout &layout, const std::vector<std::uint8_t> &fuses);

} // namespace gsmith
