// The behaviour each output of a netlist must have, as the language defines
// its statements: equations as sums of products (an XOR operand on the XOR
// gate, a toggle's equation as its T input), REGISTERED as a D flip-flop
// (a latch with CONFIG STORAGE LATCH), the GCLK/GCLR/GOE clauses as the
// dedicated pads with the polarities CONFIG gives them, control equations
// as the controls they name.
#include "decode/expected.h"

#include "cpld/architecture.h"
#include "cpld/chip.h"
#include "cpld/signal-source.h"
#include "decode/cpld-settings.h"
#include "gal/gal-v8.h"
#include "gal/gal22v10.h"

namespace gsmith {

std::string feedbackSource(int macrocell) { return "MC" + std::to_string(macrocell) + "_FB"; }

std::uint64_t restSignature(const CPLDArchitecture &arch) {
  std::uint64_t value = 0;
  for (int byte = 0; byte < 2; ++byte)
    for (int bit = 0; bit < 8; ++bit) {
      const int offset = arch.signatureFuse + 8 * byte + 7 - bit - arch.configurationBase;
      if (arch.configurationAfterEncoding[static_cast<std::size_t>(offset)] == '1')
        value |= std::uint64_t{1} << (8 * byte + bit);
    }
  return value;
}

namespace {

DecodedLogic literal(const std::string &name, bool negated = false) {
  return DecodedLogic::of({{{{name, negated}}}});
}

// The last value CONFIG gives `option` of `target`, or "".
std::string configValue(const Netlist &netlist, const std::string &target,
                        std::string_view option) {
  std::string value;
  for (const ATFConfigOption &entry : netlist.configOptions)
    if (entry.target == target && entry.option == option)
      value = entry.value;
  return value;
}

const NetSignal *signalOnPin(const Netlist &netlist, int pin) {
  for (const NetSignal &signal : netlist.signals)
    if (signal.pin == pin)
      return &signal;
  return nullptr;
}

DecodedLogic dataOf(const NetOutput &output) {
  DecodedLogic data = DecodedLogic::of(output.sum);
  data.inverted = output.activeLow;
  if (output.usesXor) {
    data.hasXor = true;
    data.xorWith = output.xorTerm;
  }
  return data;
}

std::string nameOf(const ExpectedMap &map, const std::string &source) {
  const auto found = map.names.find(source);
  return found == map.names.end() ? source : found->second;
}

// --- CPLDs --------------------------------------------------------------------

std::string padName(const CPLDPackage &package, int pin) {
  const PackagePins &pins = package.pins;
  if (pin < 1)
    return "";
  if (pin == pins.clearPin)
    return "R_PAD";
  if (pin == pins.clockPins[1])
    return "C2_PAD";
  if (pin == pins.clockPins[0])
    return "C1_PAD";
  if (pin == pins.oePins[0])
    return "E1_PAD";
  for (std::size_t k = 0; k < package.macrocellPins.size(); ++k)
    if (package.macrocellPins[k] == pin)
      return "M" + std::to_string(k + 1) + "_PAD";
  return "";
}

int macrocellOfPin(const CPLDPackage &package, int pin) {
  for (std::size_t k = 0; k < package.macrocellPins.size(); ++k)
    if (pin > 0 && package.macrocellPins[k] == pin)
      return static_cast<int>(k) + 1;
  return 0;
}

class CPLDExpectation {
public:
  CPLDExpectation(const CPLDArchitecture &arch, const Netlist &netlist, const CPLDPackage &package)
      : arch_(arch), netlist_(netlist), package_(package) {}

