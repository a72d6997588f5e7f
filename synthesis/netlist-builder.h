// Builds the device-independent Netlist from a validated Design: every data
// and control equation reduced to a simplified sum of products, shaped by
// what the target device asks of synthesis.
#pragma once

#include "model/design.h"
#include "model/netlist.h"

#include <string>

namespace gsmith {

class SumRescue;

// How an equation whose top operator is XOR meets a device with a dedicated
// XOR gate per macrocell.
enum class XorSplit {
  NONE,            // no such gate: the XOR is expanded like any operator
  SPLIT_OR_EXPAND, // split when one side is one product term, else expand
  SPLIT_OR_REFUSE, // split when one side is one product term, else refuse
};

// Where expressions meet the expansion budget: the GALs measure them while
// substituting NODEs, before semantic analysis; a retry for lack of product
// terms leaves that to synthesis, which minimises what it cannot expand.
enum class Budgeting { MEASURE, LEAVE_TO_SYNTHESIS };

struct SynthesisOptions {
  // Measure every expression against the expansion budget before converting
  // it (GAL designs were measured when their NODEs were substituted).
  bool boundExpressions = false;
  XorSplit xorSplit = XorSplit::NONE;
};

class NetlistBuilder {
public:
  // With a `rescue`, an expression the expansion budget refuses is built by
  // the minimiser (see SumRescue) instead of refusing the design.
  static Netlist build(const Design &design, const SynthesisOptions &options,
                       SumRescue *rescue = nullptr);
  // The first pin of that name, or null.
  static const PinDefinition *findPin(const Design &design, const std::string &name);
};

} // namespace gsmith
