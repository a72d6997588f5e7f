// The ATF1504 half of the CPLD fitter. Four phases: place every output on a
// macrocell (pins first, NODEs on free buried or unpinned cells), move NODEs
// that CONFIG names as global output-enable sources onto macrocells the GOE
// multiplexers can select, fill the macrocells with product terms (borrowing
// cascade terms along the group of eight when a sum is too large), and route
// every LAB's inputs onto its switch-matrix multiplexers. Errors are collected
// so that one run reports as much as it can.
#include "devices/atf1504/atf1504-chip.h"
#include "devices/atf1504/atf1504-global-db.h"
#include "devices/atf1504/atf1504-routing.h"
#include "devices/cpld/fitter.h"
#include "synthesis/netlist.h"

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace gsmith {

namespace {

constexpr std::array<ATF1502LAB, 4> kLABs{ATF1502LAB::A, ATF1502LAB::B, ATF1502LAB::C,
                                          ATF1502LAB::D};

bool hasPin(const NetOutput &output) { return output.pin != 0; }

int nativeCapacity(const NetOutput &output) {
  int capacity = ATF1504Device::kProductTermsPerMacrocell;
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

std::string feedbackName(int macrocell) { return "MC" + std::to_string(macrocell) + "_FB"; }

class ATF1504Fit {
public:
  ATF1504Fit(const Netlist &netlist, const ATF1504Device &device, ATF1504Chip &chip)
      : netlist_(netlist), device_(device), chip_(chip) {}

  FitResult run() {
    if (!placeOutputs())
      return result_;
    if (!placeGOESources())
      return result_;
    for (const NetOutput &output : netlist_.outputs) {
      const std::string error = fitLogic(output);
      if (!error.empty())
        fail(error);
    }
    if (result_.success)
      routeLABs();
    return result_;
  }

private:
  void fail(const std::string &message) {
    result_.success = false;
    result_.errors.push_back(message);
  }

  const ATF1504Macrocell &record(int macrocell) const {
    return device_.macrocells().at(static_cast<std::size_t>(macrocell - 1));
  }

  // Phase 1.
  bool placeOutputs() {
    chip_.reset();
    for (const NetOutput &output : netlist_.outputs) {
      if (!hasPin(output))
        continue;
      if (const auto macrocell = device_.macrocellForPin(output.pin))
        pinReserved_.insert(macrocell->number);
    }
    for (const NetOutput &output : netlist_.outputs) {
      const int macrocell = hasPin(output) ? pinMacrocell(output.pin) : firstFreeMacrocell(true);
      if (macrocell == 0) {
        fail("No ATF1504 macrocell is available for '" + output.name + "'");
        continue;
      }
      if (used_.count(macrocell) != 0) {
        fail("ATF1504 macrocell MC" + std::to_string(macrocell) + " is already used");
        continue;
      }
      assigned_[output.name] = record(macrocell);
      used_.insert(macrocell);
    }
    return result_.success;
  }

  int pinMacrocell(int pin) const {
    const auto macrocell = device_.macrocellForPin(pin);
    return macrocell ? macrocell->number : 0;
  }

  int firstFreeMacrocell(bool avoidPinReserved) const {
    for (int m = 1; m <= ATF1504Device::kMacrocellCount; ++m) {
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
    for (int goe : requests->second) {
      if (ATF1504GlobalDB::goeSelectionFuse(goe, feedbackName(macrocell)) == -1)
        return false;
    }
    return true;
  }

  int chainCapacity(const NetOutput &output, int macrocell) const {
    int capacity = nativeCapacity(output);
    for (int source = device_.cascadeSourceForMacrocell(macrocell);
         source >= 1 && pinReserved_.count(source) == 0;
         source = device_.cascadeSourceForMacrocell(source))
      capacity += ATF1504Device::kProductTermsPerMacrocell;
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
          fail("Pin-bound GOE source '" + output.name + "' has no requested feedback route");
        continue;
      }
      nodes.push_back(&output);
      candidates.push_back(goeCandidates(output, current));
    }
    if (!result_.success)
      return false;

    std::map<int, std::size_t> holderOf;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      std::set<int> visited;
      if (!matchNode(i, candidates, holderOf, visited)) {
        fail("No available macrocell satisfies all GOE routes for NODE '" + nodes[i]->name + "'");
        return false;
      }
    }
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
    for (int m = 1; m <= ATF1504Device::kMacrocellCount; ++m) {
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

  static bool matchNode(std::size_t node, const std::vector<std::vector<int>> &candidates,
                        std::map<int, std::size_t> &holderOf, std::set<int> &visited) {
    for (int m : candidates[node]) {
      if (!visited.insert(m).second)
        continue;
      const auto holder = holderOf.find(m);
      if (holder != holderOf.end() && !matchNode(holder->second, candidates, holderOf, visited))
        continue;
      holderOf[m] = node;
      return true;
    }
    return false;
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
    for (int source = device_.cascadeSourceForMacrocell(macrocell);
         available < needed && cascadeSourceFree(source);
         source = device_.cascadeSourceForMacrocell(source))
      available += chip_.macrocell(source)->availableProductTerms();
    return available;
  }

  std::string fitLogic(const NetOutput &output) {
    const std::string &name = output.name;
    if (output.outputEnable == OutputEnableSource::PRODUCT && output.preset)
      return "ATF1504 output '" + name +
             "' cannot use OE PRODUCT and PRESET PRODUCT together; both require PT5";
    const ATF1504Macrocell &placed = assigned_.at(name);
    const int number = placed.number;
    const int native = nativeCapacity(output);
    const int needed = static_cast<int>(output.sum.terms.size());
    const int available = availableInChain(number, native, needed);
    if (available < needed)
      return "Output '" + name + "' needs " + std::to_string(needed) +
             " ordinary product terms, but only " + std::to_string(available) +
             " are free in its ATF1504 cascade chain";
    Macrocell *macrocell = chip_.macrocell(number);
    if (macrocell == nullptr)
      return "Virtual ATF1504 chip is missing MC" + std::to_string(number);
    SwitchMatrix &matrix = chip_.matrix(static_cast<ATF1502LAB>(placed.lab));
    const int reportedCapacity = fullChainCapacity(number, native);

    for (int t = 0; t < needed; ++t) {
      const ProductTerm &term = output.sum.terms[t];
      if (const std::string *literal = routeTerm(term, matrix))
        return "LAB switch matrix is full while routing '" + *literal + "' for output '" + name +
               "'";
      if (t < native && !macrocell->allocateProductTerm(term))
        return "ATF1504 MC" + std::to_string(number) + " ran out of native product terms";
    }
    if (output.usesXor) {
      if (output.xorTerm.terms.size() != 1)
        return "Internal error: ATF1504 XOR operand of '" + name +
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
    macrocell->setOutputEnableSource(output.isNode ? OutputEnableSource::DISABLED
                                                   : output.outputEnable);
    result_.outputs.push_back(
        {name, output.pin, number, placed.lab, needed, reportedCapacity, native < needed});
    return "";
  }

  // What the chain could lend at most, for the report.
  int fullChainCapacity(int macrocell, int native) const {
    int capacity = native;
    for (int source = device_.cascadeSourceForMacrocell(macrocell); cascadeSourceFree(source);
         source = device_.cascadeSourceForMacrocell(source))
      capacity += chip_.macrocell(source)->availableProductTerms();
    return capacity;
  }

  std::string lendCascadeTerms(const NetOutput &output, int owner, int native) {
    const auto &terms = output.sum.terms;
    std::size_t next = static_cast<std::size_t>(native);
    int source = owner;
    while (next < terms.size()) {
      source = device_.cascadeSourceForMacrocell(source);
      if (!cascadeSourceFree(source))
        return "ATF1504 cascade chain became unavailable for output '" + output.name + "'";
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
        return "ATF1504 RESET PRODUCT for '" + name + "' requires exactly one .RESET product term";
      const ProductTerm &term = output.resetLogic.terms.front();
      if (routeTerm(term, matrix) != nullptr)
        return "LAB switch matrix is full while routing reset for '" + name + "'";
      macrocell.setResetProduct(term);
    }
    if (output.clockEnable) {
      if (!output.hasCELogic || output.ceLogic.terms.size() != 1)
        return "ATF1504 clock control for '" + name + "' requires exactly one .CE product term";
      const ProductTerm &term = output.ceLogic.terms.front();
      if (const std::string *literal = routeTerm(term, matrix))
        return "LAB switch matrix is full while routing local clock '" + *literal +
               "' for output '" + name + "'";
      macrocell.setClockEnableProduct(term);
    }
    if (output.outputEnable == OutputEnableSource::PRODUCT) {
      if (!output.hasOELogic || output.oeLogic.terms.size() != 1)
        return "ATF1504 OE PRODUCT for '" + name + "' requires exactly one product term";
      const ProductTerm &term = output.oeLogic.terms.front();
      if (const std::string *literal = routeTerm(term, matrix))
        return "LAB switch matrix is full while routing OE '" + *literal + "' for output '" + name +
               "'";
      if (!macrocell.allocateOEProductTerm(term))
        return "Failed to allocate ATF1504 OE product term for output '" + name + "'";
    }
    if (output.preset) {
      if (!output.hasPresetLogic || output.presetLogic.terms.size() != 1)
        return "ATF1504 PRESET PRODUCT for '" + name + "' requires exactly one product term";
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
    for (ATF1502LAB lab : kLABs) {
      std::string error;
      if (!ATF1504Routing::assignLAB(chip_, lab, error))
        fail(error);
    }
  }

  const Netlist &netlist_;
  const ATF1504Device &device_;
  ATF1504Chip &chip_;
  FitResult result_;
  std::set<int> pinReserved_;
  std::set<int> used_;
  std::map<std::string, ATF1504Macrocell> assigned_;
  std::map<std::string, std::vector<int>> goeRequests_;
};

} // namespace

FitResult Fitter::fitATF1504(const Netlist &netlist, const ATF1504Device &device,
                             ATF1504Chip &chip) {
  return ATF1504Fit(netlist, device, chip).run();
}

} // namespace gsmith
