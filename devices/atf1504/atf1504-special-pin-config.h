// The five ATF1504 special-pin configuration fuses (34154..34158) and how a
// settings record becomes their values.
#pragma once

#include <array>
#include <cstdint>

namespace gsmith {

struct ATF1504SpecialPinConfig {
  int32_t setting1 = 0;
  int32_t setting2 = 0;
  int32_t setting3 = 0;
  int32_t setting4 = 0;
  int32_t setting5 = 0;
};

class ATF1504SpecialPinConfigDB {
public:
  static constexpr int kFuseCount = 5;
  static constexpr int kFirstFuse = 34154;
  using FuseTable = std::array<int, kFuseCount>;

  static const FuseTable &specialPinFuses();
  // Bit k is (setting k + 1 == 1), written to specialPinFuses()[k].
  static std::array<bool, kFuseCount> encode(const ATF1504SpecialPinConfig &config);

  // The fuses must be distinct and lie in 34154..34158.
  static bool validate(const FuseTable &fuses);
  static bool validate();
};

} // namespace gsmith
