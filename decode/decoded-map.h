// What a fuse map programs, read back from its fuses alone: per output cell
// or macrocell its logic (product terms over the map's own sources), its
// storage, clock and controls, its output enable and options; the global
// multiplexers and settings; and, as notes, whatever the map programs that
// the source language cannot say. The same record describes what a netlist
// asks for (decode/expected.h), so that the two can be compared
// (decode/compare.h).
//
// Literal names are the map's sources: "PIN3" on the GALs (the value on pin
// 3, or the output of its cell), and on the CPLDs the names of the fuse
// databases ("M7_PAD", "MC12_FB", "C1_PAD", "E1_PAD", "R_PAD", "C2_PAD")
// and "FLB5" for the foldback of macrocell 5.
#pragma once

#include "model/sum-of-products.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gsmith {

// sum, XORed with xorWith when hasXor, then inverted when inverted.
struct DecodedLogic {
  SOPExpression sum;
  bool hasXor = false;
  SOPExpression xorWith;
  bool inverted = false;

  static DecodedLogic constant(bool value) {
    DecodedLogic logic;
    logic.inverted = value;
    return logic;
  }
  static DecodedLogic of(SOPExpression sum) {
    DecodedLogic logic;
    logic.sum = std::move(sum);
    return logic;
  }
  // Constant when it has no terms to read.
  bool isConstant() const {
    return (sum.terms.empty() || (sum.terms.size() == 1 && sum.terms[0].empty())) && !hasXor;
  }
  bool constantValue() const { return !sum.terms.empty() != inverted; }
  bool isFalse() const { return isConstant() && !constantValue(); }
};

enum class DecodedStorage { COMBINATORIAL, DFF, LATCH };
enum class DecodedClock { NONE, GCLK1, GCLK2, GCLK3, PRODUCT };

// "GCLK1".."GCLK3", the words of the language; "" for the others.
inline std::string clockWord(DecodedClock clock) {
  const int n = static_cast<int>(clock);
  return n >= 1 && n <= 3 ? "GCLK" + std::to_string(n) : "";
}

struct DecodedCell {
  int number = 0; // macrocell (from 1) or GAL output cell (from 0)
  int pin = 0;    // GAL: the cell's pin; CPLD: 0 (the package decides)
  bool used = false;
  DecodedLogic data; // combinational value, D input, or T input of a toggle
  bool toggle = false;
  bool fastInput = false; // the register loads the macrocell's own pad
  DecodedStorage storage = DecodedStorage::COMBINATORIAL;
  DecodedClock clock = DecodedClock::NONE;
  bool clockInverted = false;
  DecodedLogic clockTerm; // PRODUCT clocks
  DecodedLogic clockEnable = DecodedLogic::constant(true);
  DecodedLogic reset = DecodedLogic::constant(false);
  bool resetByClear = false; // CPLDs: the reset includes the GCLR pin
  bool resetByTerm = false;  // CPLDs: the reset includes PT3
  DecodedLogic preset = DecodedLogic::constant(false);
  DecodedLogic outputEnable = DecodedLogic::constant(false);
  int globalOE = 0; // the GOE the output enable selects, 0 for none
  bool slewFast = false;
  bool openDrain = false;
  bool lowPower = false;
  bool lends = false;           // its sum goes to the next macrocell's cascade input
  std::vector<int> cascadeFrom; // macrocells whose sums joined this one's
  std::vector<std::string> notes;
};

struct DecodedGlobalOE {
  std::string source; // "" when nothing is selected
  bool inverted = false;
};

// A global setting that CONFIG can write.
struct DecodedSetting {
  std::string target;
  std::string option;
  std::string value;
  bool isDefault = true; // what gsmith writes without the CONFIG line
};

struct DecodedMap {
  std::string device; // the DEVICE name the map was read as
  bool cpld = false;
  std::string galMode; // GAL16V8B, GAL20V8B: "simple", "complex" or "registered"
  std::vector<DecodedCell> cells;
  std::vector<DecodedGlobalOE> globalOEs;
  std::array<std::string, 3> clockSources{}; // what the GCLK1..3 multiplexers select
  std::vector<DecodedSetting> settings;
  bool powerDownPD1 = false;
  bool powerDownPD2 = false;
  std::uint64_t signature = 0;
  int signatureBits = 0;
  std::vector<std::string> notes;

  // The cell of that number, or null.
  const DecodedCell *cell(int number) const {
    for (const DecodedCell &candidate : cells)
      if (candidate.number == number)
        return &candidate;
    return nullptr;
  }
};

} // namespace gsmith
