// Writes and reads of the checked fuse array shared by the CPLD fuse maps.
#include "target/checked-fuse-map.h"

#include <algorithm>
#include <stdexcept>

namespace gsmith {

CheckedFuseMap::CheckedFuseMap(std::size_t size, OutOfRangeMessage outOfRangeMessage)
    : fuses_(size, false), outOfRangeMessage_(outOfRangeMessage) {}

void CheckedFuseMap::throwOutOfRange(std::size_t index) const {
  throw std::out_of_range(outOfRangeMessage_(index, fuses_.size()));
}

void CheckedFuseMap::setRange(std::size_t first, std::size_t count, bool value) {
  if (count == 0)
    return;
  if (first >= fuses_.size() || count > fuses_.size() - first)
    throwOutOfRange(std::max(first, fuses_.size()));
  const auto begin = fuses_.begin() + static_cast<std::ptrdiff_t>(first);
  std::fill(begin, begin + static_cast<std::ptrdiff_t>(count), value);
}

bool CheckedFuseMap::getFuse(std::size_t index) const {
  return index < fuses_.size() && fuses_[index];
}

} // namespace gsmith
