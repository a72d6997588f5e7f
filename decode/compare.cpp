// Output by output, the decoded cell against what the netlist asks, with
// the map's sources renamed to the design's signals first; NODEs the reader
// does not know the place of are found by their logic. Functions are
// compared by evaluation (decode/equivalence.h), everything else by value.
#include "decode/compare.h"

#include "decode/equivalence.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace gsmith {

namespace {

constexpr int kMaxNodeAssignments = 256;

using Names = std::unordered_map<std::string, std::string>;

SOPExpression renamed(const SOPExpression &sum, const Names &names) {
  SOPExpression result = sum;
  for (ProductTerm &term : result.terms)
    for (Literal &literal : term)
      if (const auto found = names.find(literal.name); found != names.end())
        literal.name = found->second;
  return result;
}

DecodedLogic renamed(const DecodedLogic &logic, const Names &names) {
  DecodedLogic result = logic;
  result.sum = renamed(logic.sum, names);
  result.xorWith = renamed(logic.xorWith, names);
  return result;
}

const char *storageName(DecodedStorage storage) {
  switch (storage) {
  case DecodedStorage::DFF:
    return "a D flip-flop";
  case DecodedStorage::LATCH:
    return "a latch";
  case DecodedStorage::COMBINATORIAL:
    break;
  }
  return "combinational";
}

std::string clockName(DecodedClock clock, bool inverted) {
  const std::string word = clock == DecodedClock::PRODUCT ? "a product term"
                           : clock == DecodedClock::NONE  ? "none"
                                                          : clockWord(clock);
  return word + (inverted ? " (inverted)" : "");
}

std::string yesNo(bool value) { return value ? "yes" : "no"; }

class CellComparison {
public:
  CellComparison(std::string output, const Names &names, std::vector<Difference> &out)
      : output_(std::move(output)), names_(names), out_(out) {}

  void compare(const DecodedCell &expected, const DecodedCell &raw, bool drivesPin) {
    DecodedCell found = raw;
    for (DecodedLogic *logic : {&found.data, &found.clockTerm, &found.clockEnable, &found.reset,
                                &found.preset, &found.outputEnable})
      *logic = renamed(*logic, names_);
    for (const std::string &note : found.notes)
      add(note);
    if (expected.storage != found.storage)
      add(std::string("storage: expected ") + storageName(expected.storage) + ", found " +
          storageName(found.storage));
    if (expected.toggle != found.toggle)
      add("toggle register: expected " + yesNo(expected.toggle) + ", found " + yesNo(found.toggle));
    if (expected.fastInput != found.fastInput)
      add("register loaded from its pad: expected " + yesNo(expected.fastInput) + ", found " +
          yesNo(found.fastInput));
    const char *dataName = expected.toggle                                     ? "T input"
                           : expected.storage == DecodedStorage::COMBINATORIAL ? "value"
                                                                               : "D input";
    logic(dataName, expected.data, found.data);
    if (expected.storage != DecodedStorage::COMBINATORIAL &&
        found.storage != DecodedStorage::COMBINATORIAL) {
      if (expected.clock != found.clock || expected.clockInverted != found.clockInverted)
        add("clock: expected " + clockName(expected.clock, expected.clockInverted) + ", found " +
            clockName(found.clock, found.clockInverted));
      else if (expected.clock == DecodedClock::PRODUCT)
        logic("clock term", expected.clockTerm, found.clockTerm);
      logic("clock enable", expected.clockEnable, found.clockEnable);
      logic("reset", expected.reset, found.reset);
      logic("preset", expected.preset, found.preset);
    }
    logic("output enable", expected.outputEnable, found.outputEnable);
    if (!drivesPin)
      return; // the options of an output buffer that stays off
    if (expected.slewFast != found.slewFast)
      add(std::string("slew rate: expected ") + (expected.slewFast ? "FAST" : "SLOW") + ", found " +
          (found.slewFast ? "FAST" : "SLOW"));
    if (expected.openDrain != found.openDrain)
      add(std::string("driver: expected ") + (expected.openDrain ? "OPEN_DRAIN" : "PUSH_PULL") +
          ", found " + (found.openDrain ? "OPEN_DRAIN" : "PUSH_PULL"));
    if (expected.lowPower != found.lowPower)
      add("low-power mode: expected " + yesNo(expected.lowPower) + ", found " +
          yesNo(found.lowPower));
  }

private:
  void add(std::string text) { out_.push_back({output_, std::move(text)}); }

