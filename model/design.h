// The in-memory form of one parsed source file. The parser fills a Design,
// node lowering derives a new one from it, and every later stage only reads
// it. Records are plain values with no knowledge of any device; expression
// trees are immutable once built and shared through shared_ptr so that
// lowering can reuse subtrees freely.
#pragma once

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
};

struct NodeDefinition {
  std::string name;
  bool registered = false;
  ClockSource clock = ClockSource::NONE;
  ResetSource reset = ResetSource::NONE;
  bool clockEnable = false;
  bool preset = false;
};

struct Equation {
  std::string name;
  ExpressionPtr expression;
  // Written "!name = expression": the signal is the complement of the
  // expression, which the output cell's inverter provides.
  bool activeLow = false;
};

struct OEEquation {
  std::string name;
  ExpressionPtr expression;
};

struct CEEquation {
  std::string name;
  ExpressionPtr expression;
};

struct PresetEquation {
  std::string name;
  ExpressionPtr expression;
};

struct ATFConfigOption {
  std::string target;
  std::string option;
  std::string value;
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
};

} // namespace gsmith
