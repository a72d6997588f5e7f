// CONFIG validation: every entry is checked against the table of accepted
// target, option and value combinations, then against the design it
// configures (a GOE needs a source and a consumer, a clock inversion needs a
// register on that clock, a macrocell option needs a macrocell that can carry
// it). The first problem is thrown, so later stages see only CONFIG entries
// they can honour.
#include "cpld/config.h"

#include "model/compile-error.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace gsmith {

namespace {

enum class TargetKind { GOE, CLOCK, JTAG, DEVICE, MACROCELL };

// How the value of an entry is judged by the table: one of a few words, any
// signal name (checked against the design later), or a GOE name.
enum class ValueKind { WORDS, SIGNAL, GOE };

struct OptionRule {
  TargetKind target;
  std::string_view option;
  ValueKind valueKind;
  std::array<std::string_view, 2> words;
};

constexpr std::array<std::string_view, 2> kOnOff{"ON", "OFF"};

constexpr OptionRule kOptionRules[] = {
    {TargetKind::GOE, "SOURCE", ValueKind::SIGNAL, {}},
    {TargetKind::GOE, "INVERT", ValueKind::WORDS, kOnOff},
    {TargetKind::CLOCK, "INVERT", ValueKind::WORDS, kOnOff},
    {TargetKind::JTAG, "TERMINATION", ValueKind::WORDS, {"PULL_UP", "HIGH_Z"}},
    {TargetKind::DEVICE, "TERMINATION", ValueKind::WORDS, {"BUS_KEEPER", "HIGH_Z"}},
    {TargetKind::DEVICE, "RESET_HYSTERESIS", ValueKind::WORDS, {"LARGE", "SMALL"}},
    {TargetKind::DEVICE, "READ_PROTECTION", ValueKind::WORDS, kOnOff},
    {TargetKind::DEVICE, "STANDBY_WAKEUP", ValueKind::WORDS, kOnOff},
    {TargetKind::MACROCELL, "SLEW", ValueKind::WORDS, {"FAST", "SLOW"}},
    {TargetKind::MACROCELL, "DRIVER", ValueKind::WORDS, {"OPEN_DRAIN", "PUSH_PULL"}},
    {TargetKind::MACROCELL, "LOW_POWER", ValueKind::WORDS, kOnOff},
    {TargetKind::MACROCELL, "STORAGE", ValueKind::WORDS, {"DFF", "LATCH"}},
    {TargetKind::MACROCELL, "XOR", ValueKind::WORDS, {"TOGGLE"}},
    {TargetKind::MACROCELL, "FAST_INPUT", ValueKind::SIGNAL, {}},
    {TargetKind::MACROCELL, "GLOBAL_OE", ValueKind::GOE, {}},
};

// The named global targets besides GOE1..GOE6. A clock or clear target
// records what a register must use for the target to have a consumer.
struct GlobalTarget {
  std::string_view name;
  TargetKind kind;
  ClockSource clock;
  bool clear;
};

constexpr GlobalTarget kGlobalTargets[] = {
    {"TMS", TargetKind::JTAG, ClockSource::NONE, false},
    {"TDI", TargetKind::JTAG, ClockSource::NONE, false},
    {"DEVICE", TargetKind::DEVICE, ClockSource::NONE, false},
    {"GCLR", TargetKind::CLOCK, ClockSource::NONE, true},
    {"CLK1", TargetKind::CLOCK, ClockSource::GCLK1, false},
    {"CLK2", TargetKind::CLOCK, ClockSource::GCLK2, false},
    {"CLK3", TargetKind::CLOCK, ClockSource::GCLK3, false},
    {"GCLK1", TargetKind::CLOCK, ClockSource::GCLK1, false},
    {"GCLK2", TargetKind::CLOCK, ClockSource::GCLK2, false},
    {"GCLK3", TargetKind::CLOCK, ClockSource::GCLK3, false},
};

const GlobalTarget *findGlobalTarget(const std::string &name) {
  for (const GlobalTarget &target : kGlobalTargets)
    if (target.name == name)
      return &target;
  return nullptr;
}

TargetKind targetKind(const std::string &name) {
  if (ATFConfig::isGOE(name))
    return TargetKind::GOE;
  if (const GlobalTarget *target = findGlobalTarget(name))
    return target->kind;
  return TargetKind::MACROCELL;
}

// The design's declarations, equations and CONFIG entries by name, first
// occurrence winning as in the linear lookups. A design may carry thousands of
// signals and entries, and most checks look names up, so validation builds
// this once instead of rescanning the design for every entry.
class DesignIndex {
public:
  DesignIndex(const Design &design, const CPLDArchitecture &arch) : design_(design), arch_(arch) {
    for (const PinDefinition &pin : design.pins)
      pins_.try_emplace(pin.name, &pin);
    for (const NodeDefinition &node : design.nodes)
      nodes_.try_emplace(node.name, &node);
    for (const Equation &equation : design.equations)
      equations_.try_emplace(equation.name, &equation);
    for (const ATFConfigOption &entry : design.configOptions) {
      entries_.try_emplace({entry.target, entry.option}, &entry);
      if (entry.option == "GLOBAL_OE" && !ATFConfig::isGlobal(entry.target))
        goeConsumers_.insert(entry.value);
    }
  }

