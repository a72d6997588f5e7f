// The three GAL package models, pin by pin.
#include "devices/gal/gal16v8.h"
#include "devices/gal/gal20v8.h"
#include "devices/gal/gal22v10.h"

#include <gtest/gtest.h>

#include <memory>

namespace gsmith {
namespace {

struct PinMapCase {
  const char *device;
  std::shared_ptr<DeviceModel> model;
  int pinCount;
  const char *package;
  // One letter per pin from 1: I input-only, O input/output, P power.
  const char *roles;
  int clockPin;
  int oePin;
};

void PrintTo(const PinMapCase &c, std::ostream *out) { *out << c.device; }

class GALPinMap : public ::testing::TestWithParam<PinMapCase> {};

TEST_P(GALPinMap, AnswersEveryPinFromItsRole) {
  const PinMapCase &c = GetParam();
  const DeviceModel &model = *c.model;
  EXPECT_EQ(model.packagePinCount(), c.pinCount);
  EXPECT_STREQ(model.packageName(), c.package);
  for (int pin = -1; pin <= 26; ++pin) {
    const char role = pin >= 1 && pin <= c.pinCount ? c.roles[pin - 1] : '-';
    EXPECT_EQ(model.isIOPin(pin), role == 'O') << c.device << " pin " << pin;
    EXPECT_EQ(model.isDedicatedInputPin(pin), role == 'I') << c.device << " pin " << pin;
    EXPECT_EQ(model.isPowerPin(pin), role == 'P') << c.device << " pin " << pin;
    EXPECT_FALSE(model.isJTAGPin(pin));
  }
}

TEST_P(GALPinMap, PlacesOnlyGCLK1AndGOE1) {
  const PinMapCase &c = GetParam();
  const DeviceModel &model = *c.model;
  EXPECT_EQ(model.globalClockPin(ClockSource::GCLK1), c.clockPin);
  EXPECT_EQ(model.globalClockPin(ClockSource::GCLK2), 0);
  EXPECT_EQ(model.globalClockPin(ClockSource::GCLK3), 0);
  EXPECT_EQ(model.globalClockPin(ClockSource::NONE), 0);
  EXPECT_EQ(model.globalOEPin(GlobalOEPin::GOE1), c.oePin);
  EXPECT_EQ(model.globalOEPin(GlobalOEPin::GOE2), 0);
  EXPECT_EQ(model.globalOEPin(GlobalOEPin::GOE6), 0);
  EXPECT_EQ(model.globalClearPin(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    AllGALs, GALPinMap,
    ::testing::Values(
        // clang-format off
        //                                                                    pin 1........10........20...24
        PinMapCase{"GAL16V8B", std::make_shared<GAL16V8Device>(), 20, "DIP20", "IIIIIIIIIPIOOOOOOOOP", 1, 11},
        PinMapCase{"GAL20V8B", std::make_shared<GAL20V8Device>(), 24, "DIP24", "IIIIIIIIIIIPIIOOOOOOOOIP", 1, 13},
        PinMapCase{"GAL22V10B", std::make_shared<GAL22V10Device>(), 24, "DIP24", "IIIIIIIIIIIPIOOOOOOOOOOP", 1, 0} // clang-format on
        ),
    [](const auto &info) { return std::string(info.param.device); });

TEST(GALPinMapBoundaries, NamedPinsHaveTheirRoles) {
  const GAL16V8Device gal16;
  const GAL20V8Device gal20;
  const GAL22V10Device gal22;
  EXPECT_TRUE(gal16.isDedicatedInputPin(11));
  EXPECT_TRUE(gal16.isIOPin(12));
  EXPECT_TRUE(gal20.isDedicatedInputPin(14));
  EXPECT_TRUE(gal20.isDedicatedInputPin(23));
  EXPECT_TRUE(gal20.isIOPin(15));
  EXPECT_TRUE(gal20.isIOPin(22));
  EXPECT_TRUE(gal22.isDedicatedInputPin(13));
  EXPECT_TRUE(gal22.isIOPin(14));
  EXPECT_TRUE(gal22.isIOPin(23));
}

} // namespace
} // namespace gsmith
