// The ATF1508AS/ASV: its architecture record and how its fuse map reaches the
// chip.
#pragma once

#include "cpld/architecture.h"
#include "target/flash-layout.h"

namespace gsmith {

const CPLDArchitecture &atf1508Architecture();

// How the fuse map reaches the chip over JTAG.
extern const FlashLayout kATF1508Flash;

} // namespace gsmith
