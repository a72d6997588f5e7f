// CONFIG validation: every refusal, grouped by the kind of target it
// concerns, and the acceptance of a design that uses every option.
#include "config/atf-config.h"
#include "tests/config/config-test-support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace gsmith {
namespace {

using testing::baseDesign;
using testing::binary;
using testing::DesignBuilder;
using testing::kMacrocellRows;
using testing::MacrocellRow;
using testing::signal;

// The smallest design: inputs a, b; combinational output y; combinational
// node n. No register, so no clock or clear target has a consumer.
DesignBuilder plainDesign(const std::string &device) {
  DesignBuilder builder(device);
  builder.input(4, "a")
      .input(5, "b")
      .output(8, "y")
      .node("n")
      .equation("y", signal("a"))
      .equation("n", signal("b"));
  return builder;
}

void setEquation(Design &design, const std::string &name, ExpressionPtr expression) {
  for (Equation &equation : design.equations)
    if (equation.name == name)
      equation.expression = std::move(expression);
}

void addConfig(Design &design, const std::string &target, const std::string &option,
               const std::string &value) {
  design.configOptions.push_back(ATFConfigOption{target, option, value});
}

struct Rejection {
  std::string name;
  std::function<Design()> design;
  std::string message;
};

std::string rejectionName(const ::testing::TestParamInfo<Rejection> &info) {
  return info.param.name;
}

class ConfigRejection : public ::testing::TestWithParam<Rejection> {};

TEST_P(ConfigRejection, ThrowsItsMessage) {
  const Design design = GetParam().design();
  try {
    ATFConfig::validate(design);
    FAIL() << "accepted; expected: " << GetParam().message;
  } catch (const std::runtime_error &error) {
    EXPECT_EQ(error.what(), GetParam().message);
  }
}

// Base design of `device` with CONFIG entries appended.
std::function<Design()> base(const std::string &device, std::vector<ATFConfigOption> entries,
                             std::function<void(Design &)> edit = {}) {
  return [=] {
    Design design = baseDesign(device).design();
    if (edit)
      edit(design);
    for (const ATFConfigOption &entry : entries)
      design.configOptions.push_back(entry);
    return design;
  };
}

std::function<Design()> plain(const std::string &device, std::vector<ATFConfigOption> entries) {
  return base(device, std::move(entries),
              [device](Design &design) { design = plainDesign(device).design(); });
}

const std::string kFamily = "CONFIG is supported only for ATF1502AS/ASV and ATF1504AS/ASV";

INSTANTIATE_TEST_SUITE_P(
    Family, ConfigRejection,
    ::testing::Values(
        Rejection{"GAL16V8B", plain("GAL16V8B", {{"y", "SLEW", "FAST"}}), kFamily},
        Rejection{"GAL22V10B", plain("GAL22V10B", {{"DEVICE", "READ_PROTECTION", "ON"}}), kFamily},
        Rejection{"UnknownCPLD", plain("ATF1508AS", {{"y", "SLEW", "FAST"}}), kFamily},
        Rejection{"LowerCaseName", plain("atf1504as", {{"y", "SLEW", "FAST"}}), kFamily}),
    rejectionName);

INSTANTIATE_TEST_SUITE_P(
    EntryShape, ConfigRejection,
    ::testing::Values(
        Rejection{"DuplicateSameValue",
                  base("ATF1504AS", {{"q", "SLEW", "FAST"}, {"q", "SLEW", "FAST"}}),
                  "Duplicate CONFIG q SLEW"},
        Rejection{"DuplicateOtherValue",
                  base("ATF1502AS",
                       {{"DEVICE", "READ_PROTECTION", "ON"}, {"DEVICE", "READ_PROTECTION", "OFF"}}),
                  "Duplicate CONFIG DEVICE READ_PROTECTION"},
        Rejection{"UndeclaredTarget", base("ATF1504AS", {{"zz", "SLEW", "FAST"}}),
                  "Unknown CONFIG target: zz"},
        Rejection{"GOE7IsNoGOE", base("ATF1504AS", {{"GOE7", "SOURCE", "a"}}),
                  "Unknown CONFIG target: GOE7"},
        Rejection{"LowerCaseGOE", base("ATF1502AS", {{"goe1", "SOURCE", "a"}}),
                  "Unknown CONFIG target: goe1"},
        Rejection{"BadSlew", base("ATF1504AS", {{"q", "SLEW", "MEDIUM"}}),
                  "Unsupported CONFIG q SLEW MEDIUM"},
        Rejection{"ValueCase", base("ATF1504AS", {{"q", "SLEW", "fast"}}),
                  "Unsupported CONFIG q SLEW fast"},
        Rejection{"GlobalOENotAGOE", base("ATF1504AS", {{"y", "GLOBAL_OE", "GOE7"}}),
                  "Unsupported CONFIG y GLOBAL_OE GOE7"},
        Rejection{"XorNotToggle", base("ATF1504AS", {{"q", "XOR", "ON"}}),
                  "Unsupported CONFIG q XOR ON"},
        Rejection{"SourceOnMacrocell", base("ATF1504AS", {{"q", "SOURCE", "a"}}),
                  "Unsupported CONFIG q SOURCE a"},
        Rejection{"TerminationOnGOE", base("ATF1504AS", {{"GOE1", "TERMINATION", "HIGH_Z"}}),
                  "Unsupported CONFIG GOE1 TERMINATION HIGH_Z"},
        Rejection{"TerminationOnGCLR", base("ATF1504AS", {{"GCLR", "TERMINATION", "HIGH_Z"}}),
                  "Unsupported CONFIG GCLR TERMINATION HIGH_Z"},
        Rejection{"BusKeeperOnTMS", base("ATF1502AS", {{"TMS", "TERMINATION", "BUS_KEEPER"}}),
                  "Unsupported CONFIG TMS TERMINATION BUS_KEEPER"},
        Rejection{"HysteresisOnTDI", base("ATF1502AS", {{"TDI", "RESET_HYSTERESIS", "LARGE"}}),
                  "Unsupported CONFIG TDI RESET_HYSTERESIS LARGE"},
        Rejection{"PullUpOnDevice", base("ATF1504AS", {{"DEVICE", "TERMINATION", "PULL_UP"}}),
                  "Unsupported CONFIG DEVICE TERMINATION PULL_UP"},
        Rejection{"InvertOnDevice", base("ATF1504AS", {{"DEVICE", "INVERT", "ON"}}),
                  "Unsupported CONFIG DEVICE INVERT ON"},
        Rejection{"ClockInvertYes", base("ATF1504AS", {{"CLK1", "INVERT", "YES"}}),
                  "Unsupported CONFIG CLK1 INVERT YES"},
        Rejection{"StandbyWakeupYes", base("ATF1502AS", {{"DEVICE", "STANDBY_WAKEUP", "YES"}}),
                  "Unsupported CONFIG DEVICE STANDBY_WAKEUP YES"},
        Rejection{"MacrocellOptionOnDevice", base("ATF1504AS", {{"DEVICE", "SLEW", "FAST"}}),
                  "Unsupported CONFIG DEVICE SLEW FAST"}),
    rejectionName);

const std::string kGOE3Incomplete =
    "GOE3 requires exactly one SOURCE and at least one GLOBAL_OE consumer";

// An output `z` on pin 9 whose own OE clause is `oe`.
std::function<void(Design &)> outputWithOE(OutputEnableSource oe) {
  return [oe](Design &design) {
    PinDefinition pin;
    pin.number = 9;
    pin.name = "z";
    pin.direction = PinDirection::OUTPUT;
    pin.outputEnable = oe;
    design.pins.push_back(pin);
    design.equations.push_back(Equation{"z", signal("a")});
  };
}

std::string conflict(int goe) {
  return "Internal GOE" + std::to_string(goe) + " conflicts with an existing package OE route";
}

std::vector<ATFConfigOption> goeUse(int goe) {
  const std::string name = "GOE" + std::to_string(goe);
  return {{name, "SOURCE", "a"}, {"y", "GLOBAL_OE", name}};
}

INSTANTIATE_TEST_SUITE_P(
    GOETargets, ConfigRejection,
    ::testing::Values(
        Rejection{"SourceWithoutConsumer", base("ATF1504AS", {{"GOE3", "SOURCE", "a"}}),
                  kGOE3Incomplete},
        Rejection{"InvertWithoutSource", base("ATF1504AS", {{"GOE3", "INVERT", "OFF"}}),
                  kGOE3Incomplete},
        Rejection{"ConsumerWithoutSource",
                  base("ATF1502AS", {{"GOE3", "INVERT", "OFF"}, {"y", "GLOBAL_OE", "GOE3"}}),
                  kGOE3Incomplete},
        Rejection{"UndeclaredSource",
                  base("ATF1504AS", {{"GOE3", "SOURCE", "zz"}, {"y", "GLOBAL_OE", "GOE3"}}),
                  "Unknown global OE source: zz"},
        Rejection{"OE1OccupiesGOE1OnATF1504",
                  base("ATF1504AS", goeUse(1), outputWithOE(OutputEnableSource::OE1)), conflict(1)},
        Rejection{"OE1OccupiesGOE5OnATF1502",
                  base("ATF1502AS", goeUse(5), outputWithOE(OutputEnableSource::OE1)), conflict(5)},
        Rejection{"OE2OccupiesGOE2OnATF1504",
                  base("ATF1504ASV", goeUse(2), outputWithOE(OutputEnableSource::OE2)),
                  conflict(2)},
        Rejection{"OE2OccupiesGOE2OnATF1502",
                  base("ATF1502ASV", goeUse(2), outputWithOE(OutputEnableSource::OE2)),
                  conflict(2)},
        Rejection{"GOE6OccupiesGOE6",
                  base("ATF1502AS", goeUse(6), outputWithOE(OutputEnableSource::GOE6)),
                  conflict(6)},
        Rejection{"ConsumerOfUndeclaredGOE", base("ATF1504AS", {{"y", "GLOBAL_OE", "GOE4"}}),
                  "GLOBAL_OE requires a SOURCE declaration for GOE4"},
        Rejection{"ClockPolarityConflict",
                  base("ATF1502AS", {{"GCLK1", "INVERT", "ON"}, {"CLK1", "INVERT", "OFF"}}),
                  "CONFIG CLK1 INVERT conflicts with GCLK1 INVERT"}),
    rejectionName);

INSTANTIATE_TEST_SUITE_P(
    ClockAndClearTargets, ConfigRejection,
    ::testing::Values(
        Rejection{"GCLR", plain("ATF1504AS", {{"GCLR", "INVERT", "ON"}}),
                  "CONFIG requires a consumer of GCLR"},
        Rejection{"CLK2", plain("ATF1502AS", {{"CLK2", "INVERT", "ON"}}),
                  "CONFIG requires a consumer of CLK2"},
        Rejection{"GCLK3", plain("ATF1504AS", {{"GCLK3", "INVERT", "OFF"}}),
                  "CONFIG requires a consumer of GCLK3"},
        Rejection{"ClockInputIsNoConsumer",
                  base("ATF1504AS", {{"GCLK2", "INVERT", "ON"}},
                       [](Design &design) {
                         design =
                             plainDesign("ATF1504AS").input(2, "clk2", ClockSource::GCLK2).design();
                       }),
                  "CONFIG requires a consumer of GCLK2"},
        Rejection{"OtherClockIsNoConsumer",
                  base("ATF1502AS", {{"CLK3", "INVERT", "ON"}},
                       [](Design &design) {
                         design = plainDesign("ATF1502AS")
                                      .registeredOutput(6, "q", ClockSource::GCLK1)
                                      .design();
                       }),
                  "CONFIG requires a consumer of CLK3"}),
    rejectionName);

INSTANTIATE_TEST_SUITE_P(
    MacrocellTargets, ConfigRejection,
    ::testing::Values(
        Rejection{"InputPin", base("ATF1504AS", {{"a", "SLEW", "FAST"}}),
                  "Macrocell CONFIG requires an OUTPUT or NODE: a"},
        Rejection{"GlobalOEOverExplicitOE",
                  base("ATF1504AS", {{"GOE3", "SOURCE", "a"}, {"z", "GLOBAL_OE", "GOE3"}},
                       outputWithOE(OutputEnableSource::PRODUCT)),
                  "GLOBAL_OE cannot replace an explicit OE selection on z"},
        Rejection{"SlewOnNode", base("ATF1504AS", {{"n", "SLEW", "FAST"}}),
                  "Buried NODE has no output driver: n"},
        Rejection{"DriverOnNode", base("ATF1502AS", {{"r", "DRIVER", "OPEN_DRAIN"}}),
                  "Buried NODE has no output driver: r"},
        Rejection{"LowPowerOnNode", base("ATF1504AS", {{"n", "LOW_POWER", "ON"}}),
                  "Buried NODE has no output driver: n"},
        Rejection{"GlobalOEOnNode",
                  base("ATF1504AS", {{"GOE3", "SOURCE", "a"}, {"n", "GLOBAL_OE", "GOE3"}}),
                  "Buried NODE has no output driver: n"},
        Rejection{"StorageOnCombinationalOutput", base("ATF1504AS", {{"y", "STORAGE", "DFF"}}),
                  "STORAGE requires REGISTERED on y"},
        Rejection{"StorageOnCombinationalNode", base("ATF1502AS", {{"n", "STORAGE", "LATCH"}}),
                  "STORAGE requires REGISTERED on n"},
        Rejection{"ToggleOnCombinationalOutput", base("ATF1504AS", {{"y", "XOR", "TOGGLE"}}),
                  "XOR TOGGLE requires REGISTERED on y"},
        Rejection{"ToggleOnXorEquation",
                  base("ATF1504AS", {{"q", "XOR", "TOGGLE"}},
                       [](Design &design) {
                         setEquation(design, "q",
                                     binary(ExpressionType::XOR, signal("a"), signal("b")));
                       }),
                  "XOR TOGGLE cannot be combined with a dedicated ^ expression on q"},
        Rejection{"ToggleAfterLatch",
                  base("ATF1504AS", {{"q", "STORAGE", "LATCH"}, {"q", "XOR", "TOGGLE"}}),
                  "XOR TOGGLE requires DFF storage on q"},
        Rejection{"ToggleBeforeLatch",
                  base("ATF1502AS", {{"r", "XOR", "TOGGLE"}, {"r", "STORAGE", "LATCH"}}),
                  "XOR TOGGLE requires DFF storage on r"},
        Rejection{"FastInputOnPin", base("ATF1504AS", {{"q", "FAST_INPUT", "a"}}),
                  "FAST_INPUT requires a REGISTERED NODE: q"},
        Rejection{"FastInputOnCombinationalNode", base("ATF1502AS", {{"n", "FAST_INPUT", "a"}}),
                  "FAST_INPUT requires a REGISTERED NODE: n"},
        Rejection{"FastInputFromOutput", base("ATF1504AS", {{"r", "FAST_INPUT", "y"}}),
                  "FAST_INPUT needs an ordinary macrocell INPUT pad: y"},
        Rejection{"FastInputFromClockPin", base("ATF1504AS", {{"r", "FAST_INPUT", "clk"}}),
                  "FAST_INPUT needs an ordinary macrocell INPUT pad: clk"},
        Rejection{"FastInputFromUndeclared", base("ATF1502AS", {{"r", "FAST_INPUT", "zz"}}),
                  "FAST_INPUT needs an ordinary macrocell INPUT pad: zz"},
        Rejection{"FastInputFromNode", base("ATF1502AS", {{"r", "FAST_INPUT", "n"}}),
                  "FAST_INPUT needs an ordinary macrocell INPUT pad: n"},
        Rejection{"FastInputFromJTAGPin",
                  base("ATF1504AS", {{"r", "FAST_INPUT", "j"}},
                       [](Design &design) {
                         PinDefinition pin;
                         pin.number = 14; // a JTAG pin of PLCC84
                         pin.name = "j";
                         design.pins.push_back(pin);
                       }),
                  "FAST_INPUT needs an ordinary macrocell INPUT pad: j"},
        Rejection{"FastInputEquationOtherPad", base("ATF1504AS", {{"r", "FAST_INPUT", "a"}}),
                  "FAST_INPUT equation must be r = a"},
        Rejection{"FastInputEquationNotPlain",
                  base("ATF1502AS", {{"r", "FAST_INPUT", "b"}},
                       [](Design &design) {
                         setEquation(design, "r",
                                     binary(ExpressionType::AND, signal("b"), signal("b")));
                       }),
                  "FAST_INPUT equation must be r = b"},
        Rejection{"FastInputWithoutEquation",
                  base("ATF1504AS", {{"r", "FAST_INPUT", "b"}},
                       [](Design &design) {
                         std::erase_if(design.equations,
                                       [](const auto &e) { return e.name == "r"; });
                       }),
                  "FAST_INPUT equation must be r = b"}),
    rejectionName);

// Every option of the table on one design, valid as a whole.
Design everyOption(const std::string &device) {
  DesignBuilder builder = baseDesign(device);
  builder.config("GOE3", "INVERT", "OFF")
      .config("GOE3", "SOURCE", "a")
      .config("y", "GLOBAL_OE", "GOE3")
      .config("GCLR", "INVERT", "ON")
      .config("CLK1", "INVERT", "ON")
      .config("GCLK1", "INVERT", "ON")
      .config("CLK2", "INVERT", "OFF")
      .config("GCLK2", "INVERT", "OFF")
      .config("CLK3", "INVERT", "ON")
      .config("GCLK3", "INVERT", "ON")
      .config("TMS", "TERMINATION", "PULL_UP")
      .config("TDI", "TERMINATION", "HIGH_Z")
      .config("DEVICE", "TERMINATION", "BUS_KEEPER")
      .config("DEVICE", "RESET_HYSTERESIS", "SMALL")
      .config("DEVICE", "READ_PROTECTION", "ON")
      .config("DEVICE", "STANDBY_WAKEUP", "ON")
      .config("q", "SLEW", "FAST")
      .config("q", "DRIVER", "OPEN_DRAIN")
      .config("q", "LOW_POWER", "ON")
      .config("q", "STORAGE", "DFF")
      .config("q", "XOR", "TOGGLE")
      .config("y", "SLEW", "SLOW")
      .config("y", "DRIVER", "PUSH_PULL")
      .config("y", "LOW_POWER", "OFF")
      .config("r", "FAST_INPUT", "b")
      .config("t", "STORAGE", "LATCH");
  return builder.design();
}

TEST(ConfigAcceptance, EveryOptionTogetherOnEveryCPLD) {
  for (const char *device : {"ATF1502AS", "ATF1502ASV", "ATF1504AS", "ATF1504ASV"}) {
    SCOPED_TRACE(device);
    EXPECT_NO_THROW(ATFConfig::validate(everyOption(device)));
  }
}

TEST(ConfigAcceptance, NoConfigPassesOnAnyDevice) {
  for (const char *device : {"GAL16V8B", "GAL20V8B", "GAL22V10B", "ATF1502AS", "ATF1504ASV"}) {
    SCOPED_TRACE(device);
    EXPECT_NO_THROW(ATFConfig::validate(plainDesign(device)));
  }
}

TEST(ConfigAcceptance, GOEInversionIsAcceptedOnTheATF1504) {
  DesignBuilder builder = baseDesign("ATF1504AS");
  builder.config("GOE1", "SOURCE", "a")
      .config("GOE1", "INVERT", "ON")
      .config("y", "GLOBAL_OE", "GOE1");
  EXPECT_NO_THROW(ATFConfig::validate(builder));
}

TEST(ConfigAcceptance, PackageOERouteLeavesTheOtherGOEsFree) {
  // OE1 occupies GOE1 on the ATF1504 only; the ATF1502 routes it through GOE5.
  Design design = baseDesign("ATF1502AS").config("y", "GLOBAL_OE", "GOE1").design();
  outputWithOE(OutputEnableSource::OE1)(design);
  addConfig(design, "GOE1", "SOURCE", "b");
  EXPECT_NO_THROW(ATFConfig::validate(design));
}

TEST(ConfigAcceptance, ClockConsumersMayBeNodes) {
  // r uses GCLK2 and t GCLK3 only as registered nodes.
  EXPECT_NO_THROW(ATFConfig::validate(
      baseDesign("ATF1504AS").config("CLK2", "INVERT", "ON").config("GCLK3", "INVERT", "ON")));
}

TEST(ConfigAcceptance, ToggleIgnoresXorBelowTheTopOfTheEquation) {
  // Only a top-level ^ uses the macrocell's XOR gate; a nested one is
  // expanded into the sum of products.
  Design design = baseDesign("ATF1504AS").config("q", "XOR", "TOGGLE").design();
  setEquation(design, "q",
              binary(ExpressionType::OR, signal("a"),
                     binary(ExpressionType::XOR, signal("a"), signal("b"))));
  EXPECT_NO_THROW(ATFConfig::validate(design));
}

TEST(ConfigLookups, TheFirstDeclarationOfANameWins) {
  // A pin shadows a NODE of the same name, and the first pin or equation of a
  // name is the one judged.
  Design design = baseDesign("ATF1504AS").node("a", true, ClockSource::GCLK1).design();
  addConfig(design, "a", "STORAGE", "DFF");
  EXPECT_THROW(
      {
        try {
          ATFConfig::validate(design);
        } catch (const std::runtime_error &error) {
          EXPECT_STREQ(error.what(), "Macrocell CONFIG requires an OUTPUT or NODE: a");
          throw;
        }
      },
      std::runtime_error);

  design = baseDesign("ATF1504AS").config("q", "XOR", "TOGGLE").design();
  design.equations.push_back(Equation{"q", binary(ExpressionType::XOR, signal("a"), signal("b"))});
  EXPECT_NO_THROW(ATFConfig::validate(design));
  setEquation(design, "q", binary(ExpressionType::XOR, signal("a"), signal("b")));
  EXPECT_THROW(ATFConfig::validate(design), std::runtime_error);
}

TEST(ConfigLookups, ScaleToThousandsOfTargetsAndEntries) {
  // Every check looks names up through an index built once, so tens of
  // thousands of registered NODEs, each with several entries, validate in
  // linear time.
  constexpr int kCount = 30000;
  DesignBuilder builder = baseDesign("ATF1502AS");
  for (int i = 0; i < kCount; ++i) {
    const std::string name = "n" + std::to_string(i);
    builder.node(name, true, ClockSource::GCLK1)
        .equation(name, signal("a"))
        .config(name, "STORAGE", "DFF")
        .config(name, "XOR", "TOGGLE");
  }
  builder.config("GOE3", "SOURCE", "a").config("y", "GLOBAL_OE", "GOE3");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_NO_THROW(ATFConfig::validate(builder));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(ConfigClassification, GOENames) {
  for (const char *name : {"GOE1", "GOE2", "GOE3", "GOE4", "GOE5", "GOE6"})
    EXPECT_TRUE(ATFConfig::isGOE(name)) << name;
  for (const char *name : {"GOE0", "GOE7", "GOE", "GOE12", "goe1", "XOE1", "GOEA", ""})
    EXPECT_FALSE(ATFConfig::isGOE(name)) << name;
}

TEST(ConfigClassification, GlobalTargets) {
  for (const char *name : {"TMS", "TDI", "DEVICE", "GCLR", "CLK1", "CLK2", "CLK3", "GCLK1", "GCLK2",
                           "GCLK3", "GOE1", "GOE6"})
    EXPECT_TRUE(ATFConfig::isGlobal(name)) << name;
  for (const char *name : {"q", "CLK4", "GCLK0", "device", "GOE7", "TCK", ""})
    EXPECT_FALSE(ATFConfig::isGlobal(name)) << name;
}

TEST(ConfigClassification, MacrocellOptionKeys) {
  for (const MacrocellRow &row : kMacrocellRows)
    EXPECT_EQ(ATFConfig::macroOption(ATFConfigOption{"q", row.option, row.value}), row.key);
  EXPECT_EQ(ATFConfig::macroOption(ATFConfigOption{"q", "GLOBAL_OE", "GOE3"}), "oe_mux:GOE3");
}

} // namespace
} // namespace gsmith
