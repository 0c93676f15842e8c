#ifndef LOCALE_REPORT_POSIX_PAM_ENV_SESSION_H_
#define LOCALE_REPORT_POSIX_PAM_ENV_SESSION_H_

#include "capture.h"
#include "posix/locale_variables.h"
#include "posix/pam_service.h"

// The locale variables the installed pam_env gives a new session.
struct PamEnvSession {
  // nullptr where it sets none; valid for the rest of the run.
  LocaleSettings settings;
  // How it came about, for NamePamEnvSources(): the lines (which must
  // outlive it), and how many ran; and libpam and the handle they ran on,
  // for PamEnvList().
  const PamEnvLines* lines;
  size_t linesRun;
  void* libpam;
  void* handle;
};

// Asks the installed pam_env what it sets for a new login of the user who
// runs the report: libpam and the module are loaded as libpam would load
// them (libpam.so.0; a module named without a path from the security/
// directory beside it), and each line is called in turn, with its
// arguments, on one PAM handle, as login calls it (its session lines, then
// its auth lines). Loads nothing where there are no lines.
// Notes a library or module that cannot be loaded (the session goes
// without it), a line whose failure fails the login (no later line runs
// then), and a file pam_env would read that this user cannot read or that
// is no file to read: returns false then, without running a line, since
// what a session gets cannot be known. pam_env may log to the system log,
// as it does at every login; the handle itself logs nothing and is never
// ended, which would make libpam audit a login that never was.
bool AskPamEnv(const PamEnvLines& lines, PamEnvSession* session, CaptureNotes* notes);

// Every variable pam_env set, "NAME=value" each, nullptr-ended; nullptr
// where no line ran. The caller owns it, and gives it back with
// FreePamEnvList().
char** PamEnvList(const PamEnvSession& session);
void FreePamEnvList(char** list);

// The file each variable comes from (an empty text where pam_env set none),
// for the notes: the lines run once more on a handle of their own, each
// with its conffile alone, then its envfile alone, tell which. Where that
// run does not end as the first did, a run of the lines as they are tells
// the line, and both its files are named.
struct PamEnvSources {
  char files[kLocaleVariableCount][kNoteValueMax + 1];
};
void NamePamEnvSources(const PamEnvSession& session, PamEnvSources* sources);

#endif  // LOCALE_REPORT_POSIX_PAM_ENV_SESSION_H_
