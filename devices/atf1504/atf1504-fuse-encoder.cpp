// The ATF1504 fuse encoder. Product-term slots: an ordinary sum (or the terms
// lent to a neighbour) fills the free slots from 1 upwards; slot 2 carries the
// XOR term, slot 3 the reset, slot 4 the clock enable and slot 5 the output
// enable or preset when those are present. Unused slots are cleared to
// constant false so that no stray term reaches the OR gate.
#include "devices/atf1504/atf1504-fuse-encoder.h"

#include "devices/atf1504/atf1504-device-config.h"
#include "devices/atf1504/atf1504-global-db.h"
#include "devices/atf1504/atf1504-product-term.h"
#include "devices/atf1504/atf1504-routing.h"
#include "devices/atf1504/atf1504-special-pin-config.h"
#include "devices/atf1504/atf1504-switch-db.h"
#include "devices/atf1504/atf1504-user-signature.h"

#include <array>
#include <stdexcept>
#include <vector>

namespace gsmith {

namespace {

constexpr std::array<ATF1502LAB, 4> kLABs{ATF1502LAB::A, ATF1502LAB::B, ATF1502LAB::C,
                                          ATF1502LAB::D};

// The input pin that feeds each global clock multiplexer, GCLK1..GCLK3.
constexpr std::array<const char *, 3> kClockSources{"C1_PAD", "C2_PAD", "M64_PAD"};

constexpr std::array<const char *, 15> kCommonOptions{"pt_power:on",    "pt1_mux:sum",
                                                      "pt2_mux:sum",    "pt3_mux:sum",
                                                      "pt4_mux:sum",    "pt4_func:ce",
                                                      "pt5_mux:sum",    "pt5_func:as",
                                                      "xor_a_mux:sum",  "xor_b_mux:VCC_pt12",
                                                      "d_mux:comb",     "storage:dff",
                                                      "slew_rate:slow", "output_driver:push_pull",
                                                      "low_power:off"};

constexpr int kPT2 = 2;
constexpr int kPT3 = 3;
constexpr int kPT4 = 4;
constexpr int kPT5 = 5;

void setRange(ATF1504FuseMap &map, int first, int count, bool value) {
  for (int k = 0; k < count; ++k)
    map.setFuse(static_cast<std::size_t>(first + k), value);
}

void driveGOE(ATF1504FuseMap &map, int goe, const std::string &source) {
  const int fuse = ATF1504GlobalDB::goeSelectionFuse(goe, source);
  if (fuse == -1)
    throw std::runtime_error("Unsupported ATF1504 GOE source: " + source);
  setRange(map, ATF1504GlobalDB::goeMuxOffset(goe), ATF1504GlobalDB::kSelectionsPerGOE, true);
  map.setFuse(fuse, false);
  // 1 leaves the enable as the pin drives it: outputs drive while OE1/OE2 is high.
  map.setFuse(ATF1504GlobalDB::goeInvertFuse(goe), true);
}

} // namespace

void ATF1504FuseEncoder::encode(const ATF1504Chip &chip, uint16_t signature, bool powerDownPD1,
                                bool powerDownPD2, ATF1504FuseMap &map) const {
  if (map.size() != ATF1504FuseMap::kFuseCount)
    throw std::runtime_error("ATF1504 fuse map must contain QF34192 fuses");
  encodeRouting(chip, map);
  encodeGlobals(chip, map);
  for (int n = 1; n <= ATF1504Device::kMacrocellCount; ++n) {
    if (const Macrocell *macrocell = chip.macrocell(n))
      encodeMacrocell(chip, *macrocell, map);
  }

  const ATF1504UserSignature::Bits bits = ATF1504UserSignature::encode(signature);
  for (int i = 0; i < ATF1504UserSignature::kBitCount; ++i)
    map.setFuse(ATF1504UserSignature::kFirstFuse + i, bits[i]);

  ATF1504DeviceConfig config{0, 1, 1, 1, 1, 1, 1};
  if (powerDownPD1)
    config.setting4 = 0;
  if (powerDownPD2)
    config.setting5 = 0;
  const auto deviceBits = ATF1504DeviceConfigDB::encode(config);
  for (int k = 0; k < ATF1504DeviceConfigDB::kFuseCount; ++k)
    map.setFuse(ATF1504DeviceConfigDB::deviceFuses()[k], deviceBits[k]);

  const auto pinBits = ATF1504SpecialPinConfigDB::encode({1, 1, 1, 0, 0});
  for (int k = 0; k < ATF1504SpecialPinConfigDB::kFuseCount; ++k)
    map.setFuse(ATF1504SpecialPinConfigDB::specialPinFuses()[k], pinBits[k]);

  for (std::size_t index = ATF1504FuseMap::kFirstReservedFuse; index < map.size(); ++index) {
    if (map.getFuse(index))
      throw std::runtime_error("ATF1504 reserved fuse unexpectedly set");
  }
}

void ATF1504FuseEncoder::encodeRouting(const ATF1504Chip &chip, ATF1504FuseMap &map) const {
  for (ATF1502LAB lab : kLABs) {
    for (const SwitchMatrixSignal &signal : chip.matrix(lab).signals()) {
      const std::string source = ATF1504Routing::physicalSource(chip, signal);
      if (source.empty() || signal.physicalUIM < 1)
        throw std::runtime_error("ATF1504 signal lacks physical UIM: " + signal.name);
      const int fuse = ATF1504SwitchDB::selectionFuse(signal.physicalUIM, source);
      if (fuse == -1)
        throw std::runtime_error("ATF1504 UIM cannot select source: " + source);
      setRange(map, ATF1504SwitchDB::switchOffset(signal.physicalUIM),
               ATF1504SwitchDB::kSelectionsPerSwitch, true);
      map.setFuse(fuse, false);
    }
  }
}

void ATF1504FuseEncoder::encodeGlobals(const ATF1504Chip &chip, ATF1504FuseMap &map) const {
  std::array<bool, 3> clockUsed{};
  bool gclrUsed = false;
  bool oe1Used = false;
  bool oe2Used = false;
  bool goe6Used = false;
  for (int n = 1; n <= ATF1504Device::kMacrocellCount; ++n) {
    const Macrocell *macrocell = chip.macrocell(n);
    if (macrocell == nullptr)
      continue;
    const int clock = static_cast<int>(macrocell->clockSource());
    if (clock >= 1 && clock <= 3)
      clockUsed[clock - 1] = true;
    gclrUsed = gclrUsed || macrocell->resetSource() == ResetSource::GCLR;
    const OutputEnableSource oe = macrocell->outputEnableSource();
    oe1Used = oe1Used || oe == OutputEnableSource::OE1;
    oe2Used = oe2Used || oe == OutputEnableSource::OE2;
    goe6Used = goe6Used || oe == OutputEnableSource::GOE6;
  }
  for (int k = 1; k <= ATF1504GlobalDB::kGlobalClockCount; ++k) {
    if (!clockUsed[k - 1])
      continue;
    const int value = ATF1504GlobalDB::gclkMuxValue(k, kClockSources[k - 1]);
    map.setFuse(ATF1504GlobalDB::gclkInvertFuse(k), false);
    map.setFuse(ATF1504GlobalDB::gclkMuxFuse(k, 0), (value & 1) != 0);
    map.setFuse(ATF1504GlobalDB::gclkMuxFuse(k, 1), (value & 2) != 0);
  }
  if (gclrUsed)
    map.setFuse(ATF1504GlobalDB::gclrInvertFuse(), true);
  if (oe1Used)
    driveGOE(map, 1, "E1_PAD");
  if (oe2Used)
    driveGOE(map, 2, "C2_PAD");
  if (goe6Used)
    throw std::runtime_error("ATF1504 GOE6 has no PLCC84 package source");
}

void ATF1504FuseEncoder::encodeMacrocell(const ATF1504Chip &chip, const Macrocell &macrocell,
                                         ATF1504FuseMap &map) const {
  const int number = macrocell.number();
  const bool lends = !macrocell.cascadeTerms().empty();
  if (lends && (!macrocell.productTerms().empty() || macrocell.isConfiguredOutput()))
    throw std::runtime_error("ATF1504 cascade supplier also has local output");
  if (macrocell.hasOEProductTerm() && macrocell.hasPresetProduct())
    throw std::runtime_error("ATF1504 PT5 cannot be OE and preset together");

  std::vector<int> freeSlots{1};
  if (!macrocell.hasXorProduct)
    freeSlots.push_back(kPT2);
  if (!macrocell.hasResetProduct)
    freeSlots.push_back(kPT3);
  if (!macrocell.hasClockEnableProduct())
    freeSlots.push_back(kPT4);
  if (!macrocell.hasOEProductTerm() && !macrocell.hasPresetProduct())
    freeSlots.push_back(kPT5);

  const std::vector<ProductTerm> &terms =
      lends ? macrocell.cascadeTerms() : macrocell.productTerms();
  if (terms.size() > freeSlots.size())
    throw std::runtime_error("Too many local ATF1504 product terms");
  for (std::size_t i = 0; i < freeSlots.size(); ++i) {
    if (i < terms.size())
      encodeProductTerm(chip, number, freeSlots[i], terms[i], map);
    else
      disableProductTerm(number, freeSlots[i], map);
  }

  if (macrocell.hasResetProduct)
    encodeProductTerm(chip, number, kPT3, macrocell.resetProduct, map);
  if (macrocell.hasXorProduct)
    encodeProductTerm(chip, number, kPT2, macrocell.xorProduct, map);
  if (macrocell.hasClockEnableProduct())
    encodeProductTerm(chip, number, kPT4, macrocell.clockEnableProductTerm(), map);
  if (macrocell.hasOEProductTerm())
    encodeProductTerm(chip, number, kPT5, macrocell.oeProductTerm(), map);
  else if (macrocell.hasPresetProduct())
    encodeProductTerm(chip, number, kPT5, macrocell.presetProductTerm(), map);

  encodeMacrocellConfig(macrocell, map);
}

void ATF1504FuseEncoder::encodeProductTerm(const ATF1504Chip &chip, int macrocell, int pt,
                                           const ProductTerm &term, ATF1504FuseMap &map) const {
  const int offset = ATF1504ProductTermLayout::productTermOffset(macrocell, pt);
  if (offset == -1)
    throw std::runtime_error("Invalid ATF1504 product-term location");
  setRange(map, offset, ATF1504ProductTermLayout::kRowWidth, true);
  const SwitchMatrix &matrix = chip.matrix(ATF1504Chip::labOfMacrocell(macrocell));
  for (const Literal &literal : term) {
    int switchNumber = 0;
    for (const SwitchMatrixSignal &signal : matrix.signals()) {
      if (signal.name == literal.name) {
        switchNumber = signal.physicalUIM;
        break;
      }
    }
    const int column = ATF1504ProductTermLayout::uimFuse(switchNumber, literal.negated);
    if (column == -1)
      throw std::runtime_error("No ATF1504 UIM assignment for signal: " + literal.name);
    map.setFuse(static_cast<std::size_t>(offset + column), false);
  }
}

void ATF1504FuseEncoder::disableProductTerm(int macrocell, int pt, ATF1504FuseMap &map) const {
  const int offset = ATF1504ProductTermLayout::productTermOffset(macrocell, pt);
  if (offset == -1)
    throw std::runtime_error("Invalid ATF1504 product term while disabling");
  setRange(map, offset, ATF1504ProductTermLayout::kRowWidth, false);
}

void ATF1504FuseEncoder::encodeMacrocellConfig(const Macrocell &macrocell,
                                               ATF1504FuseMap &map) const {
  const bool lends = !macrocell.cascadeTerms().empty();
  if (macrocell.productTerms().empty() && !lends && !macrocell.isConfiguredOutput())
    return;
  const MacrocellFuseDB &entry = fuseDB_.macrocell(macrocell.number());
  const auto apply = [&](const std::string &key) { applyOption(entry, key, map); };

  for (const char *key : kCommonOptions)
    apply(key);
  if (macrocell.isRegistered()) {
    apply("fb_mux:sync");
    apply("o_mux:sync");
  } else {
    apply("fb_mux:comb");
    apply("o_mux:comb");
    apply("xor_invert:on");
  }
  if (macrocell.hasXorProduct) {
    apply("pt2_mux:xor");
    apply("xor_invert:off");
  }
  if (macrocell.toggle) {
    apply("xor_b_mux:ff_qn");
    apply("xor_invert:on");
  }
  if (lends)
    apply("cas_mux:sum");

  if (macrocell.isRegistered()) {
    switch (macrocell.clockSource()) {
    case ClockSource::GCLK1:
      apply("gclk_mux:GCLK1");
      break;
    case ClockSource::GCLK2:
      apply("gclk_mux:GCLK2");
      break;
    case ClockSource::GCLK3:
      apply("gclk_mux:GCLK3");
      break;
    default:
      if (!macrocell.hasClockEnableProduct())
        throw std::runtime_error("Registered ATF1504 output has no clock");
      break;
    }
    apply(macrocell.resetSource() == ResetSource::GCLR ? "gclr_mux:GCLR" : "gclr_mux:GND");
    if (macrocell.resetSource() == ResetSource::PRODUCT) {
      if (!macrocell.hasResetProduct)
        throw std::runtime_error("Missing ATF1504 reset product term");
      apply("pt3_mux:ar");
    }
    if (macrocell.hasClockEnableProduct()) {
      apply("pt4_mux:clk_ce");
      apply(macrocell.clockSource() == ClockSource::NONE ? "pt4_func:clk" : "pt4_func:ce");
    }
    if (macrocell.hasPresetProduct()) {
      apply("pt5_mux:as_oe");
      apply("pt5_func:as");
    }
  }

  if (lends) {
    apply("oe_mux:GND");
    return;
  }
  switch (macrocell.outputEnableSource()) {
  case OutputEnableSource::DISABLED:
    apply("oe_mux:GND");
    break;
  case OutputEnableSource::ALWAYS:
    apply("oe_mux:VCC_pt5");
    break;
  case OutputEnableSource::OE1:
    apply("oe_mux:GOE1");
    break;
  case OutputEnableSource::OE2:
    apply("oe_mux:GOE2");
    break;
  case OutputEnableSource::GOE6:
    apply("oe_mux:GOE6");
    break;
  case OutputEnableSource::PRODUCT:
    apply("pt5_mux:as_oe");
    apply("pt5_func:oe");
    apply("oe_mux:VCC_pt5");
    break;
  }
}

void ATF1504FuseEncoder::applyOption(const MacrocellFuseDB &entry, const std::string &key,
                                     ATF1504FuseMap &map) const {
  for (const FuseOption &option : entry.options) {
    if (option.name != key)
      continue;
    if (option.fuses.size() != option.values.size())
      throw std::runtime_error("Malformed ATF1504 macrocell option");
    for (std::size_t k = 0; k < option.fuses.size(); ++k)
      map.setFuse(static_cast<std::size_t>(option.fuses[k]), option.values[k]);
    return;
  }
  throw std::runtime_error("ATF1504 macrocell option not found: " + key);
}

} // namespace gsmith
