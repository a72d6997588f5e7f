// The exchange of reset and preset for active-low CPLD registers, and the
// checks that keep it faithful to the source.
#include "cpld/register-polarity.h"

#include "model/compile-error.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>

namespace gsmith {

namespace {

struct Register {
  bool registered = false;
  ResetSource reset = ResetSource::NONE;
  bool productEnable = false;
};

std::unordered_map<std::string, Register> registersByName(const Design &design) {
  std::unordered_map<std::string, Register> registers;
  for (const PinDefinition &pin : design.pins)
    registers.emplace(pin.name, Register{pin.registered, pin.reset,
                                         pin.outputEnable == OutputEnableSource::PRODUCT});
  for (const NodeDefinition &node : design.nodes)
    registers.emplace(node.name, Register{node.registered, node.reset, false});
  return registers;
}

void checkOneTerm(const NetOutput &output, const SOPExpression &sum, bool present,
                  const char *control, std::string_view device) {
  if (!present || sum.terms.size() == 1)
    return;
  throw ProductTermShortage(std::string(device) + " active-low register '" + output.name +
                                "': its ." + control + " needs " +
                                std::to_string(sum.terms.size()) +
                                " product terms, but the chip implements it with one",
                            {output.name});
}

} // namespace

void checkActiveLowRegisters(const Design &design, std::string_view device) {
  const std::unordered_map<std::string, Register> registers = registersByName(design);
  for (const Equation &equation : design.equations) {
    const auto found = registers.find(equation.name);
    if (!equation.activeLow || found == registers.end() || !found->second.registered)
      continue;
    const Register &target = found->second;
    const std::string where = std::string(device) + " active-low register '" + equation.name + "'";
    if (target.reset == ResetSource::GCLR)
      throw CompileError(where + " cannot use RESET GCLR: the register holds the pin's value and "
                                 "the global clear would drive the pin low; use RESET PRODUCT");
    if (target.reset == ResetSource::PRODUCT && target.productEnable)
      throw CompileError(where + " cannot use RESET PRODUCT with OE PRODUCT: its reset takes the "
                                 "preset product term, which the output enable already uses");
  }
}

std::optional<Netlist> withRegistersAsStored(const Netlist &netlist, std::string_view device) {
  const auto activeLowRegister = [](const NetOutput &output) {
    return output.activeLow && output.registered;
  };
  if (std::none_of(netlist.outputs.begin(), netlist.outputs.end(), activeLowRegister))
    return std::nullopt;
  Netlist physical = netlist;
  for (NetOutput &output : physical.outputs) {
    if (!activeLowRegister(output))
      continue;
    if (output.reset == ResetSource::GCLR)
      throw std::logic_error("Internal error: active-low register '" + output.name +
                             "' reached the fit with RESET GCLR");
    checkOneTerm(output, output.resetLogic, output.hasResetLogic, "RESET", device);
    checkOneTerm(output, output.presetLogic, output.hasPresetLogic, "PRESET", device);
    const bool resetProduct = output.reset == ResetSource::PRODUCT;
    output.reset = output.preset ? ResetSource::PRODUCT : ResetSource::NONE;
    output.preset = resetProduct;
    std::swap(output.resetLogic, output.presetLogic);
    std::swap(output.hasResetLogic, output.hasPresetLogic);
  }
  return physical;
}

} // namespace gsmith
