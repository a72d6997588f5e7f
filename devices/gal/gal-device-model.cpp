// One implementation of the DeviceModel questions for every GAL pin map.
#include "devices/gal/gal-device-model.h"

namespace gsmith {

char GALDeviceModel::role(int pin) const {
  const std::string_view roles = pinMap().roles;
  if (pin < 1 || static_cast<size_t>(pin) > roles.size())
    return '-';
  return roles[static_cast<size_t>(pin) - 1];
}

int GALDeviceModel::packagePinCount() const { return static_cast<int>(pinMap().roles.size()); }

const char *GALDeviceModel::packageName() const { return pinMap().packageName; }

bool GALDeviceModel::isIOPin(int pin) const { return role(pin) == 'O'; }

bool GALDeviceModel::isDedicatedInputPin(int pin) const { return role(pin) == 'I'; }

bool GALDeviceModel::isPowerPin(int pin) const { return role(pin) == 'P'; }

bool GALDeviceModel::isJTAGPin(int) const { return false; }

int GALDeviceModel::globalClockPin(ClockSource clock) const {
  return clock == ClockSource::GCLK1 ? pinMap().clockPin : 0;
}

int GALDeviceModel::globalOEPin(GlobalOEPin oe) const {
  return oe == GlobalOEPin::GOE1 ? pinMap().oePin : 0;
}

int GALDeviceModel::globalClearPin() const { return 0; }

} // namespace gsmith
