// Builds the device-independent Netlist from a validated Design: one NetSignal
// per declared pin and one NetOutput per data equation, with every data and
// control equation reduced to a simplified sum of products. Where the device
// has a dedicated XOR gate per macrocell an XOR equation may be split over it,
// CONFIG can turn a register into a toggle or feed it from its pad, and when
// nothing upstream has bounded an expression it is measured before
// conversion. During a rescue an expression the budget refuses is handed to
// the minimiser instead of being refused. A limit an expression passes points
// at its equation.
#include "synthesis/netlist-builder.h"

#include "model/compile-error.h"

#include "synthesis/expansion-bound.h"
#include "synthesis/logic.h"
#include "synthesis/sum-rescue.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace gsmith {

namespace {

// Positions of the records that carry one name, in source order. A design may
// declare thousands of signals and CONFIG entries, so every per-equation
// lookup goes through this index instead of rescanning the design.
template <typename Records>
std::unordered_map<std::string_view, std::vector<size_t>> indexByName(const Records &records,
                                                                      auto nameOf) {
  std::unordered_map<std::string_view, std::vector<size_t>> index;
  for (size_t i = 0; i < records.size(); ++i) {
    index[nameOf(records[i])].push_back(i);
  }
  return index;
}

const std::vector<size_t> &
positions(const std::unordered_map<std::string_view, std::vector<size_t>> &index,
          const std::string &name) {
  static const std::vector<size_t> kNone;
  const auto it = index.find(name);
  return it == index.end() ? kNone : it->second;
}

template <typename Record> const std::string &recordName(const Record &record) {
  return record.name;
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
  signal.location = pin.location;
  return signal;
}

class OutputBuilder {
public:
  OutputBuilder(const Design &design, const SynthesisOptions &options, SumRescue *rescue)
      : design_(design), options_(options), rescue_(rescue),
        pins_(indexByName(design.pins, recordName<PinDefinition>)),
        nodes_(indexByName(design.nodes, recordName<NodeDefinition>)),
        config_(indexByName(
            design.configOptions,
            [](const ATFConfigOption &option) -> const std::string & { return option.target; })),
        oe_(indexByName(design.oeEquations, recordName<OEEquation>)),
        ce_(indexByName(design.ceEquations, recordName<CEEquation>)),
        preset_(indexByName(design.presetEquations, recordName<PresetEquation>)),
        reset_(indexByName(design.resetEquations, recordName<Equation>)) {}

  NetOutput build(const Equation &equation) const {
    const PinDefinition *pin = findPin(equation.name);
    const NodeDefinition *node = pin ? nullptr : findNode(equation.name);
    if (!pin && !node) {
      throw std::logic_error("Internal error: signal '" + equation.name +
                             "' is neither a pin nor a node");
    }
    NetOutput output;
    output.name = equation.name;
    output.activeLow = equation.activeLow;
    output.location = equation.location;
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
    buildDataLogic(equation.expression, output);
    applyConfig(output);
    buildControlLogic(output);
    return output;
  }

private:
  // The first declaration of a name wins, as in NetlistBuilder::findPin.
  const PinDefinition *findPin(const std::string &name) const {
    const std::vector<size_t> &found = positions(pins_, name);
    return found.empty() ? nullptr : &design_.pins[found.front()];
  }

  const NodeDefinition *findNode(const std::string &name) const {
    const std::vector<size_t> &found = positions(nodes_, name);
    return found.empty() ? nullptr : &design_.nodes[found.front()];
  }

  // Whether `expression` may be converted; without a rescue a refusal by the
  // budget propagates.
  bool expandable(const ExpressionPtr &expression) const {
    if (!options_.boundExpressions) {
      return true;
    }
    try {
      ExpansionBound::measure(expression, design_.device);
    } catch (const ProductTermShortage &) {
      if (!rescue_) {
        throw;
      }
      return false;
    }
    return true;
  }

  // `role` names a control equation (".OE"), empty for data.
  SOPExpression reduce(const ExpressionPtr &expression, const NetOutput &output,
                       std::string_view role = {}) const {
    if (expandable(expression)) {
      return Logic::reduce(expression);
    }
    return rescue_->expand(expression, output, role);
  }

