// locale-report: prints how locale and code pages are set up for this machine
// and this user, then waits for Enter.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "capture.h"
#include "report.h"
#include "terminal_text.h"

namespace {

bool IsCharacterDevice(int fd) {
  struct stat status;
  return fstat(fd, &status) == 0 && S_ISCHR(status.st_mode);
}

// One line on standard error: where the note comes from, then what it says.
// A value is shown between quotes, so that blanks at its ends show. Paths
// come from the system's files too, and are shown as safely.
void PrintNote(const CaptureNote& note) {
  const bool fromFile = note.source[0] != '\0';
  std::fputs("locale-report: ", stderr);
  if (fromFile) std::fprintf(stderr, "%s: ", ToTerminalText(note.source).bytes);
  switch (note.kind) {
    case kNoteUnloadable:
      std::fprintf(
          stderr, "%s=\"%s\" cannot be loaded: %s run in the C locale\n", note.variable,
          ToTerminalText(note.value).bytes,
          fromFile ? "new sessions" : "programs that load their whole locale from the environment");
      break;
    case kNoteUnreadable:
      std::fprintf(stderr, "cannot be read: %s\n",
                   note.error == kNotRegularFile ? "not a regular file"
                   : note.error == kLineTooLong  ? "a line is too long"
                                                 : std::strerror(note.error));
      break;
    case kNoteNotLoaded:
      std::fprintf(stderr, "cannot be loaded (%s): the system lines show new sessions without it\n",
                   ToTerminalText(note.value).bytes);
      break;
    case kNoteLoginRefused:
      std::fprintf(stderr, "pam_env fails (%s): new logins are refused\n",
                   ToTerminalText(note.value).bytes);
      break;
    case kNoteFilesDisagree: {
      const TerminalText source = ToTerminalText(note.source);
      const TerminalText other = ToTerminalText(note.other);
      if (note.other[0] == '\0') {
        std::fprintf(stderr,
                     "names other locales than login sessions get, which no file of theirs "
                     "sets: services get %s's (through systemd)\n",
                     source.bytes);
      } else {
        std::fprintf(stderr,
                     "names other locales than %s: services get %s's (through systemd), login "
                     "sessions %s's\n",
                     other.bytes, source.bytes, other.bytes);
      }
      break;
    }
    case kNoteScriptNotRun:
      std::fputs(
          "not run, since others than root may change it or its directory: the system lines "
          "show sessions without it\n",
          stderr);
      break;
    case kNoteScriptFailed:
      std::fprintf(stderr, "%s: the system lines show sessions without it\n", note.value);
      break;
    case kNoteProfileLine:
      std::fprintf(stderr,
                   "sets %s in a line login shells run, which the report does not: login shells "
                   "may get another locale\n",
                   note.variable);
      break;
  }
}

}  // namespace

int main() {
  // The streams are set here rather than left to the C library's taste: a
  // console shows every line the moment it is written, while a file or pipe
  // takes the report in one piece at the end. The buffers live in this frame,
  // so both streams are closed before it ends.
  char outBuffer[512];
  char inBuffer[512];
  std::setvbuf(stdout, outBuffer, IsCharacterDevice(STDOUT_FILENO) ? _IONBF : _IOFBF,
               sizeof outBuffer);
  std::setvbuf(stdin, inBuffer, _IOFBF, sizeof inBuffer);

  CaptureNotes notes;
  const LocaleSnapshot snapshot = CaptureLocaleSnapshot(&notes);
  // Why a line says "C", or what else should be known, before the report.
  for (size_t i = 0; i < notes.count; ++i) PrintNote(notes.notes[i]);
  const int error = PresentReport(snapshot, stdout, stdin);
  std::fclose(stdin);
  if (error != 0) {
    std::fprintf(stderr, "locale-report: write error: %s\n", std::strerror(error));
    return 1;
  }
  return 0;
}
