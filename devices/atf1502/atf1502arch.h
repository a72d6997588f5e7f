// A placeholder architecture description of the ATF1502: one empty option
// record per macrocell. Kept for tools that walk the macrocells by index;
// the compile path reads the fuse databases instead.
#pragma once

#include "devices/cpld/fuse-option.h"

#include <vector>

namespace gsmith {

class ATF1502Architecture {
public:
  ATF1502Architecture();
  // Entry i (0..31); throws std::out_of_range beyond.
  const MacrocellFuseDB &getMacrocell(int i) const;

private:
  std::vector<MacrocellFuseDB> macrocells_;
};

} // namespace gsmith
