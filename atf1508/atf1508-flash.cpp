// The ATF1508AS/ASV flash layout: 128 macrocells, words of 326 bits whose six
// padding bits (in the macrocell-configuration words only) sit at the least
// significant end, and 27 select words holding the 320 switch and six
// global-OE multiplexers, one bit each.
#include "atf1508/atf1508.h"

namespace gsmith {

namespace {

constexpr CpldVariant kVariants[] = {
    {"ATF1508AS", 0x0150803f},
    {"ATF1508ASV", 0x0151803f},
};

constexpr WordGroup kOrder[] = {
    // first  words  width
    {0x00c, 96, 326}, // product terms, LAB blocks A, B, C, D
    {0x080, 96, 326}, // product terms, LAB blocks H, G, F, E
    {0x000, 12, 326}, // macrocell configuration rows
    {0x0e0, 27, 326}, // switch and global-OE selects
    {0x200, 1, 4},    // read protection, JTAG pin function
    {0x300, 1, 16},   // user signature
    {0x100, 1, 32},   // device configuration with the arming switch: last
};

constexpr FlashRegion kRegions[] = {
    // first  count  walk                      address  stride  top bit
    {0, 30720, FuseWalk::AcrossWords, 0x00c, 96, 325},     // product terms A-D (320 x 96)
    {30720, 30720, FuseWalk::AcrossWords, 0x080, 96, 325}, // product terms H-E
    {61440, 3840, FuseWalk::WithinWord, 0x000, 320, 325},  // macrocell configuration (12 x 320)
    {65280, 8802, FuseWalk::AcrossWords, 0x0e0, 27, 325},  // 320 switch + 6 GOE selects (x 27)
    {74082, 32, FuseWalk::WithinWord, 0x100, 32, 31},      // device configuration
    {74114, 4, FuseWalk::WithinWord, 0x200, 4, 3},         // read protection, JTAG, 2 more
    {74118, 16, FuseWalk::WithinWord, 0x300, 16, 15},      // user signature
};                                                         // 74134, 74135 reserved

} // namespace

constexpr FlashLayout kATF1508Flash = {
    .family = "ATF1508",
    .fuseCount = 74136,
    .variants = kVariants,
    .order = kOrder,
    .regions = kRegions,
    .armingSwitchFuse = 74082,
    .readProtectionFuse = 74114,
    .jtagPinFunctionFuse = 74115,
    .signatureFuse = 74125,
};

} // namespace gsmith
