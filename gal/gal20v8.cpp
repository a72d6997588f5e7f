// GAL20V8B: pin map, subset check with the combinational feedback-cycle
// search, mode choice and encoding. The fuse writing is the eight-macrocell
// machinery of gal-v8.cpp fed with this chip's layout.
#include "gal/gal20v8.h"

#include "gal/gal-subset.h"
#include "gal/gal-target.h"
#include "gal/gal-v8.h"
#include "model/compile-error.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace gsmith {

namespace {

//                               pin 1........10........20...24
constexpr GALPinRoles kPinRoles("IIIIIIIIIIIPIIOOOOOOOOIP");

} // namespace

const PackagePins GAL20V8Device::kPins{
    .name = "DIP24",
    .pinCount = 24,
    .ioPins = kPinRoles.io,
    .inputPins = kPinRoles.inputs,
    .powerPins = kPinRoles.power,
    .jtagPins = {},
    .clockPins = {1, 0, 0},
    .oePins = {13, 0, 0},
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
    {32, 32, 32}, // pin 10
    {36, 36, 36}, // pin 11
    {N, N, N},    // pin 12: ground
    {38, 38, N},  // pin 13: output enable in registered mode
    {34, 34, 38}, // pin 14
    {30, N, 34},  // pin 15
    {26, 30, 30}, // pin 16
    {22, 26, 26}, // pin 17
    {N, 22, 22},  // pin 18
    {N, 18, 18},  // pin 19
    {18, 14, 14}, // pin 20
    {14, 10, 10}, // pin 21
    {10, N, 6},   // pin 22
    {6, 6, 2},    // pin 23
    {N, N, N},    // pin 24: supply
};

constexpr V8Layout kLayout{
    .device = "GAL20V8B",
    .pins = &GAL20V8Device::kPins,
    .fuseCount = GAL20V8Device::kFuseCount,
    .rowWidth = 40,
    .xorBase = 2560,
    .signatureBase = 2568,
    .ac1Base = 2632,
    .disableBase = 2640,
    .synFuse = 2704,
    .ac0Fuse = 2705,
    .olmc0Pin = 22,
    .columns = kColumns,
    .alwaysDrivenPins = {18, 19},
    .messages =
        {
            .simpleNeedsAlwaysDriven = "SIMPLE mode requires explicit OUTPUT equations on pins 18 "
                                       "and 19 (always-driven pins)",
            .simpleNeedsOEAlways = "SIMPLE mode requires OE ALWAYS on every output",
            .tooManyTerms = "output '{name}' needs {n} product terms; output limit is {limit}",
            .oeTooManyTerms = "output '{name}' .OE needs more than one product term",
            .inputWithoutColumn = "pin {pin} cannot be an INPUT in this mode",
            .noRoute = "signal '{name}' on pin {pin} has no data/feedback route in this mode",
            .simpleFeedback = "SIMPLE mode does not support named output feedback; use COMPLEX or "
                              "REGISTERED mode",
            .rowPrefix = "GAL20V8B encoder: ",
            .fuseCount = "GAL20V8B requires exactly 2706 fuses",
        },
};

[[noreturn]] void fail(const char *message, SourceLocation where = {}) {
  throw CompileError(message, where);
}

// The pins that carry the clock and the output enable in registered mode.
int clockPin() { return GAL20V8Device::kPins.clockPins[0]; }
int oePin() { return GAL20V8Device::kPins.oePins[0]; }

using PinIndex = std::unordered_map<std::string, const PinDefinition *>;
using Edges = std::unordered_map<std::string, std::vector<std::string>>;

bool determineRegisteredMode(const Design &design) {
  const bool anyRegistered = std::any_of(design.pins.begin(), design.pins.end(),
                                         [](const PinDefinition &pin) { return pin.registered; });
  if (!anyRegistered)
    return design.galMode == GALMode::REGISTERED;
  if (design.galMode == GALMode::SIMPLE || design.galMode == GALMode::COMPLEX)
    fail("GAL20V8B: registers require REGISTERED mode", design.galModeLocation);
  return true;
}

