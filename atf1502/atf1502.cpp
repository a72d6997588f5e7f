// The ATF1502AS/ASV: 32 macrocells in two LABs, QF16808. Its tables as the
// fuse databases give them, and the record that hands them to the CPLD
// engine.
#include "atf1502/atf1502.h"

#include "cpld/architecture-check.h"
#include "cpld/macrocell-options.h"
#include "cpld/table-helpers.h"
#include "model/compile-error.h"

#include <array>

namespace gsmith {

namespace {

// --- Packages ---------------------------------------------------------------

// PLCC44 pin of macrocells 1..32.
constexpr std::array<int, 32> kPLCC44MacrocellPins = {
    4,  5,  6,  7,  8,  9,  11, 12, 13, 14, 16, 17, 18, 19, 20, 21, // LAB A
    41, 40, 39, 38, 37, 36, 34, 33, 32, 31, 29, 28, 27, 26, 25, 24, // LAB B
};
constexpr std::array<int, 8> kPLCC44Power = {3, 10, 15, 22, 23, 30, 35, 42};
constexpr std::array<int, 4> kPLCC44JTAG = {7, 13, 32, 38};
constexpr std::array<int, 4> kPLCC44Inputs = {1, 2, 43, 44}; // GCLR, GCLK2/OE2, GCLK1, OE1

// The TQFP44 is the same die with every pin number rotated by six.
constexpr int tqfp44(int plcc44) { return plcc44 == 0 ? 0 : (plcc44 + 37) % 44 + 1; }

template <std::size_t N> constexpr std::array<int, N> rotated(const std::array<int, N> &pins) {
  std::array<int, N> result{};
  for (std::size_t k = 0; k < N; ++k)
    result[k] = tqfp44(pins[k]);
  return result;
}

constexpr auto kTQFP44MacrocellPins = rotated(kPLCC44MacrocellPins);
constexpr auto kTQFP44Power = rotated(kPLCC44Power);
constexpr auto kTQFP44JTAG = rotated(kPLCC44JTAG);
constexpr auto kTQFP44Inputs = rotated(kPLCC44Inputs);

constexpr std::array<CPLDPackage, 2> kPackages{{
    {{.name = "PLCC44",
      .pinCount = 44,
      .ioPins = kPLCC44MacrocellPins,
      .inputPins = kPLCC44Inputs,
      .powerPins = kPLCC44Power,
      .jtagPins = kPLCC44JTAG,
      .clockPins = {43, 2, 41},
      .oePins = {44, 2, 34},
      .clearPin = 1,
      .powerDownPins = {11, 25}},
     kPLCC44MacrocellPins},
    {{.name = "TQFP44",
      .pinCount = 44,
      .ioPins = kTQFP44MacrocellPins,
      .inputPins = kTQFP44Inputs,
      .powerPins = kTQFP44Power,
      .jtagPins = kTQFP44JTAG,
      .clockPins = {tqfp44(43), tqfp44(2), tqfp44(41)},
      .oePins = {tqfp44(44), tqfp44(2), tqfp44(34)},
      .clearPin = tqfp44(1),
      .powerDownPins = {tqfp44(11), tqfp44(25)}},
     kTQFP44MacrocellPins},
}};

// --- Macrocell options ------------------------------------------------------
// Each LAB has six configuration rows of 80 fuses; in row r a macrocell owns
// a pair right of the row's centre (UP) and a mirrored pair left of it (DOWN).

constexpr FuseSlot up(int row, int bit) { return {row, Pair::UP, bit}; }
constexpr FuseSlot down(int row, int bit) { return {row, Pair::DOWN, bit}; }
constexpr FuseSlot none{};

// clang-format off
constexpr std::array<OptionRule, 55> kOptionRules = {{
    {"slew_rate:fast",           1, {up(3, 0), none, none},             {0, 0, 0}},
    {"slew_rate:slow",           1, {up(3, 0), none, none},             {1, 0, 0}},
    {"output_driver:open_drain", 1, {down(2, 1), none, none},           {1, 0, 0}},
    {"output_driver:push_pull",  1, {down(2, 1), none, none},           {0, 0, 0}},
    {"low_power:off",            1, {up(2, 0), none, none},             {0, 0, 0}},
    {"low_power:on",             1, {up(2, 0), none, none},             {1, 0, 0}},
    {"pt_power:off",             1, {up(2, 1), none, none},             {1, 0, 0}},
    {"pt_power:on",              1, {up(2, 1), none, none},             {0, 0, 0}},
    {"storage:dff",              1, {down(4, 1), none, none},           {1, 0, 0}},
    {"storage:latch",            1, {down(4, 1), none, none},           {0, 0, 0}},
    {"gclk_mux:GCLK1",           2, {down(3, 0), down(3, 1), none},     {1, 1, 0}},
    {"gclk_mux:GCLK2",           2, {down(3, 0), down(3, 1), none},     {0, 0, 0}},
    {"gclk_mux:GCLK3",           2, {down(3, 0), down(3, 1), none},     {1, 0, 0}},
    {"pt4_func:ce",              1, {up(3, 1), none, none},             {0, 0, 0}},
    {"pt4_func:clk",             1, {up(3, 1), none, none},             {1, 0, 0}},
    {"gclr_mux:GCLR",            1, {up(4, 1), none, none},             {0, 0, 0}},
    {"gclr_mux:GND",             1, {up(4, 1), none, none},             {1, 0, 0}},
    {"pt5_func:as",              1, {up(5, 0), none, none},             {1, 0, 0}},
    {"pt5_func:oe",              1, {up(5, 0), none, none},             {0, 0, 0}},
    {"xor_a_mux:VCC_pt2",        1, {down(1, 0), none, none},           {1, 0, 0}},
    {"xor_a_mux:sum",            1, {down(1, 0), none, none},           {0, 0, 0}},
    {"cas_mux:GND",              1, {down(1, 0), none, none},           {0, 0, 0}},
    {"cas_mux:sum",              1, {down(1, 0), none, none},           {1, 0, 0}},
    {"xor_b_mux:VCC_pt12",       1, {up(1, 1), none, none},             {0, 0, 0}},
    {"xor_b_mux:ff_qn",          1, {up(1, 1), none, none},             {1, 0, 0}},
    {"pt2_mux:sum",              1, {up(1, 0), none, none},             {0, 0, 0}},
    {"pt2_mux:xor",              1, {up(1, 0), none, none},             {1, 0, 0}},
    {"pt3_mux:ar",               1, {down(0, 1), none, none},           {1, 0, 0}},
    {"pt3_mux:sum",              1, {down(0, 1), none, none},           {0, 0, 0}},
    {"pt4_mux:clk_ce",           1, {down(0, 0), none, none},           {1, 0, 0}},
    {"pt4_mux:sum",              1, {down(0, 0), none, none},           {0, 0, 0}},
    {"pt5_mux:as_oe",            1, {up(0, 0), none, none},             {1, 0, 0}},
    {"pt5_mux:sum",              1, {up(0, 0), none, none},             {0, 0, 0}},
    {"fb_mux:comb",              1, {down(2, 0), none, none},           {1, 0, 0}},
    {"fb_mux:sync",              1, {down(2, 0), none, none},           {0, 0, 0}},
    {"xor_invert:off",           1, {up(0, 1), none, none},             {1, 0, 0}},
    {"xor_invert:on",            1, {up(0, 1), none, none},             {0, 0, 0}},
    {"reset:GND",                1, {up(0, 1), none, none},             {0, 0, 0}},
    {"reset:VCC",                1, {up(0, 1), none, none},             {1, 0, 0}},
    {"oe_mux:GND",               3, {down(5, 0), down(5, 1), up(5, 1)}, {0, 0, 0}},
    {"oe_mux:GOE1",              3, {down(5, 0), down(5, 1), up(5, 1)}, {0, 0, 1}},
    {"oe_mux:GOE2",              3, {down(5, 0), down(5, 1), up(5, 1)}, {1, 0, 0}},
    {"oe_mux:GOE3",              3, {down(5, 0), down(5, 1), up(5, 1)}, {1, 0, 1}},
    {"oe_mux:GOE4",              3, {down(5, 0), down(5, 1), up(5, 1)}, {0, 1, 0}},
    {"oe_mux:GOE5",              3, {down(5, 0), down(5, 1), up(5, 1)}, {0, 1, 1}},
    {"oe_mux:GOE6",              3, {down(5, 0), down(5, 1), up(5, 1)}, {1, 1, 0}},
    {"oe_mux:VCC_pt5",           3, {down(5, 0), down(5, 1), up(5, 1)}, {1, 1, 1}},
    {"o_mux:comb",               1, {up(4, 0), none, none},             {1, 0, 0}},
    {"o_mux:sync",               1, {up(4, 0), none, none},             {0, 0, 0}},
    {"d_mux:comb",               1, {down(4, 0), none, none},           {1, 0, 0}},
    {"d_mux:fast",               1, {down(4, 0), none, none},           {0, 0, 0}},
    {"dfast_mux:pad",            1, {up(4, 0), none, none},             {0, 0, 0}},
    {"dfast_mux:pt2",            1, {up(4, 0), none, none},             {1, 0, 0}},
    {"pt1_mux:flb",              1, {down(1, 1), none, none},           {1, 0, 0}},
    {"pt1_mux:sum",              1, {down(1, 1), none, none},           {0, 0, 0}},
}};
// clang-format on

// The fixed configuration the vendor files give the four macrocells whose
// pins carry TDI, TMS, TCK and TDO.
constexpr std::array<int, 4> kJTAGMacrocells = {4, 9, 20, 25};
constexpr std::array<int, 24> kJTAGMacrocellOptions = {
    option("slew_rate:slow"), option("output_driver:push_pull"),
    option("low_power:off"),  option("pt_power:off"),
    option("storage:dff"),    option("gclk_mux:GCLK2"),
    option("pt4_func:clk"),   option("gclr_mux:GND"),
    option("pt5_func:oe"),    option("xor_a_mux:VCC_pt2"),
    option("cas_mux:sum"),    option("xor_b_mux:VCC_pt12"),
    option("pt2_mux:sum"),    option("pt3_mux:ar"),
    option("pt4_mux:clk_ce"), option("pt5_mux:as_oe"),
    option("fb_mux:comb"),    option("xor_invert:on"),
    option("reset:GND"),      option("oe_mux:GND"),
    option("o_mux:comb"),     option("d_mux:comb"),
    option("dfast_mux:pt2"),  option("pt1_mux:sum"),
};

// --- Switch matrix ----------------------------------------------------------
// 80 UIM multiplexers of five select fuses each, UIM u at 16720 - 5u. UIMs
// 2k+1 and 2k+2 offer the same sources and feed the same column pair of the
// two LABs: LAB A reads the even UIMs, LAB B the odd ones.

using UIMSources = std::array<std::string_view, 5>;

// Row k holds the sources of UIMs 2k+1 and 2k+2, by cleared fuse +0..+4.
// clang-format off
constexpr std::array<UIMSources, 40> kUIMSourceNames = {{
    {"M22_PAD", "MC29_FB", "MC16_FB", "GND0",    "C1_PAD"},  // 1, 2
    {"MC31_FB", "MC30_FB", "M6_PAD",  "GND0",    "MC13_FB"}, // 3, 4
    {"MC32_FB", "MC31_FB", "M8_PAD",  "M5_PAD",  "MC13_FB"}, // 5, 6
    {"M21_PAD", "MC30_FB", "M6_PAD",  "MC14_FB", "GND0"},    // 7, 8
    {"MC32_FB", "M23_PAD", "M7_PAD",  "MC14_FB", "GND0"},    // 9, 10
    {"M23_PAD", "MC29_FB", "MC15_FB", "M5_PAD",  "GND0"},    // 11, 12
    {"M24_PAD", "MC31_FB", "M8_PAD",  "MC15_FB", "GND0"},    // 13, 14
    {"M22_PAD", "MC30_FB", "MC16_FB", "M7_PAD",  "GND0"},    // 15, 16
    {"M24_PAD", "M21_PAD", "MC16_FB", "MC15_FB", "C1_PAD"},  // 17, 18
    {"MC32_FB", "MC29_FB", "MC14_FB", "GND0",    "C1_PAD"},  // 19, 20
    {"M18_PAD", "MC25_FB", "MC12_FB", "GND0",    "E1_PAD"},  // 21, 22
    {"MC27_FB", "MC26_FB", "M2_PAD",  "GND0",    "MC9_FB"},  // 23, 24
    {"MC28_FB", "MC27_FB", "M4_PAD",  "M1_PAD",  "MC9_FB"},  // 25, 26
    {"M17_PAD", "MC26_FB", "M2_PAD",  "MC10_FB", "GND0"},    // 27, 28
    {"MC28_FB", "M19_PAD", "M3_PAD",  "MC10_FB", "GND0"},    // 29, 30
    {"M19_PAD", "MC25_FB", "MC11_FB", "M1_PAD",  "GND0"},    // 31, 32
    {"M20_PAD", "MC27_FB", "M4_PAD",  "MC11_FB", "GND0"},    // 33, 34
    {"M18_PAD", "MC26_FB", "MC12_FB", "M3_PAD",  "GND0"},    // 35, 36
    {"M20_PAD", "M17_PAD", "MC12_FB", "MC11_FB", "E1_PAD"},  // 37, 38
    {"MC28_FB", "MC25_FB", "MC10_FB", "GND0",    "E1_PAD"},  // 39, 40
    {"M15_PAD", "MC8_FB",  "MC21_FB", "GND0",    "R_PAD"},   // 41, 42
    {"MC6_FB",  "MC7_FB",  "M31_PAD", "GND0",    "MC24_FB"}, // 43, 44
    {"MC5_FB",  "MC6_FB",  "M29_PAD", "M32_PAD", "MC24_FB"}, // 45, 46
    {"M16_PAD", "MC7_FB",  "M31_PAD", "MC23_FB", "GND0"},    // 47, 48
    {"MC5_FB",  "M14_PAD", "M30_PAD", "MC23_FB", "GND0"},    // 49, 50
    {"M14_PAD", "MC8_FB",  "MC22_FB", "M32_PAD", "GND0"},    // 51, 52
    {"M13_PAD", "MC6_FB",  "M29_PAD", "MC22_FB", "GND0"},    // 53, 54
    {"M15_PAD", "MC7_FB",  "MC21_FB", "M30_PAD", "GND0"},    // 55, 56
    {"M13_PAD", "M16_PAD", "MC21_FB", "MC22_FB", "R_PAD"},   // 57, 58
    {"MC5_FB",  "MC8_FB",  "MC23_FB", "GND0",    "R_PAD"},   // 59, 60
    {"M11_PAD", "MC4_FB",  "MC17_FB", "GND0",    "C2_PAD"},  // 61, 62
    {"MC2_FB",  "MC3_FB",  "M27_PAD", "GND0",    "MC20_FB"}, // 63, 64
    {"MC1_FB",  "MC2_FB",  "M25_PAD", "M28_PAD", "MC20_FB"}, // 65, 66
    {"M12_PAD", "MC3_FB",  "M27_PAD", "MC19_FB", "GND0"},    // 67, 68
    {"MC1_FB",  "M10_PAD", "M26_PAD", "MC19_FB", "GND0"},    // 69, 70
    {"M10_PAD", "MC4_FB",  "MC18_FB", "M28_PAD", "GND0"},    // 71, 72
    {"M9_PAD",  "MC2_FB",  "M25_PAD", "MC18_FB", "GND0"},    // 73, 74
    {"M11_PAD", "MC3_FB",  "MC17_FB", "M26_PAD", "GND0"},    // 75, 76
    {"M9_PAD",  "M12_PAD", "MC17_FB", "MC18_FB", "C2_PAD"},  // 77, 78
    {"MC1_FB",  "MC4_FB",  "MC19_FB", "GND0",    "C2_PAD"},  // 79, 80
}};
// clang-format on

constexpr auto kUIMSources = sourceListsOf(kUIMSourceNames);

constexpr std::array<SwitchEntry, 80> kSwitches = [] {
  std::array<SwitchEntry, 80> switches{};
  for (int uim = 1; uim <= 80; ++uim) {
    const int pair = (uim - 1) / 2;
    // The true input of a pair alternates between the even and odd column.
    const int trueColumn = kFoldbackColumns + 2 * pair + pair % 2;
    switches[uim - 1] = {uim,
                         uim % 2 == 0 ? Lab::A : Lab::B,
                         16720 - 5 * uim,
                         trueColumn,
                         trueColumn ^ 1,
                         kUIMSources[pair]};
  }
  return switches;
}();

// --- Global output enables --------------------------------------------------
// Six multiplexers of five select fuses, GOE6 first from 16720; GOEn's invert
// fuse is 16753 + n.

// clang-format off
constexpr std::array<UIMSources, 6> kGOESourceNames = {{
    {"MC1_FB",  "M12_PAD", "MC17_FB", "M28_PAD", "GND0"},   // GOE1
    {"M11_PAD", "M27_PAD", "MC19_FB", "GND0",    "C2_PAD"}, // GOE2
    {"M13_PAD", "MC8_FB",  "M29_PAD", "MC24_FB", "GND0"},   // GOE3
    {"MC6_FB",  "M15_PAD", "MC22_FB", "M31_PAD", "GND0"},   // GOE4
    {"M18_PAD", "M2_PAD",  "MC10_FB", "GND0",    "E1_PAD"}, // GOE5
    {"M23_PAD", "MC30_FB", "M7_PAD",  "MC14_FB", "GND0"},   // GOE6
}};
// clang-format on

constexpr auto kGOESources = sourceListsOf(kGOESourceNames);

constexpr GlobalOEMux goe(int n) { return {16720 + 5 * (6 - n), 16753 + n, kGOESources[n - 1]}; }

// Fuses 16750..16807 once encoded: arming switch armed, bus keepers, the
// clocks from their pins, transition detection on, JTAG kept, no signature.
constexpr std::string_view kConfiguration = "00"                            // 16750, 16751
                                            "111111111"                     // 16752..16760
                                            "011010000"                     // 16761..16769
                                            "000"                           // 16770..16772
                                            "11111111111111111111111111111" // 16773..16801
                                            "000000";                       // 16802..16807

std::string fuseOutOfRange(std::size_t fuse, std::size_t count) {
  return "ATF1502 fuse index " + std::to_string(fuse) + " is outside the " + std::to_string(count) +
         "-fuse map";
}

constexpr InstallMessages kInstallMessages = {
    [](const std::string &temporaryPath, const std::string &) {
      return "Unable to create temporary JEDEC file: " + temporaryPath;
    },
    [](const std::string &temporaryPath, const std::string &) {
      return "Unable to complete temporary JEDEC file: " + temporaryPath;
    },
    [](const std::string &, const std::string &reason) {
      return "Unable to install completed JEDEC file: " + reason;
    },
};

constexpr LanguageFeatures kFeatures{.packageStatement = true, .powerDown = true};

constexpr CPLDArchitecture kATF1502{
    .jedecName = "ATF1502AS",
    .macrocellCount = 32,
    .labCount = 2,
    .fuseCount = 16808,
    .productTerms = {.blockBase = {0, 7680}},
    .configurationRows = {.labBase = {15360, 15840},
                          .rowStride = 80,
                          .upStart = 48,
                          .downStart = 46},
    .optionRules = kOptionRules,
    .switches = kSwitches,
    .multiplexerFuses = {16320, 16750},
    .globalOEs = {goe(1), goe(2), goe(3), goe(4), goe(5), goe(6)},
    .packageOERoutes = {{{OutputEnableSource::OE1, 5, SourceKind::OE1_PAD, 0},
                         {OutputEnableSource::OE2, 2, SourceKind::CLOCK2_PAD, 0},
                         {OutputEnableSource::GOE6, 6, SourceKind::PAD, 23}}},
    .configurationBase = 16750,
    .configurationAfterEncoding = kConfiguration,
    .reservedFuses = 6,
    .signatureFuse = 16786,
    .powerDownFuses = {16752, 16753},
    .securityFuse = 16782,
    .jtagMacrocells = kJTAGMacrocells,
    .jtagMacrocellOptions = kJTAGMacrocellOptions,
    .packages = kPackages,
    .defaultPackage = 0,
    .features = kFeatures,
    .fitStrategy = FitStrategy::PREFLIGHT,
    .xorSplit = XorSplit::SPLIT_OR_EXPAND,
    .jedecPinCount = false,
    .flash = &kATF1502Flash,
    .checkBeforeWriting = checkATF1502BeforeWriting,
    .messages = {.device = "ATF1502",
                 .packageFamily = "ATF1502AS/ASV",
                 .fitFailed = "Fitting failed; no JEDEC was produced",
                 .fuseOutOfRange = fuseOutOfRange,
                 .install = kInstallMessages},
};

static_assert(validArchitecture(kATF1502), "ATF1502 fuse layout failed validation");

} // namespace

const CPLDArchitecture &atf1502Architecture() { return kATF1502; }

} // namespace gsmith
