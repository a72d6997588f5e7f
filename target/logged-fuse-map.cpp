// Writes and reads of the logged fuse array shared by both CPLD fuse maps.
#include "target/logged-fuse-map.h"

#include <algorithm>
#include <stdexcept>

namespace gsmith {

namespace {
// An encoded design changes a few thousand fuses at most; one allocation
// holds the log of all of them.
constexpr std::size_t kExpectedWrites = 8192;
} // namespace

LoggedFuseMap::LoggedFuseMap(std::size_t size, OutOfRangeMessage outOfRangeMessage)
    : fuses_(size, false), outOfRangeMessage_(outOfRangeMessage) {
  writes_.reserve(kExpectedWrites);
}

void LoggedFuseMap::throwOutOfRange(std::size_t index) const {
  throw std::out_of_range(outOfRangeMessage_(index, fuses_.size()));
}

bool LoggedFuseMap::getFuse(std::size_t index) const {
  return index < fuses_.size() && fuses_[index];
}

} // namespace gsmith