  void logic(const char *what, const DecodedLogic &expected, const DecodedLogic &found) {
    const std::optional<Disagreement> difference = firstDisagreement(expected, found);
    if (!difference)
      return;
    if (difference->undecided) {
      add(std::string(what) + " could not be compared (more than 64 signals)");
      return;
    }
    std::vector<std::pair<std::string, bool>> inputs = difference->inputs;
    std::sort(inputs.begin(), inputs.end());
    std::string where;
    for (const auto &[name, value] : inputs)
      where += (where.empty() ? "" : " ") + name + "=" + (value ? "1" : "0");
    add(std::string(what) + " differs" + (where.empty() ? "" : " at " + where) + ": expected " +
        (difference->expected ? "1" : "0") + ", found " + (difference->found ? "1" : "0"));
  }

  std::string output_;
  const Names &names_;
  std::vector<Difference> &out_;
};

bool drivesPin(const DecodedCell &cell) { return cell.used && !cell.outputEnable.isFalse(); }

std::vector<Difference> comparePlaced(const ExpectedMap &expected, const DecodedMap &decoded) {
  std::vector<Difference> out;
  Names names = expected.names;
  if (expected.cpld)
    for (const ExpectedOutput &output : expected.outputs)
      if (output.cell > 0)
        names[feedbackSource(output.cell)] = output.name;

  std::vector<int> claimed;
  for (const ExpectedOutput &output : expected.outputs) {
    const DecodedCell *cell = decoded.cell(output.cell);
    if (output.cell == 0 && output.isNode) {
      out.push_back({output.name, "no macrocell of the map implements it"});
      continue;
    }
    if (!cell) {
      out.push_back({output.name, "its pin has no cell on the device"});
      continue;
    }
    claimed.push_back(cell->number);
    for (int lender : cell->cascadeFrom)
      claimed.push_back(lender);
    CellComparison(output.name, names, out).compare(output.behaviour, *cell, !output.isNode);
  }
  for (const DecodedCell &cell : decoded.cells) {
    if (std::find(claimed.begin(), claimed.end(), cell.number) != claimed.end() || !drivesPin(cell))
      continue;
    const int pin = decoded.cpld ? expected.pinOfCell(cell.number) : cell.pin;
    if (pin > 0)
      out.push_back(
          {"pin " + std::to_string(pin), "driven by the map, but the source has no output there"});
  }

  const DecodedMap &want = expected.globals;
  for (const DecodedSetting &setting : want.settings)
    for (const DecodedSetting &found : decoded.settings)
      if (found.target == setting.target && found.option == setting.option &&
          found.value != setting.value)
        out.push_back({"device", "CONFIG " + setting.target + " " + setting.option + ": expected " +
                                     setting.value + ", found " + found.value});
  if (want.powerDownPD1 != decoded.powerDownPD1 || want.powerDownPD2 != decoded.powerDownPD2)
    out.push_back({"device", "power-down pins differ"});
  if (want.signature != decoded.signature)
    out.push_back({"device", "signature: expected " + std::to_string(want.signature) + ", found " +
                                 std::to_string(decoded.signature)});
  for (const std::string &note : decoded.notes)
    out.push_back({"device", note});
  return out;
}

// Whether `cell` could implement `output` at all. Not by the number of
// product terms: a map may hold the same function in fewer terms than the
// source's sum (minimised, or built behind the inverter), as gsmith's own
// rescue writes it.
bool resembles(const DecodedCell &expected, const DecodedCell &cell) {
  return cell.used && expected.storage == cell.storage && expected.toggle == cell.toggle &&
         expected.fastInput == cell.fastInput && expected.clock == cell.clock &&
         expected.data.hasXor == cell.data.hasXor;
}

class NodeMatcher {
public:
  NodeMatcher(ExpectedMap &expected, const DecodedMap &decoded)
      : expected_(expected), decoded_(decoded) {}

