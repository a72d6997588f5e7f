// The preflight fit: places every netlist output on a macrocell (pin outputs
// on their pin's macrocell, buried nodes on the first free macrocell off the
// JTAG pins), checks that the output's signals, control terms and sum fit
// before taking anything, then selects its signals into its LAB's switch
// matrix and spreads its sum terms over its own macrocell and, by cascading,
// the free macrocells below it in its group of eight. The multiplexers are
// assigned after the fit has been reported. It never writes fuses and never
// throws: every problem becomes a message in the FitResult.
#include "cpld/fitter.h"

#include "cpld/routing.h"
#include "model/compile-error.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace gsmith {

namespace {

// A placed output's macrocell, LAB and feedback node.
struct Placement {
  int number = 0;
  Lab lab = Lab::A;
  int feedbackNode = 0;
};

Placement placementOf(int macrocell) {
  return {macrocell, Chip::labOf(macrocell), 600 + macrocell};
}

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

class PreflightFit {
public:
  PreflightFit(const Netlist &netlist, Chip &chip)
      : netlist_(netlist), chip_(chip), device_(chip.architecture().messages.device) {}

  FitResult run();

private:
  void fail(const std::string &message, SourceLocation where) {
    result_.success = false;
    result_.errors.push_back({message, where});
  }
  // A refusal for lack of product terms, which a retry with smaller sums may cure.
  std::string shortOf(const NetOutput &output, std::string message) {
    result_.shortOfTerms.push_back(output.name);
    return message;
  }
  void placePinOutputs();
  void placeBuriedNodes();
  std::string fitOutput(const NetOutput &output);
  std::string checkControls(const NetOutput &output);
  std::string collectRoutes(const NetOutput &output, const SwitchMatrix &matrix,
                            std::vector<PendingRoute> &routes) const;
  std::string checkCascadeCapacity(const NetOutput &output, int destination,
                                   int controlTerms) const;
  std::string placeSumTerms(const NetOutput &output, Macrocell &destination, int &ownTerms);
  bool isDonor(int n) const;

