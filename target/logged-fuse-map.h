// The fuse array the CPLD fuse map is built on: a vector of fuses plus a log
// of every write that actually changed a fuse, in write order. The log is
// what tests and reviews read to see exactly which fuses an encoding step or
// a CONFIG option touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gsmith {

struct FuseWrite {
  uint64_t index = 0;
  bool value = false;
};

class LoggedFuseMap {
public:
  // Logs the write only when the value changes; an index beyond the map
  // throws std::out_of_range with the device's own message.
  void setFuse(std::size_t index, bool value) {
    if (index >= fuses_.size())
      throwOutOfRange(index);
    if (fuses_[index] == value)
      return;
    fuses_[index] = value;
    writes_.push_back({static_cast<uint64_t>(index), value});
  }
  // Reads false beyond the map.
  bool getFuse(std::size_t index) const;
  std::size_t size() const { return fuses_.size(); }
  const std::vector<bool> &fuses() const { return fuses_; }
  const std::vector<FuseWrite> &writes() const { return writes_; }

protected:
  using OutOfRangeMessage = std::string (*)(std::size_t index, std::size_t size);

  LoggedFuseMap(std::size_t size, OutOfRangeMessage outOfRangeMessage);

  // Baselines are laid directly, without logging.
  std::vector<bool> fuses_;

private:
  [[noreturn]] void throwOutOfRange(std::size_t index) const;

  std::vector<FuseWrite> writes_;
  OutOfRangeMessage outOfRangeMessage_;
};

} // namespace gsmith
