// The device-independent compilation result: the declared pins and every
// driven signal with its logic already reduced to sums of products. Back ends
// fit and encode from a Netlist alone.
#pragma once

#include "model/design.h"
#include "model/sum-of-products.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gsmith {

struct NetSignal {
  std::string name;
  int pin = 0;
  bool isOutput = false;
  bool registered = false;
  ClockSource clock = ClockSource::NONE;
  ResetSource reset = ResetSource::NONE;
  bool clockEnable = false;
  OutputEnableSource outputEnable = OutputEnableSource::ALWAYS;
  SourceLocation location; // its PIN statement
};

struct NetOutput {
  bool fastInput = false;
  std::string name;
  int pin = 0;
  bool isNode = false;
  bool registered = false;
  ClockSource clock = ClockSource::NONE;
  ResetSource reset = ResetSource::NONE;
  bool clockEnable = false;
  bool preset = false;
  OutputEnableSource outputEnable = OutputEnableSource::ALWAYS;
  SOPExpression sum;
  SOPExpression xorTerm;
  bool usesXor = false;
  // The cell inverts its logic: the pin (or node) carries the complement of
  // sum (of sum ^ xorTerm). Where the inverter sits relative to a register
  // differs by device; each back end keeps the meaning of the source.
  bool activeLow = false;
  bool toggle = false;
  SOPExpression oeLogic;
  bool hasOELogic = false;
  SOPExpression ceLogic;
  bool hasCELogic = false;
  SOPExpression presetLogic;
  bool hasPresetLogic = false;
  SOPExpression resetLogic;
  bool hasResetLogic = false;
  SourceLocation location; // its data equation, where a failure to fit it points
};

struct Netlist {
  std::vector<ATFConfigOption> configOptions;
  std::string device;
  uint64_t signature = 0;
  GALMode galMode = GALMode::AUTO;
  bool hasSignature = false;
  bool powerDownPD1 = false;
  bool powerDownPD2 = false;
  std::vector<NetSignal> signals;
  std::vector<NetOutput> outputs;
};

} // namespace gsmith
