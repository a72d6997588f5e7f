// The GAL decoders, written against the fuse layouts of the datasheets as
// the gal/ tables record them. A fuse at 0 connects its column to the row;
// a row of all 1 is constant true, a row holding a signal and its
// complement constant false.
#include "decode/gal-decoder.h"

#include <algorithm>
#include <optional>

namespace gsmith {

namespace {

std::string pinName(int pin) { return "PIN" + std::to_string(pin); }

// The pin each even column reads (0 for none); odd columns read its
// complement.
using ColumnPins = std::vector<int>;

class RowReader {
public:
  RowReader(const std::vector<bool> &fuses, const ColumnPins &pins, unsigned width,
            std::vector<bool> invertedPins)
      : fuses_(fuses), pins_(pins), width_(width), invertedPins_(std::move(invertedPins)) {
    for (std::size_t pin = 0; pin < invertedPins_.size(); ++pin)
      names_.push_back(pinName(static_cast<int>(pin)));
  }

  // The row's term; nothing when it is constant false.
  std::optional<ProductTerm> row(unsigned first, std::vector<std::string> &notes) const {
    // A pin has two adjacent columns: both connected is constant false.
    ProductTerm term;
    for (unsigned c = 0; c < width_; c += 2) {
      const bool plain = !fuses_[first + c];
      const bool complement = !fuses_[first + c + 1];
      if (!plain && !complement)
        continue;
      if (plain && complement)
        return std::nullopt;
      const int pin = pins_[c];
      if (pin == 0) {
        notes.push_back("a product term reads column " + std::to_string(c) +
                        ", which no pin drives in this mode");
        return std::nullopt;
      }
      const auto index = static_cast<std::size_t>(pin);
      term.push_back({names_[index], complement != invertedPins_[index]});
    }
    return term;
  }

