// The package side of the three GAL chips. Their pin maps differ only in
// data, so one table per device (a role letter per pin, plus the pins that
// carry the global clock and output enable) answers every DeviceModel
// question through one shared implementation.
#pragma once

#include "devices/gal/device-model.h"

#include <string_view>

namespace gsmith {

// Pin roles, one letter per package pin starting at pin 1:
// 'I' dedicated input, 'O' input/output, 'P' power.
struct GALPinMap {
  std::string_view roles;
  const char *packageName;
  int clockPin; // GCLK1
  int oePin;    // GOE1; 0 when the package has none
};

class GALDeviceModel : public DeviceModel {
public:
  int packagePinCount() const override;
  const char *packageName() const override;
  bool isIOPin(int pin) const override;
  bool isDedicatedInputPin(int pin) const override;
  bool isPowerPin(int pin) const override;
  bool isJTAGPin(int pin) const override;
  int globalClockPin(ClockSource clock) const override;
  int globalOEPin(GlobalOEPin oe) const override;
  int globalClearPin() const override;

protected:
  virtual const GALPinMap &pinMap() const = 0;

private:
  char role(int pin) const;
};

} // namespace gsmith
