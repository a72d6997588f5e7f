// Numbering of signal names and the conversions between terms and cubes.
#include "synthesis/signal-space.h"

#include <algorithm>

namespace gsmith::twolevel {

void SignalSpace::addNames(const SOPExpression &sum) {
  for (const ProductTerm &term : sum.terms) {
    for (const Literal &literal : term) {
      collected_.insert(literal.name);
    }
  }
}

bool SignalSpace::seal() {
  names_.assign(collected_.begin(), collected_.end());
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

// The lexicographic order of the literal lists, read off the bits: at the
// first variable where the lists differ, a positive literal precedes a
// negated one, and a literal precedes a list that has ended but follows one
// that goes on with a later variable.
bool SignalSpace::termLess(const Cube &a, const Cube &b) {
  const uint64_t differ = (a.care ^ b.care) | conflicts(a, b);
  if (differ == 0) {
    return false;
  }
  const uint64_t first = differ & -differ;
  const uint64_t later = ~((first << 1) - 1);
  if ((a.care & b.care & first) != 0) {
    return (a.value & first) != 0;
  }
  if ((a.care & first) != 0) {
    return (b.care & later) != 0;
  }
  return (a.care & later) == 0;
}

SOPExpression SignalSpace::toSum(const Cover &cover) const {
  Cover sorted = cover;
  std::sort(sorted.begin(), sorted.end(), termLess);
  SOPExpression sum;
  sum.terms.reserve(sorted.size());
  for (const Cube &cube : sorted) {
    ProductTerm term;
    term.reserve(literalCount(cube));
    for (uint64_t bits = cube.care; bits != 0; bits &= bits - 1) {
      const unsigned index = static_cast<unsigned>(std::countr_zero(bits));
      term.push_back(Literal{names_[index], (cube.value & bit(index)) == 0});
    }
    sum.terms.push_back(std::move(term));
  }
  return sum;
}

} // namespace gsmith::twolevel
