// The CPLD decoder: one reading of every ATF15xx fuse map, driven by the
// device's architecture record. It shares the record's tables (where each
// row, option, multiplexer and configuration fuse lies) and nothing of the
// encoder. The macrocell model is the one the fuse databases measured: the
// product terms routed to the sum, plus the cascade input from the
// macrocell below; the XOR gate between input A (the sum, or VCC/PT2 when
// the sum is lent upwards) and input B (VCC, PT2 when PT2 is routed to the
// XOR, or the register's inverted output for a toggle), then xor_invert;
// PT3 an asynchronous reset, PT4 a clock or clock enable, PT5 a preset or
// output enable.
#include "decode/cpld-decoder.h"

#include "decode/cpld-settings.h"

#include "cpld/macrocell-options.h"
#include "cpld/product-terms.h"
#include "cpld/signal-source.h"

#include <algorithm>
#include <array>
#include <optional>

namespace gsmith {

namespace {

class CPLDReader {
public:
  CPLDReader(const CPLDArchitecture &arch, const std::vector<bool> &fuses)
      : arch_(arch), fuses_(fuses) {}

  DecodedMap read(std::string_view device) {
    map_.device = std::string(device);
    map_.cpld = true;
    readColumns();
    readGlobals();
    for (int n = 1; n <= arch_.macrocellCount; ++n)
      map_.cells.push_back(readCell(n));
    joinCascades();
    return std::move(map_);
  }

private:
  bool fuse(int index) const { return fuses_[static_cast<std::size_t>(index)]; }

  bool optionSet(int macrocell, int option) const {
    const OptionFuses fuses = optionFuses(arch_, macrocell, option);
    for (int k = 0; k < fuses.count; ++k)
      if (fuse(fuses.fuses[k]) != fuses.values[k])
        return false;
    return true;
  }

  // The source a one-hot-low multiplexer selects; "" for none, and a note
  // when several fuses are cleared.
  std::string selection(int firstFuse, std::span<const SignalSource> sources,
                        const std::string &what) {
    std::string selected;
    int count = 0;
    for (std::size_t k = 0; k < sources.size(); ++k) {
      if (fuse(firstFuse + static_cast<int>(k)))
        continue;
      ++count;
      selected = sources[k].kind == SourceKind::GROUND ? "GND" : sourceName(sources[k]);
      if (sources[k].kind == SourceKind::UNUSED) {
        map_.notes.push_back(what + " selects a fuse with no known source; read as nothing");
        selected = "GND";
      }
    }
    if (count > 1) {
      map_.notes.push_back(what + " selects " + std::to_string(count) +
                           " sources at once; read as the last");
    }
    return selected;
  }

  // What each column of each LAB's rows reads.
  void readColumns() {
    columns_.assign(static_cast<std::size_t>(arch_.labCount),
                    std::vector<Column>(kProductTermRowWidth));
    for (int lab = 0; lab < arch_.labCount; ++lab)
      for (int k = 0; k < kFoldbackColumns; ++k) {
        const std::string name = "FLB" + std::to_string(lab * kMacrocellsPerLab + k + 1);
        columns_[static_cast<std::size_t>(lab)][static_cast<std::size_t>(k)] = {name, false,
                                                                                idOf(name)};
      }
    for (const SwitchEntry &entry : arch_.switches) {
      const std::string source =
          selection(entry.firstFuse, entry.sources, "switch " + std::to_string(entry.number));
      auto &lab = columns_[static_cast<std::size_t>(entry.lab)];
      const bool ground = source.empty() || source == "GND";
      const int id = ground ? kGround : idOf(source);
      lab[static_cast<std::size_t>(entry.trueColumn)] = {source, false, id};
      lab[static_cast<std::size_t>(entry.complementColumn)] = {source, true, id};
    }
  }

  int idOf(const std::string &source) {
    const auto found = std::find(sourceIds_.begin(), sourceIds_.end(), source);
    if (found != sourceIds_.end())
      return static_cast<int>(found - sourceIds_.begin());
    sourceIds_.push_back(source);
    return static_cast<int>(sourceIds_.size()) - 1;
  }

