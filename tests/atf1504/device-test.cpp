// The ATF1504 package model and virtual chip: package selection, the pin
// tables, special pins, cascade rules and the chip's LAB bookkeeping.
#include "devices/atf1504/atf1504-chip.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

namespace gsmith {
namespace {

TEST(ATF1504DeviceTest, EmptyPackageSelectsPLCC84) {
  const ATF1504Device device("");
  EXPECT_STREQ(device.packageName(), "PLCC84");
  EXPECT_EQ(device.packagePinCount(), 84);
}

TEST(ATF1504DeviceTest, RejectsUnknownPackages) {
  for (const char *package : {"plcc84", "PLCC68", "TQFP", "DIP24", " PLCC44"}) {
    try {
      ATF1504Device device(package);
      ADD_FAILURE() << package;
    } catch (const std::runtime_error &error) {
      EXPECT_STREQ(error.what(), "ATF1504AS/ASV PACKAGE must be PLCC44, TQFP44, PLCC84 or TQFP100");
    }
  }
}

struct PackageCase {
  const char *package;
  int pinCount;
  int gclk1, gclk2, gclk3, goe1, gclr, pd1, pd2;
  int pinnedMacrocells;
  std::set<int> powerPins;
  std::set<int> jtagPins;
};

class ATF1504PackageTest : public ::testing::TestWithParam<PackageCase> {};

TEST_P(ATF1504PackageTest, SpecialPins) {
  const PackageCase &c = GetParam();
  const ATF1504Device device(c.package);
  EXPECT_STREQ(device.packageName(), c.package);
  EXPECT_EQ(device.packagePinCount(), c.pinCount);
  EXPECT_EQ(device.globalClockPin(ClockSource::GCLK1), c.gclk1);
  EXPECT_EQ(device.globalClockPin(ClockSource::GCLK2), c.gclk2);
  EXPECT_EQ(device.globalClockPin(ClockSource::GCLK3), c.gclk3);
  EXPECT_EQ(device.globalClockPin(ClockSource::NONE), 0);
  EXPECT_EQ(device.globalOEPin(GlobalOEPin::GOE1), c.goe1);
  EXPECT_EQ(device.globalOEPin(GlobalOEPin::GOE2), c.gclk2);
  EXPECT_EQ(device.globalOEPin(GlobalOEPin::GOE6), 0);
  EXPECT_EQ(device.globalOEPin(GlobalOEPin::NONE), 0);
  EXPECT_EQ(device.globalClockPin(static_cast<ClockSource>(9)), 0);
  EXPECT_EQ(device.globalOEPin(static_cast<GlobalOEPin>(9)), 0);
  EXPECT_EQ(device.globalClearPin(), c.gclr);
  EXPECT_EQ(device.powerDownPin(1), c.pd1);
  EXPECT_EQ(device.powerDownPin(2), c.pd2);
  EXPECT_EQ(device.powerDownPin(0), c.pd2);

  int pinned = 0;
  for (int pin = 0; pin <= c.pinCount + 1; ++pin) {
    EXPECT_EQ(device.isPowerPin(pin), c.powerPins.count(pin) == 1) << pin;
    EXPECT_EQ(device.isJTAGPin(pin), c.jtagPins.count(pin) == 1) << pin;
    const bool dedicated = pin == c.gclk1 || pin == c.gclk2 || pin == c.goe1 || pin == c.gclr;
    EXPECT_EQ(device.isDedicatedInputPin(pin), dedicated) << pin;
    if (device.isIOPin(pin)) {
      ++pinned;
      EXPECT_FALSE(dedicated || device.isPowerPin(pin)) << pin;
    }
  }
  EXPECT_EQ(pinned, c.pinnedMacrocells);
  // JTAG, GCLK3 and the power-down pins are macrocell I/O pins.
  for (int pin : c.jtagPins)
    EXPECT_TRUE(device.isIOPin(pin)) << pin;
  EXPECT_TRUE(device.isIOPin(c.gclk3));
  EXPECT_EQ(device.macrocellForPin(c.gclk3)->number, 64);
  EXPECT_EQ(device.macrocellForPin(c.pd1)->number, 3);
  EXPECT_EQ(device.macrocellForPin(c.pd2)->number, 35);
  EXPECT_FALSE(device.macrocellForPin(0).has_value());
  EXPECT_FALSE(device.isIOPin(0));
}

INSTANTIATE_TEST_SUITE_P(
    Packages, ATF1504PackageTest,
    ::testing::Values(PackageCase{"PLCC84",
                                  84,
                                  83,
                                  2,
                                  81,
                                  84,
                                  1,
                                  20,
                                  46,
                                  64,
                                  {3, 7, 13, 19, 26, 32, 38, 42, 43, 47, 53, 59, 66, 72, 78, 82},
                                  {14, 23, 62, 71}},
                      PackageCase{"PLCC44",
                                  44,
                                  43,
                                  2,
                                  41,
                                  44,
                                  1,
                                  11,
                                  25,
                                  32,
                                  {3, 10, 15, 22, 23, 30, 35, 42},
                                  {7, 13, 32, 38}},
                      PackageCase{"TQFP44",
                                  44,
                                  37,
                                  40,
                                  35,
                                  38,
                                  39,
                                  5,
                                  19,
                                  32,
                                  {4, 9, 16, 17, 24, 29, 36, 41},
                                  {1, 7, 26, 32}},
                      PackageCase{"TQFP100",
                                  100,
                                  87,
                                  90,
                                  85,
                                  88,
                                  89,
                                  12,
                                  42,
                                  64,
                                  {3, 11, 18, 26, 34, 38, 39, 43, 51, 59, 66, 74, 82, 86, 91, 95},
                                  {4, 15, 62, 73}}),
    [](const auto &info) { return std::string(info.param.package); });

TEST(ATF1504DeviceTest, MacrocellRecords) {
  const ATF1504Device device("PLCC44");
  ASSERT_EQ(device.macrocells().size(), 64u);
  for (int n = 1; n <= 64; ++n) {
    const ATF1504Macrocell &record = device.macrocells()[n - 1];
    EXPECT_EQ(record.number, n);
    EXPECT_EQ(record.lab, (n - 1) / 16);
    EXPECT_EQ(record.feedbackNode, 600 + n);
    EXPECT_EQ(record.inputNode, 300 + n);
    EXPECT_EQ(record.productTermCount, 5);
  }
  // Spot checks across the pin table, one per LAB and package.
  EXPECT_EQ(device.macrocells()[0].pin, 12);
  EXPECT_EQ(device.macrocells()[1].pin, 0);
  EXPECT_EQ(device.macrocells()[45].pin, 31);
  EXPECT_EQ(ATF1504Device("PLCC84").macrocells()[21].pin, 35);
  EXPECT_EQ(ATF1504Device("TQFP44").macrocells()[10].pin, 44);
  EXPECT_EQ(ATF1504Device("TQFP100").macrocells()[8].pin, 100);
  EXPECT_EQ(ATF1504Device("TQFP100").macrocells()[54].pin, 71);
}

TEST(ATF1504DeviceTest, PinTablesAreOneToOne) {
  for (const char *package : {"PLCC84", "PLCC44", "TQFP44", "TQFP100"}) {
    const ATF1504Device device(package);
    std::set<int> pins;
    for (const ATF1504Macrocell &record : device.macrocells()) {
      if (record.pin == 0)
        continue;
      EXPECT_TRUE(pins.insert(record.pin).second) << package << " pin " << record.pin;
      EXPECT_LE(record.pin, device.packagePinCount());
      EXPECT_EQ(device.macrocellForPin(record.pin)->number, record.number);
    }
  }
}

TEST(ATF1504DeviceTest, CascadeRules) {
  const ATF1504Device device("");
  struct Case {
    int macrocell, source, maxTerms;
    bool canCascade;
  };
  for (const Case &c : {Case{1, 0, 5, false}, Case{2, 1, 10, true}, Case{8, 7, 40, true},
                        Case{9, 0, 5, false}, Case{10, 9, 10, true}, Case{57, 0, 5, false},
                        Case{64, 63, 40, true}, Case{0, -1, 0, false}, Case{65, -1, 0, false}}) {
    EXPECT_EQ(device.cascadeSourceForMacrocell(c.macrocell), c.source) << c.macrocell;
    EXPECT_EQ(device.maxProductTermsForMacrocell(c.macrocell), c.maxTerms) << c.macrocell;
    EXPECT_EQ(device.canCascade(c.macrocell), c.canCascade) << c.macrocell;
    EXPECT_FALSE(device.isQuarantinedMacrocell(c.macrocell));
  }
}

TEST(ATF1504ChipTest, MacrocellsByNumberAndLAB) {
  ATF1504Chip chip(ATF1504Device("PLCC44"));
  EXPECT_EQ(chip.macrocell(0), nullptr);
  EXPECT_EQ(chip.macrocell(65), nullptr);
  ASSERT_NE(chip.macrocell(17), nullptr);
  EXPECT_EQ(&chip.lab(ATF1502LAB::B).macrocells().front(), chip.macrocell(17));
  EXPECT_EQ(chip.macrocell(1)->pin(), 12);
  EXPECT_EQ(chip.macrocell(2)->pin(), 0);
  for (ATF1502LAB lab : {ATF1502LAB::A, ATF1502LAB::B, ATF1502LAB::C, ATF1502LAB::D})
    EXPECT_EQ(chip.lab(lab).macrocells().size(), 16u);
  EXPECT_STREQ(chip.device().packageName(), "PLCC44");
}

TEST(ATF1504ChipTest, InvalidLABIsRefused) {
  ATF1504Chip chip(ATF1504Device(""));
  try {
    chip.lab(static_cast<ATF1502LAB>(4));
    ADD_FAILURE();
  } catch (const std::out_of_range &error) {
    EXPECT_STREQ(error.what(), "Invalid ATF1504 LAB");
  }
  EXPECT_THROW(chip.matrix(static_cast<ATF1502LAB>(7)), std::out_of_range);
}

TEST(ATF1504ChipTest, ResetEmptiesMacrocellsAndMatrices) {
  ATF1504Chip chip(ATF1504Device(""));
  chip.macrocell(20)->allocateProductTerm({{"a", false}});
  chip.macrocell(20)->setConfiguredOutput(true);
  chip.matrix(ATF1502LAB::B).selectSignal("a", 5, 0);
  chip.reset();
  EXPECT_TRUE(chip.macrocell(20)->productTerms().empty());
  EXPECT_FALSE(chip.macrocell(20)->isConfiguredOutput());
  EXPECT_EQ(chip.macrocell(20)->pin(), 37);
  EXPECT_EQ(chip.matrix(ATF1502LAB::B).usedSignals(), 0);
}

} // namespace
} // namespace gsmith
