// The CPLD fuse encoder. Product-term slots have fixed roles in a macrocell
// (PT2 the XOR term, PT3 the reset, PT4 the clock enable, PT5 the output
// enable or the preset); the sum, or the terms lent to a neighbour, takes the
// slots whose role is unused, from PT1 up. Unused slots are cleared to
// constant false so that no stray term reaches the OR gate. Several options
// share a fuse, so their order below is part of the encoding: the later one
// wins.
#include "cpld/encoder.h"

#include "cpld/macrocell-options.h"
#include "cpld/product-terms.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace gsmith {

namespace {

constexpr int kPT2 = 2;
constexpr int kPT3 = 3;
constexpr int kPT4 = 4;
constexpr int kPT5 = 5;

constexpr int kCommonOptions[] = {
    option("pt_power:on"),    option("pt1_mux:sum"),
    option("pt2_mux:sum"),    option("pt3_mux:sum"),
    option("pt4_mux:sum"),    option("pt4_func:ce"),
    option("pt5_mux:sum"),    option("pt5_func:as"),
    option("xor_a_mux:sum"),  option("xor_b_mux:VCC_pt12"),
    option("d_mux:comb"),     option("storage:dff"),
    option("slew_rate:slow"), option("output_driver:push_pull"),
    option("low_power:off"),
};

constexpr int kClockOptions[] = {option("gclk_mux:GCLK1"), option("gclk_mux:GCLK2"),
                                 option("gclk_mux:GCLK3")};

constexpr int kOEOptions[] = {option("oe_mux:GOE1"), option("oe_mux:GOE2"), option("oe_mux:GOE3"),
                              option("oe_mux:GOE4"), option("oe_mux:GOE5"), option("oe_mux:GOE6")};

[[noreturn]] void internal(const std::string &what) {
  throw std::logic_error("Internal error: " + what);
}

void setRange(CheckedFuseMap &map, int first, int count, bool value) {
  if (count > 0)
    map.setRange(static_cast<size_t>(first), static_cast<size_t>(count), value);
}

// Selects source k of a one-hot-low multiplexer of `width` fuses.
void select(CheckedFuseMap &map, int firstFuse, int width, int k) {
  setRange(map, firstFuse, width, true);
  map.setFuse(static_cast<size_t>(firstFuse + k), false);
}

int sourceIndex(std::span<const SignalSource> sources, const SignalSource &source) {
  const auto found = std::find(sources.begin(), sources.end(), source);
  return found == sources.end() ? -1 : static_cast<int>(found - sources.begin());
}

void encodeSwitches(const Chip &chip, CheckedFuseMap &map) {
  const CPLDArchitecture &arch = chip.architecture();
  for (int lab = 0; lab < chip.labCount(); ++lab) {
    for (const SwitchMatrixSignal &signal : chip.matrix(Lab(lab)).signals()) {
      if (signal.physicalUIM < 1)
        internal("signal '" + signal.name + "' has no switch");
      const SwitchEntry &entry = arch.switches[static_cast<size_t>(signal.physicalUIM - 1)];
      const int k = sourceIndex(entry.sources, physicalSource(chip, signal));
      if (k < 0)
        internal("switch " + std::to_string(entry.number) + " cannot select '" + signal.name + "'");
      select(map, entry.firstFuse, static_cast<int>(entry.sources.size()), k);
    }
  }
}

// The global enables behind the pins' OE1, OE2 and GOE6 clauses.
void encodePackageEnables(const Chip &chip, CheckedFuseMap &map) {
  const CPLDArchitecture &arch = chip.architecture();
  for (const PackageOERoute &route : arch.packageOERoutes) {
    bool used = false;
    for (int n = 1; n <= chip.macrocellCount(); ++n)
      used = used || chip.macrocell(n)->outputEnableSource() == route.clause;
    if (!used)
      continue;
    if (route.goe == 0)
      internal("no global enable serves an OE clause");
    const GlobalOEMux &mux = arch.globalOEs[static_cast<size_t>(route.goe - 1)];
    const int k = sourceIndex(mux.sources, {route.pad, route.padMacrocell});
    if (k < 0)
      internal("global enable " + std::to_string(route.goe) + " cannot select its pad");
    select(map, mux.firstFuse, static_cast<int>(mux.sources.size()), k);
    map.setFuse(static_cast<size_t>(mux.invertFuse), true); // drives while the pin is high
  }
}

// The multiplexer of every signal a LAB reads, sorted by name, for the
// literals of its product terms.
class LabInputs {
public:
  explicit LabInputs(const Chip &chip) {
    const CPLDArchitecture &arch = chip.architecture();
    for (int lab = 0; lab < chip.labCount(); ++lab) {
      std::vector<Input> &inputs = labs_.emplace_back();
      for (const SwitchMatrixSignal &signal : chip.matrix(Lab(lab)).signals())
        if (signal.physicalUIM >= 1)
          inputs.push_back(
              {signal.name, &arch.switches[static_cast<size_t>(signal.physicalUIM - 1)]});
      std::sort(inputs.begin(), inputs.end(),
                [](const Input &a, const Input &b) { return a.name < b.name; });
    }
  }

