// The ATF1504AS/ASV: its architecture record and the one check of a fuse map
// that this chip alone makes.
#pragma once

#include "cpld/architecture.h"
#include "target/flash-layout.h"
#include "model/netlist.h"

#include <vector>

namespace gsmith {

const CPLDArchitecture &atf1504Architecture();

// How the fuse map reaches the chip over JTAG.
extern const FlashLayout kATF1504Flash;

// Refuses a map whose reserved fuses are set or whose recovery, JTAG or
// security fuses left the safe state.
void checkATF1504BeforeWriting(const std::vector<bool> &fuses, const Netlist &netlist);

} // namespace gsmith
