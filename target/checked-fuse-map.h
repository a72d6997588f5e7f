// The fuse array the CPLD fuse maps are built on. Every write is checked
// against the size of the device's array, so that a wrong table entry is an
// error with the device's own message, never a write past the map.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace gsmith {

class CheckedFuseMap {
public:
  // An index beyond the map throws std::out_of_range with the device's own
  // message.
  void setFuse(std::size_t index, bool value) {
    if (index >= fuses_.size())
      throwOutOfRange(index);
    fuses_[index] = value;
  }
  // Fuses [first, first + count), written as one range: product-term rows
  // and multiplexers are laid whole.
  void setRange(std::size_t first, std::size_t count, bool value);
  // Reads false beyond the map.
  bool getFuse(std::size_t index) const;
  std::size_t size() const { return fuses_.size(); }
  const std::vector<bool> &fuses() const { return fuses_; }

protected:
  using OutOfRangeMessage = std::string (*)(std::size_t index, std::size_t size);

  CheckedFuseMap(std::size_t size, OutOfRangeMessage outOfRangeMessage);

  // Baselines are laid directly.
  std::vector<bool> fuses_;

private:
  [[noreturn]] void throwOutOfRange(std::size_t index) const;

  OutOfRangeMessage outOfRangeMessage_;
};

} // namespace gsmith
