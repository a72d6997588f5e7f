// GAL22V10B: pin map, subset check and the encoding of ten individually
// configured output cells whose data-term counts vary from 8 to 16, and of
// the asynchronous reset term that all registers share.
#include "gal/gal22v10.h"

#include "gal/gal-array.h"
#include "gal/gal-subset.h"
#include "gal/gal-target.h"
#include "model/compile-error.h"
#include "synthesis/logic.h"
#include "target/jedec.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace gsmith {

namespace {

//                               pin 1........10........20...24
constexpr GALPinRoles kPinRoles("IIIIIIIIIIIPIOOOOOOOOOOP");

} // namespace

const PackagePins GAL22V10Device::kPins{
    .name = "DIP24",
    .pinCount = 24,
    .ioPins = kPinRoles.io,
    .inputPins = kPinRoles.inputs,
    .powerPins = kPinRoles.power,
    .jtagPins = {},
    .clockPins = {1, 0, 0},
};

namespace {

constexpr int8_t N = -1;

} // namespace

const GAL22V10Layout GAL22V10Device::kLayout{
    .rowWidth = 44,
    .rowCount = 132,
    .polarityBase = 5808,
    .signatureBase = 5828,
    .cell0Pin = 23,
    .cells =
        {
            {1, 9},    // pin 23
            {10, 11},  // pin 22
            {21, 13},  // pin 21
            {34, 15},  // pin 20
            {49, 17},  // pin 19
            {66, 17},  // pin 18
            {83, 15},  // pin 17
            {98, 13},  // pin 16
            {111, 11}, // pin 15
            {122, 9},  // pin 14
        },
    .columnOfPin =
        {
            N,                                     // (no pin 0)
            0,  4, 8,  12, 16, 20, 24, 28, 32, 36, // pins 1 to 10
            40, N, 42, 38, 34, 30, 26, 22, 18, 14, // pins 11 to 20
            10, 6, 2,  N,                          // pins 21 to 24
        },
};

namespace {

constexpr unsigned kRowWidth = 44;
constexpr unsigned kPolarityBase = 5808; // S0 of cell k at 5808 + 2k, S1 right after
constexpr unsigned kSignatureBase = 5828;
constexpr int kCells = 10;
const auto &kCellRows = GAL22V10Device::kLayout.cells;
const auto &kColumnOfPin = GAL22V10Device::kLayout.columnOfPin;

[[noreturn]] void fail(const char *message, SourceLocation where = {}) {
  throw CompileError(message, where);
}

int cellOfPin(int pin) { return pin >= 14 && pin <= 23 ? 23 - pin : -1; }

bool sameSum(const SOPExpression &a, const SOPExpression &b) {
  return std::equal(a.terms.begin(), a.terms.end(), b.terms.begin(), b.terms.end(),
                    Logic::sameTerm);
}

// The product of row 0: one asynchronous reset for every register, so each
// registered output must ask for the same one (or none does); null when none
// does. Reset sums are simplified, so two single terms are the same function
// exactly when they are the same term.
const SOPExpression *sharedReset(const Netlist &netlist) {
  const NetOutput *first = nullptr;
  for (const NetOutput &output : netlist.outputs) {
    if (!output.registered)
      continue;
    if (output.hasResetLogic && output.resetLogic.terms.size() > 1)
      throw ProductTermShortage("GAL22V10B asynchronous reset of '" + output.name + "' needs " +
                                    std::to_string(output.resetLogic.terms.size()) +
                                    " product terms; the chip's reset is one product term",
                                {output.name});
    if (first == nullptr)
      first = &output;
    if (output.hasResetLogic != first->hasResetLogic ||
        !sameSum(output.resetLogic, first->resetLogic))
      throw CompileError("GAL22V10B has one asynchronous reset term for all its registers: '" +
                         first->name + "' and '" + output.name +
                         "' must have the same .RESET equation (or neither one)");
  }
  return first != nullptr && first->hasResetLogic ? &first->resetLogic : nullptr;
}

} // namespace

