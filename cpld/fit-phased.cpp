// The phased fit. Four phases: place every output on a macrocell (pins
// first, NODEs on free buried or unpinned cells), move NODEs that CONFIG
// names as global output-enable sources onto macrocells the GOE multiplexers
// can select, fill the macrocells with product terms (borrowing cascade terms
// along the group of eight when a sum is too large), and route every LAB's
// inputs onto its switch-matrix multiplexers. Errors are collected so that
// one run reports as much as it can.
#include "cpld/fitter.h"

#include "cpld/matcher.h"
#include "cpld/routing.h"
#include <algorithm>

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace gsmith {

namespace {

bool hasPin(const NetOutput &output) { return output.pin != 0; }

int nativeCapacity(const NetOutput &output) {
  int capacity = kProductTermsPerCell;
  if (output.outputEnable == OutputEnableSource::PRODUCT || output.preset)
    --capacity; // both use product term 5
  if (output.reset == ResetSource::PRODUCT)
    --capacity;
  if (output.clockEnable)
    --capacity;
  if (output.usesXor)
    --capacity;
  return capacity;
}

// A placed output's macrocell, LAB and feedback node.
struct Placement {
  int number = 0;
  Lab lab = Lab::A;
  int feedbackNode = 0;
};

class PhasedFit {
public:
  PhasedFit(const Netlist &netlist, Chip &chip)
      : netlist_(netlist), chip_(chip), arch_(chip.architecture()), device_(arch_.messages.device) {
  }

  FitResult run() {
    if (!placeOutputs())
      return result_;
    if (!placeGOESources())
      return result_;
    for (const NetOutput &output : netlist_.outputs) {
      const std::string error = fitLogic(output);
      if (!error.empty())
        fail(error, output.location);
    }
    if (result_.success)
      routeLABs();
    return result_;
  }

private:
  void fail(const std::string &message, SourceLocation where = {}) {
    result_.success = false;
    result_.errors.push_back({message, where});
  }
  // A refusal for lack of product terms, which a retry with smaller sums may cure.
  std::string shortOf(const NetOutput &output, std::string message) {
    result_.shortOfTerms.push_back(output.name);
    return message;
  }

  static Placement record(int macrocell) {
    return {macrocell, Chip::labOf(macrocell), 600 + macrocell};
  }

  // Phase 1.
  bool placeOutputs() {
    chip_.reset();
    for (const NetOutput &output : netlist_.outputs) {
      if (!hasPin(output))
        continue;
      if (const int macrocell = chip_.macrocellForPin(output.pin))
        pinReserved_.insert(macrocell);
    }
    for (const NetOutput &output : netlist_.outputs) {
      const int macrocell = hasPin(output) ? pinMacrocell(output.pin) : firstFreeMacrocell(true);
      if (macrocell == 0) {
        fail("No " + device_ + " macrocell is available for '" + output.name + "'",
             output.location);
        continue;
      }
      if (used_.count(macrocell) != 0) {
        fail(device_ + " macrocell MC" + std::to_string(macrocell) + " is already used",
             output.location);
        continue;
      }
      assigned_[output.name] = record(macrocell);
      used_.insert(macrocell);
    }
    return result_.success;
  }

  int pinMacrocell(int pin) const { return chip_.macrocellForPin(pin); }

  int firstFreeMacrocell(bool avoidPinReserved) const {
    for (int m = 1; m <= chip_.macrocellCount(); ++m) {
      if (used_.count(m) == 0 && (!avoidPinReserved || pinReserved_.count(m) == 0))
        return m;
    }
    return 0;
  }

  // Phase 2.
  bool goeRouteOK(const std::string &name, int macrocell) const {
    const auto requests = goeRequests_.find(name);
    if (requests == goeRequests_.end())
      return true;
    const SignalSource feedback{SourceKind::FEEDBACK, macrocell};
    for (int goe : requests->second) {
      const std::span<const SignalSource> sources = arch_.globalOEs[goe - 1].sources;
      if (std::find(sources.begin(), sources.end(), feedback) == sources.end())
        return false;
    }
    return true;
  }

  int chainCapacity(const NetOutput &output, int macrocell) const {
    int capacity = nativeCapacity(output);
    for (int source = Chip::cascadeSource(macrocell);
         source >= 1 && pinReserved_.count(source) == 0; source = Chip::cascadeSource(source))
      capacity += kProductTermsPerCell;
    return capacity;
  }

  void collectGOERequests() {
    for (const ATFConfigOption &option : netlist_.configOptions) {
      const std::string &target = option.target;
      if (option.option != "SOURCE" || target.size() != 4 || target.compare(0, 3, "GOE") != 0 ||
          target[3] < '1' || target[3] > '6' || assigned_.count(option.value) == 0)
        continue;
      goeRequests_[option.value].push_back(target[3] - '0');
    }
  }

  bool placeGOESources() {
    collectGOERequests();
    bool allRouted = true;
    for (const auto &[name, goes] : goeRequests_)
      allRouted = allRouted && goeRouteOK(name, assigned_.at(name).number);
    if (allRouted)
      return true;

    std::vector<const NetOutput *> nodes;
    std::vector<std::vector<int>> candidates;
    for (const NetOutput &output : netlist_.outputs) {
      if (goeRequests_.count(output.name) == 0)
        continue;
      const int current = assigned_.at(output.name).number;
      if (hasPin(output)) {
        if (!goeRouteOK(output.name, current))
          fail("Pin-bound GOE source '" + output.name + "' has no requested feedback route",
               output.location);
        continue;
      }
      nodes.push_back(&output);
      candidates.push_back(goeCandidates(output, current));
    }
    if (!result_.success)
      return false;

    BipartiteMatcher matcher(BipartiteMatcher::Search::IN_ORDER);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      if (!matcher.add(candidates[i])) {
        fail("No available macrocell satisfies all GOE routes for NODE '" + nodes[i]->name + "'",
             nodes[i]->location);
        return false;
      }
    }
    // Assigned in macrocell order, as the fit has always done it.
    std::map<int, std::size_t> holderOf;
    for (std::size_t i = 0; i < nodes.size(); ++i)
      holderOf[matcher.assigned(i)] = i;
    used_ = pinReserved_;
    for (const auto &[macrocell, node] : holderOf) {
      used_.insert(macrocell);
      assigned_[nodes[node]->name] = record(macrocell);
    }
    for (const NetOutput &output : netlist_.outputs) {
      if (hasPin(output) || goeRequests_.count(output.name) != 0)
        continue;
      int macrocell = assigned_.at(output.name).number;
      if (used_.count(macrocell) != 0)
        macrocell = firstFreeMacrocell(false);
      if (macrocell == 0) {
        fail("No free internal macrocell after GOE placement");
        return false;
      }
      assigned_[output.name] = record(macrocell);
      used_.insert(macrocell);
    }
    return true;
  }

  std::vector<int> goeCandidates(const NetOutput &output, int current) const {
    std::vector<int> list;
    const int terms = static_cast<int>(output.sum.terms.size());
    for (int m = 1; m <= chip_.macrocellCount(); ++m) {
      if (pinReserved_.count(m) != 0 || !goeRouteOK(output.name, m) ||
          chainCapacity(output, m) < terms)
        continue;
      if (m == current)
        list.insert(list.begin(), m);
      else
        list.push_back(m);
    }
    return list;
  }

  // Phase 3.
  int signalPin(const std::string &name) const {
    for (const NetSignal &signal : netlist_.signals) {
      if (signal.name == name)
        return signal.pin;
    }
    return 0;
  }

  int signalNode(const std::string &name) const {
    const auto found = assigned_.find(name);
    return found == assigned_.end() ? 0 : found->second.feedbackNode;
  }

  // Selects every literal of the term into the matrix; returns the name of
  // the literal the full matrix refused, or null.
  const std::string *routeTerm(const ProductTerm &term, SwitchMatrix &matrix) const {
    for (const Literal &literal : term) {
      if (!matrix.selectSignal(literal.name, signalPin(literal.name), signalNode(literal.name)))
        return &literal.name;
    }
    return nullptr;
  }

  bool cascadeSourceFree(int source) const {
    if (source < 1 || used_.count(source) != 0)
      return false;
    const Macrocell *macrocell = chip_.macrocell(source);
    return macrocell != nullptr && !macrocell->isConfiguredOutput() &&
           macrocell->usedCascadeTerms() == 0;
  }

  int availableInChain(int macrocell, int native, int needed) const {
    int available = native;
    for (int source = Chip::cascadeSource(macrocell);
         available < needed && cascadeSourceFree(source); source = Chip::cascadeSource(source))
      available += chip_.macrocell(source)->availableProductTerms();
    return available;
  }

  std::string fitLogic(const NetOutput &output) {
    const std::string &name = output.name;
    if (output.outputEnable == OutputEnableSource::PRODUCT && output.preset)
      return device_ + " output '" + name +
             "' cannot use OE PRODUCT and PRESET PRODUCT together; both require PT5";
    const Placement &placed = assigned_.at(name);
    const int number = placed.number;
    const int native = nativeCapacity(output);
    const int needed = static_cast<int>(output.sum.terms.size());
    const int available = availableInChain(number, native, needed);
    if (available < needed)
      return shortOf(output, "Output '" + name + "' needs " + std::to_string(needed) +
                                 " ordinary product terms, but only " + std::to_string(available) +
                                 " are free in its " + device_ + " cascade chain");
    Macrocell *macrocell = chip_.macrocell(number);
    SwitchMatrix &matrix = chip_.matrix(placed.lab);
    const int reportedCapacity = fullChainCapacity(number, native);

    for (int t = 0; t < needed; ++t) {
      const ProductTerm &term = output.sum.terms[t];
      if (const std::string *literal = routeTerm(term, matrix))
        return "LAB switch matrix is full while routing '" + *literal + "' for output '" + name +
               "'";
      if (t < native && !macrocell->allocateProductTerm(term))
        return device_ + " MC" + std::to_string(number) + " ran out of native product terms";
    }
    if (output.usesXor) {
      if (output.xorTerm.terms.size() != 1)
        return "Internal error: " + device_ + " XOR operand of '" + name +
               "' is not exactly one product term";
      if (routeTerm(output.xorTerm.terms.front(), matrix) != nullptr)
        return "LAB switch matrix is full while routing XOR for '" + name + "'";
      macrocell->setXorProduct(output.xorTerm.terms.front());
    }
    if (needed > native) {
      const std::string error = lendCascadeTerms(output, number, native);
      if (!error.empty())
        return error;
    }
    if (const std::string error = fitControls(output, *macrocell, matrix); !error.empty())
      return error;

    macrocell->setConfiguredOutput(true);
    macrocell->setRegistered(output.registered);
    macrocell->setClockSource(output.clock);
    macrocell->setResetSource(output.reset);
    macrocell->toggle = output.toggle;
    macrocell->activeLow = output.activeLow;
    macrocell->setOutputEnableSource(output.isNode ? OutputEnableSource::DISABLED
                                                   : output.outputEnable);
    result_.outputs.push_back({name, output.pin, number, static_cast<int>(placed.lab), needed,
                               reportedCapacity, native < needed});
    return "";
  }

  // What the chain could lend at most, for the report.
  int fullChainCapacity(int macrocell, int native) const {
    int capacity = native;
    for (int source = Chip::cascadeSource(macrocell); cascadeSourceFree(source);
         source = Chip::cascadeSource(source))
      capacity += chip_.macrocell(source)->availableProductTerms();
    return capacity;
  }

  std::string lendCascadeTerms(const NetOutput &output, int owner, int native) {
    const auto &terms = output.sum.terms;
    std::size_t next = static_cast<std::size_t>(native);
    int source = owner;
    while (next < terms.size()) {
      source = Chip::cascadeSource(source);
      if (!cascadeSourceFree(source))
        return device_ + " cascade chain became unavailable for output '" + output.name + "'";
      Macrocell *supplier = chip_.macrocell(source);
      while (next < terms.size() && supplier->availableProductTerms() > 0 &&
             supplier->allocateCascadeTerm(terms[next], owner))
        ++next;
    }
    return "";
  }

  std::string fitControls(const NetOutput &output, Macrocell &macrocell, SwitchMatrix &matrix) {
    const std::string &name = output.name;
    if (output.reset == ResetSource::PRODUCT) {
      if (!output.hasResetLogic || output.resetLogic.terms.size() != 1)
        return shortOf(output, device_ + " RESET PRODUCT for '" + name +
                                   "' requires exactly one .RESET product term");
      const ProductTerm &term = output.resetLogic.terms.front();
      if (routeTerm(term, matrix) != nullptr)
        return "LAB switch matrix is full while routing reset for '" + name + "'";
      macrocell.setResetProduct(term);
    }
    if (output.clockEnable) {
      if (!output.hasCELogic || output.ceLogic.terms.size() != 1)
        return shortOf(output, device_ + " clock control for '" + name +
                                   "' requires exactly one .CE product term");
      const ProductTerm &term = output.ceLogic.terms.front();
      if (const std::string *literal = routeTerm(term, matrix))
        return "LAB switch matrix is full while routing local clock '" + *literal +
               "' for output '" + name + "'";
      macrocell.setClockEnableProduct(term);
    }
    if (output.outputEnable == OutputEnableSource::PRODUCT) {
      if (!output.hasOELogic || output.oeLogic.terms.size() != 1)
        return shortOf(output, device_ + " OE PRODUCT for '" + name +
                                   "' requires exactly one product term");
      const ProductTerm &term = output.oeLogic.terms.front();
      if (const std::string *literal = routeTerm(term, matrix))
        return "LAB switch matrix is full while routing OE '" + *literal + "' for output '" + name +
               "'";
      if (!macrocell.allocateOEProductTerm(term))
        return "Failed to allocate " + device_ + " OE product term for output '" + name + "'";
    }
    if (output.preset) {
      if (!output.hasPresetLogic || output.presetLogic.terms.size() != 1)
        return shortOf(output, device_ + " PRESET PRODUCT for '" + name +
                                   "' requires exactly one product term");
      const ProductTerm &term = output.presetLogic.terms.front();
      if (const std::string *literal = routeTerm(term, matrix))
        return "LAB switch matrix is full while routing preset '" + *literal + "' for output '" +
               name + "'";
      macrocell.setPresetProduct(term);
    }
    return "";
  }

  // Phase 4.
  void routeLABs() {
    for (int lab = 0; lab < chip_.labCount(); ++lab) {
      const std::optional<RoutingProblem> problem =
          routeLab(chip_, Lab(lab), BipartiteMatcher::Search::IN_ORDER, true);
      if (!problem)
        continue;
      const SourceLocation declared = declarationOf(problem->signal);
      if (problem->noSource)
        fail("Cannot identify physical source for signal '" + problem->signal + "'", declared);
      else
        fail(std::string("No free UIM in LAB ") + labLetter(Lab(lab)) + " can select source '" +
                 sourceName(problem->source) + "' for signal '" + problem->signal + "'",
             declared);
    }
  }

  // Where a signal a LAB reads was declared: its PIN, or a NODE's equation.
  SourceLocation declarationOf(const std::string &name) const {
    for (const NetSignal &signal : netlist_.signals)
      if (signal.name == name)
        return signal.location;
    for (const NetOutput &output : netlist_.outputs)
      if (output.name == name)
        return output.location;
    return {};
  }

  const Netlist &netlist_;
  Chip &chip_;
  const CPLDArchitecture &arch_;
  const std::string device_;
  FitResult result_;
  std::set<int> pinReserved_;
  std::set<int> used_;
  std::map<std::string, Placement> assigned_;
  std::map<std::string, std::vector<int>> goeRequests_;
};

} // namespace

FitResult Fitter::fitPhased(const Netlist &netlist, Chip &chip) {
  return PhasedFit(netlist, chip).run();
}

FitResult Fitter::fit(const Netlist &netlist, Chip &chip) {
  return chip.architecture().fitStrategy == FitStrategy::PREFLIGHT ? fitPreflight(netlist, chip)
                                                                   : fitPhased(netlist, chip);
}

} // namespace gsmith