  ExpectedMap build(const std::vector<std::pair<std::string, int>> &placement) {
    map_.cpld = true;
    map_.cellPins.assign(package_.macrocellPins.begin(), package_.macrocellPins.end());
    for (const NetSignal &signal : netlist_.signals) {
      const int cell = macrocellOfPin(package_, signal.pin);
      const std::string source =
          signal.isOutput && cell > 0 ? feedbackSource(cell) : padName(package_, signal.pin);
      if (!source.empty())
        map_.names.emplace(source, signal.name);
    }
    readSettings();
    readGlobalOEs();
    for (const NetOutput &output : netlist_.outputs) {
      ExpectedOutput expected;
      expected.name = output.name;
      expected.isNode = output.isNode;
      if (!output.isNode)
        expected.cell = macrocellOfPin(package_, output.pin);
      for (const auto &[name, macrocell] : placement)
        if (name == output.name)
          expected.cell = macrocell;
      expected.behaviour = behaviourOf(output);
      expected.behaviour.number = expected.cell;
      map_.outputs.push_back(std::move(expected));
    }
    map_.globals.powerDownPD1 = netlist_.powerDownPD1;
    map_.globals.powerDownPD2 = netlist_.powerDownPD2;
    map_.globals.signatureBits = 16;
    map_.globals.signature =
        netlist_.hasSignature ? netlist_.signature & 0xFFFF : restSignature(arch_);
    return std::move(map_);
  }

private:
  void readSettings() {
    const std::string_view rest = arch_.configurationAfterEncoding;
    for (const SettingFuse &setting : kCPLDSettings) {
      const bool one = rest[static_cast<std::size_t>(setting.offset)] == '1';
      std::string value(one ? setting.valueForOne : setting.valueForZero);
      for (const ATFConfigOption &entry : netlist_.configOptions) {
        const std::string target =
            entry.target.starts_with("CLK") ? "G" + entry.target : entry.target;
        if (target == setting.target && entry.option == setting.option)
          value = entry.value;
      }
      map_.globals.settings.push_back(
          {std::string(setting.target), std::string(setting.option), value, true});
    }
  }

  const std::string &setting(std::string_view target, std::string_view option) const {
    for (const DecodedSetting &entry : map_.globals.settings)
      if (entry.target == target && entry.option == option)
        return entry.value;
    return map_.globals.settings.front().value;
  }

  void readGlobalOEs() {
    goes_.assign(arch_.globalOEs.size(), {});
    for (const PackageOERoute &route : arch_.packageOERoutes) {
      bool used = false;
      for (const NetOutput &output : netlist_.outputs)
        used = used || (!output.isNode && output.outputEnable == route.clause);
      if (used && route.goe > 0)
        goes_[static_cast<std::size_t>(route.goe - 1)] = {
            nameOf(map_, sourceName({route.pad, route.padMacrocell})), false};
    }
    for (const ATFConfigOption &entry : netlist_.configOptions)
      if (isGOE(entry.target) && entry.option == "SOURCE")
        goe(entry.target).inverted = false;
    for (const ATFConfigOption &entry : netlist_.configOptions) {
      if (isGOE(entry.target) && entry.option == "INVERT")
        goe(entry.target).inverted = entry.value == "ON";
      else if (isGOE(entry.target) && entry.option == "SOURCE")
        goe(entry.target).source = entry.value;
    }
  }

  static bool isGOE(const std::string &target) {
    return target.size() == 4 && target.starts_with("GOE") && target[3] >= '1' && target[3] <= '6';
  }
  DecodedGlobalOE &goe(const std::string &target) {
    return goes_[static_cast<std::size_t>(target[3] - '1')];
  }

  DecodedLogic goeLogic(int n) const {
    if (n < 1 || n > static_cast<int>(goes_.size()))
      return DecodedLogic::constant(false);
    const DecodedGlobalOE &state = goes_[static_cast<std::size_t>(n - 1)];
    DecodedLogic logic =
        state.source.empty() ? DecodedLogic::constant(false) : literal(state.source);
    logic.inverted = logic.inverted != state.inverted;
    return logic;
  }

  DecodedLogic outputEnableOf(const NetOutput &output) const {
    if (output.isNode)
      return DecodedLogic::constant(false);
    switch (output.outputEnable) {
    case OutputEnableSource::DISABLED:
      return DecodedLogic::constant(false);
    case OutputEnableSource::ALWAYS: {
      const std::string global = configValue(netlist_, output.name, "GLOBAL_OE");
      return global.empty() ? DecodedLogic::constant(true) : goeLogic(global.back() - '0');
    }
    case OutputEnableSource::PRODUCT:
      return output.hasOELogic ? DecodedLogic::of(output.oeLogic) : DecodedLogic::constant(true);
    case OutputEnableSource::OE1:
    case OutputEnableSource::OE2:
    case OutputEnableSource::GOE6:
      break;
    }
    for (const PackageOERoute &route : arch_.packageOERoutes)
      if (route.clause == output.outputEnable)
        return goeLogic(route.goe);
    return DecodedLogic::constant(false);
  }

