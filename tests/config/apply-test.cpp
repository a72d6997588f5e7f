// CONFIG application on both CPLD fuse maps: the global settings and their
// polarities, GOE sources, read protection and the JEDEC security field,
// per-macrocell options, fast inputs, the ATF1502 power-down and signature
// fuses, the advisory notes, and the guards that end application. Each test
// starts from the encoder's output for an empty chip and a FitResult written
// by hand.
#include "config/atf-config-apply.h"
#include "devices/atf1502/atf1502-chip.h"
#include "devices/atf1502/atf1502-fuse-db.h"
#include "devices/atf1502/atf1502-fuse-encoder.h"
#include "devices/atf1502/atf1502-fuse-map.h"
#include "devices/atf1502/atf1502.h"
#include "devices/atf1504/atf1504-chip.h"
#include "devices/atf1504/atf1504-fuse-db.h"
#include "devices/atf1504/atf1504-fuse-encoder.h"
#include "devices/atf1504/atf1504-fuse-map.h"
#include "devices/atf1504/atf1504-global-db.h"
#include "devices/atf1504/atf1504.h"
#include "tests/config/config-test-support.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace gsmith {
namespace {

using testing::DesignBuilder;
using testing::kMacrocellRows;
using testing::MacrocellRow;
using testing::signal;

bool isATF1504(const std::string &device) { return device.rfind("ATF1504", 0) == 0; }

// What one application did: the map before and after, the JEDEC text the map
// then renders (driver flags as for a design with CONFIG) and what was printed.
struct Outcome {
  std::vector<bool> before;
  std::vector<bool> after;
  std::string jedec;
  std::string out;

