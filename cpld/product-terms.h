// Where a macrocell's product-term rows lie in the AND array.
#pragma once

#include "cpld/architecture.h"

namespace gsmith {

// First fuse of product term `pt` (1..5) of `macrocell`.
constexpr int productTermRow(const ProductTermLayout &layout, int macrocell, int pt) {
  const int pair = ((macrocell - 1) / 2) % (kMacrocellsPerLab / 2);
  const int slot = layout.pairsFromBlockEnd ? kMacrocellsPerLab / 2 - 1 - pair : pair;
  const bool upper = (macrocell % 2 == 1) == layout.oddMacrocellInUpperRows;
  const int row = upper ? kProductTermsPerCell - 1 + pt : kProductTermsPerCell - pt;
  return layout.blockBase[(macrocell - 1) / kMacrocellsPerLab] +
         (slot * 2 * kProductTermsPerCell + row) * kProductTermRowWidth;
}

} // namespace gsmith
