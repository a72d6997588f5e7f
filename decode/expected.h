// What a netlist asks of a device's fuse map, in the decoder's record:
// per output the cell it must occupy (the pin's cell; for a CPLD NODE the
// fitter's macrocell, or 0 when the map's reader must find it) and the
// behaviour that cell must have, with every literal named after the
// netlist's signals; the global settings; and the names the map's own
// sources take in this design.
#pragma once

#include "decode/decoded-map.h"
#include "model/netlist.h"
#include "target/target.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace gsmith {

struct CPLDArchitecture;

struct ExpectedOutput {
  std::string name;
  int cell = 0; // 0: a NODE whose macrocell is not known
  bool isNode = false;
  DecodedCell behaviour;
};

struct ExpectedMap {
  std::vector<ExpectedOutput> outputs;
  DecodedMap globals; // settings, power-down and signature; no cells
  // The design's name of each source of the map that a declared pin gives
  // ("M7_PAD" -> "a", "MC12_FB" -> "q", "PIN3" -> "a").
  std::unordered_map<std::string, std::string> names;
  bool cpld = false;
  std::vector<int> cellPins; // CPLDs: the pin of macrocell n at n - 1, 0 when buried

  int pinOfCell(int cell) const {
    return cell >= 1 && cell <= static_cast<int>(cellPins.size())
               ? cellPins[static_cast<std::size_t>(cell - 1)]
               : 0;
  }
};

// `package` as the design's PACKAGE statement gives it (empty: the default);
// `placement` gives the macrocell of any output the fitter placed.
ExpectedMap expectedMap(const Target &target, const Netlist &netlist, const std::string &package,
                        const std::vector<std::pair<std::string, int>> &placement);

// The feedback source of CPLD macrocell n.
std::string feedbackSource(int macrocell);

// The user signature a CPLD map holds without a SIGNATURE statement.
std::uint64_t restSignature(const CPLDArchitecture &arch);

} // namespace gsmith
