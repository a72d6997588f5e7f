// Source text into the front end's records for the GAL tests, so that each
// case reads like the source it stands for.
#pragma once

#include "model/design.h"

#include <string>

namespace gsmith::testing {

// The Design of a source text, read by the project's own front end.
Design parseSource(const std::string &source);

// An expression tree from the source language's infix syntax.
ExpressionPtr expression(const std::string &text);

} // namespace gsmith::testing
