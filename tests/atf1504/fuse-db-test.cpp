// The ATF1504 fuse databases: the macrocell option rule against the given
// examples and the baseline, the product-term and switch address rules, the
// selection tables, and the self-checks, each shown to fail on a corrupted
// copy of its table.
#include "devices/atf1504/atf1504-device-config.h"
#include "devices/atf1504/atf1504-fuse-db.h"
#include "devices/atf1504/atf1504-fuse-map.h"
#include "devices/atf1504/atf1504-global-db.h"
#include "devices/atf1504/atf1504-product-term.h"
#include "devices/atf1504/atf1504-special-pin-config.h"
#include "devices/atf1504/atf1504-switch-db.h"
#include "devices/atf1504/atf1504-user-signature.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

namespace gsmith {
namespace {

using Fuses = std::vector<int>;

const ATF1504FuseDB &fuseDB() {
  static const ATF1504FuseDB db;
  return db;
}

TEST(ATF1504FuseDBTest, OptionFusesOfTheGivenExamples) {
  EXPECT_EQ(fuseDB().option(1, "pt_power:on").fuses, Fuses{31118});
  EXPECT_EQ(fuseDB().option(2, "pt_power:on").fuses, Fuses{31117});
  EXPECT_EQ(fuseDB().option(1, "oe_mux:GND").fuses, (Fuses{31536, 31537, 31598}));
  EXPECT_EQ(fuseDB().option(64, "oe_mux:GND").fuses, (Fuses{32526, 32527, 32529}));
  // Macrocell 46 (LAB C, even): pairs swapped, GOE6 = 110.
  EXPECT_EQ(fuseDB().option(46, "oe_mux:GOE6").fuses, (Fuses{32602, 32603, 32613}));
  EXPECT_EQ(fuseDB().option(46, "oe_mux:GOE6").values, (std::vector<bool>{1, 1, 0}));
}

TEST(ATF1504FuseDBTest, MultiBitValuesFollowTheFuseOrder) {
  // Macrocell 1: (bit 2, bit 1, bit 0) sit at ascending fuses.
  EXPECT_EQ(fuseDB().option(1, "oe_mux:GOE1").values, (std::vector<bool>{0, 0, 1}));
  EXPECT_EQ(fuseDB().option(1, "oe_mux:GOE4").values, (std::vector<bool>{1, 0, 0}));
  // Macrocell 64 swaps the bits of each pair: 32526 is bit 1, 32527 bit 2.
  EXPECT_EQ(fuseDB().option(64, "oe_mux:GOE4").values, (std::vector<bool>{0, 1, 0}));
  EXPECT_EQ(fuseDB().option(64, "oe_mux:GOE2").values, (std::vector<bool>{1, 0, 0}));
  // gclk_mux (high, low) = row 3 P bit 0, bit 1; GCLK3 = (0, 1).
  EXPECT_EQ(fuseDB().option(1, "gclk_mux:GCLK3").values, (std::vector<bool>{0, 1}));
  EXPECT_EQ(fuseDB().option(2, "gclk_mux:GCLK3").values, (std::vector<bool>{1, 0}));
}

TEST(ATF1504FuseDBTest, SharedFuses) {
  for (int mc : {1, 2, 33, 64}) {
    EXPECT_EQ(fuseDB().option(mc, "xor_invert:on").fuses, fuseDB().option(mc, "reset:GND").fuses);
    EXPECT_EQ(fuseDB().option(mc, "xor_a_mux:sum").fuses, fuseDB().option(mc, "cas_mux:sum").fuses);
    EXPECT_EQ(fuseDB().option(mc, "dfast_mux:pad").fuses, fuseDB().option(mc, "o_mux:sync").fuses);
  }
}

TEST(ATF1504FuseDBTest, EveryMacrocellOwnsTwentyFourFuses) {
  EXPECT_EQ(fuseDB().macrocellCount(), 64);
  std::set<int> all;
  for (int mc = 1; mc <= 64; ++mc) {
    EXPECT_EQ(fuseDB().knownFuseCount(mc), 24);
    const MacrocellFuseDB &entry = fuseDB().macrocell(mc);
    EXPECT_EQ(entry.options.size(), 55u);
    for (const FuseOption &option : entry.options) {
      EXPECT_TRUE(std::is_sorted(option.fuses.begin(), option.fuses.end())) << option.name;
      all.insert(option.fuses.begin(), option.fuses.end());
    }
  }
  EXPECT_EQ(all.size(), 64u * 24u);
  EXPECT_EQ(fuseDB().knownLABAFuseCount(), 384);
  EXPECT_EQ(fuseDB().knownLABBFuseCount(), 384);
  EXPECT_EQ(fuseDB().knownLABCFuseCount(), 384);
  EXPECT_EQ(fuseDB().knownLABDFuseCount(), 384);
  // The first 16 columns of each 80-column block carry no option.
  for (int fuse : all) {
    const int column = (fuse - 30720) % 160 % 80;
    EXPECT_GE(column, 16) << fuse;
  }
}

TEST(ATF1504FuseDBTest, LookupFailures) {
  try {
    fuseDB().option(65, "oe_mux:GOE6");
    ADD_FAILURE();
  } catch (const std::out_of_range &error) {
    EXPECT_STREQ(error.what(), "No ATF1504 fuse data for MC65");
  }
  try {
    fuseDB().option(3, "oe_mux:GOE7");
    ADD_FAILURE();
  } catch (const std::out_of_range &error) {
    EXPECT_STREQ(error.what(), "No ATF1504 fuse option 'oe_mux:GOE7' for MC3");
  }
}

// Every macrocell starts from the baseline in the documented option state.
TEST(ATF1504FuseDBTest, BaselineMatchesTheDocumentedStartingOptions) {
  const ATF1504FuseMap map(34192);
  const char *const kStart[] = {"pt3_mux:sum",
                                "pt4_mux:sum",
                                "pt5_mux:sum",
                                "pt1_mux:sum",
                                "pt2_mux:sum",
                                "xor_invert:on",
                                "reset:GND",
                                "xor_a_mux:sum",
                                "cas_mux:GND",
                                "xor_b_mux:VCC_pt12",
                                "output_driver:push_pull",
                                "fb_mux:comb",
                                "pt_power:off",
                                "low_power:off",
                                "gclk_mux:GCLK2",
                                "pt4_func:clk",
                                "slew_rate:slow",
                                "storage:latch",
                                "d_mux:comb",
                                "gclr_mux:GND",
                                "dfast_mux:pt2",
                                "o_mux:comb",
                                "oe_mux:GND",
                                "pt5_func:as"};
  for (int mc = 1; mc <= 64; ++mc) {
    for (const char *key : kStart) {
      const FuseOption &option = fuseDB().option(mc, key);
      for (std::size_t k = 0; k < option.fuses.size(); ++k)
        EXPECT_EQ(map.getFuse(option.fuses[k]), option.values[k]) << "MC" << mc << " " << key;
    }
  }
}

TEST(ATF1504FuseDBTest, ConstructionCheckRejectsCorruptTables) {
  const std::vector<MacrocellFuseDB> good = fuseDB().macrocells();
  EXPECT_NO_THROW(ATF1504FuseDB::check(good));

  auto expectLogicError = [](const std::vector<MacrocellFuseDB> &table, const char *message) {
    try {
      ATF1504FuseDB::check(table);
      ADD_FAILURE() << message;
    } catch (const std::logic_error &error) {
      EXPECT_STREQ(error.what(), message);
    }
  };
  auto missingFuse = good;
  missingFuse[4].options.erase(missingFuse[4].options.begin()); // slew_rate:fast
  missingFuse[4].options.erase(missingFuse[4].options.begin()); // slew_rate:slow
  expectLogicError(missingFuse, "ATF1504 macrocell known-fuse count differs from the supplied map");

  auto mismatched = good;
  mismatched[9].options[3].values.push_back(true);
  expectLogicError(mismatched, ("ATF1504 fuse option has mismatched address/value counts: " +
                                mismatched[9].options[3].name)
                                   .c_str());

  auto outside = good;
  outside[63].options[0].fuses = {32640};
  outside[63].options[1].fuses = {32640};
  expectLogicError(outside, "ATF1504 macrocell fuse lies outside its configuration range");
}

TEST(ATF1504ProductTermLayoutTest, OffsetsOfTheGivenExamples) {
  EXPECT_EQ(ATF1504ProductTermLayout::productTermOffset(1, 1), 7200);
  EXPECT_EQ(ATF1504ProductTermLayout::productTermOffset(2, 1), 7104);
  EXPECT_EQ(ATF1504ProductTermLayout::productTermOffset(16, 5), 0);
  EXPECT_EQ(ATF1504ProductTermLayout::productTermOffset(17, 1), 14880);
  EXPECT_EQ(ATF1504ProductTermLayout::productTermOffset(33, 1), 30240);
  EXPECT_EQ(ATF1504ProductTermLayout::productTermOffset(49, 1), 22560);
  EXPECT_EQ(ATF1504ProductTermLayout::productTermOffset(1, 0), -1);
  EXPECT_EQ(ATF1504ProductTermLayout::productTermOffset(1, 6), -1);
  EXPECT_EQ(ATF1504ProductTermLayout::productTermOffset(0, 1), -1);
  EXPECT_EQ(ATF1504ProductTermLayout::productTermOffset(65, 1), -1);
  // Odd macrocells ascend, even ones descend.
  EXPECT_EQ(ATF1504ProductTermLayout::productTermOffset(1, 5), 7584);
  EXPECT_EQ(ATF1504ProductTermLayout::productTermOffset(2, 5), 6720);
}

TEST(ATF1504ProductTermLayoutTest, ColumnsOfTheGivenExamples) {
  EXPECT_EQ(ATF1504ProductTermLayout::uimFuse(1, false), 16);
  EXPECT_EQ(ATF1504ProductTermLayout::uimFuse(4, true), 19);
  EXPECT_EQ(ATF1504ProductTermLayout::uimFuse(80, false), 94);
  EXPECT_EQ(ATF1504ProductTermLayout::uimFuse(81, false), 16);
  EXPECT_EQ(ATF1504ProductTermLayout::uimFuse(161, false), -1);
  EXPECT_EQ(ATF1504ProductTermLayout::uimFuse(0, true), -1);
  EXPECT_EQ(ATF1504ProductTermLayout::foldbackFuse(1), 0);
  EXPECT_EQ(ATF1504ProductTermLayout::foldbackFuse(32), 15);
  EXPECT_EQ(ATF1504ProductTermLayout::foldbackFuse(0), -1);
}

TEST(ATF1504ProductTermLayoutTest, SelfChecksPassAndCatchCorruptRules) {
  EXPECT_TRUE(ATF1504ProductTermLayout::validateLABA());
  EXPECT_TRUE(ATF1504ProductTermLayout::validateLABB());
  EXPECT_TRUE(ATF1504ProductTermLayout::validateLABC());
  EXPECT_TRUE(ATF1504ProductTermLayout::validateLABD());

  const auto rules = ATF1504ProductTermLayout::builtInRules();
  auto overlapping = rules;
  overlapping.productTermOffset = [](int mc, int pt) {
    return mc == 36 && pt == 2 ? ATF1504ProductTermLayout::productTermOffset(36, 1)
                               : ATF1504ProductTermLayout::productTermOffset(mc, pt);
  };
  EXPECT_TRUE(ATF1504ProductTermLayout::validateLAB(ATF1502LAB::A, overlapping));
  EXPECT_FALSE(ATF1504ProductTermLayout::validateLAB(ATF1502LAB::C, overlapping));

  auto outsideBlock = rules;
  outsideBlock.productTermOffset = [](int mc, int pt) {
    return ATF1504ProductTermLayout::productTermOffset(mc, pt) + (mc == 50 ? 7680 : 0);
  };
  EXPECT_FALSE(ATF1504ProductTermLayout::validateLAB(ATF1502LAB::D, outsideBlock));

  auto collidingColumns = rules;
  collidingColumns.uimFuse = [](int s, bool complement) {
    return ATF1504ProductTermLayout::uimFuse(s == 5 ? 1 : s, complement);
  };
  EXPECT_FALSE(ATF1504ProductTermLayout::validateLAB(ATF1502LAB::A, collidingColumns));

  auto foldbackColumn = rules;
  foldbackColumn.uimFuse = [](int s, bool complement) {
    return s == 160 && complement ? 15 : ATF1504ProductTermLayout::uimFuse(s, complement);
  };
  EXPECT_FALSE(ATF1504ProductTermLayout::validateLAB(ATF1502LAB::B, foldbackColumn));
}

TEST(ATF1504SwitchDBTest, LABMembership) {
  // bit 1 of the switch number splits A from D and B from C.
  EXPECT_TRUE(ATF1504SwitchDB::isLABASwitch(1));
  EXPECT_TRUE(ATF1504SwitchDB::isLABDSwitch(2));
  EXPECT_TRUE(ATF1504SwitchDB::isLABDSwitch(3));
  EXPECT_TRUE(ATF1504SwitchDB::isLABASwitch(4));
  EXPECT_TRUE(ATF1504SwitchDB::isLABBSwitch(81));
  EXPECT_TRUE(ATF1504SwitchDB::isLABCSwitch(82));
  EXPECT_TRUE(ATF1504SwitchDB::isLABBSwitch(160));
  EXPECT_FALSE(ATF1504SwitchDB::isLABASwitch(0));
  EXPECT_FALSE(ATF1504SwitchDB::isLABBSwitch(164));
  EXPECT_TRUE(ATF1504ProductTermLayout::isLABDUIM(78));
  for (ATF1502LAB lab : {ATF1502LAB::A, ATF1502LAB::B, ATF1502LAB::C, ATF1502LAB::D})
    EXPECT_EQ(ATF1504SwitchDB::switchesOfLAB(lab).size(), 40u);
}

TEST(ATF1504SwitchDBTest, OffsetsAndSelections) {
  EXPECT_EQ(ATF1504SwitchDB::switchOffset(1), 32640);
  EXPECT_EQ(ATF1504SwitchDB::switchOffset(3), 32658);
  EXPECT_EQ(ATF1504SwitchDB::switchOffset(81), 33360);
  EXPECT_EQ(ATF1504SwitchDB::switchOffset(160), 34071);
  EXPECT_EQ(ATF1504SwitchDB::switchOffset(0), -1);
  EXPECT_EQ(ATF1504SwitchDB::switchOffset(161), -1);
  EXPECT_EQ(ATF1504SwitchDB::selectionFuse(1, "M9_PAD"), 32640);
  EXPECT_EQ(ATF1504SwitchDB::selectionFuse(1, "MC51_FB"), 32648);
  EXPECT_EQ(ATF1504SwitchDB::selectionFuse(83, "MC51_FB"), 33378 + 8);
  EXPECT_EQ(ATF1504SwitchDB::selectionFuse(1, "GND0"), -1);
  EXPECT_EQ(ATF1504SwitchDB::selectionFuse(161, "M9_PAD"), -1);
  EXPECT_TRUE(ATF1504SwitchDB::supportsSource(160, "C1_PAD"));
  EXPECT_FALSE(ATF1504SwitchDB::supportsSource(159, "C1_PAD"));
  EXPECT_EQ(ATF1504SwitchDB::selectionCount(77), 9);
  EXPECT_EQ(ATF1504SwitchDB::selectionCount(161), 0);
  EXPECT_EQ(ATF1504SwitchDB::selections().size(), 1440u);
}

// Rows of the selection table spot-checked against the source lists.
TEST(ATF1504SwitchDBTest, SourceListsSharedBySwitchQuartets) {
  struct Row {
    int switches[4];
    const char *sources[9];
  };
  const Row rows[] = {
      {{2, 4, 82, 84},
       {"M52_PAD", "MC59_FB", "M50_PAD", "MC45_FB", "M38_PAD", "MC29_FB", "M21_PAD", "M1_PAD",
        "MC10_FB"}},
      {{37, 39, 117, 119},
       {"MC2_FB", "MC4_FB", "MC22_FB", "MC24_FB", "MC38_FB", "MC40_FB", "MC50_FB", "GND0",
        "C2_PAD"}},
      {{65, 67, 145, 147},
       {"M13_PAD", "MC8_FB", "M14_PAD", "MC19_FB", "M41_PAD", "MC34_FB", "M43_PAD", "MC54_FB",
        "R_PAD"}},
      {{78, 80, 158, 160},
       {"MC63_FB", "MC61_FB", "MC43_FB", "MC41_FB", "MC27_FB", "MC25_FB", "MC15_FB", "GND0",
        "C1_PAD"}},
  };
  for (const Row &row : rows) {
    for (int s : row.switches) {
      for (int offset = 0; offset < 9; ++offset)
        EXPECT_EQ(ATF1504SwitchDB::selectionFuse(s, row.sources[offset]),
                  ATF1504SwitchDB::switchOffset(s) + offset)
            << s << " " << row.sources[offset];
    }
  }
  // 40 distinct lists, each seen by every LAB.
  std::map<std::vector<std::string>, std::set<int>> labsOfList;
  for (int s = 1; s <= 160; ++s) {
    std::vector<std::string> list;
    for (const ATF1504SwitchSelection &entry : ATF1504SwitchDB::selections())
      if (entry.switchNumber == s)
        list.push_back(entry.source);
    for (int lab = 0; lab < 4; ++lab)
      if (ATF1504SwitchDB::isLABSwitch(static_cast<ATF1502LAB>(lab), s))
        labsOfList[list].insert(lab);
  }
  EXPECT_EQ(labsOfList.size(), 40u);
  for (const auto &[list, labs] : labsOfList)
    EXPECT_EQ(labs.size(), 4u);
}

TEST(ATF1504SwitchDBTest, E1PadReachesThreeSwitchesPerLAB) {
  const std::map<ATF1502LAB, std::vector<int>> expected{{ATF1502LAB::A, {28, 36, 40}},
                                                        {ATF1502LAB::D, {26, 34, 38}},
                                                        {ATF1502LAB::B, {108, 116, 120}},
                                                        {ATF1502LAB::C, {106, 114, 118}}};
  for (const auto &[lab, switches] : expected) {
    std::vector<int> found;
    for (int s : ATF1504SwitchDB::switchesOfLAB(lab))
      if (ATF1504SwitchDB::supportsSource(s, "E1_PAD"))
        found.push_back(s);
    EXPECT_EQ(found, switches);
  }
}

TEST(ATF1504SwitchDBTest, SelfChecksPassAndCatchCorruptTables) {
  EXPECT_TRUE(ATF1504SwitchDB::validateLABA());
  EXPECT_TRUE(ATF1504SwitchDB::validateLABB());
  EXPECT_TRUE(ATF1504SwitchDB::validateLABC());
  EXPECT_TRUE(ATF1504SwitchDB::validateLABD());
  EXPECT_TRUE(ATF1504SwitchDB::validateAll());

  const auto &good = ATF1504SwitchDB::selections();
  auto missing = good;
  missing.erase(missing.begin() + 9 * 41 + 4); // one selection of switch 42 (LAB D)
  EXPECT_FALSE(ATF1504SwitchDB::validateLAB(ATF1502LAB::D, missing));
  EXPECT_TRUE(ATF1504SwitchDB::validateLAB(ATF1502LAB::A, missing));
  EXPECT_FALSE(ATF1504SwitchDB::validateAll(missing));

  auto duplicateOffset = good;
  duplicateOffset[9 * 100 + 3].offset = 2; // switch 101 (LAB B)
  EXPECT_FALSE(ATF1504SwitchDB::validateLAB(ATF1502LAB::B, duplicateOffset));
  EXPECT_FALSE(ATF1504SwitchDB::validateAll(duplicateOffset));

  auto badOffset = good;
  badOffset[9 * 130 + 8].offset = 9;
  EXPECT_FALSE(ATF1504SwitchDB::validateAll(badOffset));

  auto strayEntry = good;
  strayEntry.push_back({161, "M1_PAD", 0});
  EXPECT_FALSE(ATF1504SwitchDB::validateAll(strayEntry));

  auto missingSwitch = good;
  missingSwitch.erase(missingSwitch.begin(), missingSwitch.begin() + 9); // switch 1
  EXPECT_FALSE(ATF1504SwitchDB::validateLAB(ATF1502LAB::A, missingSwitch));
  EXPECT_FALSE(ATF1504SwitchDB::validateAll(missingSwitch));
}

TEST(ATF1504GlobalDBTest, AddressFunctions) {
  EXPECT_EQ(ATF1504GlobalDB::goeMuxOffset(1), 34080);
  EXPECT_EQ(ATF1504GlobalDB::goeMuxOffset(6), 34125);
  EXPECT_EQ(ATF1504GlobalDB::goeMuxOffset(7), -1);
  EXPECT_EQ(ATF1504GlobalDB::goeSelectionFuse(1, "E1_PAD"), 34088);
  EXPECT_EQ(ATF1504GlobalDB::goeSelectionFuse(2, "E1_PAD"), -1);
  EXPECT_EQ(ATF1504GlobalDB::goeSelectionFuse(2, "C2_PAD"), 34097);
  EXPECT_EQ(ATF1504GlobalDB::goeSelectionFuse(6, "M19_PAD"), 34125);
  EXPECT_EQ(ATF1504GlobalDB::goeSelectionFuse(0, "GND0"), -1);
  EXPECT_EQ(ATF1504GlobalDB::goeInvertFuse(1), 34138);
  EXPECT_EQ(ATF1504GlobalDB::goeInvertFuse(6), 34143);
  EXPECT_EQ(ATF1504GlobalDB::goeInvertFuse(0), -1);
  EXPECT_EQ(ATF1504GlobalDB::gclrInvertFuse(), 34144);
  EXPECT_EQ(ATF1504GlobalDB::gclkInvertFuse(1), 34145);
  EXPECT_EQ(ATF1504GlobalDB::gclkInvertFuse(3), 34151);
  EXPECT_EQ(ATF1504GlobalDB::gclkInvertFuse(4), -1);
  EXPECT_EQ(ATF1504GlobalDB::gclkMuxFuse(1, 0), 34146);
  EXPECT_EQ(ATF1504GlobalDB::gclkMuxFuse(3, 1), 34153);
  EXPECT_EQ(ATF1504GlobalDB::gclkMuxFuse(2, 2), -1);
  EXPECT_EQ(ATF1504GlobalDB::gclkMuxValue(1, "C1_PAD"), 3);
  EXPECT_EQ(ATF1504GlobalDB::gclkMuxValue(2, "C1_PAD"), 3);
  EXPECT_EQ(ATF1504GlobalDB::gclkMuxValue(2, "C2_PAD"), 1);
  EXPECT_EQ(ATF1504GlobalDB::gclkMuxValue(3, "M64_PAD"), 0);
  EXPECT_EQ(ATF1504GlobalDB::gclkMuxValue(3, "M63_PAD"), -1);
  EXPECT_EQ(ATF1504GlobalDB::gclkMuxValue(4, "C1_PAD"), -1);
}

TEST(ATF1504GlobalDBTest, SelfCheckPassesAndCatchesCorruptTables) {
  EXPECT_TRUE(ATF1504GlobalDB::validate());
  const auto &good = ATF1504GlobalDB::selections();
  EXPECT_EQ(good.size(), 54u);
  auto duplicate = good;
  duplicate[10].offset = 0;
  EXPECT_FALSE(ATF1504GlobalDB::validate(duplicate));
  auto missing = good;
  missing.pop_back();
  EXPECT_FALSE(ATF1504GlobalDB::validate(missing));
  auto badGOE = good;
  badGOE[0].goe = 7;
  EXPECT_FALSE(ATF1504GlobalDB::validate(badGOE));
}

TEST(ATF1504DeviceConfigTest, EncodingAndSelfCheck) {
  EXPECT_EQ(ATF1504DeviceConfigDB::deviceFuses(),
            (ATF1504DeviceConfigDB::FuseTable{34134, 34135, 34136, 34137, 34159, 34166, 34167}));
  // Settings feed the fuses in the order 1, 6, 4, 5, 7, 2, 3.
  EXPECT_EQ(ATF1504DeviceConfigDB::encode({1, 0, 0, 0, 0, 0, 0}),
            (std::array<bool, 7>{1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ATF1504DeviceConfigDB::encode({0, 1, 0, 0, 0, 0, 0}),
            (std::array<bool, 7>{0, 0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(ATF1504DeviceConfigDB::encode({0, 0, 0, 1, 0, 1, 1}),
            (std::array<bool, 7>{0, 1, 1, 0, 1, 0, 0}));
  EXPECT_EQ(ATF1504DeviceConfigDB::encode({0, 0, 2, 0, 0, 0, 0}), (std::array<bool, 7>{}));
  EXPECT_TRUE(ATF1504DeviceConfigDB::validate());
  EXPECT_FALSE(ATF1504DeviceConfigDB::validate({34134, 34135, 34136, 34137, 34159, 34166, 34134}));
}

TEST(ATF1504SpecialPinConfigTest, EncodingAndSelfCheck) {
  EXPECT_EQ(ATF1504SpecialPinConfigDB::encode({1, 1, 1, 0, 0}),
            (std::array<bool, 5>{1, 1, 1, 0, 0}));
  EXPECT_TRUE(ATF1504SpecialPinConfigDB::validate());
  EXPECT_FALSE(ATF1504SpecialPinConfigDB::validate({34154, 34155, 34155, 34157, 34158}));
  EXPECT_FALSE(ATF1504SpecialPinConfigDB::validate({34154, 34155, 34156, 34157, 34159}));
}

TEST(ATF1504UserSignatureTest, BitLayout) {
  EXPECT_EQ(ATF1504UserSignature::fuseForBit(0, 7), 34170);
  EXPECT_EQ(ATF1504UserSignature::fuseForBit(0, 0), 34177);
  EXPECT_EQ(ATF1504UserSignature::fuseForBit(1, 7), 34178);
  EXPECT_EQ(ATF1504UserSignature::fuseForBit(1, 0), 34185);
  EXPECT_EQ(ATF1504UserSignature::fuseForBit(2, 0), -1);
  EXPECT_EQ(ATF1504UserSignature::fuseForBit(0, 8), -1);
  const ATF1504UserSignature::Bits bits = ATF1504UserSignature::encode(0x1234);
  EXPECT_EQ(bits, (ATF1504UserSignature::Bits{0, 0, 1, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0}));
  for (int value : {0, 1, 0x8000, 0x1234, 0xA55A, 0xFFFF})
    EXPECT_EQ(ATF1504UserSignature::decode(ATF1504UserSignature::encode(value)), value);
  // fuseForBit and encode agree bit by bit.
  for (int bit = 0; bit < 16; ++bit) {
    const auto single = ATF1504UserSignature::encode(static_cast<uint16_t>(1U << bit));
    const int fuse = ATF1504UserSignature::fuseForBit(bit / 8, bit % 8);
    EXPECT_TRUE(single[fuse - 34170]) << bit;
  }
}

TEST(ATF1504UserSignatureTest, SelfCheckPassesAndCatchesCorruptLayouts) {
  EXPECT_TRUE(ATF1504UserSignature::validate());
  auto swapped = ATF1504UserSignature::layout();
  std::swap(swapped[0], swapped[1]);
  EXPECT_FALSE(ATF1504UserSignature::validate(swapped));
  auto duplicated = ATF1504UserSignature::layout();
  duplicated[15] = duplicated[14];
  EXPECT_FALSE(ATF1504UserSignature::validate(duplicated));
  auto outOfRange = ATF1504UserSignature::layout();
  outOfRange[3] = 16;
  EXPECT_FALSE(ATF1504UserSignature::validate(outOfRange));
}

} // namespace
} // namespace gsmith
