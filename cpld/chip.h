// The virtual chip the fitter fills and the encoder reads: every macrocell,
// grouped by logic array block, and one switch matrix per block, for one
// device in one package.
#pragma once

#include "cpld/architecture.h"
#include "cpld/lab.h"
#include "cpld/switch-matrix.h"
#include "frontend/device-rules.h"

#include <string>
#include <vector>

namespace gsmith {

// The package of that name (empty: the device's default); throws CompileError
// naming the packages the device comes in.
const CPLDPackage &findPackage(const CPLDArchitecture &arch, const std::string &name);

class Chip {
public:
  Chip(const CPLDArchitecture &arch, const CPLDPackage &package);

  const CPLDArchitecture &architecture() const { return *arch_; }
  const CPLDPackage &package() const { return *package_; }
  DeviceModel model() const { return DeviceModel(package_->pins); }
  int macrocellCount() const { return arch_->macrocellCount; }
  int labCount() const { return arch_->labCount; }

  static Lab labOf(int macrocell) { return Lab((macrocell - 1) / kMacrocellsPerLab); }
  LAB &lab(Lab lab) { return labs_.at(static_cast<size_t>(lab)); }
  const LAB &lab(Lab lab) const { return labs_.at(static_cast<size_t>(lab)); }
  SwitchMatrix &matrix(Lab lab) { return matrices_.at(static_cast<size_t>(lab)); }
  const SwitchMatrix &matrix(Lab lab) const { return matrices_.at(static_cast<size_t>(lab)); }

  // Null outside 1..macrocellCount().
  Macrocell *macrocell(int number);
  const Macrocell *macrocell(int number) const;
  // The macrocell whose I/O cell sits on `pin` in this package, or 0.
  int macrocellForPin(int pin) const;
  // The pin of a macrocell in this package, 0 when it is buried.
  int pinOf(int macrocell) const { return package_->macrocellPins[macrocell - 1]; }
  bool isJTAGMacrocell(int macrocell) const;

  // The macrocell that lends product terms to `macrocell` (the one below it
  // in its group of eight), 0 at the start of a group.
  static int cascadeSource(int macrocell) {
    return (macrocell - 1) % kCascadeGroup == 0 ? 0 : macrocell - 1;
  }
  // The most terms a sum on `macrocell` can have with its whole group lending.
  static int maxProductTerms(int macrocell) {
    return kProductTermsPerCell * ((macrocell - 1) % kCascadeGroup + 1);
  }

  // Back to the freshly built state: every macrocell cleared, matrices empty.
  void reset();

private:
  const CPLDArchitecture *arch_;
  const CPLDPackage *package_;
  std::vector<LAB> labs_;
  std::vector<SwitchMatrix> matrices_;
};

// The physical source of a signal the fitter selected into a matrix: the
// feedback of the macrocell it comes from, or the pad of its pin.
SignalSource physicalSource(const Chip &chip, const SwitchMatrixSignal &signal);
// The pad of a pin in the chip's package, NONE for a pin with no pad source.
SignalSource padSource(const Chip &chip, int pin);

} // namespace gsmith