// Checks every pin declaration; returns whether pins 1 and 13 were seen as
// the clock and output-enable inputs.
bool checkPins(const Design &design, bool registeredMode) {
  const auto equations = countEquations(design);
  bool clockSeen = false;
  bool oeSeen = false;
  for (const PinDefinition &pin : design.pins) {
    if (pin.reset != ResetSource::NONE || pin.clockEnable || pin.preset)
      fail("GAL20V8B: RESET, CE and PRESET are not supported", pin.location);
    const bool hasClock = pin.clock != ClockSource::NONE;
    const bool hasOE = pin.globalOE != GlobalOEPin::NONE;
    if (pin.direction == PinDirection::OUTPUT) {
      if (pin.registered &&
          (pin.clock != ClockSource::GCLK1 || pin.outputEnable != OutputEnableSource::OE1))
        fail("GAL20V8B: REGISTERED outputs require GCLK1 OE OE1 (shared active-low pin 13)",
             pin.location);
      if (!pin.registered && (hasClock || (pin.outputEnable != OutputEnableSource::ALWAYS &&
                                           pin.outputEnable != OutputEnableSource::PRODUCT)))
        fail("GAL20V8B: combinational outputs require OE ALWAYS or OE PRODUCT", pin.location);
      if (equationsFor(equations, pin.name) != 1)
        throw CompileError("GAL20V8B: output '" + pin.name + "' must have exactly one equation",
                           pin.location);
      continue;
    }
    if (registeredMode && pin.number == oePin()) {
      if (pin.globalOE != GlobalOEPin::GOE1 || hasClock)
        fail("GAL20V8B registered mode: pin 13 must be INPUT GOE1", pin.location);
      oeSeen = true;
    } else if (registeredMode && pin.number == clockPin()) {
      if (pin.clock != ClockSource::GCLK1 || hasOE)
        fail("GAL20V8B registered mode: pin 1 must be INPUT GCLK1", pin.location);
      clockSeen = true;
    } else if (hasClock || hasOE) {
      fail("GAL20V8B: GCLK1 requires pin 1 and GOE1 requires pin 13 in REGISTERED mode",
           pin.location);
    }
  }
  return clockSeen && oeSeen;
}

// Visits every identifier of one equation, node before left before right,
// without recursion so that no expression depth can exhaust the stack.
// Lowering shares each NODE's expansion wherever it is used, so a subtree met
// again is skipped: its names were checked at its first visit, and the edges
// it would add again change neither the cycle search nor its outcome.
void recordDependencies(const std::string &target, const ExpressionPtr &root, const PinIndex &pins,
                        bool registeredMode, Edges &edges) {
  std::vector<const Expression *> pending{root.get()};
  std::unordered_set<const Expression *> visited;
  while (!pending.empty()) {
    const Expression *node = pending.back();
    pending.pop_back();
    if (node == nullptr || !visited.insert(node).second)
      continue;
    if (node->type == ExpressionType::IDENTIFIER) {
      const auto found = pins.find(node->name);
      if (found == pins.end())
        throw CompileError("Undefined signal '" + node->name + "'", node->location);
      const PinDefinition &pin = *found->second;
      if (registeredMode && (pin.number == clockPin() || pin.number == oePin()))
        fail("GAL20V8B: clock/OE data use is not supported in registered mode", node->location);
      if (pin.direction == PinDirection::OUTPUT)
        edges[target].push_back(node->name);
      continue;
    }
    pending.push_back(node->right.get());
    pending.push_back(node->left.get());
  }
}

// Where the data equation of `name` stands.
SourceLocation equationLocation(const Design &design, const std::string &name) {
  for (const Equation &equation : design.equations)
    if (equation.name == name)
      return equation.location;
  return {};
}

// Depth-first search for a loop of combinational outputs; a register on the
// loop breaks it. Iterative, with the visiting order of the recursive form.
// The error points at the equation of the output where the loop is found.
void findFeedbackCycle(const Design &design, const PinIndex &pins, const Edges &edges) {
  std::unordered_set<std::string> finished;
  std::unordered_set<std::string> onPath;
  const std::vector<std::string> noEdges;
  struct Frame {
    const std::string *name;
    const std::vector<std::string> *targets;
    size_t next;
  };

  const auto enter = [&](const std::string &name, std::vector<Frame> &path) {
    if (finished.count(name) != 0)
      return;
    const auto pin = pins.find(name);
    if (pin != pins.end() && pin->second->registered)
      return;
    if (!onPath.insert(name).second)
      throw CompileError("GAL20V8B: combinational feedback cycle at '" + name + "'",
                         equationLocation(design, name));
    const auto out = edges.find(name);
    path.push_back({&name, out == edges.end() ? &noEdges : &out->second, 0});
  };

  for (const Equation &equation : design.equations) {
    std::vector<Frame> path;
    enter(equation.name, path);
    while (!path.empty()) {
      Frame &frame = path.back();
      if (frame.next < frame.targets->size()) {
        const std::string &target = (*frame.targets)[frame.next++];
        enter(target, path);
        continue;
      }
      onPath.erase(*frame.name);
      finished.insert(*frame.name);
      path.pop_back();
    }
  }
}