  void match() {
    propagate();
    std::vector<int> taken;
    for (ExpectedOutput &output : expected_.outputs)
      if (output.cell > 0)
        taken.push_back(output.cell);
    for (std::size_t k = 0; k < expected_.outputs.size(); ++k) {
      ExpectedOutput &output = expected_.outputs[k];
      if (output.cell != 0 || !output.isNode)
        continue;
      std::vector<int> candidates;
      for (const DecodedCell &cell : decoded_.cells)
        if (std::find(taken.begin(), taken.end(), cell.number) == taken.end() &&
            resembles(output.behaviour, cell))
          candidates.push_back(cell.number);
      open_.push_back({k, candidates});
    }
    if (open_.empty())
      return;
    best_ = assignment();
    bestCount_ = static_cast<std::size_t>(-1);
    std::vector<int> used;
    search(0, used);
    apply(best_);
  }

private:
  // Places, as long as one can be placed, each NODE whose logic reads only
  // placed signals (and itself) on the first free macrocell whose logic is
  // the same; what is left (NODEs that read each other) goes to the search.
  void propagate() {
    Names names = expected_.names;
    std::unordered_set<std::string> known;
    for (const auto &[source, name] : names)
      known.insert(name);
    std::vector<int> taken;
    for (const ExpectedOutput &output : expected_.outputs)
      if (output.cell > 0) {
        taken.push_back(output.cell);
        names[feedbackSource(output.cell)] = output.name;
        known.insert(output.name);
      }
    for (bool placed = true; placed;) {
      placed = false;
      for (ExpectedOutput &output : expected_.outputs) {
        if (output.cell != 0 || !output.isNode || !readsOnly(output, known))
          continue;
        for (const DecodedCell &cell : decoded_.cells) {
          if (std::find(taken.begin(), taken.end(), cell.number) != taken.end() ||
              !resembles(output.behaviour, cell))
            continue;
          names[feedbackSource(cell.number)] = output.name;
          std::vector<Difference> differences;
          CellComparison(output.name, names, differences).compare(output.behaviour, cell, false);
          if (!differences.empty()) {
            names.erase(feedbackSource(cell.number));
            continue;
          }
          output.cell = cell.number;
          taken.push_back(cell.number);
          known.insert(output.name);
          placed = true;
          break;
        }
      }
    }
  }

  static bool readsOnly(const ExpectedOutput &output,
                        const std::unordered_set<std::string> &known) {
    const DecodedCell &cell = output.behaviour;
    for (const DecodedLogic *logic : {&cell.data, &cell.clockTerm, &cell.clockEnable, &cell.reset,
                                      &cell.preset, &cell.outputEnable})
      for (const SOPExpression *sum : {&logic->sum, &logic->xorWith})
        for (const ProductTerm &term : sum->terms)
          for (const Literal &literal : term)
            if (literal.name != output.name && !known.contains(literal.name))
              return false;
    return true;
  }

  struct Open {
    std::size_t output;
    std::vector<int> candidates;
  };

  std::vector<int> assignment() const {
    std::vector<int> cells;
    for (const Open &open : open_)
      cells.push_back(expected_.outputs[open.output].cell);
    return cells;
  }

  void apply(const std::vector<int> &cells) {
    for (std::size_t k = 0; k < open_.size(); ++k)
      expected_.outputs[open_[k].output].cell = cells[k];
  }

  void search(std::size_t depth, std::vector<int> &used) {
    if (bestCount_ == 0 || tries_ >= kMaxNodeAssignments)
      return;
    if (depth == open_.size()) {
      ++tries_;
      const std::size_t count = comparePlaced(expected_, decoded_).size();
      if (count < bestCount_) {
        bestCount_ = count;
        best_ = assignment();
      }
      return;
    }
    bool any = false;
    for (int cell : open_[depth].candidates) {
      if (std::find(used.begin(), used.end(), cell) != used.end())
        continue;
      any = true;
      expected_.outputs[open_[depth].output].cell = cell;
      used.push_back(cell);
      search(depth + 1, used);
      used.pop_back();
      expected_.outputs[open_[depth].output].cell = 0;
    }
    if (!any)
      search(depth + 1, used);
  }

  ExpectedMap &expected_;
  const DecodedMap &decoded_;
  std::vector<Open> open_;
  std::vector<int> best_;
  std::size_t bestCount_ = 0;
  int tries_ = 0;
};

} // namespace

void placeNodes(ExpectedMap &expected, const DecodedMap &decoded) {
  NodeMatcher(expected, decoded).match();
}

std::vector<Difference> compareMaps(ExpectedMap expected, const DecodedMap &decoded) {
  placeNodes(expected, decoded);
  return comparePlaced(expected, decoded);
}

} // namespace gsmith
