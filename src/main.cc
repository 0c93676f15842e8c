// locale-report: prints how locale and code pages are set up for this machine
// and this user, then waits for Enter.

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "capture.h"
#include "report.h"
#include "terminal_text.h"

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

  UnloadableSettings unloadable;
  const LocaleSnapshot snapshot = CaptureLocaleSnapshot(&unloadable);
  // Why the user lines say "C", before the report that shows it.
  for (size_t i = 0; i < unloadable.count; ++i) {
    const UnloadableSetting& setting = unloadable.settings[i];
    std::fprintf(stderr,
                 "locale-report: %s=%s cannot be loaded: programs that take their locale from "
                 "the environment run in the C locale\n",
                 setting.variable, ToTerminalText(setting.value).bytes);
  }
  const int error = PresentReport(snapshot, stdout, stdin);
  std::fclose(stdin);
  if (error != 0) {
    std::fprintf(stderr, "locale-report: write error: %s\n", std::strerror(error));
    return 1;
  }
  return 0;
}
