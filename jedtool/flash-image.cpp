// Words start erased (all ones) and each programmed fuse clears one bit, so
// padding needs no data of its own: it is whatever no region reaches.
#include "jedtool/flash-image.h"

#include <stdexcept>

namespace gsmith {

namespace {

FlashWord &wordAt(FlashImage &image, const FlashLayout &layout, std::uint16_t address) {
  for (std::size_t group = 0; group < layout.order.size(); ++group) {
    const std::uint16_t first = layout.order[group].firstAddress;
    if (address >= first && address - first < layout.order[group].wordCount)
      return image[group][address - first];
  }
  throw std::logic_error("flash layout maps a fuse to an unwritten word");
}

} // namespace

std::optional<FuseLocation> locateFuse(const FlashLayout &layout, std::size_t fuse) {
  for (const FlashRegion &region : layout.regions) {
    if (fuse < region.firstFuse || fuse >= region.firstFuse + region.fuseCount)
      continue;
    const std::size_t g = fuse - region.firstFuse;
    const bool across = region.walk == FuseWalk::AcrossWords;
    const std::size_t wordStep = across ? g % region.stride : g / region.stride;
    const std::size_t bitStep = across ? g / region.stride : g % region.stride;
    return FuseLocation{static_cast<std::uint16_t>(region.firstAddress + wordStep),
                        region.topBit - bitStep};
  }
  return std::nullopt;
}

FlashImage erasedImage(const FlashLayout &layout) {
  FlashImage image;
  for (const WordGroup &group : layout.order) {
    std::vector<FlashWord> &words = image.emplace_back();
    for (std::uint16_t i = 0; i < group.wordCount; ++i)
      words.push_back({static_cast<std::uint16_t>(group.firstAddress + i),
                       std::vector<std::uint8_t>(group.width, 1)});
  }
  return image;
}

FlashImage imageOf(const FlashLayout &layout, const std::vector<std::uint8_t> &fuses) {
  if (fuses.size() != layout.fuseCount)
    throw std::logic_error("fuse map size differs from the flash layout's fuse count");
  FlashImage image = erasedImage(layout);
  for (const FlashRegion &region : layout.regions) {
    for (std::size_t fuse = region.firstFuse; fuse < region.firstFuse + region.fuseCount; ++fuse) {
      if (fuses[fuse] != 0)
        continue;
      const FuseLocation location = *locateFuse(layout, fuse);
      std::vector<std::uint8_t> &bits = wordAt(image, layout, location.address).bits;
      if (location.bit >= bits.size())
        throw std::logic_error("flash layout maps a fuse beyond its word's width");
      bits[location.bit] = 0;
    }
  }
  return image;
}

} // namespace gsmith
