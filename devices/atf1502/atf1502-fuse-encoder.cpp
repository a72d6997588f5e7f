// ATF1502 fuse encoding. Product-term slots have fixed roles in the macrocell
// (PT2 XOR, PT3 reset, PT4 clock enable, PT5 output enable or preset); sum
// and cascade terms take the slots whose role is unused. Option order
// matters: several options share a fuse and the later one wins.
#include "devices/atf1502/atf1502-fuse-encoder.h"

#include "devices/atf1502/atf1502-product-term.h"
#include "devices/atf1502/atf1502-routing.h"
#include "devices/atf1502/atf1502.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

namespace gsmith {

namespace {

// A global output-enable source routed through the global-OE multiplexer:
// its five selection fuses and its polarity fuse.
struct GlobalOERoute {
  OutputEnableSource source;
  size_t firstFuse;
  std::array<bool, 5> selection;
  size_t polarityFuse;
};

// clang-format off
constexpr std::array<GlobalOERoute, 3> kGlobalOERoutes = {{
    {OutputEnableSource::OE1,  16725, {1, 1, 1, 1, 0}, 16758},
    {OutputEnableSource::OE2,  16740, {1, 1, 1, 1, 0}, 16755},
    {OutputEnableSource::GOE6, 16720, {0, 1, 1, 1, 1}, 16759},
}};
// clang-format on

constexpr size_t kGlobalOEMuxStart = 16720;
constexpr size_t kGlobalOEMuxEnd = 16749;
constexpr size_t kDeviceConfigStart = 16750;
constexpr size_t kDeviceConfigEnd = 16801;
constexpr size_t kReservedStart = 16802;
constexpr size_t kReservedEnd = 16807;

bool usesGlobalOE(const ATF1502Chip &chip, OutputEnableSource source) {
  for (const LAB *lab : {&chip.labA(), &chip.labB()})
    for (const Macrocell &macrocell : lab->macrocells())
      if (macrocell.outputEnableSource() == source)
        return true;
  return false;
}

// The value the global-OE multiplexer fuse must hold for this chip.
bool expectedGlobalOEFuse(const ATF1502Chip &chip, size_t index) {
  for (const GlobalOERoute &route : kGlobalOERoutes) {
    if (index < route.firstFuse || index >= route.firstFuse + route.selection.size())
      continue;
    if (usesGlobalOE(chip, route.source))
      return route.selection[index - route.firstFuse];
  }
  return true;
}

std::string macrocellName(int n) { return "MC" + std::to_string(n); }

// Assigns one UIM to each signal of a LAB. Each signal takes the first free
// UIM in search order that can select its source; when all of those are
// taken, earlier signals are moved to other UIMs of theirs (augmenting
// paths) so that a greedy choice never refuses a design that can be routed.
class UIMMatcher {
public:
  struct Choice {
    int uim = 0;
    unsigned firstFuse = 0;
    unsigned char bits[5] = {1, 1, 1, 1, 1};
  };

  // False when no assignment gives the new signal a UIM.
  bool add(const std::string &source, const std::vector<int> &outside) {
    std::vector<Choice> candidates;
    std::vector<int> excluded = outside;
    for (Choice next;
         ATF1502UIMDatabase::findSource(source, excluded, next.uim, next.firstFuse, next.bits);) {
      candidates.push_back(next);
      excluded.push_back(next.uim);
    }
    candidates_.push_back(std::move(candidates));
    chosen_.push_back(-1);
    const size_t signal = chosen_.size() - 1;
    for (size_t k = 0; k < candidates_[signal].size(); ++k) {
      if (owner_.count(candidates_[signal][k].uim) != 0)
        continue;
      take(signal, k);
      return true;
    }
    std::set<int> visited;
    return augment(signal, visited);
  }

  const Choice &choice(size_t signal) const {
    return candidates_[signal][static_cast<size_t>(chosen_[signal])];
  }

private:
  void take(size_t signal, size_t candidate) {
    chosen_[signal] = static_cast<int>(candidate);
    owner_[candidates_[signal][candidate].uim] = signal;
  }

