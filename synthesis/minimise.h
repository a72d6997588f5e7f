// Two-level minimisation of sums of products over named signals: minimum
// covers for small functions, espresso-style heuristic covers beyond, and
// complements computed on cubes instead of by multiplying out De Morgan's
// product of sums. This sits beside Logic (logic.h), whose results it
// leaves untouched, for designs whose outputs need fewer product terms than
// the structural conversion yields.
//
// Limits, each documented where it is defined: at most 64 distinct signals
// per call (twolevel::kMaxVariables), a fixed amount of work per call
// (twolevel::kCallWork, a few tenths of a second, the conversion between
// names and cubes included), covers of at most 32768
// cubes (twolevel::kMaxCubes), and an exact search only for functions of at
// most 16 signals and 512 primes (exact-minimise.h). Past a limit a call
// degrades instead of running away: `minimise` returns a cover no better
// than its input, the others return nothing.
//
// Results are deterministic: literals in byte order of their names, positive
// first; terms in lexicographic order of their literal lists, a proper
// prefix first. Every result is checked against its input by cube
// containment and tautology before it is returned; a failed check is a
// std::logic_error, an internal fault, never a wrong answer.
#pragma once

#include "model/design.h"
#include "synthesis/cube.h"
#include "synthesis/logic.h"

#include <optional>

namespace gsmith {

class Minimiser {
public:
  // Expression trees deeper or with more distinct nodes than this are
  // refused by sumOf and complementOf, as ExpansionBound refuses them.
  static constexpr int kMaxDepth = 128;
  static constexpr size_t kMaxNodes = 16384;

  // A sum with the same function as `sum` and never more terms (at equal
  // term count, never more literals): the minimum when the function is small
  // enough for the exact search, an irredundant prime cover otherwise. When
  // the work bound cuts the search short, the cheapest cover found by then,
  // at worst the terms of `sum` without repeats and contradictions; with
  // more than 64 signals, `sum` itself.
  static SOPExpression minimise(const SOPExpression &sum);
  // Each entry point also comes drawing on `work` instead of a fresh
  // twolevel::kCallWork, so that a series of calls sharing one budget costs
  // at most what it holds in total.
  static SOPExpression minimise(const SOPExpression &sum, twolevel::Budget &work);

  // The minimised complement of `sum`; nothing when it exceeds the limits
  // (the complement of a sum of n two-literal products has 2^n terms).
  static std::optional<SOPExpression> complement(const SOPExpression &sum);
  static std::optional<SOPExpression> complement(const SOPExpression &sum, twolevel::Budget &work);

  // The minimised sum of `!expression` and of `expression`, built bottom-up
  // with negations pushed to the leaves and every intermediate sum
  // minimised, so that the complement of a wide product of sums costs about
  // as much as the sums. Nothing when a limit is exceeded or the tree is
  // malformed (a missing operand or an unknown node kind).
  static std::optional<SOPExpression> complementOf(const ExpressionPtr &expression);
  static std::optional<SOPExpression> sumOf(const ExpressionPtr &expression);
  static std::optional<SOPExpression> complementOf(const ExpressionPtr &expression,
                                                   twolevel::Budget &work);
  static std::optional<SOPExpression> sumOf(const ExpressionPtr &expression,
                                            twolevel::Budget &work);

  // Whether both sums denote the same function, decided by cube containment
  // and tautology (no truth tables); nothing when that exceeds the limits.
  static std::optional<bool> equivalent(const SOPExpression &a, const SOPExpression &b);
};

} // namespace gsmith