Mode chooseMode(const Netlist &netlist) {
  if (netlist.galMode == GALMode::AUTO && !GALV8::hasRegisteredOutput(netlist)) {
    const V8FitProblem complex = GALV8::fitError(netlist, Mode::Complex, kLayout);
    if (complex.fits())
      return Mode::Complex;
    const V8FitProblem simple = GALV8::fitError(netlist, Mode::Simple, kLayout);
    if (simple.fits())
      return Mode::Simple;
    // The richer mode's reason is the one to fix first.
    GALV8::refuse("GAL20V8B cannot fit: COMPLEX: " + complex.message +
                      "; SIMPLE: " + simple.message,
                  {complex, simple});
  }
  const Mode mode = GALV8::modeFromWord(netlist.galMode);
  if (const V8FitProblem problem = GALV8::fitError(netlist, mode, kLayout); !problem.fits())
    GALV8::refuse("GAL20V8B cannot fit: " + problem.message, {problem});
  return mode;
}

void checkOutputControls(const Netlist &netlist, Mode mode) {
  std::vector<int> usedPins;
  for (const NetOutput &output : netlist.outputs) {
    if (!GALV8::isPlaceable(output, kLayout, usedPins))
      fail("GAL20V8B encoder: unsupported output configuration");
    if (output.registered) {
      if (mode != Mode::Registered || output.clock != ClockSource::GCLK1 ||
          output.outputEnable != OutputEnableSource::OE1 || output.hasOELogic)
        fail("GAL20V8B encoder: invalid registered controls");
      continue;
    }
    const bool productOE = output.outputEnable == OutputEnableSource::PRODUCT;
    if (output.clock != ClockSource::NONE ||
        (!productOE && output.outputEnable != OutputEnableSource::ALWAYS) ||
        output.hasOELogic != productOE)
      fail("GAL20V8B encoder: invalid combinational controls");
  }
}

} // namespace

void GAL20V8Device::validateSubset(const Design &design) {
  if (!design.nodes.empty())
    fail("Internal error: GAL NODEs must be expanded before validation");
  if (!design.ceEquations.empty() || !design.presetEquations.empty())
    fail("GAL20V8B: CE/PRESET equations are not supported by this architecture",
         firstRegisterControl(design, false));

  const bool registeredMode = determineRegisteredMode(design);
  PinIndex pins;
  for (const PinDefinition &pin : design.pins)
    pins.emplace(pin.name, &pin);
  const bool controlPinsSeen = checkPins(design, registeredMode);
  if (registeredMode && !controlPinsSeen)
    fail("GAL20V8B registered mode requires PIN 1 ... INPUT GCLK1 and PIN 13 ... INPUT GOE1");

  Edges edges;
  for (const Equation &equation : design.equations)
    recordDependencies(equation.name, equation.expression, pins, registeredMode, edges);
  for (const OEEquation &equation : design.oeEquations)
    recordDependencies(equation.name, equation.expression, pins, registeredMode, edges);
  if (design.equations.empty())
    fail("GAL20V8B: at least one output equation is required");
  findFeedbackCycle(design, pins, edges);
}

std::vector<bool> GAL20V8Device::encode(const Netlist &netlist) {
  const Mode mode = chooseMode(netlist);
  checkOutputControls(netlist, mode);
  return GALV8::writeFuses(netlist, mode, kLayout);
}

std::string GAL20V8Device::modeName(const std::vector<bool> &fuses) {
  return GALV8::modeName(fuses, kLayout);
}

const V8Layout &gal20v8Layout() { return kLayout; }

std::string GAL20V8Device::toJEDEC(const std::vector<bool> &fuses) {
  return GALV8::toJEDEC(fuses, kLayout);
}

} // namespace gsmith

namespace gsmith {

namespace {
const GALDevice kDevice{
    .name = "GAL20V8B",
    .family = "GAL20V8",
    .fuseCount = GAL20V8Device::kFuseCount,
    .signatureFuse = 2568,
    .pins = &GAL20V8Device::kPins,
    .features = galFeatures(true),
    .cells = 8,
    .validateSubset = GAL20V8Device::validateSubset,
    .encode = GAL20V8Device::encode,
    .v8Layout = &kLayout,
    .toJEDEC = GAL20V8Device::toJEDEC,
};
} // namespace

const Target &gal20v8Target() {
  static const GALTarget target(kDevice);
  return target;
}

} // namespace gsmith
