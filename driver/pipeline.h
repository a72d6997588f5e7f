// One compilation from source text to JEDEC text, and its installation beside
// the source: the stages in their fixed order and the progress log. The
// device is reached only through the target registry. Every failure leaves
// as an exception whose message is the user-visible sentence.
#pragma once

#include "io/output-file.h"
#include "model/source-location.h"
#include "target/target.h"

#include <functional>
#include <iosfwd>
#include <string>

namespace gsmith {

// Writes one of the several reasons a stage gives at once (every output a fit
// failed) into the progress log; the caller decides how a place is shown.
using ReasonPrinter = std::function<void(std::ostream &log, const LocatedMessage &reason)>;

// The reason as one "Error: <text>" line.
void printPlainReason(std::ostream &log, const LocatedMessage &reason);

struct SynthesisedDesign {
  Design design; // with the GALs' NODEs substituted
  Netlist netlist;
  const Target *target = nullptr;
};

// The stages before fitting, in memory and without a log: parsing, checking,
// synthesis. Throws CompileError.
SynthesisedDesign synthesiseSource(const std::string &sourceText);

// The check of every fuse map before it is written (decode/proof.h); throws
// std::logic_error "Internal error: ..." when the map does not implement the
// netlist.
void proveBeforeWriting(const Target &target, const Design &lowered, const Netlist &netlist,
                        CompiledJEDEC &compiled);

struct CompiledDesign {
  CompiledJEDEC jedec;
  const InstallMessages *installMessages = nullptr; // how the target words install failures
};

// Runs every stage in memory; `sourcePath` only names the source in the log.
CompiledDesign compileToJEDEC(const std::string &sourcePath, const std::string &sourceText,
                              std::ostream &log,
                              const ReasonPrinter &printReason = printPlainReason);

// Compiles `sourceText` (read from `sourcePath`) and installs the .jed beside it.
void compileSource(const std::string &sourcePath, const std::string &sourceText, std::ostream &log,
                   const ReasonPrinter &printReason = printPlainReason);

} // namespace gsmith
