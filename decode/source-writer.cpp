// A decoded map as source text. Every cell that programs anything becomes an
// OUTPUT pin (when it drives its pin) or a NODE, every source its logic
// reads a declared INPUT (or the output it is), and every setting CONFIG
// can write a CONFIG line; what the language cannot say becomes a comment
// that says so.
#include "decode/source-writer.h"

#include "cpld/architecture.h"
#include "cpld/chip.h"
#include "decode/cpld-settings.h"
#include "decode/expected.h"
#include "gal/gal-v8.h"
#include "gal/gal22v10.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <optional>
#include <set>

namespace gsmith {

namespace {

struct PinDeclaration {
  std::string name;
  bool output = false;
  std::string clock;  // GCLK1.. on an INPUT
  bool clear = false; // GCLR on an INPUT
  std::string globalOE;
  std::string modifiers; // of an OUTPUT
};

int macrocellOfSource(const std::string &source, std::string_view prefix, std::string_view suffix) {
  if (!source.starts_with(prefix) || !source.ends_with(suffix))
    return 0;
  const std::string digits =
      source.substr(prefix.size(), source.size() - prefix.size() - suffix.size());
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), ::isdigit))
    return 0;
  return std::stoi(digits);
}

class SourceWriter {
public:
  SourceWriter(const Target &target, const DecodedMap &map, const std::string &package,
               const std::unordered_map<std::string, std::string> &names)
      : target_(target), map_(map), names_(names) {
    const JEDECFacts facts = target.jedecFacts();
    arch_ = facts.cpld;
    if (arch_) {
      package_ = &findPackage(*arch_, package);
      pins_ = &package_->pins;
    } else if (facts.galV8) {
      pins_ = facts.galV8->pins;
    } else {
      pins_ = &GAL22V10Device::kPins;
    }
  }

  std::string write(const std::string &origin) {
    chooseCells();
    for (const DecodedCell *cell : cells_)
      declareCell(*cell);
    if (map_.galMode == "registered") { // the mode takes both pins, used or not
      declareInput(
          pins_->clockPins[0], "", [](PinDeclaration &d) { d.clock = "GCLK1"; }, "GCLK1");
      declareInput(
          pins_->oePins[0], "", [](PinDeclaration &d) { d.globalOE = "GOE1"; }, "OE1");
    }
    for (const DecodedCell *cell : cells_)
      writeCell(*cell);
    writeGlobals();

    std::string text = "// Decoded by gsmith-jed from " + origin + "\n";
    for (const std::string &note : map_.notes)
      text += "// NOT EXPRESSIBLE: " + note + "\n";
    text += "DEVICE " + std::string(target_.name()) + "\n";
    if (arch_ && package_ != &arch_->packages[arch_->defaultPackage])
      text += "PACKAGE " + std::string(pins_->name) + "\n";
    if (!map_.galMode.empty()) {
      std::string mode = map_.galMode;
      std::transform(mode.begin(), mode.end(), mode.begin(), ::toupper);
      text += "GAL_MODE = " + mode + "\n";
    }
    text += head_;
    text += "\n";
    for (const auto &[pin, declaration] : pins_declared_) {
      text += "PIN " + std::to_string(pin) + " " + declaration.name;
      if (declaration.output) {
        text += " OUTPUT" + declaration.modifiers;
      } else {
        text += " INPUT";
        if (!declaration.clock.empty())
          text += " " + declaration.clock;
        if (declaration.clear)
          text += " GCLR";
        if (!declaration.globalOE.empty())
          text += " " + declaration.globalOE;
      }
      text += "\n";
    }
    for (const std::string &node : nodes_)
      text += node + "\n";
    text += "\n" + body_;
    if (!config_.empty())
      text += "\n" + config_;
    return text;
  }

private:
  // The cells that program anything and are no lender, and any cell whose
  // feedback such a cell reads.
  void chooseCells() {
    std::set<int> chosen;
    for (const DecodedCell &cell : map_.cells)
      if (cell.used && !cell.lends)
        chosen.insert(cell.number);
    for (bool grew = true; grew;) {
      grew = false;
      for (int number : std::set<int>(chosen))
        for (const std::string &source : sourcesOf(*map_.cell(number)))
          if (const int fed = macrocellOfSource(source, "MC", "_FB"); fed > 0)
            grew = chosen.insert(fed).second || grew;
    }
    for (int number : chosen)
      cells_.push_back(map_.cell(number));
  }

