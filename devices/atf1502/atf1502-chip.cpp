// Construction and reset of the ATF1502 virtual chip.
#include "devices/atf1502/atf1502-chip.h"

#include "devices/atf1502/atf1502.h"

namespace gsmith {

ATF1502Chip::ATF1502Chip() {
  const ATF1502Device plcc44("PLCC44");
  for (const ATF1502Macrocell &record : plcc44.macrocells()) {
    LAB &lab = record.lab == ATF1502LAB::A ? labA_ : labB_;
    lab.addMacrocell(Macrocell(record.number, record.pin));
  }
}

void ATF1502Chip::reset() {
  labA_.clear();
  labB_.clear();
  matrixA_.clear();
  matrixB_.clear();
}

Macrocell *ATF1502Chip::macrocell(int n) {
  if (n >= 1 && n <= 16)
    return labA_.macrocell(n);
  if (n >= 17 && n <= 32)
    return labB_.macrocell(n);
  return nullptr;
}

const Macrocell *ATF1502Chip::macrocell(int n) const {
  if (n >= 1 && n <= 16)
    return labA_.macrocell(n);
  if (n >= 17 && n <= 32)
    return labB_.macrocell(n);
  return nullptr;
}

} // namespace gsmith
