// The signals of one minimisation call, numbered in byte order of their
// names so that ascending variable numbers give the literal order of
// Logic::normalizeTerm, and the conversions between sums of products and
// cubes over them. Converting back also fixes the term order, so that a
// result never depends on how a cover happened to be stored.
#pragma once

#include "synthesis/cube.h"
#include "synthesis/logic.h"

#include <set>
#include <string>
#include <vector>

namespace gsmith::twolevel {

class SignalSpace {
public:
  void addName(const std::string &name) { collected_.insert(name); }
  void addNames(const SOPExpression &sum);

  // Sorts and deduplicates the names collected so far; false when they do
  // not fit in a cube.
  bool seal();

  // The variable of `name`, which must have been added before `seal`.
  unsigned variable(const std::string &name) const;

  // Terms holding a signal in both polarities are dropped: they are 0.
  Cover toCover(const SOPExpression &sum) const;

  // Literals in variable order, terms in lexicographic order of their
  // literal lists (positive before negated, a proper prefix first).
  SOPExpression toSum(const Cover &cover) const;

  // That term order, on cubes.
  static bool termLess(const Cube &a, const Cube &b);

private:
  std::set<std::string> collected_;
  std::vector<std::string> names_;
};

} // namespace gsmith::twolevel
