// The ATF1502AS/ASV: its architecture record and the one check of a fuse map
// that this chip alone makes.
#pragma once

#include "cpld/architecture.h"
#include "model/netlist.h"
#include "target/flash-layout.h"

#include <vector>

namespace gsmith {

const CPLDArchitecture &atf1502Architecture();

// How the fuse map reaches the chip over JTAG.
extern const FlashLayout kATF1502Flash;

// Refuses a map whose device configuration, fixed configuration-row fuses or
// global-OE multiplexers differ from what the vendor's files show is safe.
void checkATF1502BeforeWriting(const CPLDArchitecture &arch, const std::vector<bool> &fuses,
                               const Netlist &netlist);

} // namespace gsmith
