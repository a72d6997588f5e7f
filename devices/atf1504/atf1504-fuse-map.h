// The 34192-fuse ATF1504AS/ASV fuse array: its factory-style baseline, a log
// of every effective fuse change, and the JEDEC writer that refuses maps whose
// reserved, recovery or security fuses are unsafe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gsmith {

struct ATF1504FuseWrite {
  uint64_t index = 0;
  bool value = false;
};

class ATF1504FuseMap {
public:
  static constexpr std::size_t kFuseCount = 34192;
  static constexpr std::size_t kFirstReservedFuse = 34186;
  static constexpr std::size_t kSecurityFuse = 34166;

  // `count` fuses at 0, then the baseline when the count is 34192.
  explicit ATF1504FuseMap(std::size_t count);

  // Throws std::out_of_range beyond the map; logs only real changes.
  void setFuse(std::size_t index, bool value);
  // Reads 0 beyond the map.
  bool getFuse(std::size_t index) const;
  std::size_t size() const { return fuses_.size(); }
  const std::vector<ATF1504FuseWrite> &writes() const { return writes_; }
  const std::vector<bool> &fuses() const { return fuses_; }
  void clear();
  void initializeATF1504ASBaseline();

  // `configApplied`: the design has CONFIG entries; `pinCount`: 44, 84 or 100.
  std::string toJEDEC(bool configApplied, int pinCount) const;

  // The 960 fuse values of one half of the macrocell configuration region.
  static const std::string &macrocellHalf();

private:
  std::vector<bool> fuses_;
  std::vector<ATF1504FuseWrite> writes_;
};

} // namespace gsmith
