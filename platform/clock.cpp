#include "platform/clock.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <thread>

#include "platform/text.h"

namespace platform {

namespace {

constexpr int64_t millisecondsperday = 86400000;

// Days from 1.1.1970 of a date in the proleptic Gregorian calendar.
int64_t daysfromcivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearofera = year - era * 400;
  const int64_t dayofyear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayofera = yearofera * 365 + yearofera / 4 - yearofera / 100 + dayofyear;
  return era * 146097 + dayofera - 719468;
}

struct Civil {
  int64_t year, month, day;
};

Civil civilfromdays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayofera = days - era * 146097;
  const int64_t yearofera = (dayofera - dayofera / 1460 + dayofera / 36524 - dayofera / 146096) / 365;
  const int64_t dayofyear = dayofera - (365 * yearofera + yearofera / 4 - yearofera / 100);
  const int64_t mp = (5 * dayofyear + 2) / 153;
  const int64_t day = dayofyear - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  return {yearofera + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// 30.12.1899, day 0 of the value.
const int64_t epochoffset = daysfromcivil(1899, 12, 30);

class SystemClock : public Clock {
 public:
  double now() override {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    ::localtime_r(&ts.tv_sec, &local);
    return encodedatetime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                          local.tm_sec, static_cast<int>(ts.tv_nsec / 1000000));
  }
  void sleep(int milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
};

SystemClock systemclock;
Clock* current = &systemclock;

}  // namespace

void setclock(Clock* clock) { current = clock != nullptr ? clock : &systemclock; }

Clock& clock() { return *current; }

double encodedatetime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
  const int64_t days = daysfromcivil(year, month, day) - epochoffset;
  const int64_t milliseconds = ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond;
  return static_cast<double>(days) + static_cast<double>(milliseconds) / millisecondsperday;
}

std::string formatdatetime(double moment) {
  // Rounded to the millisecond first, so that 10:00:00 stored as 09:59:59.9999 prints as 10:00:00.
  const auto total = static_cast<int64_t>(std::llround(moment * millisecondsperday));
  int64_t days = total / millisecondsperday;
  int64_t milliseconds = total % millisecondsperday;
  if (milliseconds < 0) {
    milliseconds += millisecondsperday;
    --days;
  }
  const Civil date = civilfromdays(days + epochoffset);
  const int64_t seconds = milliseconds / 1000;
  return zeropadded(date.day, 2) + "." + zeropadded(date.month, 2) + "." + zeropadded(date.year, 4) + " " +
         zeropadded(seconds / 3600, 2) + ":" + zeropadded(seconds / 60 % 60, 2) + ":" + zeropadded(seconds % 60, 2);
}

}  // namespace platform
