// The record that describes one CPLD to the engine: its macrocells and logic
// array blocks, where every fuse lies, what each multiplexer can select, its
// packages, and the few ways the chips really differ. Every mechanism in
// cpld/ (fitting, routing, encoding, CONFIG, the JEDEC writer) reads a
// device only through this record; a device's folder holds the tables that
// fill it and nothing else.
#pragma once

#include "cpld/signal-source.h"
#include "frontend/device-rules.h"
#include "io/output-file.h"
#include "model/design.h"
#include "synthesis/netlist-builder.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace gsmith {

struct Netlist;
struct FlashLayout;

// A logic array block. A chip has 2 to 8; every LAB holds 16 macrocells and
// reads up to 40 signals through its switch matrix.
enum class Lab : int { A, B, C, D, E, F, G, H };

inline constexpr int kMaxLabs = 8;
inline constexpr int kMacrocellsPerLab = 16;
inline constexpr int kCascadeGroup = 8;        // macrocells that chain product terms
inline constexpr int kProductTermsPerCell = 5; // rows of one macrocell
inline constexpr int kProductTermRowWidth = 96;
inline constexpr int kFoldbackColumns = 16; // columns 0..15 of every row
inline constexpr int kSignalsPerLab = 40;
// From the configuration base: 1 keeps TDI, TMS, TCK and TDO the JTAG port.
inline constexpr int kJTAGPinFunctionOffset = 33;

inline char labLetter(Lab lab) { return static_cast<char>('A' + static_cast<int>(lab)); }

// One package: the front end's pin table plus the pin of every macrocell.
struct CPLDPackage {
  PackagePins pins;
  std::span<const int> macrocellPins; // macrocell n at index n - 1; 0 = buried
};

// One switch-matrix (UIM) multiplexer: which LAB reads it, its one-hot-low
// select fuses (select k clears fuse firstFuse + k, all ones selects nothing)
// and the columns of its true and complemented input in that LAB's rows.
struct SwitchEntry {
  int number = 0; // as the fuse tables number it
  Lab lab = Lab::A;
  int firstFuse = 0;
  int trueColumn = 0;
  int complementColumn = 0;
  std::span<const SignalSource> sources;
};

// One global output-enable multiplexer, with the same select convention.
struct GlobalOEMux {
  int firstFuse = 0;
  int invertFuse = 0; // 1 = not inverted
  std::span<const SignalSource> sources;
};

// The global enable that a pin's OE1, OE2 or GOE6 clause occupies, and the
// pad that drives it; goe 0 when the chip has none for that clause.
struct PackageOERoute {
  OutputEnableSource clause;
  int goe;
  SourceKind pad;
  int padMacrocell; // for an I/O pad
};

// Where a macrocell option fuse lies: configuration row 0..5 of the LAB, one
// of the macrocell's two fuse pairs in that row (the pair that moves up the
// columns as the macrocell position grows, or the one that moves down) and
// the bit within the pair.
enum class Pair : int { UP, DOWN };
struct FuseSlot {
  int row = 0;
  Pair pair = Pair::UP;
  int bit = 0;
};

// One of the 55 macrocell options, in the order of kMacrocellOptionNames.
struct OptionRule {
  std::string_view name;
  int slotCount = 0;
  std::array<FuseSlot, 3> slots{};
  std::array<bool, 3> values{}; // in slot order
};

// The macrocell configuration rows. Each LAB owns six rows of an 80-fuse
// block: 16 fixed fuses, then the fuse pairs of its 16 macrocells. In
// macrocell position i the UP pair starts at column upStart + 2i and the DOWN
// pair at downStart - 2i; even-numbered macrocells see a pair's two bits
// swapped.
struct ConfigurationRows {
  std::array<int, kMaxLabs> labBase{}; // row 0 of each LAB's block
  int rowStride = 0;                   // from one row to the next
  int upStart = 0;
  int downStart = 0;
};

// Where the product-term rows lie: each LAB a block of 80 rows of 96 fuses;
// macrocells 2k+1 and 2k+2 share ten consecutive rows, the odd one in the
// lower or upper five.
struct ProductTermLayout {
  std::array<int, kMaxLabs> blockBase{};
  bool pairsFromBlockEnd = false;       // the first pair takes the last ten rows
  bool oddMacrocellInUpperRows = false; // else its rows run from 5 - pt
};

// Behaviour that differs between the chips for reasons of compatibility with
// the files and messages each back end has always produced.
enum class FitStrategy {
  PREFLIGHT, // check an output's routes and terms before placing it; switches after the report
  PHASED,    // place, then GOE sources, then terms, then switches, all inside the fit
};

struct Messages {
  std::string_view device;        // "ATF1504": the prefix of the back end's messages
  std::string_view packageFamily; // "ATF1504AS/ASV", for the PACKAGE message
  std::string_view fitFailed;     // the error after a failed fit
  std::string (*fuseOutOfRange)(std::size_t fuse, std::size_t count);
  InstallMessages install;
};

struct CPLDArchitecture {
  std::string_view jedecName; // "ATF1504AS"
  int macrocellCount = 0;
  int labCount = 0;
  std::size_t fuseCount = 0;

  ProductTermLayout productTerms;
  ConfigurationRows configurationRows;
  std::span<const OptionRule> optionRules;

  std::span<const SwitchEntry> switches;
  // The select fuses of the switch and global-OE multiplexers, first and one
  // past the last: all ones (nothing selected) at rest.
  std::array<int, 2> multiplexerFuses{};
  std::array<GlobalOEMux, 6> globalOEs{};
  std::array<PackageOERoute, 3> packageOERoutes{};

  // The device configuration: fuses from configurationBase to the end of the
  // map take these values once encoded (before CONFIG, power-down, signature
  // and global enables); CONFIG offsets count from configurationBase. The last
  // reservedFuses of the map must stay 0.
  int configurationBase = 0;
  std::string_view configurationAfterEncoding;
  int reservedFuses = 0;
  int signatureFuse = 0; // bit b of byte k at signatureFuse + 8k + 7 - b
  std::array<int, 2> powerDownFuses{};
  int securityFuse = 0; // read protection: 0 = on

  // Macrocells whose pins are the JTAG pins in every package, reserved and
  // given a fixed configuration (none: left unconfigured and usable).
  std::span<const int> jtagMacrocells;
  std::span<const int> jtagMacrocellOptions; // indices into kMacrocellOptionNames

  std::span<const CPLDPackage> packages;
  std::size_t defaultPackage = 0; // when the design has no PACKAGE
  LanguageFeatures features;
  FitStrategy fitStrategy = FitStrategy::PREFLIGHT;
  XorSplit xorSplit = XorSplit::SPLIT_OR_REFUSE;
  bool jedecPinCount = false;         // a QP field in the JEDEC header
  const FlashLayout *flash = nullptr; // JTAG programming
  // Refuses a fuse map the chip must not receive (throws CompileError).
  void (*checkBeforeWriting)(const CPLDArchitecture &arch, const std::vector<bool> &fuses,
                             const Netlist &netlist);
  Messages messages;
};

} // namespace gsmith
