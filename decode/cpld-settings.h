// The device configuration word of the ATF15xx family as CONFIG writes it:
// offsets from the configuration base, the same on every chip.
#pragma once

#include <array>
#include <string_view>

namespace gsmith {

inline constexpr int kArmingOffset = 0;
inline constexpr int kJTAGOffset = 33;
inline constexpr int kClearInvertOffset = 10;
// GCLK n: its invert fuse, then multiplexer bits 0 and 1.
constexpr int clockOffset(int clock) { return 3 * clock + 8; }
constexpr int wakeupOffset(int clock) { return 19 + clock; }
inline constexpr int kWordLength = 32;

// One setting: fuse base + offset is 1 when the value is valueForOne, else
// valueForZero.
struct SettingFuse {
  std::string_view target;
  std::string_view option;
  int offset;
  std::string_view valueForOne;
  std::string_view valueForZero;
};

// STANDBY_WAKEUP stands for the three transition-detection fuses; the first
// is read and the others must agree.
inline constexpr std::array<SettingFuse, 10> kCPLDSettings{{
    {"DEVICE", "TERMINATION", 1, "HIGH_Z", "BUS_KEEPER"},
    {"GCLR", "INVERT", kClearInvertOffset, "OFF", "ON"},
    {"GCLK1", "INVERT", clockOffset(1), "ON", "OFF"},
    {"GCLK2", "INVERT", clockOffset(2), "ON", "OFF"},
    {"GCLK3", "INVERT", clockOffset(3), "ON", "OFF"},
    {"TMS", "TERMINATION", 23, "HIGH_Z", "PULL_UP"},
    {"TDI", "TERMINATION", 24, "HIGH_Z", "PULL_UP"},
    {"DEVICE", "RESET_HYSTERESIS", 25, "SMALL", "LARGE"},
    {"DEVICE", "READ_PROTECTION", 32, "OFF", "ON"},
    {"DEVICE", "STANDBY_WAKEUP", wakeupOffset(1), "OFF", "ON"},
}};

inline constexpr std::array<std::string_view, 3> kClockTargets = {"GCLK1", "GCLK2", "GCLK3"};

} // namespace gsmith
