#ifndef LOCALE_REPORT_POSIX_DEADLINE_H_
#define LOCALE_REPORT_POSIX_DEADLINE_H_

#include <time.h>

#include <cstddef>
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

// Reads `fd` to its end into *bytes (malloc'd, the caller's to free, *used
// bytes of it), waiting for it until `deadline` at most. Returns 0 at its
// end, ETIMEDOUT where the deadline came first, EFBIG where it had more
// than `most` bytes, ENOMEM, or the errno of a read that failed; what was
// read is kept either way.
int ReadWithin(int fd, int64_t deadline, size_t most, char** bytes, size_t* used);

#endif  // LOCALE_REPORT_POSIX_DEADLINE_H_
