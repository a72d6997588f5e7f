// The ATF1504 device configuration fuse table. The fuses are fed from the
// settings in the order 1, 6, 4, 5, 7, 2, 3.
#include "devices/atf1504/atf1504-device-config.h"

#include <set>

namespace gsmith {

namespace {

constexpr ATF1504DeviceConfigDB::FuseTable kDeviceFuses{34134, 34135, 34136, 34137,
                                                        34159, 34166, 34167};

} // namespace

const ATF1504DeviceConfigDB::FuseTable &ATF1504DeviceConfigDB::deviceFuses() {
  return kDeviceFuses;
}

std::array<bool, ATF1504DeviceConfigDB::kFuseCount>
ATF1504DeviceConfigDB::encode(const ATF1504DeviceConfig &config) {
  return {config.setting1 == 1, config.setting6 == 1, config.setting4 == 1, config.setting5 == 1,
          config.setting7 == 1, config.setting2 == 1, config.setting3 == 1};
}

bool ATF1504DeviceConfigDB::validate(const FuseTable &fuses) {
  const std::set<int> distinct(fuses.begin(), fuses.end());
  return distinct.size() == fuses.size();
}

bool ATF1504DeviceConfigDB::validate() { return validate(kDeviceFuses); }

} // namespace gsmith