  // The column of a literal in the rows of `lab`.
  int column(Lab lab, const Literal &literal) const {
    const std::vector<Input> &inputs = labs_[static_cast<size_t>(lab)];
    const auto found = std::lower_bound(
        inputs.begin(), inputs.end(), literal.name,
        [](const Input &input, const std::string &name) { return input.name < name; });
    if (found == inputs.end() || found->name != literal.name)
      internal("signal '" + literal.name + "' has no switch");
    return literal.negated ? found->entry->complementColumn : found->entry->trueColumn;
  }

private:
  struct Input {
    std::string_view name;
    const SwitchEntry *entry;
  };
  std::vector<std::vector<Input>> labs_;
};

void encodeProductTerm(const Chip &chip, const LabInputs &inputs, int macrocell, int pt,
                       const ProductTerm &term, CheckedFuseMap &map) {
  const int row = productTermRow(chip.architecture().productTerms, macrocell, pt);
  setRange(map, row, kProductTermRowWidth, true);
  for (const Literal &literal : term)
    map.setFuse(static_cast<size_t>(row + inputs.column(Chip::labOf(macrocell), literal)), false);
}

void disableProductTerm(const Chip &chip, int macrocell, int pt, CheckedFuseMap &map) {
  setRange(map, productTermRow(chip.architecture().productTerms, macrocell, pt),
           kProductTermRowWidth, false);
}

void encodeOptions(const Chip &chip, const Macrocell &macrocell, CheckedFuseMap &map) {
  const int n = macrocell.number();
  const auto apply = [&](int option) { FuseEncoder::applyOption(chip, n, option, map); };
  const bool lends = !macrocell.cascadeTerms().empty();

  if (chip.isJTAGMacrocell(n)) {
    if (!macrocell.productTerms().empty())
      internal("MC" + std::to_string(n) + " is reserved for the JTAG interface");
    for (int option : chip.architecture().jtagMacrocellOptions)
      apply(option);
    return;
  }
  if (macrocell.productTerms().empty() && !lends && !macrocell.isConfiguredOutput())
    return; // the rest state is an unused cell

  for (int option : kCommonOptions)
    apply(option);
  const bool registered = macrocell.isRegistered();
  apply(registered ? option("fb_mux:sync") : option("fb_mux:comb"));
  apply(registered ? option("o_mux:sync") : option("o_mux:comb"));
  if (!registered)
    apply(option("xor_invert:on"));
  if (macrocell.hasXorProduct) {
    apply(option("pt2_mux:xor"));
    apply(option("xor_invert:off"));
  }
  if (macrocell.toggle) {
    apply(option("xor_b_mux:ff_qn"));
    apply(option("xor_invert:on"));
  }
  // The gate computes A ^ B, inverted unless xor_invert is on (B is VCC
  // without an XOR term or toggle), and feeds the register's D input, the
  // comb output and the comb feedback. So an active-low cell takes the other
  // value of that one fuse (vendor files agree: every "!x = ..." or
  // "!x.D = ..." they fit has it at 1, every plain one at 0), and a register
  // then stores the pin's value. A registered cell without XOR term or toggle
  // keeps the rest value, which is on.
  if (macrocell.activeLow)
    apply(macrocell.hasXorProduct && !macrocell.toggle ? option("xor_invert:on")
                                                       : option("xor_invert:off"));
  if (lends)
    apply(option("cas_mux:sum"));

  if (registered) {
    const int clock = static_cast<int>(macrocell.clockSource());
    if (clock >= 1 && clock <= 3)
      apply(kClockOptions[clock - 1]);
    else if (!macrocell.hasClockEnableProduct())
      internal("registered MC" + std::to_string(n) + " has no clock");
    apply(macrocell.resetSource() == ResetSource::GCLR ? option("gclr_mux:GCLR")
                                                       : option("gclr_mux:GND"));
    if (macrocell.resetSource() == ResetSource::PRODUCT) {
      if (!macrocell.hasResetProduct)
        internal("MC" + std::to_string(n) + " is missing its reset product term");
      apply(option("pt3_mux:ar"));
    }
    if (macrocell.hasClockEnableProduct()) {
      apply(option("pt4_mux:clk_ce"));
      apply(macrocell.clockSource() == ClockSource::NONE ? option("pt4_func:clk")
                                                         : option("pt4_func:ce"));
    }
    if (macrocell.hasPresetProduct()) {
      apply(option("pt5_mux:as_oe"));
      apply(option("pt5_func:as"));
    }
  }

  if (lends) {
    apply(option("oe_mux:GND"));
    return;
  }
  switch (macrocell.outputEnableSource()) {
  case OutputEnableSource::DISABLED:
    apply(option("oe_mux:GND"));
    return;
  case OutputEnableSource::ALWAYS:
    apply(option("oe_mux:VCC_pt5"));
    return;
  case OutputEnableSource::PRODUCT:
    apply(option("pt5_mux:as_oe"));
    apply(option("pt5_func:oe"));
    apply(option("oe_mux:VCC_pt5"));
    return;
  case OutputEnableSource::OE1:
  case OutputEnableSource::OE2:
  case OutputEnableSource::GOE6:
    break;
  }
  for (const PackageOERoute &route : chip.architecture().packageOERoutes)
    if (route.clause == macrocell.outputEnableSource() && route.goe > 0)
      return apply(kOEOptions[route.goe - 1]);
  internal("no global enable serves MC" + std::to_string(n) + "'s OE clause");
}

void encodeMacrocell(const Chip &chip, const LabInputs &inputs, const Macrocell &macrocell,
                     CheckedFuseMap &map) {
  const int n = macrocell.number();
  const bool lends = !macrocell.cascadeTerms().empty();
  if (lends && (!macrocell.productTerms().empty() || macrocell.isConfiguredOutput()))
    internal("MC" + std::to_string(n) + " lends terms while implementing an output");
  const std::vector<int> &owners = macrocell.cascadeOwners();
  if (std::adjacent_find(owners.begin(), owners.end(), std::not_equal_to<int>()) != owners.end())
    internal("MC" + std::to_string(n) + " lends terms to more than one output");
  if (macrocell.hasOEProductTerm() && macrocell.hasPresetProduct())
    internal("MC" + std::to_string(n) + " uses PT5 for both OE and preset");

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
    internal("MC" + std::to_string(n) + " has more terms than free slots");
  for (size_t k = 0; k < freeSlots.size(); ++k) {
    if (k < terms.size())
      encodeProductTerm(chip, inputs, n, freeSlots[k], terms[k], map);
    else
      disableProductTerm(chip, n, freeSlots[k], map);
  }

  if (macrocell.hasResetProduct)
    encodeProductTerm(chip, inputs, n, kPT3, macrocell.resetProduct, map);
  if (macrocell.hasXorProduct)
    encodeProductTerm(chip, inputs, n, kPT2, macrocell.xorProduct, map);
  if (macrocell.hasClockEnableProduct())
    encodeProductTerm(chip, inputs, n, kPT4, macrocell.clockEnableProductTerm(), map);
  if (macrocell.hasOEProductTerm())
    encodeProductTerm(chip, inputs, n, kPT5, macrocell.oeProductTerm(), map);
  else if (macrocell.hasPresetProduct())
    encodeProductTerm(chip, inputs, n, kPT5, macrocell.presetProductTerm(), map);

  encodeOptions(chip, macrocell, map);
}

// Byte k of the signature at signatureFuse + 8k, most significant bit first.
void encodeSignature(const CPLDArchitecture &arch, uint64_t signature, CheckedFuseMap &map) {
  for (int byte = 0; byte < 2; ++byte)
    for (int bit = 0; bit < 8; ++bit)
      map.setFuse(static_cast<size_t>(arch.signatureFuse + 8 * byte + 7 - bit),
                  ((signature >> (8 * byte + bit)) & 1u) != 0);
}

} // namespace

void FuseEncoder::applyOption(const Chip &chip, int macrocell, int option, CheckedFuseMap &map) {
  const OptionFuses fuses = optionFuses(chip.architecture(), macrocell, option);
  for (int k = 0; k < fuses.count; ++k)
    map.setFuse(static_cast<size_t>(fuses.fuses[k]), fuses.values[k]);
}

void FuseEncoder::encode(const Chip &chip, const Netlist &netlist, CPLDFuseMap &map) {
  encodeSwitches(chip, map);
  encodePackageEnables(chip, map);
  const LabInputs inputs(chip);
  for (int n = 1; n <= chip.macrocellCount(); ++n)
    encodeMacrocell(chip, inputs, *chip.macrocell(n), map);
  const CPLDArchitecture &arch = chip.architecture();
  if (netlist.powerDownPD1)
    map.setFuse(static_cast<size_t>(arch.powerDownFuses[0]), false);
  if (netlist.powerDownPD2)
    map.setFuse(static_cast<size_t>(arch.powerDownFuses[1]), false);
  if (netlist.hasSignature)
    encodeSignature(arch, netlist.signature, map);
}

} // namespace gsmith
