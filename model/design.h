// The in-memory form of one parsed source file. The parser fills a Design,
// node lowering derives a new one from it, and every later stage only reads
// it. Records are plain values with no knowledge of any device; expression
// trees are immutable once built and shared through shared_ptr so that
// lowering can reuse subtrees freely. Every record remembers where it was
// written (0: unknown), for the messages that point at it.
#pragma once

#include "model/source-location.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace gsmith {

enum class ClockSource : int32_t { NONE = 0, GCLK1 = 1, GCLK2 = 2, GCLK3 = 3 };
enum class OutputEnableSource : int32_t {
  DISABLED = 0,
  ALWAYS = 1,
  OE1 = 2,
  OE2 = 3,
  GOE6 = 4,
  PRODUCT = 5
};
enum class ResetSource : int32_t { NONE = 0, GCLR = 1, PRODUCT = 2 };
enum class GlobalOEPin : int32_t { NONE = 0, GOE1 = 1, GOE2 = 2, GOE6 = 3 };
enum class PinDirection : int32_t { INPUT = 0, OUTPUT = 1 };

// The word of a GAL_MODE statement.
enum class GALMode : int32_t { AUTO, SIMPLE, COMPLEX, REGISTERED };

enum class ExpressionType : int32_t {
  IDENTIFIER = 0,
  CONSTANT = 1,
  NOT = 2,
  AND = 3,
  OR = 4,
  XOR = 5
};

struct Expression {
  ExpressionType type = ExpressionType::IDENTIFIER;
  std::string name;
  bool value = false;
  std::shared_ptr<Expression> left;
  std::shared_ptr<Expression> right;
  SourceLocation location; // the signal, constant or operator
};

using ExpressionPtr = std::shared_ptr<Expression>;

struct PinDefinition {
  int number = 0;
  std::string name;
  PinDirection direction = PinDirection::INPUT;
  bool registered = false;
  ClockSource clock = ClockSource::NONE;
  ResetSource reset = ResetSource::NONE;
  bool clockEnable = false;
  bool preset = false;
  OutputEnableSource outputEnable = OutputEnableSource::ALWAYS;
  GlobalOEPin globalOE = GlobalOEPin::NONE;
  SourceLocation location; // the PIN keyword
};

struct NodeDefinition {
  std::string name;
  bool registered = false;
  ClockSource clock = ClockSource::NONE;
  ResetSource reset = ResetSource::NONE;
  bool clockEnable = false;
  bool preset = false;
  SourceLocation location; // the NODE keyword
};

// The location of an equation is that of the name it drives.
struct Equation {
  std::string name;
  ExpressionPtr expression;
  // Written "!name = expression": the signal is the complement of the
  // expression, which the output cell's inverter provides.
  bool activeLow = false;
  SourceLocation location;
};

struct OEEquation {
  std::string name;
  ExpressionPtr expression;
  SourceLocation location;
};

struct CEEquation {
  std::string name;
  ExpressionPtr expression;
  SourceLocation location;
};

struct PresetEquation {
  std::string name;
  ExpressionPtr expression;
  SourceLocation location;
};

struct ATFConfigOption {
  std::string target;
  std::string option;
  std::string value;
  SourceLocation location; // the CONFIG keyword
};

struct Design {
  std::string device;
  std::string package;
  uint64_t signature = 0;
  GALMode galMode = GALMode::AUTO;
  bool galModeDeclared = false;
  bool hasSignature = false;
  bool powerDownPD1 = false;
  bool powerDownPD2 = false;
  std::vector<ATFConfigOption> configOptions;
  std::vector<PinDefinition> pins;
  std::vector<Equation> equations;
  std::vector<OEEquation> oeEquations;
  std::vector<CEEquation> ceEquations;
  std::vector<PresetEquation> presetEquations;
  std::vector<Equation> resetEquations;
  std::vector<NodeDefinition> nodes;

  // The statements a design makes at most once.
  SourceLocation deviceLocation;    // the device name
  SourceLocation packageLocation;   // the package name
  SourceLocation galModeLocation;   // the GAL_MODE keyword
  SourceLocation signatureLocation; // the SIGNATURE value
  SourceLocation powerDownLocation; // the first POWER_DOWN keyword
};

} // namespace gsmith
