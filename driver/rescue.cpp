// The rescue rounds: lower and check the design again without the expansion
// budget, build its netlist with SumRescue, then compile with smaller sums
// for the outputs found short, widening to every output once. Each round
// compiles from scratch into its own log, so a failed round leaves no trace.
#include "driver/rescue.h"

#include "driver/pipeline.h"

#include "frontend/semantic.h"
#include "synthesis/netlist-builder.h"
#include "synthesis/sum-rescue.h"

#include <map>
#include <ostream>
#include <set>
#include <sstream>

namespace gsmith {

namespace {

// Rounds that improve only the outputs the device named before all of them
// are improved; each costs one compile.
constexpr int kNamedRounds = 8;

} // namespace

namespace {

// Synthesis again, with the minimiser building what the budget refuses.
Synthesised synthesise(const Design &design, const Target &target, SumRescue &rescue) {
  Design lowered = target.lowerNodes(design, Budgeting::LEAVE_TO_SYNTHESIS);
  SemanticAnalyzer::validate(lowered, &target);
  SynthesisOptions options = target.synthesisOptions();
  options.boundExpressions = true;
  Netlist netlist = NetlistBuilder::build(lowered, options, &rescue);
  return {std::move(lowered), std::move(netlist)};
}

} // namespace

Synthesised synthesiseWithRescue(const Design &design, const Target &target) {
  SumRescue rescue;
  return synthesise(design, target, rescue);
}

std::optional<CompiledJEDEC> rescueDesign(const Design &design, const Target &target,
                                          const ProductTermShortage &refusal,
                                          std::optional<Synthesised> synthesised,
                                          std::ostream &log) {
  try {
    SumRescue rescue;
    if (!synthesised)
      synthesised = synthesise(design, target, rescue);
    const Design &lowered = synthesised->lowered;
    Netlist &netlist = synthesised->netlist;

    std::map<std::string_view, ExpressionPtr> data;
    for (const Equation &equation : lowered.equations)
      data.emplace(equation.name, equation.expression);
    std::set<std::string> shortOutputs(refusal.outputs().begin(), refusal.outputs().end());
    bool everyOutput = false;
    for (int round = 1;; ++round) {
      for (NetOutput &output : netlist.outputs)
        if (everyOutput || shortOutputs.count(output.name) != 0)
          rescue.improve(output, data.count(output.name) ? data.at(output.name) : nullptr);
      std::ostringstream fit;
      try {
        CompiledJEDEC compiled = target.compile(lowered, netlist, fit);
        proveBeforeWriting(target, lowered, netlist, compiled);
        log << "Logic synthesis... OK\n";
        for (const std::string &note : rescue.notes())
          log << note << "\n";
        log << fit.str();
        return compiled;
      } catch (const ProductTermShortage &again) {
        // A GAL names one short output at a time: follow them for a few
        // rounds, then give every output its smallest sum.
        bool named = false;
        for (const std::string &name : again.outputs())
          named = shortOutputs.insert(name).second || named;
        if (everyOutput)
          break;
        everyOutput = !named || round >= kNamedRounds;
      }
    }
  } catch (const CompileError &) {
    // Refused again, for any reason: the first refusal stands.
  }
  return std::nullopt;
}

} // namespace gsmith
