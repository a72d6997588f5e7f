// The public entry points of two-level minimisation: conversion between
// named sums and cubes, and the bottom-up walk that builds the sum of an
// expression tree, or of its complement, one minimised node at a time.
#include "synthesis/minimise.h"

#include "synthesis/minimise-core.h"
#include "synthesis/signal-space.h"
#include "synthesis/unate.h"

#include <map>
#include <set>
#include <utility>

namespace gsmith {

using twolevel::Budget;
using twolevel::Cover;
using twolevel::Cube;
using twolevel::SignalSpace;
using twolevel::WorkExhausted;

namespace {

// The memoised sums of a walk together may hold this many cubes (16 MiB).
constexpr size_t kMaxStoredCubes = size_t{1} << 20;

// Converting one literal between a named sum and a cube costs about as much
// as this many cube operations (its name is compared and copied). It is
// charged like any other work, so that a budget bounds a call's time even
// when its input or its result is large.
constexpr uint64_t kConversionWork = 128;

void chargeConversion(Budget &budget, const SOPExpression &sum) {
  uint64_t literals = 1;
  for (const ProductTerm &term : sum.terms) {
    literals += term.size();
  }
  budget.charge(literals * kConversionWork);
}

void chargeConversion(Budget &budget, const Cover &cover) {
  uint64_t literals = 1;
  for (const Cube &cube : cover) {
    literals += twolevel::literalCount(cube);
  }
  budget.charge(literals * kConversionWork);
}

class ExpressionWalk {
public:
  explicit ExpressionWalk(Budget &budget) : budget_(budget) {}

  std::optional<SOPExpression> run(const ExpressionPtr &root, bool negated) {
    if (!collect(root.get(), 0) || !space_.seal()) {
      return std::nullopt;
    }
    try {
      const Cover &result = cover(*root, negated);
      chargeConversion(budget_, result);
      return space_.toSum(result);
    } catch (const WorkExhausted &) {
      return std::nullopt;
    }
  }

private:
  // Numbers the signals and checks the shape before any work is done.
  bool collect(const Expression *expression, int depth) {
    if (expression == nullptr || depth > Minimiser::kMaxDepth) {
      return false;
    }
    if (!visited_.insert(expression).second) {
      return true;
    }
    if (visited_.size() > Minimiser::kMaxNodes) {
      return false;
    }
    switch (expression->type) {
    case ExpressionType::IDENTIFIER:
      space_.addName(expression->name);
      return true;
    case ExpressionType::CONSTANT:
      return true;
    case ExpressionType::NOT:
      return collect(expression->left.get(), depth + 1);
    case ExpressionType::AND:
    case ExpressionType::OR:
    case ExpressionType::XOR:
      return collect(expression->left.get(), depth + 1) &&
             collect(expression->right.get(), depth + 1);
    }
    return false;
  }

  // Shared subtrees are computed once per polarity.
  const Cover &cover(const Expression &expression, bool negated) {
    const auto key = std::make_pair(&expression, negated);
    if (const auto found = memo_.find(key); found != memo_.end()) {
      return found->second;
    }
    Cover result = compute(expression, negated);
    stored_ += result.size();
    if (stored_ > kMaxStoredCubes) {
      throw WorkExhausted{};
    }
    return memo_.emplace(key, std::move(result)).first->second;
  }

  Cover compute(const Expression &expression, bool negated) {
    switch (expression.type) {
    case ExpressionType::IDENTIFIER: {
      const uint64_t mask = twolevel::bit(space_.variable(expression.name));
      return Cover{Cube{mask, negated ? 0 : mask}};
    }
    case ExpressionType::CONSTANT:
      return expression.value != negated ? Cover{Cube{}} : Cover{};
    case ExpressionType::NOT:
      return cover(*expression.left, !negated);
    case ExpressionType::AND:
    case ExpressionType::OR: {
      // De Morgan: a negated AND is an OR of negated operands.
      const bool isOr = (expression.type == ExpressionType::OR) != negated;
      const Cover &left = cover(*expression.left, negated);
      const Cover &right = cover(*expression.right, negated);
      return minimised(isOr ? join(left, right) : product(left, right));
    }
    case ExpressionType::XOR: {
      // l ^ r is l.!r + !l.r; its complement is l.r + !l.!r.
      const Cover first =
          product(cover(*expression.left, false), cover(*expression.right, !negated));
      const Cover second =
          product(cover(*expression.left, true), cover(*expression.right, negated));
      return minimised(join(first, second));
    }
    }
    throw WorkExhausted{};
  }

