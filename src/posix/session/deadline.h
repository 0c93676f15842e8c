#ifndef LOCALE_REPORT_POSIX_SESSION_DEADLINE_H_
#define LOCALE_REPORT_POSIX_SESSION_DEADLINE_H_

#include <time.h>

#include <cstdint>

// A moment on the monotonic clock, in milliseconds: the clock a time limit
// keeps, whatever is done to the time of day meanwhile.
inline int64_t NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// What is left until `deadline`, for poll(): 0 once it has passed.
inline int LeftMs(int64_t deadline) {
  const int64_t left = deadline - NowMs();
  return left <= 0 ? 0 : left > 60000 ? 60000 : static_cast<int>(left);
}

#endif  // LOCALE_REPORT_POSIX_SESSION_DEADLINE_H_
