// `gsmith-jed decode`: a JEDEC file printed as the source it programs.
// `gsmith-jed verify`: whether a JEDEC file implements a source.
#pragma once

#include "jedtool/command-line.h"

#include <ostream>

namespace gsmith {

// Throws std::runtime_error when a file cannot be read or identified.
void runDecode(const DecodeOptions &options, std::ostream &out);

// 0 when the file implements the source; 1, with one line per difference on
// `out`, when it does not. Throws std::runtime_error as runDecode does, and
// for a source that does not compile.
int runVerify(const VerifyOptions &options, std::ostream &out);

} // namespace gsmith