  static void collect(const DecodedLogic &logic, std::vector<std::string> &sources) {
    for (const SOPExpression *sum : {&logic.sum, &logic.xorWith})
      for (const ProductTerm &term : sum->terms)
        for (const Literal &literal : term)
          sources.push_back(literal.name);
  }

  static std::vector<std::string> sourcesOf(const DecodedCell &cell) {
    std::vector<std::string> sources;
    for (const DecodedLogic *logic : {&cell.data, &cell.clockTerm, &cell.clockEnable, &cell.reset,
                                      &cell.preset, &cell.outputEnable})
      collect(*logic, sources);
    return sources;
  }

  int pinOfCell(const DecodedCell &cell) const {
    if (!arch_)
      return cell.pin;
    return package_->macrocellPins[static_cast<std::size_t>(cell.number - 1)];
  }

  std::string given(const std::string &source, const std::string &fallback) const {
    const auto found = names_.find(source);
    return found == names_.end() ? fallback : found->second;
  }

  std::string cellSource(const DecodedCell &cell) const {
    return arch_ ? "MC" + std::to_string(cell.number) + "_FB" : "PIN" + std::to_string(cell.pin);
  }

  void declareCell(const DecodedCell &cell) {
    const int pin = pinOfCell(cell);
    // A GAL cell always sits on its pin, enabled or not; a CPLD macrocell
    // that never drives its pin is a NODE.
    const bool onPin =
        pin > 0 && (!map_.cpld || !cell.outputEnable.isFalse()) &&
        std::find(pins_->jtagPins.begin(), pins_->jtagPins.end(), pin) == pins_->jtagPins.end();
    const std::string name = given(cellSource(cell), onPin ? "p" + std::to_string(pin)
                                                           : "mc" + std::to_string(cell.number));
    cellNames_[cell.number] = name;
    if (onPin) {
      PinDeclaration &declaration = pins_declared_[pin];
      declaration.name = name;
      declaration.output = true;
    }
  }

  // The pin of a dedicated pad or of a macrocell's pad.
  int padPin(const std::string &source) const {
    if (source == "C1_PAD")
      return pins_->clockPins[0];
    if (source == "C2_PAD")
      return pins_->clockPins[1];
    if (source == "E1_PAD")
      return pins_->oePins[0];
    if (source == "R_PAD")
      return pins_->clearPin;
    if (const int macrocell = macrocellOfSource(source, "M", "_PAD");
        macrocell > 0 && package_ && macrocell <= arch_->macrocellCount)
      return package_->macrocellPins[static_cast<std::size_t>(macrocell - 1)];
    return macrocellOfSource(source, "PIN", "");
  }

  // The name a source has in the text, declaring the input it needs.
  std::optional<std::string> reference(const std::string &source, const std::string &where) {
    if (const int fed = macrocellOfSource(source, "MC", "_FB"); fed > 0 && arch_) {
      if (const auto found = cellNames_.find(fed); found != cellNames_.end())
        return found->second;
      problem(where + " reads the feedback of MC" + std::to_string(fed) +
              ", which implements nothing");
      return std::nullopt;
    }
    const int pin = padPin(source);
    if (pin <= 0) {
      problem(where + " reads " + source + ", which the language cannot name");
      return std::nullopt;
    }
    PinDeclaration &declaration = pins_declared_[pin];
    if (declaration.name.empty())
      declaration.name = given(source, "p" + std::to_string(pin));
    else if (declaration.output && arch_)
      problem(where + " reads the pin of output " + declaration.name + "; written as its feedback");
    return declaration.name;
  }

  void problem(const std::string &text) { head_ += "// NOT EXPRESSIBLE: " + text + "\n"; }

