// One compilation from source text to JEDEC text, and its installation beside
// the source: the stages in their fixed order and the progress log. The
// device is reached only through the target registry. Every failure leaves
// as an exception whose message is the user-visible sentence.
#pragma once

#include "io/output-file.h"
#include "target/target.h"

#include <iosfwd>
#include <string>

namespace gsmith {

struct CompiledDesign {
  CompiledJEDEC jedec;
  const InstallMessages *installMessages = nullptr; // how the target words install failures
};

struct SynthesisedDesign {
  Design design; // with the GALs' NODEs substituted
  Netlist netlist;
  const Target *target = nullptr;
};

// The stages before fitting: parsing, checking, synthesis; `sourcePath` only
// names the source in the log. Throws CompileError.
SynthesisedDesign synthesise(const std::string &sourcePath, const std::string &sourceText,
                             std::ostream &log);

// Runs every stage in memory; `sourcePath` only names the source in the log.
CompiledDesign compileToJEDEC(const std::string &sourcePath, const std::string &sourceText,
                              std::ostream &log);

// Compiles `sourceText` (read from `sourcePath`) and installs the .jed beside it.
void compileSource(const std::string &sourcePath, const std::string &sourceText, std::ostream &log);

} // namespace gsmith
