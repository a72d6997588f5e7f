// ATF1504 switch-matrix routing: physical source names and the augmenting
// assignment of signals to switches, including moves of earlier signals.
#include "devices/atf1504/atf1504-routing.h"
#include "devices/atf1504/atf1504-switch-db.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace gsmith {
namespace {

// PLCC84 pins: 12 = MC9, 10 = MC11, 67 = MC52, 84 = GOE1, 83 = GCLK1,
// 2 = GCLK2, 1 = GCLR, 22 = MC1, 81 = MC64 (GCLK3).
class ATF1504RoutingTest : public ::testing::Test {
protected:
  ATF1504Chip chip{ATF1504Device("PLCC84")};

  void select(ATF1502LAB lab, const std::string &name, int pin, int node = 0) {
    ASSERT_TRUE(chip.matrix(lab).selectSignal(name, pin, node));
  }

  std::map<std::string, int> switches(ATF1502LAB lab) const {
    std::map<std::string, int> result;
    for (const SwitchMatrixSignal &signal : chip.matrix(lab).signals())
      result[signal.name] = signal.physicalUIM;
    return result;
  }

  std::string route(ATF1502LAB lab) {
    std::string error;
    const bool ok = ATF1504Routing::assignLAB(chip, lab, error);
    EXPECT_EQ(ok, error.empty());
    return error;
  }
};

TEST_F(ATF1504RoutingTest, PhysicalSourceNames) {
  struct Case {
    int pin, node;
    const char *source;
  };
  for (const Case &c : {Case{0, 640, "MC40_FB"}, Case{22, 601, "MC1_FB"}, Case{0, 664, "MC64_FB"},
                        Case{2, 0, "C2_PAD"}, Case{1, 0, "R_PAD"}, Case{83, 0, "C1_PAD"},
                        Case{84, 0, "E1_PAD"}, Case{22, 0, "M1_PAD"}, Case{81, 0, "M64_PAD"},
                        Case{22, 600, "M1_PAD"}, Case{22, 665, "M1_PAD"}, Case{0, 0, ""},
                        Case{-4, 0, ""}, Case{3, 0, ""}, Case{85, 0, ""}}) {
    const SwitchMatrixSignal signal{"s", c.pin, c.node, 0};
    EXPECT_EQ(ATF1504Routing::physicalSource(chip, signal), c.source) << c.pin << "/" << c.node;
  }
  // The dedicated pins follow the package.
  const ATF1504Chip tqfp(ATF1504Device("TQFP44"));
  EXPECT_EQ(ATF1504Routing::physicalSource(tqfp, {"s", 40, 0, 0}), "C2_PAD");
  EXPECT_EQ(ATF1504Routing::physicalSource(tqfp, {"s", 6, 0, 0}), "M1_PAD");
}

TEST_F(ATF1504RoutingTest, EmptyMatrixRoutes) { EXPECT_EQ(route(ATF1502LAB::C), ""); }

TEST_F(ATF1504RoutingTest, LowestWorkableSwitchWins) {
  select(ATF1502LAB::A, "e", 84);
  select(ATF1502LAB::D, "e", 84);
  select(ATF1502LAB::B, "e", 84);
  select(ATF1502LAB::C, "e", 84);
  for (ATF1502LAB lab : {ATF1502LAB::A, ATF1502LAB::B, ATF1502LAB::C, ATF1502LAB::D})
    EXPECT_EQ(route(lab), "");
  EXPECT_EQ(switches(ATF1502LAB::A).at("e"), 28);
  EXPECT_EQ(switches(ATF1502LAB::D).at("e"), 26);
  EXPECT_EQ(switches(ATF1502LAB::B).at("e"), 108);
  EXPECT_EQ(switches(ATF1502LAB::C).at("e"), 106);
}

TEST_F(ATF1504RoutingTest, EarlierSignalMovesForALaterOne) {
  // M9_PAD can use switches 1 and 25, M11_PAD 1 and 13 in LAB A.
  select(ATF1502LAB::A, "first", 12);
  select(ATF1502LAB::A, "second", 10);
  EXPECT_EQ(route(ATF1502LAB::A), "");
  EXPECT_EQ(switches(ATF1502LAB::A), (std::map<std::string, int>{{"first", 25}, {"second", 1}}));
}

TEST_F(ATF1504RoutingTest, ChainsOfMovesKeepTheLowestSwitchForTheNewcomer) {
  // M52_PAD can use 4 or 28, M1_PAD 4 or 8; E1_PAD only 28, 36 and 40.
  select(ATF1502LAB::A, "m52", 67);
  select(ATF1502LAB::A, "m1", 22);
  select(ATF1502LAB::A, "e1", 84);
  select(ATF1502LAB::A, "e2", 84);
  EXPECT_EQ(route(ATF1502LAB::A), "");
  // m1 pushed m52 to 28; e1 then pushed m52 back to 4 and m1 on to 8; e2
  // took 28 and pushed e1 on to 36.
  EXPECT_EQ(switches(ATF1502LAB::A),
            (std::map<std::string, int>{{"m52", 4}, {"m1", 8}, {"e1", 36}, {"e2", 28}}));
}

TEST_F(ATF1504RoutingTest, ExhaustedSourceFailsAndLeavesTheChipUnchanged) {
  // One signal more than the LAB has switches for the source: E1_PAD reaches
  // three switches per LAB, M9_PAD two (1 and 25 in LAB A).
  struct Case {
    ATF1502LAB lab;
    int pin;
    int signals;
    const char *message;
  };
  for (const Case &c : {Case{ATF1502LAB::D, 84, 4,
                             "No free UIM in LAB D can select source 'E1_PAD' for signal 's4'"},
                        Case{ATF1502LAB::A, 12, 3,
                             "No free UIM in LAB A can select source 'M9_PAD' for signal 's3'"}}) {
    for (int k = 1; k <= c.signals; ++k)
      select(c.lab, "s" + std::to_string(k), c.pin);
    EXPECT_EQ(route(c.lab), c.message);
    for (const auto &[name, uim] : switches(c.lab))
      EXPECT_EQ(uim, 0) << name;
  }
}

TEST_F(ATF1504RoutingTest, UnknownSourceFails) {
  select(ATF1502LAB::B, "ok", 22);
  select(ATF1502LAB::B, "vcc", 3);
  EXPECT_EQ(route(ATF1502LAB::B), "Cannot identify physical source for signal 'vcc'");
  EXPECT_EQ(switches(ATF1502LAB::B).at("ok"), 0);
}

TEST_F(ATF1504RoutingTest, ManyFeedbacksUntilNoMatchingExists) {
  // Each feedback reaches three switches per LAB; MC1..MC34 still fit side by
  // side, MC35 is the first for which no complete matching exists.
  for (int mc = 1; mc <= 34; ++mc)
    select(ATF1502LAB::C, "f" + std::to_string(mc), 0, 600 + mc);
  EXPECT_EQ(route(ATF1502LAB::C), "");
  std::set<int> used;
  for (const auto &[name, uim] : switches(ATF1502LAB::C)) {
    EXPECT_TRUE(ATF1504SwitchDB::isLABCSwitch(uim)) << name;
    EXPECT_TRUE(used.insert(uim).second) << name;
    EXPECT_TRUE(ATF1504SwitchDB::supportsSource(uim, "MC" + name.substr(1) + "_FB")) << name;
  }
  select(ATF1502LAB::C, "f35", 0, 635);
  EXPECT_EQ(route(ATF1502LAB::C),
            "No free UIM in LAB C can select source 'MC35_FB' for signal 'f35'");
}

TEST_F(ATF1504RoutingTest, RoutingAgainStartsFromScratch) {
  select(ATF1502LAB::A, "first", 12);
  EXPECT_EQ(route(ATF1502LAB::A), "");
  EXPECT_EQ(switches(ATF1502LAB::A).at("first"), 1);
  select(ATF1502LAB::A, "second", 10);
  EXPECT_EQ(route(ATF1502LAB::A), "");
  EXPECT_EQ(switches(ATF1502LAB::A).at("first"), 25);
  EXPECT_EQ(switches(ATF1502LAB::A).at("second"), 1);
}

} // namespace
} // namespace gsmith
