// The design records: the defaults later stages rely on, copies that share
// expression trees, moves that empty the source, and the device-family test.
#include "target/registry.h"
#include "tests/frontend/frontend-test-support.h"

#include <gtest/gtest.h>

namespace gsmith {
namespace {

using testing::parseSource;

TEST(DesignTest, DeviceOnlyFileGivesDefaults) {
  const Design design = parseSource("DEVICE GAL16V8B");
  EXPECT_EQ(design.device, "GAL16V8B");
  EXPECT_EQ(design.package, "");
  EXPECT_EQ(design.signature, 0u);
  EXPECT_EQ(design.galMode, GALMode::AUTO);
  EXPECT_FALSE(design.galModeDeclared);
  EXPECT_FALSE(design.hasSignature);
  EXPECT_FALSE(design.powerDownPD1);
  EXPECT_FALSE(design.powerDownPD2);
  EXPECT_TRUE(design.configOptions.empty());
  EXPECT_TRUE(design.pins.empty());
  EXPECT_TRUE(design.equations.empty());
  EXPECT_TRUE(design.oeEquations.empty());
  EXPECT_TRUE(design.ceEquations.empty());
  EXPECT_TRUE(design.presetEquations.empty());
  EXPECT_TRUE(design.resetEquations.empty());
  EXPECT_TRUE(design.nodes.empty());
}

TEST(DesignTest, RecordDefaults) {
  const PinDefinition pin;
  EXPECT_EQ(pin.direction, PinDirection::INPUT);
  EXPECT_FALSE(pin.registered);
  EXPECT_EQ(pin.clock, ClockSource::NONE);
  EXPECT_EQ(pin.reset, ResetSource::NONE);
  EXPECT_FALSE(pin.clockEnable);
  EXPECT_FALSE(pin.preset);
  EXPECT_EQ(pin.outputEnable, OutputEnableSource::ALWAYS);
  EXPECT_EQ(pin.globalOE, GlobalOEPin::NONE);

  const NodeDefinition node;
  EXPECT_FALSE(node.registered);
  EXPECT_EQ(node.clock, ClockSource::NONE);
  EXPECT_EQ(node.reset, ResetSource::NONE);
  EXPECT_FALSE(node.clockEnable);
  EXPECT_FALSE(node.preset);

  const Expression expression;
  EXPECT_EQ(expression.type, ExpressionType::IDENTIFIER);
  EXPECT_EQ(expression.name, "");
  EXPECT_FALSE(expression.value);
  EXPECT_EQ(expression.left, nullptr);
  EXPECT_EQ(expression.right, nullptr);
}

TEST(DesignTest, EnumerationValuesAreFixed) {
  EXPECT_EQ(static_cast<int>(ClockSource::GCLK3), 3);
  EXPECT_EQ(static_cast<int>(OutputEnableSource::DISABLED), 0);
  EXPECT_EQ(static_cast<int>(OutputEnableSource::PRODUCT), 5);
  EXPECT_EQ(static_cast<int>(ResetSource::PRODUCT), 2);
  EXPECT_EQ(static_cast<int>(GlobalOEPin::GOE6), 3);
  EXPECT_EQ(static_cast<int>(PinDirection::OUTPUT), 1);
  EXPECT_EQ(static_cast<int>(ExpressionType::XOR), 5);
}

TEST(DesignTest, CopySharesExpressionTreesButNothingElse) {
  const Design original = parseSource("DEVICE ATF1502AS PIN 2 a INPUT PIN 14 y OUTPUT y = a & !a "
                                      "y.OE = a CONFIG y SLEW FAST");
  Design copy(original);
  ASSERT_EQ(copy.equations.size(), 1u);
  EXPECT_EQ(copy.equations[0].expression.get(), original.equations[0].expression.get());
  EXPECT_EQ(copy.oeEquations[0].expression.get(), original.oeEquations[0].expression.get());

  copy.device = "GAL22V10B";
  copy.pins[0].name = "b";
  copy.pins.pop_back();
  copy.configOptions[0].value = "SLOW";
  copy.equations[0].name = "z";
  EXPECT_EQ(original.device, "ATF1502AS");
  EXPECT_EQ(original.pins.size(), 2u);
  EXPECT_EQ(original.pins[0].name, "a");
  EXPECT_EQ(original.configOptions[0].value, "FAST");
  EXPECT_EQ(original.equations[0].name, "y");
}

TEST(DesignTest, MoveEmptiesTheSource) {
  Design source = parseSource("DEVICE ATF1504AS PACKAGE PLCC84 PIN 4 a INPUT NODE n n = a");
  const Expression *tree = source.equations[0].expression.get();
  Design target;
  target = std::move(source);
  EXPECT_EQ(target.device, "ATF1504AS");
  EXPECT_EQ(target.package, "PLCC84");
  EXPECT_EQ(target.equations[0].expression.get(), tree);
  EXPECT_TRUE(source.device.empty());
  EXPECT_TRUE(source.package.empty());
  EXPECT_TRUE(source.pins.empty());
  EXPECT_TRUE(source.nodes.empty());
  EXPECT_TRUE(source.equations.empty());
}

TEST(TargetRegistry, FindsDevicesByTheirExactName) {
  const char *const known[] = {"GAL16V8B",  "GAL20V8B",   "GAL22V10B", "ATF1502AS", "ATF1502ASV",
                               "ATF1504AS", "ATF1504ASV", "ATF1508AS", "ATF1508ASV"};
  for (const char *device : known) {
    ASSERT_NE(TargetRegistry::find(device), nullptr) << device;
    EXPECT_EQ(TargetRegistry::find(device)->name(), device);
  }
  for (const char *device : {"atf1502as", "ATF1502", "ATF1516AS", "GAL16V8", ""})
    EXPECT_EQ(TargetRegistry::find(device), nullptr) << device;
}

} // namespace
} // namespace gsmith
