// Two-level logic: Boolean expression trees become sums of products, which
// are then reduced to a small canonical list of terms. Every back end
// programs product terms, so all logic passes through here. The term order
// of every result is part of the contract: fuse maps depend on it.
#pragma once

#include "model/design.h"
#include "model/sum-of-products.h"

#include <string>
#include <vector>

namespace gsmith {

class Logic {
public:
  static SOPExpression toSOP(const ExpressionPtr &expression);
  static SOPExpression convert(const ExpressionPtr &expression);
  static SOPExpression invert(const SOPExpression &sum);
  static SOPExpression simplify(const SOPExpression &sum);
  // simplify(toSOP(expression)), computed on signal numbers rather than names:
  // the same result, at a fraction of the cost for large expansions.
  static SOPExpression reduce(const ExpressionPtr &expression);
  static ProductTerm combineTerms(const ProductTerm &a, const ProductTerm &b);
  static bool normalizeTerm(ProductTerm &term);
  static bool sameTerm(const ProductTerm &a, const ProductTerm &b);
};

} // namespace gsmith