  // Rows first .. first + count - 1 as a sum; `enabled` tells which rows
  // the product-term disable fuses leave on.
  SOPExpression rows(unsigned first, unsigned count, std::vector<std::string> &notes,
                     const std::vector<bool> &enabled = {}) const {
    SOPExpression sum;
    for (unsigned r = 0; r < count; ++r) {
      if (!enabled.empty() && !enabled[r])
        continue;
      if (std::optional<ProductTerm> term = row(first + r * width_, notes))
        sum.terms.push_back(std::move(*term));
    }
    return sum;
  }

private:
  const std::vector<bool> &fuses_;
  const ColumnPins &pins_;
  unsigned width_;
  std::vector<bool> invertedPins_;
  std::vector<std::string> names_; // of each pin
};

std::uint64_t readSignature(const std::vector<bool> &fuses, std::size_t first) {
  std::uint64_t value = 0;
  for (std::size_t b = 0; b < 64; ++b)
    value = value << 1 | (fuses[first + b] ? 1u : 0u);
  return value;
}

int columnOf(const V8Layout &layout, int pin, const std::string &mode) {
  const PinColumns &row = layout.columns[static_cast<std::size_t>(pin - 1)];
  return mode == "simple" ? row.simple : mode == "complex" ? row.complex : row.registered;
}

} // namespace

DecodedMap decodeGALV8(const V8Layout &layout, std::string_view device,
                       const std::vector<bool> &fuses) {
  DecodedMap map;
  map.device = std::string(device);
  const bool syn = fuses[layout.synFuse];
  const bool ac0 = fuses[layout.ac0Fuse];
  map.galMode = !syn ? "registered" : ac0 ? "complex" : "simple";
  if (!syn && !ac0)
    map.notes.push_back("SYN 0 with AC0 0 is no mode of the chip; read as registered mode");
  map.signature = readSignature(fuses, layout.signatureBase);
  map.signatureBits = 64;

  ColumnPins pins(layout.rowWidth, 0);
  for (int pin = 1; pin <= static_cast<int>(layout.columns.size()); ++pin)
    if (const int c = columnOf(layout, pin, map.galMode); c >= 0)
      pins[static_cast<std::size_t>(c)] = pin;
  const RowReader reader(fuses, pins, layout.rowWidth,
                         std::vector<bool>(layout.columns.size() + 1, false));

  constexpr unsigned kCells = 8;
  constexpr unsigned kRows = 8;
  for (unsigned n = 0; n < kCells; ++n) {
    DecodedCell cell;
    cell.number = static_cast<int>(n);
    cell.pin = layout.olmc0Pin - static_cast<int>(n);
    const unsigned base = n * kRows * layout.rowWidth;
    std::vector<bool> enabled(kRows);
    for (unsigned r = 0; r < kRows; ++r)
      enabled[r] = fuses[layout.disableBase + n * kRows + r];
    const bool ac1 = fuses[layout.ac1Base + n];
    const bool activeHigh = fuses[layout.xorBase + n];
    const auto oeRow = [&] {
      std::vector<bool> first(enabled.begin(), enabled.begin() + 1);
      return DecodedLogic::of(reader.rows(base, 1, cell.notes, first));
    };
    const auto dataRows = [&](unsigned from) {
      return reader.rows(base + from * layout.rowWidth, kRows - from, cell.notes,
                         std::vector<bool>(enabled.begin() + from, enabled.end()));
    };
    if (map.galMode == "simple") {
      if (!ac1) {
        cell.outputEnable = DecodedLogic::constant(true);
        cell.data = DecodedLogic::of(dataRows(0));
      }
    } else if (map.galMode == "registered" && !ac1) {
      cell.storage = DecodedStorage::DFF;
      cell.clock = DecodedClock::GCLK1;
      cell.outputEnable = DecodedLogic::of({{{{pinName(layout.pins->oePins[0]), true}}}});
      cell.data = DecodedLogic::of(dataRows(0));
    } else {
      if (!ac1)
        cell.notes.push_back("AC1 0 in complex mode is no configuration of the chip; read as a "
                             "combinational output");
      cell.outputEnable = oeRow();
      cell.data = DecodedLogic::of(dataRows(1));
    }
    cell.data.inverted = !activeHigh;
    // An output never enabled still holds the logic the map programs.
    cell.used = !cell.outputEnable.isFalse() || !cell.data.sum.terms.empty();
    map.cells.push_back(std::move(cell));
  }
  return map;
}

DecodedMap decodeGAL22V10(const GAL22V10Layout &layout, std::string_view device,
                          const std::vector<bool> &fuses) {
  DecodedMap map;
  map.device = std::string(device);
  map.signature = readSignature(fuses, layout.signatureBase);
  map.signatureBits = 64;

  constexpr int kCells = 10;
  const auto registered = [&](int k) { return !fuses[layout.polarityBase + 2 * k + 1]; };
  ColumnPins pins(layout.rowWidth, 0);
  std::vector<bool> invertedPins(25, false);
  for (int pin = 1; pin <= 24; ++pin) {
    if (const int c = layout.columnOfPin[pin]; c >= 0)
      pins[static_cast<std::size_t>(c)] = pin;
    // A register feeds back its inverted output; the polarity is chosen
    // after it, so that is the complement of an active-high pin and the
    // value of an active-low one.
    const int k = layout.cell0Pin - pin;
    if (k >= 0 && k < kCells && registered(k) && fuses[layout.polarityBase + 2 * k])
      invertedPins[static_cast<std::size_t>(pin)] = true;
  }
  const RowReader reader(fuses, pins, layout.rowWidth, invertedPins);
  std::vector<std::string> globalNotes;
  const DecodedLogic reset = DecodedLogic::of(reader.rows(0, 1, globalNotes));
  const DecodedLogic preset =
      DecodedLogic::of(reader.rows((layout.rowCount - 1) * layout.rowWidth, 1, globalNotes));
  if (!preset.isFalse())
    map.notes.push_back("the global synchronous preset term is programmed (the language cannot "
                        "say this)");
  map.notes.insert(map.notes.end(), globalNotes.begin(), globalNotes.end());

  for (int k = 0; k < kCells; ++k) {
    DecodedCell cell;
    cell.number = k;
    cell.pin = layout.cell0Pin - k;
    const GAL22V10Layout::Cell &rows = layout.cells[k];
    const unsigned first = rows.firstRow * layout.rowWidth;
    cell.outputEnable = DecodedLogic::of(reader.rows(first, 1, cell.notes));
    cell.data = DecodedLogic::of(reader.rows(first + layout.rowWidth, rows.rows - 1, cell.notes));
    cell.data.inverted = !fuses[layout.polarityBase + 2 * k];
    if (registered(k)) {
      cell.storage = DecodedStorage::DFF;
      cell.clock = DecodedClock::GCLK1;
      cell.reset = reset;
      cell.preset = preset;
    }
    // An output never enabled still holds the logic the map programs.
    cell.used = !cell.outputEnable.isFalse() || !cell.data.sum.terms.empty();
    map.cells.push_back(std::move(cell));
  }
  return map;
}

} // namespace gsmith
