// Writes and reads of the logged fuse array shared by both CPLD fuse maps.
#include "devices/cpld/logged-fuse-map.h"

#include <algorithm>
#include <stdexcept>

namespace gsmith {

LoggedFuseMap::LoggedFuseMap(std::size_t size, OutOfRangeMessage outOfRangeMessage)
    : fuses_(size, false), outOfRangeMessage_(outOfRangeMessage) {}

void LoggedFuseMap::setFuse(std::size_t index, bool value) {
  if (index >= fuses_.size())
    throw std::out_of_range(outOfRangeMessage_(index, fuses_.size()));
  if (fuses_[index] == value)
    return;
  fuses_[index] = value;
  writes_.push_back({static_cast<uint64_t>(index), value});
}

bool LoggedFuseMap::getFuse(std::size_t index) const {
  return index < fuses_.size() && fuses_[index];
}

void LoggedFuseMap::resetToZero() {
  std::fill(fuses_.begin(), fuses_.end(), false);
  writes_.clear();
}

} // namespace gsmith