  // One product-term row; nothing when it is constant false.
  std::optional<ProductTerm> readRow(int macrocell, int pt, DecodedCell &cell) {
    const int row = productTermRow(arch_.productTerms, macrocell, pt);
    const auto &lab = columns_[static_cast<std::size_t>((macrocell - 1) / kMacrocellsPerLab)];
    // The connected columns by source, so that a repeated or contradicted
    // source is found without comparing names.
    std::array<const Column *, kProductTermRowWidth> connected{};
    std::size_t count = 0;
    for (int c = 0; c < kProductTermRowWidth; ++c) {
      if (fuse(row + c))
        continue;
      const Column &column = lab[static_cast<std::size_t>(c)];
      if (column.id == -1) {
        cell.notes.push_back("PT" + std::to_string(pt) + " reads column " + std::to_string(c) +
                             ", which no switch drives");
        return std::nullopt;
      }
      if (column.id == kGround) {
        if (!column.negated)
          return std::nullopt;
        continue;
      }
      bool repeated = false;
      for (std::size_t k = 0; k < count && !repeated; ++k) {
        if (connected[k]->id != column.id)
          continue;
        if (connected[k]->negated != column.negated)
          return std::nullopt;
        repeated = true;
      }
      if (!repeated)
        connected[count++] = &column;
    }
    ProductTerm term;
    term.reserve(count);
    for (std::size_t k = 0; k < count; ++k)
      term.push_back({connected[k]->name, connected[k]->negated});
    return term;
  }

  void readGlobals() {
    const int base = arch_.configurationBase;
    for (int n = 1; n <= static_cast<int>(arch_.globalOEs.size()); ++n) {
      const GlobalOEMux &mux = arch_.globalOEs[static_cast<std::size_t>(n - 1)];
      const std::string source = selection(mux.firstFuse, mux.sources, "GOE" + std::to_string(n));
      map_.globalOEs.push_back({source == "GND" ? "" : source, !fuse(mux.invertFuse)});
    }
    const std::string_view rest = arch_.configurationAfterEncoding;
    const auto defaultOf = [&](int offset) {
      return rest[static_cast<std::size_t>(offset)] == '1';
    };
    for (const SettingFuse &setting : kCPLDSettings) {
      const bool value = fuse(base + setting.offset);
      map_.settings.push_back({std::string(setting.target), std::string(setting.option),
                               std::string(value ? setting.valueForOne : setting.valueForZero),
                               value == defaultOf(setting.offset)});
    }
    const bool wake = fuse(base + wakeupOffset(1));
    for (int clock = 2; clock <= 3; ++clock)
      if (fuse(base + wakeupOffset(clock)) != wake)
        map_.notes.push_back("input-transition detection differs between the clock pins "
                             "(the language sets all three at once)");
    // A register's clock is the pad its multiplexer selects, named after the
    // global clock whose own pin that pad is.
    std::array<int, 3> rested{};
    for (int clock = 1; clock <= 3; ++clock) {
      const int offset = clockOffset(clock);
      const int bits = (fuse(base + offset + 1) ? 1 : 0) + (fuse(base + offset + 2) ? 2 : 0);
      rested[static_cast<std::size_t>(clock - 1)] =
          (defaultOf(offset + 1) ? 1 : 0) + (defaultOf(offset + 2) ? 2 : 0);
      map_.clockSources[static_cast<std::size_t>(clock - 1)] = clockSourceName(bits);
      clockBits_[static_cast<std::size_t>(clock - 1)] = bits;
    }
    for (int clock = 1; clock <= 3; ++clock) {
      const auto own =
          std::find(rested.begin(), rested.end(), clockBits_[static_cast<std::size_t>(clock - 1)]);
      clockPad_[static_cast<std::size_t>(clock - 1)] =
          own == rested.end() ? 0 : static_cast<int>(own - rested.begin()) + 1;
    }
    map_.powerDownPD1 = !fuse(arch_.powerDownFuses[0]);
    map_.powerDownPD2 = !fuse(arch_.powerDownFuses[1]);
    if (fuse(base + kArmingOffset))
      map_.notes.push_back("the arming switch is not programmed: every output stays disabled");
    if (!fuse(base + kJTAGOffset))
      map_.notes.push_back("the JTAG port is off: its four pins are user I/O (gsmith never "
                           "writes this)");
    for (int offset = 26; offset < kWordLength; ++offset)
      if (fuse(base + offset) != defaultOf(offset))
        map_.notes.push_back("configuration fuse " + std::to_string(base + offset) +
                             " has the value " + (fuse(base + offset) ? "1" : "0") +
                             ", which gsmith never writes");
    map_.signatureBits = 16;
    for (int byte = 0; byte < 2; ++byte)
      for (int bit = 0; bit < 8; ++bit)
        if (fuse(arch_.signatureFuse + 8 * byte + 7 - bit))
          map_.signature |= std::uint64_t{1} << (8 * byte + bit);
  }

  static std::string clockSourceName(int bits) {
    switch (bits) {
    case 3:
      return "C1_PAD";
    case 1:
      return "C2_PAD";
    case 0:
      return "GCLK3_PAD";
    default:
      return "source " + std::to_string(bits);
    }
  }

