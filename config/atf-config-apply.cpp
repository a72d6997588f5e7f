// CONFIG application: after encoding, the design's CONFIG entries become fuse
// writes — global output-enable sources and polarities, clock and clear
// polarities, JTAG-pin and device settings, per-macrocell options — and the
// ATF1502's power-down and signature fuses are written. The two devices share
// this body; where they differ (configuration base, GOE multiplexers, GOE
// polarity fuses, reserved fuses) the difference is a row of data.
#include "config/atf-config-apply.h"

#include "config/design-lookup.h"
#include "devices/atf1502/atf1502-fuse-db.h"
#include "devices/atf1502/atf1502-fuse-map.h"
#include "devices/atf1504/atf1504-fuse-db.h"
#include "devices/atf1504/atf1504-fuse-map.h"
#include "devices/atf1504/atf1504-global-db.h"
#include "synthesis/netlist.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <stdexcept>

namespace gsmith {

namespace {

// The GOE table lists each ATF1502 source by the one fuse of its group that is
// cleared; the stored value has every other bit set.
constexpr unsigned clearing(int fuse) { return 0x1Fu & ~(1u << fuse); }

} // namespace

const std::array<ATFConfig::goe1502Value, 24> ATFConfig::routes = {{
    {1, "M12_PAD", clearing(1)}, {1, "M28_PAD", clearing(3)}, {1, "MC1_FB", clearing(0)},
    {1, "MC17_FB", clearing(2)}, {2, "C2_PAD", clearing(4)},  {2, "M11_PAD", clearing(0)},
    {2, "M27_PAD", clearing(1)}, {2, "MC19_FB", clearing(2)}, {3, "M13_PAD", clearing(0)},
    {3, "M29_PAD", clearing(2)}, {3, "MC8_FB", clearing(1)},  {3, "MC24_FB", clearing(3)},
    {4, "M15_PAD", clearing(1)}, {4, "M31_PAD", clearing(3)}, {4, "MC6_FB", clearing(0)},
    {4, "MC22_FB", clearing(2)}, {5, "E1_PAD", clearing(4)},  {5, "M18_PAD", clearing(0)},
    {5, "M2_PAD", clearing(1)},  {5, "MC10_FB", clearing(2)}, {6, "M23_PAD", clearing(0)},
    {6, "M7_PAD", clearing(2)},  {6, "MC14_FB", clearing(3)}, {6, "MC30_FB", clearing(1)},
}};

namespace {

// A GOE multiplexer setting: bit k of `bits` goes to fuse `firstFuse` + k.
struct GOEMuxSetting {
  int firstFuse;
  int width;
  unsigned bits;
};

std::optional<GOEMuxSetting> goeSelectionATF1504(int goe, const std::string &source) {
  const int fuse = ATF1504GlobalDB::goeSelectionFuse(goe, source);
  if (fuse < 0)
    return std::nullopt;
  const int first = ATF1504GlobalDB::goeMuxOffset(goe);
  constexpr int kWidth = ATF1504GlobalDB::kSelectionsPerGOE;
  const unsigned allIntact = (1u << kWidth) - 1;
  return GOEMuxSetting{first, kWidth, allIntact & ~(1u << (fuse - first))};
}

constexpr int kATF1502GOEGroupBase = 16720;
constexpr int kATF1502GOEGroupWidth = 5;

std::optional<GOEMuxSetting> goeSelectionATF1502(int goe, const std::string &source) {
  for (const ATFConfig::goe1502Value &route : ATFConfig::routes)
    if (route.goe == goe && route.source == source)
      return GOEMuxSetting{kATF1502GOEGroupBase + kATF1502GOEGroupWidth * (6 - goe),
                           kATF1502GOEGroupWidth, route.value};
  return std::nullopt;
}

// The invert fuses run in GOE order from 16754; the documented table was
// mirrored (16760 - n), which is why inversion once seemed not to work.
int goeInvertFuseATF1502(int goe) { return 16753 + goe; }

// Where one device keeps what CONFIG application writes or guards.
struct ConfigLayout {
  int base; // device configuration base; global settings are base + offset
  int (*goeInvertFuse)(int goe);
  std::optional<GOEMuxSetting> (*goeSelection)(int goe, const std::string &source);
  int reservedFirst; // six reserved fuses that must stay 0
  // Power-down and signature fuses written here rather than by the encoder
  // (0 when the encoder owns them).
  int pd1Fuse;
  int pd2Fuse;
  int signatureBit0Fuse; // bits 0..7 descend from here
  int signatureBit8Fuse; // bits 8..15 descend from here
};

constexpr ConfigLayout kATF1504Layout{
    34134, &ATF1504GlobalDB::goeInvertFuse, &goeSelectionATF1504, 34186, 0, 0, 0, 0};
constexpr ConfigLayout kATF1502Layout{
    16750, &goeInvertFuseATF1502, &goeSelectionATF1502, 16802, 16752, 16753, 16793, 16801};

constexpr int kArmedOffset = 33; // must stay 1: configuration armed, JTAG on
constexpr int kReservedCount = 6;

const ConfigLayout &layoutFor(const std::string &device) {
  return isATF1504Family(device) ? kATF1504Layout : kATF1502Layout;
}

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

int goeNumber(const std::string &target) { return target.back() - '0'; }

const FuseOption *findOption(const MacrocellFuseDB &cell, const std::string &key) {
  auto it = std::find_if(cell.options.begin(), cell.options.end(),
                         [&](const FuseOption &option) { return option.name == key; });
  if (it == cell.options.end() || it->fuses.size() != it->values.size())
    return nullptr;
  return &*it;
}

const FittedOutput *findFitted(const FitResult &fit, const std::string &name) {
  auto it = std::find_if(fit.outputs.begin(), fit.outputs.end(),
                         [&](const FittedOutput &output) { return output.name == name; });
  return it == fit.outputs.end() ? nullptr : &*it;
}

// The pad name of a pin in the design's package, or empty.
std::string padSource(const Design &design, int pin) {
  if (pin < 1)
    return {};
  const std::unique_ptr<DeviceModel> model = config::packageModel(design);
  if (pin == model->globalClearPin())
    return "R_PAD";
  if (pin == model->globalClockPin(ClockSource::GCLK2))
    return "C2_PAD";
  if (pin == model->globalClockPin(ClockSource::GCLK1))
    return "C1_PAD";
  if (pin == model->globalOEPin(GlobalOEPin::GOE1))
    return "E1_PAD";
  const int macrocell = config::macrocellForPin(design, pin);
  return macrocell > 0 ? "M" + std::to_string(macrocell) + "_PAD" : std::string();
}

} // namespace

std::string ATFConfig::physicalSource(const Design &design, const FitResult &fit,
                                      const std::string &name) {
  if (const FittedOutput *output = findFitted(fit, name))
    return "MC" + std::to_string(output->macrocell) + "_FB";
  if (const PinDefinition *pin = NetlistBuilder::findPin(design, name)) {
    std::string pad = padSource(design, pin->number);
    if (!pad.empty())
      return pad;
  }
  throw std::runtime_error("Global OE source has no fitted driver: " + name);
}

namespace {

void writeOption(const ATFConfig::FuseAccess &access, const FuseOption &option) {
  for (size_t k = 0; k < option.fuses.size(); ++k)
    access.setFuse(option.fuses[k], option.values[k]);
}

void applyGOESource(const Design &design, const FitResult &fit, const ConfigLayout &layout,
                    const ATFConfigOption &entry, const ATFConfig::FuseAccess &access) {
  const std::string source = ATFConfig::physicalSource(design, fit, entry.value);
  const std::optional<GOEMuxSetting> setting = layout.goeSelection(goeNumber(entry.target), source);
  if (!setting)
    throw std::runtime_error("No " + entry.target + " route from " + entry.value + " (" + source +
                             ")");
  for (int k = 0; k < setting->width; ++k)
    access.setFuse(setting->firstFuse + k, ((setting->bits >> k) & 1u) != 0);
}

void applyGlobalSetting(const ConfigLayout &layout, const ATFConfigOption &entry,
                        const ATFConfig::FuseAccess &access) {
  for (const GlobalSetting &setting : kGlobalSettings)
    if (setting.target == entry.target && setting.option == entry.option)
      access.setFuse(layout.base + setting.offset, entry.value == setting.valueForOne);
}

void applyFastInput(const MacrocellFuseDB &cell, const ATFConfig::FuseAccess &access) {
  for (const char *key : {"d_mux:fast", "dfast_mux:pad"}) {
    const FuseOption *option = findOption(cell, key);
    if (!option)
      throw std::runtime_error("Missing fast-input mapping");
    writeOption(access, *option);
  }
  // The register now loads from the macrocell's own pad, which must not be
  // driven by the macrocell's output buffer.
  const FuseOption *disabled = findOption(cell, "oe_mux:GND");
  if (!disabled)
    throw std::runtime_error("Missing fast-input OE mapping");
  for (size_t k = 0; k < disabled->fuses.size(); ++k)
    if (access.getFuse(disabled->fuses[k]) != disabled->values[k])
      throw std::runtime_error("FAST_INPUT pad output driver is not disabled");
}

void applyMacrocellEntry(const FitResult &fit, const ATFConfigOption &entry,
                         const ATFConfig::FuseAccess &access) {
  const FittedOutput *output = findFitted(fit, entry.target);
  if (!output)
    throw std::runtime_error("CONFIG target has no fitted equation: " + entry.target);
  const MacrocellFuseDB &cell = access.macrocell(output->macrocell);
  if (entry.option == "FAST_INPUT") {
    applyFastInput(cell, access);
    return;
  }
  // The toggle is part of the encoded macrocell already (from the netlist).
  if (entry.option == "XOR")
    return;
  const std::string key = ATFConfig::macroOption(entry);
  const FuseOption *option = findOption(cell, key);
  if (!option)
    throw std::runtime_error("Missing device configuration mapping: " + key);
  writeOption(access, *option);
}

void printAdvisory(const ATFConfigOption &entry) {
  for (const Advisory &advisory : kAdvisories)
    if (advisory.option == entry.option &&
        (advisory.value.empty() || advisory.value == entry.value))
      std::cout << advisory.text << '\n';
}

void applyPowerDownAndSignature(const Design &design, const ConfigLayout &layout,
                                const ATFConfig::FuseAccess &access) {
  if (layout.pd1Fuse > 0 && design.powerDownPD1)
    access.setFuse(layout.pd1Fuse, false);
  if (layout.pd2Fuse > 0 && design.powerDownPD2)
    access.setFuse(layout.pd2Fuse, false);
  if (layout.signatureBit0Fuse <= 0 || !design.hasSignature)
    return;
  for (int bit = 0; bit < 8; ++bit) {
    access.setFuse(layout.signatureBit0Fuse - bit, ((design.signature >> bit) & 1u) != 0);
    access.setFuse(layout.signatureBit8Fuse - bit, ((design.signature >> (bit + 8)) & 1u) != 0);
  }
}

void checkFinalState(const ConfigLayout &layout, const ATFConfig::FuseAccess &access) {
  if (access.getFuse(layout.base) || !access.getFuse(layout.base + kArmedOffset))
    throw std::runtime_error("ATF configuration must remain armed with JTAG enabled");
  for (int k = 0; k < kReservedCount; ++k)
    if (access.getFuse(layout.reservedFirst + k))
      throw std::runtime_error("ATF reserved fuse changed");
}

} // namespace

void ATFConfig::applyThrough(const Design &design, const FitResult &fit, const FuseAccess &access) {
  validate(design);
  const ConfigLayout &layout = layoutFor(design.device);

  // A GOE given a SOURCE starts active high; an INVERT entry may change that
  // in the second pass, whatever the order of the two entries.
  for (const ATFConfigOption &entry : design.configOptions)
    if (isGOE(entry.target) && entry.option == "SOURCE")
      access.setFuse(layout.goeInvertFuse(goeNumber(entry.target)), true);

  for (const ATFConfigOption &entry : design.configOptions) {
    if (isGOE(entry.target) && entry.option == "INVERT")
      access.setFuse(layout.goeInvertFuse(goeNumber(entry.target)), entry.value == "OFF");
    else if (isGOE(entry.target))
      applyGOESource(design, fit, layout, entry, access);
    else if (isGlobal(entry.target))
      applyGlobalSetting(layout, entry, access);
    else
      applyMacrocellEntry(fit, entry, access);
    printAdvisory(entry);
  }

  applyPowerDownAndSignature(design, layout, access);
  checkFinalState(layout, access);
}

template void ATFConfig::apply<ATF1504FuseMap, ATF1504FuseDB>(const Design &, const FitResult &,
                                                              ATF1504FuseMap &,
                                                              const ATF1504FuseDB &);
template void ATFConfig::apply<ATF1502FuseMap, ATF1502FuseDB>(const Design &, const FitResult &,
                                                              ATF1502FuseMap &,
                                                              const ATF1502FuseDB &);

} // namespace gsmith