  Cover product(const Cover &left, const Cover &right) {
    if (left.size() * right.size() > twolevel::kMaxCubes) {
      throw WorkExhausted{};
    }
    budget_.charge(left.size() * right.size() + 1);
    Cover result;
    for (const Cube &l : left) {
      for (const Cube &r : right) {
        if (twolevel::intersects(l, r)) {
          result.push_back(twolevel::intersection(l, r));
        }
      }
    }
    return result;
  }

  Cover join(const Cover &left, const Cover &right) {
    Cover result = left;
    result.insert(result.end(), right.begin(), right.end());
    budget_.admit(result);
    return result;
  }

  Cover minimised(const Cover &raw) {
    budget_.admit(raw);
    return twolevel::minimiseCover(raw, nullptr, budget_);
  }

  SignalSpace space_;
  Budget &budget_;
  std::set<const Expression *> visited_;
  std::map<std::pair<const Expression *, bool>, Cover> memo_;
  size_t stored_ = 0;
};

} // namespace

SOPExpression Minimiser::minimise(const SOPExpression &sum) {
  Budget budget(twolevel::kCallWork);
  return minimise(sum, budget);
}

SOPExpression Minimiser::minimise(const SOPExpression &sum, Budget &work) {
  try {
    chargeConversion(work, sum);
    SignalSpace space;
    space.addNames(sum);
    if (!space.seal()) {
      return sum;
    }
    const Cover result = twolevel::minimiseCover(space.toCover(sum), nullptr, work);
    chargeConversion(work, result);
    return space.toSum(result);
  } catch (const WorkExhausted &) {
    return sum;
  }
}

std::optional<SOPExpression> Minimiser::complement(const SOPExpression &sum) {
  Budget budget(twolevel::kCallWork);
  return complement(sum, budget);
}

std::optional<SOPExpression> Minimiser::complement(const SOPExpression &sum, Budget &work) {
  try {
    chargeConversion(work, sum);
    SignalSpace space;
    space.addNames(sum);
    if (!space.seal()) {
      return std::nullopt;
    }
    const std::optional<Cover> result = twolevel::complementCover(space.toCover(sum), work);
    if (!result) {
      return std::nullopt;
    }
    chargeConversion(work, *result);
    return space.toSum(*result);
  } catch (const WorkExhausted &) {
    return std::nullopt;
  }
}

std::optional<SOPExpression> Minimiser::complementOf(const ExpressionPtr &expression) {
  Budget budget(twolevel::kCallWork);
  return complementOf(expression, budget);
}

std::optional<SOPExpression> Minimiser::complementOf(const ExpressionPtr &expression,
                                                     Budget &work) {
  return ExpressionWalk(work).run(expression, true);
}

std::optional<SOPExpression> Minimiser::sumOf(const ExpressionPtr &expression) {
  Budget budget(twolevel::kCallWork);
  return sumOf(expression, budget);
}

std::optional<SOPExpression> Minimiser::sumOf(const ExpressionPtr &expression, Budget &work) {
  return ExpressionWalk(work).run(expression, false);
}

std::optional<bool> Minimiser::equivalent(const SOPExpression &a, const SOPExpression &b) {
  SignalSpace space;
  space.addNames(a);
  space.addNames(b);
  if (!space.seal()) {
    return std::nullopt;
  }
  Budget budget(twolevel::kCallWork);
  try {
    return twolevel::equivalentCovers(space.toCover(a), space.toCover(b), budget);
  } catch (const WorkExhausted &) {
    return std::nullopt;
  }
}

} // namespace gsmith
