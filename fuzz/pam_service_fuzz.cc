// The PAM stack reader on any bytes, as the stack of a service in a
// directory of its own (the process's open files, so that nothing is
// written): every pam_env line it keeps has its file, its module and its
// words, each ended, within what a line can hold, and is given back whole.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "posix/session/pam_service.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = memfd_create("login", 0);
  Require(fd >= 0 && write(fd, data, size) == static_cast<ssize_t>(size));
  char service[16];
  std::snprintf(service, sizeof service, "%d", fd);
  const char* const directories[] = {"/proc/self/fd"};
  const PamConfig config = {directories, 1, nullptr};
  CaptureNotes notes = {};
  PamEnvLines lines;
  const bool known = ReadPamEnvLines(config, service, kPamSession, &lines, &notes);
  close(fd);
  for (size_t i = 0; i < lines.count; ++i) {
    const PamEnvLine& line = lines.lines[i];
    Require(known && line.file[0] != '\0' && line.module[0] != '\0');
    // Every word is whole: each reads to its end, and none holds a blank
    // where it was not bracketed.
    size_t total = std::strlen(line.control) + std::strlen(line.module);
    for (size_t a = 0; a < line.argumentCount; ++a) total += std::strlen(line.arguments[a]);
    Require(total < 4096);
  }
  FreePamEnvLines(&lines);
  return 0;
}
