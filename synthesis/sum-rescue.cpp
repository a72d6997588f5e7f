// The rescue's choice among an output's possible sums: the one it has, its
// minimised form, and its minimised complement behind the cell's inverter.
// A replacement is made only when it has fewer terms, so an output the
// device could take keeps its sum unless the minimiser finds a smaller one.
#include "synthesis/sum-rescue.h"

#include "model/compile-error.h"
#include "synthesis/expansion-bound.h"
#include "synthesis/logic.h"
#include "synthesis/minimise.h"

#include <algorithm>
#include <unordered_map>

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

// Whether every signal of `expression` is read in one polarity only (an XOR
// reads both). The reduced sum of such an expression is unate, and an
// absorption-free unate sum lists exactly the function's prime implicants,
// each of them essential: no other sum of it is smaller, and its complement,
// unate too, has a single smallest sum. Walking the expression costs a visit
// per node where checking the sum would cost one per literal of thousands
// of terms.
bool unate(const ExpressionPtr &expression, bool negated,
           std::unordered_map<std::string_view, bool> &polarity) {
  switch (expression->type) {
  case ExpressionType::IDENTIFIER:
    return polarity.emplace(expression->name, negated).first->second == negated;
  case ExpressionType::CONSTANT:
    return true;
  case ExpressionType::NOT:
    return unate(expression->left, !negated, polarity);
  case ExpressionType::AND:
  case ExpressionType::OR:
    return unate(expression->left, negated, polarity) &&
           unate(expression->right, negated, polarity);
  case ExpressionType::XOR:
    return false;
  }
  return false;
}

ExpressionPtr node(ExpressionType type, ExpressionPtr left, ExpressionPtr right = nullptr) {
  auto result = std::make_shared<Expression>();
  result->type = type;
  result->left = std::move(left);
  result->right = std::move(right);
  return result;
}

// The complement of `expression` with every negation moved to the signals
// (De Morgan on the tree), so that converting it never complements a sum.
ExpressionPtr complementTree(const ExpressionPtr &expression) {
  switch (expression->type) {
  case ExpressionType::IDENTIFIER:
    return node(ExpressionType::NOT, expression);
  case ExpressionType::CONSTANT: {
    auto flipped = std::make_shared<Expression>(*expression);
    flipped->value = !expression->value;
    return flipped;
  }
  case ExpressionType::NOT:
    return expression->left;
  case ExpressionType::AND:
    return node(ExpressionType::OR, complementTree(expression->left),
                complementTree(expression->right));
  case ExpressionType::OR:
    return node(ExpressionType::AND, complementTree(expression->left),
                complementTree(expression->right));
  case ExpressionType::XOR:
    return node(ExpressionType::XOR, complementTree(expression->left), expression->right);
  }
  return node(ExpressionType::NOT, expression);
}

// A call is not worth starting on less than this: converting its names
// alone would use it up.
constexpr uint64_t kMinShare = uint64_t{1} << 12;

// Runs `call` on half of what is left of `work`; `fallback` once that is
// too little to start on.
template <typename Result, typename Call>
Result onShare(twolevel::Budget &work, Result fallback, const Call &call) {
  if (work.left() < 2 * kMinShare)
    return fallback;
  twolevel::Budget share(work.left() / 2);
  Result result = call(share);
  work.charge(share.used());
  return result;
}

} // namespace

std::optional<SOPExpression> SumRescue::minimised(const SOPExpression &sum) {
  return onShare(work_, std::optional<SOPExpression>(),
                 [&sum](twolevel::Budget &share) { return Minimiser::minimise(sum, share); });
}

std::optional<SOPExpression> SumRescue::complemented(const SOPExpression &sum) {
  return onShare(work_, std::optional<SOPExpression>(),
                 [&sum](twolevel::Budget &share) { return Minimiser::complement(sum, share); });
}

