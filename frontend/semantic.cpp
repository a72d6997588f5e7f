// Semantic analysis: the device-independent checks of a design against
// itself, in a fixed order, with the device's own checks called at their
// places in that order through DeviceRules.
#include "frontend/semantic.h"

#include "model/compile-error.h"

#include <stdexcept>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace gsmith {

namespace {

using NameSet = std::unordered_set<std::string>;

[[noreturn]] void fail(const std::string &message, SourceLocation where) {
  throw CompileError(message, where);
}

const char *clockName(ClockSource clock) {
  switch (clock) {
  case ClockSource::GCLK1:
    return "GCLK1";
  case ClockSource::GCLK2:
    return "GCLK2";
  case ClockSource::GCLK3:
    return "GCLK3";
  case ClockSource::NONE:
    break;
  }
  return "NONE";
}

const char *globalOEName(GlobalOEPin oe) {
  switch (oe) {
  case GlobalOEPin::GOE1:
    return "GOE1";
  case GlobalOEPin::GOE2:
    return "GOE2";
  case GlobalOEPin::GOE6:
    return "GOE6";
  case GlobalOEPin::NONE:
    break;
  }
  return "NONE";
}

// Name lookups for one validation, built once so that large designs stay
// linear. The first declaration of a name wins, as in the design's own searches.
struct DesignIndex {
  explicit DesignIndex(const Design &design) : design(design) {
    for (const PinDefinition &pin : design.pins) {
      pins.emplace(pin.name, &pin);
      if (pin.direction != PinDirection::INPUT)
        continue;
      inputClocks.insert(static_cast<int>(pin.clock));
      inputGlobalOEs.insert(static_cast<int>(pin.globalOE));
      hasClearInput = hasClearInput || pin.reset == ResetSource::GCLR;
    }
    for (const NodeDefinition &node : design.nodes)
      nodes.emplace(node.name, &node);
    for (const Equation &equation : design.equations)
      equationNames.insert(equation.name);
  }

  const PinDefinition *pin(const std::string &name) const {
    auto found = pins.find(name);
    return found == pins.end() ? nullptr : found->second;
  }
  const NodeDefinition *node(const std::string &name) const {
    auto found = nodes.find(name);
    return found == nodes.end() ? nullptr : found->second;
  }
  bool hasInputWithClock(ClockSource clock) const {
    return inputClocks.count(static_cast<int>(clock)) != 0;
  }
  bool hasInputWithGlobalOE(GlobalOEPin oe) const {
    return inputGlobalOEs.count(static_cast<int>(oe)) != 0;
  }
  bool hasDataEquation(const std::string &name) const { return equationNames.count(name) != 0; }