  bool augment(size_t signal, std::set<int> &visited) {
    for (size_t k = 0; k < candidates_[signal].size(); ++k) {
      const int uim = candidates_[signal][k].uim;
      if (!visited.insert(uim).second)
        continue;
      const auto owner = owner_.find(uim);
      if (owner != owner_.end() && !augment(owner->second, visited))
        continue;
      take(signal, k);
      return true;
    }
    return false;
  }

  std::vector<std::vector<Choice>> candidates_;
  std::vector<int> chosen_;
  std::map<int, size_t> owner_;
};

} // namespace

void ATF1502FuseEncoder::encode(const ATF1502Chip &chip, ATF1502FuseMap &fuseMap) {
  if (fuseMap.size() != ATF1502FuseMap::kFuseCount)
    throw std::runtime_error("ATF1502 fuse map must contain exactly " +
                             std::to_string(ATF1502FuseMap::kFuseCount) + " fuses");
  uimsA_.clear();
  uimsB_.clear();
  encodeRouting(chip, chip.matrixA(), ATF1502LAB::A, uimsA_, fuseMap);
  encodeRouting(chip, chip.matrixB(), ATF1502LAB::B, uimsB_, fuseMap);
  encodeDeviceConfig(chip, fuseMap);
  for (int n = 1; n <= 32; ++n) {
    const Macrocell *macrocell = chip.macrocell(n);
    if (macrocell == nullptr)
      throw std::runtime_error("Internal error: virtual chip is missing macrocell " +
                               std::to_string(n));
    encodeMacrocell(*macrocell, fuseMap);
  }
  checkSafetyInvariants(chip, fuseMap);
}

void ATF1502FuseEncoder::checkSafetyInvariants(const ATF1502Chip &chip,
                                               const ATF1502FuseMap &fuseMap) const {
  for (size_t index = kReservedStart; index <= kReservedEnd; ++index)
    if (fuseMap.getFuse(index))
      throw std::runtime_error("Reserved ATF1502 fuse was set: " + std::to_string(index));
  for (size_t index = kGlobalOEMuxStart; index <= kGlobalOEMuxEnd; ++index)
    if (fuseMap.getFuse(index) != expectedGlobalOEFuse(chip, index))
      throw std::runtime_error("Unexpected ATF1502 global-OE mux fuse value at " +
                               std::to_string(index));
  for (size_t index = 16754; index <= 16759; ++index)
    if (!fuseMap.getFuse(index))
      throw std::runtime_error("ATF1502 global-OE polarity must remain active high");
  bool recoveryIntact = !fuseMap.getFuse(16750);
  for (size_t index = 16782; index <= 16785; ++index)
    recoveryIntact = recoveryIntact && fuseMap.getFuse(index);
  if (!recoveryIntact)
    throw std::runtime_error("Unsafe ATF1502AS device configuration: ISP/JTAG recovery fuses do "
                             "not match the verified vendor baseline");
}

std::string ATF1502FuseEncoder::physicalSource(const ATF1502Chip &chip,
                                               const SwitchMatrixSignal &signal) {
  if (signal.sourceNode >= 601 && signal.sourceNode <= 632)
    return "MC" + std::to_string(signal.sourceNode - 600) + "_FB";
  const int pin = ATF1502Device::plcc44Pin(chip.package(), signal.pin);
  switch (pin) {
  case 0:
    return "";
  case 1:
    return "R_PAD";
  case 2:
    return "C2_PAD";
  case 43:
    return "C1_PAD";
  case 44:
    return "E1_PAD";
  default:
    break;
  }
  for (int n = 1; n <= 32; ++n) {
    const Macrocell *macrocell = chip.macrocell(n);
    if (macrocell != nullptr && macrocell->pin() == pin)
      return "M" + std::to_string(n) + "_PAD";
  }
  return "";
}

void ATF1502FuseEncoder::encodeRouting(const ATF1502Chip &chip, const SwitchMatrix &matrix,
                                       ATF1502LAB lab, UIMAssignments &assignments,
                                       ATF1502FuseMap &fuseMap) {
  // Both UIMs of a pair drive the same two columns, so a LAB may only use the
  // UIMs its own rows read, each for one signal.
  const std::vector<int> outside = ATF1502UIMDatabase::uimsOutsideLAB(lab);
  UIMMatcher matcher;
  for (const SwitchMatrixSignal &signal : matrix.signals()) {
    const std::string source = physicalSource(chip, signal);
    if (source.empty())
      throw std::runtime_error("Cannot identify physical source for signal '" + signal.name + "'");
    if (!matcher.add(source, outside))
      throw std::runtime_error("No UIM location can select source '" + source + "' for signal '" +
                               signal.name + "'");
  }
  for (size_t k = 0; k < matrix.signals().size(); ++k) {
    const UIMMatcher::Choice &choice = matcher.choice(k);
    assignments[matrix.signals()[k].name] = choice.uim;
    for (unsigned bit = 0; bit < 5; ++bit)
      fuseMap.setFuse(choice.firstFuse + bit, choice.bits[bit] != 0);
  }
}

void ATF1502FuseEncoder::encodeDeviceConfig(const ATF1502Chip &chip, ATF1502FuseMap &fuseMap) {
  for (size_t index = kDeviceConfigStart; index <= kDeviceConfigEnd; ++index)
    fuseMap.setFuse(index, ATF1502FuseMap::deviceConfigValue(index));
  for (const GlobalOERoute &route : kGlobalOERoutes) {
    if (!usesGlobalOE(chip, route.source))
      continue;
    for (size_t k = 0; k < route.selection.size(); ++k)
      fuseMap.setFuse(route.firstFuse + k, route.selection[k]);
    fuseMap.setFuse(route.polarityFuse, true);
  }
}

void ATF1502FuseEncoder::encodeMacrocell(const Macrocell &macrocell, ATF1502FuseMap &fuseMap) {
  const int n = macrocell.number();
  const bool hasCascade = !macrocell.cascadeTerms().empty();
  if (hasCascade && (!macrocell.productTerms().empty() || macrocell.isConfiguredOutput()))
    throw std::runtime_error(macrocellName(n) +
                             " cannot supply cascade terms while also implementing its own output");
  const std::vector<int> &owners = macrocell.cascadeOwners();
  if (owners.size() != macrocell.cascadeTerms().size())
    throw std::runtime_error("Malformed cascade ownership data");
  if (std::adjacent_find(owners.begin(), owners.end(), std::not_equal_to<int>()) != owners.end())
    throw std::runtime_error(macrocellName(n) + " contains cascade terms for more than one output");
  if (macrocell.hasOEProductTerm() && macrocell.hasPresetProduct())
    throw std::runtime_error(macrocellName(n) +
                             " cannot use OE PRODUCT and PRESET PRODUCT together because both "
                             "require PT5");

  std::vector<int> freeRows = {1};
  if (!macrocell.hasXorProduct)
    freeRows.push_back(2);
  if (!macrocell.hasResetProduct)
    freeRows.push_back(3);
  if (!macrocell.hasClockEnableProduct())
    freeRows.push_back(4);
  if (!macrocell.hasOEProductTerm() && !macrocell.hasPresetProduct())
    freeRows.push_back(5);

  const std::vector<ProductTerm> &terms =
      hasCascade ? macrocell.cascadeTerms() : macrocell.productTerms();
  if (terms.size() > freeRows.size())
    throw std::runtime_error(macrocellName(n) +
                             " has more local logic terms than its dedicated control terms permit");
  for (size_t k = 0; k < freeRows.size(); ++k) {
    if (k < terms.size())
      encodeProductTerm(n, freeRows[k], terms[k], fuseMap);
    else
      disableProductTerm(n, freeRows[k], fuseMap);
  }

  if (macrocell.hasResetProduct)
    encodeProductTerm(n, 3, macrocell.resetProduct, fuseMap);
  if (macrocell.hasXorProduct)
    encodeProductTerm(n, 2, macrocell.xorProduct, fuseMap);
  if (macrocell.hasClockEnableProduct())
    encodeProductTerm(n, 4, macrocell.clockEnableProductTerm(), fuseMap);
  if (macrocell.hasOEProductTerm())
    encodeProductTerm(n, 5, macrocell.oeProductTerm(), fuseMap);
  else if (macrocell.hasPresetProduct())
    encodeProductTerm(n, 5, macrocell.presetProductTerm(), fuseMap);

  encodeMacrocellConfig(macrocell, fuseMap);
}

void ATF1502FuseEncoder::encodeProductTerm(int macrocell, int pt, const ProductTerm &term,
                                           ATF1502FuseMap &fuseMap) {
  const int row = ATF1502PTDatabase::getProductTermOffset(macrocell, pt);
  if (row < 0)
    throw std::runtime_error("Invalid product-term location: MC" + std::to_string(macrocell) +
                             " PT" + std::to_string(pt));
  for (int column = 0; column < ATF1502PTDatabase::kRowLength; ++column)
    fuseMap.setFuse(static_cast<size_t>(row + column), true);
  const UIMAssignments &assignments = macrocell <= 16 ? uimsA_ : uimsB_;
  for (const Literal &literal : term) {
    const auto found = assignments.find(literal.name);
    if (found == assignments.end())
      throw std::runtime_error("Signal '" + literal.name + "' has no physical UIM assignment");
    const int column = ATF1502PTDatabase::getInputFuse(found->second, literal.negated);
    if (column < 0)
      throw std::runtime_error("Invalid product-term input column for signal '" + literal.name +
                               "'");
    fuseMap.setFuse(static_cast<size_t>(row + column), false);
  }
}

void ATF1502FuseEncoder::disableProductTerm(int macrocell, int pt, ATF1502FuseMap &fuseMap) {
  const int row = ATF1502PTDatabase::getProductTermOffset(macrocell, pt);
  if (row < 0)
    throw std::runtime_error("Invalid product-term location while disabling PT");
  for (int column = 0; column < ATF1502PTDatabase::kRowLength; ++column)
    fuseMap.setFuse(static_cast<size_t>(row + column), false);
}

void ATF1502FuseEncoder::applyMacrocellOption(const MacrocellFuseDB &db, const std::string &key,
                                              ATF1502FuseMap &fuseMap) {
  const auto option =
      std::find_if(db.options.begin(), db.options.end(),
                   [&](const FuseOption &candidate) { return candidate.name == key; });
  if (option == db.options.end())
    throw std::runtime_error("Macrocell option not found: " + key);
  if (option->values.size() != option->fuses.size())
    throw std::runtime_error("Malformed macrocell fuse option");
  for (size_t k = 0; k < option->fuses.size(); ++k)
    fuseMap.setFuse(static_cast<size_t>(option->fuses[k]), option->values[k]);
}

void ATF1502FuseEncoder::applyOptions(const MacrocellFuseDB &db,
                                      std::initializer_list<const char *> keys,
                                      ATF1502FuseMap &fuseMap) const {
  for (const char *key : keys)
    applyMacrocellOption(db, key, fuseMap);
}

void ATF1502FuseEncoder::encodeMacrocellConfig(const Macrocell &macrocell,
                                               ATF1502FuseMap &fuseMap) {
  const int n = macrocell.number();
  const MacrocellFuseDB &db = db_.macrocell(n);
  const bool hasCascade = !macrocell.cascadeTerms().empty();

  if (ATF1502Device::isJTAGMacrocell(n)) {
    if (!macrocell.productTerms().empty())
      throw std::runtime_error(macrocellName(n) + " is reserved for the JTAG interface");
    applyOptions(db, {"slew_rate:slow", "output_driver:push_pull",
                      "low_power:off",  "pt_power:off",
                      "storage:dff",    "gclk_mux:GCLK2",
                      "pt4_func:clk",   "gclr_mux:GND",
                      "pt5_func:oe",    "xor_a_mux:VCC_pt2",
                      "cas_mux:sum",    "xor_b_mux:VCC_pt12",
                      "pt2_mux:sum",    "pt3_mux:ar",
                      "pt4_mux:clk_ce", "pt5_mux:as_oe",
                      "fb_mux:comb",    "xor_invert:on",
                      "reset:GND",      "oe_mux:GND",
                      "o_mux:comb",     "d_mux:comb",
                      "dfast_mux:pt2",  "pt1_mux:sum"},
                 fuseMap);
    return;
  }
  if (macrocell.productTerms().empty() && !hasCascade && !macrocell.isConfiguredOutput()) {
    applyOptions(db, {"pt_power:off", "oe_mux:GND"}, fuseMap);
    return;
  }

  const bool registered = macrocell.isRegistered();
  applyOptions(db,
               {"pt_power:on", "pt1_mux:sum", "pt2_mux:sum", "pt3_mux:sum", "pt4_mux:sum",
                "pt4_func:ce", "pt5_mux:sum", "pt5_func:as", "xor_a_mux:sum", "xor_b_mux:VCC_pt12"},
               fuseMap);
  if (!registered)
    applyMacrocellOption(db, "xor_invert:on", fuseMap);
  if (macrocell.hasXorProduct)
    applyOptions(db, {"pt2_mux:xor", "xor_invert:off"}, fuseMap);
  if (macrocell.toggle)
    applyOptions(db, {"xor_b_mux:ff_qn", "xor_invert:on"}, fuseMap);
  applyMacrocellOption(db, "d_mux:comb", fuseMap);
  applyMacrocellOption(db, registered ? "fb_mux:sync" : "fb_mux:comb", fuseMap);
  applyMacrocellOption(db, registered ? "o_mux:sync" : "o_mux:comb", fuseMap);
  applyOptions(db, {"storage:dff", "slew_rate:slow", "output_driver:push_pull", "low_power:off"},
               fuseMap);
  if (hasCascade)
    applyMacrocellOption(db, "cas_mux:sum", fuseMap);

  if (registered) {
    switch (macrocell.clockSource()) {
    case ClockSource::GCLK1:
      applyMacrocellOption(db, "gclk_mux:GCLK1", fuseMap);
      break;
    case ClockSource::GCLK2:
      applyMacrocellOption(db, "gclk_mux:GCLK2", fuseMap);
      break;
    case ClockSource::GCLK3:
      applyMacrocellOption(db, "gclk_mux:GCLK3", fuseMap);
      break;
    default:
      if (!macrocell.hasClockEnableProduct())
        throw std::runtime_error("Registered macrocell has no clock source");
      break;
    }
    applyMacrocellOption(
        db, macrocell.resetSource() == ResetSource::GCLR ? "gclr_mux:GCLR" : "gclr_mux:GND",
        fuseMap);
    if (macrocell.resetSource() == ResetSource::PRODUCT) {
      if (!macrocell.hasResetProduct)
        throw std::runtime_error("Registered macrocell is missing its reset product term");
      applyMacrocellOption(db, "pt3_mux:ar", fuseMap);
    }
    if (macrocell.hasClockEnableProduct()) {
      applyMacrocellOption(db, "pt4_mux:clk_ce", fuseMap);
      applyMacrocellOption(
          db, macrocell.clockSource() != ClockSource::NONE ? "pt4_func:ce" : "pt4_func:clk",
          fuseMap);
    }
    if (macrocell.hasPresetProduct())
      applyOptions(db, {"pt5_mux:as_oe", "pt5_func:as"}, fuseMap);
  }

  if (hasCascade) {
    applyMacrocellOption(db, "oe_mux:GND", fuseMap);
    return;
  }
  switch (macrocell.outputEnableSource()) {
  case OutputEnableSource::DISABLED:
    applyMacrocellOption(db, "oe_mux:GND", fuseMap);
    break;
  case OutputEnableSource::ALWAYS:
    applyMacrocellOption(db, "oe_mux:VCC_pt5", fuseMap);
    break;
  case OutputEnableSource::OE1:
    applyMacrocellOption(db, "oe_mux:GOE5", fuseMap);
    break;
  case OutputEnableSource::OE2:
    applyMacrocellOption(db, "oe_mux:GOE2", fuseMap);
    break;
  case OutputEnableSource::GOE6:
    applyMacrocellOption(db, "oe_mux:GOE6", fuseMap);
    break;
  case OutputEnableSource::PRODUCT:
    applyOptions(db, {"pt5_mux:as_oe", "pt5_func:oe", "oe_mux:VCC_pt5"}, fuseMap);
    break;
  }
}

} // namespace gsmith
