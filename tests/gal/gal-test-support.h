// Builders for the hand-made netlists and designs of the GAL unit tests, so
// that each case reads like the source it stands for.
#pragma once

#include "synthesis/netlist-builder.h"

#include <string>
#include <string_view>
#include <vector>

namespace gsmith::testing {

// "a & !b | c": terms separated by '|', literals by '&', '!' negates;
// "1" is constant 1 (one empty term), "0" or "" constant 0 (no terms).
SOPExpression sop(std::string_view text);

NetSignal inputSignal(const std::string &name, int pin);
NetSignal outputSignal(const std::string &name, int pin, bool registered = false);

NetOutput combinationalOutput(const std::string &name, int pin, std::string_view sum);
NetOutput registeredOutput(const std::string &name, int pin, std::string_view sum,
                           OutputEnableSource oe);
NetOutput withOE(NetOutput output, std::string_view oe);

// A netlist whose signals are the inputs followed by one signal per output.
Netlist makeNetlist(const std::string &device, std::vector<NetSignal> inputs,
                    std::vector<NetOutput> outputs, GALMode galMode = GALMode::AUTO);

// The Design of a source text, read by the project's own front end.
Design parseSource(const std::string &source);

// Fuses [first, first + count) as a string of '0' and '1'.
std::string fuseText(const std::vector<bool> &fuses, unsigned first, unsigned count);

// An expression tree from the same infix syntax as the source language
// ('!', '&', '^', '|' and parentheses, constants 0 and 1).
ExpressionPtr expression(std::string_view text);

} // namespace gsmith::testing