  const Design &design;
  std::unordered_map<std::string, const PinDefinition *> pins;
  std::unordered_map<std::string, const NodeDefinition *> nodes;
  NameSet equationNames;
  std::unordered_set<int> inputClocks;
  std::unordered_set<int> inputGlobalOEs;
  bool hasClearInput = false;
};

void checkExpression(const DesignIndex &index, const std::shared_ptr<Expression> &expression) {
  // Iterative so that the deepest trees the parser accepts stay safe.
  std::vector<const Expression *> pending;
  if (expression)
    pending.push_back(expression.get());
  while (!pending.empty()) {
    const Expression *node = pending.back();
    pending.pop_back();
    switch (node->type) {
    case ExpressionType::CONSTANT:
      break;
    case ExpressionType::IDENTIFIER:
      if (index.pin(node->name) == nullptr && index.node(node->name) == nullptr)
        fail("Undefined signal '" + node->name + "'", node->location);
      break;
    default:
      // Right first onto the stack so that the left operand is checked first.
      if (node->right)
        pending.push_back(node->right.get());
      if (node->left)
        pending.push_back(node->left.get());
      break;
    }
  }
}

// Control equations may target pins or nodes; a node stands in as a buried
// OUTPUT with its own register settings.
struct ControlTarget {
  bool isOutput = false;
  bool registered = false;
  OutputEnableSource outputEnable = OutputEnableSource::ALWAYS;
  ResetSource reset = ResetSource::NONE;
  bool clockEnable = false;
  bool preset = false;
};

bool findControlTarget(const DesignIndex &index, const std::string &name, ControlTarget &target) {
  if (const PinDefinition *pin = index.pin(name)) {
    target = {pin->direction == PinDirection::OUTPUT,
              pin->registered,
              pin->outputEnable,
              pin->reset,
              pin->clockEnable,
              pin->preset};
    return true;
  }
  if (const NodeDefinition *node = index.node(name)) {
    target = {true,        node->registered,  OutputEnableSource::ALWAYS,
              node->reset, node->clockEnable, node->preset};
    return true;
  }
  return false;
}

void checkRegisteredNodes(const DesignIndex &index) {
  for (const NodeDefinition &node : index.design.nodes) {
    if (!node.registered)
      continue;
    if (!index.hasDataEquation(node.name))
      fail("Registered NODE '" + node.name + "' has no data equation", node.location);
    if (node.clock == ClockSource::NONE || !index.hasInputWithClock(node.clock))
      fail("Registered NODE '" + node.name + "' needs its global clock INPUT declaration",
           node.location);
    if (node.reset == ResetSource::GCLR && !index.hasClearInput)
      fail("Registered NODE needs its GCLR input declaration", node.location);
  }
}

// Statements and modifiers the device does not take at all.
void checkFeatures(const Design &design, const LanguageFeatures &features) {
  if (!features.productReset) {
    for (const PinDefinition &pin : design.pins)
      if (pin.reset == ResetSource::PRODUCT)
        fail("RESET PRODUCT currently requires ATF1504AS", pin.location);
    if (!design.resetEquations.empty())
      fail(".RESET currently requires ATF1504AS", design.resetEquations.front().location);
  }
  if (design.galModeDeclared && !features.galModeStatement)
    fail("GAL_MODE is supported only for GAL16V8B and GAL20V8B", design.galModeLocation);
  if ((design.powerDownPD1 || design.powerDownPD2) && !features.powerDown)
    fail("POWER_DOWN is supported only for ATF1502AS and ATF1504AS", design.powerDownLocation);
}

void checkPins(const Design &design, const DeviceModel &model) {
  const std::string &device = design.device;
  const std::string package(model.packageName());
  const int pd1 = model.powerDownPin(1);
  const int pd2 = model.powerDownPin(2);
  const std::string where = " on the " + device + " " + package;
  std::unordered_set<int> numbers;
  NameSet names;
  for (const PinDefinition &pin : design.pins) {
    const auto refuse = [&pin](const std::string &message) { fail(message, pin.location); };
    const std::string number = std::to_string(pin.number);
    const bool isPD1 = design.powerDownPD1 && pin.number == pd1;
    const bool isPD2 = design.powerDownPD2 && pin.number == pd2;
    if (isPD1 || isPD2)
      refuse("Pin " + number + " cannot be assigned because it is enabled as " +
             (pin.number == pd1 ? "PD1" : "PD2"));
    if (pin.number < 1 || pin.number > model.packagePinCount())
      refuse("Pin " + number + " is outside the " + device + " " + package + " package");
    if (model.isPowerPin(pin.number))
      refuse("Pin " + number + " is a power pin and cannot be assigned to signal '" + pin.name +
             "'");
    if (!model.isIOPin(pin.number) && !model.isDedicatedInputPin(pin.number))
      refuse("Pin " + number + " is not a usable signal pin");
    if (model.isJTAGPin(pin.number))
      refuse("Pin " + number + " is reserved for the " + device + " JTAG interface");
    if (pin.direction == PinDirection::OUTPUT && model.isDedicatedInputPin(pin.number))
      refuse("Pin " + number + " is input-only and cannot be assigned as OUTPUT");
    if (!numbers.insert(pin.number).second)
      refuse("Duplicate pin number " + number);
    if (!names.insert(pin.name).second)
      refuse("Duplicate signal name '" + pin.name + "'");
    if (pin.direction != PinDirection::INPUT)
      continue;
    if (pin.clock != ClockSource::NONE) {
      const int clockPin = model.globalClockPin(pin.clock);
      if (pin.number != clockPin)
        refuse(std::string(clockName(pin.clock)) + " must use physical pin " +
               std::to_string(clockPin) + where);
      if (pin.reset == ResetSource::GCLR && clockPin != model.globalClearPin())
        refuse("GCLR must use physical pin 1" + where);
    }
    if (pin.globalOE != GlobalOEPin::NONE) {
      const int oePin = model.globalOEPin(pin.globalOE);
      if (oePin == 0)
        refuse("GOE6 has no supported package source" + where);
      if (pin.number != oePin)
        refuse(std::string(globalOEName(pin.globalOE)) + " must use physical pin " +
               std::to_string(oePin) + where);
    }
  }
}

const char *outputEnableGlobalName(OutputEnableSource oe, GlobalOEPin &pin) {
  switch (oe) {
  case OutputEnableSource::OE1:
    pin = GlobalOEPin::GOE1;
    return "OE1";
  case OutputEnableSource::OE2:
    pin = GlobalOEPin::GOE2;
    return "OE2";
  case OutputEnableSource::GOE6:
    pin = GlobalOEPin::GOE6;
    return "GOE6";
  default:
    break;
  }
  return nullptr;
}

void checkDataEquations(const DesignIndex &index) {
  NameSet driven;
  for (const Equation &equation : index.design.equations) {
    const std::string &name = equation.name;
    const PinDefinition *pin = index.pin(name);
    if (pin == nullptr && index.node(name) == nullptr)
      fail("Equation drives undefined signal '" + name + "'", equation.location);
    if (pin != nullptr && pin->direction != PinDirection::OUTPUT)
      fail("Signal '" + name + "' is not an OUTPUT", equation.location);
    if (!driven.insert(name).second)
      fail("Output '" + name + "' has more than one equation", equation.location);
    if (pin != nullptr && pin->registered) {
      const bool clockDeclared = index.hasInputWithClock(pin->clock);
      const bool clockedByEnable = pin->clock == ClockSource::NONE && pin->clockEnable;
      if (!clockDeclared && !clockedByEnable)
        fail("Registered output '" + name + "' uses " + clockName(pin->clock) +
                 ", but that global clock input has not been declared",
             pin->location);
      if (pin->reset == ResetSource::GCLR && !index.hasClearInput)
        fail("Registered output '" + name + "' uses GCLR, but the GCLR input has not been declared",
             pin->location);
    }
    if (pin != nullptr) {
      GlobalOEPin globalPin = GlobalOEPin::NONE;
      const char *oeName = outputEnableGlobalName(pin->outputEnable, globalPin);
      if (oeName != nullptr && !index.hasInputWithGlobalOE(globalPin))
        fail("Output '" + name + "' uses " + oeName +
                 ", but that global OE input has not been declared",
             pin->location);
    }
    checkExpression(index, equation.expression);
  }
}

void checkOEEquations(const DesignIndex &index) {
  const Design &design = index.design;
  NameSet controlled;
  for (const OEEquation &equation : design.oeEquations) {
    const std::string &name = equation.name;
    const PinDefinition *pin = index.pin(name);
    if (pin == nullptr)
      fail("OE equation references undefined output '" + name + "'", equation.location);
    if (pin->direction != PinDirection::OUTPUT)
      fail("OE equation can only control an OUTPUT", equation.location);
    if (pin->outputEnable != OutputEnableSource::PRODUCT)
      fail("Output '" + name + "' has a .OE equation but is not declared OE PRODUCT",
           equation.location);
    if (!controlled.insert(name).second)
      fail("Output '" + name + "' has more than one .OE equation", equation.location);
    checkExpression(index, equation.expression);
  }
  for (const PinDefinition &pin : design.pins)
    if (pin.direction == PinDirection::OUTPUT && pin.outputEnable == OutputEnableSource::PRODUCT &&
        !controlled.count(pin.name))
      fail("Output '" + pin.name + "' is declared OE PRODUCT but has no .OE equation",
           pin.location);
}

// The .CE and .PRESET checks differ only in their words and in which flag of
// the target they require.
struct RegisterControlRule {
  const char *kind;          // "CE" or "PRESET"
  bool ControlTarget::*flag; // the declaration the equation needs
  bool PinDefinition::*pinFlag;
  bool NodeDefinition::*nodeFlag;
};

template <typename ControlEquation>
NameSet checkRegisterControl(const DesignIndex &index,
                             const std::vector<ControlEquation> &equations,
                             const RegisterControlRule &rule) {
  const std::string kind = rule.kind;
  NameSet controlled;
  for (const ControlEquation &equation : equations) {
    const std::string &name = equation.name;
    ControlTarget target;
    if (!findControlTarget(index, name, target))
      fail(kind + " equation references undefined output '" + name + "'", equation.location);
    if (!target.isOutput || !target.registered)
      fail(kind + " equation can only control a REGISTERED OUTPUT", equation.location);
    if (!(target.*rule.flag))
      fail("Output '" + name + "' has a ." + kind + " equation but is not declared " + kind +
               " PRODUCT",
           equation.location);
    if (!controlled.insert(name).second)
      fail("Output '" + name + "' has more than one ." + kind + " equation", equation.location);
    checkExpression(index, equation.expression);
  }
  for (const PinDefinition &pin : index.design.pins)
    if (pin.direction == PinDirection::OUTPUT && pin.registered && pin.*rule.pinFlag &&
        !controlled.count(pin.name))
      fail("Output '" + pin.name + "' is declared " + kind + " PRODUCT but has no ." + kind +
               " equation",
           pin.location);
  return controlled;
}

void checkResetEquations(const DesignIndex &index) {
  const Design &design = index.design;
  NameSet controlled;
  for (const Equation &equation : design.resetEquations) {
    ControlTarget target;
    const bool found = findControlTarget(index, equation.name, target);
    if (!found || !target.isOutput || !target.registered || target.reset != ResetSource::PRODUCT)
      fail(".RESET requires a registered target declared RESET PRODUCT", equation.location);
    if (!controlled.insert(equation.name).second)
      fail("Duplicate .RESET equation", equation.location);
    checkExpression(index, equation.expression);
  }
  for (const PinDefinition &pin : design.pins)
    if (pin.reset == ResetSource::PRODUCT && !controlled.count(pin.name))
      fail("RESET PRODUCT has no .RESET equation for '" + pin.name + "'", pin.location);
  for (const NodeDefinition &node : design.nodes)
    if (node.reset == ResetSource::PRODUCT && !controlled.count(node.name))
      fail("RESET PRODUCT has no .RESET equation for '" + node.name + "'", node.location);
}

} // namespace

