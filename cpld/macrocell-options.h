// The 55 options every CPLD macrocell has ("oe_mux:GOE1", "slew_rate:slow",
// ...) and where each one's fuses lie. An option is named by its key, a field
// and a value; the device tables list the options in this order, so an
// option's index is the same on every chip and resolves at compile time.
#pragma once

#include "cpld/architecture.h"

#include <array>
#include <string_view>

namespace gsmith {

inline constexpr std::array<std::string_view, 55> kMacrocellOptionNames = {
    "slew_rate:fast",
    "slew_rate:slow",
    "output_driver:open_drain",
    "output_driver:push_pull",
    "low_power:off",
    "low_power:on",
    "pt_power:off",
    "pt_power:on",
    "storage:dff",
    "storage:latch",
    "gclk_mux:GCLK1",
    "gclk_mux:GCLK2",
    "gclk_mux:GCLK3",
    "pt4_func:ce",
    "pt4_func:clk",
    "gclr_mux:GCLR",
    "gclr_mux:GND",
    "pt5_func:as",
    "pt5_func:oe",
    "xor_a_mux:VCC_pt2",
    "xor_a_mux:sum",
    "cas_mux:GND",
    "cas_mux:sum",
    "xor_b_mux:VCC_pt12",
    "xor_b_mux:ff_qn",
    "pt2_mux:sum",
    "pt2_mux:xor",
    "pt3_mux:ar",
    "pt3_mux:sum",
    "pt4_mux:clk_ce",
    "pt4_mux:sum",
    "pt5_mux:as_oe",
    "pt5_mux:sum",
    "fb_mux:comb",
    "fb_mux:sync",
    "xor_invert:off",
    "xor_invert:on",
    "reset:GND",
    "reset:VCC",
    "oe_mux:GND",
    "oe_mux:GOE1",
    "oe_mux:GOE2",
    "oe_mux:GOE3",
    "oe_mux:GOE4",
    "oe_mux:GOE5",
    "oe_mux:GOE6",
    "oe_mux:VCC_pt5",
    "o_mux:comb",
    "o_mux:sync",
    "d_mux:comb",
    "d_mux:fast",
    "dfast_mux:pad",
    "dfast_mux:pt2",
    "pt1_mux:flb",
    "pt1_mux:sum",
};

// The index of an option key, or -1 for a key that is no option.
constexpr int optionIndex(std::string_view key) {
  for (std::size_t k = 0; k < kMacrocellOptionNames.size(); ++k)
    if (kMacrocellOptionNames[k] == key)
      return static_cast<int>(k);
  return -1;
}

// An option index known at compile time; an unknown key does not compile.
consteval int option(std::string_view key) {
  const int index = optionIndex(key);
  if (index < 0)
    throw "no such macrocell option";
  return index;
}

// The fuse of one slot of macrocell `macrocell`.
constexpr int optionFuse(const ConfigurationRows &rows, int macrocell, const FuseSlot &slot) {
  const int position = (macrocell - 1) % kMacrocellsPerLab;
  const int swap = macrocell % 2 == 0 ? 1 : 0;
  const int column =
      slot.pair == Pair::UP ? rows.upStart + 2 * position : rows.downStart - 2 * position;
  return rows.labBase[(macrocell - 1) / kMacrocellsPerLab] + rows.rowStride * slot.row + column +
         (slot.bit ^ swap);
}

// The fuses an option writes, with their values.
struct OptionFuses {
  int count = 0;
  std::array<int, 3> fuses{};
  std::array<bool, 3> values{};
};

constexpr OptionFuses optionFuses(const CPLDArchitecture &arch, int macrocell, int option) {
  const OptionRule &rule = arch.optionRules[static_cast<std::size_t>(option)];
  OptionFuses result{rule.slotCount, {}, {}};
  for (int k = 0; k < rule.slotCount; ++k) {
    result.fuses[k] = optionFuse(arch.configurationRows, macrocell, rule.slots[k]);
    result.values[k] = rule.values[k];
  }
  return result;
}

// Every device table lists the options in the canonical order.
constexpr bool optionRulesInOrder(std::span<const OptionRule> rules) {
  if (rules.size() != kMacrocellOptionNames.size())
    return false;
  for (std::size_t k = 0; k < rules.size(); ++k)
    if (rules[k].name != kMacrocellOptionNames[k])
      return false;
  return true;
}

} // namespace gsmith
