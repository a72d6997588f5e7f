// The stages of one compilation in their fixed order, the retry of a design
// refused for lack of product terms, and the refusal to overwrite the source
// with its own output.
#include "driver/pipeline.h"

#include "driver/rescue.h"

#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "frontend/semantic.h"
#include "io/output-file.h"
#include "model/compile-error.h"
#include "synthesis/netlist-builder.h"
#include "target/registry.h"

#include <filesystem>
#include <ostream>
#include <sstream>
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
    throw CompileError("Output file '" + outputPath.string() + "' would overwrite the source file");
  const std::filesystem::path temporaryPath = outputPath.string() + ".tmp";
  if (sameFile(source, temporaryPath))
    throw CompileError("Temporary file '" + temporaryPath.string() +
                       "' would overwrite the source file");
}

// The stages after parsing, as the design is written; `synthesised` keeps
// what synthesis built for a rescue to start from.
CompiledJEDEC compileDesign(const Design &design, const Target &target,
                            std::optional<Synthesised> &synthesised, std::ostream &log) {
  Design lowered = target.lowerNodes(design, Budgeting::MEASURE);
  SemanticAnalyzer::validate(lowered, &target);
  Netlist netlist = NetlistBuilder::build(lowered, target.synthesisOptions());
  log << "Logic synthesis... OK\n";
  synthesised = Synthesised{std::move(lowered), std::move(netlist)};
  return target.compile(synthesised->lowered, synthesised->netlist, log);
}

} // namespace

void printPlainReason(std::ostream &log, const LocatedMessage &reason) {
  log << "Error: " << reason.text << "\n";
}

CompiledDesign compileToJEDEC(const std::string &sourcePath, const std::string &sourceText,
                              std::ostream &log, const ReasonPrinter &printReason) {
  Lexer lexer(sourceText);
  Parser parser(lexer.tokenize(), TargetRegistry::features);
  Design design = parser.parse();
  log << "Source: " << sourcePath << "\n";
  log << "Device: " << design.device << "\n";
  log << "Parsing... OK\n";

  const Target *found = TargetRegistry::find(design.device);
  if (found == nullptr) {
    // Refuses the design: it names no device, or one no target has.
    SemanticAnalyzer::validate(design, nullptr);
    throw std::logic_error("Internal error: a design without a target passed validation");
  }
  const Target &target = *found;
  // The first attempt's log is held back until its outcome is known: a
  // rescued design shows only the rescue's, a refused one exactly this one
  // followed by the reasons of its refusal.
  std::ostringstream attempt;
  std::optional<Synthesised> synthesised;
  try {
    CompiledJEDEC compiled = compileDesign(design, target, synthesised, attempt);
    log << attempt.str();
    return {std::move(compiled), &target.installMessages()};
  } catch (const ProductTermShortage &refusal) {
    std::ostringstream retry;
    if (std::optional<CompiledJEDEC> rescued =
            rescueDesign(design, target, refusal, std::move(synthesised), retry)) {
      log << retry.str();
      return {std::move(*rescued), &target.installMessages()};
    }
    log << attempt.str();
    for (const LocatedMessage &reason : refusal.reasons())
      printReason(log, reason);
    throw;
  } catch (const CompileError &error) {
    log << attempt.str();
    for (const LocatedMessage &reason : error.reasons())
      printReason(log, reason);
    throw;
  } catch (...) {
    log << attempt.str();
    throw;
  }
}

void compileSource(const std::string &sourcePath, const std::string &sourceText, std::ostream &log,
                   const ReasonPrinter &printReason) {
  const std::filesystem::path outputPath = outputPathFor(sourcePath);
  refuseOverwritingSource(sourcePath, outputPath);

  const CompiledDesign compiled = compileToJEDEC(sourcePath, sourceText, log, printReason);
  installOutputFile(outputPath, compiled.jedec.text, *compiled.installMessages);
  log << compiled.jedec.logAfterInstall;
  log << "JEDEC written: " << outputPath.string() << "\n";
}

} // namespace gsmith
