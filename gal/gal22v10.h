// GAL22V10B back end: the DIP24 pin map, the subset check, and the
// 5892-fuse encoding of ten individually configured output cells with its
// JEDEC text.
#pragma once

#include "frontend/device-rules.h"
#include "model/design.h"
#include "model/netlist.h"

#include <string>
#include <vector>

namespace gsmith {

// Where the GAL22V10B's fuses lie, for the encoder here and for any reader of
// its maps: the AND-array geometry, the rows of each output cell (cell k
// serves pin 23 - k), the input column of each pin and the cell fuses.
struct GAL22V10Layout {
  struct Cell {
    unsigned firstRow; // the output-enable row; data rows follow
    unsigned rows;
  };
  unsigned rowWidth;
  unsigned rowCount;
  unsigned polarityBase; // S0 of cell k at polarityBase + 2k, S1 right after
  unsigned signatureBase;
  int cell0Pin;
  Cell cells[10];
  int columnOfPin[25]; // -1: no column
};

class GAL22V10Device {
public:
  static const PackagePins kPins;
  static constexpr unsigned kFuseCount = 5892;

  static void validateSubset(const Design &design);
  static std::vector<bool> encode(const Netlist &netlist);
  static std::string toJEDEC(const std::vector<bool> &fuses);
  static const GAL22V10Layout kLayout;
};

} // namespace gsmith
