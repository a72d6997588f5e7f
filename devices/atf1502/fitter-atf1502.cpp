// The ATF1502 fitter: places every netlist output on a macrocell (pin
// outputs on their pin's macrocell, buried nodes on the first free
// non-JTAG macrocell), selects the signals each needs into its LAB's switch
// matrix and spreads its sum terms over its own macrocell and, by cascading,
// the free macrocells below it in its chain of eight. It never writes fuses
// and never throws: every problem becomes a message in the FitResult.
#include "devices/atf1502/atf1502-chip.h"
#include "devices/atf1502/atf1502-routing.h"
#include "devices/atf1502/atf1502.h"
#include "devices/cpld/fitter.h"
#include "synthesis/netlist.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace gsmith {

namespace {

struct PendingRoute {
  std::string name;
  int pin = 0;
  int sourceNode = 0;
};

// One group of terms whose literals must be routed, with the label that
// names it in a missing-source message ("" for data terms).
struct RouteGroup {
  const std::vector<ProductTerm> *terms;
  const char *label;
};

class ATF1502Fit {
public:
  ATF1502Fit(const Netlist &netlist, const ATF1502Device &device, ATF1502Chip &chip)
      : netlist_(netlist), device_(device), chip_(chip) {}

  FitResult run();

private:
  void fail(const std::string &message) {
    result_.success = false;
    result_.errors.push_back(message);
  }
  void placePinOutputs();
  void placeBuriedNodes();
  std::string fitOutput(const NetOutput &output);
  std::string checkControls(const NetOutput &output) const;
  std::string collectRoutes(const NetOutput &output, const SwitchMatrix &matrix,
                            std::vector<PendingRoute> &routes) const;
  std::string checkCascadeCapacity(const NetOutput &output, int destination,
                                   int controlTerms) const;
  std::string placeSumTerms(const NetOutput &output, Macrocell &destination, int &ownTerms);
  bool isDonor(int n) const;