  DecodedCell behaviourOf(const NetOutput &output) const {
    DecodedCell cell;
    cell.used = true;
    if (output.fastInput) {
      const NetSignal *pad = signalOnPin(netlist_, output.pin);
      cell.fastInput = true;
      cell.data = literal(pad ? pad->name : padName(package_, output.pin));
    } else {
      cell.data = dataOf(output);
    }
    cell.toggle = output.toggle;
    if (output.registered) {
      cell.storage = configValue(netlist_, output.name, "STORAGE") == "LATCH"
                         ? DecodedStorage::LATCH
                         : DecodedStorage::DFF;
      const bool productClock = output.clock == ClockSource::NONE;
      const bool enable = output.clockEnable && output.hasCELogic;
      if (productClock) {
        cell.clock = DecodedClock::PRODUCT;
        cell.clockTerm = enable ? DecodedLogic::of(output.ceLogic) : DecodedLogic::constant(false);
      } else {
        const int n = static_cast<int>(output.clock);
        cell.clock = static_cast<DecodedClock>(n);
        cell.clockInverted =
            setting(kClockTargets[static_cast<std::size_t>(n - 1)], "INVERT") == "ON";
        if (enable)
          cell.clockEnable = DecodedLogic::of(output.ceLogic);
      }
      SOPExpression reset;
      if (output.reset == ResetSource::GCLR)
        reset.terms.push_back({{nameOf(map_, "R_PAD"), setting("GCLR", "INVERT") == "ON"}});
      if (output.reset == ResetSource::PRODUCT && output.hasResetLogic)
        reset.terms.insert(reset.terms.end(), output.resetLogic.terms.begin(),
                           output.resetLogic.terms.end());
      cell.reset = DecodedLogic::of(reset);
      if (output.preset && output.hasPresetLogic)
        cell.preset = DecodedLogic::of(output.presetLogic);
      // An active-low register holds the pin's value, the complement of
      // the source's register: its reset is the chip's preset and back.
      if (output.activeLow)
        std::swap(cell.reset, cell.preset);
    }
    cell.outputEnable = outputEnableOf(output);
    cell.slewFast = configValue(netlist_, output.name, "SLEW") == "FAST";
    cell.openDrain = configValue(netlist_, output.name, "DRIVER") == "OPEN_DRAIN";
    cell.lowPower = configValue(netlist_, output.name, "LOW_POWER") == "ON";
    return cell;
  }

  const CPLDArchitecture &arch_;
  const Netlist &netlist_;
  const CPLDPackage &package_;
  ExpectedMap map_;
  std::vector<DecodedGlobalOE> goes_;
};

// --- GALs ---------------------------------------------------------------------

ExpectedMap galExpectation(const Netlist &netlist, int cell0Pin, int oePin) {
  ExpectedMap map;
  for (const NetSignal &signal : netlist.signals)
    map.names.emplace("PIN" + std::to_string(signal.pin), signal.name);
  for (const NetOutput &output : netlist.outputs) {
    ExpectedOutput expected;
    expected.name = output.name;
    expected.cell = cell0Pin - output.pin;
    DecodedCell &cell = expected.behaviour;
    cell.number = expected.cell;
    cell.pin = output.pin;
    cell.used = true;
    cell.data = dataOf(output);
    if (output.registered) {
      cell.storage = DecodedStorage::DFF;
      cell.clock = DecodedClock::GCLK1;
      if (output.reset == ResetSource::PRODUCT && output.hasResetLogic)
        cell.reset = DecodedLogic::of(output.resetLogic); // the GAL22V10B's shared term
    }
    switch (output.outputEnable) {
    case OutputEnableSource::ALWAYS:
      cell.outputEnable = DecodedLogic::constant(true);
      break;
    case OutputEnableSource::PRODUCT:
      cell.outputEnable =
          output.hasOELogic ? DecodedLogic::of(output.oeLogic) : DecodedLogic::constant(true);
      break;
    case OutputEnableSource::OE1: // the active-low output-enable pin
      cell.outputEnable = literal(nameOf(map, "PIN" + std::to_string(oePin)), true);
      break;
    default:
      cell.outputEnable = DecodedLogic::constant(false);
    }
    map.outputs.push_back(std::move(expected));
  }
  map.globals.signatureBits = 64;
  map.globals.signature = netlist.signature;
  return map;
}

} // namespace

ExpectedMap expectedMap(const Target &target, const Netlist &netlist, const std::string &package,
                        const std::vector<std::pair<std::string, int>> &placement) {
  const JEDECFacts facts = target.jedecFacts();
  ExpectedMap map;
  if (facts.cpld)
    map = CPLDExpectation(*facts.cpld, netlist, findPackage(*facts.cpld, package)).build(placement);
  else if (facts.galV8)
    map = galExpectation(netlist, facts.galV8->olmc0Pin, facts.galV8->pins->oePins[0]);
  else if (facts.gal22V10)
    map = galExpectation(netlist, facts.gal22V10->cell0Pin, 0);
  map.globals.device = std::string(target.name());
  map.globals.cpld = facts.cpld != nullptr;
  return map;
}

} // namespace gsmith
