// Checks a parsed design against the chosen device and against itself before
// any logic is built. The checks run in a fixed order, which decides the one
// message a design with several problems gets.
#pragma once

#include "frontend/design.h"

#include <memory>
#include <string>

namespace gsmith {

class SemanticAnalyzer {
public:
  // Returns only for a design every later stage accepts; otherwise throws
  // std::runtime_error with the first problem found.
  static void validate(const Design &design);

  static const NodeDefinition *findNode(const Design &design, const std::string &name);
  static void validateExpression(const Design &design,
                                 const std::shared_ptr<Expression> &expression);
};

} // namespace gsmith