void GAL22V10Device::validateSubset(const Design &design) {
  if (!design.nodes.empty())
    fail("Internal error: GAL NODEs must be expanded before validation");
  if (design.galModeDeclared)
    fail("GAL22V10B has individually configured OLMCs; GAL_MODE is not used",
         design.galModeLocation);
  if (!design.ceEquations.empty() || !design.presetEquations.empty())
    fail("GAL22V10B global AR/SP syntax is not yet implemented; CE/PRESET/RESET equations are "
         "rejected",
         firstRegisterControl(design, true));

  const auto equations = countEquations(design);
  bool clockDeclared = false;
  bool anyRegistered = false;
  for (const PinDefinition &pin : design.pins) {
    if (pin.reset == ResetSource::GCLR || pin.clockEnable || pin.preset)
      fail("GAL22V10B RESET, CE and PRESET controls are not yet supported", pin.location);
    if (pin.direction == PinDirection::OUTPUT) {
      anyRegistered = anyRegistered || pin.registered;
      if (pin.registered && pin.clock != ClockSource::GCLK1)
        fail("GAL22V10B registered outputs require GCLK1", pin.location);
      if (pin.outputEnable != OutputEnableSource::DISABLED &&
          pin.outputEnable != OutputEnableSource::ALWAYS &&
          pin.outputEnable != OutputEnableSource::PRODUCT)
        fail("GAL22V10B outputs use ALWAYS, DISABLED or PRODUCT OE", pin.location);
      if (equationsFor(equations, pin.name) != 1)
        throw CompileError("GAL22V10B output '" + pin.name + "' must have exactly one equation",
                           pin.location);
      continue;
    }
    // A global OE role also declared on pin 1 is left to the package checks.
    if (pin.number == kPins.clockPins[0] && pin.clock == ClockSource::GCLK1) {
      clockDeclared = true;
      continue;
    }
    if (pin.clock != ClockSource::NONE || pin.globalOE != GlobalOEPin::NONE)
      fail("GAL22V10B only pin 1 may be GCLK1", pin.location);
  }
  if (anyRegistered && !clockDeclared)
    fail("GAL22V10B registered outputs require pin 1 INPUT GCLK1");
  if (design.equations.empty())
    fail("GAL22V10B requires at least one output equation");
}

