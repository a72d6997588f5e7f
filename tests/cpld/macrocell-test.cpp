// Product-term capacity of a macrocell: which contributions count against
// its five slots and how the three allocators refuse.
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

} // namespace
} // namespace gsmith