  const Netlist &netlist_;
  const ATF1502Device &device_;
  ATF1502Chip &chip_;
  FitResult result_;
  std::set<int> usedMacrocells_;
  std::map<std::string, ATF1502Macrocell> placement_;
};

FitResult ATF1502Fit::run() {
  result_ = FitResult{};
  chip_.reset();
  chip_.setPackage(device_.packageName());
  usedMacrocells_.clear();
  placement_.clear();

  placePinOutputs();
  placeBuriedNodes();
  if (!result_.success)
    return result_;

  for (const NetOutput &output : netlist_.outputs) {
    const std::string error = fitOutput(output);
    if (!error.empty())
      fail(error);
  }
  return result_;
}

void ATF1502Fit::placePinOutputs() {
  for (const NetOutput &output : netlist_.outputs) {
    if (output.pin == 0)
      continue;
    const ATF1502Macrocell *record = device_.macrocellForPin(output.pin);
    if (record == nullptr || usedMacrocells_.count(record->number) != 0) {
      fail("Conflicting ATF1502 placement for '" + output.name + "'");
      continue;
    }
    usedMacrocells_.insert(record->number);
    placement_[output.name] = *record;
  }
}

void ATF1502Fit::placeBuriedNodes() {
  for (const NetOutput &output : netlist_.outputs) {
    if (output.pin != 0)
      continue;
    const ATF1502Macrocell *chosen = nullptr;
    for (const ATF1502Macrocell &record : device_.macrocells()) {
      if (usedMacrocells_.count(record.number) != 0 || device_.isJTAGPin(record.pin))
        continue;
      if (!ATF1502UIMDatabase::supportsSource("MC" + std::to_string(record.number) + "_FB"))
        continue;
      chosen = &record;
      break;
    }
    if (chosen == nullptr) {
      fail("No free macrocell available for buried node '" + output.name + "'");
      continue;
    }
    usedMacrocells_.insert(chosen->number);
    placement_[output.name] = *chosen;
  }
}

std::string termCountMessage(const NetOutput &output, const char *control, size_t count) {
  return "Output '" + output.name + "' " + control + " expression requires " +
         std::to_string(count) + " product terms; " + control +
         " PRODUCT currently supports exactly one";
}

std::string missingLogicMessage(const NetOutput &output, const char *control) {
  return "Internal error: output '" + output.name + "' uses " + control + " PRODUCT but has no " +
         control + " logic";
}

std::string ATF1502Fit::checkControls(const NetOutput &output) const {
  if (output.outputEnable == OutputEnableSource::PRODUCT) {
    if (!output.hasOELogic)
      return missingLogicMessage(output, "OE");
    if (output.oeLogic.terms.size() != 1)
      return termCountMessage(output, "OE", output.oeLogic.terms.size());
  }
  if (output.reset == ResetSource::PRODUCT) {
    if (!output.hasResetLogic)
      return missingLogicMessage(output, "RESET");
    if (output.resetLogic.terms.size() != 1)
      return termCountMessage(output, "RESET", output.resetLogic.terms.size());
  }
  if (output.clockEnable) {
    if (!output.hasCELogic)
      return missingLogicMessage(output, "CE");
    if (output.ceLogic.terms.size() != 1)
      return termCountMessage(output, "CE", output.ceLogic.terms.size());
  }
  if (output.preset) {
    if (output.outputEnable == OutputEnableSource::PRODUCT)
      return "Output '" + output.name +
             "' cannot use OE PRODUCT and PRESET PRODUCT together because both require PT5";
    if (!output.hasPresetLogic)
      return missingLogicMessage(output, "PRESET");
    if (output.presetLogic.terms.size() != 1)
      return termCountMessage(output, "PRESET", output.presetLogic.terms.size());
  }
  return "";
}

std::string ATF1502Fit::collectRoutes(const NetOutput &output, const SwitchMatrix &matrix,
                                      std::vector<PendingRoute> &routes) const {
  std::vector<RouteGroup> groups = {{&output.sum.terms, ""}};
  if (output.usesXor)
    groups.push_back({&output.xorTerm.terms, ""});
  if (output.outputEnable == OutputEnableSource::PRODUCT)
    groups.push_back({&output.oeLogic.terms, "OE "});
  if (output.reset == ResetSource::PRODUCT)
    groups.push_back({&output.resetLogic.terms, "RESET "});
  if (output.clockEnable)
    groups.push_back({&output.ceLogic.terms, "CE "});
  if (output.preset)
    groups.push_back({&output.presetLogic.terms, "PRESET "});

  for (const RouteGroup &group : groups) {
    for (const ProductTerm &term : *group.terms) {
      for (const Literal &literal : term) {
        const std::string &name = literal.name;
        const bool pending = std::any_of(routes.begin(), routes.end(),
                                         [&](const PendingRoute &r) { return r.name == name; });
        if (pending || matrix.hasSignal(name))
          continue;
        const auto signal =
            std::find_if(netlist_.signals.begin(), netlist_.signals.end(),
                         [&](const NetSignal &candidate) { return candidate.name == name; });
        if (signal != netlist_.signals.end()) {
          const ATF1502Macrocell *record = device_.macrocellForPin(signal->pin);
          const int node = signal->isOutput && record != nullptr ? record->feedbackNode : 0;
          routes.push_back({name, signal->pin, node});
          continue;
        }
        const auto placed = placement_.find(name);
        if (placed != placement_.end()) {
          routes.push_back({name, 0, placed->second.feedbackNode});
          continue;
        }
        return std::string("Internal error: ") + group.label + "routing source for signal '" +
               name + "' was not found";
      }
    }
  }
  return "";
}

bool ATF1502Fit::isDonor(int n) const {
  const Macrocell *macrocell = chip_.macrocell(n);
  return macrocell != nullptr && !ATF1502Device::isJTAGMacrocell(n) &&
         usedMacrocells_.count(n) == 0 && !macrocell->isConfiguredOutput() &&
         macrocell->usedCascadeTerms() == 0;
}

std::string ATF1502Fit::checkCascadeCapacity(const NetOutput &output, int destination,
                                             int controlTerms) const {
  int total = 0;
  for (int n = destination; n >= 1; n = ATF1502Device::cascadeSourceForMacrocell(n)) {
    const Macrocell *macrocell = chip_.macrocell(n);
    if (macrocell == nullptr)
      return "Internal error while checking cascade capacity for output '" + output.name + "'";
    if (n != destination && !isDonor(n))
      break;
    total += macrocell->availableProductTerms() - (n == destination ? controlTerms : 0);
  }
  const size_t sumTerms = output.sum.terms.size();
  if (static_cast<size_t>(total) < sumTerms || total < 0)
    return "Output '" + output.name + "' requires " + std::to_string(sumTerms) +
           " product terms including control terms, but only " + std::to_string(total) +
           " are available in its cascade chain";
  return "";
}

std::string ATF1502Fit::placeSumTerms(const NetOutput &output, Macrocell &destination,
                                      int &ownTerms) {
  const std::vector<ProductTerm> &terms = output.sum.terms;
  size_t next = 0;
  while (next < terms.size() && destination.availableProductTerms() > 0 &&
         destination.allocateProductTerm(terms[next]))
    ++next;
  ownTerms = static_cast<int>(next);

  const std::string failure = "Output '" + output.name + "' requires " +
                              std::to_string(terms.size()) +
                              " product terms, but the available cascade chain cannot provide them";
  for (int n = ATF1502Device::cascadeSourceForMacrocell(destination.number()); next < terms.size();
       n = ATF1502Device::cascadeSourceForMacrocell(n)) {
    if (n < 1 || !isDonor(n))
      return failure;
    Macrocell &donor = *chip_.macrocell(n);
    while (next < terms.size() && donor.availableProductTerms() > 0) {
      if (!donor.allocateCascadeTerm(terms[next], destination.number()))
        return failure;
      ++next;
    }
  }
  return "";
}

std::string ATF1502Fit::fitOutput(const NetOutput &output) {
  const ATF1502Macrocell *record = nullptr;
  if (output.isNode) {
    const auto placed = placement_.find(output.name);
    if (placed == placement_.end())
      return "No free macrocell available for buried node '" + output.name + "'";
    record = &placed->second;
  } else {
    record = device_.macrocellForPin(output.pin);
    if (record == nullptr)
      return "Output '" + output.name + "' on pin " + std::to_string(output.pin) +
             " is not connected to a macrocell";
  }
  Macrocell *destination = chip_.macrocell(record->number);
  if (destination == nullptr)
    return "Internal error: virtual chip is missing macrocell " + std::to_string(record->number);
  const bool labB = record->lab == ATF1502LAB::B;
  SwitchMatrix &matrix = labB ? chip_.matrixB() : chip_.matrixA();

  if (std::string error = checkControls(output); !error.empty())
    return error;

  std::vector<PendingRoute> routes;
  if (std::string error = collectRoutes(output, matrix, routes); !error.empty())
    return error;
  if (static_cast<int>(routes.size()) > matrix.availableSignals())
    return "Output '" + output.name + "' requires " + std::to_string(routes.size()) +
           " additional UIM signals in LAB " + (labB ? "B" : "A") + ", but only " +
           std::to_string(matrix.availableSignals()) + " selections remain";

  const bool oeProduct = output.outputEnable == OutputEnableSource::PRODUCT && output.hasOELogic;
  const bool resetProduct = output.reset == ResetSource::PRODUCT && output.hasResetLogic;
  const bool ceProduct = output.clockEnable && output.hasCELogic;
  const bool presetProduct = output.preset && output.hasPresetLogic;
  const int controlTerms =
      ceProduct + oeProduct + resetProduct + presetProduct + (output.usesXor ? 1 : 0);
  if (controlTerms > destination->availableProductTerms())
    return "Output '" + output.name +
           "' requires more dedicated control product terms than fit in its destination "
           "macrocell";
  if (std::string error = checkCascadeCapacity(output, record->number, controlTerms);
      !error.empty())
    return error;

  for (const PendingRoute &route : routes)
    if (!matrix.selectSignal(route.name, route.pin, route.sourceNode))
      return "Internal error: UIM allocation failed after successful preflight for output '" +
             output.name + "'";

  destination->setRegistered(output.registered);
  destination->setConfiguredOutput(true);
  destination->setClockSource(output.clock);
  destination->setResetSource(output.reset);
  destination->toggle = output.toggle;
  if (output.usesXor && !output.xorTerm.terms.empty())
    destination->setXorProduct(output.xorTerm.terms.front());
  destination->setOutputEnableSource(output.isNode ? OutputEnableSource::DISABLED
                                                   : output.outputEnable);

  if (oeProduct && !destination->allocateOEProductTerm(output.oeLogic.terms.front()))
    return "Failed to allocate OE product term for output '" + output.name + "'";
  if (ceProduct)
    destination->setClockEnableProduct(output.ceLogic.terms.front());
  if (resetProduct)
    destination->setResetProduct(output.resetLogic.terms.front());
  if (presetProduct)
    destination->setPresetProduct(output.presetLogic.terms.front());

  int ownTerms = 0;
  if (std::string error = placeSumTerms(output, *destination, ownTerms); !error.empty())
    return error;

  const int sumTerms = static_cast<int>(output.sum.terms.size());
  result_.outputs.push_back(FittedOutput{
      output.name, output.pin, record->number, labB ? 1 : 0, sumTerms,
      ATF1502Device::maxProductTermsForMacrocell(record->number), ownTerms < sumTerms});
  return "";
}

} // namespace

FitResult Fitter::fitATF1502(const Netlist &netlist, const ATF1502Device &device,
                             ATF1502Chip &chip) {
  return ATF1502Fit(netlist, device, chip).run();
}

} // namespace gsmith
