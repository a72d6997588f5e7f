// Hand-built designs for the CONFIG tests: a small fluent builder and the
// dedicated-pin numbers of the two default packages, so that one test body
// can describe the same design for either CPLD.
#pragma once

#include "frontend/design.h"

#include <memory>
#include <string>

namespace gsmith::testing {

inline ExpressionPtr signal(const std::string &name) {
  auto expression = std::make_shared<Expression>();
  expression->type = ExpressionType::IDENTIFIER;
  expression->name = name;
  return expression;
}

inline ExpressionPtr binary(ExpressionType type, ExpressionPtr left, ExpressionPtr right) {
  auto expression = std::make_shared<Expression>();
  expression->type = type;
  expression->left = std::move(left);
  expression->right = std::move(right);
  return expression;
}

// Dedicated inputs of the default package (ATF1504: PLCC84, ATF1502: PLCC44).
struct DedicatedPins {
  int gclk1;
  int gclk2;
  int gclr;
  int oe1;
};

inline DedicatedPins dedicatedPins(const std::string &device) {
  if (device.rfind("ATF1504", 0) == 0)
    return {83, 2, 1, 84};
  return {43, 2, 1, 44};
}

class DesignBuilder {
public:
  explicit DesignBuilder(std::string device) { design_.device = std::move(device); }

  DesignBuilder &input(int number, const std::string &name, ClockSource clock = ClockSource::NONE,
                       ResetSource reset = ResetSource::NONE,
                       GlobalOEPin globalOE = GlobalOEPin::NONE) {
    PinDefinition pin;
    pin.number = number;
    pin.name = name;
    pin.direction = PinDirection::INPUT;
    pin.clock = clock;
    pin.reset = reset;
    pin.globalOE = globalOE;
    design_.pins.push_back(pin);
    return *this;
  }

  DesignBuilder &output(int number, const std::string &name,
                        OutputEnableSource outputEnable = OutputEnableSource::ALWAYS) {
    PinDefinition pin;
    pin.number = number;
    pin.name = name;
    pin.direction = PinDirection::OUTPUT;
    pin.outputEnable = outputEnable;
    design_.pins.push_back(pin);
    return *this;
  }

  DesignBuilder &registeredOutput(int number, const std::string &name, ClockSource clock,
                                  ResetSource reset = ResetSource::NONE) {
    output(number, name);
    design_.pins.back().registered = true;
    design_.pins.back().clock = clock;
    design_.pins.back().reset = reset;
    return *this;
  }

  DesignBuilder &node(const std::string &name, bool registered = false,
                      ClockSource clock = ClockSource::NONE,
                      ResetSource reset = ResetSource::NONE) {
    NodeDefinition node;
    node.name = name;
    node.registered = registered;
    node.clock = clock;
    node.reset = reset;
    design_.nodes.push_back(node);
    return *this;
  }

  DesignBuilder &equation(const std::string &name, ExpressionPtr expression) {
    design_.equations.push_back(Equation{name, std::move(expression)});
    return *this;
  }

  DesignBuilder &config(const std::string &target, const std::string &option,
                        const std::string &value) {
    design_.configOptions.push_back(ATFConfigOption{target, option, value});
    return *this;
  }

  DesignBuilder &signature(uint64_t value) {
    design_.signature = value;
    design_.hasSignature = true;
    return *this;
  }

  DesignBuilder &powerDown(bool pd1, bool pd2) {
    design_.powerDownPD1 = pd1;
    design_.powerDownPD2 = pd2;
    return *this;
  }

  DesignBuilder &package(const std::string &name) {
    design_.package = name;
    return *this;
  }

  const Design &design() const { return design_; }
  operator const Design &() const { return design_; }

private:
  Design design_;
};

// A design every CONFIG check can find its consumers in: clock and clear
// inputs, two plain inputs a and b on macrocell pins 4 and 5, a registered
// output q (GCLK1, GCLR) on pin 6, a combinational output y on pin 8, a
// combinational node n and registered nodes r (GCLK2) and t (GCLK3).
inline DesignBuilder baseDesign(const std::string &device) {
  const DedicatedPins pins = dedicatedPins(device);
  DesignBuilder builder(device);
  builder.input(pins.gclk1, "clk", ClockSource::GCLK1)
      .input(pins.gclr, "clr", ClockSource::NONE, ResetSource::GCLR)
      .input(4, "a")
      .input(5, "b")
      .registeredOutput(6, "q", ClockSource::GCLK1, ResetSource::GCLR)
      .output(8, "y")
      .node("n")
      .node("r", true, ClockSource::GCLK2)
      .node("t", true, ClockSource::GCLK3)
      .equation("q", signal("a"))
      .equation("y", binary(ExpressionType::AND, signal("a"), signal("b")))
      .equation("n", binary(ExpressionType::OR, signal("a"), signal("b")))
      .equation("r", signal("b"))
      .equation("t", signal("a"));
  return builder;
}

// The per-macrocell CONFIG words and the fuse option each one selects.
struct MacrocellRow {
  const char *option;
  const char *value;
  const char *key;
};

inline constexpr MacrocellRow kMacrocellRows[] = {
    {"SLEW", "FAST", "slew_rate:fast"},
    {"SLEW", "SLOW", "slew_rate:slow"},
    {"DRIVER", "OPEN_DRAIN", "output_driver:open_drain"},
    {"DRIVER", "PUSH_PULL", "output_driver:push_pull"},
    {"LOW_POWER", "ON", "low_power:on"},
    {"LOW_POWER", "OFF", "low_power:off"},
    {"STORAGE", "LATCH", "storage:latch"},
    {"STORAGE", "DFF", "storage:dff"},
};

} // namespace gsmith::testing