  const Design &design() const { return design_; }
  const CPLDArchitecture &architecture() const { return arch_; }

  const PinDefinition *pin(const std::string &name) const { return find(pins_, name); }
  const NodeDefinition *node(const std::string &name) const { return find(nodes_, name); }
  const Equation *equation(const std::string &name) const { return find(equations_, name); }
  bool isDeclared(const std::string &name) const { return pin(name) || node(name); }

  const ATFConfigOption *entry(const std::string &target, const std::string &option) const {
    const auto it = entries_.find({target, option});
    return it == entries_.end() ? nullptr : it->second;
  }

  // Some macrocell entry "GLOBAL_OE" names `goe`.
  bool hasGOEConsumer(const std::string &goe) const { return goeConsumers_.count(goe) != 0; }

  // The package model; the package is only looked up (and a bad one
  // refused) when a check needs it.
  DeviceModel model() const { return DeviceModel(findPackage(arch_, design_.package).pins); }

private:
  template <typename Record>
  static const Record *find(const std::unordered_map<std::string_view, const Record *> &map,
                            const std::string &name) {
    const auto it = map.find(name);
    return it == map.end() ? nullptr : it->second;
  }

  const Design &design_;
  const CPLDArchitecture &arch_;
  std::unordered_map<std::string_view, const PinDefinition *> pins_;
  std::unordered_map<std::string_view, const NodeDefinition *> nodes_;
  std::unordered_map<std::string_view, const Equation *> equations_;
  std::map<std::pair<std::string_view, std::string_view>, const ATFConfigOption *> entries_;
  std::set<std::string_view, std::less<>> goeConsumers_;
};

bool valueAccepted(const OptionRule &rule, const std::string &value) {
  switch (rule.valueKind) {
  case ValueKind::SIGNAL:
    return true;
  case ValueKind::GOE:
    return ATFConfig::isGOE(value);
  case ValueKind::WORDS:
    break;
  }
  return std::any_of(rule.words.begin(), rule.words.end(),
                     [&](std::string_view word) { return !word.empty() && word == value; });
}

bool inTable(const ATFConfigOption &entry) {
  const TargetKind kind = targetKind(entry.target);
  return std::any_of(std::begin(kOptionRules), std::end(kOptionRules), [&](const OptionRule &rule) {
    return rule.target == kind && rule.option == entry.option && valueAccepted(rule, entry.value);
  });
}

// The table pass: duplicates, targets the design does not declare, and
// combinations outside the accepted table.
void checkEntryShapes(const DesignIndex &index) {
  std::set<std::pair<std::string_view, std::string_view>> seen;
  for (const ATFConfigOption &entry : index.design().configOptions) {
    if (!seen.emplace(entry.target, entry.option).second)
      throw CompileError("Duplicate CONFIG " + entry.target + " " + entry.option, entry.location);
    if (!ATFConfig::isGlobal(entry.target) && !index.isDeclared(entry.target))
      throw CompileError("Unknown CONFIG target: " + entry.target, entry.location);
    if (!inTable(entry))
      throw CompileError("Unsupported CONFIG " + entry.target + " " + entry.option + " " +
                             entry.value,
                         entry.location);
  }
}

bool drivenByPackageOE(const Design &design, const CPLDArchitecture &arch, int goe) {
  for (const PinDefinition &pin : design.pins) {
    if (pin.direction != PinDirection::OUTPUT)
      continue;
    for (const PackageOERoute &route : arch.packageOERoutes)
      if (route.clause == pin.outputEnable && route.goe == goe)
        return true;
  }
  return false;
}

void checkGOE(const DesignIndex &index, const ATFConfigOption &entry) {
  const Design &design = index.design();
  const int goe = entry.target.back() - '0';
  if (drivenByPackageOE(design, index.architecture(), goe))
    throw CompileError("Internal " + entry.target + " conflicts with an existing package OE route");
  if (entry.option == "SOURCE" && !index.isDeclared(entry.value))
    throw CompileError("Unknown global OE source: " + entry.value);
  if (!index.entry(entry.target, "SOURCE") || !index.hasGOEConsumer(entry.target))
    throw CompileError(entry.target +
                       " requires exactly one SOURCE and at least one GLOBAL_OE consumer");
}

void checkClockConsumer(const Design &design, const ATFConfigOption &entry) {
  const GlobalTarget &target = *findGlobalTarget(entry.target);
  auto consumes = [&](bool registered, ClockSource clock, ResetSource reset) {
    if (!registered)
      return false;
    return target.clear ? reset == ResetSource::GCLR : clock == target.clock;
  };
  const bool pinConsumer =
      std::any_of(design.pins.begin(), design.pins.end(), [&](const PinDefinition &pin) {
        return pin.direction == PinDirection::OUTPUT &&
               consumes(pin.registered, pin.clock, pin.reset);
      });
  const bool nodeConsumer =
      std::any_of(design.nodes.begin(), design.nodes.end(), [&](const NodeDefinition &node) {
        return consumes(node.registered, node.clock, node.reset);
      });
  if (!pinConsumer && !nodeConsumer)
    throw CompileError("CONFIG requires a consumer of " + entry.target);
}

// "CLKn INVERT" and "GCLKn INVERT" program one polarity fuse, so they must agree.
void checkClockPolarity(const DesignIndex &index, const ATFConfigOption &entry) {
  if (entry.option != "INVERT" || entry.target.rfind("CLK", 0) != 0)
    return;
  const std::string clock = entry.target.substr(3);
  const ATFConfigOption *twin = index.entry("GCLK" + clock, "INVERT");
  if (twin && twin->value != entry.value)
    throw CompileError("CONFIG CLK" + clock + " INVERT conflicts with GCLK" + clock + " INVERT");
}

// A pad the register of a NODE can load directly: an INPUT on a macrocell
// I/O pin that serves no global or JTAG role.
bool isOrdinaryMacrocellInput(const DesignIndex &index, const PinDefinition *pin) {
  if (!pin || pin->direction != PinDirection::INPUT)
    return false;
  if (pin->clock != ClockSource::NONE || pin->reset != ResetSource::NONE ||
      pin->globalOE != GlobalOEPin::NONE)
    return false;
  const DeviceModel model = index.model();
  return model.isIOPin(pin->number) && !model.isDedicatedInputPin(pin->number) &&
         !model.isJTAGPin(pin->number);
}

void checkFastInput(const DesignIndex &index, const ATFConfigOption &entry,
                    const NodeDefinition *node) {
  if (!node || !node->registered)
    throw CompileError("FAST_INPUT requires a REGISTERED NODE: " + entry.target);
  if (!isOrdinaryMacrocellInput(index, index.pin(entry.value)))
    throw CompileError("FAST_INPUT needs an ordinary macrocell INPUT pad: " + entry.value);
  const Equation *equation = index.equation(entry.target);
  const bool exactlyPad = equation && !equation->activeLow && equation->expression &&
                          equation->expression->type == ExpressionType::IDENTIFIER &&
                          equation->expression->name == entry.value;
  if (!exactlyPad)
    throw CompileError("FAST_INPUT equation must be " + entry.target + " = " + entry.value);
}

void checkXorToggle(const DesignIndex &index, const ATFConfigOption &entry, bool registered) {
  if (!registered)
    throw CompileError("XOR TOGGLE requires REGISTERED on " + entry.target);
  const Equation *equation = index.equation(entry.target);
  if (equation && equation->expression && equation->expression->type == ExpressionType::XOR)
    throw CompileError("XOR TOGGLE cannot be combined with a dedicated ^ expression on " +
                       entry.target);
  // An active-low toggle register would toggle exactly as an active-high
  // one; the '!' would only exchange its reset and preset, which a source
  // says more plainly by naming them.
  if (equation && equation->activeLow)
    throw CompileError("XOR TOGGLE cannot be combined with an active-low equation on " +
                       entry.target);
  const ATFConfigOption *storage = index.entry(entry.target, "STORAGE");
  if (storage && storage->value == "LATCH")
    throw CompileError("XOR TOGGLE requires DFF storage on " + entry.target);
}

void checkMacrocell(const DesignIndex &index, const ATFConfigOption &entry) {
  const PinDefinition *pin = index.pin(entry.target);
  const NodeDefinition *node = pin ? nullptr : index.node(entry.target);
  if (!pin && !node)
    throw CompileError("Unknown CONFIG target: " + entry.target);
  if (pin && pin->direction != PinDirection::OUTPUT)
    throw CompileError("Macrocell CONFIG requires an OUTPUT or NODE: " + entry.target);
  const bool registered = pin != nullptr ? pin->registered : node != nullptr && node->registered;
  const std::string &option = entry.option;

  if (option == "GLOBAL_OE") {
    if (pin && pin->outputEnable != OutputEnableSource::ALWAYS)
      throw CompileError("GLOBAL_OE cannot replace an explicit OE selection on " + entry.target);
    // A buried node's macrocell may sit on a pin the design uses as an
    // input; switching its output driver on would fight that input.
    if (node)
      throw CompileError("Buried NODE has no output driver: " + entry.target);
    if (!index.entry(entry.value, "SOURCE"))
      throw CompileError("GLOBAL_OE requires a SOURCE declaration for " + entry.value);
    return;
  }
  if (option == "SLEW" || option == "DRIVER" || option == "LOW_POWER") {
    if (node)
      throw CompileError("Buried NODE has no output driver: " + entry.target);
    return;
  }
  if (option == "STORAGE") {
    if (!registered)
      throw CompileError("STORAGE requires REGISTERED on " + entry.target);
    return;
  }
  if (option == "XOR") {
    checkXorToggle(index, entry, registered);
    return;
  }
  if (option == "FAST_INPUT")
    checkFastInput(index, entry, node);
}

} // namespace

