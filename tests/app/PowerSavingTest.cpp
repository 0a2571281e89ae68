#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "PowerSaving.h"

TEST(PowerSaving, ScreenStaysAwakeDuringEachGameAndIsPutBackAfter) {
  int before = PowerSaving::currentTimeout();
  ASSERT_GE(before, 0) << "no X server";
  for (int game = 1; game <= 2; ++game) {  // the second starts from the restored value
    SCOPED_TRACE(game);
    PowerSaving::save();
    PowerSaving::keepAwake();
    EXPECT_EQ(PowerSaving::currentTimeout(), 32767);      // twelve hours: the longest X holds
    EXPECT_EQ(PowerSaving::currentPowerManagement(), 0);  // Xvfb has none to switch on
    PowerSaving::restore();
    EXPECT_EQ(PowerSaving::currentTimeout(), before);
  }
}