  DecodedLogic globalOE(int n) const {
    const DecodedGlobalOE &goe = map_.globalOEs[static_cast<std::size_t>(n - 1)];
    DecodedLogic logic = DecodedLogic::constant(false);
    if (!goe.source.empty())
      logic = DecodedLogic::of({{{{goe.source, false}}}});
    logic.inverted = logic.inverted != goe.inverted;
    return logic;
  }

  const DecodedSetting &setting(std::string_view target, std::string_view option) const {
    for (const DecodedSetting &entry : map_.settings)
      if (entry.target == target && entry.option == option)
        return entry;
    return map_.settings.front();
  }

  DecodedCell readCell(int n) {
    DecodedCell cell;
    cell.number = n;
    const auto set = [&](int option) { return optionSet(n, option); };
    std::array<std::optional<ProductTerm>, kProductTermsPerCell + 1> pts;
    const bool powered = set(option("pt_power:on"));
    invert_[n] = set(option("xor_invert:on"));
    if (!powered && set(option("oe_mux:GND")))
      return cell; // at rest: no term, no driver
    for (int pt = 1; pt <= kProductTermsPerCell; ++pt)
      pts[static_cast<std::size_t>(pt)] = powered ? readRow(n, pt, cell) : std::nullopt;
    const auto termOf = [&](int pt) {
      SOPExpression sum;
      if (pts[static_cast<std::size_t>(pt)])
        sum.terms.push_back(*pts[static_cast<std::size_t>(pt)]);
      return DecodedLogic::of(sum);
    };

    const bool foldback = set(option("pt1_mux:flb"));
    const bool pt2Xor = set(option("pt2_mux:xor"));
    const bool pt3Reset = set(option("pt3_mux:ar"));
    const bool pt4Clock = set(option("pt4_mux:clk_ce"));
    const bool pt5Control = set(option("pt5_mux:as_oe"));
    const bool routed[] = {false, foldback, pt2Xor, pt3Reset, pt4Clock, pt5Control};
    for (int pt = 1; pt <= kProductTermsPerCell; ++pt)
      if (!routed[pt] && pts[static_cast<std::size_t>(pt)])
        ownSums_[n].terms.push_back(*pts[static_cast<std::size_t>(pt)]);
    if (foldback && pts[1])
      cell.notes.push_back("PT1 drives the LAB's foldback line FLB" + std::to_string(n) +
                           " (the language has no foldback terms)");
    cell.lends = set(option("cas_mux:sum"));

    cell.storage = set(option("storage:dff")) ? DecodedStorage::DFF : DecodedStorage::LATCH;
    const bool outputRegistered = set(option("o_mux:sync"));
    const bool feedbackRegistered = set(option("fb_mux:sync"));
    cell.fastInput = set(option("d_mux:fast"));
    if (cell.fastInput && !set(option("dfast_mux:pad")))
      cell.notes.push_back("the register loads PT2 directly (the language cannot say this)");
    if (outputRegistered != feedbackRegistered && powered)
      cell.notes.push_back(std::string("the pin shows the ") +
                           (outputRegistered ? "register" : "combinational value") +
                           " while the feedback reads the " +
                           (feedbackRegistered ? "register" : "combinational value") +
                           " (the language gives both the same)");
    if (!outputRegistered && !feedbackRegistered)
      cell.storage = DecodedStorage::COMBINATORIAL;

    // The XOR gate, with the cascade input joined later.
    xorB_[n] = set(option("xor_b_mux:ff_qn")) ? XorB::REGISTER : pt2Xor ? XorB::PT2 : XorB::VCC;
    cell.toggle = xorB_[n] == XorB::REGISTER;
    pt2_[n] = termOf(kPT2).sum;

    if (cell.storage != DecodedStorage::COMBINATORIAL) {
      if (pt4Clock && set(option("pt4_func:clk"))) {
        cell.clock = DecodedClock::PRODUCT;
        cell.clockTerm = termOf(kPT4);
      } else {
        if (pt4Clock)
          cell.clockEnable = termOf(kPT4);
        const DecodedClock clocks[] = {DecodedClock::GCLK1, DecodedClock::GCLK2,
                                       DecodedClock::GCLK3};
        const int options[] = {option("gclk_mux:GCLK1"), option("gclk_mux:GCLK2"),
                               option("gclk_mux:GCLK3")};
        for (int k = 0; k < 3; ++k) {
          if (!set(options[k]))
            continue;
          const int pad = clockPad_[static_cast<std::size_t>(k)];
          cell.clock = pad > 0 ? clocks[pad - 1] : clocks[k];
          if (pad == 0)
            cell.notes.push_back("its clock multiplexer GCLK" + std::to_string(k + 1) +
                                 " selects " + map_.clockSources[static_cast<std::size_t>(k)] +
                                 ", no clock pin (the language cannot say this)");
          cell.clockInverted = setting(kClockTargets[k], "INVERT").value == "ON";
        }
      }
      SOPExpression reset;
      cell.resetByClear = set(option("gclr_mux:GCLR"));
      if (cell.resetByClear)
        reset.terms.push_back({{"R_PAD", setting("GCLR", "INVERT").value == "ON"}});
      cell.resetByTerm = pt3Reset && pts[kPT3].has_value();
      if (pt3Reset && pts[kPT3])
        reset.terms.push_back(*pts[kPT3]);
      cell.reset = DecodedLogic::of(reset);
      if (pt5Control && set(option("pt5_func:as")))
        cell.preset = termOf(kPT5);
    }

    const int oeOptions[] = {option("oe_mux:GOE1"), option("oe_mux:GOE2"), option("oe_mux:GOE3"),
                             option("oe_mux:GOE4"), option("oe_mux:GOE5"), option("oe_mux:GOE6")};
    if (set(option("oe_mux:VCC_pt5"))) {
      cell.outputEnable =
          pt5Control && set(option("pt5_func:oe")) ? termOf(kPT5) : DecodedLogic::constant(true);
    }
    for (int k = 0; k < 6; ++k)
      if (set(oeOptions[k])) {
        cell.globalOE = k + 1;
        cell.outputEnable = globalOE(k + 1);
      }
    cell.slewFast = set(option("slew_rate:fast"));
    cell.openDrain = set(option("output_driver:open_drain"));
    cell.lowPower = set(option("low_power:on"));
    cell.used = powered || !set(option("oe_mux:GND"));
    return cell;
  }