  std::vector<int> changed() const {
    std::vector<int> fuses;
    for (size_t k = 0; k < after.size(); ++k)
      if (before[k] != after[k])
        fuses.push_back(static_cast<int>(k));
    return fuses;
  }
};

using Presets = std::vector<std::pair<int, bool>>;

template <typename Map, typename DB>
Outcome run(Map &map, const DB &db, const Design &design, const FitResult &fit,
            const Presets &presets, const std::function<std::string(const Map &)> &render) {
  for (const auto &[fuse, value] : presets)
    map.setFuse(fuse, value);
  Outcome outcome;
  outcome.before = map.fuses();
  ::testing::internal::CaptureStdout();
  try {
    ATFConfig::apply(design, fit, map, db);
  } catch (...) {
    ::testing::internal::GetCapturedStdout();
    throw;
  }
  outcome.out = ::testing::internal::GetCapturedStdout();
  outcome.after = map.fuses();
  outcome.jedec = render(map);
  return outcome;
}

// The encoder's output for an empty chip, and the option databases; built
// once, since every test starts from them.
const ATF1504FuseMap &encodedATF1504(const std::string &package) {
  static std::map<std::string, ATF1504FuseMap> maps;
  auto it = maps.find(package);
  if (it != maps.end())
    return it->second;
  const ATF1504Chip chip{ATF1504Device(package)};
  ATF1504FuseMap map(ATF1504FuseMap::kFuseCount);
  ATF1504FuseEncoder().encode(chip, 0, false, false, map);
  return maps.emplace(package, map).first->second;
}

const ATF1502FuseMap &encodedATF1502() {
  static const ATF1502FuseMap map = [] {
    ATF1502FuseMap encoded(ATF1502FuseMap::kFuseCount);
    ATF1502FuseEncoder().encode(ATF1502Chip(), encoded);
    return encoded;
  }();
  return map;
}

const ATF1504FuseDB &atf1504DB() {
  static const ATF1504FuseDB db;
  return db;
}

const ATF1502FuseDB &atf1502DB() {
  static const ATF1502FuseDB db;
  return db;
}

// Starts from the encoded empty chip of the design's device, applies
// `presets`, then the design's CONFIG. Throws whatever application or the
// JEDEC writer throws.
Outcome applyConfig(const Design &design, const FitResult &fit, const Presets &presets = {}) {
  if (isATF1504(design.device)) {
    ATF1504FuseMap map = encodedATF1504(design.package);
    const int pinCount = ATF1504Device(design.package).packagePinCount();
    return run<ATF1504FuseMap, ATF1504FuseDB>(
        map, atf1504DB(), design, fit, presets,
        [pinCount](const ATF1504FuseMap &m) { return m.toJEDEC(true, pinCount); });
  }
  ATF1502FuseMap map = encodedATF1502();
  return run<ATF1502FuseMap, ATF1502FuseDB>(
      map, atf1502DB(), design, fit, presets,
      [](const ATF1502FuseMap &m) { return m.toJEDEC(true); });
}

std::string applyError(const Design &design, const FitResult &fit, const Presets &presets = {}) {
  try {
    applyConfig(design, fit, presets);
  } catch (const std::exception &error) {
    return error.what();
  }
  return "(no error)";
}

int configBase(const std::string &device) { return isATF1504(device) ? 34134 : 16750; }

// The pin of macrocell n in the default package (PLCC84 / PLCC44).
int pinOfMacrocell(const std::string &device, int n) {
  if (isATF1504(device))
    return ATF1504Device("").macrocells().at(n - 1).pin;
  return ATF1502Device("").macrocells().at(n - 1).pin;
}

FittedOutput fitted(const std::string &name, int macrocell, int pin = 0) {
  FittedOutput output;
  output.name = name;
  output.pin = pin;
  output.macrocell = macrocell;
  output.productTerms = 1;
  return output;
}

const MacrocellFuseDB &macrocellOptions(const std::string &device, int macrocell) {
  return isATF1504(device) ? atf1504DB().macrocell(macrocell) : atf1502DB().macrocell(macrocell);
}

const FuseOption &optionOf(const std::string &device, int macrocell, const std::string &key) {
  for (const FuseOption &option : macrocellOptions(device, macrocell).options)
    if (option.name == key)
      return option;
  throw std::logic_error("test asks for unknown option " + key);
}

bool holds(const Outcome &outcome, const FuseOption &option) {
  for (size_t k = 0; k < option.fuses.size(); ++k)
    if (outcome.after[option.fuses[k]] != option.values[k])
      return false;
  return true;
}

const char *const kDevices[] = {"ATF1502AS", "ATF1504AS"};

// --- Global settings -------------------------------------------------------

struct GlobalRow {
  const char *target;
  const char *option;
  const char *value;
  int atf1504Fuse; // the ATF1502 fuse sits at the same distance from its base
  bool written;
};

// Note the opposite polarities: GCLKn and CLKn (one fuse) write 1 for ON
// while GCLR writes 0 for ON.
const GlobalRow kGlobalRows[] = {
    {"DEVICE", "TERMINATION", "HIGH_Z", 34135, true},
    {"DEVICE", "TERMINATION", "BUS_KEEPER", 34135, false},
    {"GCLR", "INVERT", "ON", 34144, false},
    {"GCLR", "INVERT", "OFF", 34144, true},
    {"GCLK1", "INVERT", "ON", 34145, true},
    {"GCLK1", "INVERT", "OFF", 34145, false},
    {"GCLK2", "INVERT", "ON", 34148, true},
    {"GCLK2", "INVERT", "OFF", 34148, false},
    {"GCLK3", "INVERT", "ON", 34151, true},
    {"GCLK3", "INVERT", "OFF", 34151, false},
    {"CLK1", "INVERT", "ON", 34145, true},
    {"CLK1", "INVERT", "OFF", 34145, false},
    {"CLK2", "INVERT", "ON", 34148, true},
    {"CLK2", "INVERT", "OFF", 34148, false},
    {"CLK3", "INVERT", "ON", 34151, true},
    {"CLK3", "INVERT", "OFF", 34151, false},
    {"TMS", "TERMINATION", "HIGH_Z", 34157, true},
    {"TMS", "TERMINATION", "PULL_UP", 34157, false},
    {"TDI", "TERMINATION", "HIGH_Z", 34158, true},
    {"TDI", "TERMINATION", "PULL_UP", 34158, false},
    {"DEVICE", "RESET_HYSTERESIS", "SMALL", 34159, true},
    {"DEVICE", "RESET_HYSTERESIS", "LARGE", 34159, false},
    {"DEVICE", "READ_PROTECTION", "OFF", 34166, true},
    {"DEVICE", "READ_PROTECTION", "ON", 34166, false},
};

TEST(ConfigGlobalSettings, EachWritesOnlyItsFuseOnBothDevices) {
  for (const char *device : kDevices) {
    for (const GlobalRow &row : kGlobalRows) {
      SCOPED_TRACE(std::string(device) + " " + row.target + " " + row.option + " " + row.value);
      const int fuse = configBase(device) + (row.atf1504Fuse - 34134);
      // The opposite value first, so that the write is seen to happen.
      const Outcome outcome =
          applyConfig(testing::baseDesign(device).config(row.target, row.option, row.value), {},
                      {{fuse, !row.written}});
      EXPECT_EQ(outcome.after[fuse], row.written);
      for (int changed : outcome.changed())
        EXPECT_EQ(changed, fuse);
    }
  }
}

TEST(ConfigGlobalSettings, NoConfigChangesNothing) {
  for (const char *device : kDevices) {
    SCOPED_TRACE(device);
    const Outcome outcome = applyConfig(testing::baseDesign(device), {});
    EXPECT_TRUE(outcome.changed().empty());
    EXPECT_TRUE(outcome.out.empty());
  }
}

// --- Read protection and STANDBY_WAKEUP -------------------------------------

TEST(ConfigReadProtection, ProgramsTheSecurityFuseAndWarns) {
  const Outcome outcome =
      applyConfig(testing::baseDesign("ATF1504AS").config("DEVICE", "READ_PROTECTION", "ON"), {});
  EXPECT_FALSE(outcome.after[34166]);
  EXPECT_EQ(outcome.out, "WARNING: read protection requested; readback/verification may require "
                         "programmer-specific handling.\n");
  EXPECT_NE(outcome.jedec.find("\nG1*\n"), std::string::npos);
}

TEST(ConfigReadProtection, FollowsReadProtectionWhateverStandbyWakeupSays) {
  for (const char *device : kDevices) {
    const int securityFuse = configBase(device) + 32;
    for (const char *protection : {"", "ON", "OFF"}) {
      for (const char *wakeup : {"ON", "OFF"}) {
        for (bool wakeupFirst : {true, false}) {
          SCOPED_TRACE(std::string(device) + " READ_PROTECTION '" + protection +
                       "' STANDBY_WAKEUP " + wakeup + (wakeupFirst ? " first" : " last"));
          DesignBuilder builder = testing::baseDesign(device);
          if (wakeupFirst)
            builder.config("DEVICE", "STANDBY_WAKEUP", wakeup);
          if (*protection)
            builder.config("DEVICE", "READ_PROTECTION", protection);
          if (!wakeupFirst)
            builder.config("DEVICE", "STANDBY_WAKEUP", wakeup);

          const Outcome outcome = applyConfig(builder, {});
          const bool protectedPart = std::string(protection) == "ON";
          EXPECT_EQ(outcome.after[securityFuse], !protectedPart);
          EXPECT_EQ(outcome.jedec.find("\nG1*\n") != std::string::npos, protectedPart);
          EXPECT_EQ(outcome.jedec.find("\nG0*\n") != std::string::npos, !protectedPart);
          const int firstDetect = configBase(device) + 20;
          for (int clock = 0; clock < 3; ++clock)
            EXPECT_EQ(outcome.after[firstDetect + clock], std::string(wakeup) == "OFF");
          for (int changed : outcome.changed())
            EXPECT_TRUE(changed == securityFuse ||
                        (changed >= firstDetect && changed < firstDetect + 3));
          EXPECT_NE(outcome.out.find("NOTE: standby-wakeup power management operates only on "
                                     "low-power L variants; setting this bit does not qualify "
                                     "those variants.\n"),
                    std::string::npos);
        }
      }
    }
  }
}

// --- Global output enables --------------------------------------------------

// A design whose GOE`goe` takes the signal "src" (of the given physical
// source) and drives output y on pin 21, a macrocell no GOE can select.
struct GOECase {
  Design design;
  FitResult fit;
  int consumerMacrocell;
};

GOECase goeCase(const std::string &device, int goe, const std::string &source) {
  const std::string name = "GOE" + std::to_string(goe);
  DesignBuilder builder(device);
  const int consumerMacrocell = isATF1504(device) ? 2 : 16;
  builder.output(21, "y").equation("y", signal("src"));
  FitResult fit;
  fit.outputs.push_back(fitted("y", consumerMacrocell, 21));
  const testing::DedicatedPins pins = testing::dedicatedPins(device);
  if (source.rfind("MC", 0) == 0) {
    const int macrocell = std::stoi(source.substr(2));
    builder.node("src").equation("src", signal("y"));
    fit.outputs.push_back(fitted("src", macrocell));
  } else if (source == "C2_PAD") {
    builder.input(pins.gclk2, "src");
  } else if (source == "E1_PAD") {
    builder.input(pins.oe1, "src");
  } else {
    builder.input(pinOfMacrocell(device, std::stoi(source.substr(1))), "src");
  }
  builder.config(name, "SOURCE", "src").config("y", "GLOBAL_OE", name);
  return {builder.design(), fit, consumerMacrocell};
}

TEST(ConfigGOESource, EveryATF1502RouteSelectsItsSource) {
  for (const ATFConfig::goe1502Value &route : ATFConfig::routes) {
    const std::string source(route.source);
    SCOPED_TRACE("GOE" + std::to_string(route.goe) + " " + source);
    const GOECase c = goeCase("ATF1502AS", route.goe, source);
    const Outcome outcome = applyConfig(c.design, c.fit);
    const int group = 16720 + 5 * (6 - route.goe);
    for (int k = 0; k < 5; ++k)
      EXPECT_EQ(outcome.after[group + k], ((route.value >> k) & 1u) != 0) << "fuse " << group + k;
    EXPECT_TRUE(outcome.after[16760 - route.goe]);
    EXPECT_TRUE(holds(outcome, optionOf("ATF1502AS", c.consumerMacrocell,
                                        "oe_mux:GOE" + std::to_string(route.goe))));
    for (int changed : outcome.changed()) {
      const bool inGOEMux = changed >= 16720 && changed < 16750;
      EXPECT_TRUE(!inGOEMux || (changed >= group && changed < group + 5)) << "fuse " << changed;
    }
  }
}

TEST(ConfigGOESource, ATF1502SelectionsKeepOneClearedFusePerGroup) {
  // Each documented source clears exactly one fuse of its group.
  for (const ATFConfig::goe1502Value &route : ATFConfig::routes) {
    int zeros = 0;
    for (int k = 0; k < 5; ++k)
      zeros += ((route.value >> k) & 1u) ? 0 : 1;
    EXPECT_EQ(zeros, 1) << route.source;
    EXPECT_LT(route.value, 32u);
  }
}

TEST(ConfigGOESource, ATF1502DocumentedExamples) {
  // GOE3 from the output fitted on macrocell 8.
  GOECase c = goeCase("ATF1502AS", 3, "MC8_FB");
  Outcome outcome = applyConfig(c.design, c.fit);
  EXPECT_FALSE(outcome.after[16736]);
  for (int fuse : {16735, 16737, 16738, 16739})
    EXPECT_TRUE(outcome.after[fuse]) << fuse;

  // GOE2 from the GCLK2 input pin.
  c = goeCase("ATF1502AS", 2, "C2_PAD");
  outcome = applyConfig(c.design, c.fit);
  EXPECT_FALSE(outcome.after[16744]);
  for (int fuse : {16740, 16741, 16742, 16743})
    EXPECT_TRUE(outcome.after[fuse]) << fuse;
}

TEST(ConfigGOESource, EveryATF1504SelectionSelectsItsSource) {
  for (const ATF1504GOESelection &selection : ATF1504GlobalDB::selections()) {
    if (selection.source == "GND0")
      continue;
    SCOPED_TRACE("GOE" + std::to_string(selection.goe) + " " + selection.source);
    const GOECase c = goeCase("ATF1504AS", selection.goe, selection.source);
    const Outcome outcome = applyConfig(c.design, c.fit);
    const int first = 34071 + 9 * selection.goe;
    for (int k = 0; k < 9; ++k)
      EXPECT_EQ(outcome.after[first + k], k != selection.offset) << "fuse " << first + k;
    EXPECT_TRUE(outcome.after[34137 + selection.goe]);
    EXPECT_TRUE(holds(outcome, optionOf("ATF1504AS", c.consumerMacrocell,
                                        "oe_mux:GOE" + std::to_string(selection.goe))));
  }
}

TEST(ConfigGOESource, ATF1504OE1PadClearsItsDocumentedFuse) {
  const GOECase c = goeCase("ATF1504AS", 1, "E1_PAD");
  const Outcome outcome = applyConfig(c.design, c.fit);
  EXPECT_FALSE(outcome.after[34088]);
}

TEST(ConfigGOEInvert, PolarityFollowsInvertWhicheverEntryComesFirst) {
  struct InvertCase {
    const char *device;
    const char *value;
    bool invertFirst;
    int fuse;
    bool expected;
  };
  const InvertCase cases[] = {
      {"ATF1504AS", "ON", true, 34140, false},  {"ATF1504AS", "ON", false, 34140, false},
      {"ATF1504AS", "OFF", true, 34140, true},  {"ATF1502AS", "OFF", true, 16756, true},
      {"ATF1502AS", "OFF", false, 16756, true}, {"ATF1502AS", "ON", true, 16756, false},
      {"ATF1502AS", "ON", false, 16756, false},
  };
  for (const InvertCase &ic : cases) {
    SCOPED_TRACE(std::string(ic.device) + " INVERT " + ic.value);
    GOECase c = goeCase(ic.device, 3, isATF1504(ic.device) ? "MC21_FB" : "MC8_FB");
    ATFConfigOption invert{"GOE3", "INVERT", ic.value};
    auto &entries = c.design.configOptions;
    entries.insert(ic.invertFirst ? entries.begin() : entries.end(), invert);
    const Outcome outcome = applyConfig(c.design, c.fit, {{ic.fuse, !ic.expected}});
    EXPECT_EQ(outcome.after[ic.fuse], ic.expected);
  }
}

TEST(ConfigGOESource, RefusesSourcesTheMultiplexerCannotSelect) {
  // ATF1502 GOE3 selects macrocells 8 and 24 only; the ATF1504 GOE1 no
  // feedback of macrocell 2.
  GOECase c = goeCase("ATF1502AS", 3, "MC5_FB");
  EXPECT_EQ(applyError(c.design, c.fit), "No GOE3 route from src (MC5_FB)");
  c = goeCase("ATF1504AS", 1, "MC2_FB");
  EXPECT_EQ(applyError(c.design, c.fit), "No GOE1 route from src (MC2_FB)");
  c = goeCase("ATF1504AS", 6, "M1_PAD");
  EXPECT_EQ(applyError(c.design, c.fit), "No GOE6 route from src (M1_PAD)");
}

TEST(ConfigGOESource, RefusesASourceWithoutDriver) {
  for (const char *device : kDevices) {
    SCOPED_TRACE(device);
    // A node with no equation is never fitted.
    GOECase c = goeCase(device, 3, "MC8_FB");
    std::erase_if(c.fit.outputs, [](const FittedOutput &output) { return output.name == "src"; });
    EXPECT_EQ(applyError(c.design, c.fit), "Global OE source has no fitted driver: src");
  }
}

// --- Physical sources -------------------------------------------------------

TEST(ConfigPhysicalSource, NamesFeedbackBeforePins) {
  const Design design = DesignBuilder("ATF1504AS").output(22, "y").node("n");
  FitResult fit;
  fit.outputs.push_back(fitted("y", 12, 22));
  fit.outputs.push_back(fitted("n", 40));
  EXPECT_EQ(ATFConfig::physicalSource(design, fit, "y"), "MC12_FB");
  EXPECT_EQ(ATFConfig::physicalSource(design, fit, "n"), "MC40_FB");
}

TEST(ConfigPhysicalSource, NamesPadsByTheDesignPackage) {
  struct PadCase {
    const char *device;
    const char *package;
    int pin;
    const char *source;
  };
  const PadCase cases[] = {
      {"ATF1504AS", "", 1, "R_PAD"},         {"ATF1504AS", "", 2, "C2_PAD"},
      {"ATF1504AS", "", 83, "C1_PAD"},       {"ATF1504AS", "", 84, "E1_PAD"},
      {"ATF1504AS", "", 22, "M1_PAD"},       {"ATF1504AS", "TQFP100", 85, "M64_PAD"},
      {"ATF1504AS", "PLCC44", 12, "M1_PAD"}, {"ATF1502AS", "", 1, "R_PAD"},
      {"ATF1502AS", "", 2, "C2_PAD"},        {"ATF1502AS", "", 43, "C1_PAD"},
      {"ATF1502AS", "", 44, "E1_PAD"},       {"ATF1502AS", "", 4, "M1_PAD"},
      {"ATF1502AS", "TQFP44", 39, "R_PAD"},  {"ATF1502AS", "TQFP44", 40, "C2_PAD"},
      {"ATF1502AS", "TQFP44", 37, "C1_PAD"}, {"ATF1502AS", "TQFP44", 38, "E1_PAD"},
      {"ATF1502AS", "TQFP44", 42, "M1_PAD"},
  };
  for (const PadCase &pc : cases) {
    SCOPED_TRACE(std::string(pc.device) + " " + pc.package + " pin " + std::to_string(pc.pin));
    const Design design = DesignBuilder(pc.device).package(pc.package).input(pc.pin, "s");
    EXPECT_EQ(ATFConfig::physicalSource(design, {}, "s"), pc.source);
  }
}

TEST(ConfigPhysicalSource, RefusesNamesWithoutDriver) {
  // A buried PLCC44 macrocell has no pad; pin 3 is a power pin.
  const Design design =
      DesignBuilder("ATF1504AS").package("PLCC44").input(3, "p").node("n").output(12, "y");
  for (const char *name : {"p", "n", "zz"}) {
    try {
      ATFConfig::physicalSource(design, {}, name);
      ADD_FAILURE() << name << " accepted";
    } catch (const std::runtime_error &error) {
      EXPECT_EQ(error.what(), std::string("Global OE source has no fitted driver: ") + name);
    }
  }
}

// --- Macrocell options ------------------------------------------------------

TEST(ConfigMacrocellOptions, LandOnlyOnTheTargetMacrocell) {
  struct Placement {
    const char *device;
    int macrocell;
  };
  // Odd and even macrocells (their fuse pairs are mirrored) in several LABs.
  const Placement placements[] = {{"ATF1502AS", 1},  {"ATF1502AS", 2},  {"ATF1502AS", 17},
                                  {"ATF1502AS", 32}, {"ATF1504AS", 1},  {"ATF1504AS", 2},
                                  {"ATF1504AS", 33}, {"ATF1504AS", 50}, {"ATF1504AS", 64}};
  for (const Placement &placement : placements) {
    std::set<int> ownFuses;
    for (const FuseOption &option : macrocellOptions(placement.device, placement.macrocell).options)
      ownFuses.insert(option.fuses.begin(), option.fuses.end());
    const int pin = pinOfMacrocell(placement.device, placement.macrocell);
    for (const MacrocellRow &row : kMacrocellRows) {
      SCOPED_TRACE(std::string(placement.device) + " MC" + std::to_string(placement.macrocell) +
                   " " + row.option + " " + row.value);
      DesignBuilder builder(placement.device);
      builder.registeredOutput(pin, "q", ClockSource::GCLK1)
          .equation("q", signal("q"))
          .config("q", row.option, row.value);
      FitResult fit;
      fit.outputs.push_back(fitted("q", placement.macrocell, pin));
      const FuseOption &option = optionOf(placement.device, placement.macrocell, row.key);
      // Start from the opposite of every fuse of the option.
      Presets presets;
      for (size_t k = 0; k < option.fuses.size(); ++k)
        presets.emplace_back(option.fuses[k], !option.values[k]);
      const Outcome outcome = applyConfig(builder, fit, presets);
      EXPECT_TRUE(holds(outcome, option));
      for (int changed : outcome.changed())
        EXPECT_TRUE(ownFuses.count(changed)) << "fuse " << changed;
    }
  }
}

TEST(ConfigMacrocellOptions, DocumentedFuseAddresses) {
  struct AddressCase {
    const char *device;
    int macrocell;
    const char *option;
    const char *value;
    std::vector<std::pair<int, bool>> fuses;
  };
  const AddressCase cases[] = {
      {"ATF1502AS", 2, "SLEW", "FAST", {{15651, false}}},
      {"ATF1502AS", 17, "SLEW", "FAST", {{16128, false}}},
      {"ATF1502AS", 32, "SLEW", "SLOW", {{16159, true}}},
      {"ATF1504AS", 1, "STORAGE", "LATCH", {{31376, false}}},
      {"ATF1504AS", 2, "STORAGE", "DFF", {{31379, true}}},
  };
  for (const AddressCase &ac : cases) {
    SCOPED_TRACE(std::string(ac.device) + " MC" + std::to_string(ac.macrocell) + " " + ac.option);
    const int pin = pinOfMacrocell(ac.device, ac.macrocell);
    DesignBuilder builder(ac.device);
    builder.registeredOutput(pin, "q", ClockSource::GCLK1).config("q", ac.option, ac.value);
    FitResult fit;
    fit.outputs.push_back(fitted("q", ac.macrocell, pin));
    Presets presets;
    for (const auto &[fuse, value] : ac.fuses)
      presets.emplace_back(fuse, !value);
    const Outcome outcome = applyConfig(builder, fit, presets);
    for (const auto &[fuse, value] : ac.fuses)
      EXPECT_EQ(outcome.after[fuse], value) << "fuse " << fuse;
  }
}

TEST(ConfigMacrocellOptions, GlobalOESelectsTheGOEOnTheConsumer) {
  // oe_mux GOE3 = (bit 2, bit 1, bit 0) = (0, 1, 1): ATF1504 macrocell 1 keeps
  // its bits at 31536, 31537, 31598, macrocell 64 (even, mirrored) at
  // 32527, 32526, 32529. ATF1502 macrocell 32: GOE1 = (0, 0, 1) at 16256,
  // 16257, 16318.
  struct GOEConsumerCase {
    const char *device;
    int consumer;
    int goe;
    const char *source;
    std::vector<std::pair<int, bool>> fuses;
  };
  const GOEConsumerCase cases[] = {
      {"ATF1504AS", 1, 3, "M46_PAD", {{31536, false}, {31537, true}, {31598, true}}},
      {"ATF1504AS", 64, 3, "M46_PAD", {{32527, false}, {32526, true}, {32529, true}}},
      {"ATF1502AS", 32, 1, "M12_PAD", {{16256, false}, {16257, false}, {16318, true}}},
  };
  for (const GOEConsumerCase &gc : cases) {
    SCOPED_TRACE(std::string(gc.device) + " MC" + std::to_string(gc.consumer));
    const int pin = pinOfMacrocell(gc.device, gc.consumer);
    const int sourcePin = pinOfMacrocell(gc.device, std::stoi(std::string(gc.source).substr(1)));
    const std::string goe = "GOE" + std::to_string(gc.goe);
    DesignBuilder builder(gc.device);
    builder.input(sourcePin, "s")
        .output(pin, "y")
        .config(goe, "SOURCE", "s")
        .config("y", "GLOBAL_OE", goe);
    FitResult fit;
    fit.outputs.push_back(fitted("y", gc.consumer, pin));
    Presets presets;
    for (const auto &[fuse, value] : gc.fuses)
      presets.emplace_back(fuse, !value);
    const Outcome outcome = applyConfig(builder, fit, presets);
    for (const auto &[fuse, value] : gc.fuses)
      EXPECT_EQ(outcome.after[fuse], value) << "fuse " << fuse;
  }
}

TEST(ConfigMacrocellOptions, ToggleIsLeftToTheEncoder) {
  for (const char *device : kDevices) {
    SCOPED_TRACE(device);
    const Design design = testing::baseDesign(device).config("q", "XOR", "TOGGLE");
    FitResult fit;
    fit.outputs.push_back(fitted("q", 3, 6));
    EXPECT_TRUE(applyConfig(design, fit).changed().empty());
  }
}

TEST(ConfigMacrocellOptions, RefusesTargetsWithoutFittedEquation) {
  for (const char *device : kDevices) {
    SCOPED_TRACE(device);
    FitResult fit;
    fit.outputs.push_back(fitted("q", 3, 6));
    EXPECT_EQ(applyError(testing::baseDesign(device).config("y", "SLEW", "FAST"), fit),
              "CONFIG target has no fitted equation: y");
  }
}

// --- Fast inputs ------------------------------------------------------------

// Node r loads pad b directly; the fitter puts r on b's macrocell.
Design fastInputDesign(const std::string &device) {
  return testing::baseDesign(device).config("r", "FAST_INPUT", "b");
}

int padMacrocell(const std::string &device) { return isATF1504(device) ? 15 : 2; } // pin 5

TEST(ConfigFastInput, RoutesThePadIntoTheRegister) {
  for (const char *device : kDevices) {
    SCOPED_TRACE(device);
    const int macrocell = padMacrocell(device);
    FitResult fit;
    fit.outputs.push_back(fitted("r", macrocell, 5));
    Presets presets;
    for (const char *key : {"d_mux:fast", "dfast_mux:pad"}) {
      const FuseOption &option = optionOf(device, macrocell, key);
      for (size_t k = 0; k < option.fuses.size(); ++k)
        presets.emplace_back(option.fuses[k], !option.values[k]);
    }
    const Outcome outcome = applyConfig(fastInputDesign(device), fit, presets);
    EXPECT_TRUE(holds(outcome, optionOf(device, macrocell, "d_mux:fast")));
    EXPECT_TRUE(holds(outcome, optionOf(device, macrocell, "dfast_mux:pad")));
  }
}

TEST(ConfigFastInput, RefusesAPadWhoseOutputDriverIsOn) {
  for (const char *device : kDevices) {
    SCOPED_TRACE(device);
    const int macrocell = padMacrocell(device);
    FitResult fit;
    fit.outputs.push_back(fitted("r", macrocell, 5));
    const FuseOption &enabled = optionOf(device, macrocell, "oe_mux:VCC_pt5");
    Presets presets;
    for (size_t k = 0; k < enabled.fuses.size(); ++k)
      presets.emplace_back(enabled.fuses[k], enabled.values[k]);
    EXPECT_EQ(applyError(fastInputDesign(device), fit, presets),
              "FAST_INPUT pad output driver is not disabled");
  }
}

// --- ATF1502 power-down and signature ---------------------------------------

TEST(ConfigATF1502DeviceFuses, PowerDownAndSignature) {
  const Outcome outcome = applyConfig(
      DesignBuilder("ATF1502AS").signature(0xAB1234).powerDown(true, true).design(), {});
  EXPECT_FALSE(outcome.after[16752]);
  EXPECT_FALSE(outcome.after[16753]);
  // Low byte 0x34 at 16793 (bit 0) down to 16786 (bit 7); high byte 0x12 at
  // 16801 (bit 8) down to 16794 (bit 15); bits above 15 are dropped.
  const std::vector<bool> low = {false, false, true, false, true, true, false, false};
  const std::vector<bool> high = {false, true, false, false, true, false, false, false};
  for (int bit = 0; bit < 8; ++bit) {
    EXPECT_EQ(outcome.after[16793 - bit], low[bit]) << "bit " << bit;
    EXPECT_EQ(outcome.after[16801 - bit], high[bit]) << "bit " << bit + 8;
  }
  EXPECT_NE(outcome.jedec.find("\nG0*\n"), std::string::npos);
}

TEST(ConfigATF1502DeviceFuses, OnlyWhatTheDesignDeclares) {
  const Outcome pd2 = applyConfig(DesignBuilder("ATF1502AS").powerDown(false, true), {});
  EXPECT_EQ(pd2.changed(), std::vector<int>{16753});
  EXPECT_TRUE(applyConfig(DesignBuilder("ATF1502AS"), {}).changed().empty());
}

TEST(ConfigATF1502DeviceFuses, TheATF1504EncoderOwnsThem) {
  const Outcome outcome =
      applyConfig(DesignBuilder("ATF1504AS").signature(0x1234).powerDown(true, true).design(), {});
  EXPECT_TRUE(outcome.changed().empty());
}

// --- Advisory output --------------------------------------------------------

TEST(ConfigAdvisories, PrintedAfterTheirEntriesInOrder) {
  const Design design = testing::baseDesign("ATF1504AS")
                            .config("q", "LOW_POWER", "ON")
                            .config("q", "DRIVER", "OPEN_DRAIN")
                            .config("DEVICE", "STANDBY_WAKEUP", "OFF")
                            .config("DEVICE", "READ_PROTECTION", "ON")
                            .config("y", "LOW_POWER", "OFF")
                            .config("y", "DRIVER", "PUSH_PULL");
  FitResult fit;
  fit.outputs.push_back(fitted("q", 14, 6));
  fit.outputs.push_back(fitted("y", 13, 8));
  EXPECT_EQ(applyConfig(design, fit).out,
            "NOTE: low-power macrocell mode reduces speed; recheck timing.\n"
            "NOTE: open-drain high means released; use an external pull-up.\n"
            "NOTE: standby-wakeup power management operates only on low-power L variants; "
            "setting this bit does not qualify those variants.\n"
            "WARNING: read protection requested; readback/verification may require "
            "programmer-specific handling.\n");
}

TEST(ConfigAdvisories, QuietForOtherOptions) {
  const Design design = testing::baseDesign("ATF1502AS")
                            .config("DEVICE", "READ_PROTECTION", "OFF")
                            .config("q", "SLEW", "FAST")
                            .config("GCLK1", "INVERT", "ON");
  FitResult fit;
  fit.outputs.push_back(fitted("q", 3, 6));
  EXPECT_EQ(applyConfig(design, fit).out, "");
}

// --- Guards at the end of application ---------------------------------------

TEST(ConfigFinalChecks, RefuseAMapThatIsNotArmed) {
  struct GuardCase {
    const char *device;
    int fuse;
    bool value;
    const char *message;
  };
  const GuardCase cases[] = {
      {"ATF1504AS", 34134, true, "ATF configuration must remain armed with JTAG enabled"},
      {"ATF1504AS", 34167, false, "ATF configuration must remain armed with JTAG enabled"},
      {"ATF1502AS", 16750, true, "ATF configuration must remain armed with JTAG enabled"},
      {"ATF1502AS", 16783, false, "ATF configuration must remain armed with JTAG enabled"},
      {"ATF1504AS", 34186, true, "ATF reserved fuse changed"},
      {"ATF1504AS", 34191, true, "ATF reserved fuse changed"},
      {"ATF1502AS", 16802, true, "ATF reserved fuse changed"},
      {"ATF1502AS", 16807, true, "ATF reserved fuse changed"},
  };
  for (const GuardCase &gc : cases) {
    SCOPED_TRACE(std::string(gc.device) + " fuse " + std::to_string(gc.fuse));
    EXPECT_EQ(applyError(testing::baseDesign(gc.device), {}, {{gc.fuse, gc.value}}), gc.message);
  }
}

TEST(ConfigFinalChecks, RunsValidationFirst) {
  EXPECT_EQ(applyError(testing::baseDesign("ATF1504AS").config("zz", "SLEW", "FAST"), {}),
            "Unknown CONFIG target: zz");
}

// --- Option tables the compiler does not ship -------------------------------

// A database whose every macrocell offers only `options`.
struct PartialDB {
  MacrocellFuseDB cell;
  const MacrocellFuseDB &macrocell(int) const { return cell; }
};

std::string applyWithPartialDB(const Design &design, std::vector<FuseOption> options) {
  ATF1504FuseMap map = encodedATF1504("");
  PartialDB db;
  db.cell.options = std::move(options);
  FitResult fit;
  fit.outputs.push_back(fitted("q", 14, 6));
  fit.outputs.push_back(fitted("r", 15, 5));
  try {
    ATFConfig::apply(design, fit, map, db);
  } catch (const std::runtime_error &error) {
    return error.what();
  }
  return "(no error)";
}

TEST(ConfigMissingOptions, ReportTheMissingMapping) {
  const FuseOption fast{"d_mux:fast", {31000}, {false}};
  const FuseOption pad{"dfast_mux:pad", {31001}, {false}};
  const FuseOption slewBroken{"slew_rate:fast", {31002, 31003}, {false}};
  const Design slew = testing::baseDesign("ATF1504AS").config("q", "SLEW", "FAST");
  const Design fastInput = testing::baseDesign("ATF1504AS").config("r", "FAST_INPUT", "b");

  EXPECT_EQ(applyWithPartialDB(slew, {}), "Missing device configuration mapping: slew_rate:fast");
  EXPECT_EQ(applyWithPartialDB(slew, {slewBroken}),
            "Missing device configuration mapping: slew_rate:fast");
  EXPECT_EQ(applyWithPartialDB(fastInput, {pad}), "Missing fast-input mapping");
  EXPECT_EQ(applyWithPartialDB(fastInput, {fast}), "Missing fast-input mapping");
  EXPECT_EQ(applyWithPartialDB(fastInput, {fast, pad}), "Missing fast-input OE mapping");
}

// --- Every accepted option yields a JEDEC the writer accepts ---------------

TEST(ConfigJedecSafety, EveryGlobalOptionTogetherRendersOnBothDevices) {
  for (const char *device : kDevices) {
    SCOPED_TRACE(device);
    DesignBuilder builder = testing::baseDesign(device);
    builder.config("GCLR", "INVERT", "ON")
        .config("GCLK1", "INVERT", "ON")
        .config("GCLK2", "INVERT", "ON")
        .config("GCLK3", "INVERT", "ON")
        .config("CLK1", "INVERT", "ON")
        .config("CLK2", "INVERT", "ON")
        .config("CLK3", "INVERT", "ON")
        .config("TMS", "TERMINATION", "HIGH_Z")
        .config("TDI", "TERMINATION", "HIGH_Z")
        .config("DEVICE", "TERMINATION", "HIGH_Z")
        .config("DEVICE", "RESET_HYSTERESIS", "SMALL")
        .config("DEVICE", "READ_PROTECTION", "ON")
        .config("DEVICE", "STANDBY_WAKEUP", "ON");
    const Outcome outcome = applyConfig(builder, {});
    EXPECT_NE(outcome.jedec.find("\nG1*\n"), std::string::npos);
  }
}

} // namespace
} // namespace gsmith
