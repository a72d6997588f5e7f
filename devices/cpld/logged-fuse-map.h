// The fuse array both CPLD fuse maps are built on: a vector of fuses plus a
// log of every write that actually changed a fuse, in write order. The log is
// what tests and reviews read to see exactly which fuses an encoding step or
// a CONFIG option touched. Each device adds its baseline and JEDEC writer.
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
  void setFuse(std::size_t index, bool value);
  // Reads false beyond the map.
  bool getFuse(std::size_t index) const;
  std::size_t size() const { return fuses_.size(); }
  const std::vector<bool> &fuses() const { return fuses_; }
  const std::vector<FuseWrite> &writes() const { return writes_; }

protected:
  using OutOfRangeMessage = std::string (*)(std::size_t index, std::size_t size);

  LoggedFuseMap(std::size_t size, OutOfRangeMessage outOfRangeMessage);
  // All fuses back to 0 and an empty log; the device then lays its baseline.
  void resetToZero();

  // Baselines are laid directly, without logging.
  std::vector<bool> fuses_;

private:
  std::vector<FuseWrite> writes_;
  OutOfRangeMessage outOfRangeMessage_;
};

} // namespace gsmith
