#include "platform/clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

namespace {

using platform::encodedatetime;
using platform::formatdatetime;

TEST(Clock, DaysCountFromTheLastDaysOf1899) {
  EXPECT_EQ(encodedatetime(1899, 12, 30, 0, 0, 0), 0.0);
  EXPECT_EQ(encodedatetime(1900, 1, 1, 0, 0, 0), 2.0);
  EXPECT_EQ(encodedatetime(2025, 1, 1, 0, 0, 0), 45658.0);
  EXPECT_EQ(encodedatetime(2024, 3, 1, 0, 0, 0) - encodedatetime(2024, 2, 28, 0, 0, 0), 2.0);  // leap day
  EXPECT_DOUBLE_EQ(encodedatetime(2025, 1, 1, 12, 0, 0), 45658.5);
  EXPECT_NEAR(encodedatetime(2025, 1, 1, 0, 0, 1) - encodedatetime(2025, 1, 1, 0, 0, 0), platform::onesecond,
              1e-10);  // microseconds at this day count
}

TEST(Clock, FormatsDayMonthYearAndTwentyFourHourTime) {
  EXPECT_EQ(formatdatetime(encodedatetime(2026, 12, 7, 9, 5, 3)), "07.12.2026 09:05:03");
  EXPECT_EQ(formatdatetime(encodedatetime(2000, 2, 29, 23, 59, 59)), "29.02.2000 23:59:59");
  EXPECT_EQ(formatdatetime(encodedatetime(999, 1, 2, 0, 0, 0)), "02.01.0999 00:00:00");
  // A value a hair below a full second or day shows the rounded moment.
  EXPECT_EQ(formatdatetime(encodedatetime(2026, 12, 7, 10, 0, 0) - 1e-9), "07.12.2026 10:00:00");
  EXPECT_EQ(formatdatetime(encodedatetime(2026, 12, 8, 0, 0, 0) - 1e-9), "08.12.2026 00:00:00");
  // Milliseconds are dropped, not rounded up.
  EXPECT_EQ(formatdatetime(encodedatetime(2026, 12, 7, 10, 0, 0, 999)), "07.12.2026 10:00:00");
}

TEST(Clock, SystemClockGivesTheLocalTime) {
  const std::time_t seconds = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&seconds, &local);
  const double expected =
      encodedatetime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  EXPECT_LT(std::fabs(platform::now() - expected), 2 * platform::onesecond);
}

class CountingClock : public platform::Clock {
 public:
  double now() override { return 42.0; }
  void sleep(int milliseconds) override { slept += milliseconds; }
  int slept = 0;
};

TEST(Clock, AnInstalledClockReplacesTheSystemClockUntilRemoved) {
  CountingClock fake;
  platform::setclock(&fake);
  platform::sleep(50);
  EXPECT_EQ(platform::now(), 42.0);
  EXPECT_EQ(fake.slept, 50);
  platform::setclock(nullptr);
  EXPECT_GT(platform::now(), 45658.0);
}

}  // namespace
