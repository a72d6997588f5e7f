// Names of the front end's enumerations and a fully parenthesised printer for
// expression trees. The compile path never prints through these; they exist
// for diagnosing a design or a token stream by hand and in tests.
#pragma once

#include "frontend/token.h"
#include "model/design.h"

#include <memory>
#include <ostream>

namespace gsmith {

const char *tokenTypeName(TokenType type);
const char *clockSourceName(ClockSource source);
const char *outputEnableName(OutputEnableSource source);
const char *resetSourceName(ResetSource source);

// Writes the tree to standard output: "(a & (!b))" style, nothing for null.
void printExpression(const std::shared_ptr<Expression> &expression);
void printExpression(std::ostream &out, const std::shared_ptr<Expression> &expression);

} // namespace gsmith
