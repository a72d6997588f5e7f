// Where the ATF1504AS/ASV's 55 macrocell options lie in its configuration
// rows. The ATF1508AS/ASV has the same bit table (its vendor files label the
// same S-bits in the same rows and pairs), so both records read it from here.
#pragma once

#include "cpld/architecture.h"

#include <array>

namespace gsmith::atf1504 {

// In macrocell position i of its LAB's 80-column block (the record's
// configuration rows say where each block lies), pair UP starts at column
// 16 + 2i and pair DOWN at 78 - 2i.

constexpr FuseSlot up(int row, int bit) { return {row, Pair::UP, bit}; }
constexpr FuseSlot down(int row, int bit) { return {row, Pair::DOWN, bit}; }
inline constexpr FuseSlot none{};

// clang-format off
inline constexpr std::array<OptionRule, 55> kOptionRules = {{
    {"slew_rate:fast",           1, {down(3, 1), none, none},         {0, 0, 0}},
    {"slew_rate:slow",           1, {down(3, 1), none, none},         {1, 0, 0}},
    {"output_driver:open_drain", 1, {up(2, 0), none, none},           {1, 0, 0}},
    {"output_driver:push_pull",  1, {up(2, 0), none, none},           {0, 0, 0}},
    {"low_power:off",            1, {down(2, 1), none, none},         {0, 0, 0}},
    {"low_power:on",             1, {down(2, 1), none, none},         {1, 0, 0}},
    {"pt_power:off",             1, {down(2, 0), none, none},         {1, 0, 0}},
    {"pt_power:on",              1, {down(2, 0), none, none},         {0, 0, 0}},
    {"storage:dff",              1, {up(4, 0), none, none},           {1, 0, 0}},
    {"storage:latch",            1, {up(4, 0), none, none},           {0, 0, 0}},
    {"gclk_mux:GCLK1",           2, {up(3, 0), up(3, 1), none},       {1, 1, 0}},
    {"gclk_mux:GCLK2",           2, {up(3, 0), up(3, 1), none},       {0, 0, 0}},
    {"gclk_mux:GCLK3",           2, {up(3, 0), up(3, 1), none},       {0, 1, 0}},
    {"pt4_func:ce",              1, {down(3, 0), none, none},         {0, 0, 0}},
    {"pt4_func:clk",             1, {down(3, 0), none, none},         {1, 0, 0}},
    {"gclr_mux:GCLR",            1, {down(4, 0), none, none},         {0, 0, 0}},
    {"gclr_mux:GND",             1, {down(4, 0), none, none},         {1, 0, 0}},
    {"pt5_func:as",              1, {down(5, 1), none, none},         {1, 0, 0}},
    {"pt5_func:oe",              1, {down(5, 1), none, none},         {0, 0, 0}},
    {"xor_a_mux:VCC_pt2",        1, {up(1, 1), none, none},           {1, 0, 0}},
    {"xor_a_mux:sum",            1, {up(1, 1), none, none},           {0, 0, 0}},
    {"cas_mux:GND",              1, {up(1, 1), none, none},           {0, 0, 0}},
    {"cas_mux:sum",              1, {up(1, 1), none, none},           {1, 0, 0}},
    {"xor_b_mux:VCC_pt12",       1, {down(1, 0), none, none},         {0, 0, 0}},
    {"xor_b_mux:ff_qn",          1, {down(1, 0), none, none},         {1, 0, 0}},
    {"pt2_mux:sum",              1, {down(1, 1), none, none},         {0, 0, 0}},
    {"pt2_mux:xor",              1, {down(1, 1), none, none},         {1, 0, 0}},
    {"pt3_mux:ar",               1, {up(0, 0), none, none},           {1, 0, 0}},
    {"pt3_mux:sum",              1, {up(0, 0), none, none},           {0, 0, 0}},
    {"pt4_mux:clk_ce",           1, {up(0, 1), none, none},           {1, 0, 0}},
    {"pt4_mux:sum",              1, {up(0, 1), none, none},           {0, 0, 0}},
    {"pt5_mux:as_oe",            1, {down(0, 1), none, none},         {1, 0, 0}},
    {"pt5_mux:sum",              1, {down(0, 1), none, none},         {0, 0, 0}},
    {"fb_mux:comb",              1, {up(2, 1), none, none},           {1, 0, 0}},
    {"fb_mux:sync",              1, {up(2, 1), none, none},           {0, 0, 0}},
    {"xor_invert:off",           1, {down(0, 0), none, none},         {1, 0, 0}},
    {"xor_invert:on",            1, {down(0, 0), none, none},         {0, 0, 0}},
    {"reset:GND",                1, {down(0, 0), none, none},         {0, 0, 0}},
    {"reset:VCC",                1, {down(0, 0), none, none},         {1, 0, 0}},
    {"oe_mux:GND",               3, {up(5, 0), up(5, 1), down(5, 0)}, {0, 0, 0}},
    {"oe_mux:GOE1",              3, {up(5, 0), up(5, 1), down(5, 0)}, {0, 0, 1}},
    {"oe_mux:GOE2",              3, {up(5, 0), up(5, 1), down(5, 0)}, {0, 1, 0}},
    {"oe_mux:GOE3",              3, {up(5, 0), up(5, 1), down(5, 0)}, {0, 1, 1}},
    {"oe_mux:GOE4",              3, {up(5, 0), up(5, 1), down(5, 0)}, {1, 0, 0}},
    {"oe_mux:GOE5",              3, {up(5, 0), up(5, 1), down(5, 0)}, {1, 0, 1}},
    {"oe_mux:GOE6",              3, {up(5, 0), up(5, 1), down(5, 0)}, {1, 1, 0}},
    {"oe_mux:VCC_pt5",           3, {up(5, 0), up(5, 1), down(5, 0)}, {1, 1, 1}},
    {"o_mux:comb",               1, {down(4, 1), none, none},         {1, 0, 0}},
    {"o_mux:sync",               1, {down(4, 1), none, none},         {0, 0, 0}},
    {"d_mux:comb",               1, {up(4, 1), none, none},           {1, 0, 0}},
    {"d_mux:fast",               1, {up(4, 1), none, none},           {0, 0, 0}},
    {"dfast_mux:pad",            1, {down(4, 1), none, none},         {0, 0, 0}},
    {"dfast_mux:pt2",            1, {down(4, 1), none, none},         {1, 0, 0}},
    {"pt1_mux:flb",              1, {up(1, 0), none, none},           {1, 0, 0}},
    {"pt1_mux:sum",              1, {up(1, 0), none, none},           {0, 0, 0}},
}};
// clang-format on

} // namespace gsmith::atf1504
