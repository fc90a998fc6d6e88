// The wall clock as the catalogue sees it: the local date and time of day as
// one value in days (the integer part counts days from 30.12.1899, the
// fraction is the time of day, so one second is 1/86400), and a short sleep.
// Tests install a fake clock so that waiting loops run instantly.
#pragma once

#include <string>

namespace platform {

inline constexpr double onesecond = 1.0 / 86400.0;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual double now() = 0;
  virtual void sleep(int milliseconds) = 0;
};

// Installs the clock used from now on; the caller keeps it alive.
// nullptr restores the system clock.
void setclock(Clock* clock);
Clock& clock();

inline double now() { return clock().now(); }
inline void sleep(int milliseconds) { clock().sleep(milliseconds); }

// The moment as "dd.mm.yyyy hh:nn:ss" (24-hour time).
std::string formatdatetime(double moment);

// The value of a local date and time of day.
double encodedatetime(int year, int month, int day, int hour, int minute, int second, int millisecond = 0);

}  // namespace platform
