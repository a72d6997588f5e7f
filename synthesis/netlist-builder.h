// Builds the device-independent Netlist from a validated Design: every data
// and control equation reduced to a simplified sum of products, shaped by
// what the target device asks of synthesis.
#pragma once

#include "model/design.h"
#include "model/netlist.h"

#include <string>

namespace gsmith {

// How an equation whose top operator is XOR meets a device with a dedicated
// XOR gate per macrocell.
enum class XorSplit {
  NONE,            // no such gate: the XOR is expanded like any operator
  SPLIT_OR_EXPAND, // split when one side is one product term, else expand
  SPLIT_OR_REFUSE, // split when one side is one product term, else refuse
};

struct SynthesisOptions {
  // Measure every expression against the expansion budget before converting
  // it (GAL designs were measured when their NODEs were substituted).
  bool boundExpressions = false;
  XorSplit xorSplit = XorSplit::NONE;
};

class NetlistBuilder {
public:
  static Netlist build(const Design &design, const SynthesisOptions &options);
  // The first pin of that name, or null.
  static const PinDefinition *findPin(const Design &design, const std::string &name);
};

} // namespace gsmith
