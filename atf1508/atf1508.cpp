// The ATF1508AS/ASV: 128 macrocells in eight LABs, QF74136. It is the
// ATF1504AS with twice the LABs: the same macrocell, option bits, product-term
// rows and device configuration word, wider fuse regions, 27-input switch
// multiplexers and its own pins. Its tables as the vendor-checked
// description gives them, and the record that hands them to the CPLD engine.
#include "atf1508/atf1508.h"

#include "atf1504/atf1504-option-rules.h"
#include "atf1508/atf1508-switches.h"
#include "cpld/architecture-check.h"
#include "cpld/device-wording.h"
#include "cpld/jedec-guard.h"
#include "cpld/table-helpers.h"

#include <array>

namespace gsmith {

namespace {

// --- Packages ---------------------------------------------------------------

enum PackageColumn { PLCC84, TQFP100, PQFP100, PQFP160, kPackageColumns };

// The pin of macrocells 1..128 in each package; 0 = buried. Positions 2, 7,
// 10 and 15 of every LAB are bonded in no package.
// clang-format off
constexpr std::array<std::array<int, kPackageColumns>, 128> kMacrocellPins{{
    // PLCC84 TQFP100 PQFP100 PQFP160
    {  0,   2,   4, 160}, // 1
    {  0,   0,   0,   0}, // 2
    { 12,   1,   3, 159}, // 3
    {  0,   0,   0, 158}, // 4
    { 11, 100,   2, 153}, // 5
    { 10,  99,   1, 152}, // 6
    {  0,   0,   0,   0}, // 7
    {  9,  98, 100, 151}, // 8
    {  0,  97,  99, 150}, // 9
    {  0,   0,   0,   0}, // 10
    {  8,  96,  98, 149}, // 11
    {  0,   0,   0, 147}, // 12
    {  6,  94,  96, 146}, // 13
    {  5,  93,  95, 145}, // 14
    {  0,   0,   0,   0}, // 15
    {  4,  92,  94, 144}, // 16
    { 22,  14,  16,  21}, // 17
    {  0,   0,   0,   0}, // 18
    { 21,  13,  15,  20}, // 19
    {  0,   0,   0,  19}, // 20
    { 20,  12,  14,  18}, // 21
    {  0,  10,  12,  16}, // 22
    {  0,   0,   0,   0}, // 23
    { 18,   9,  11,  15}, // 24
    { 17,   8,  10,  14}, // 25
    {  0,   0,   0,   0}, // 26
    { 16,   7,   9,  13}, // 27
    {  0,   0,   0,  12}, // 28
    { 15,   6,   8,  11}, // 29
    {  0,   5,   7,  10}, // 30
    {  0,   0,   0,   0}, // 31
    { 14,   4,   6,   9}, // 32
    {  0,  25,  27,  41}, // 33
    {  0,   0,   0,   0}, // 34
    { 31,  24,  26,  33}, // 35
    {  0,   0,   0,  32}, // 36
    { 30,  23,  25,  31}, // 37
    { 29,  22,  24,  30}, // 38
    {  0,   0,   0,   0}, // 39
    { 28,  21,  23,  29}, // 40
    {  0,  20,  22,  28}, // 41
    {  0,   0,   0,   0}, // 42
    { 27,  19,  21,  27}, // 43
    {  0,   0,   0,  25}, // 44
    { 25,  17,  19,  24}, // 45
    { 24,  16,  18,  23}, // 46
    {  0,   0,   0,   0}, // 47
    { 23,  15,  17,  22}, // 48
    { 41,  37,  39,  59}, // 49
    {  0,   0,   0,   0}, // 50
    { 40,  36,  38,  58}, // 51
    {  0,   0,   0,  57}, // 52
    { 39,  35,  37,  56}, // 53
    {  0,  33,  35,  54}, // 54
    {  0,   0,   0,   0}, // 55
    { 37,  32,  34,  53}, // 56
    { 36,  31,  33,  52}, // 57
    {  0,   0,   0,   0}, // 58
    { 35,  30,  32,  51}, // 59
    {  0,   0,   0,  50}, // 60
    { 34,  29,  31,  49}, // 61
    {  0,  28,  30,  48}, // 62
    {  0,   0,   0,   0}, // 63
    { 33,  27,  29,  43}, // 64
    { 44,  40,  42,  62}, // 65
    {  0,   0,   0,   0}, // 66
    { 45,  41,  43,  63}, // 67
    {  0,   0,   0,  64}, // 68
    { 46,  42,  44,  65}, // 69
    {  0,  44,  46,  67}, // 70
    {  0,   0,   0,   0}, // 71
    { 48,  45,  47,  68}, // 72
    { 49,  46,  48,  69}, // 73
    {  0,   0,   0,   0}, // 74
    { 50,  47,  49,  70}, // 75
    {  0,   0,   0,  71}, // 76
    { 51,  48,  50,  72}, // 77
    {  0,  49,  51,  73}, // 78
    {  0,   0,   0,   0}, // 79
    { 52,  50,  52,  78}, // 80
    {  0,  52,  54,  80}, // 81
    {  0,   0,   0,   0}, // 82
    { 54,  53,  55,  88}, // 83
    {  0,   0,   0,  89}, // 84
    { 55,  54,  56,  90}, // 85
    { 56,  55,  57,  91}, // 86
    {  0,   0,   0,   0}, // 87
    { 57,  56,  58,  92}, // 88
    {  0,  57,  59,  93}, // 89
    {  0,   0,   0,   0}, // 90
    { 58,  58,  60,  94}, // 91
    {  0,   0,   0,  96}, // 92
    { 60,  60,  62,  97}, // 93
    { 61,  61,  63,  98}, // 94
    {  0,   0,   0,   0}, // 95
    { 62,  62,  64,  99}, // 96
    { 63,  63,  65, 100}, // 97
    {  0,   0,   0,   0}, // 98
    { 64,  64,  66, 101}, // 99
    {  0,   0,   0, 102}, // 100
    { 65,  65,  67, 103}, // 101
    {  0,  67,  69, 105}, // 102
    {  0,   0,   0,   0}, // 103
    { 67,  68,  70, 106}, // 104
    { 68,  69,  71, 107}, // 105
    {  0,   0,   0,   0}, // 106
    { 69,  70,  72, 108}, // 107
    {  0,   0,   0, 109}, // 108
    { 70,  71,  73, 110}, // 109
    {  0,  72,  74, 111}, // 110
    {  0,   0,   0,   0}, // 111
    { 71,  73,  75, 112}, // 112
    {  0,  75,  77, 121}, // 113
    {  0,   0,   0,   0}, // 114
    { 73,  76,  78, 122}, // 115
    {  0,   0,   0, 123}, // 116
    { 74,  77,  79, 128}, // 117
    { 75,  78,  80, 129}, // 118
    {  0,   0,   0,   0}, // 119
    { 76,  79,  81, 130}, // 120
    {  0,  80,  82, 131}, // 121
    {  0,   0,   0,   0}, // 122
    { 77,  81,  83, 132}, // 123
    {  0,   0,   0, 134}, // 124
    { 79,  83,  85, 135}, // 125
    { 80,  84,  86, 136}, // 126
    {  0,   0,   0,   0}, // 127
    { 81,  85,  87, 137}, // 128
}};
// clang-format on

constexpr auto kPLCC84Pins = columnOf(kMacrocellPins, PLCC84);
constexpr auto kTQFP100Pins = columnOf(kMacrocellPins, TQFP100);
constexpr auto kPQFP100Pins = columnOf(kMacrocellPins, PQFP100);
constexpr auto kPQFP160Pins = columnOf(kMacrocellPins, PQFP160);

// VCC and GND; the PQFP160's 44 unconnected pins are neither I/O nor power.
constexpr std::array<int, 16> kPLCC84Power = {3,  7,  13, 19, 26, 32, 38, 42,
                                              43, 47, 53, 59, 66, 72, 78, 82};
constexpr std::array<int, 16> kTQFP100Power = {3,  11, 18, 26, 34, 38, 39, 43,
                                               51, 59, 66, 74, 82, 86, 91, 95};
constexpr std::array<int, 16> kPQFP100Power = {5,  13, 20, 28, 36, 40, 41, 45,
                                               53, 61, 68, 76, 84, 88, 93, 97};
constexpr std::array<int, 16> kPQFP160Power = {8,  17, 26,  42,  55,  60,  61,  66,
                                               79, 95, 104, 113, 133, 138, 143, 148};
// TDI, TMS, TCK and TDO: the pins of MC32, MC48, MC96 and MC112.
constexpr std::array<int, 4> kPLCC84JTAG = {14, 23, 62, 71};
constexpr std::array<int, 4> kTQFP100JTAG = {4, 15, 62, 73};
constexpr std::array<int, 4> kPQFP100JTAG = {6, 17, 64, 75};
constexpr std::array<int, 4> kPQFP160JTAG = {9, 22, 99, 112};
// The dedicated inputs: GCLR, GCLK2 (also OE2), GCLK1, OE1.
constexpr std::array<int, 4> kPLCC84Inputs = {1, 2, 83, 84};
constexpr std::array<int, 4> kTQFP100Inputs = {89, 90, 87, 88};
constexpr std::array<int, 4> kPQFP100Inputs = {91, 92, 89, 90};
constexpr std::array<int, 4> kPQFP160Inputs = {141, 142, 139, 140};

// GCLK3 is MC128's pin, PD1 MC3's and PD2 MC67's. The order of the list is
// the order the PACKAGE message names them in.
constexpr std::array<CPLDPackage, 4> kPackages{{
    {{.name = "PLCC84",
      .pinCount = 84,
      .ioPins = kPLCC84Pins,
      .inputPins = kPLCC84Inputs,
      .powerPins = kPLCC84Power,
      .jtagPins = kPLCC84JTAG,
      .clockPins = {83, 2, 81},
      .oePins = {84, 2, 0},
      .clearPin = 1,
      .powerDownPins = {12, 45}},
     kPLCC84Pins},
    {{.name = "TQFP100",
      .pinCount = 100,
      .ioPins = kTQFP100Pins,
      .inputPins = kTQFP100Inputs,
      .powerPins = kTQFP100Power,
      .jtagPins = kTQFP100JTAG,
      .clockPins = {87, 90, 85},
      .oePins = {88, 90, 0},
      .clearPin = 89,
      .powerDownPins = {1, 41}},
     kTQFP100Pins},
    {{.name = "PQFP100",
      .pinCount = 100,
      .ioPins = kPQFP100Pins,
      .inputPins = kPQFP100Inputs,
      .powerPins = kPQFP100Power,
      .jtagPins = kPQFP100JTAG,
      .clockPins = {89, 92, 87},
      .oePins = {90, 92, 0},
      .clearPin = 91,
      .powerDownPins = {3, 43}},
     kPQFP100Pins},
    {{.name = "PQFP160",
      .pinCount = 160,
      .ioPins = kPQFP160Pins,
      .inputPins = kPQFP160Inputs,
      .powerPins = kPQFP160Power,
      .jtagPins = kPQFP160JTAG,
      .clockPins = {139, 142, 137},
      .oePins = {140, 142, 0},
      .clearPin = 141,
      .powerDownPins = {159, 63}},
     kPQFP160Pins},
}};

// --- Global output enables --------------------------------------------------
// Six multiplexers of 27 select fuses from 73920; GOEn's invert fuse is
// 74085 + n. No vendor file selects a source on any of them, so none is
// known: every position is unused, and a design that needs a global enable
// is refused.

constexpr auto kUnknownSources = [] {
  std::array<SignalSource, 27> sources{};
  sources.fill({SourceKind::UNUSED, 0});
  return sources;
}();

constexpr GlobalOEMux goe(int n) { return {73893 + 27 * n, 74085 + n, kUnknownSources}; }

// Fuses 74082..74135 once encoded: the ATF1504's word at the same offsets
// (arming switch armed, high-Z termination, the clocks from their pins,
// transition detection off, JTAG pins pulled up and kept for JTAG, signature
// 0), then two reserved fuses.
constexpr std::string_view kConfiguration = "01"               // 74082, 74083
                                            "111111111"        // 74084..74092
                                            "011010000"        // 74093..74101
                                            "11100"            // 74102..74106
                                            "11111111"         // 74107..74114
                                            "111"              // 74115..74117
                                            "0000000000000000" // 74118..74133
                                            "00";              // 74134, 74135

constexpr std::string_view kMessagePrefix = "ATF1508AS";
using Wording = DeviceWording<kMessagePrefix>;

constexpr LanguageFeatures kFeatures{
    .packageStatement = true, .powerDown = true, .nodeRegisterControls = true};

constexpr CPLDArchitecture kATF1508{
    .jedecName = "ATF1508AS",
    .macrocellCount = 128,
    .labCount = 8,
    .fuseCount = 74136,
    .productTerms = {.blockBase = {0, 7680, 15360, 23040, 53760, 46080, 38400, 30720},
                     .pairsFromBlockEnd = true,
                     .oddMacrocellInUpperRows = true},
    .configurationRows = {.labBase = {61440, 61520, 61600, 61680, 63600, 63520, 63440, 63360},
                          .rowStride = 320,
                          .upStart = 16,
                          .downStart = 78},
    .optionRules = atf1504::kOptionRules,
    .switches = atf1508::kSwitches,
    .multiplexerFuses = {65280, 74082},
    .globalOEs = {goe(1), goe(2), goe(3), goe(4), goe(5), goe(6)},
    // The routes the ATF1504 and ATF1502 take; all three need a global enable.
    .packageOERoutes = {{{OutputEnableSource::OE1, 1, SourceKind::OE1_PAD, 0},
                         {OutputEnableSource::OE2, 2, SourceKind::CLOCK2_PAD, 0},
                         {OutputEnableSource::GOE6, 6, SourceKind::NONE, 0}}},
    .configurationBase = 74082,
    .configurationAfterEncoding = kConfiguration,
    .reservedFuses = 2,
    .signatureFuse = 74118,
    .powerDownFuses = {74084, 74085},
    .securityFuse = 74114,
    // As on the ATF1504, the JTAG pins' macrocells stay usable for buried
    // logic (the vendor fitter places nodes there too).
    .jtagMacrocells = {},
    .jtagMacrocellOptions = {},
    .packages = kPackages,
    .defaultPackage = 0, // PLCC84
    .features = kFeatures,
    .fitStrategy = FitStrategy::PHASED,
    .xorSplit = XorSplit::SPLIT_OR_REFUSE,
    .jedecPinCount = true,
    .flash = &kATF1508Flash,
    .checkBeforeWriting = checkArmedWithJTAG,
    .messages = {.device = kMessagePrefix,
                 .packageFamily = "ATF1508AS/ASV",
                 .fitFailed = "ATF1508AS fitting failed",
                 .fuseOutOfRange = Wording::fuseOutOfRange,
                 .install = Wording::install},
};

static_assert(validArchitecture(kATF1508), "ATF1508 fuse layout failed validation");

} // namespace

const CPLDArchitecture &atf1508Architecture() { return kATF1508; }

} // namespace gsmith
