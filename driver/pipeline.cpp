// The stages of one compilation in their fixed order, and the refusal to
// overwrite the source with its own output.
#include "driver/pipeline.h"

#include "decode/proof.h"

#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "frontend/semantic.h"
#include "io/output-file.h"
#include "model/compile-error.h"
#include "synthesis/netlist-builder.h"
#include "target/registry.h"

#include <cstdlib>
#include <filesystem>
#include <ostream>
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

} // namespace

SynthesisedDesign synthesise(const std::string &sourcePath, const std::string &sourceText,
                             std::ostream &log) {
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
  design = target.lowerNodes(design);
  SemanticAnalyzer::validate(design, &target);

  Netlist netlist = NetlistBuilder::build(design, target.synthesisOptions());
  log << "Logic synthesis... OK\n";
  return {std::move(design), std::move(netlist), &target};
}

CompiledDesign compileToJEDEC(const std::string &sourcePath, const std::string &sourceText,
                              std::ostream &log) {
  const SynthesisedDesign synthesised = synthesise(sourcePath, sourceText, log);
  const Target &target = *synthesised.target;
  const Design &design = synthesised.design;
  const Netlist &netlist = synthesised.netlist;
  CompiledDesign compiled{target.compile(design, netlist, log), &target.installMessages()};
#ifdef GSMITH_TEST_HOOKS
  // Test builds only: a fuse flipped between encoding and writing, for the
  // tests that show the check refusing it.
  if (const char *flip = std::getenv("GSMITH_TEST_FLIP_FUSE"))
    for (std::string_view list = flip; !list.empty();) {
      const std::size_t comma = list.find(',');
      const std::size_t index = std::stoul(std::string(list.substr(0, comma)));
      compiled.jedec.fuses.at(index).flip();
      list = comma == std::string_view::npos ? "" : list.substr(comma + 1);
    }
#endif
  proveFuseMap(target, design.package, netlist, compiled.jedec.fuses, compiled.jedec.placement);
  return compiled;
}

void compileSource(const std::string &sourcePath, const std::string &sourceText,
                   std::ostream &log) {
  const std::filesystem::path outputPath = outputPathFor(sourcePath);
  refuseOverwritingSource(sourcePath, outputPath);

  const CompiledDesign compiled = compileToJEDEC(sourcePath, sourceText, log);
  installOutputFile(outputPath, compiled.jedec.text, *compiled.installMessages);
  log << compiled.jedec.logAfterInstall;
  log << "JEDEC written: " << outputPath.string() << "\n";
}

} // namespace gsmith
