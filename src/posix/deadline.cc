#include "posix/deadline.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

int ReadWithin(int fd, int64_t deadline, size_t most, char** bytes, size_t* used) {
  *bytes = nullptr;
  *used = 0;
  size_t room = 0;
  for (;;) {
    pollfd ready = {fd, POLLIN, 0};
    const int polled = poll(&ready, 1, LeftMs(deadline));
    if (polled < 0 && errno == EINTR) continue;
    if (polled == 0) return ETIMEDOUT;
    if (polled < 0) return errno;
    if (*used == room) {
      if (room >= most) return EFBIG;
      room = room == 0 ? 4096 : 2 * room;
      if (room > most) room = most;
      void* grown = std::realloc(*bytes, room);
      if (grown == nullptr) return ENOMEM;
      *bytes = static_cast<char*>(grown);
    }
    const ssize_t count = read(fd, *bytes + *used, room - *used);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return errno;
    if (count == 0) return 0;
    *used += static_cast<size_t>(count);
  }
}
