// The ATF1504AS/ASV flash layout: 64 macrocells, words of 166 bits whose six
// padding bits sit at the least significant end (shifted first), and nine
// select words holding the switch and global-OE multiplexers alike.
#include "atf1504/atf1504.h"

namespace gsmith {

namespace {

constexpr CpldVariant kVariants[] = {
    {"ATF1504AS", 0x0150403f},
    {"ATF1504ASV", 0x0151403f},
};

constexpr WordGroup kOrder[] = {
    // first  words  width
    {0x00c, 96, 166}, // product terms, LAB blocks A, B
    {0x080, 96, 166}, // product terms, LAB blocks D, C
    {0x000, 12, 166}, // macrocell configuration rows
    {0x0e0, 9, 166},  // switch and global-OE selects
    {0x200, 1, 4},    // read protection, JTAG pin function
    {0x300, 1, 16},   // user signature
    {0x100, 1, 32},   // device configuration with the arming switch: last
};

constexpr FlashRegion kRegions[] = {
    // first  count  walk                      address  stride  top bit
    {0, 15360, FuseWalk::AcrossWords, 0x00c, 96, 165},     // product terms A, B (160 x 96)
    {15360, 15360, FuseWalk::AcrossWords, 0x080, 96, 165}, // product terms D, C
    {30720, 1920, FuseWalk::WithinWord, 0x000, 160, 165},  // macrocell configuration (12 x 160)
    {32640, 1494, FuseWalk::AcrossWords, 0x0e0, 9, 165},   // 160 switch + 6 GOE selects (x 9)
    {34134, 32, FuseWalk::WithinWord, 0x100, 32, 31},      // device configuration
    {34166, 4, FuseWalk::WithinWord, 0x200, 4, 3},         // read protection, JTAG, 2 more
    {34170, 16, FuseWalk::WithinWord, 0x300, 16, 15},      // user signature
};                                                         // 34186 ... 34191 reserved

} // namespace

constexpr FlashLayout kATF1504Flash = {
    .family = "ATF1504",
    .fuseCount = 34192,
    .variants = kVariants,
    .order = kOrder,
    .regions = kRegions,
    .armingSwitchFuse = 34134,
    .readProtectionFuse = 34166,
    .jtagPinFunctionFuse = 34167,
    .signatureFuse = 34177,
};

} // namespace gsmith
