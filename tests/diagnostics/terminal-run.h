// Runs the built gsmith with its standard error on a pseudo-terminal, as a
// person at a terminal would, and GSMITH_DIAGNOSTICS set as asked.
#pragma once

#include "tests/support/run-gsmith.h"

#include <filesystem>
#include <string>

namespace gsmith::testing {

// Compiles `sourceName` in `dir`; null `diagnostics` leaves GSMITH_DIAGNOSTICS unset.
RunResult runOnTerminal(const std::filesystem::path &dir, const std::string &sourceName,
                        const char *diagnostics);

} // namespace gsmith::testing