  std::string termText(const ProductTerm &term, const std::string &where) {
    if (term.empty())
      return "1";
    std::string text;
    for (const Literal &literal : term) {
      const std::optional<std::string> name = reference(literal.name, where);
      if (!name)
        return "";
      text += (text.empty() ? "" : " & ") + std::string(literal.negated ? "!" : "") + *name;
    }
    return text;
  }

  std::string sumText(const SOPExpression &sum, const std::string &where) {
    std::string text;
    for (const ProductTerm &term : sum.terms) {
      const std::string written = termText(term, where);
      if (written.empty()) {
        problem("a product term of " + where + " is left out");
        continue;
      }
      text += (text.empty() ? "" : " | ") + written;
    }
    return text.empty() ? "0" : text;
  }

  std::string logicText(DecodedLogic logic, const std::string &where, bool toggle = false) {
    if (logic.hasXor && logic.xorWith.terms.empty())
      logic.hasXor = false;
    if (logic.hasXor && logic.xorWith.terms.size() == 1 && logic.xorWith.terms[0].empty()) {
      logic.hasXor = false;
      logic.inverted = !logic.inverted;
    }
    std::string text = sumText(logic.sum, where);
    const std::string other = logic.hasXor ? sumText(logic.xorWith, where) : "0";
    if (other == "1")
      logic.inverted = !logic.inverted;
    logic.hasXor = other != "0" && other != "1";
    if (logic.hasXor)
      text = "(" + text + ") ^ (" + other + ")";
    if (logic.inverted && map_.cpld && !toggle) // the XOR gate inverts without a complement
      text = logic.hasXor ? text + " ^ 1" : "(" + text + ") ^ 1";
    else if (logic.inverted)
      text = "!(" + text + ")";
    return text;
  }

  void declareInput(int pin, const std::string &fallback,
                    const std::function<void(PinDeclaration &)> &role, const std::string &what) {
    if (pin <= 0) {
      problem(what + " has no pin in this package");
      return;
    }
    PinDeclaration &declaration = pins_declared_[pin];
    if (declaration.output) {
      problem(what + " is the pin of output " + declaration.name);
      return;
    }
    if (declaration.name.empty())
      declaration.name = given(fallback, "p" + std::to_string(pin));
    role(declaration);
  }

  // The OE clause of a global enable, when it is one the language names.
  std::string clauseOf(const DecodedCell &cell) const {
    if (!arch_)
      return "";
    const DecodedGlobalOE &goe = map_.globalOEs[static_cast<std::size_t>(cell.globalOE - 1)];
    const char *clauses[] = {"", "", "OE1", "OE2", "GOE6"};
    for (const PackageOERoute &route : arch_->packageOERoutes)
      if (route.goe == cell.globalOE && !goe.inverted &&
          goe.source == sourceName({route.pad, route.padMacrocell}))
        return clauses[static_cast<int>(route.clause)];
    return "";
  }

