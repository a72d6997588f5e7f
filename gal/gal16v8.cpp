// GAL16V8B: pin map, subset check, mode choice and encoding. The fuse
// writing itself is the eight-macrocell machinery of gal-v8.cpp fed with
// this chip's layout.
#include "gal/gal16v8.h"

#include "gal/gal-subset.h"
#include "gal/gal-target.h"
#include "gal/gal-v8.h"
#include "model/compile-error.h"

#include <algorithm>
#include <stdexcept>

namespace gsmith {

namespace {

//                               pin 1........10........20
constexpr GALPinRoles kPinRoles("IIIIIIIIIPIOOOOOOOOP");

} // namespace

const PackagePins GAL16V8Device::kPins{
    .name = "DIP20",
    .pinCount = 20,
    .ioPins = kPinRoles.io,
    .inputPins = kPinRoles.inputs,
    .powerPins = kPinRoles.power,
    .jtagPins = {},
    .clockPins = {1, 0, 0},
    .oePins = {11, 0, 0},
};

namespace {

constexpr int8_t N = kNoColumn;
constexpr PinColumns kColumns[] = {
    // Simple, Complex, Registered
    {2, 2, N},    // pin 1: clock in registered mode
    {0, 0, 0},    // pin 2
    {4, 4, 4},    // pin 3
    {8, 8, 8},    // pin 4
    {12, 12, 12}, // pin 5
    {16, 16, 16}, // pin 6
    {20, 20, 20}, // pin 7
    {24, 24, 24}, // pin 8
    {28, 28, 28}, // pin 9
    {N, N, N},    // pin 10: ground
    {30, 30, N},  // pin 11: output enable in registered mode
    {26, N, 30},  // pin 12
    {22, 26, 26}, // pin 13
    {18, 22, 22}, // pin 14
    {N, 18, 18},  // pin 15
    {N, 14, 14},  // pin 16
    {14, 10, 10}, // pin 17
    {10, 6, 6},   // pin 18
    {6, N, 2},    // pin 19
    {N, N, N},    // pin 20: supply
};

constexpr V8Layout kLayout{
    .device = "GAL16V8B",
    .pins = &GAL16V8Device::kPins,
    .fuseCount = GAL16V8Device::kFuseCount,
    .rowWidth = 32,
    .xorBase = 2048,
    .signatureBase = 2056,
    .ac1Base = 2120,
    .disableBase = 2128,
    .synFuse = 2192,
    .ac0Fuse = 2193,
    .olmc0Pin = 19,
    .columns = kColumns,
    .alwaysDrivenPins = {15, 16},
    .messages =
        {
            .simpleNeedsAlwaysDriven =
                "SIMPLE mode requires outputs on always-driven pins 15 and 16",
            .simpleNeedsOEAlways = "SIMPLE mode requires OE ALWAYS",
            .tooManyTerms = "output '{name}' exceeds its {limit} data terms",
            .oeTooManyTerms = "product OE exceeds one term",
            .inputWithoutColumn = "",
            .noRoute = "signal '{name}' has no route in this mode",
            .simpleFeedback = "SIMPLE mode has no named output feedback",
            .rowPrefix = "GAL16V8B ",
            .fuseCount = "GAL16V8B requires 2194 fuses",
        },
};

[[noreturn]] void fail(const char *message, SourceLocation where = {}) {
  throw CompileError(message, where);
}

} // namespace

void GAL16V8Device::validateSubset(const Design &design) {
  if (!design.nodes.empty())
    fail("Internal error: GAL NODEs must be expanded before validation");
  if (!design.ceEquations.empty() || !design.presetEquations.empty() ||
      !design.resetEquations.empty())
    fail("GAL16V8B does not support CE/PRESET/RESET equations", firstRegisterControl(design, true));

  const bool registeredMode = design.galMode == GALMode::REGISTERED ||
                              std::any_of(design.pins.begin(), design.pins.end(),
                                          [](const PinDefinition &pin) { return pin.registered; });
  const auto equations = countEquations(design);
  bool clockSeen = false;
  bool oeSeen = false;
  for (const PinDefinition &pin : design.pins) {
    if (pin.reset != ResetSource::NONE || pin.clockEnable || pin.preset)
      fail("GAL16V8B does not support RESET, CE or PRESET", pin.location);
    if (pin.direction == PinDirection::OUTPUT) {
      if (pin.registered &&
          (pin.clock != ClockSource::GCLK1 || pin.outputEnable != OutputEnableSource::OE1))
        fail("GAL16V8B registered outputs require GCLK1 OE OE1", pin.location);
      if (!pin.registered && pin.outputEnable != OutputEnableSource::ALWAYS &&
          pin.outputEnable != OutputEnableSource::PRODUCT)
        fail("GAL16V8B combinational OE must be ALWAYS or PRODUCT", pin.location);
      if (equationsFor(equations, pin.name) != 1)
        throw CompileError("GAL16V8B output '" + pin.name + "' must have exactly one equation",
                           pin.location);
      continue;
    }
    // A control pin counts by the role it is there for; a second role declared
    // on it is left to the package checks, whose message names the right pin.
    const bool isClock = pin.number == kPins.clockPins[0] && pin.clock == ClockSource::GCLK1;
    const bool isOE = pin.number == kPins.oePins[0] && pin.globalOE == GlobalOEPin::GOE1;
    if (registeredMode && (isClock || isOE)) {
      clockSeen = clockSeen || isClock;
      oeSeen = oeSeen || isOE;
      continue;
    }
    if (pin.clock != ClockSource::NONE || pin.globalOE != GlobalOEPin::NONE)
      fail("GAL16V8B control pin declaration is invalid", pin.location);
  }
  if (registeredMode && !(clockSeen && oeSeen))
    fail("GAL16V8B registered mode requires pin 1 INPUT GCLK1 and pin 11 INPUT GOE1");
  if (design.equations.empty())
    fail("GAL16V8B requires at least one output equation");
}

std::vector<bool> GAL16V8Device::encode(const Netlist &netlist) {
  Mode mode = GALV8::modeFromWord(netlist.galMode);
  bool chosenByTrial = false;
  if (netlist.galMode == GALMode::AUTO && !GALV8::hasRegisteredOutput(netlist)) {
    for (Mode trial : {Mode::Complex, Mode::Simple}) {
      if (GALV8::fitError(netlist, trial, kLayout).fits()) {
        mode = trial;
        chosenByTrial = true;
        break;
      }
    }
  }
  if (!chosenByTrial) {
    if (const V8FitProblem problem = GALV8::fitError(netlist, mode, kLayout); !problem.fits())
      GALV8::refuse("GAL16V8B cannot fit: " + problem.message, {problem});
  }
  return GALV8::writeFuses(netlist, mode, kLayout);
}

std::string GAL16V8Device::modeName(const std::vector<bool> &fuses) {
  return GALV8::modeName(fuses, kLayout);
}

const V8Layout &gal16v8Layout() { return kLayout; }

std::string GAL16V8Device::toJEDEC(const std::vector<bool> &fuses) {
  return GALV8::toJEDEC(fuses, kLayout);
}

} // namespace gsmith

namespace gsmith {

namespace {
const GALDevice kDevice{
    .name = "GAL16V8B",
    .family = "GAL16V8",
    .fuseCount = GAL16V8Device::kFuseCount,
    .signatureFuse = 2056,
    .pins = &GAL16V8Device::kPins,
    .features = galFeatures(true),
    .cells = 8,
    .validateSubset = GAL16V8Device::validateSubset,
    .encode = GAL16V8Device::encode,
    .v8Layout = &kLayout,
    .toJEDEC = GAL16V8Device::toJEDEC,
};
} // namespace

const Target &gal16v8Target() {
  static const GALTarget target(kDevice);
  return target;
}

} // namespace gsmith
