// Hand-built ATF1504 netlists for the fitter and encoder tests: terms are
// written as strings of literal names, "!" marking a negated literal.
#pragma once

#include "synthesis/netlist.h"

#include <initializer_list>
#include <string>

namespace gsmith::testing {

inline ProductTerm term(std::initializer_list<const char *> literals) {
  ProductTerm result;
  for (const char *literal : literals) {
    const bool negated = literal[0] == '!';
    result.push_back({negated ? literal + 1 : literal, negated});
  }
  return result;
}

inline SOPExpression sum(std::initializer_list<ProductTerm> terms) { return {terms}; }

// A sum of `count` distinct two-literal terms over the inputs a, b, c, d, e.
inline SOPExpression wideSum(int count) {
  static const char *const kInputs[] = {"a", "b", "c", "d", "e"};
  SOPExpression result;
  for (int k = 0; k < count; ++k) {
    ProductTerm t;
    t.push_back({kInputs[k % 5], (k / 5) % 2 == 1});
    t.push_back({kInputs[(k / 5 + k + 1) % 5], (k / 10) % 2 == 1});
    t.push_back({kInputs[(k + 2) % 5], k >= 20});
    result.terms.push_back(t);
  }
  return result;
}

inline NetOutput output(const std::string &name, int pin, SOPExpression logic) {
  NetOutput out;
  out.name = name;
  out.pin = pin;
  out.sum = std::move(logic);
  return out;
}

inline NetOutput node(const std::string &name, SOPExpression logic) {
  NetOutput out = output(name, 0, std::move(logic));
  out.isNode = true;
  out.outputEnable = OutputEnableSource::DISABLED;
  return out;
}

// An ATF1504AS netlist with input pins a..e on PLCC84 I/O pins of LAB A.
inline Netlist netlistWithInputs() {
  Netlist netlist;
  netlist.device = "ATF1504AS";
  const std::pair<const char *, int> inputs[] = {{"a", 4}, {"b", 5}, {"c", 6}, {"d", 8}, {"e", 9}};
  for (const auto &[name, pin] : inputs) {
    NetSignal signal;
    signal.name = name;
    signal.pin = pin;
    netlist.signals.push_back(signal);
  }
  return netlist;
}

inline void addOutput(Netlist &netlist, const NetOutput &out) {
  netlist.outputs.push_back(out);
  if (out.isNode)
    return;
  NetSignal signal;
  signal.name = out.name;
  signal.pin = out.pin;
  signal.isOutput = true;
  netlist.signals.push_back(signal);
}

} // namespace gsmith::testing
