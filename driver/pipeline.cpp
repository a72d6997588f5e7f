#include "driver/pipeline.h"

#include "devices/gal/gal20v8.h"
#include "driver/output-file.h"
#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "frontend/semantic.h"
#include "synthesis/netlist.h"

#include <filesystem>
#include <ostream>
#include <stdexcept>

namespace gsmith {

namespace {

bool sameFile(const std::filesystem::path &a, const std::filesystem::path &b) {
  if (a == b)
    return true;
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

// A source that is its own output file (board.jed), or that a leftover link
// at the temporary path leads to, would be destroyed by a successful run.
void refuseOverwritingSource(const std::string &sourcePath,
                             const std::filesystem::path &outputPath) {
  const std::filesystem::path source(sourcePath);
  if (sameFile(source, outputPath))
    throw std::runtime_error("Output file '" + outputPath.string() +
                             "' would overwrite the source file");
  const std::filesystem::path temporaryPath = outputPath.string() + ".tmp";
  if (sameFile(source, temporaryPath))
    throw std::runtime_error("Temporary file '" + temporaryPath.string() +
                             "' would overwrite the source file");
}

} // namespace

void printResourceSummary(std::ostream &log, int macrocells, int capacity, int productTerms,
                          int outputs) {
  log << "Resource usage:\n";
  log << "  Macrocells:    " << macrocells << " / " << capacity << "\n";
  log << "  Product terms: " << productTerms << "\n";
  log << "  Outputs:       " << outputs << "\n";
}

CompiledJEDEC compileToJEDEC(const std::string &sourcePath, const std::string &sourceText,
                             std::ostream &log) {
  Lexer lexer(sourceText);
  Parser parser(lexer.tokenize());
  Design design = parser.parse();
  log << "Source: " << sourcePath << "\n";
  log << "Device: " << design.device << "\n";
  log << "Parsing... OK\n";

  // GAL chips have no buried macrocells: NODEs become plain sub-expressions
  // before anything checks the design.
  if (isGALDevice(design.device))
    design = GAL20V8Device::lowerNodes(design);

  SemanticAnalyzer::validate(design);

  const Netlist netlist = NetlistBuilder::build(design);
  log << "Logic synthesis... OK\n";

  if (isGALDevice(netlist.device))
    return runGALBackEnd(netlist);
  if (isATF1504Family(netlist.device))
    return runATF1504BackEnd(design, netlist, log);
  return runATF1502BackEnd(design, netlist, log);
}

void compileSource(const std::string &sourcePath, const std::string &sourceText,
                   std::ostream &log) {
  const std::filesystem::path outputPath = outputPathFor(sourcePath);
  refuseOverwritingSource(sourcePath, outputPath);

  const CompiledJEDEC compiled = compileToJEDEC(sourcePath, sourceText, log);
  installOutputFile(outputPath, compiled.text, *compiled.installMessages);
  log << compiled.logAfterInstall;
  log << "JEDEC written: " << outputPath.string() << "\n";
}

} // namespace gsmith
