// The rescue's choice among an output's possible sums: the one it has, its
// minimised form, and its minimised complement behind the cell's inverter.
// A replacement is made only when it has fewer terms, so an output the
// device could take keeps its sum unless the minimiser finds a smaller one.
#include "synthesis/sum-rescue.h"

#include "model/compile-error.h"
#include "synthesis/minimise.h"

namespace gsmith {

namespace {

// Only a combinational output (or NODE) may change polarity: its pin shows
// the cell's output directly. A register would then hold the complement of
// what it held before, which changes what a reset, a preset or power-up
// leaves on the pin.
bool mayInvert(const NetOutput &output) { return !output.registered; }

std::string termCount(size_t terms) {
  return std::to_string(terms) + (terms == 1 ? " product term" : " product terms");
}

std::string polarityOf(const NetOutput &output) {
  return output.activeLow ? "implemented active-low" : "implemented active-high";
}

const char *const kOverBudget = "the direct form exceeds the expansion budget";

[[noreturn]] void beyondReach(const NetOutput &output) {
  throw ProductTermShortage("no sum within the minimiser's limits for '" + output.name + "'");
}

} // namespace

twolevel::Budget SumRescue::share() const { return twolevel::Budget(work_.left() / 2); }

void SumRescue::settle(const twolevel::Budget &share) { work_.charge(share.used()); }

SOPExpression SumRescue::minimised(const SOPExpression &sum) {
  twolevel::Budget budget = share();
  SOPExpression result = Minimiser::minimise(sum, budget);
  settle(budget);
  return result;
}

std::optional<SOPExpression> SumRescue::complemented(const SOPExpression &sum) {
  twolevel::Budget budget = share();
  std::optional<SOPExpression> result = Minimiser::complement(sum, budget);
  settle(budget);
  return result;
}

void SumRescue::expandData(const ExpressionPtr &expression, NetOutput &output) {
  tried_.insert(output.name);
  // The complement first: for the product of sums that typically overflows
  // the budget it is the small one, and it gets the larger share.
  std::optional<SOPExpression> complement;
  if (mayInvert(output)) {
    twolevel::Budget budget = share();
    complement = Minimiser::complementOf(expression, budget);
    settle(budget);
  }
  twolevel::Budget budget = share();
  std::optional<SOPExpression> sum = Minimiser::sumOf(expression, budget);
  settle(budget);
  const bool inverted = complement && (!sum || complement->terms.size() < sum->terms.size());
  if (!inverted && !sum)
    beyondReach(output);
  output.sum = std::move(inverted ? *complement : *sum);
  output.activeLow = output.activeLow != inverted;
  note(output, "", inverted ? polarityOf(output) : "minimised", output.sum.terms.size(),
       kOverBudget);
}

SOPExpression SumRescue::expand(const ExpressionPtr &expression, const NetOutput &output,
                                std::string_view role) {
  tried_.insert(output.name + std::string(role));
  twolevel::Budget budget = share();
  std::optional<SOPExpression> sum = Minimiser::sumOf(expression, budget);
  settle(budget);
  if (!sum)
    beyondReach(output);
  note(output, role, "minimised", sum->terms.size(), kOverBudget);
  return std::move(*sum);
}

void SumRescue::improve(NetOutput &output) {
  improveControl(output, output.oeLogic, output.hasOELogic, ".OE");
  improveControl(output, output.ceLogic, output.hasCELogic, ".CE");
  improveControl(output, output.presetLogic, output.hasPresetLogic, ".PRESET");
  improveControl(output, output.resetLogic, output.hasResetLogic, ".RESET");
  const size_t direct = output.sum.terms.size();
  if (output.fastInput || direct < 2 || !tried_.insert(output.name).second)
    return;
  // The complement first, as in expandData.
  std::optional<SOPExpression> complement;
  if (mayInvert(output))
    complement = complemented(output.sum);
  bool inverted = complement && complement->terms.size() < direct;
  SOPExpression best = inverted ? std::move(*complement) : output.sum;
  if (best.terms.size() > 1) { // a single term cannot be beaten
    SOPExpression same = minimised(output.sum);
    if (same.terms.size() < best.terms.size()) {
      best = std::move(same);
      inverted = false;
    }
  }
  if (best.terms.size() >= direct)
    return;
  output.sum = std::move(best);
  output.activeLow = output.activeLow != inverted;
  note(output, "", inverted ? polarityOf(output) : "minimised", output.sum.terms.size(),
       "the direct form needs " + std::to_string(direct));
}

// A control equation drives one product term on every chip, so only a sum
// of two or more is worth a try, and only in its own polarity.
void SumRescue::improveControl(NetOutput &output, SOPExpression &sum, bool present,
                               std::string_view role) {
  const size_t direct = sum.terms.size();
  if (!present || direct < 2 || !tried_.insert(output.name + std::string(role)).second)
    return;
  SOPExpression best = minimised(sum);
  if (best.terms.size() >= direct)
    return;
  sum = std::move(best);
  note(output, role, "minimised", sum.terms.size(),
       "the direct form needs " + std::to_string(direct));
}

void SumRescue::note(const NetOutput &output, std::string_view role, std::string_view what,
                     size_t terms, const std::string &direct) {
  std::string line = "NOTE: " + std::string(output.isNode ? "node" : "output") + " '" +
                     output.name + "'" + (role.empty() ? "" : " ") + std::string(role) + " " +
                     std::string(what) + ": " + termCount(terms) + " (" + direct + ")";
  notes_.push_back(std::move(line));
}

} // namespace gsmith
