// ATF1502AS/ASV pin tables. The macrocell rows are kept in PLCC44 numbering;
// the TQFP44 package is the same die with every pin number rotated by six.
#include "devices/atf1502/atf1502.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace gsmith {

namespace {

// PLCC44 pin of macrocells 1..32.
constexpr std::array<int, 32> kPLCC44MacrocellPins = {
    4,  5,  6,  7,  8,  9,  11, 12, 13, 14, 16, 17, 18, 19, 20, 21, // LAB A
    41, 40, 39, 38, 37, 36, 34, 33, 32, 31, 29, 28, 27, 26, 25, 24, // LAB B
};

struct PackagePins {
  int gclk1;
  int gclk2;
  int gclk3;
  int goe1;
  int goe2;
  int goe3;
  int gclr;
  std::array<int, 8> power;
  std::array<int, 4> jtag;
};

//                                     GCLK1 GCLK2 GCLK3 GOE1 GOE2 GOE3 GCLR
constexpr PackagePins kPLCC44Pins = {
    43, 2, 41, 44, 2, 34, 1, {3, 10, 15, 22, 23, 30, 35, 42}, {7, 13, 32, 38}};
constexpr PackagePins kTQFP44Pins = {
    37, 40, 35, 38, 40, 28, 39, {4, 9, 16, 17, 24, 29, 36, 41}, {1, 7, 26, 32}};

constexpr int kPinCount = 44;

// The macrocells whose pins carry TDI, TMS, TCK and TDO in both packages.
constexpr std::array<int, 4> kJTAGMacrocells = {4, 9, 20, 25};

int tqfp44FromPLCC44(int pin) { return ((pin + 37) % kPinCount) + 1; }
int plcc44FromTQFP44(int pin) { return ((pin + 5) % kPinCount) + 1; }

} // namespace

ATF1502Device::ATF1502Device(const std::string &package)
    : package_(package.empty() ? "PLCC44" : package) {
  if (package_ != "PLCC44" && package_ != "TQFP44")
    throw std::runtime_error("ATF1502AS/ASV PACKAGE must be PLCC44 or TQFP44");
  for (int i = 0; i < kMacrocellCount; ++i) {
    const int number = i + 1;
    const int plcc = kPLCC44MacrocellPins[i];
    macrocells_.push_back(ATF1502Macrocell{number, number <= 16 ? ATF1502LAB::A : ATF1502LAB::B,
                                           isTQFP44() ? tqfp44FromPLCC44(plcc) : plcc, 600 + number,
                                           300 + number, 5});
  }
}

bool ATF1502Device::isTQFP44() const { return package_ == "TQFP44"; }

const ATF1502Macrocell *ATF1502Device::macrocellForPin(int pin) const {
  for (const ATF1502Macrocell &record : macrocells_)
    if (record.pin == pin)
      return &record;
  return nullptr;
}

bool ATF1502Device::isDedicatedInputPin(int pin) const {
  return pin == globalClearPin() || pin == globalClockPin(ClockSource::GCLK2) ||
         pin == globalClockPin(ClockSource::GCLK1) || pin == globalOEPin(GlobalOEPin::GOE1);
}

bool ATF1502Device::isPowerPin(int pin) const {
  const auto &power = (isTQFP44() ? kTQFP44Pins : kPLCC44Pins).power;
  return std::find(power.begin(), power.end(), pin) != power.end();
}

bool ATF1502Device::isJTAGPin(int pin) const {
  const auto &jtag = (isTQFP44() ? kTQFP44Pins : kPLCC44Pins).jtag;
  return std::find(jtag.begin(), jtag.end(), pin) != jtag.end();
}

int ATF1502Device::globalClockPin(ClockSource clock) const {
  const PackagePins &pins = isTQFP44() ? kTQFP44Pins : kPLCC44Pins;
  switch (clock) {
  case ClockSource::GCLK1:
    return pins.gclk1;
  case ClockSource::GCLK2:
    return pins.gclk2;
  case ClockSource::GCLK3:
    return pins.gclk3;
  default:
    return 0;
  }
}

int ATF1502Device::globalOEPin(GlobalOEPin oe) const {
  const PackagePins &pins = isTQFP44() ? kTQFP44Pins : kPLCC44Pins;
  // The enumerators name the first, second and third global OE inputs.
  switch (oe) {
  case GlobalOEPin::GOE1:
    return pins.goe1;
  case GlobalOEPin::GOE2:
    return pins.goe2;
  case GlobalOEPin::GOE6:
    return pins.goe3;
  default:
    return 0;
  }
}

int ATF1502Device::globalClearPin() const { return (isTQFP44() ? kTQFP44Pins : kPLCC44Pins).gclr; }

int ATF1502Device::plcc44Pin(const std::string &package, int pin) {
  if (pin < 1 || pin > kPinCount)
    return 0;
  return package == "TQFP44" ? plcc44FromTQFP44(pin) : pin;
}

int ATF1502Device::cascadeSourceForMacrocell(int n) {
  if (n < 1 || n > kMacrocellCount)
    return -1;
  return (n - 1) % 8 == 0 ? 0 : n - 1;
}

bool ATF1502Device::canCascade(int n) { return cascadeSourceForMacrocell(n) > 0; }

bool ATF1502Device::isJTAGMacrocell(int n) {
  return std::find(kJTAGMacrocells.begin(), kJTAGMacrocells.end(), n) != kJTAGMacrocells.end();
}

int ATF1502Device::maxProductTermsForMacrocell(int n) {
  if (n < 1 || n > kMacrocellCount)
    return 0;
  return 5 * (((n - 1) % 8) + 1);
}

} // namespace gsmith
