// The exception types for problems in the user's input: the message is the
// complete sentence the user sees after "Compiler error: ". Broken invariants
// of the compiler itself are std::logic_error instead. An error may know the
// place in the source it arose from, and a stage that fails for several
// reasons at once (a fit) carries them all, each with its own place; the
// driver decides how much of that the user sees.
#pragma once

#include "model/source-location.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace gsmith {

class CompileError : public std::runtime_error {
public:
  explicit CompileError(const std::string &message, SourceLocation location = {})
      : std::runtime_error(message), location_(location) {}
  CompileError(const std::string &message, std::vector<LocatedMessage> reasons)
      : std::runtime_error(message), reasons_(std::move(reasons)) {}

  const SourceLocation &location() const { return location_; }
  const std::vector<LocatedMessage> &reasons() const { return reasons_; }

  // The innermost place wins: a location is only set where none is known.
  void locateAt(SourceLocation where) {
    if (!location_.known())
      location_ = where;
  }

private:
  SourceLocation location_;
  std::vector<LocatedMessage> reasons_;
};

// A refusal for lack of product terms: an expression past the expansion
// budget, a sum larger than its cell, a chain without enough terms. Its
// message is the ordinary refusal; the driver may first retry the design
// with minimised and complemented sums, and reports this exception
// unchanged when that does not fit either.
class ProductTermShortage : public CompileError {
public:
  explicit ProductTermShortage(const std::string &message, std::vector<std::string> outputs = {},
                               SourceLocation location = {})
      : CompileError(message, location), outputs_(std::move(outputs)) {}
  ProductTermShortage(const std::string &message, std::vector<std::string> outputs,
                      std::vector<LocatedMessage> reasons)
      : CompileError(message, std::move(reasons)), outputs_(std::move(outputs)) {}

  // The outputs (or NODEs) found short, when the refusal knows them.
  const std::vector<std::string> &outputs() const { return outputs_; }

private:
  std::vector<std::string> outputs_;
};

// Runs `step`, giving any CompileError it throws without a place of its own
// the place `where`: a check deep inside a stage need not know which
// statement it is checking, the loop over the statements does.
template <typename Step> decltype(auto) locatedAt(SourceLocation where, Step &&step) {
  try {
    return step();
  } catch (CompileError &error) {
    error.locateAt(where);
    throw;
  }
}

} // namespace gsmith
