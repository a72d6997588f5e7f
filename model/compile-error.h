// The exception types for problems in the user's input: the message is the
// complete sentence the user sees after "Compiler error: ". Broken invariants
// of the compiler itself are std::logic_error instead.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace gsmith {

class CompileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A refusal for lack of product terms: an expression past the expansion
// budget, a sum larger than its cell, a chain without enough terms. Its
// message is the ordinary refusal; the driver may first retry the design
// with minimised and complemented sums, and reports this exception
// unchanged when that does not fit either.
class ProductTermShortage : public CompileError {
public:
  explicit ProductTermShortage(const std::string &message, std::vector<std::string> outputs = {})
      : CompileError(message), outputs_(std::move(outputs)) {}

  // The outputs (or NODEs) found short, when the refusal knows them.
  const std::vector<std::string> &outputs() const { return outputs_; }

private:
  std::vector<std::string> outputs_;
};

} // namespace gsmith
