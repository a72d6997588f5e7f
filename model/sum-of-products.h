// Two-level logic as every back end programs it: a sum of product terms over
// named signals. Plain values; the algorithms that build and reduce them live
// in synthesis/.
#pragma once

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

} // namespace gsmith
