// The physical sources a CPLD multiplexer can select: a macrocell's feedback
// ("MC12_FB"), a macrocell's pad ("M7_PAD"), the dedicated clock, enable and
// clear pads, or ground; and the select positions no source is known for
// ("UNUSED"), which hold their place in a multiplexer but are never selected.
// The device tables name them as text, the way the fuse databases write them;
// they are turned into values at compile time so that routing compares
// numbers, not strings.
#pragma once

#include <string>
#include <string_view>

namespace gsmith {

enum class SourceKind : unsigned char {
  NONE,       // no physical source (an unplaced signal)
  FEEDBACK,   // "MC<n>_FB"
  PAD,        // "M<n>_PAD"
  CLOCK1_PAD, // "C1_PAD": the GCLK1 input
  CLOCK2_PAD, // "C2_PAD": the GCLK2/OE2 input
  OE1_PAD,    // "E1_PAD": the first global output-enable input
  CLEAR_PAD,  // "R_PAD": the global clear input
  GROUND,     // "GND0", "GND1": constant selections
  UNUSED,     // "UNUSED": a select fuse with no known source, never cleared
};

struct SignalSource {
  SourceKind kind = SourceKind::NONE;
  int macrocell = 0; // FEEDBACK and PAD only

  constexpr bool operator==(const SignalSource &) const = default;
};

// The source a table entry names; a name outside the forms above is NONE,
// which the table self-checks refuse.
constexpr SignalSource parseSource(std::string_view name) {
  if (name == "C1_PAD")
    return {SourceKind::CLOCK1_PAD, 0};
  if (name == "C2_PAD")
    return {SourceKind::CLOCK2_PAD, 0};
  if (name == "E1_PAD")
    return {SourceKind::OE1_PAD, 0};
  if (name == "R_PAD")
    return {SourceKind::CLEAR_PAD, 0};
  if (name == "GND0" || name == "GND1")
    return {SourceKind::GROUND, 0};
  if (name == "UNUSED")
    return {SourceKind::UNUSED, 0};
  const bool feedback = name.starts_with("MC") && name.ends_with("_FB");
  const bool pad = !feedback && name.starts_with("M") && name.ends_with("_PAD");
  if (!feedback && !pad)
    return {};
  // "MC" + digits + "_FB" and "M" + digits + "_PAD" both frame their number
  // with five characters.
  const std::string_view digits = name.substr(feedback ? 2 : 1, name.size() - 5);
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9')
      return {};
    number = number * 10 + (c - '0');
  }
  if (digits.empty() || number == 0)
    return {};
  return {feedback ? SourceKind::FEEDBACK : SourceKind::PAD, number};
}

// The table name of a source, for messages ("" for NONE).
std::string sourceName(const SignalSource &source);

} // namespace gsmith
