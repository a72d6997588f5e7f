// The two CPLD back-end paths: fit (reporting every reason a design does not
// fit), encode onto the device baseline, apply CONFIG, render and install.
#include "config/atf-config.h"
#include "devices/atf1502/atf1502-chip.h"
#include "devices/atf1502/atf1502-fuse-db.h"
#include "devices/atf1502/atf1502-fuse-encoder.h"
#include "devices/atf1502/atf1502-fuse-map.h"
#include "devices/atf1502/atf1502.h"
#include "devices/atf1504/atf1504-chip.h"
#include "devices/atf1504/atf1504-device-config.h"
#include "devices/atf1504/atf1504-fuse-db.h"
#include "devices/atf1504/atf1504-fuse-encoder.h"
#include "devices/atf1504/atf1504-fuse-map.h"
#include "devices/atf1504/atf1504-global-db.h"
#include "devices/atf1504/atf1504-product-term.h"
#include "devices/atf1504/atf1504-special-pin-config.h"
#include "devices/atf1504/atf1504-switch-db.h"
#include "devices/atf1504/atf1504-user-signature.h"
#include "devices/atf1504/atf1504.h"
#include "devices/cpld/fitter.h"
#include "driver/output-file.h"
#include "driver/pipeline.h"
#include "synthesis/netlist.h"

#include <cstdint>
#include <ostream>
#include <stdexcept>

namespace gsmith {

namespace {

// Prints the fit report; on failure lists every reason and throws `summary`.
void reportFit(const FitResult &fit, int capacity, const std::string &summary, std::ostream &log) {
  if (!fit.success) {
    log << "Fitting... FAILED\n";
    for (const std::string &error : fit.errors)
      log << "Error: " << error << "\n";
    throw std::runtime_error(summary);
  }
  int productTerms = 0;
  for (const FittedOutput &output : fit.outputs)
    productTerms += output.productTerms;
  const int fitted = static_cast<int>(fit.outputs.size());
  log << "Fitting... OK\n";
  printResourceSummary(log, fitted, capacity, productTerms, fitted);
}

bool builtInATF1504TablesAreConsistent() {
  using Check = bool (*)();
  constexpr Check kChecks[] = {
      ATF1504ProductTermLayout::validateLABA, ATF1504ProductTermLayout::validateLABB,
      ATF1504ProductTermLayout::validateLABC, ATF1504ProductTermLayout::validateLABD,
      ATF1504SwitchDB::validateAll,           ATF1504GlobalDB::validate,
      ATF1504DeviceConfigDB::validate,        ATF1504UserSignature::validate,
      ATF1504SpecialPinConfigDB::validate,
  };
  for (Check check : kChecks) {
    if (!check())
      return false;
  }
  return true;
}

} // namespace

CompiledJEDEC runATF1502BackEnd(const Design &design, const Netlist &netlist, std::ostream &log) {
  const ATF1502Device device(design.package);
  ATF1502Chip chip;
  const FitResult fit = Fitter::fitATF1502(netlist, device, chip);
  reportFit(fit, 32, "Fitting failed; no JEDEC was produced", log);

  ATF1502FuseMap fuseMap(16808);
  ATF1502FuseEncoder encoder;
  encoder.encode(chip, fuseMap);
  ATFConfig::apply<ATF1502FuseMap, ATF1502FuseDB>(design, fit, fuseMap, ATF1502FuseDB());

  const bool customised = !design.configOptions.empty() || design.hasSignature ||
                          design.powerDownPD1 || design.powerDownPD2;
  return {fuseMap.toJEDEC(customised), &kATF1502InstallMessages, "JEDEC generation... OK\n"};
}

CompiledJEDEC runATF1504BackEnd(const Design &design, const Netlist &netlist, std::ostream &log) {
  const ATF1504Device device(design.package);
  ATF1504Chip chip(device);
  const FitResult fit = Fitter::fitATF1504(netlist, device, chip);
  reportFit(fit, 64, "ATF1504 fitting failed", log);

  if (!builtInATF1504TablesAreConsistent())
    throw std::logic_error("ATF1504 product-term fuse layout failed validation");

  ATF1504FuseMap fuseMap(34192);
  ATF1504FuseEncoder encoder;
  const auto signature =
      static_cast<uint16_t>(netlist.hasSignature ? (netlist.signature & 0xFFFFu) : 0u);
  encoder.encode(chip, signature, netlist.powerDownPD1, netlist.powerDownPD2, fuseMap);
  ATFConfig::apply<ATF1504FuseMap, ATF1504FuseDB>(design, fit, fuseMap, ATF1504FuseDB());

  return {fuseMap.toJEDEC(!design.configOptions.empty(), device.packagePinCount()),
          &kATF1504InstallMessages, "JEDEC generation... OK\n"};
}

} // namespace gsmith