  void writeCell(const DecodedCell &cell) {
    const std::string &name = cellNames_.at(cell.number);
    const auto pinIt = std::find_if(pins_declared_.begin(), pins_declared_.end(), [&](auto &entry) {
      return entry.second.output && entry.second.name == name;
    });
    const bool onPin = pinIt != pins_declared_.end();
    for (const std::string &note : cell.notes)
      problem(name + ": " + note);
    std::string modifiers;
    const bool registered = cell.storage != DecodedStorage::COMBINATORIAL;
    if (registered) {
      modifiers += " REGISTERED";
      DecodedClock clock = cell.clock;
      if (clock == DecodedClock::PRODUCT && !onPin) {
        problem(name + ": a NODE clocked by a product term (written on GCLK1)");
        clock = DecodedClock::GCLK1;
      }
      if (clock != DecodedClock::PRODUCT) {
        const std::string word = clockWord(clock);
        const int index = static_cast<int>(clock) - 1;
        modifiers += " " + word;
        declareInput(
            pins_->clockPins[static_cast<std::size_t>(index)],
            index < 2 ? "C" + std::to_string(index + 1) + "_PAD" : "",
            [&](PinDeclaration &d) { d.clock = word; }, word);
      }
    }
    std::string controls;
    if (onPin && !map_.cpld && registered && map_.galMode == "registered") {
      modifiers += " OE OE1";
      declareInput(
          pins_->oePins[0], "", [](PinDeclaration &d) { d.globalOE = "GOE1"; }, "OE1");
    } else if (onPin && cell.globalOE > 0) {
      const std::string clause = clauseOf(cell);
      if (!clause.empty()) {
        modifiers += " OE " + clause;
        const int index = clause == "OE1" ? 0 : clause == "OE2" ? 1 : 2;
        declareInput(
            pins_->oePins[static_cast<std::size_t>(index)], "",
            [&](PinDeclaration &d) {
              d.globalOE = index == 0 ? "GOE1" : index == 1 ? "GOE2" : "GOE6";
            },
            clause);
      } else {
        globalOE(name, cell.globalOE);
      }
    } else if (onPin && (!cell.outputEnable.isConstant() || cell.outputEnable.isFalse())) {
      modifiers += " OE PRODUCT";
      controls += name + ".OE = " + logicText(cell.outputEnable, name + ".OE") + ";\n";
    }
    // "!name = ..." where the cell inverts: the source's register is then the
    // complement of the CPLD's, whose reset is its preset and back (the
    // GCLR only resets, so such a register keeps the XOR form).
    const bool activeLow = cell.data.inverted && !cell.toggle && !cell.fastInput &&
                           !(map_.cpld && registered && cell.resetByClear);
    const bool exchanged = activeLow && map_.cpld && registered;
    if (registered && map_.cpld) {
      if (cell.resetByClear && cell.resetByTerm)
        problem(name + ": reset by GCLR and by a product term at once (only the term is written)");
      SOPExpression resetTerm = cell.reset.sum;
      if (cell.resetByClear && !resetTerm.terms.empty())
        resetTerm.terms.erase(resetTerm.terms.begin());
      const DecodedLogic presetLogic = cell.preset;
      const bool hasPreset = !presetLogic.isFalse();
      const bool writesReset = exchanged ? hasPreset : cell.resetByTerm;
      const bool writesPreset = exchanged ? cell.resetByTerm : hasPreset;
      if (writesReset) {
        modifiers += " RESET PRODUCT";
        controls += name + ".RESET = " +
                    (exchanged ? logicText(presetLogic, name + ".RESET")
                               : sumText(resetTerm, name + ".RESET")) +
                    ";\n";
      } else if (cell.resetByClear) {
        modifiers += " RESET GCLR";
        declareInput(
            pins_->clearPin, "R_PAD", [](PinDeclaration &d) { d.clear = true; }, "GCLR");
      }
      const DecodedLogic &enable =
          cell.clock == DecodedClock::PRODUCT ? cell.clockTerm : cell.clockEnable;
      if (cell.clock == DecodedClock::PRODUCT || !enable.isConstant() || !enable.constantValue()) {
        modifiers += " CE PRODUCT";
        controls += name + ".CE = " + logicText(enable, name + ".CE") + ";\n";
      }
      if (writesPreset) {
        modifiers += " PRESET PRODUCT";
        controls += name + ".PRESET = " +
                    (exchanged ? sumText(resetTerm, name + ".PRESET")
                               : logicText(presetLogic, name + ".PRESET")) +
                    ";\n";
      }
    } else if (registered && !cell.reset.isFalse()) {
      modifiers += " RESET PRODUCT"; // the GAL22V10B's shared reset term
      controls += name + ".RESET = " + logicText(cell.reset, name + ".RESET") + ";\n";
    }
    if (onPin)
      pinIt->second.modifiers = modifiers;
    else
      nodes_.push_back("NODE " + name + modifiers);

    if (cell.fastInput) {
      const std::optional<std::string> pad =
          reference("M" + std::to_string(cell.number) + "_PAD", name);
      if (pad) {
        body_ += name + " = " + *pad + ";\n";
        config_ += "CONFIG " + name + " FAST_INPUT " + *pad + "\n";
      }
    } else {
      DecodedLogic data = cell.data;
      data.inverted = data.inverted != activeLow;
      body_ += (activeLow ? "!" : "") + name + " = " + logicText(data, name, cell.toggle) + ";\n";
    }
    body_ += controls;
    if (cell.toggle)
      config_ += "CONFIG " + name + " XOR TOGGLE\n";
    if (registered && cell.storage == DecodedStorage::LATCH)
      config_ += "CONFIG " + name + " STORAGE LATCH\n";
    const std::pair<bool, const char *> options[] = {{cell.slewFast, "SLEW FAST"},
                                                     {cell.openDrain, "DRIVER OPEN_DRAIN"},
                                                     {cell.lowPower, "LOW_POWER ON"}};
    for (const auto &[set, option] : options) {
      if (set && onPin)
        config_ += "CONFIG " + name + " " + option + "\n";
      else if (set)
        idleOptions_[option] += (idleOptions_[option].empty() ? "" : ", ") + name;
    }
    if (registered && cell.clock != DecodedClock::PRODUCT)
      clockPolarities_[clockWord(cell.clock)].insert(cell.clockInverted);
    if (registered && cell.resetByClear)
      clearUsed_ = true;
  }

