// The ATF1502 package model in both packages and the empty virtual chip.
#include "devices/atf1502/atf1502-chip.h"
#include "devices/atf1502/atf1502.h"
#include "devices/atf1502/atf1502arch.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace gsmith {
namespace {

TEST(ATF1502DeviceTest, EmptyPackageMeansPLCC44) {
  const ATF1502Device device("");
  EXPECT_STREQ(device.packageName(), "PLCC44");
  EXPECT_EQ(device.packagePinCount(), 44);
  ASSERT_EQ(device.macrocells().size(), 32u);
  EXPECT_EQ(device.macrocells()[0].pin, 4);
  EXPECT_EQ(device.macrocells()[31].pin, 24);
}

TEST(ATF1502DeviceTest, RefusesOtherPackageNames) {
  for (const char *package : {"plcc44", "PLCC84", "TQFP44 ", "DIP24"}) {
    try {
      ATF1502Device device(package);
      FAIL() << package;
    } catch (const std::runtime_error &error) {
      EXPECT_STREQ(error.what(), "ATF1502AS/ASV PACKAGE must be PLCC44 or TQFP44");
    }
  }
}

TEST(ATF1502DeviceTest, MacrocellRecordsCarryLABAndNodes) {
  const ATF1502Device device("PLCC44");
  for (const ATF1502Macrocell &record : device.macrocells()) {
    EXPECT_EQ(record.lab, record.number <= 16 ? ATF1502LAB::A : ATF1502LAB::B);
    EXPECT_EQ(record.feedbackNode, 600 + record.number);
    EXPECT_EQ(record.padNode, 300 + record.number);
    EXPECT_EQ(record.productTermCount, 5);
  }
  EXPECT_EQ(device.macrocellForPin(41)->number, 17);
}

TEST(ATF1502DeviceTest, TQFP44RotatesEveryMacrocellPin) {
  const ATF1502Device tqfp("TQFP44");
  const ATF1502Device plcc("PLCC44");
  const struct {
    int plcc;
    int tqfp;
  } cases[] = {{7, 1}, {4, 42}, {24, 18}, {41, 35}};
  for (const auto &c : cases)
    EXPECT_EQ(tqfp.macrocellForPin(c.tqfp)->number, plcc.macrocellForPin(c.plcc)->number);
  EXPECT_EQ(tqfp.macrocellForPin(4), nullptr);
  for (const ATF1502Macrocell &record : tqfp.macrocells())
    EXPECT_EQ(ATF1502Device::plcc44Pin("TQFP44", record.pin),
              plcc.macrocells()[record.number - 1].pin);
}

struct PinTable {
  const char *package;
  int gclk1, gclk2, gclk3, goe1, goe2, goe3, gclr;
  std::vector<int> power, jtag;
};

const PinTable kPinTables[] = {
    {"PLCC44", 43, 2, 41, 44, 2, 34, 1, {3, 10, 15, 22, 23, 30, 35, 42}, {7, 13, 32, 38}},
    {"TQFP44", 37, 40, 35, 38, 40, 28, 39, {4, 9, 16, 17, 24, 29, 36, 41}, {1, 7, 26, 32}},
};

TEST(ATF1502DeviceTest, DedicatedPowerAndJTAGPins) {
  for (const PinTable &table : kPinTables) {
    SCOPED_TRACE(table.package);
    const ATF1502Device device(table.package);
    EXPECT_EQ(device.globalClockPin(ClockSource::GCLK1), table.gclk1);
    EXPECT_EQ(device.globalClockPin(ClockSource::GCLK2), table.gclk2);
    EXPECT_EQ(device.globalClockPin(ClockSource::GCLK3), table.gclk3);
    EXPECT_EQ(device.globalClockPin(ClockSource::NONE), 0);
    EXPECT_EQ(device.globalOEPin(GlobalOEPin::GOE1), table.goe1);
    EXPECT_EQ(device.globalOEPin(static_cast<GlobalOEPin>(2)), table.goe2);
    EXPECT_EQ(device.globalOEPin(static_cast<GlobalOEPin>(3)), table.goe3);
    EXPECT_EQ(device.globalOEPin(GlobalOEPin::NONE), 0);
    EXPECT_EQ(device.globalClearPin(), table.gclr);
    for (int pin = 1; pin <= 44; ++pin) {
      const bool power = std::count(table.power.begin(), table.power.end(), pin) != 0;
      const bool jtag = std::count(table.jtag.begin(), table.jtag.end(), pin) != 0;
      const bool dedicated =
          pin == table.gclk1 || pin == table.gclk2 || pin == table.goe1 || pin == table.gclr;
      EXPECT_EQ(device.isPowerPin(pin), power) << pin;
      EXPECT_EQ(device.isJTAGPin(pin), jtag) << pin;
      EXPECT_EQ(device.isDedicatedInputPin(pin), dedicated) << pin;
      // Every pin is exactly one of: I/O, dedicated input, power.
      EXPECT_EQ(device.isIOPin(pin) + dedicated + power, 1) << pin;
    }
    // GCLK3 and the third global OE share I/O pins.
    EXPECT_TRUE(device.isIOPin(table.gclk3));
    EXPECT_TRUE(device.isIOPin(table.goe3));
  }
}

TEST(ATF1502DeviceTest, JTAGMacrocellsSitOnTheJTAGPins) {
  for (const char *package : {"PLCC44", "TQFP44"}) {
    const ATF1502Device device(package);
    for (const ATF1502Macrocell &record : device.macrocells())
      EXPECT_EQ(ATF1502Device::isJTAGMacrocell(record.number), device.isJTAGPin(record.pin))
          << package << " " << record.number;
  }
}

TEST(ATF1502DeviceTest, CascadeChainsOfEight) {
  EXPECT_EQ(ATF1502Device::cascadeSourceForMacrocell(0), -1);
  EXPECT_EQ(ATF1502Device::cascadeSourceForMacrocell(33), -1);
  for (int n : {1, 9, 17, 25}) {
    EXPECT_EQ(ATF1502Device::cascadeSourceForMacrocell(n), 0);
    EXPECT_FALSE(ATF1502Device::canCascade(n));
    EXPECT_EQ(ATF1502Device::maxProductTermsForMacrocell(n), 5);
  }
  EXPECT_EQ(ATF1502Device::cascadeSourceForMacrocell(10), 9);
  EXPECT_TRUE(ATF1502Device::canCascade(32));
  EXPECT_FALSE(ATF1502Device::canCascade(33));
  EXPECT_EQ(ATF1502Device::maxProductTermsForMacrocell(16), 40);
  EXPECT_EQ(ATF1502Device::maxProductTermsForMacrocell(8), 40);
  EXPECT_EQ(ATF1502Device::maxProductTermsForMacrocell(33), 0);
}

TEST(ATF1502ChipTest, HoldsPLCC44PinsAndResetsToEmpty) {
  ATF1502Chip chip;
  EXPECT_EQ(chip.macrocell(0), nullptr);
  EXPECT_EQ(chip.macrocell(33), nullptr);
  EXPECT_EQ(chip.labA().macrocells().size(), 16u);
  EXPECT_EQ(chip.labB().macrocells().size(), 16u);
  EXPECT_EQ(chip.macrocell(17)->pin(), 41);
  EXPECT_EQ(chip.labB().macrocell(17), chip.macrocell(17));

  chip.macrocell(5)->allocateProductTerm({});
  chip.matrixB().selectSignal("x", 4, 0);
  chip.reset();
  EXPECT_EQ(chip.macrocell(5)->usedProductTerms(), 0);
  EXPECT_EQ(chip.matrixB().usedSignals(), 0);
}

TEST(ATF1502ArchitectureTest, IndexedFromZeroToThirtyOne) {
  const ATF1502Architecture architecture;
  EXPECT_EQ(architecture.getMacrocell(31).macrocell, 31);
  EXPECT_TRUE(architecture.getMacrocell(0).options.empty());
  EXPECT_THROW(architecture.getMacrocell(32), std::out_of_range);
}

} // namespace
} // namespace gsmith
