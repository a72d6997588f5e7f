// Numbering of signal names and the conversions between terms and cubes.
#include "synthesis/signal-space.h"

#include <algorithm>

namespace gsmith::twolevel {

void SignalSpace::addNames(const SOPExpression &sum) {
  for (const ProductTerm &term : sum.terms) {
    for (const Literal &literal : term) {
      names_.push_back(literal.name);
    }
  }
}

bool SignalSpace::seal() {
  std::sort(names_.begin(), names_.end());
  names_.erase(std::unique(names_.begin(), names_.end()), names_.end());
  return names_.size() <= kMaxVariables;
}

unsigned SignalSpace::variable(const std::string &name) const {
  return static_cast<unsigned>(std::lower_bound(names_.begin(), names_.end(), name) -
                               names_.begin());
}

Cover SignalSpace::toCover(const SOPExpression &sum) const {
  Cover cover;
  cover.reserve(sum.terms.size());
  for (const ProductTerm &term : sum.terms) {
    Cube cube;
    bool contradictory = false;
    for (const Literal &literal : term) {
      const uint64_t mask = bit(variable(literal.name));
      const uint64_t value = literal.negated ? 0 : mask;
      contradictory = contradictory || ((cube.care & mask) != 0 && (cube.value & mask) != value);
      cube.care |= mask;
      cube.value |= value;
    }
    if (!contradictory) {
      cover.push_back(cube);
    }
  }
  return cover;
}

SOPExpression SignalSpace::toSum(const Cover &cover) const {
  SOPExpression sum;
  sum.terms.reserve(cover.size());
  for (const Cube &cube : cover) {
    ProductTerm term;
    term.reserve(literalCount(cube));
    for (uint64_t bits = cube.care; bits != 0; bits &= bits - 1) {
      const unsigned index = static_cast<unsigned>(std::countr_zero(bits));
      term.push_back(Literal{names_[index], (cube.value & bit(index)) == 0});
    }
    sum.terms.push_back(std::move(term));
  }
  const auto literalLess = [](const Literal &a, const Literal &b) {
    return a.name != b.name ? a.name < b.name : (!a.negated && b.negated);
  };
  std::sort(sum.terms.begin(), sum.terms.end(), [&](const ProductTerm &a, const ProductTerm &b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), literalLess);
  });
  return sum;
}

} // namespace gsmith::twolevel
