#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "PowerSaving.h"
#include "XvfbServer.h"

TEST(PowerSaving, ScreenStaysAwakeDuringTheGameAndIsPutBackAfter) {
  XvfbServer server;
  ASSERT_TRUE(server.running()) << "Xvfb did not start";
  int before = PowerSaving::currentTimeout();
  ASSERT_GE(before, 0);

  PowerSaving::save();
  PowerSaving::keepAwake();
  // Twelve hours do not fit the X protocol: the longest time-out it holds is used.
  EXPECT_EQ(PowerSaving::currentTimeout(), 32767);
  EXPECT_EQ(PowerSaving::currentPowerManagement(), 0);  // Xvfb has none to switch on
  PowerSaving::restore();
  EXPECT_EQ(PowerSaving::currentTimeout(), before);

  // A second game in the same server starts from the restored value again.
  PowerSaving::save();
  PowerSaving::keepAwake();
  PowerSaving::restore();
  EXPECT_EQ(PowerSaving::currentTimeout(), before);
}

TEST(PowerSaving, WithoutADisplayNothingHappens) {
  const char* old = std::getenv("DISPLAY");
  std::string kept = old ? old : "";
  unsetenv("DISPLAY");
  PowerSaving::save();
  PowerSaving::keepAwake();
  PowerSaving::restore();
  EXPECT_EQ(PowerSaving::currentTimeout(), -1);
  if (old) setenv("DISPLAY", kept.c_str(), 1);
}
