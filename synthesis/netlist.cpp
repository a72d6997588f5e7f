// Builds the device-independent Netlist from a validated Design: one NetSignal
// per declared pin and one NetOutput per data equation, with every data and
// control equation reduced to a simplified sum of products. On the ATF15xx
// devices an XOR equation may be split over the macrocell's dedicated XOR
// gate, CONFIG can turn a register into a toggle or feed it from its pad, and
// every expression is measured before conversion because nothing upstream
// bounds those designs.
#include "synthesis/netlist.h"

#include "synthesis/expansion-bound.h"

#include <algorithm>
#include <stdexcept>

namespace gsmith {

namespace {

const NodeDefinition *findNode(const Design &design, const std::string &name) {
  for (const NodeDefinition &node : design.nodes) {
    if (node.name == name) {
      return &node;
    }
  }
  return nullptr;
}

NetSignal makeSignal(const PinDefinition &pin) {
  NetSignal signal;
  signal.name = pin.name;
  signal.pin = pin.number;
  signal.isOutput = pin.direction == PinDirection::OUTPUT;
  signal.registered = pin.registered;
  signal.clock = pin.clock;
  signal.reset = pin.reset;
  signal.clockEnable = pin.clockEnable;
  signal.outputEnable = pin.outputEnable;
  return signal;
}

class OutputBuilder {
public:
  explicit OutputBuilder(const Design &design)
      : design_(design), bounded_(isATF15xxASFamily(design.device)) {}

  NetOutput build(const Equation &equation) const {
    const PinDefinition *pin = NetlistBuilder::findPin(design_, equation.name);
    const NodeDefinition *node = pin ? nullptr : findNode(design_, equation.name);
    if (!pin && !node) {
      throw std::runtime_error("Internal error: signal '" + equation.name +
                               "' is neither a pin nor a node");
    }
    NetOutput output;
    buildDataLogic(equation.expression, output);
    output.name = equation.name;
    if (pin) {
      output.pin = pin->number;
      output.isNode = false;
      output.registered = pin->registered;
      output.clock = pin->clock;
      output.reset = pin->reset;
      output.clockEnable = pin->clockEnable;
      output.preset = pin->preset;
      output.outputEnable = pin->outputEnable;
    } else {
      output.pin = 0;
      output.isNode = true;
      output.registered = node->registered;
      output.clock = node->clock;
      output.reset = node->reset;
      output.clockEnable = node->clockEnable;
      output.preset = node->preset;
      output.outputEnable = OutputEnableSource::DISABLED;
    }
    applyConfig(output);
    buildControlLogic(output);
    return output;
  }

private:
  SOPExpression reduce(const ExpressionPtr &expression) const {
    if (bounded_) {
      ExpansionBound::measure(expression, design_.device);
    }
    return Logic::simplify(Logic::toSOP(expression));
  }

  void buildDataLogic(const ExpressionPtr &expression, NetOutput &output) const {
    if (!bounded_ || !expression || expression->type != ExpressionType::XOR) {
      output.sum = reduce(expression);
      return;
    }
    output.sum = reduce(expression->left);
    output.xorTerm = reduce(expression->right);
    if (output.xorTerm.terms.size() == 1) {
      output.usesXor = true;
      return;
    }
    if (output.sum.terms.size() == 1) {
      std::swap(output.sum, output.xorTerm);
      output.usesXor = true;
      return;
    }
    if (design_.device == "ATF1502AS" || design_.device == "ATF1502ASV") {
      output.xorTerm.terms.clear();
      output.sum = reduce(expression);
      return;
    }
    throw std::runtime_error(
        "ATF15xx dedicated XOR requires one operand to be exactly one product term");
  }

  void applyConfig(NetOutput &output) const {
    for (const ATFConfigOption &option : design_.configOptions) {
      if (option.target == output.name && option.option == "XOR" && option.value == "TOGGLE") {
        output.toggle = true;
      }
    }
    for (const ATFConfigOption &option : design_.configOptions) {
      if (option.target != output.name || option.option != "FAST_INPUT") {
        continue;
      }
      const PinDefinition *pad = NetlistBuilder::findPin(design_, option.value);
      if (!pad || !output.isNode || !output.registered) {
        throw std::runtime_error("FAST_INPUT requires a registered NODE and an input pad");
      }
      output.fastInput = true;
      output.pin = pad->number;
      output.sum.terms.clear();
    }
    if (output.fastInput && (output.usesXor || output.toggle)) {
      throw std::runtime_error(
          "FAST_INPUT bypasses the XOR gate and cannot be combined with XOR on " + output.name);
    }
  }

  // Only the first .OE, .CE and .PRESET equation of a name counts, while every
  // .RESET equation is applied in turn so that the last one stands.
  void buildControlLogic(NetOutput &output) const {
    for (const OEEquation &equation : design_.oeEquations) {
      if (equation.name == output.name) {
        output.oeLogic = reduce(equation.expression);
        output.hasOELogic = true;
        break;
      }
    }
    for (const CEEquation &equation : design_.ceEquations) {
      if (equation.name == output.name) {
        output.ceLogic = reduce(equation.expression);
        output.hasCELogic = true;
        break;
      }
    }
    for (const PresetEquation &equation : design_.presetEquations) {
      if (equation.name == output.name) {
        output.presetLogic = reduce(equation.expression);
        output.hasPresetLogic = true;
        break;
      }
    }
    for (const Equation &equation : design_.resetEquations) {
      if (equation.name == output.name) {
        output.resetLogic = reduce(equation.expression);
        output.hasResetLogic = true;
      }
    }
  }

  const Design &design_;
  const bool bounded_;
};

} // namespace

Netlist NetlistBuilder::build(const Design &design) {
  Netlist netlist;
  netlist.configOptions = design.configOptions;
  netlist.device = design.device;
  netlist.signature = design.signature;
  netlist.galMode = design.galMode;
  netlist.hasSignature = design.hasSignature;
  netlist.powerDownPD1 = design.powerDownPD1;
  netlist.powerDownPD2 = design.powerDownPD2;
  for (const PinDefinition &pin : design.pins) {
    netlist.signals.push_back(makeSignal(pin));
  }
  const OutputBuilder builder(design);
  for (const Equation &equation : design.equations) {
    netlist.outputs.push_back(builder.build(equation));
  }
  // Fast-input registers lead the list; each group keeps equation order.
  std::stable_partition(netlist.outputs.begin(), netlist.outputs.end(),
                        [](const NetOutput &output) { return output.fastInput; });
  return netlist;
}

const PinDefinition *NetlistBuilder::findPin(const Design &design, const std::string &name) {
  for (const PinDefinition &pin : design.pins) {
    if (pin.name == name) {
      return &pin;
    }
  }
  return nullptr;
}

} // namespace gsmith