  // Every macrocell's sum with the sums lent to it from below, then its XOR
  // gate.
  void joinCascades() {
    for (DecodedCell &cell : map_.cells) {
      const int n = cell.number;
      SOPExpression sum = ownSums_[n];
      const bool chained = (n - 1) % kCascadeGroup != 0;
      if (chained && map_.cells[static_cast<std::size_t>(n - 2)].lends) {
        const DecodedCell &below = map_.cells[static_cast<std::size_t>(n - 2)];
        cell.cascadeFrom = below.cascadeFrom;
        cell.cascadeFrom.push_back(n - 1);
        const SOPExpression &lent = fullSums_[n - 1];
        sum.terms.insert(sum.terms.end(), lent.terms.begin(), lent.terms.end());
      }
      fullSums_[n] = sum;
      if (cell.fastInput) {
        cell.data = DecodedLogic::of({{{{"M" + std::to_string(n) + "_PAD", false}}}});
        continue;
      }
      // Input A: the sum, or VCC/PT2 while the sum goes up the chain.
      DecodedLogic data = cell.lends ? (xorB_[n] == XorB::PT2 ? DecodedLogic::of(pt2_[n])
                                                              : DecodedLogic::constant(true))
                                     : DecodedLogic::of(sum);
      // D = A ^ B ^ invert; a toggle's T input is A ^ !invert.
      data.inverted = data.inverted != invert_[n];
      if (xorB_[n] == XorB::PT2) {
        data.hasXor = true;
        data.xorWith = pt2_[n];
      } else {
        data.inverted = !data.inverted;
      }
      cell.data = data;
    }
  }

  enum class XorB { VCC, PT2, REGISTER };
  struct Column {
    std::string name; // "" for a column no switch drives
    bool negated = false;
    int id = -1; // the same for every column of one source; kGround for none
  };
  static constexpr int kGround = -2;
  static constexpr int kPT2 = 2;
  static constexpr int kPT3 = 3;
  static constexpr int kPT4 = 4;
  static constexpr int kPT5 = 5;

  const CPLDArchitecture &arch_;
  const std::vector<bool> &fuses_;
  DecodedMap map_;
  std::vector<std::vector<Column>> columns_;
  std::vector<std::string> sourceIds_;
  std::array<SOPExpression, kMaxLabs * kMacrocellsPerLab + 1> ownSums_{};
  std::array<SOPExpression, kMaxLabs * kMacrocellsPerLab + 1> fullSums_{};
  std::array<SOPExpression, kMaxLabs * kMacrocellsPerLab + 1> pt2_{};
  std::array<XorB, kMaxLabs * kMacrocellsPerLab + 1> xorB_{};
  std::array<bool, kMaxLabs * kMacrocellsPerLab + 1> invert_{};
  std::array<int, 3> clockBits_{};
  std::array<int, 3> clockPad_{}; // the clock whose own pin each multiplexer selects, 0 none
};

} // namespace

DecodedMap decodeCPLD(const CPLDArchitecture &arch, std::string_view device,
                      const std::vector<bool> &fuses) {
  return CPLDReader(arch, fuses).read(device);
}

} // namespace gsmith
