// The rescue rounds: lower and check the design again without the expansion
// budget, build its netlist with SumRescue, then compile with smaller sums
// for the outputs found short, widening to every output once. Each round
// compiles from scratch into its own log, so a failed round leaves no trace.
#include "driver/rescue.h"

#include "frontend/semantic.h"
#include "synthesis/netlist-builder.h"
#include "synthesis/sum-rescue.h"

#include <algorithm>
#include <ostream>
#include <sstream>

namespace gsmith {

std::optional<CompiledJEDEC> rescueDesign(const Design &design, const Target &target,
                                          const ProductTermShortage &refusal, std::ostream &log) {
  try {
    const Design lowered = target.lowerNodes(design, Budgeting::LEAVE_TO_SYNTHESIS);
    SemanticAnalyzer::validate(lowered, &target);
    SynthesisOptions options = target.synthesisOptions();
    options.boundExpressions = true;
    SumRescue rescue;
    Netlist netlist = NetlistBuilder::build(lowered, options, &rescue);

    std::vector<std::string> shortOutputs = refusal.outputs();
    for (const bool everyOutput : {false, true}) {
      for (NetOutput &output : netlist.outputs)
        if (everyOutput ||
            std::find(shortOutputs.begin(), shortOutputs.end(), output.name) != shortOutputs.end())
          rescue.improve(output);
      std::ostringstream fit;
      try {
        CompiledJEDEC compiled = target.compile(lowered, netlist, fit);
        log << "Logic synthesis... OK\n";
        for (const std::string &note : rescue.notes())
          log << note << "\n";
        log << fit.str();
        return compiled;
      } catch (const ProductTermShortage &again) {
        shortOutputs = again.outputs();
      }
    }
  } catch (const CompileError &) {
    // Refused again, for any reason: the first refusal stands.
  }
  return std::nullopt;
}

} // namespace gsmith
