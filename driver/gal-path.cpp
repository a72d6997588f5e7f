// The GAL back-end path: encode, render, install, and only then report.
#include "devices/gal/gal16v8.h"
#include "devices/gal/gal20v8.h"
#include "devices/gal/gal22v10.h"
#include "driver/output-file.h"
#include "driver/pipeline.h"
#include "synthesis/netlist.h"

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

std::string renderJEDEC(const Netlist &netlist) {
  if (netlist.device == "GAL16V8B")
    return GAL16V8Device::toJEDEC(GAL16V8Device::encode(netlist));
  if (netlist.device == "GAL20V8B")
    return GAL20V8Device::toJEDEC(GAL20V8Device::encode(netlist));
  return GAL22V10Device::toJEDEC(GAL22V10Device::encode(netlist));
}

} // namespace

CompiledJEDEC runGALBackEnd(const Netlist &netlist) {
  CompiledJEDEC compiled;
  compiled.text = renderJEDEC(netlist);
  compiled.installMessages = &kGALInstallMessages;

  // A GAL reports its fit only once the file is in place.
  std::ostringstream report;
  const int outputs = static_cast<int>(netlist.outputs.size());
  const int capacity = netlist.device == "GAL22V10B" ? 10 : 8;
  report << "Fitting... OK\n";
  printResourceSummary(report, outputs, capacity, countProductTerms(netlist), outputs);
  report << "JEDEC generation... OK\n";
  compiled.logAfterInstall = report.str();
  return compiled;
}

} // namespace gsmith