std::vector<bool> GAL22V10Device::encode(const Netlist &netlist) {
  std::vector<bool> fuses(kFuseCount, false);
  GALArray::writeSignature(fuses, kSignatureBase, netlist.signature);

  // A cell without an output is made combinational and never enabled: its
  // feedback then comes from the pin, so a spare I/O pin reads as an input.
  // (A registered cell would feed the AND array from its register instead.)
  for (int k = 0; k < kCells; ++k)
    fuses[kPolarityBase + 2 * k + 1] = true;

  std::unordered_map<std::string, const NetSignal *> signals;
  for (const NetSignal &signal : netlist.signals)
    signals.emplace(signal.name, &signal);
  std::unordered_set<std::string> activeLow;
  for (const NetOutput &output : netlist.outputs)
    if (output.activeLow)
      activeLow.insert(output.name);
  const LiteralColumn literalColumn = [&signals, &activeLow](const Literal &literal) {
    const auto found = signals.find(literal.name);
    if (found == signals.end())
      return kNoRoute;
    const NetSignal &signal = *found->second;
    if (signal.pin < 1 || signal.pin > 24 || kColumnOfPin[signal.pin] == N)
      return kNoRoute;
    // A register feeds back its inverted output. The polarity is chosen
    // after the register, so that is the complement of an active-high pin,
    // whose two columns swap, and the value of an active-low one.
    const bool invertedFeedback =
        signal.isOutput && signal.registered && activeLow.count(signal.name) == 0;
    return kColumnOfPin[signal.pin] + (literal.negated != invertedFeedback ? 1 : 0);
  };
  const RowMessages rowMessages{"GAL22V10B product-term overflow", "GAL22V10B no route for "};
  if (const SOPExpression *reset = sharedReset(netlist))
    GALArray::writeSum(fuses, 0, kRowWidth, 1, *reset, literalColumn, rowMessages);

  std::vector<bool> cellUsed(kCells, false);
  // The cell's rows are this GAL's fit: what does not fit them points at the
  // output's equation.
  for (const NetOutput &output : netlist.outputs) {
    locatedAt(output.location, [&] {
      const int k = cellOfPin(output.pin);
      if (output.isNode || k < 0 || cellUsed[k])
        fail("GAL22V10B encoder output placement is invalid");
      cellUsed[k] = true;
      if (output.reset == ResetSource::GCLR || output.clockEnable || output.preset ||
          output.hasCELogic || output.hasPresetLogic ||
          output.hasResetLogic != (output.reset == ResetSource::PRODUCT))
        fail("GAL22V10B RESET, CE and PRESET controls are not yet supported");
      fuses[kPolarityBase + 2 * k] = !output.activeLow;
      fuses[kPolarityBase + 2 * k + 1] = !output.registered;
      // Checked here rather than by the row writer, to name the output short.
      const auto checkRows = [&output](const SOPExpression &sum, size_t rows) {
        if (sum.terms.size() > rows)
          throw ProductTermShortage("GAL22V10B product-term overflow", {output.name});
      };

      const unsigned oeRow = kCellRows[k].firstRow * kRowWidth;
      switch (output.outputEnable) {
      case OutputEnableSource::PRODUCT:
        if (!output.hasOELogic)
          fail("GAL22V10B PRODUCT OE needs an .OE equation");
        checkRows(output.oeLogic, 1);
        GALArray::writeSum(fuses, oeRow, kRowWidth, 1, output.oeLogic, literalColumn, rowMessages);
        break;
      case OutputEnableSource::ALWAYS:
        GALArray::writeTrueRow(fuses, oeRow, kRowWidth);
        break;
      case OutputEnableSource::DISABLED: // the row stays false: never driven
        break;
      default:
        fail("GAL22V10B outputs use ALWAYS, DISABLED or PRODUCT OE");
      }
      checkRows(output.sum, kCellRows[k].rows - 1);
      GALArray::writeSum(fuses, oeRow + kRowWidth, kRowWidth, kCellRows[k].rows - 1, output.sum,
                         literalColumn, rowMessages);
    });
  }
  return fuses;
}

std::string GAL22V10Device::toJEDEC(const std::vector<bool> &fuses) {
  if (fuses.size() != kFuseCount)
    fail("GAL22V10B requires 5892 fuses");
  return Jedec::document("\nGatesmith GAL22V10B DIP24\n*\nQF5892*\nF0*\nG0*\n", fuses,
                         JedecLineFormat{32, 4}, "", TransmissionChecksum::COMPUTED);
}

} // namespace gsmith

namespace gsmith {

namespace {
// The chip's reset term makes RESET PRODUCT and .RESET available.
constexpr LanguageFeatures kFeatures = [] {
  LanguageFeatures features = galFeatures(false);
  features.productReset = true;
  return features;
}();

const GALDevice kDevice{
    .name = "GAL22V10B",
    .family = "GAL22V10",
    .fuseCount = GAL22V10Device::kFuseCount,
    .signatureFuse = 5828,
    .pins = &GAL22V10Device::kPins,
    .features = kFeatures,
    .cells = 10,
    .validateSubset = GAL22V10Device::validateSubset,
    .encode = GAL22V10Device::encode,
    .v10Layout = &GAL22V10Device::kLayout,
    .toJEDEC = GAL22V10Device::toJEDEC,
};
} // namespace

const Target &gal22v10Target() {
  static const GALTarget target(kDevice);
  return target;
}

} // namespace gsmith
