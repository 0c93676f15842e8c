#ifndef LOCALE_REPORT_POSIX_SESSION_PAM_ENV_H_
#define LOCALE_REPORT_POSIX_SESSION_PAM_ENV_H_

#include "capture.h"
#include "posix/session/ledger.h"
#include "posix/session/pam_service.h"

// What pam_env says while a line runs: the conversation's data, so that
// pam_vsyslog() finds it from the handle alone.
struct PamEnvHearing {
  CaptureNotes* notes;  // nullptr once no line runs
  char line[kNoteTextMax + 1];
};

// Where the installed pam_env was asked, for PamEnvList(); no handle where
// no line ran. Not to be copied: the handle holds its hearing.
struct PamEnvRun {
  void* libpam;
  void* handle;
  PamEnvHearing hearing;
};

// Asks the installed pam_env what it sets for a new login of the user who
// runs the report: libpam and the module are loaded as libpam would load
// them (libpam.so.0; a module named without a path from the security/
// directory beside it), and each line is called once, in turn, with its
// arguments, on one PAM handle, in the order of `lines`. Loads nothing
// where there are no lines. Each locale variable a line changes goes into
// `ledger`, with the line as its origin. Notes a library or module that
// cannot be loaded (the session goes without it), a line whose failure
// fails the login (no later line runs then), or, where only auth lines
// fail and libpam lets a login with a password past them, the first of
// those; under kFailureGoesOn, each line that fails (the later ones run,
// as where a session goes on); and what pam_env says as it runs, but for
// its debug lines: its
// messages come here, not to the system log (see pam_vsyslog()). The handle
// is never ended, which would make libpam audit a login that never was.
// How the service of the lines takes one that fails: login refuses the
// login; sshd goes on, as a failed pam_open_session only restricts the
// session, and a failed pam_setcred ends it only where PAM authenticated
// the user, after which libpam lets pam_env's auth lines pass.
enum PamFailures { kFailureRefuses, kFailureGoesOn };

void AskPamEnv(const PamEnvLines& lines, PamFailures failures, const SourceWatcher& watcher,
               SessionLedger* ledger, PamEnvRun* run, CaptureNotes* notes);

// Every variable pam_env set, "NAME=value" each, nullptr-ended; nullptr
// where no line ran. The caller owns it, and gives it back with
// FreePamEnvList().
char** PamEnvList(const PamEnvRun& run);
void FreePamEnvList(char** list);

#endif  // LOCALE_REPORT_POSIX_SESSION_PAM_ENV_H_
