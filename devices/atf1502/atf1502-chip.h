// The ATF1502 virtual chip: two logic array blocks of sixteen macrocells and
// one switch matrix per block. The fitter fills it, the encoder reads it.
#pragma once

#include "devices/cpld/lab.h"
#include "devices/cpld/switch-matrix.h"

#include <string>

namespace gsmith {

class ATF1502Chip {
public:
  // Macrocells 1..16 in LAB A and 17..32 in LAB B, each carrying its PLCC44
  // pin whatever the package; both matrices empty.
  ATF1502Chip();

  // Clears every macrocell and both matrices; the package stays.
  void reset();

  // The package whose numbering the fitted signals' pins use ("PLCC44" or
  // "TQFP44"); the fitter records it so that pads can be named physically.
  const std::string &package() const { return package_; }
  void setPackage(const std::string &package) { package_ = package; }

  LAB &labA() { return labA_; }
  LAB &labB() { return labB_; }
  const LAB &labA() const { return labA_; }
  const LAB &labB() const { return labB_; }
  SwitchMatrix &matrixA() { return matrixA_; }
  SwitchMatrix &matrixB() { return matrixB_; }
  const SwitchMatrix &matrixA() const { return matrixA_; }
  const SwitchMatrix &matrixB() const { return matrixB_; }

  // Null for a number outside 1..32.
  Macrocell *macrocell(int n);
  const Macrocell *macrocell(int n) const;

private:
  LAB labA_;
  LAB labB_;
  SwitchMatrix matrixA_;
  SwitchMatrix matrixB_;
  std::string package_ = "PLCC44";
};

} // namespace gsmith