bool ATFConfig::isGOE(const std::string &name) {
  return name.size() == 4 && name.compare(0, 3, "GOE") == 0 && name[3] >= '1' && name[3] <= '6';
}

bool ATFConfig::isGlobal(const std::string &name) {
  return isGOE(name) || findGlobalTarget(name) != nullptr;
}

std::string ATFConfig::macroOption(const ATFConfigOption &entry) {
  if (entry.option == "GLOBAL_OE")
    return "oe_mux:" + entry.value;
  std::string field = "storage:";
  if (entry.option == "SLEW")
    field = "slew_rate:";
  else if (entry.option == "DRIVER")
    field = "output_driver:";
  else if (entry.option == "LOW_POWER")
    field = "low_power:";
  std::string value = entry.value;
  std::transform(value.begin(), value.end(), value.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return field + value;
}

void ATFConfig::validate(const Design &design, const CPLDArchitecture &arch) {
  if (design.configOptions.empty())
    return;
  const DesignIndex index(design, arch);
  checkEntryShapes(index);
  for (const ATFConfigOption &entry : design.configOptions) {
    locatedAt(entry.location, [&] {
      switch (targetKind(entry.target)) {
      case TargetKind::GOE:
        checkGOE(index, entry);
        break;
      case TargetKind::CLOCK:
        checkClockConsumer(design, entry);
        checkClockPolarity(index, entry);
        break;
      case TargetKind::MACROCELL:
        checkMacrocell(index, entry);
        break;
      case TargetKind::JTAG:
      case TargetKind::DEVICE:
        break;
      }
    });
  }
}

} // namespace gsmith
