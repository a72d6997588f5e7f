// Trial fit, fuse writing and JEDEC rendering of the GAL16V8B and GAL20V8B.
#include "gal/gal-v8.h"

#include "gal/gal-array.h"
#include "model/compile-error.h"
#include "target/jedec.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

namespace gsmith {

std::string fillMessage(std::string_view text,
                        std::initializer_list<std::pair<std::string_view, std::string>> values) {
  std::string result;
  size_t i = 0;
  while (i < text.size()) {
    bool replaced = false;
    if (text[i] == '{') {
      for (const auto &[key, value] : values) {
        if (text.compare(i + 1, key.size(), key) != 0 || i + 1 + key.size() >= text.size() ||
            text[i + 1 + key.size()] != '}')
          continue;
        result += value;
        i += key.size() + 2;
        replaced = true;
        break;
      }
    }
    if (!replaced)
      result += text[i++];
  }
  return result;
}

namespace {

using SignalIndex = std::unordered_map<std::string, const NetSignal *>;

SignalIndex indexSignals(const Netlist &netlist) {
  SignalIndex index;
  for (const NetSignal &signal : netlist.signals)
    index.emplace(signal.name, &signal);
  return index;
}

// A combinational cell outside simple mode spends its first row on the
// output enable, leaving seven rows for data.
bool hasEnableRow(const NetOutput &output, Mode mode) {
  return mode != Mode::Simple && !output.registered;
}

// The first problem with one literal of an output's logic: a pin without a
// column points at the pin, a use the mode forbids at the output's equation.
LocatedMessage literalError(const Literal &literal, const NetOutput &output, Mode mode,
                            const SignalIndex &signals, const V8Layout &layout) {
  const V8Messages &text = layout.messages;
  const auto found = signals.find(literal.name);
  if (found == signals.end())
    return {"unknown signal '" + literal.name + "'", output.location};
  const NetSignal &signal = *found->second;
  if (GALV8::column(layout, signal.pin, mode) == kNoColumn)
    return {
        fillMessage(text.noRoute, {{"name", literal.name}, {"pin", std::to_string(signal.pin)}}),
        signal.location};
  if (mode == Mode::Simple && signal.isOutput)
    return {std::string(text.simpleFeedback), output.location};
  return {};
}

LocatedMessage sumError(const SOPExpression &sum, const NetOutput &output, Mode mode,
                        const SignalIndex &signals, const V8Layout &layout) {
  for (const ProductTerm &term : sum.terms)
    for (const Literal &literal : term)
      if (LocatedMessage error = literalError(literal, output, mode, signals, layout);
          !error.text.empty())
        return error;
  return {};
}

} // namespace

Mode GALV8::modeFromWord(GALMode word) {
  if (word == GALMode::SIMPLE)
    return Mode::Simple;
  if (word == GALMode::COMPLEX)
    return Mode::Complex;
  return Mode::Registered;
}

bool GALV8::hasRegisteredOutput(const Netlist &netlist) {
  for (const NetOutput &output : netlist.outputs)
    if (output.registered)
      return true;
  return false;
}

int GALV8::column(const V8Layout &layout, int pin, Mode mode) {
  if (pin < 1 || static_cast<size_t>(pin) > layout.columns.size())
    return kNoColumn;
  const PinColumns &row = layout.columns[static_cast<size_t>(pin) - 1];
  switch (mode) {
  case Mode::Simple:
    return row.simple;
  case Mode::Complex:
    return row.complex;
  case Mode::Registered:
    return row.registered;
  }
  return kNoColumn;
}

bool GALV8::isOLMCPin(const V8Layout &layout, int pin) {
  return pin <= layout.olmc0Pin && pin > layout.olmc0Pin - static_cast<int>(kOLMCs);
}

bool GALV8::isPlaceable(const NetOutput &output, const V8Layout &layout,
                        std::vector<int> &usedPins) {
  if (output.isNode || !isOLMCPin(layout, output.pin) ||
      std::find(usedPins.begin(), usedPins.end(), output.pin) != usedPins.end())
    return false;
  usedPins.push_back(output.pin);
  return output.reset == ResetSource::NONE && !output.clockEnable && !output.preset &&
         !output.hasCELogic && !output.hasPresetLogic && !output.hasResetLogic;
}

void GALV8::refuse(const std::string &message, std::initializer_list<V8FitProblem> problems) {
  std::vector<std::string> shortOutputs;
  SourceLocation where;
  for (const V8FitProblem &problem : problems) {
    if (!problem.shortOutput.empty())
      shortOutputs.push_back(problem.shortOutput);
    if (!where.known())
      where = problem.location;
  }
  if (shortOutputs.empty())
    throw CompileError(message, where);
  throw ProductTermShortage(message, std::move(shortOutputs), where);
}

V8FitProblem GALV8::fitError(const Netlist &netlist, Mode mode, const V8Layout &layout) {
  const V8Messages &text = layout.messages;
  if (netlist.outputs.empty() && mode == Mode::Simple)
    return {std::string(text.simpleNeedsAlwaysDriven), {}, ""};

  for (const NetOutput &output : netlist.outputs) {
    const SourceLocation at = output.location;
    if (output.registered && mode != Mode::Registered)
      return {"registers require REGISTERED mode", at, ""};
    if (mode == Mode::Simple && output.outputEnable != OutputEnableSource::ALWAYS)
      return {std::string(text.simpleNeedsOEAlways), at, ""};
    const size_t limit = hasEnableRow(output, mode) ? 7 : 8;
    if (output.sum.terms.size() > limit)
      return {fillMessage(text.tooManyTerms, {{"name", output.name},
                                              {"n", std::to_string(output.sum.terms.size())},
                                              {"limit", std::to_string(limit)}}),
              at, output.name};
    if (output.hasOELogic && output.oeLogic.terms.size() >= 2)
      return {fillMessage(text.oeTooManyTerms, {{"name", output.name}}), at, output.name};
  }

  if (mode == Mode::Simple) {
    for (int pin : layout.alwaysDrivenPins) {
      bool driven = false;
      for (const NetOutput &output : netlist.outputs)
        driven = driven || (!output.isNode && output.pin == pin);
      if (!driven)
        return {std::string(text.simpleNeedsAlwaysDriven), {}, ""};
    }
  }

  if (!text.inputWithoutColumn.empty()) {
    for (const NetSignal &signal : netlist.signals) {
      if (signal.isOutput)
        continue;
      const bool controlPin =
          signal.pin == layout.pins->clockPins[0] || signal.pin == layout.pins->oePins[0];
      if (mode == Mode::Registered && controlPin)
        continue;
      if (column(layout, signal.pin, mode) == kNoColumn)
        return {fillMessage(text.inputWithoutColumn, {{"pin", std::to_string(signal.pin)}}),
                signal.location, ""};
    }
  }

  const SignalIndex signals = indexSignals(netlist);
  for (const NetOutput &output : netlist.outputs) {
    for (const SOPExpression *logic : {&output.sum, &output.oeLogic})
      if (LocatedMessage error = sumError(*logic, output, mode, signals, layout);
          !error.text.empty())
        return {error.text, error.location, ""};
  }
  return {};
}

std::vector<bool> GALV8::writeFuses(const Netlist &netlist, Mode mode, const V8Layout &layout) {
  std::vector<bool> fuses(layout.fuseCount, false);
  for (unsigned n = 0; n < kOLMCs; ++n)
    fuses[layout.ac1Base + n] = true;
  for (unsigned row = 0; row < kOLMCs * kRowsPerOLMC; ++row)
    fuses[layout.disableBase + row] = true;
  fuses[layout.synFuse] = mode != Mode::Registered;
  fuses[layout.ac0Fuse] = mode != Mode::Simple;
  GALArray::writeSignature(fuses, layout.signatureBase, netlist.signature);

  std::unordered_map<std::string, int> columns;
  for (const NetSignal &signal : netlist.signals)
    if (const int c = column(layout, signal.pin, mode); c != kNoColumn)
      columns.emplace(signal.name, c);
  const LiteralColumn literalColumn = [&columns](const Literal &literal) {
    const auto found = columns.find(literal.name);
    if (found == columns.end())
      return kNoRoute;
    return found->second + (literal.negated ? 1 : 0);
  };
  const std::string prefix(layout.messages.rowPrefix);
  const RowMessages rowMessages{prefix + "product-term overflow", prefix + "no route for "};

  std::vector<int> usedPins;
  for (const NetOutput &output : netlist.outputs) {
    // The encoder never drops logic it cannot place, whatever let it through.
    if (!isPlaceable(output, layout, usedPins))
      throw CompileError(std::string(layout.device) + " encoder: unsupported output configuration");
    const unsigned olmc = static_cast<unsigned>(layout.olmc0Pin - output.pin);
    const unsigned base = olmc * kRowsPerOLMC * layout.rowWidth;
    // The polarity gate sits before the register, whose inverted output
    // drives both the pin and the feedback: an active-low register stores
    // the sum itself, and every feedback column reads the pin's value.
    fuses[layout.xorBase + olmc] = !output.activeLow;
    if (!hasEnableRow(output, mode)) {
      fuses[layout.ac1Base + olmc] = false;
      GALArray::writeSum(fuses, base, layout.rowWidth, kRowsPerOLMC, output.sum, literalColumn,
                         rowMessages);
      continue;
    }
    if (output.hasOELogic)
      GALArray::writeSum(fuses, base, layout.rowWidth, 1, output.oeLogic, literalColumn,
                         rowMessages);
    else
      GALArray::writeTrueRow(fuses, base, layout.rowWidth);
    GALArray::writeSum(fuses, base + layout.rowWidth, layout.rowWidth, kRowsPerOLMC - 1, output.sum,
                       literalColumn, rowMessages);
  }
  return fuses;
}

std::string GALV8::modeName(const std::vector<bool> &fuses, const V8Layout &layout) {
  if (fuses.size() != layout.fuseCount)
    throw CompileError(std::string(layout.messages.fuseCount));
  if (!fuses[layout.synFuse])
    return "registered";
  return fuses[layout.ac0Fuse] ? "complex" : "simple";
}

std::string GALV8::toJEDEC(const std::vector<bool> &fuses, const V8Layout &layout) {
  const std::string header = "\nGatesmith " + std::string(layout.device) + " " +
                             std::string(layout.pins->name) + " - " + modeName(fuses, layout) +
                             " mode\n*\nQF" + std::to_string(layout.fuseCount) + "*\nF0*\nG0*\n";
  return Jedec::document(header, fuses, JedecLineFormat{32, 4}, "", TransmissionChecksum::COMPUTED);
}

} // namespace gsmith
