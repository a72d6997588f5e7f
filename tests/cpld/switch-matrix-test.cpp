// Signal selection into a 40-signal switch matrix.
#include "cpld/switch-matrix.h"

#include <gtest/gtest.h>

namespace gsmith {
namespace {

SwitchMatrix fullMatrix() {
  SwitchMatrix matrix;
  for (int i = 0; i < SwitchMatrix::kCapacity; ++i)
    EXPECT_TRUE(matrix.selectSignal("s" + std::to_string(i), i, 0));
  return matrix;
}

TEST(SwitchMatrixTest, SelectingAgainKeepsTheFirstEntry) {
  SwitchMatrix matrix;
  EXPECT_TRUE(matrix.selectSignal("a", 5, 0));
  EXPECT_TRUE(matrix.selectSignal("a", 9, 605));
  ASSERT_EQ(matrix.usedSignals(), 1);
  EXPECT_EQ(matrix.signals()[0].pin, 5);
  EXPECT_EQ(matrix.signals()[0].sourceNode, 0);
  EXPECT_EQ(matrix.signals()[0].physicalUIM, 0);
}

TEST(SwitchMatrixTest, FortyFirstSignalIsRefusedButReselectionSucceeds) {
  SwitchMatrix matrix = fullMatrix();
  EXPECT_EQ(matrix.availableSignals(), 0);
  EXPECT_FALSE(matrix.selectSignal("extra", 1, 0));
  EXPECT_TRUE(matrix.selectSignal("s7", 1, 0));
  EXPECT_EQ(matrix.usedSignals(), 40);
}

TEST(SwitchMatrixTest, AssignsPhysicalUIMOnlyToKnownNames) {
  SwitchMatrix matrix;
  matrix.selectSignal("a", 5, 0);
  EXPECT_FALSE(matrix.assignPhysicalUIM("b", 4));
  EXPECT_EQ(matrix.signals()[0].physicalUIM, 0);
  EXPECT_TRUE(matrix.assignPhysicalUIM("a", 4));
  EXPECT_EQ(matrix.signals()[0].physicalUIM, 4);
}

} // namespace
} // namespace gsmith