  const Netlist &netlist_;
  Chip &chip_;
  const std::string device_;
  FitResult result_;
  std::set<int> usedMacrocells_;
  std::map<std::string, Placement> placement_;
};

FitResult PreflightFit::run() {
  result_ = FitResult{};
  chip_.reset();
  usedMacrocells_.clear();
  placement_.clear();

  placePinOutputs();
  placeBuriedNodes();
  if (!result_.success)
    return result_;

  for (const NetOutput &output : netlist_.outputs) {
    const std::string error = fitOutput(output);
    if (!error.empty())
      fail(error, output.location);
  }
  return result_;
}

void PreflightFit::placePinOutputs() {
  for (const NetOutput &output : netlist_.outputs) {
    if (output.pin == 0)
      continue;
    const int number = chip_.macrocellForPin(output.pin);
    if (number == 0 || usedMacrocells_.count(number) != 0) {
      fail("Conflicting " + device_ + " placement for '" + output.name + "'", output.location);
      continue;
    }
    usedMacrocells_.insert(number);
    placement_[output.name] = placementOf(number);
  }
}

// Whether some multiplexer can bring the feedback of `macrocell` into a LAB.
bool feedbackSelectable(const CPLDArchitecture &arch, int macrocell) {
  const SignalSource feedback{SourceKind::FEEDBACK, macrocell};
  for (const SwitchEntry &entry : arch.switches)
    for (const SignalSource &source : entry.sources)
      if (source == feedback)
        return true;
  return false;
}

void PreflightFit::placeBuriedNodes() {
  const DeviceModel model = chip_.model();
  for (const NetOutput &output : netlist_.outputs) {
    if (output.pin != 0)
      continue;
    int chosen = 0;
    for (int number = 1; number <= chip_.macrocellCount() && chosen == 0; ++number) {
      if (usedMacrocells_.count(number) != 0 || model.isJTAGPin(chip_.pinOf(number)))
        continue;
      if (feedbackSelectable(chip_.architecture(), number))
        chosen = number;
    }
    if (chosen == 0) {
      fail("No free macrocell available for buried node '" + output.name + "'", output.location);
      continue;
    }
    usedMacrocells_.insert(chosen);
    placement_[output.name] = placementOf(chosen);
  }
}

std::string termCountMessage(const NetOutput &output, const char *control, size_t count) {
  return "Output '" + output.name + "' " + control + " expression requires " +
         std::to_string(count) + " product terms; " + control +
         " PRODUCT currently supports exactly one";
}

// The semantic checks guarantee every PRODUCT control its equation.
std::string PreflightFit::checkControls(const NetOutput &output) {
  if (output.outputEnable == OutputEnableSource::PRODUCT) {
    if (output.oeLogic.terms.size() != 1)
      return shortOf(output, termCountMessage(output, "OE", output.oeLogic.terms.size()));
  }
  if (output.reset == ResetSource::PRODUCT) {
    if (output.resetLogic.terms.size() != 1)
      return shortOf(output, termCountMessage(output, "RESET", output.resetLogic.terms.size()));
  }
  if (output.clockEnable) {
    if (output.ceLogic.terms.size() != 1)
      return shortOf(output, termCountMessage(output, "CE", output.ceLogic.terms.size()));
  }
  if (output.preset) {
    if (output.outputEnable == OutputEnableSource::PRODUCT)
      return "Output '" + output.name +
             "' cannot use OE PRODUCT and PRESET PRODUCT together because both require PT5";
    if (output.presetLogic.terms.size() != 1)
      return shortOf(output, termCountMessage(output, "PRESET", output.presetLogic.terms.size()));
  }
  return "";
}

std::string PreflightFit::collectRoutes(const NetOutput &output, const SwitchMatrix &matrix,
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
          const int number = chip_.macrocellForPin(signal->pin);
          const int node = signal->isOutput && number != 0 ? 600 + number : 0;
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

bool PreflightFit::isDonor(int n) const {
  const Macrocell *macrocell = chip_.macrocell(n);
  return macrocell != nullptr && !chip_.isJTAGMacrocell(n) && usedMacrocells_.count(n) == 0 &&
         !macrocell->isConfiguredOutput() && macrocell->usedCascadeTerms() == 0;
}

std::string PreflightFit::checkCascadeCapacity(const NetOutput &output, int destination,
                                               int controlTerms) const {
  int total = 0;
  for (int n = destination; n >= 1; n = Chip::cascadeSource(n)) {
    const Macrocell *macrocell = chip_.macrocell(n);
    if (macrocell == nullptr)
      return "Internal error while checking cascade capacity for output '" + output.name + "'";
    if (n != destination && !isDonor(n))
      break;
    total += macrocell->availableProductTerms() - (n == destination ? controlTerms : 0);
  }
  const size_t sumTerms = output.sum.terms.size();
  if (static_cast<size_t>(total) < sumTerms)
    return "Output '" + output.name + "' requires " + std::to_string(sumTerms) +
           " product terms including control terms, but only " + std::to_string(total) +
           " are available in its cascade chain";
  return "";
}

std::string PreflightFit::placeSumTerms(const NetOutput &output, Macrocell &destination,
                                        int &ownTerms) {
  const std::vector<ProductTerm> &terms = output.sum.terms;
  size_t next = 0;
  while (next < terms.size() && destination.allocateProductTerm(terms[next]))
    ++next;
  ownTerms = static_cast<int>(next);

  const std::string failure = "Output '" + output.name + "' requires " +
                              std::to_string(terms.size()) +
                              " product terms, but the available cascade chain cannot provide them";
  for (int n = Chip::cascadeSource(destination.number()); next < terms.size();
       n = Chip::cascadeSource(n)) {
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

std::string PreflightFit::fitOutput(const NetOutput &output) {
  Placement record;
  if (output.isNode) {
    const auto placed = placement_.find(output.name);
    if (placed == placement_.end())
      return "No free macrocell available for buried node '" + output.name + "'";
    record = placed->second;
  } else {
    const int number = chip_.macrocellForPin(output.pin);
    if (number == 0)
      return "Output '" + output.name + "' on pin " + std::to_string(output.pin) +
             " is not connected to a macrocell";
    record = placementOf(number);
  }
  Macrocell *destination = chip_.macrocell(record.number);
  SwitchMatrix &matrix = chip_.matrix(record.lab);
  const std::string labName(1, labLetter(record.lab));

  if (std::string error = checkControls(output); !error.empty())
    return error;

  std::vector<PendingRoute> routes;
  if (std::string error = collectRoutes(output, matrix, routes); !error.empty())
    return error;
  if (static_cast<int>(routes.size()) > matrix.availableSignals())
    return "Output '" + output.name + "' requires " + std::to_string(routes.size()) +
           " additional UIM signals in LAB " + labName + ", but only " +
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
  if (std::string error = checkCascadeCapacity(output, record.number, controlTerms); !error.empty())
    return shortOf(output, error);

  for (const PendingRoute &route : routes)
    if (!matrix.selectSignal(route.name, route.pin, route.sourceNode))
      return "Internal error: UIM allocation failed after successful preflight for output '" +
             output.name + "'";

  destination->setRegistered(output.registered);
  destination->setConfiguredOutput(true);
  destination->setClockSource(output.clock);
  destination->setResetSource(output.reset);
  destination->toggle = output.toggle;
  destination->activeLow = output.activeLow;
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
    return shortOf(output, error);

  const int sumTerms = static_cast<int>(output.sum.terms.size());
  result_.outputs.push_back(
      FittedOutput{output.name, output.pin, record.number, static_cast<int>(record.lab), sumTerms,
                   Chip::maxProductTerms(record.number), ownTerms < sumTerms});
  return "";
}

} // namespace

FitResult Fitter::fitPreflight(const Netlist &netlist, Chip &chip) {
  return PreflightFit(netlist, chip).run();
}

void Fitter::routeAfterReport(Chip &chip) {
  for (int lab = 0; lab < chip.labCount(); ++lab) {
    const std::optional<RoutingProblem> problem =
        routeLab(chip, Lab(lab), BipartiteMatcher::Search::FREE_FIRST, false);
    if (!problem)
      continue;
    if (problem->noSource)
      throw CompileError("Cannot identify physical source for signal '" + problem->signal + "'");
    throw CompileError("No UIM location can select source '" + sourceName(problem->source) +
                       "' for signal '" + problem->signal + "'");
  }
}

} // namespace gsmith
