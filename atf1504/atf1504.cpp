// The ATF1504AS/ASV: 64 macrocells in four LABs, QF34192. Its tables as the
// fuse databases give them, and the record that hands them to the CPLD
// engine.
#include "atf1504/atf1504.h"

#include "atf1504/atf1504-option-rules.h"
#include "atf1504/atf1504-switches.h"
#include "cpld/architecture-check.h"
#include "cpld/device-wording.h"
#include "cpld/jedec-guard.h"
#include "cpld/macrocell-options.h"
#include "cpld/table-helpers.h"

#include <array>

namespace gsmith {

namespace {

// --- Packages ---------------------------------------------------------------

enum PackageColumn { PLCC84, PLCC44, TQFP44, TQFP100, kPackageColumns };

// The pin of macrocells 1..64 in each package; 0 = buried.
// clang-format off
constexpr std::array<std::array<int, kPackageColumns>, 64> kMacrocellPins{{
    // PLCC84 PLCC44 TQFP44 TQFP100
    {22, 12,  6,  14}, // 1
    {21,  0,  0,  13}, // 2
    {20, 11,  5,  12}, // 3
    {18,  9,  3,  10}, // 4
    {17,  8,  2,   9}, // 5
    {16,  0,  0,   8}, // 6
    {15,  0,  0,   6}, // 7
    {14,  7,  1,   4}, // 8
    {12,  0,  0, 100}, // 9
    {11,  0,  0,  99}, // 10
    {10,  6, 44,  98}, // 11
    { 9,  0,  0,  97}, // 12
    { 8,  0,  0,  96}, // 13
    { 6,  5, 43,  94}, // 14
    { 5,  0,  0,  93}, // 15
    { 4,  4, 42,  92}, // 16
    {41, 21, 15,  37}, // 17
    {40,  0,  0,  36}, // 18
    {39, 20, 14,  35}, // 19
    {37, 19, 13,  33}, // 20
    {36, 18, 12,  32}, // 21
    {35,  0,  0,  31}, // 22
    {34,  0,  0,  30}, // 23
    {33, 17, 11,  29}, // 24
    {31, 16, 10,  25}, // 25
    {30,  0,  0,  23}, // 26
    {29,  0,  0,  21}, // 27
    {28,  0,  0,  20}, // 28
    {27,  0,  0,  19}, // 29
    {25, 14,  8,  17}, // 30
    {24,  0,  0,  16}, // 31
    {23, 13,  7,  15}, // 32
    {44, 24, 18,  40}, // 33
    {45,  0,  0,  41}, // 34
    {46, 25, 19,  42}, // 35
    {48, 26, 20,  44}, // 36
    {49, 27, 21,  45}, // 37
    {50,  0,  0,  46}, // 38
    {51,  0,  0,  47}, // 39
    {52, 28, 22,  48}, // 40
    {54, 29, 23,  52}, // 41
    {55,  0,  0,  54}, // 42
    {56,  0,  0,  56}, // 43
    {57,  0,  0,  57}, // 44
    {58,  0,  0,  58}, // 45
    {60, 31, 25,  60}, // 46
    {61,  0,  0,  61}, // 47
    {62, 32, 26,  62}, // 48
    {63, 33, 27,  63}, // 49
    {64,  0,  0,  64}, // 50
    {65, 34, 28,  65}, // 51
    {67, 36, 30,  67}, // 52
    {68, 37, 31,  68}, // 53
    {69,  0,  0,  69}, // 54
    {70,  0,  0,  71}, // 55
    {71, 38, 32,  73}, // 56
    {73, 39, 33,  75}, // 57
    {74,  0,  0,  76}, // 58
    {75,  0,  0,  79}, // 59
    {76,  0,  0,  80}, // 60
    {77,  0,  0,  81}, // 61
    {79, 40, 34,  83}, // 62
    {80,  0,  0,  84}, // 63
    {81, 41, 35,  85}, // 64
}};
// clang-format on

constexpr auto kPLCC84Pins = columnOf(kMacrocellPins, PLCC84);
constexpr auto kPLCC44Pins = columnOf(kMacrocellPins, PLCC44);
constexpr auto kTQFP44Pins = columnOf(kMacrocellPins, TQFP44);
constexpr auto kTQFP100Pins = columnOf(kMacrocellPins, TQFP100);

constexpr std::array<int, 16> kPLCC84Power = {3,  7,  13, 19, 26, 32, 38, 42,
                                              43, 47, 53, 59, 66, 72, 78, 82};
constexpr std::array<int, 8> kPLCC44Power = {3, 10, 15, 22, 23, 30, 35, 42};
constexpr std::array<int, 8> kTQFP44Power = {4, 9, 16, 17, 24, 29, 36, 41};
constexpr std::array<int, 16> kTQFP100Power = {3,  11, 18, 26, 34, 38, 39, 43,
                                               51, 59, 66, 74, 82, 86, 91, 95};
constexpr std::array<int, 4> kPLCC84JTAG = {14, 23, 62, 71};
constexpr std::array<int, 4> kPLCC44JTAG = {7, 13, 32, 38};
constexpr std::array<int, 4> kTQFP44JTAG = {1, 7, 26, 32};
constexpr std::array<int, 4> kTQFP100JTAG = {4, 15, 62, 73};
// The dedicated inputs: GCLR, GCLK2 (also OE2), GCLK1, OE1.
constexpr std::array<int, 4> kPLCC84Inputs = {1, 2, 83, 84};
constexpr std::array<int, 4> kPLCC44Inputs = {1, 2, 43, 44};
constexpr std::array<int, 4> kTQFP44Inputs = {39, 40, 37, 38};
constexpr std::array<int, 4> kTQFP100Inputs = {89, 90, 87, 88};

// The order of the list is the order the PACKAGE message names them in.
constexpr std::array<CPLDPackage, 4> kPackages{{
    {{.name = "PLCC44",
      .pinCount = 44,
      .ioPins = kPLCC44Pins,
      .inputPins = kPLCC44Inputs,
      .powerPins = kPLCC44Power,
      .jtagPins = kPLCC44JTAG,
      .clockPins = {43, 2, 41},
      .oePins = {44, 2, 0},
      .clearPin = 1,
      .powerDownPins = {11, 25}},
     kPLCC44Pins},
    {{.name = "TQFP44",
      .pinCount = 44,
      .ioPins = kTQFP44Pins,
      .inputPins = kTQFP44Inputs,
      .powerPins = kTQFP44Power,
      .jtagPins = kTQFP44JTAG,
      .clockPins = {37, 40, 35},
      .oePins = {38, 40, 0},
      .clearPin = 39,
      .powerDownPins = {5, 19}},
     kTQFP44Pins},
    {{.name = "PLCC84",
      .pinCount = 84,
      .ioPins = kPLCC84Pins,
      .inputPins = kPLCC84Inputs,
      .powerPins = kPLCC84Power,
      .jtagPins = kPLCC84JTAG,
      .clockPins = {83, 2, 81},
      .oePins = {84, 2, 0},
      .clearPin = 1,
      .powerDownPins = {20, 46}},
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
      .powerDownPins = {12, 42}},
     kTQFP100Pins},
}};

// --- Global output enables --------------------------------------------------
// Six multiplexers of nine select fuses from 34080; GOEn's invert fuse is
// 34137 + n.

// clang-format off
constexpr std::array<atf1504::SourceList, 6> kGOESourceNames{{
    {{"GND0", "M51_PAD", "M40_PAD", "MC46_FB", "M24_PAD", "MC30_FB", "M3_PAD", "MC11_FB", "E1_PAD"}}, // GOE1
    {{"M57_PAD", "MC4_FB", "M11_PAD", "MC24_FB", "M30_PAD", "MC40_FB", "GND0", "MC52_FB", "C2_PAD"}}, // GOE2
    {{"M46_PAD", "MC1_FB", "MC3_FB", "M11_PAD", "MC21_FB", "M30_PAD", "GND0", "MC49_FB", "MC51_FB"}}, // GOE3
    {{"M14_PAD", "M25_PAD", "MC17_FB", "MC20_FB", "M41_PAD", "MC33_FB", "MC36_FB", "M62_PAD", "GND0"}}, // GOE4
    {{"MC5_FB", "M16_PAD", "M25_PAD", "MC19_FB", "M41_PAD", "MC35_FB", "M64_PAD", "MC53_FB", "GND0"}}, // GOE5
    {{"M19_PAD", "MC62_FB", "M53_PAD", "MC41_FB", "M35_PAD", "MC25_FB", "M17_PAD", "M5_PAD", "GND0"}}, // GOE6
}};
// clang-format on

constexpr auto kGOESources = sourceListsOf(kGOESourceNames);

constexpr GlobalOEMux goe(int n) { return {34071 + 9 * n, 34137 + n, kGOESources[n - 1]}; }

// Fuses 34134..34191 once encoded: arming switch armed, high-Z termination,
// the clocks from their pins, transition detection off, JTAG pins pulled up
// and kept for JTAG, signature 0.
constexpr std::string_view kConfiguration = "01"               // 34134, 34135
                                            "111111111"        // 34136..34144
                                            "011010000"        // 34145..34153
                                            "11100"            // 34154..34158
                                            "11111111"         // 34159..34166
                                            "111"              // 34167..34169
                                            "0000000000000000" // 34170..34185
                                            "000000";          // 34186..34191

constexpr std::string_view kMessagePrefix = "ATF1504";
using Wording = DeviceWording<kMessagePrefix>;

constexpr LanguageFeatures kFeatures{
    .packageStatement = true, .powerDown = true, .nodeRegisterControls = true};

constexpr CPLDArchitecture kATF1504{
    .jedecName = "ATF1504AS",
    .macrocellCount = 64,
    .labCount = 4,
    .fuseCount = 34192,
    .productTerms = {.blockBase = {0, 7680, 23040, 15360},
                     .pairsFromBlockEnd = true,
                     .oddMacrocellInUpperRows = true},
    .configurationRows = {.labBase = {30720, 30800, 31760, 31680},
                          .rowStride = 160,
                          .upStart = 16,
                          .downStart = 78},
    .optionRules = atf1504::kOptionRules,
    .switches = atf1504::kSwitches,
    .multiplexerFuses = {32640, 34134},
    .globalOEs = {goe(1), goe(2), goe(3), goe(4), goe(5), goe(6)},
    .packageOERoutes = {{{OutputEnableSource::OE1, 1, SourceKind::OE1_PAD, 0},
                         {OutputEnableSource::OE2, 2, SourceKind::CLOCK2_PAD, 0},
                         {OutputEnableSource::GOE6, 0, SourceKind::NONE, 0}}},
    .configurationBase = 34134,
    .configurationAfterEncoding = kConfiguration,
    .reservedFuses = 6,
    .signatureFuse = 34170,
    .powerDownFuses = {34136, 34137},
    .securityFuse = 34166,
    .jtagMacrocells = {},
    .jtagMacrocellOptions = {},
    .packages = kPackages,
    .defaultPackage = 2, // PLCC84
    .features = kFeatures,
    .fitStrategy = FitStrategy::PHASED,
    .xorSplit = XorSplit::SPLIT_OR_REFUSE,
    .jedecPinCount = true,
    .flash = &kATF1504Flash,
    .checkBeforeWriting = checkArmedWithJTAG,
    .messages = {.device = kMessagePrefix,
                 .packageFamily = "ATF1504AS/ASV",
                 .fitFailed = "ATF1504 fitting failed",
                 .fuseOutOfRange = Wording::fuseOutOfRange,
                 .install = Wording::install},
};

static_assert(validArchitecture(kATF1504), "ATF1504 product-term fuse layout failed validation");

} // namespace

const CPLDArchitecture &atf1504Architecture() { return kATF1504; }

} // namespace gsmith
