// The machinery shared by the two eight-macrocell GALs. The GAL16V8B and the
// GAL20V8B have the same architecture modes, the same output cell and the
// same fuse layout on differently sized AND arrays; everything that differs
// (geometry, input columns, always-driven pins, message wording) lives in a
// V8Layout, and the trial fit, fuse writing and JEDEC rendering live here.
#pragma once

#include "frontend/device-rules.h"
#include "model/netlist.h"
#include "model/source-location.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gsmith {

enum class Mode { Simple = 0, Complex = 1, Registered = 2 };

// Input column of one pin in each mode; kNoColumn where the pin cannot feed
// the AND array.
inline constexpr int8_t kNoColumn = -1;
struct PinColumns {
  int8_t simple;
  int8_t complex;
  int8_t registered;
};

// Message templates; {name}, {pin}, {n} and {limit} are filled in.
struct V8Messages {
  std::string_view simpleNeedsAlwaysDriven;
  std::string_view simpleNeedsOEAlways;
  std::string_view tooManyTerms;
  std::string_view oeTooManyTerms;
  std::string_view inputWithoutColumn; // empty: inputs are not checked
  std::string_view noRoute;
  std::string_view simpleFeedback;
  std::string_view rowPrefix; // leads the overflow and no-route texts
  std::string_view fuseCount; // wrong vector size
};

struct V8Layout {
  std::string_view device;
  const PackagePins *pins; // its GCLK1 and GOE1 pins have no column in registered mode
  unsigned fuseCount;
  unsigned rowWidth;
  unsigned xorBase;
  unsigned signatureBase;
  unsigned ac1Base;
  unsigned disableBase;
  unsigned synFuse;
  unsigned ac0Fuse;
  int olmc0Pin;                        // OLMC n serves pin olmc0Pin - n
  std::span<const PinColumns> columns; // pin 1 first
  int alwaysDrivenPins[2];
  V8Messages messages;
};

// Why a netlist does not fit a mode: the first reason (empty when it fits)
// and, when that is a sum larger than its rows, the output it belongs to.
struct V8FitProblem {
  std::string message;
  SourceLocation location;
  std::string shortOutput;

  bool fits() const { return message.empty(); }
};

class GALV8 {
public:
  static constexpr unsigned kOLMCs = 8;
  static constexpr unsigned kRowsPerOLMC = 8;

  // The mode a GAL_MODE word asks for; AUTO asks for registered mode here
  // (the trial of the other modes is the device's choice).
  static Mode modeFromWord(GALMode word);
  static bool hasRegisteredOutput(const Netlist &netlist);
  // The first reason the netlist does not fit `mode`, at the output or pin
  // it concerns.
  static V8FitProblem fitError(const Netlist &netlist, Mode mode, const V8Layout &layout);
  // Throws `message` at the first known place of `problems`: a
  // ProductTermShortage naming the short outputs when any of them lacks
  // terms, a plain CompileError otherwise.
  [[noreturn]] static void refuse(const std::string &message,
                                  std::initializer_list<V8FitProblem> problems);
  // The complete fuse array of a netlist that fits `mode`.
  static std::vector<bool> writeFuses(const Netlist &netlist, Mode mode, const V8Layout &layout);
  static std::string modeName(const std::vector<bool> &fuses, const V8Layout &layout);
  static std::string toJEDEC(const std::vector<bool> &fuses, const V8Layout &layout);
  // Input column of `pin` in `mode`, or kNoColumn.
  static int column(const V8Layout &layout, int pin, Mode mode);
  static bool isOLMCPin(const V8Layout &layout, int pin);
  // Whether an output can occupy its own cell: a pin with an OLMC that no
  // earlier output (recorded in `usedPins`) took, and none of the register
  // controls these chips lack.
  static bool isPlaceable(const NetOutput &output, const V8Layout &layout,
                          std::vector<int> &usedPins);
};

// The layouts of the two chips, for readers of their fuse maps.
const V8Layout &gal16v8Layout();
const V8Layout &gal20v8Layout();

// Replaces each {key} of `text` by its value.
std::string fillMessage(std::string_view text,
                        std::initializer_list<std::pair<std::string_view, std::string>> values);

} // namespace gsmith
