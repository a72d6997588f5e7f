// The ATF1504 special-pin configuration fuse table.
#include "devices/atf1504/atf1504-special-pin-config.h"

#include <set>

namespace gsmith {

namespace {

constexpr ATF1504SpecialPinConfigDB::FuseTable kSpecialPinFuses{34154, 34155, 34156, 34157, 34158};

} // namespace

const ATF1504SpecialPinConfigDB::FuseTable &ATF1504SpecialPinConfigDB::specialPinFuses() {
  return kSpecialPinFuses;
}

std::array<bool, ATF1504SpecialPinConfigDB::kFuseCount>
ATF1504SpecialPinConfigDB::encode(const ATF1504SpecialPinConfig &config) {
  return {config.setting1 == 1, config.setting2 == 1, config.setting3 == 1, config.setting4 == 1,
          config.setting5 == 1};
}

bool ATF1504SpecialPinConfigDB::validate(const FuseTable &fuses) {
  std::set<int> distinct;
  for (int fuse : fuses) {
    if (fuse < kFirstFuse || fuse >= kFirstFuse + kFuseCount || !distinct.insert(fuse).second)
      return false;
  }
  return true;
}

bool ATF1504SpecialPinConfigDB::validate() { return validate(kSpecialPinFuses); }

} // namespace gsmith
