// Two-level logic: Boolean expression trees become sums of products, which
// are then reduced to a small canonical list of terms. Every back end
// programs product terms, so all logic passes through here. The term order
// of every result is part of the contract: fuse maps depend on it.
#pragma once

#include "frontend/design.h"

#include <string>
#include <vector>

namespace gsmith {

struct Literal {
  std::string name;
  bool negated = false;
};

// An AND of literals; empty means constant 1.
using ProductTerm = std::vector<Literal>;

// An OR of product terms; no terms means constant 0.
struct SOPExpression {
  std::vector<ProductTerm> terms;
};

class Logic {
public:
  static SOPExpression toSOP(const ExpressionPtr& expression);
  static SOPExpression convert(const ExpressionPtr& expression);
  static SOPExpression invert(const SOPExpression& sum);
  static SOPExpression simplify(const SOPExpression& sum);
  static ProductTerm combineTerms(const ProductTerm& a, const ProductTerm& b);
  static bool normalizeTerm(ProductTerm& term);
  static bool sameTerm(const ProductTerm& a, const ProductTerm& b);
  static bool termAbsorbs(const ProductTerm& a, const ProductTerm& b);
  static bool combineIfPossible(const ProductTerm& a, const ProductTerm& b, ProductTerm& out);
};

} // namespace gsmith
