// CONFIG application: after encoding, the design's CONFIG entries become fuse
// writes — global output-enable sources and polarities, clock and clear
// polarities, JTAG-pin and device settings, per-macrocell options. The
// devices differ only in where those fuses lie, which their records say.
#include "cpld/config.h"

#include "cpld/encoder.h"
#include "cpld/macrocell-options.h"
#include "model/compile-error.h"
#include "synthesis/netlist-builder.h"

#include <algorithm>
#include <ostream>
#include <stdexcept>

namespace gsmith {

namespace {

constexpr int gclkInvertOffset(int clock) { return 3 * clock + 8; }
constexpr int transitionDetectOffset(int clock) { return 19 + clock; }

// A device-wide setting: fuse base + offset takes 1 when the entry's value is
// `valueForOne` and 0 for the other accepted value. "CLKn" "INVERT" is the
// same polarity fuse as "GCLKn" "INVERT"; the fuses next to the clock
// multiplexers that once carried it are the clock pins' input-transition
// detection, which only "DEVICE" "STANDBY_WAKEUP" programs.
struct GlobalSetting {
  std::string_view target;
  std::string_view option;
  int offset;
  std::string_view valueForOne;
};

constexpr GlobalSetting kGlobalSettings[] = {
    {"DEVICE", "TERMINATION", 1, "HIGH_Z"},
    {"GCLR", "INVERT", 10, "OFF"},
    {"GCLK1", "INVERT", gclkInvertOffset(1), "ON"},
    {"GCLK2", "INVERT", gclkInvertOffset(2), "ON"},
    {"GCLK3", "INVERT", gclkInvertOffset(3), "ON"},
    {"CLK1", "INVERT", gclkInvertOffset(1), "ON"},
    {"CLK2", "INVERT", gclkInvertOffset(2), "ON"},
    {"CLK3", "INVERT", gclkInvertOffset(3), "ON"},
    {"TMS", "TERMINATION", 23, "HIGH_Z"},
    {"TDI", "TERMINATION", 24, "HIGH_Z"},
    {"DEVICE", "RESET_HYSTERESIS", 25, "SMALL"},
    {"DEVICE", "READ_PROTECTION", 32, "OFF"},
    {"DEVICE", "STANDBY_WAKEUP", transitionDetectOffset(1), "OFF"},
    {"DEVICE", "STANDBY_WAKEUP", transitionDetectOffset(2), "OFF"},
    {"DEVICE", "STANDBY_WAKEUP", transitionDetectOffset(3), "OFF"},
};

// Printed after an entry with this option and value (an empty value matches
// any).
struct Advisory {
  std::string_view option;
  std::string_view value;
  std::string_view text;
};

constexpr Advisory kAdvisories[] = {
    {"READ_PROTECTION", "ON",
     "WARNING: read protection requested; readback/verification may require programmer-specific "
     "handling."},
    {"DRIVER", "OPEN_DRAIN", "NOTE: open-drain high means released; use an external pull-up."},
    {"STANDBY_WAKEUP", "",
     "NOTE: standby-wakeup power management operates only on low-power L variants; setting this "
     "bit does not qualify those variants."},
    {"LOW_POWER", "ON", "NOTE: low-power macrocell mode reduces speed; recheck timing."},
};

const GlobalOEMux &goeOf(const CPLDArchitecture &arch, const std::string &target) {
  return arch.globalOEs[static_cast<size_t>(target.back() - '1')];
}

const FittedOutput *findFitted(const FitResult &fit, const std::string &name) {
  auto it = std::find_if(fit.outputs.begin(), fit.outputs.end(),
                         [&](const FittedOutput &output) { return output.name == name; });
  return it == fit.outputs.end() ? nullptr : &*it;
}

void applyGOESource(const Design &design, const FitResult &fit, const Chip &chip,
                    const ATFConfigOption &entry, CheckedFuseMap &map) {
  const SignalSource source = ATFConfig::physicalSource(design, fit, chip, entry.value);
  const GlobalOEMux &mux = goeOf(chip.architecture(), entry.target);
  const auto found = std::find(mux.sources.begin(), mux.sources.end(), source);
  if (found == mux.sources.end())
    throw CompileError("No " + entry.target + " route from " + entry.value + " (" +
                       sourceName(source) + ")");
  const int selected = static_cast<int>(found - mux.sources.begin());
  for (int k = 0; k < static_cast<int>(mux.sources.size()); ++k)
    map.setFuse(static_cast<size_t>(mux.firstFuse + k), k != selected);
}

void applyGlobalSetting(const CPLDArchitecture &arch, const ATFConfigOption &entry,
                        CheckedFuseMap &map) {
  for (const GlobalSetting &setting : kGlobalSettings)
    if (setting.target == entry.target && setting.option == entry.option)
      map.setFuse(static_cast<size_t>(arch.configurationBase + setting.offset),
                  entry.value == setting.valueForOne);
}

void applyFastInput(const Chip &chip, int macrocell, CheckedFuseMap &map) {
  FuseEncoder::applyOption(chip, macrocell, option("d_mux:fast"), map);
  FuseEncoder::applyOption(chip, macrocell, option("dfast_mux:pad"), map);
  // The register now loads from the macrocell's own pad, which must not be
  // driven by the macrocell's output buffer.
  const OptionFuses disabled = optionFuses(chip.architecture(), macrocell, option("oe_mux:GND"));
  for (int k = 0; k < disabled.count; ++k)
    if (map.getFuse(static_cast<size_t>(disabled.fuses[k])) != disabled.values[k])
      throw CompileError("FAST_INPUT pad output driver is not disabled");
}

void applyMacrocellEntry(const FitResult &fit, const Chip &chip, const ATFConfigOption &entry,
                         CheckedFuseMap &map) {
  const FittedOutput *output = findFitted(fit, entry.target);
  if (!output)
    throw CompileError("CONFIG target has no fitted equation: " + entry.target);
  if (entry.option == "FAST_INPUT")
    return applyFastInput(chip, output->macrocell, map);
  // The toggle is part of the encoded macrocell already (from the netlist).
  if (entry.option == "XOR")
    return;
  const std::string key = ATFConfig::macroOption(entry);
  const int index = optionIndex(key);
  if (index < 0)
    throw std::logic_error("Missing device configuration mapping: " + key);
  FuseEncoder::applyOption(chip, output->macrocell, index, map);
}

void printAdvisory(const ATFConfigOption &entry, std::ostream &log) {
  for (const Advisory &advisory : kAdvisories)
    if (advisory.option == entry.option &&
        (advisory.value.empty() || advisory.value == entry.value))
      log << advisory.text << '\n';
}

void checkFinalState(const CPLDArchitecture &arch, const CheckedFuseMap &map) {
  const size_t base = static_cast<size_t>(arch.configurationBase);
  if (map.getFuse(base) || !map.getFuse(base + kJTAGPinFunctionOffset))
    throw CompileError("ATF configuration must remain armed with JTAG enabled");
  for (size_t k = arch.fuseCount - static_cast<size_t>(arch.reservedFuses); k < arch.fuseCount; ++k)
    if (map.getFuse(k))
      throw CompileError("ATF reserved fuse changed");
}

} // namespace

SignalSource ATFConfig::physicalSource(const Design &design, const FitResult &fit, const Chip &chip,
                                       const std::string &name) {
  if (const FittedOutput *output = findFitted(fit, name))
    return {SourceKind::FEEDBACK, output->macrocell};
  if (const PinDefinition *pin = NetlistBuilder::findPin(design, name)) {
    const SignalSource pad = padSource(chip, pin->number);
    if (pad.kind != SourceKind::NONE)
      return pad;
  }
  throw CompileError("Global OE source has no fitted driver: " + name);
}

void ATFConfig::apply(const Design &design, const FitResult &fit, const Chip &chip,
                      CheckedFuseMap &map, std::ostream &log) {
  const CPLDArchitecture &arch = chip.architecture();

  // A GOE given a SOURCE starts active high; an INVERT entry may change that
  // in the second pass, whatever the order of the two entries.
  for (const ATFConfigOption &entry : design.configOptions)
    if (isGOE(entry.target) && entry.option == "SOURCE")
      map.setFuse(static_cast<size_t>(goeOf(arch, entry.target).invertFuse), true);

  for (const ATFConfigOption &entry : design.configOptions) {
    locatedAt(entry.location, [&] {
      if (isGOE(entry.target) && entry.option == "INVERT")
        map.setFuse(static_cast<size_t>(goeOf(arch, entry.target).invertFuse),
                    entry.value == "OFF");
      else if (isGOE(entry.target))
        applyGOESource(design, fit, chip, entry, map);
      else if (isGlobal(entry.target))
        applyGlobalSetting(arch, entry, map);
      else
        applyMacrocellEntry(fit, chip, entry, map);
    });
    printAdvisory(entry, log);
  }
  checkFinalState(arch, map);
}

} // namespace gsmith
