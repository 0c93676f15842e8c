// locale-report: prints how locale and code pages are set up for this machine
// and this user, then waits for Enter.

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "capture.h"
#include "report.h"

namespace {

bool IsCharacterDevice(std::FILE* stream) {
  struct stat status;
  return fstat(fileno(stream), &status) == 0 && S_ISCHR(status.st_mode);
}

}  // namespace

int main() {
  // The streams are set here rather than left to the C library's taste: a
  // console shows every line the moment it is written, while a file or pipe
  // takes the report in one piece at the end. The buffers live in this frame,
  // so both streams are closed before it ends.
  char outBuffer[512];
  char inBuffer[512];
  std::setvbuf(stdout, outBuffer, IsCharacterDevice(stdout) ? _IONBF : _IOFBF, sizeof outBuffer);
  std::setvbuf(stdin, inBuffer, _IOFBF, sizeof inBuffer);

  const LocaleSnapshot snapshot = CaptureLocaleSnapshot();
  const int error = PresentReport(snapshot, stdout, stdin);
  std::fclose(stdin);
  if (error != 0) {
    std::fprintf(stderr, "locale-report: write error: %s\n", std::strerror(error));
    return 1;
  }
  return 0;
}
