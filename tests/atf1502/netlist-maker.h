// Hand-built netlists for the ATF1502 fitter and encoder tests, so that the
// back end is exercised without the front end.
#pragma once

#include "synthesis/netlist.h"

#include <initializer_list>
#include <string>

namespace gsmith::testing {

// "a" is a true literal, "!a" a complemented one.
inline ProductTerm term(std::initializer_list<const char *> literals) {
  ProductTerm product;
  for (std::string text : literals) {
    const bool negated = !text.empty() && text[0] == '!';
    product.push_back(Literal{negated ? text.substr(1) : text, negated});
  }
  return product;
}

inline SOPExpression sum(std::initializer_list<ProductTerm> terms) { return SOPExpression{terms}; }

class NetlistMaker {
public:
  NetlistMaker &input(const std::string &name, int pin) {
    NetSignal signal;
    signal.name = name;
    signal.pin = pin;
    netlist_.signals.push_back(signal);
    return *this;
  }

  // A combinational pin output with its PIN declaration.
  NetOutput &output(const std::string &name, int pin, SOPExpression logic) {
    NetSignal signal;
    signal.name = name;
    signal.pin = pin;
    signal.isOutput = true;
    netlist_.signals.push_back(signal);
    NetOutput out;
    out.name = name;
    out.pin = pin;
    out.sum = std::move(logic);
    netlist_.outputs.push_back(out);
    return netlist_.outputs.back();
  }

  NetOutput &node(const std::string &name, SOPExpression logic) {
    NetOutput out;
    out.name = name;
    out.isNode = true;
    out.outputEnable = OutputEnableSource::DISABLED;
    out.sum = std::move(logic);
    netlist_.outputs.push_back(out);
    return netlist_.outputs.back();
  }

  Netlist &netlist() { return netlist_; }

private:
  Netlist netlist_;
};

} // namespace gsmith::testing
