// `gsmith-jed info`: a JEDEC file's device and the facts that matter before
// programming it, as stable "key: value" lines.
#pragma once

#include "jedtool/command-line.h"
#include "jedtool/jedec-input.h"

#include <ostream>
#include <string>

namespace gsmith {

std::string describeJedec(const JedecInput &input);

// Throws std::runtime_error when the file cannot be read or matched to a device.
void runInfo(const InfoOptions &options, std::ostream &out);

} // namespace gsmith
