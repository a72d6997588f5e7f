// Builds the virtual ATF1504 chip from the package model.
#include "devices/atf1504/atf1504-chip.h"

#include <stdexcept>

namespace gsmith {

ATF1504Chip::ATF1504Chip(const ATF1504Device &device) : device_(device) {
  for (const ATF1504Macrocell &record : device_.macrocells())
    lab(static_cast<ATF1502LAB>(record.lab)).addMacrocell(Macrocell(record.number, record.pin));
}

std::size_t ATF1504Chip::index(ATF1502LAB lab) {
  const auto value = static_cast<unsigned>(lab);
  if (value >= kLABCount)
    throw std::out_of_range("Invalid ATF1504 LAB");
  return value;
}

ATF1502LAB ATF1504Chip::labOfMacrocell(int macrocell) {
  return static_cast<ATF1502LAB>((macrocell - 1) / kMacrocellsPerLAB);
}

Macrocell *ATF1504Chip::macrocell(int number) {
  if (number < 1 || number > ATF1504Device::kMacrocellCount)
    return nullptr;
  return lab(labOfMacrocell(number)).macrocell(number);
}

const Macrocell *ATF1504Chip::macrocell(int number) const {
  if (number < 1 || number > ATF1504Device::kMacrocellCount)
    return nullptr;
  return lab(labOfMacrocell(number)).macrocell(number);
}

void ATF1504Chip::reset() {
  for (LAB &block : labs_)
    block.clear();
  for (SwitchMatrix &matrix : matrices_)
    matrix.clear();
}

} // namespace gsmith
