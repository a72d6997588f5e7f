// The one exception type for problems in the user's input: its message is the
// complete sentence the user sees after "Compiler error: ". Broken invariants
// of the compiler itself are std::logic_error instead.
#pragma once

#include <stdexcept>
#include <string>

namespace gsmith {

class CompileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

} // namespace gsmith
