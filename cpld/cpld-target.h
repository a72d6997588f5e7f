// The CPLDs as targets: one implementation driven by a device's
// architecture record. The registry makes one per DEVICE name.
#pragma once

#include "cpld/architecture.h"
#include "target/target.h"

namespace gsmith {

class CPLDTarget final : public Target {
public:
  CPLDTarget(std::string_view name, const CPLDArchitecture &arch) : name_(name), arch_(arch) {}

  std::string_view name() const override { return name_; }
  std::size_t fuseCount() const override { return arch_.fuseCount; }
  const LanguageFeatures &features() const override { return arch_.features; }
  void checkConfig(const Design &design) const override;
  DeviceModel packageModel(const std::string &package) const override;
  void checkSubset(const Design &design) const override;
  SynthesisOptions synthesisOptions() const override { return {true, arch_.xorSplit}; }
  CompiledJEDEC compile(const Design &design, const Netlist &netlist,
                        std::ostream &log) const override;
  const InstallMessages &installMessages() const override { return arch_.messages.install; }
  JEDECFacts jedecFacts() const override {
    return {arch_.messages.device,
            static_cast<std::size_t>(arch_.signatureFuse + 7),
            16,
            arch_.flash,
            nullptr,
            nullptr,
            &arch_};
  }

  const CPLDArchitecture &architecture() const { return arch_; }

private:
  std::string_view name_;
  const CPLDArchitecture &arch_;
};

} // namespace gsmith