  void globalOE(const std::string &name, int goe) {
    const std::string target = "GOE" + std::to_string(goe);
    config_ += "CONFIG " + name + " GLOBAL_OE " + target + "\n";
    if (!goesWritten_.insert(goe).second)
      return;
    const DecodedGlobalOE &state = map_.globalOEs[static_cast<std::size_t>(goe - 1)];
    if (state.source.empty()) {
      problem(target + " selects no source");
    } else if (const std::optional<std::string> source = reference(state.source, target)) {
      config_ += "CONFIG " + target + " SOURCE " + *source + "\n";
    }
    if (state.inverted)
      config_ += "CONFIG " + target + " INVERT ON\n";
  }

  void writeGlobals() {
    for (const auto &[option, names] : idleOptions_)
      problem(option + " on macrocells that drive no pin, without effect there: " + names);
    for (const auto &[clock, polarities] : clockPolarities_) {
      if (polarities.size() > 1)
        problem("registers on " + clock + " take it in both polarities (only one is written)");
      if (polarities.contains(true))
        config_ += "CONFIG " + clock + " INVERT ON\n";
    }
    if (map_.signature != (arch_ ? restSignature(*arch_) : 0))
      head_ += "SIGNATURE = " + std::to_string(map_.signature) + "\n";
    if (map_.powerDownPD1)
      head_ += "POWER_DOWN PD1\n";
    if (map_.powerDownPD2)
      head_ += "POWER_DOWN PD2\n";
    for (const DecodedSetting &setting : map_.settings) {
      if (setting.isDefault)
        continue;
      const std::string line =
          "CONFIG " + setting.target + " " + setting.option + " " + setting.value + "\n";
      if (setting.target.starts_with("GCLK"))
        continue; // from the registers below
      if (setting.target == "GCLR" && !clearUsed_) {
        head_ +=
            "// NOT EXPRESSIBLE: GCLR INVERT " + setting.value + " but no register uses GCLR\n";
        continue;
      }
      config_ += line;
    }
  }

  const Target &target_;
  const DecodedMap &map_;
  const std::unordered_map<std::string, std::string> &names_;
  const CPLDArchitecture *arch_ = nullptr;
  const CPLDPackage *package_ = nullptr;
  const PackagePins *pins_ = nullptr;
  std::vector<const DecodedCell *> cells_;
  std::map<int, std::string> cellNames_;
  std::map<int, PinDeclaration> pins_declared_;
  std::vector<std::string> nodes_;
  std::set<int> goesWritten_;
  std::map<std::string, std::set<bool>> clockPolarities_;
  std::map<std::string, std::string> idleOptions_; // option: the NODEs that set it
  bool clearUsed_ = false;
  std::string head_;
  std::string body_;
  std::string config_;
};

} // namespace

std::string writeSource(const Target &target, const DecodedMap &map, const std::string &package,
                        const std::unordered_map<std::string, std::string> &names,
                        const std::string &origin) {
  return SourceWriter(target, map, package, names).write(origin);
}

} // namespace gsmith
