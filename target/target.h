// The interface every device implements. The driver and the front end reach a
// device only through it (and the registry that finds it by name); each
// device's folder holds its implementation and its tables.
#pragma once

#include "frontend/device-rules.h"
#include "io/output-file.h"
#include "model/design.h"
#include "model/netlist.h"
#include "synthesis/netlist-builder.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gsmith {

struct FlashLayout;
struct V8Layout;
struct GAL22V10Layout;
struct CPLDArchitecture;

// What a tool that reads the device's JEDEC files needs to know of it.
struct JEDECFacts {
  std::string_view family;            // as JEDEC headers name the device ("GAL16V8", "ATF1504")
  std::size_t signatureFuse = 0;      // the user signature (see signatureBits)
  int signatureBits = 0;              // 64, most significant first; or 16: bit b of byte k at
                                      // signatureFuse + 8k - b
  const FlashLayout *flash = nullptr; // how fuses reach the chip over JTAG; null without JTAG
  // Where every fuse lies, for a reader of the device's maps: exactly one is
  // set, the record of the device's family.
  const V8Layout *galV8 = nullptr;
  const GAL22V10Layout *gal22V10 = nullptr;
  const CPLDArchitecture *cpld = nullptr;
};

// What a compile step produced: the JEDEC text and the log lines that may
// only appear once the file is in place.
struct CompiledJEDEC {
  std::string text;
  std::string logAfterInstall;
  // The macrocell the fitter gave each output (CPLDs; GAL cells follow from
  // the pins), for the check of the map against the netlist.
  std::vector<std::pair<std::string, int>> placement;
  std::vector<bool> fuses; // the map the text renders
};

class Target : public DeviceRules {
public:
  // The DEVICE name that selects this target.
  virtual std::string_view name() const = 0;
  // The number of fuses of the device's JEDEC file (its QF field).
  virtual std::size_t fuseCount() const = 0;

  // A design as the rest of the pipeline sees it; the GALs substitute their
  // NODEs here, before semantic analysis, and measure the result against the
  // expansion budget unless `budgeting` leaves that to synthesis.
  virtual Design lowerNodes(const Design &design, Budgeting) const { return design; }
  virtual SynthesisOptions synthesisOptions() const = 0;
  // Fits, encodes and renders a checked design; the fit report goes to `log`
  // (or into the result's logAfterInstall). Throws CompileError.
  virtual CompiledJEDEC compile(const Design &design, const Netlist &netlist,
                                std::ostream &log) const = 0;
  // How a failure to install the JEDEC file is worded for this device.
  virtual const InstallMessages &installMessages() const = 0;
  virtual JEDECFacts jedecFacts() const = 0;
};

// "Resource usage:" and its three count lines.
void printResourceSummary(std::ostream &log, int macrocells, int capacity, int productTerms,
                          int outputs);

} // namespace gsmith
