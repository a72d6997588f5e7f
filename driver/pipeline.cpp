// The stages of one compilation in their fixed order, the retry of a design
// refused for lack of product terms, and the refusal to overwrite the source
// with its own output.
#include "driver/pipeline.h"

#include "decode/proof.h"
#include "driver/rescue.h"

#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "frontend/semantic.h"
#include "io/output-file.h"
#include "model/compile-error.h"
#include "synthesis/netlist-builder.h"
#include "target/registry.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string_view>

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
  CompiledJEDEC compiled = target.compile(synthesised->lowered, synthesised->netlist, log);
  proveBeforeWriting(target, synthesised->lowered, synthesised->netlist, compiled);
  return compiled;
}

} // namespace

void proveBeforeWriting(const Target &target, const Design &lowered, const Netlist &netlist,
                        CompiledJEDEC &compiled) {
#ifdef GSMITH_TEST_HOOKS
  // Test builds only: a fuse flipped between encoding and writing, for the
  // tests that show the check refusing it.
  if (const char *flip = std::getenv("GSMITH_TEST_FLIP_FUSE"))
    for (std::string_view list = flip; !list.empty();) {
      const std::size_t comma = list.find(',');
      const std::size_t index = std::stoul(std::string(list.substr(0, comma)));
      compiled.fuses.at(index).flip();
      list = comma == std::string_view::npos ? "" : list.substr(comma + 1);
    }
#endif
  proveFuseMap(target, lowered.package, netlist, compiled.fuses, compiled.placement);
}

SynthesisedDesign synthesiseSource(const std::string &sourceText) {
  Lexer lexer(sourceText);
  Parser parser(lexer.tokenize(), TargetRegistry::features);
  Design design = parser.parse();
  const Target *target = TargetRegistry::find(design.device);
  if (target == nullptr) {
    SemanticAnalyzer::validate(design, nullptr);
    throw std::logic_error("Internal error: a design without a target passed validation");
  }
  try {
    Design lowered = target->lowerNodes(design, Budgeting::MEASURE);
    SemanticAnalyzer::validate(lowered, target);
    Netlist netlist = NetlistBuilder::build(lowered, target->synthesisOptions());
    return {std::move(lowered), std::move(netlist), target};
  } catch (const CompileError &) {
    // As the compile does: the sums the expansion budget refuses, built by
    // the minimiser instead; when that fails too, the first refusal stands.
    const std::exception_ptr first = std::current_exception();
    try {
      Synthesised rescued = synthesiseWithRescue(design, *target);
      return {std::move(rescued.lowered), std::move(rescued.netlist), target};
    } catch (const CompileError &) {
      std::rethrow_exception(first);
    }
  }
}

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
