// The size estimate taken before any sum-of-products conversion. Conversion is
// structural, so its cost follows the tree: a NOT multiplies out the
// complement of its operand, an AND multiplies term counts, an OR adds them.
// Each node therefore carries two estimates, its own term count and the
// widest term it can hold (which is also the term count of its complement's
// factors), and the walk refuses an expression as soon as either could grow
// past the budget, long before conversion would run out of time or memory.
// Term counts alone do not bound that cost: a few thousand terms may each
// carry thousands of literal copies, and a chain of cheap operators may copy
// the same large sum over and over. So the walk also adds up the terms and
// literals that conversion materialises at every node and refuses once that
// total passes a fixed work budget.
#include "synthesis/expansion-bound.h"

#include "model/compile-error.h"

#include <algorithm>
#include <stdexcept>

namespace gsmith {

namespace {

constexpr uint64_t kMaxComplementTerms = 16384;

// Terms plus literal copies that one conversion may build in total. The
// largest sums the term budget admits from ordinary equations (twelve
// two-term factors, four-operand XOR chains, 4096 full-width terms of a GAL)
// stay far below it; at roughly 40 bytes a literal it keeps conversion within
// tens of megabytes.
constexpr uint64_t kMaxConversionWork = uint64_t{1} << 21;

class BoundWalk {
public:
  explicit BoundWalk(const std::string &prefix) : prefix_(prefix) {}

  Bound walk(const ExpressionPtr &expression, int depth) {
    if (!expression) {
      failBudget();
    }
    ++visits_;
    if (depth > ExpansionBound::kMaxDepth || visits_ > ExpansionBound::kMaxVisits) {
      failBudget();
    }
    return materialised(node(*expression, depth));
  }

private:
  Bound node(const Expression &expression, int depth) {
    switch (expression.type) {
    case ExpressionType::IDENTIFIER:
      return Bound{1, 1};
    case ExpressionType::CONSTANT:
      return Bound{expression.value ? 1u : 0u, 0};
    case ExpressionType::NOT:
      return complement(walk(expression.left, depth + 1));
    case ExpressionType::AND: {
      const Bound left = walk(expression.left, depth + 1);
      return conjunction(left, walk(expression.right, depth + 1));
    }
    case ExpressionType::OR: {
      const Bound left = walk(expression.left, depth + 1);
      return disjunction(left, walk(expression.right, depth + 1));
    }
    case ExpressionType::XOR: {
      // Conversion expands L ^ R into L.R' + L'.R and complements both
      // operands, so the estimate must follow that expansion, not an OR.
      const Bound left = walk(expression.left, depth + 1);
      const Bound right = walk(expression.right, depth + 1);
      const Bound leftOnly = conjunction(left, materialised(complement(right)));
      const Bound rightOnly = conjunction(materialised(complement(left)), right);
      return disjunction(materialised(leftOnly), materialised(rightOnly));
    }
    }
    // Conversion reports an unknown node kind itself.
    return Bound{1, 1};
  }

  // Charges the sum that conversion builds for `bound`: each of its terms,
  // and at most `complementTerms` literals in each (both stay within their
  // budgets, so the product cannot overflow).
  Bound materialised(const Bound &bound) {
    work_ += bound.sopTerms * (bound.complementTerms + 1);
    if (work_ > kMaxConversionWork) {
      failBudget();
    }
    return bound;
  }

  [[noreturn]] void failBudget() const {
    throw ProductTermShortage(prefix_ + " expression expansion exceeds safety budget");
  }

  [[noreturn]] void failTerms() const {
    throw ProductTermShortage(prefix_ + " SOP expansion exceeds 4096 terms before simplification");
  }

  // De Morgan turns P terms into the product of P complements of N terms each.
  Bound complement(const Bound &operand) const {
    if (operand.sopTerms == 0) {
      return Bound{1, 0};
    }
    if (operand.sopTerms > kMaxComplementTerms) {
      failTerms();
    }
    // N^P; with N at most 1 the power is N itself, otherwise it passes the
    // budget within a dozen factors.
    uint64_t product = 1;
    if (operand.complementTerms <= 1) {
      product = operand.complementTerms;
    } else {
      for (uint64_t factor = 0; factor < operand.sopTerms; ++factor) {
        product *= operand.complementTerms;
        if (product > ExpansionBound::kMaxTerms) {
          failTerms();
        }
      }
    }
    return Bound{product, operand.sopTerms};
  }

  Bound conjunction(const Bound &left, const Bound &right) const {
    return checked(
        Bound{left.sopTerms * right.sopTerms, left.complementTerms + right.complementTerms});
  }

  Bound disjunction(const Bound &left, const Bound &right) const {
    return checked(Bound{left.sopTerms + right.sopTerms,
                         std::max(left.complementTerms, right.complementTerms)});
  }

  Bound checked(const Bound &bound) const {
    if (bound.sopTerms > ExpansionBound::kMaxTerms || bound.complementTerms > kMaxComplementTerms) {
      failTerms();
    }
    return bound;
  }

  const std::string &prefix_;
  uint64_t visits_ = 0;
  uint64_t work_ = 0;
};

} // namespace

Bound ExpansionBound::measure(const ExpressionPtr &expression, const std::string &prefix) {
  return BoundWalk(prefix).walk(expression, 0);
}

} // namespace gsmith
