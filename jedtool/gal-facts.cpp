// The three GAL devices gsmith compiles for.
#include "jedtool/gal-facts.h"

namespace gsmith {

namespace {

constexpr GalFacts kGalDevices[] = {
    // name      family     QF    signature
    {"GAL16V8B", "GAL16V8", 2194, 2056},
    {"GAL20V8B", "GAL20V8", 2706, 2568},
    {"GAL22V10B", "GAL22V10", 5892, 5828},
};

} // namespace

std::span<const GalFacts> galDevices() { return kGalDevices; }

} // namespace gsmith