  // The whole data expression, whose polarity a rescue may choose.
  void reduceData(const ExpressionPtr &expression, NetOutput &output) const {
    if (expandable(expression)) {
      output.sum = Logic::reduce(expression);
      return;
    }
    rescue_->expandData(expression, output);
  }

  void buildDataLogic(const ExpressionPtr &expression, NetOutput &output) const {
    if (options_.xorSplit == XorSplit::NONE || !expression ||
        expression->type != ExpressionType::XOR) {
      reduceData(expression, output);
      return;
    }
    output.sum = reduce(expression->left, output);
    output.xorTerm = reduce(expression->right, output);
    if (output.xorTerm.terms.size() == 1) {
      output.usesXor = true;
      return;
    }
    if (output.sum.terms.size() == 1) {
      std::swap(output.sum, output.xorTerm);
      output.usesXor = true;
      return;
    }
    if (options_.xorSplit == XorSplit::SPLIT_OR_EXPAND) {
      output.xorTerm.terms.clear();
      reduceData(expression, output);
      return;
    }
    throw CompileError("ATF15xx dedicated XOR requires one operand to be exactly one product term",
                       expression->location);
  }

  void applyConfig(NetOutput &output) const {
    const std::vector<size_t> &entries = positions(config_, output.name);
    for (const size_t entry : entries) {
      const ATFConfigOption &option = design_.configOptions[entry];
      if (option.option == "XOR" && option.value == "TOGGLE") {
        output.toggle = true;
      }
    }
    SourceLocation fastInputAt;
    for (const size_t entry : entries) {
      const ATFConfigOption &option = design_.configOptions[entry];
      if (option.option != "FAST_INPUT") {
        continue;
      }
      const PinDefinition *pad = findPin(option.value);
      if (!pad || !output.isNode || !output.registered) {
        throw CompileError("FAST_INPUT requires a registered NODE and an input pad",
                           option.location);
      }
      output.fastInput = true;
      output.pin = pad->number;
      output.sum.terms.clear();
      fastInputAt = option.location;
    }
    if (output.fastInput && (output.usesXor || output.toggle)) {
      throw CompileError("FAST_INPUT bypasses the XOR gate and cannot be combined with XOR on " +
                             output.name,
                         fastInputAt);
    }
  }

  template <typename Equation>
  SOPExpression reduceEquation(const Equation &equation, const NetOutput &output,
                               std::string_view role) const {
    return locatedAt(equation.location,
                     [&] { return reduce(equation.expression, output, role); });
  }

  // Only the first .OE, .CE and .PRESET equation of a name counts, while every
  // .RESET equation is applied in turn so that the last one stands.
  void buildControlLogic(NetOutput &output) const {
    if (const std::vector<size_t> &found = positions(oe_, output.name); !found.empty()) {
      output.oeLogic = reduceEquation(design_.oeEquations[found.front()], output, ".OE");
      output.hasOELogic = true;
    }
    if (const std::vector<size_t> &found = positions(ce_, output.name); !found.empty()) {
      output.ceLogic = reduceEquation(design_.ceEquations[found.front()], output, ".CE");
      output.hasCELogic = true;
    }
    if (const std::vector<size_t> &found = positions(preset_, output.name); !found.empty()) {
      output.presetLogic = reduceEquation(design_.presetEquations[found.front()], output, ".PRESET");
      output.hasPresetLogic = true;
    }
    for (const size_t equation : positions(reset_, output.name)) {
      output.resetLogic = reduceEquation(design_.resetEquations[equation], output, ".RESET");
      output.hasResetLogic = true;
    }
  }

  using NameIndex = std::unordered_map<std::string_view, std::vector<size_t>>;

  const Design &design_;
  const SynthesisOptions options_;
  SumRescue *const rescue_;
  const NameIndex pins_;
  const NameIndex nodes_;
  const NameIndex config_;
  const NameIndex oe_;
  const NameIndex ce_;
  const NameIndex preset_;
  const NameIndex reset_;
};

} // namespace

Netlist NetlistBuilder::build(const Design &design, const SynthesisOptions &options,
                              SumRescue *rescue) {
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
  const OutputBuilder builder(design, options, rescue);
  for (const Equation &equation : design.equations) {
    netlist.outputs.push_back(
        locatedAt(equation.location, [&] { return builder.build(equation); }));
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
