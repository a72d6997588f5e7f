// Construction of the virtual chip, package lookup and the naming of the
// physical sources the switch matrices select.
#include "cpld/chip.h"

#include "model/compile-error.h"

#include <algorithm>

namespace gsmith {

const CPLDPackage &findPackage(const CPLDArchitecture &arch, const std::string &name) {
  if (name.empty())
    return arch.packages[arch.defaultPackage];
  for (const CPLDPackage &package : arch.packages)
    if (package.pins.name == name)
      return package;
  std::string names;
  for (size_t k = 0; k < arch.packages.size(); ++k) {
    if (k > 0)
      names += k + 1 == arch.packages.size() ? " or " : ", ";
    names += arch.packages[k].pins.name;
  }
  throw CompileError(std::string(arch.messages.packageFamily) + " PACKAGE must be " + names);
}

Chip::Chip(const CPLDArchitecture &arch, const CPLDPackage &package)
    : arch_(&arch), package_(&package), labs_(static_cast<size_t>(arch.labCount)),
      matrices_(static_cast<size_t>(arch.labCount)) {
  for (int number = 1; number <= arch.macrocellCount; ++number)
    lab(labOf(number)).addMacrocell(Macrocell(number, pinOf(number)));
}

Macrocell *Chip::macrocell(int number) {
  if (number < 1 || number > macrocellCount())
    return nullptr;
  return &lab(labOf(number)).macrocells()[static_cast<size_t>((number - 1) % kMacrocellsPerLab)];
}

const Macrocell *Chip::macrocell(int number) const {
  return const_cast<Chip *>(this)->macrocell(number);
}

int Chip::macrocellForPin(int pin) const {
  if (pin < 1)
    return 0;
  const std::span<const int> pins = package_->macrocellPins;
  const auto found = std::find(pins.begin(), pins.end(), pin);
  return found == pins.end() ? 0 : static_cast<int>(found - pins.begin()) + 1;
}

bool Chip::isJTAGMacrocell(int macrocell) const {
  const std::span<const int> jtag = arch_->jtagMacrocells;
  return std::find(jtag.begin(), jtag.end(), macrocell) != jtag.end();
}

void Chip::reset() {
  for (LAB &block : labs_)
    block.clear();
  for (SwitchMatrix &matrix : matrices_)
    matrix.clear();
}

SignalSource padSource(const Chip &chip, int pin) {
  if (pin < 1)
    return {};
  const PackagePins &pins = chip.package().pins;
  if (pin == pins.clearPin)
    return {SourceKind::CLEAR_PAD, 0};
  if (pin == pins.clockPins[1])
    return {SourceKind::CLOCK2_PAD, 0};
  if (pin == pins.clockPins[0])
    return {SourceKind::CLOCK1_PAD, 0};
  if (pin == pins.oePins[0])
    return {SourceKind::OE1_PAD, 0};
  const int macrocell = chip.macrocellForPin(pin);
  return macrocell > 0 ? SignalSource{SourceKind::PAD, macrocell} : SignalSource{};
}

SignalSource physicalSource(const Chip &chip, const SwitchMatrixSignal &signal) {
  const int feedback = signal.sourceNode - 600;
  if (feedback >= 1 && feedback <= chip.macrocellCount())
    return {SourceKind::FEEDBACK, feedback};
  return padSource(chip, signal.pin);
}

} // namespace gsmith
