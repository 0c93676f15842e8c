// The PAM stack reader on any bytes, as the stack of a service in a
// directory of its own (the process's open files, so that nothing is
// written): every pam_env line it keeps has its words within the line, each
// ended, and at least the control and the module.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "posix/pam_service.h"

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
  const bool known = ReadPamEnvLines(config, service, &lines, &notes);
  close(fd);
  if (!known) return 0;
  Require(lines.count <= kPamEnvLinesMax);
  for (size_t i = 0; i < lines.count; ++i) {
    const PamEnvLine& line = lines.lines[i];
    size_t words = 0;
    for (size_t at = 0; at < sizeof line.words && words < line.argumentCount + 2; ++at) {
      if (line.words[at] == '\0') ++words;
    }
    Require(words == line.argumentCount + 2);
  }
  return 0;
}
