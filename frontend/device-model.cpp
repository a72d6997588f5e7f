// The package questions, answered from a pin table.
#include "frontend/device-rules.h"

#include <algorithm>

namespace gsmith {

bool DeviceModel::listed(std::span<const int> pins, int pin) {
  return pin > 0 && std::find(pins.begin(), pins.end(), pin) != pins.end();
}

int DeviceModel::globalClockPin(ClockSource clock) const {
  const int index = static_cast<int>(clock) - 1;
  return index >= 0 && index < 3 ? pins_->clockPins[index] : 0;
}

int DeviceModel::globalOEPin(GlobalOEPin oe) const {
  const int index = static_cast<int>(oe) - 1;
  return index >= 0 && index < 3 ? pins_->oePins[index] : 0;
}

int DeviceModel::powerDownPin(int which) const {
  return which == 1 || which == 2 ? pins_->powerDownPins[which - 1] : 0;
}

} // namespace gsmith
