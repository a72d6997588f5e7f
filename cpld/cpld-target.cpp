// The CPLD compile step: fit (reporting every reason a design does not fit),
// encode onto the device's rest state, apply CONFIG, render.
#include "cpld/cpld-target.h"

#include "cpld/config.h"
#include "cpld/encoder.h"
#include "cpld/fitter.h"
#include "model/compile-error.h"

#include <ostream>

namespace gsmith {

namespace {

// Prints the fit report; on failure lists every reason and throws `summary`.
void reportFit(const FitResult &fit, int capacity, std::string_view summary, std::ostream &log) {
  if (!fit.success) {
    log << "Fitting... FAILED\n";
    for (const std::string &error : fit.errors)
      log << "Error: " << error << "\n";
    throw CompileError(std::string(summary));
  }
  int productTerms = 0;
  for (const FittedOutput &output : fit.outputs)
    productTerms += output.productTerms;
  const int fitted = static_cast<int>(fit.outputs.size());
  log << "Fitting... OK\n";
  printResourceSummary(log, fitted, capacity, productTerms, fitted);
}

} // namespace

void CPLDTarget::checkConfig(const Design &design) const { ATFConfig::validate(design, arch_); }

DeviceModel CPLDTarget::packageModel(const std::string &package) const {
  return DeviceModel(findPackage(arch_, package).pins);
}

CompiledJEDEC CPLDTarget::compile(const Design &design, const Netlist &netlist,
                                  std::ostream &log) const {
  const CPLDPackage &package = findPackage(arch_, design.package);
  Chip chip(arch_, package);
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
