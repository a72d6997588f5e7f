// The two CPLD fitters share one class name so that callers say
// Fitter::fitATF1502 / Fitter::fitATF1504; each half lives with its device's
// back end (devices/atf1502, devices/atf1504).
#pragma once

#include "devices/cpld/fit-result.h"

namespace gsmith {

struct Netlist;
class ATF1502Device;
class ATF1502Chip;
class ATF1504Device;
class ATF1504Chip;

class Fitter {
public:
  static FitResult fitATF1502(const Netlist &netlist, const ATF1502Device &device,
                              ATF1502Chip &chip);
  static FitResult fitATF1504(const Netlist &netlist, const ATF1504Device &device,
                              ATF1504Chip &chip);
};

} // namespace gsmith
