// What the front end asks of the device a design names: which statements the
// device takes, where its pins are, and the checks only the device can make.
// The front end knows no device; the target registry answers through these.
#pragma once

#include "model/design.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace gsmith {

// The pins of one package, laid out as a pin table reads. A pin number of 0
// in a list means "none" (a buried macrocell, a missing global input).
struct PackagePins {
  std::string_view name;
  int pinCount = 0;
  std::span<const int> ioPins;
  std::span<const int> inputPins; // dedicated inputs
  std::span<const int> powerPins;
  std::span<const int> jtagPins;
  std::array<int, 3> clockPins{};     // GCLK1, GCLK2, GCLK3
  std::array<int, 3> oePins{};        // GOE1, GOE2, GOE6
  int clearPin = 0;                   // GCLR
  std::array<int, 2> powerDownPins{}; // PD1, PD2
};

// The package questions of semantic analysis and the back ends.
class DeviceModel {
public:
  explicit DeviceModel(const PackagePins &pins) : pins_(&pins) {}

  int packagePinCount() const { return pins_->pinCount; }
  std::string_view packageName() const { return pins_->name; }
  bool isIOPin(int pin) const { return listed(pins_->ioPins, pin); }
  bool isDedicatedInputPin(int pin) const { return listed(pins_->inputPins, pin); }
  bool isPowerPin(int pin) const { return listed(pins_->powerPins, pin); }
  bool isJTAGPin(int pin) const { return listed(pins_->jtagPins, pin); }
  // The physical pin of a global input, 0 when the package has none.
  int globalClockPin(ClockSource clock) const;
  int globalOEPin(GlobalOEPin oe) const;
  int globalClearPin() const { return pins_->clearPin; }
  // 1 selects PD1, 2 PD2; 0 when the package has no such pin.
  int powerDownPin(int which) const;
  const PackagePins &pins() const { return *pins_; }

private:
  static bool listed(std::span<const int> pins, int pin);

  const PackagePins *pins_;
};

// The statements and modifiers a device takes. Defaults describe a device
// the registry does not know, so that the parser's wording stays the same
// whatever the DEVICE line says.
struct LanguageFeatures {
  bool packageStatement = false;      // PACKAGE
  bool galModeStatement = false;      // GAL_MODE
  bool powerDown = false;             // POWER_DOWN
  bool productReset = true;           // RESET PRODUCT and .RESET
  bool registeredNodes = true;        // NODE name REGISTERED ...
  bool nodeRegisterControls = false;  // CE/PRESET PRODUCT on a NODE without RESET
  bool strayTokenNamesDevice = false; // "Unexpected <device> token '...'"
  bool wideSignature = false;         // SIGNATURE beyond 16 bits
};

// The device-specific half of semantic analysis, called at fixed points of
// its order so that a design with several problems keeps one message.
class DeviceRules {
public:
  virtual ~DeviceRules() = default;
  virtual const LanguageFeatures &features() const = 0;
  // The CONFIG statements.
  virtual void checkConfig(const Design &design) const = 0;
  // The package the design selects (empty: the default one); throws for a
  // package the device does not come in.
  virtual DeviceModel packageModel(const std::string &package) const = 0;
  // What the device cannot implement of an otherwise valid design.
  virtual void checkSubset(const Design &design) const = 0;
};

} // namespace gsmith
