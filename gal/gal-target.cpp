// The one Target implementation of the GALs. A GAL reports its fit only once
// the file is in place: the encoder either fits or refuses, so there is
// nothing to report before.
#include "gal/gal-target.h"

#include "model/compile-error.h"

#include <sstream>

namespace gsmith {

namespace {

int countProductTerms(const Netlist &netlist) {
  size_t terms = 0;
  for (const NetOutput &output : netlist.outputs)
    terms += output.sum.terms.size() + output.oeLogic.terms.size() + output.ceLogic.terms.size() +
             output.presetLogic.terms.size();
  return static_cast<int>(terms);
}

const InstallMessages kInstallMessages = {
    [](const std::string &temporaryPath, const std::string &reason) {
      return "Cannot create temporary file '" + temporaryPath + "': " + reason;
    },
    [](const std::string &temporaryPath, const std::string &reason) {
      return "Cannot write temporary file '" + temporaryPath + "': " + reason;
    },
    [](const std::string &temporaryPath, const std::string &reason) {
      return "Cannot rename '" + temporaryPath + "' onto the output file: " + reason;
    },
};

} // namespace

void GALTarget::checkConfig(const Design &design) const {
  if (!design.configOptions.empty())
    throw CompileError("CONFIG is supported only for ATF1502AS/ASV and ATF1504AS/ASV");
}

DeviceModel GALTarget::packageModel(const std::string &) const {
  return DeviceModel(*device_.pins);
}

Design GALTarget::lowerNodes(const Design &design, Budgeting budgeting) const {
  return lowerGALNodes(design, device_.features.productReset, budgeting);
}

CompiledJEDEC GALTarget::compile(const Design &, const Netlist &netlist, std::ostream &) const {
  CompiledJEDEC compiled;
  compiled.fuses = device_.encode(netlist);
  compiled.text = device_.toJEDEC(compiled.fuses);
  std::ostringstream report;
  const int outputs = static_cast<int>(netlist.outputs.size());
  report << "Fitting... OK\n";
  printResourceSummary(report, outputs, device_.cells, countProductTerms(netlist), outputs);
  report << "JEDEC generation... OK\n";
  compiled.logAfterInstall = report.str();
  return compiled;
}

const InstallMessages &GALTarget::installMessages() const { return kInstallMessages; }

} // namespace gsmith