void SemanticAnalyzer::validate(const Design &design, const DeviceRules *rules) {
  const std::string &device = design.device;
  if (device.empty())
    fail("No DEVICE specified", {});
  if (rules == nullptr)
    fail("Unsupported device '" + device + "'", design.deviceLocation);
  const LanguageFeatures &features = rules->features();
  if (!design.package.empty() && !features.packageStatement)
    fail("PACKAGE selection is supported only for ATF1502AS/ASV and ATF1504AS/ASV",
         design.packageLocation);
  // The device checks each CONFIG statement where it can; what it refuses
  // of CONFIG as a whole points at the first one.
  const SourceLocation firstConfig =
      design.configOptions.empty() ? SourceLocation{} : design.configOptions.front().location;
  locatedAt(firstConfig, [&] { rules->checkConfig(design); });
  const DesignIndex index(design);
  checkRegisteredNodes(index);
  checkFeatures(design, features);

  const DeviceModel model =
      locatedAt(design.packageLocation, [&] { return rules->packageModel(design.package); });
  rules->checkSubset(design);
  checkPins(design, model);
  checkDataEquations(index);
  checkOEEquations(index);

  const NameSet clockEnabled =
      checkRegisterControl(index, design.ceEquations,
                           {"CE", &ControlTarget::clockEnable, &PinDefinition::clockEnable,
                            &NodeDefinition::clockEnable});
  const NameSet preset = checkRegisterControl(
      index, design.presetEquations,
      {"PRESET", &ControlTarget::preset, &PinDefinition::preset, &NodeDefinition::preset});
  for (const NodeDefinition &node : design.nodes) {
    if (node.clockEnable && !clockEnabled.count(node.name))
      fail("NODE '" + node.name + "' is declared CE PRODUCT but has no .CE equation",
           node.location);
    if (node.preset && !preset.count(node.name))
      fail("NODE '" + node.name + "' is declared PRESET PRODUCT but has no .PRESET equation",
           node.location);
  }
  checkResetEquations(index);
}

} // namespace gsmith
