// The ATF1504AS/ASV package tables and the queries built on them. The pin
// columns are indexed by the package order PLCC84, PLCC44, TQFP44, TQFP100.
#include "devices/atf1504/atf1504.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace gsmith {

namespace {

constexpr int kPackageCount = 4;

struct MacrocellPins {
  int number;
  int lab;
  std::array<int, kPackageCount> pins; // PLCC84, PLCC44, TQFP44, TQFP100; 0 = buried
};

// clang-format off
constexpr std::array<MacrocellPins, ATF1504Device::kMacrocellCount> kMacrocellPins{{
    {1, 0, {22, 12, 6, 14}},
    {2, 0, {21, 0, 0, 13}},
    {3, 0, {20, 11, 5, 12}},
    {4, 0, {18, 9, 3, 10}},
    {5, 0, {17, 8, 2, 9}},
    {6, 0, {16, 0, 0, 8}},
    {7, 0, {15, 0, 0, 6}},
    {8, 0, {14, 7, 1, 4}},
    {9, 0, {12, 0, 0, 100}},
    {10, 0, {11, 0, 0, 99}},
    {11, 0, {10, 6, 44, 98}},
    {12, 0, {9, 0, 0, 97}},
    {13, 0, {8, 0, 0, 96}},
    {14, 0, {6, 5, 43, 94}},
    {15, 0, {5, 0, 0, 93}},
    {16, 0, {4, 4, 42, 92}},
    {17, 1, {41, 21, 15, 37}},
    {18, 1, {40, 0, 0, 36}},
    {19, 1, {39, 20, 14, 35}},
    {20, 1, {37, 19, 13, 33}},
    {21, 1, {36, 18, 12, 32}},
    {22, 1, {35, 0, 0, 31}},
    {23, 1, {34, 0, 0, 30}},
    {24, 1, {33, 17, 11, 29}},
    {25, 1, {31, 16, 10, 25}},
    {26, 1, {30, 0, 0, 23}},
    {27, 1, {29, 0, 0, 21}},
    {28, 1, {28, 0, 0, 20}},
    {29, 1, {27, 0, 0, 19}},
    {30, 1, {25, 14, 8, 17}},
    {31, 1, {24, 0, 0, 16}},
    {32, 1, {23, 13, 7, 15}},
    {33, 2, {44, 24, 18, 40}},
    {34, 2, {45, 0, 0, 41}},
    {35, 2, {46, 25, 19, 42}},
    {36, 2, {48, 26, 20, 44}},
    {37, 2, {49, 27, 21, 45}},
    {38, 2, {50, 0, 0, 46}},
    {39, 2, {51, 0, 0, 47}},
    {40, 2, {52, 28, 22, 48}},
    {41, 2, {54, 29, 23, 52}},
    {42, 2, {55, 0, 0, 54}},
    {43, 2, {56, 0, 0, 56}},
    {44, 2, {57, 0, 0, 57}},
    {45, 2, {58, 0, 0, 58}},
    {46, 2, {60, 31, 25, 60}},
    {47, 2, {61, 0, 0, 61}},
    {48, 2, {62, 32, 26, 62}},
    {49, 3, {63, 33, 27, 63}},
    {50, 3, {64, 0, 0, 64}},
    {51, 3, {65, 34, 28, 65}},
    {52, 3, {67, 36, 30, 67}},
    {53, 3, {68, 37, 31, 68}},
    {54, 3, {69, 0, 0, 69}},
    {55, 3, {70, 0, 0, 71}},
    {56, 3, {71, 38, 32, 73}},
    {57, 3, {73, 39, 33, 75}},
    {58, 3, {74, 0, 0, 76}},
    {59, 3, {75, 0, 0, 79}},
    {60, 3, {76, 0, 0, 80}},
    {61, 3, {77, 0, 0, 81}},
    {62, 3, {79, 40, 34, 83}},
    {63, 3, {80, 0, 0, 84}},
    {64, 3, {81, 41, 35, 85}},
}};
// clang-format on

constexpr int kMaxPowerPins = 16;
constexpr int kJTAGPinCount = 4;

struct PackagePins {
  const char *name;
  int pinCount;
  std::array<int, kMaxPowerPins> powerPins; // unused slots are 0
  std::array<int, kJTAGPinCount> jtagPins;
  int gclk1;
  int gclk2; // also the second global output enable
  int gclk3;
  int goe1;
  int gclr;
  int pd1;
  int pd2;
};

// clang-format off
constexpr std::array<PackagePins, kPackageCount> kPackages{{
    //  name       pins  power pins                                                        JTAG               GCLK1 GCLK2 GCLK3 GOE1 GCLR PD1 PD2
    {"PLCC84",  84,  {3, 7, 13, 19, 26, 32, 38, 42, 43, 47, 53, 59, 66, 72, 78, 82},  {14, 23, 62, 71},  83,   2,    81,   84,  1,   20, 46},
    {"PLCC44",  44,  {3, 10, 15, 22, 23, 30, 35, 42},                                 {7, 13, 32, 38},   43,   2,    41,   44,  1,   11, 25},
    {"TQFP44",  44,  {4, 9, 16, 17, 24, 29, 36, 41},                                  {1, 7, 26, 32},    37,   40,   35,   38,  39,  5,  19},
    {"TQFP100", 100, {3, 11, 18, 26, 34, 38, 39, 43, 51, 59, 66, 74, 82, 86, 91, 95}, {4, 15, 62, 73},   87,   90,   85,   88,  89,  12, 42},
}};
// clang-format on

int findPackage(const std::string &package) {
  const std::string wanted = package.empty() ? "PLCC84" : package;
  for (int i = 0; i < kPackageCount; ++i) {
    if (wanted == kPackages[i].name)
      return i;
  }
  throw std::runtime_error("ATF1504AS/ASV PACKAGE must be PLCC44, TQFP44, PLCC84 or TQFP100");
}

bool validMacrocell(int macrocell) {
  return macrocell >= 1 && macrocell <= ATF1504Device::kMacrocellCount;
}

template <std::size_t N> bool contains(const std::array<int, N> &pins, int pin) {
  return pin > 0 && std::find(pins.begin(), pins.end(), pin) != pins.end();
}

} // namespace

