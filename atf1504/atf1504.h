// The ATF1504AS/ASV: its architecture record and how its fuse map reaches the
// chip.
#pragma once

#include "cpld/architecture.h"
#include "target/flash-layout.h"

namespace gsmith {

const CPLDArchitecture &atf1504Architecture();

// How the fuse map reaches the chip over JTAG.
extern const FlashLayout kATF1504Flash;

} // namespace gsmith
