// One compilation from source text to JEDEC text, and its installation beside
// the source: the stages in their fixed order, the progress log, and the
// choice of back end. Every failure leaves as an exception whose message is
// the user-visible sentence.
#pragma once

#include "driver/output-file.h"

#include <iosfwd>
#include <string>

namespace gsmith {

struct Design;
struct Netlist;

// What a back end produced: the file text, how its installation words its
// failures, and the log lines that may only appear once the file is in place.
struct CompiledJEDEC {
  std::string text;
  const InstallMessages *installMessages = &kGALInstallMessages;
  std::string logAfterInstall;
};

// Runs every stage in memory; `sourcePath` only names the source in the log.
CompiledJEDEC compileToJEDEC(const std::string &sourcePath, const std::string &sourceText,
                             std::ostream &log);

// Compiles `sourceText` (read from `sourcePath`) and installs the .jed beside it.
void compileSource(const std::string &sourcePath, const std::string &sourceText, std::ostream &log);

// The back ends, each from a checked design and its netlist to JEDEC text.
CompiledJEDEC runGALBackEnd(const Netlist &netlist);
CompiledJEDEC runATF1502BackEnd(const Design &design, const Netlist &netlist, std::ostream &log);
CompiledJEDEC runATF1504BackEnd(const Design &design, const Netlist &netlist, std::ostream &log);

// "Resource usage:" and its three count lines.
void printResourceSummary(std::ostream &log, int macrocells, int capacity, int productTerms,
                          int outputs);

} // namespace gsmith
