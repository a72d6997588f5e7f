// The GAL devices as targets: one record per chip (its package, what it takes
// of the language, its checks and encoder) drives one Target implementation.
#pragma once

#include "frontend/device-rules.h"
#include "model/design.h"
#include "model/netlist.h"
#include "target/target.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gsmith {

// Pin roles, one letter per package pin starting at pin 1: 'I' dedicated
// input, 'O' input/output, 'P' power. Expanded at compile time into the pin
// lists of a PackagePins record.
struct GALPinRoles {
  std::array<int, 24> io{};
  std::array<int, 24> inputs{};
  std::array<int, 24> power{};

  constexpr explicit GALPinRoles(std::string_view roles) {
    int io_ = 0, input = 0, supply = 0;
    for (int pin = 1; pin <= static_cast<int>(roles.size()); ++pin) {
      const char role = roles[pin - 1];
      if (role == 'O')
        io[io_++] = pin;
      else if (role == 'I')
        inputs[input++] = pin;
      else if (role == 'P')
        power[supply++] = pin;
    }
  }
};

struct GALDevice {
  std::string_view name;
  std::string_view family; // as JEDEC headers name it, without the speed grade
  std::size_t fuseCount;
  std::size_t signatureFuse; // 64 bits, most significant first
  const PackagePins *pins;
  LanguageFeatures features;
  int cells; // output logic macrocells, the capacity in the resource summary
  void (*validateSubset)(const Design &design);
  std::vector<bool> (*encode)(const Netlist &netlist);
  const V8Layout *v8Layout = nullptr;        // GAL16V8B, GAL20V8B
  const GAL22V10Layout *v10Layout = nullptr; // GAL22V10B
  std::string (*toJEDEC)(const std::vector<bool> &fuses);
};

// What every GAL takes of the language: no packages or power-down, no
// registered NODEs (NODEs are substituted), 64-bit signatures.
inline constexpr LanguageFeatures galFeatures(bool galMode) {
  LanguageFeatures features;
  features.galModeStatement = galMode;
  features.productReset = false;
  features.registeredNodes = false;
  features.strayTokenNamesDevice = true;
  features.wideSignature = true;
  return features;
}

class GALTarget final : public Target {
public:
  explicit GALTarget(const GALDevice &device) : device_(device) {}

  std::string_view name() const override { return device_.name; }
  std::size_t fuseCount() const override { return device_.fuseCount; }
  const LanguageFeatures &features() const override { return device_.features; }
  void checkConfig(const Design &design) const override;
  DeviceModel packageModel(const std::string &package) const override;
  void checkSubset(const Design &design) const override { device_.validateSubset(design); }
  Design lowerNodes(const Design &design, Budgeting budgeting) const override;
  SynthesisOptions synthesisOptions() const override { return {}; }
  CompiledJEDEC compile(const Design &design, const Netlist &netlist,
                        std::ostream &log) const override;
  const InstallMessages &installMessages() const override;
  JEDECFacts jedecFacts() const override {
    return {device_.family,   device_.signatureFuse, 64,     nullptr,
            device_.v8Layout, device_.v10Layout,     nullptr};
  }

private:
  const GALDevice &device_;
};

const Target &gal16v8Target();
const Target &gal20v8Target();
const Target &gal22v10Target();

// Substitutes every NODE of a GAL design into the equations that read it
// (and into its .RESET equations when the chip takes them) and, unless told
// to leave that to synthesis, bounds the size of the later sum-of-products
// expansion.
Design lowerGALNodes(const Design &design, bool resetEquations = false,
                     Budgeting budgeting = Budgeting::MEASURE);

} // namespace gsmith
