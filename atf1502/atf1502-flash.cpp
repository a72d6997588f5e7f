// The ATF1502AS/ASV flash layout: 32 macrocells, words of 86 bits whose six
// padding bits sit at the most significant end, and the global-OE selects
// sharing the UIM select words above the 80 UIM bits.
#include "atf1502/atf1502.h"

namespace gsmith {

namespace {

constexpr CpldVariant kVariants[] = {
    {"ATF1502AS", 0x0150203f},
    {"ATF1502ASV", 0x0151203f},
};

constexpr WordGroup kOrder[] = {
    // first  words  width
    {0x00c, 96, 86}, // product terms, LAB A
    {0x080, 96, 86}, // product terms, LAB B
    {0x000, 12, 86}, // macrocell configuration rows
    {0x0e0, 5, 86},  // UIM and global-OE selects
    {0x200, 1, 4},   // read protection, JTAG pin function
    {0x300, 1, 16},  // user signature
    {0x100, 1, 32},  // device configuration with the arming switch: last
};

constexpr FlashRegion kRegions[] = {
    // first  count  walk                     address  stride  top bit
    {0, 7680, FuseWalk::AcrossWords, 0x00c, 96, 79},    // product terms, LAB A (80 x 96)
    {7680, 7680, FuseWalk::AcrossWords, 0x080, 96, 79}, // product terms, LAB B
    {15360, 960, FuseWalk::WithinWord, 0x000, 80, 79},  // macrocell configuration (12 x 80)
    {16320, 400, FuseWalk::AcrossWords, 0x0e0, 5, 79},  // UIM selects (80 x 5)
    {16720, 30, FuseWalk::AcrossWords, 0x0e0, 5, 85},   // global-OE selects (6 x 5)
    {16750, 32, FuseWalk::WithinWord, 0x100, 32, 31},   // device configuration
    {16782, 4, FuseWalk::WithinWord, 0x200, 4, 3},      // read protection, JTAG, 2 more
    {16786, 16, FuseWalk::WithinWord, 0x300, 16, 15},   // user signature
};                                                      // 16802 ... 16807 reserved

} // namespace

constexpr FlashLayout kATF1502Flash = {
    .family = "ATF1502",
    .fuseCount = 16808,
    .variants = kVariants,
    .order = kOrder,
    .regions = kRegions,
    .armingSwitchFuse = 16750,
    .readProtectionFuse = 16782,
    .jtagPinFunctionFuse = 16783,
    .signatureFuse = 16793,
};

} // namespace gsmith
