// Source text into the front end's records for the GAL tests.
#include "tests/gal/gal-test-support.h"

#include "frontend/lexer.h"
#include "frontend/parser.h"
#include "target/registry.h"

namespace gsmith::testing {

Design parseSource(const std::string &source) {
  return Parser(Lexer(source).tokenize(), TargetRegistry::features).parse();
}

ExpressionPtr expression(const std::string &text) {
  return parseSource("y = " + text).equations.at(0).expression;
}

} // namespace gsmith::testing
