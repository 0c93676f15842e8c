#include "posix/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

int OpenRegularFile(const char* path, int* fd) {
  // Non-blocking, so that a FIFO in the file's place cannot stall the report.
  *fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (*fd < 0) return errno == ENOTDIR ? ENOENT : errno;
  struct stat status;
  int result = kNotRegularFile;
  if (fstat(*fd, &status) != 0) {
    result = errno;
  } else if (S_ISDIR(status.st_mode)) {
    result = EISDIR;
  } else if (S_ISREG(status.st_mode)) {
    return 0;
  }
  close(*fd);
  *fd = -1;
  return result;
}
