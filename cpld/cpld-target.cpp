// The CPLD compile step: fit (reporting every reason a design does not fit),
// encode onto the device's rest state, apply CONFIG, render.
#include "cpld/cpld-target.h"

#include "cpld/config.h"
#include "cpld/encoder.h"
#include "cpld/fitter.h"
#include "cpld/register-polarity.h"
#include "model/compile-error.h"

#include <algorithm>
#include <ostream>

namespace gsmith {

namespace {

// Prints the fit report; on failure throws `summary` carrying every reason,
// which the driver lists below the report (as a ProductTermShortage when some
// output lacked terms).
void reportFit(const FitResult &fit, int capacity, std::string_view summary, std::ostream &log) {
  if (!fit.success) {
    log << "Fitting... FAILED\n";
    if (!fit.shortOfTerms.empty())
      throw ProductTermShortage(std::string(summary), fit.shortOfTerms, fit.errors);
    throw CompileError(std::string(summary), fit.errors);
  }
  int productTerms = 0;
  for (const FittedOutput &output : fit.outputs)
    productTerms += output.productTerms;
  const int fitted = static_cast<int>(fit.outputs.size());
  log << "Fitting... OK\n";
  printResourceSummary(log, fitted, capacity, productTerms, fitted);
}

// A global output enable whose multiplexer offers no known source cannot be
// given one, so a design that needs it is refused before anything is fitted.
void requireKnownGOE(const CPLDArchitecture &arch, int goe) {
  const std::span<const SignalSource> sources =
      arch.globalOEs[static_cast<size_t>(goe - 1)].sources;
  if (std::none_of(sources.begin(), sources.end(),
                   [](const SignalSource &source) { return source.kind != SourceKind::UNUSED; }))
    throw CompileError(std::string(arch.messages.device) +
                       " global output enables are not supported yet: use OE PRODUCT");
}

int goeNumber(const std::string &name) { return name.back() - '0'; }

} // namespace

void CPLDTarget::checkConfig(const Design &design) const {
  for (const ATFConfigOption &entry : design.configOptions) {
    if (ATFConfig::isGOE(entry.target))
      requireKnownGOE(arch_, goeNumber(entry.target));
    if (entry.option == "GLOBAL_OE" && ATFConfig::isGOE(entry.value))
      requireKnownGOE(arch_, goeNumber(entry.value));
  }
  ATFConfig::validate(design, arch_);
}

void CPLDTarget::checkSubset(const Design &design) const {
  for (const PinDefinition &pin : design.pins)
    for (const PackageOERoute &route : arch_.packageOERoutes)
      if (pin.direction == PinDirection::OUTPUT && pin.outputEnable == route.clause &&
          route.goe > 0)
        requireKnownGOE(arch_, route.goe);
  checkActiveLowRegisters(design, arch_.messages.device);
}

DeviceModel CPLDTarget::packageModel(const std::string &package) const {
  return DeviceModel(findPackage(arch_, package).pins);
}

CompiledJEDEC CPLDTarget::compile(const Design &design, const Netlist &source,
                                  std::ostream &log) const {
  const CPLDPackage &package = findPackage(arch_, design.package);
  Chip chip(arch_, package);
  const std::optional<Netlist> stored = withRegistersAsStored(source, arch_.messages.device);
  const Netlist &netlist = stored ? *stored : source;
  const FitResult fit = Fitter::fit(netlist, chip);
  reportFit(fit, arch_.macrocellCount, arch_.messages.fitFailed, log);
  if (arch_.fitStrategy == FitStrategy::PREFLIGHT)
    Fitter::routeAfterReport(chip);

  CPLDFuseMap map(arch_);
  FuseEncoder::encode(chip, netlist, map);
  ATFConfig::apply(design, fit, chip, map, log);
  CompiledJEDEC compiled{map.toJEDEC(netlist, package), "JEDEC generation... OK\n", {},
                         map.fuses()};
  for (const FittedOutput &output : fit.outputs)
    compiled.placement.emplace_back(output.name, output.macrocell);
  return compiled;
}

} // namespace gsmith
