#ifndef LOCALE_REPORT_POSIX_SESSION_LOGIN_SCRIPT_H_
#define LOCALE_REPORT_POSIX_SESSION_LOGIN_SCRIPT_H_

#include <cstddef>
#include <cstdint>

#include "capture.h"
#include "posix/session/ledger.h"

// A distribution's login locale script, run where it is there and
// `insteadOf` is not.
struct LocaleScript {
  const char* path;
  const char* insteadOf;
};

// In the order /etc/profile sources them: /etc/profile.d/01-locale-fix.sh
// (Ubuntu), /etc/profile.d/lang.sh (Fedora, RHEL, openSUSE, SLES; else
// openSUSE's /usr/etc/profile.d/lang.sh), /etc/profile.d/locale.sh (Arch).
extern const LocaleScript kLocaleScripts[];
extern const size_t kLocaleScriptCount;

// Runs each script there is over `ledger`, as a login shell sources it:
// bash (or /bin/sh where there is none), by its path, without start-up
// files, as the user who runs the report, with standard input /dev/null and
// its output discarded. It starts from `environment` (what pam_env set,
// "NAME=value" each, nullptr-ended, or nullptr) less what would make the
// shell or the loader run other code (BASH_ENV, LD_PRELOAD, ...), the
// user's HOME, USER, LOGNAME and SHELL where pam_env set none, a plain PATH,
// and the ledger's locale variables; no TERM, as for a login that is not on
// a Linux console. What it leaves exported goes into the ledger, with the
// script as its origin. A script is run only where it and every directory
// above it are root's alone, and the shell reads the very file that was
// checked. One that has not ended within a second, or by `deadline`
// (NowMs()'s clock), is stopped with its process group; it, one that fails,
// or one not run is noted, and leaves the ledger as it was.
void RunLocaleScripts(const char* const* environment, const SourceWatcher& watcher,
                      int64_t deadline, SessionLedger* ledger, CaptureNotes* notes);

// What a script's shell printed, env -0's NUL-ended entries, read into
// `ledger` with `origin`: each locale variable it has, and none of those it
// has not. False where the output is not whole (the shell did not end with
// an entry).
bool TakeScriptOutput(const char* output, size_t size, const char* origin, SessionLedger* ledger);

#endif  // LOCALE_REPORT_POSIX_SESSION_LOGIN_SCRIPT_H_
