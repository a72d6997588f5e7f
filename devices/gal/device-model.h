// The package description every target implements: which pins exist, which
// may carry signals, and where the global clock, output-enable and clear
// inputs sit. Semantic analysis checks pin assignments against it.
#pragma once

#include "frontend/design.h"

namespace gsmith {

class DeviceModel {
public:
  virtual ~DeviceModel() = default;
  virtual int packagePinCount() const = 0;
  virtual const char *packageName() const = 0;
  virtual bool isIOPin(int pin) const = 0;
  virtual bool isDedicatedInputPin(int pin) const = 0;
  virtual bool isPowerPin(int pin) const = 0;
  virtual bool isJTAGPin(int pin) const = 0;
  virtual int globalClockPin(ClockSource clock) const = 0;
  virtual int globalOEPin(GlobalOEPin oe) const = 0;
  virtual int globalClearPin() const = 0;
};

} // namespace gsmith
