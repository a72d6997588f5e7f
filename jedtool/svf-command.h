// `gsmith-jed svf`: the checks that decide whether a fuse map may be played
// into a chip at all, the choice of variant and output name, and the safe
// installation of the SVF.
#pragma once

#include "jedtool/command-line.h"

#include <ostream>

namespace gsmith {

// Throws std::runtime_error for every refusal; nothing is written then.
// The success line goes to `out`; notes and warnings to `diagnostics`.
void runSvf(const SvfOptions &options, std::ostream &out, std::ostream &diagnostics);

} // namespace gsmith
