// The virtual ATF1504 chip: the package model plus one LAB and one switch
// matrix per logic array block. The fitter fills it, the encoder and the
// CONFIG application read it.
#pragma once

#include "devices/atf1504/atf1504.h"
#include "devices/cpld/lab.h"
#include "devices/cpld/switch-matrix.h"

#include <array>

namespace gsmith {

class ATF1504Chip {
public:
  static constexpr int kLABCount = 4;
  static constexpr int kMacrocellsPerLAB = 16;

  explicit ATF1504Chip(const ATF1504Device &device);

  const ATF1504Device &device() const { return device_; }

  LAB &lab(ATF1502LAB lab) { return labs_[index(lab)]; }
  const LAB &lab(ATF1502LAB lab) const { return labs_[index(lab)]; }
  SwitchMatrix &matrix(ATF1502LAB lab) { return matrices_[index(lab)]; }
  const SwitchMatrix &matrix(ATF1502LAB lab) const { return matrices_[index(lab)]; }

  // Throws std::out_of_range for a block beyond D.
  static std::size_t index(ATF1502LAB lab);
  // The LAB holding macrocell 1..64 (16 per block, A first).
  static ATF1502LAB labOfMacrocell(int macrocell);

  // Null outside 1..64.
  Macrocell *macrocell(int number);
  const Macrocell *macrocell(int number) const;

  void reset();

private:
  ATF1504Device device_;
  std::array<LAB, kLABCount> labs_;
  std::array<SwitchMatrix, kLABCount> matrices_;
};

} // namespace gsmith
