// Product-term capacity of a macrocell: which contributions count against
// its five slots, how the three allocators refuse, and what clear() keeps.
#include "cpld/lab.h"
#include "cpld/macrocell.h"

#include <gtest/gtest.h>

namespace gsmith {
namespace {

const ProductTerm kTerm = {{"a", false}, {"b", true}};

Macrocell withOwnTerms(int count) {
  Macrocell macrocell(3, 6);
  for (int i = 0; i < count; ++i)
    EXPECT_TRUE(macrocell.allocateProductTerm(kTerm));
  return macrocell;
}

TEST(MacrocellTest, StartsEmptyWithOutputAlwaysEnabled) {
  const Macrocell macrocell(7, 12);
  EXPECT_EQ(macrocell.number(), 7);
  EXPECT_EQ(macrocell.pin(), 12);
  EXPECT_EQ(macrocell.outputEnableSource(), OutputEnableSource::ALWAYS);
  EXPECT_EQ(macrocell.clockSource(), ClockSource::NONE);
  EXPECT_EQ(macrocell.resetSource(), ResetSource::NONE);
  EXPECT_FALSE(macrocell.isRegistered());
  EXPECT_FALSE(macrocell.isConfiguredOutput());
  EXPECT_EQ(macrocell.usedProductTerms(), 0);
  EXPECT_EQ(macrocell.availableProductTerms(), 5);
}

TEST(MacrocellTest, OwnTermsStopAtFive) {
  Macrocell macrocell = withOwnTerms(4);
  EXPECT_TRUE(macrocell.allocateProductTerm(kTerm));
  EXPECT_FALSE(macrocell.allocateProductTerm(kTerm));
  EXPECT_EQ(macrocell.productTerms().size(), 5u);
  EXPECT_EQ(macrocell.availableProductTerms(), 0);
}

TEST(MacrocellTest, EveryControlTermTakesOneSlot) {
  using Setter = void (Macrocell::*)(const ProductTerm &);
  const Setter setters[] = {&Macrocell::setXorProduct, &Macrocell::setResetProduct,
                            &Macrocell::setOEProductTerm, &Macrocell::setClockEnableProduct,
                            &Macrocell::setPresetProduct};
  for (Setter setter : setters) {
    Macrocell macrocell(1, 4);
    (macrocell.*setter)(kTerm);
    EXPECT_EQ(macrocell.usedProductTerms(), 1);
    for (int i = 0; i < 4; ++i)
      EXPECT_TRUE(macrocell.allocateProductTerm(kTerm));
    EXPECT_FALSE(macrocell.allocateProductTerm(kTerm));
  }
}

TEST(MacrocellTest, OETermAllocationCountsItselfAndOwnTerms) {
  Macrocell macrocell(1, 4);
  ASSERT_TRUE(macrocell.allocateOEProductTerm(kTerm));
  EXPECT_TRUE(macrocell.hasOEProductTerm());
  for (int i = 0; i < 4; ++i)
    EXPECT_TRUE(macrocell.allocateProductTerm(kTerm));
  EXPECT_FALSE(macrocell.allocateProductTerm(kTerm));

  Macrocell full = withOwnTerms(5);
  EXPECT_FALSE(full.allocateOEProductTerm(kTerm));
  EXPECT_FALSE(full.hasOEProductTerm());
}

TEST(MacrocellTest, CascadeTestIgnoresTheXorSlot) {
  Macrocell macrocell = withOwnTerms(3);
  macrocell.setXorProduct(kTerm);
  ASSERT_TRUE(macrocell.allocateCascadeTerm(kTerm, 9));
  EXPECT_EQ(macrocell.usedProductTerms(), 5);
  EXPECT_TRUE(macrocell.allocateCascadeTerm(kTerm, 9));
  EXPECT_FALSE(macrocell.allocateProductTerm(kTerm));
  EXPECT_EQ(macrocell.usedCascadeTerms(), 2);
  EXPECT_EQ(macrocell.cascadeOwners(), (std::vector<int>{9, 9}));
}

TEST(MacrocellTest, CascadeRefusalLeavesBothListsUnchanged) {
  Macrocell macrocell(2, 5);
  for (int i = 0; i < 5; ++i)
    ASSERT_TRUE(macrocell.allocateCascadeTerm(kTerm, 3));
  EXPECT_FALSE(macrocell.allocateCascadeTerm(kTerm, 3));
  EXPECT_EQ(macrocell.cascadeTerms().size(), 5u);
  EXPECT_EQ(macrocell.cascadeOwners().size(), 5u);
}

TEST(MacrocellTest, ClearRestoresEverythingButNumberAndPin) {
  Macrocell macrocell = withOwnTerms(2);
  ASSERT_TRUE(macrocell.allocateCascadeTerm(kTerm, 4));
  macrocell.setRegistered(true);
  macrocell.setConfiguredOutput(true);
  macrocell.setClockSource(ClockSource::GCLK2);
  macrocell.setResetSource(ResetSource::PRODUCT);
  macrocell.setOutputEnableSource(OutputEnableSource::PRODUCT);
  macrocell.setXorProduct(kTerm);
  macrocell.setResetProduct(kTerm);
  macrocell.setOEProductTerm(kTerm);
  macrocell.setClockEnableProduct(kTerm);
  macrocell.setPresetProduct(kTerm);
  macrocell.toggle = true;

  macrocell.clear();
  EXPECT_EQ(macrocell.number(), 3);
  EXPECT_EQ(macrocell.pin(), 6);
  EXPECT_EQ(macrocell.outputEnableSource(), OutputEnableSource::ALWAYS);
  EXPECT_EQ(macrocell.clockSource(), ClockSource::NONE);
  EXPECT_EQ(macrocell.resetSource(), ResetSource::NONE);
  EXPECT_FALSE(macrocell.isRegistered() || macrocell.isConfiguredOutput() || macrocell.toggle);
  EXPECT_FALSE(macrocell.hasXorProduct || macrocell.hasResetProduct ||
               macrocell.hasOEProductTerm() || macrocell.hasClockEnableProduct() ||
               macrocell.hasPresetProduct());
  EXPECT_TRUE(macrocell.xorProduct.empty() && macrocell.resetProduct.empty() &&
              macrocell.oeProductTerm().empty() && macrocell.clockEnableProductTerm().empty() &&
              macrocell.presetProductTerm().empty());
  EXPECT_TRUE(macrocell.productTerms().empty());
  EXPECT_TRUE(macrocell.cascadeOwners().empty());
  EXPECT_EQ(macrocell.usedProductTerms(), 0);
}

TEST(MacrocellTest, ClearCascadeEmptiesBothListsOnly) {
  Macrocell macrocell = withOwnTerms(1);
  ASSERT_TRUE(macrocell.allocateCascadeTerm(kTerm, 6));
  macrocell.clearCascade();
  EXPECT_EQ(macrocell.usedCascadeTerms(), 0);
  EXPECT_TRUE(macrocell.cascadeOwners().empty());
  EXPECT_EQ(macrocell.productTerms().size(), 1u);
}

TEST(LABTest, FindsMembersByNumberAndClearsThemAll) {
  LAB lab;
  lab.addMacrocell(Macrocell(17, 41));
  lab.addMacrocell(Macrocell(18, 40));
  ASSERT_NE(lab.macrocell(18), nullptr);
  EXPECT_EQ(lab.macrocell(18)->pin(), 40);
  EXPECT_EQ(lab.macrocell(1), nullptr);

  lab.macrocell(17)->allocateProductTerm(kTerm);
  lab.macrocell(18)->setRegistered(true);
  lab.clear();
  EXPECT_EQ(lab.macrocell(17)->usedProductTerms(), 0);
  EXPECT_FALSE(lab.macrocell(18)->isRegistered());
  EXPECT_EQ(lab.macrocells().size(), 2u);
}

} // namespace
} // namespace gsmith
