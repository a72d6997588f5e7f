// Selection of signals into one switch matrix, at most one entry per name.
#include "cpld/switch-matrix.h"

namespace gsmith {

bool SwitchMatrix::hasSignal(const std::string &name) const {
  for (const SwitchMatrixSignal &signal : signals_)
    if (signal.name == name)
      return true;
  return false;
}

bool SwitchMatrix::selectSignal(const std::string &name, int pin, int sourceNode) {
  if (hasSignal(name))
    return true;
  if (usedSignals() >= kCapacity)
    return false;
  signals_.push_back(SwitchMatrixSignal{name, pin, sourceNode, 0});
  return true;
}

bool SwitchMatrix::assignPhysicalUIM(const std::string &name, int uim) {
  for (SwitchMatrixSignal &signal : signals_) {
    if (signal.name != name)
      continue;
    signal.physicalUIM = uim;
    return true;
  }
  return false;
}

} // namespace gsmith