// Through the expression, the complement of a product of sums is a short sum
// of products, where complementing thousands of expanded terms would spend
// the whole work budget. Being unate, its reduced sum is already the
// smallest; it only takes the minimiser's order (literals by name, positive
// first; terms lexicographic).
std::optional<SOPExpression> SumRescue::complementOfUnate(const ExpressionPtr &data) {
  const ExpressionPtr negation = complementTree(data);
  try {
    ExpansionBound::measure(negation, "");
  } catch (const CompileError &) {
    return std::nullopt;
  }
  SOPExpression complement = Logic::reduce(negation);
  const auto literalLess = [](const Literal &a, const Literal &b) {
    return a.name != b.name ? a.name < b.name : !a.negated && b.negated;
  };
  for (ProductTerm &term : complement.terms)
    std::sort(term.begin(), term.end(), literalLess);
  std::sort(complement.terms.begin(), complement.terms.end(),
            [&literalLess](const ProductTerm &a, const ProductTerm &b) {
              return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                  literalLess);
            });
  return complement;
}

void SumRescue::expandData(const ExpressionPtr &expression, NetOutput &output) {
  tried_.insert(output.name);
  // The complement first: for the product of sums that typically overflows
  // the budget it is the small one, and it gets the larger share.
  const auto build = [&expression](bool complement) {
    return [&expression, complement](twolevel::Budget &share) {
      return complement ? Minimiser::complementOf(expression, share)
                        : Minimiser::sumOf(expression, share);
    };
  };
  std::optional<SOPExpression> complement;
  if (mayInvert(output))
    complement = onShare(work_, std::optional<SOPExpression>(), build(true));
  std::optional<SOPExpression> sum = onShare(work_, std::optional<SOPExpression>(), build(false));
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
  std::optional<SOPExpression> sum =
      onShare(work_, std::optional<SOPExpression>(), [&expression](twolevel::Budget &share) {
        return Minimiser::sumOf(expression, share);
      });
  if (!sum)
    beyondReach(output);
  note(output, role, "minimised", sum->terms.size(), kOverBudget);
  return std::move(*sum);
}

void SumRescue::improve(NetOutput &output, const ExpressionPtr &data) {
  improveControl(output, output.oeLogic, output.hasOELogic, ".OE");
  improveControl(output, output.ceLogic, output.hasCELogic, ".CE");
  improveControl(output, output.presetLogic, output.hasPresetLogic, ".PRESET");
  improveControl(output, output.resetLogic, output.hasResetLogic, ".RESET");
  const size_t direct = output.sum.terms.size();
  if (output.fastInput || direct < 2 || !tried_.insert(output.name).second)
    return;
  // The complement first, as in expandData; a single term cannot be beaten.
  std::unordered_map<std::string_view, bool> polarity;
  const bool minimal = data && !output.usesXor && unate(data, false, polarity);
  std::optional<SOPExpression> complement;
  if (mayInvert(output) && minimal)
    complement = complementOfUnate(data);
  if (mayInvert(output) && !complement)
    complement = complemented(output.sum);
  if (complement && complement->terms.size() >= direct)
    complement.reset();
  const size_t bound = complement ? complement->terms.size() : direct;
  std::optional<SOPExpression> same;
  if (bound > 1 && !minimal)
    same = minimised(output.sum);
  if (same && same->terms.size() < bound) {
    output.sum = std::move(*same);
    note(output, "", "minimised", output.sum.terms.size(),
         "the direct form needs " + std::to_string(direct));
  } else if (complement) {
    output.sum = std::move(*complement);
    output.activeLow = !output.activeLow;
    note(output, "", polarityOf(output), output.sum.terms.size(),
         "the direct form needs " + std::to_string(direct));
  }
}

// A control equation drives one product term on every chip, so only a sum
// of two or more is worth a try, and only in its own polarity.
void SumRescue::improveControl(NetOutput &output, SOPExpression &sum, bool present,
                               std::string_view role) {
  const size_t direct = sum.terms.size();
  if (!present || direct < 2 || !tried_.insert(output.name + std::string(role)).second)
    return;
  std::optional<SOPExpression> best = minimised(sum);
  if (!best || best->terms.size() >= direct)
    return;
  sum = std::move(*best);
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
