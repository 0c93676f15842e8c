#ifndef LOCALE_REPORT_POSIX_SESSION_PAM_SERVICE_H_
#define LOCALE_REPORT_POSIX_SESSION_PAM_SERVICE_H_

#include <cstddef>

#include "capture.h"

enum PamStackType { kPamSession, kPamAuth };

// One pam_env line of a PAM stack, its words as libpam splits them, each
// taken once.
struct PamEnvLine {
  // Session lines run when the session is opened (pam_open_session), auth
  // lines when the credentials are set (pam_setcred).
  PamStackType type;
  // A '-' before its type: libpam says nothing where its module is missing.
  bool quietIfMissing;
  // The stack file it stands in, its control (brackets taken off), its
  // module as written and its arguments: all in `words`, which it owns.
  const char* file;
  const char* control;
  const char* module;
  const char** arguments;
  size_t argumentCount;
  char* words;
};

// In the order the service runs them (see ReadPamEnvLines); as many as the
// stack has.
struct PamEnvLines {
  PamEnvLine* lines;
  size_t count;
  size_t room;
};

// Where libpam looks for a service: each directory in turn (a service, or a
// file it includes, named by a path is taken as it stands); `confFile`, the
// file of all services, only where none of the directories exists.
struct PamConfig {
  const char* const* directories;
  size_t directoryCount;
  const char* confFile;  // nullptr for none
};

// The system's: /etc/pam.d, then /usr/lib/pam.d, else /etc/pam.conf.
extern const PamConfig kSystemPamConfig;

// The pam_env lines libpam runs for `service`, read as libpam reads its
// stack: a '#' ends a line, a '\' before the newline joins it to the next
// line that is not blank or a comment; words are split on blanks, tabs and
// newlines alone (a CR stays in its word), and "[...]" is one word, "\]"
// standing for ']' in it; types and controls are matched whatever their
// case, a '-' before the type aside. @include, include and substack are
// followed, 16 deep and 128 files at most, and a note says where that
// stopped the reading. For each type the service has no line of, the lines of
// the service "other" count, as where there is no service at all. Notes
// each file that is there but cannot be read, or has a line too long to
// keep, and returns false where the service's own file is such a file: the
// lines cannot be known then. A line behind a jump is taken as written.
// The lines of type `first` come first, as the service calls them first.
bool ReadPamEnvLines(const PamConfig& config, const char* service, PamStackType first,
                     PamEnvLines* lines, CaptureNotes* notes);

// Gives back what ReadPamEnvLines() took.
void FreePamEnvLines(PamEnvLines* lines);

// The line as a note names it: "FILE: MODULE ARGUMENTS", into `text`.
void DescribePamEnvLine(const PamEnvLine& line, char* text, size_t size);

#endif  // LOCALE_REPORT_POSIX_SESSION_PAM_SERVICE_H_
