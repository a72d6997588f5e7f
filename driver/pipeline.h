// One compilation from source text to an installed JEDEC file: the stages in
// their fixed order, the progress log, and the choice of back end. Every
// failure leaves as an exception whose message is the user-visible sentence.
#pragma once

#include <iosfwd>
#include <string>

namespace gsmith {

struct Design;
struct Netlist;

// Compiles `sourceText` (read from `sourcePath`) and installs the .jed beside it.
void compileSource(const std::string &sourcePath, const std::string &sourceText, std::ostream &log);

// The back ends, each from a checked design and its netlist to an installed file.
void runGALBackEnd(const Netlist &netlist, const std::string &outputPath, std::ostream &log);
void runATF1502BackEnd(const Design &design, const Netlist &netlist, const std::string &outputPath,
                       std::ostream &log);
void runATF1504BackEnd(const Design &design, const Netlist &netlist, const std::string &outputPath,
                       std::ostream &log);

// "Resource usage:" and its three count lines.
void printResourceSummary(std::ostream &log, int macrocells, int capacity, int productTerms,
                          int outputs);

} // namespace gsmith
