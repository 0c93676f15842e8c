#ifndef LOCALE_REPORT_POSIX_LINE_READER_H_
#define LOCALE_REPORT_POSIX_LINE_READER_H_

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

// Reads `fd` from where it stands to its end through one buffer of N bytes
// and hands its lines, without their newlines, to `take(line, length)` one
// at a time. A line that fills the buffer is skipped, all of it: an untrusted
// file costs no more memory than that, however long its lines. Returns 0, or
// the errno of a read that failed, which ends the reading.
template <size_t N, typename Take>
int ReadLines(int fd, Take take) {
  char buffer[N];
  size_t used = 0;
  bool skipping = false;
  for (;;) {
    const ssize_t count = read(fd, buffer + used, N - used);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return errno;
    if (count == 0) break;
    used += static_cast<size_t>(count);

    // Whole lines are taken from the buffer and a partial one moved to its front.
    const char* line = buffer;
    const char* const end = buffer + used;
    while (const char* newline =
               static_cast<const char*>(std::memchr(line, '\n', static_cast<size_t>(end - line)))) {
      if (!skipping) take(line, static_cast<size_t>(newline - line));
      skipping = false;
      line = newline + 1;
    }
    used = static_cast<size_t>(end - line);
    if (used == N) {
      skipping = true;
      used = 0;
    } else {
      std::memmove(buffer, line, used);
    }
  }
  if (!skipping && used > 0) take(static_cast<const char*>(buffer), used);
  return 0;
}

#endif  // LOCALE_REPORT_POSIX_LINE_READER_H_