ATF1504Device::ATF1504Device(const std::string &package) : packageIndex_(findPackage(package)) {
  package_ = kPackages[packageIndex_].name;
  macrocells_.reserve(kMacrocellCount);
  for (const MacrocellPins &row : kMacrocellPins) {
    macrocells_.push_back({row.number, row.lab, row.pins[packageIndex_],
                           kFeedbackNodeBase + row.number, kInputNodeBase + row.number,
                           kProductTermsPerMacrocell});
  }
}

int ATF1504Device::packagePinCount() const { return kPackages[packageIndex_].pinCount; }

const char *ATF1504Device::packageName() const { return package_.c_str(); }

bool ATF1504Device::isIOPin(int pin) const { return macrocellForPin(pin).has_value(); }

bool ATF1504Device::isDedicatedInputPin(int pin) const {
  return pin == globalClearPin() || pin == globalClockPin(ClockSource::GCLK2) ||
         pin == globalClockPin(ClockSource::GCLK1) || pin == globalOEPin(GlobalOEPin::GOE1);
}

bool ATF1504Device::isPowerPin(int pin) const {
  return contains(kPackages[packageIndex_].powerPins, pin);
}

bool ATF1504Device::isJTAGPin(int pin) const {
  return contains(kPackages[packageIndex_].jtagPins, pin);
}

int ATF1504Device::globalClockPin(ClockSource clock) const {
  const PackagePins &package = kPackages[packageIndex_];
  switch (clock) {
  case ClockSource::GCLK1:
    return package.gclk1;
  case ClockSource::GCLK2:
    return package.gclk2;
  case ClockSource::GCLK3:
    return package.gclk3;
  default:
    return 0;
  }
}

int ATF1504Device::globalOEPin(GlobalOEPin oe) const {
  if (oe == GlobalOEPin::GOE1)
    return kPackages[packageIndex_].goe1;
  // The second global output enable shares its pin with GCLK2.
  if (oe == GlobalOEPin::GOE2)
    return globalClockPin(ClockSource::GCLK2);
  return 0;
}

int ATF1504Device::globalClearPin() const { return kPackages[packageIndex_].gclr; }

std::optional<ATF1504Macrocell> ATF1504Device::macrocellForPin(int pin) const {
  if (pin == 0)
    return std::nullopt;
  for (const ATF1504Macrocell &macrocell : macrocells_) {
    if (macrocell.pin == pin)
      return macrocell;
  }
  return std::nullopt;
}

int ATF1504Device::powerDownPin(int which) const {
  const PackagePins &package = kPackages[packageIndex_];
  return which == 1 ? package.pd1 : package.pd2;
}

int ATF1504Device::cascadeSourceForMacrocell(int macrocell) const {
  if (!validMacrocell(macrocell))
    return -1;
  return macrocell % kCascadeGroupSize == 1 ? 0 : macrocell - 1;
}

int ATF1504Device::maxProductTermsForMacrocell(int macrocell) const {
  if (!validMacrocell(macrocell))
    return 0;
  return kProductTermsPerMacrocell * ((macrocell - 1) % kCascadeGroupSize + 1);
}

bool ATF1504Device::canCascade(int macrocell) const {
  return macrocell >= 2 && macrocell <= kMacrocellCount && macrocell % kCascadeGroupSize != 1;
}

bool ATF1504Device::isQuarantinedMacrocell(int) const { return false; }

} // namespace gsmith
