// locale-report: prints how locale and code pages are set up for this machine
// and this user, then waits for Enter.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>

#include <cstdio>
#include <cstring>

#include "capture.h"
#include "report.h"
#include "terminal_text.h"

namespace {

// fprintf() to standard error, through the vsnprintf() and fwrite() the
// program binds anyway: each import is bound at every start. No note comes
// near the room.
[[gnu::format(printf, 1, 2)]] void Say(const char* format, ...) {
  char text[4096];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  if (length > 0) {
    std::fwrite(text, 1, std::min(static_cast<size_t>(length), sizeof text - 1), stderr);
  }
}

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
  if (fromFile) {
    Say("%s: ", ToTerminalText(note.source, kTerminalTextLongest).bytes);
  }
  switch (note.kind) {
    case kNoteUnloadable: {
      // Where an environment's setting came from, as new sessions tell.
      const char* came = "";
      const char* origin = "";
      if (!fromFile && note.error == kSessionsDoNotSet) {
        came = "; new sessions here do not set it";
      } else if (!fromFile && note.error == kSshSessionsDoNotSet) {
        came =
            "; new ssh sessions here do not set it: it came from elsewhere, such as the ssh "
            "client (SendEnv) or a shell start-up file";
      } else if (!fromFile && note.error == kSessionsSetAlike) {
        came = "; new sessions get it from ";
        origin = note.other;
      }
      Say("%s=\"%s\" cannot be loaded: %s run in the C locale%s%s\n", note.variable,
          ToTerminalText(note.value).bytes,
          fromFile ? "new sessions" : "programs that load their whole locale from the environment",
          came, ToTerminalText(origin, kTerminalTextLongest).bytes);
      break;
    }
    case kNoteUnreadable:
      Say("cannot be read: %s\n", note.error == kNotRegularFile ? "not a regular file"
                                  : note.error == kLineTooLong  ? "a line is too long"
                                                                : std::strerror(note.error));
      break;
    case kNoteNotLoaded:
      Say("cannot be loaded (%s): the system lines show new sessions without it\n",
          ToTerminalText(note.value).bytes);
      break;
    case kNoteLoginRefused:
      Say("pam_env fails (%s): new logins are refused\n", ToTerminalText(note.value).bytes);
      break;
    case kNotePasswordlessRefused:
      Say("pam_env fails (%s): logins without a password (login -f, autologin) are refused; "
          "password logins go on without these variables\n",
          ToTerminalText(note.value).bytes);
      break;
    case kNoteSessionGoesOn:
      Say("pam_env fails (%s): new ssh sessions go on without these variables%s\n",
          ToTerminalText(note.value).bytes, note.error == 1 ? ", and without forwarding" : "");
      break;
    case kNoteFilesDisagree: {
      const TerminalText source = ToTerminalText(note.source, kTerminalTextLongest);
      const TerminalText other = ToTerminalText(note.other, kTerminalTextLongest);
      if (note.value[0] != '\0') {
        Say("login sessions read it too, as %s, and get other locales from it than "
            "services (through systemd) do: they take them from %s\n",
            ToTerminalText(note.value, kTerminalTextLongest).bytes, other.bytes);
      } else if (note.other[0] == '\0') {
        Say("names other locales than login sessions get, which no file of theirs "
            "sets: services get %s's (through systemd)\n",
            source.bytes);
      } else {
        Say("names other locales than login sessions get from %s: services get %s's "
            "(through systemd)\n",
            other.bytes, source.bytes);
      }
      break;
    }
    case kNoteServicesDefault:
      Say("%s run in %s (through systemd), and login sessions ",
          note.error == ENOENT ? "is missing: services" : "sets no locale for services: they",
          ToTerminalText(note.value).bytes);
      if (note.other[0] == '\0') {
        std::fputs("in C, which no file of theirs sets a locale for either\n", stderr);
      } else {
        Say("get other locales from %s\n", ToTerminalText(note.other, kTerminalTextLongest).bytes);
      }
      break;
    case kNoteScriptNotRun:
      std::fputs(
          "not run, since others than root may change it or a directory above it: the system "
          "lines show sessions without it\n",
          stderr);
      break;
    case kNoteScriptFailed:
      Say("%s: the system lines show sessions without it\n", note.value);
      break;
    case kNoteStackCut:
      std::fputs(
          "not read: the stack goes deeper or has more files than the report follows, and the "
          "system lines show sessions without the rest\n",
          stderr);
      break;
    case kNotePamEnvSaid:
      Say("pam_env says: %s\n", ToTerminalText(note.value, kTerminalTextLongest).bytes);
      break;
    case kNoteSessionUnknown:
      Say("%s%s: the system lines show C, since what new sessions get is not known\n",
          fromFile ? "" : "asking what new sessions get ", note.value);
      break;
    case kNoteUserUnknown:
      Say("loading the locale of the environment %s (a FIFO or device where the C library "
          "looks for it): every line shows C\n",
          note.value);
      break;
    case kNoteProfileLine:
      Say("sets %s in a line login shells run, which the report does not: login shells "
          "may get another locale\n",
          note.variable);
      break;
  }
}

#ifndef _WIN32
// A closed standard descriptor would be the next one anything opens: the
// system log's socket, a pipe of the capture's, which the report would then
// write to or wait on. /dev/null read-only takes its place: input ends at
// once, and a write fails as on a closed descriptor, so a closed standard
// output still ends in status 1. Lowest first, so each open lands on its own.
void HoldStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    struct stat status;
    if (fstat(fd, &status) == 0 || errno != EBADF) continue;
    // Where even /dev/null is missing, the root directory serves as well.
    if (open("/dev/null", O_RDONLY) != fd) open("/", O_RDONLY | O_DIRECTORY);
  }
}
#endif

}  // namespace

int main() {
#ifndef _WIN32
  HoldStandardDescriptors();
#endif
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
  if (notes.dropped > 0) {
    Say("locale-report: %lu more notes are not shown\n", static_cast<unsigned long>(notes.dropped));
  }
  const int error = PresentReport(snapshot, stdout, stdin);
  std::fclose(stdin);
  if (error != 0) {
    Say("locale-report: write error: %s\n", std::strerror(error));
    return 1;
  }
  return 0;
}
