// Smaller sums for a design refused for lack of product terms. The driver
// retries such a design once with this rescue: every expression the
// expansion budget refuses is built by the minimiser instead of being
// expanded, and the outputs the device finds short get minimised sums, with
// a combinational output's data complemented behind its cell's inverter when
// that is smaller. Every replacement has the function of what it replaces
// (the minimiser checks its results) and leaves a NOTE line for the log.
#pragma once

#include "model/netlist.h"
#include "synthesis/cube.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace gsmith {

class SumRescue {
public:
  // All minimisation of one rescue shares this much work (twolevel::Budget
  // units: from a few hundredths to about a fifth of a second, as the
  // functions go), so that a rescue adds a bounded delay to any design; each
  // call gets half of what is left.
  static constexpr uint64_t kWork = uint64_t{1} << 25;

  SumRescue() : work_(kWork) {}

  // `output`'s data from `expression`, which the budget refuses: the sum
  // built without expanding it, or for a combinational output the
  // complement behind the inverter when that is smaller. Throws
  // ProductTermShortage when the minimiser's limits refuse both.
  void expandData(const ExpressionPtr &expression, NetOutput &output);
  // The sum of an XOR operand or (`role` ".OE", ".CE", ".PRESET", ".RESET")
  // a control equation of `output` that the budget refuses; throws alike.
  SOPExpression expand(const ExpressionPtr &expression, const NetOutput &output,
                       std::string_view role);

  // Replaces each sum of `output` by a smaller one where the minimiser finds
  // one; the data of a combinational output may change polarity. Each sum is
  // tried once per rescue. `data`, when given, is the expression the data sum
  // was reduced from, through which a unate sum's complement comes cheaply.
  void improve(NetOutput &output, const ExpressionPtr &data = nullptr);

  // "NOTE: ..." lines, one per replacement, in the order they were made.
  const std::vector<std::string> &notes() const { return notes_; }

private:
  // Each nothing once the shared work is spent.
  std::optional<SOPExpression> minimised(const SOPExpression &sum);
  std::optional<SOPExpression> complemented(const SOPExpression &sum);
  std::optional<SOPExpression> complementOfUnate(const ExpressionPtr &data);
  void improveControl(NetOutput &output, SOPExpression &sum, bool present, std::string_view role);
  void note(const NetOutput &output, std::string_view role, std::string_view what, size_t terms,
            const std::string &direct);

  twolevel::Budget work_;
  std::set<std::string> tried_; // output name and role
  std::vector<std::string> notes_;
};

} // namespace gsmith
