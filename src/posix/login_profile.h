#ifndef LOCALE_REPORT_POSIX_LOGIN_PROFILE_H_
#define LOCALE_REPORT_POSIX_LOGIN_PROFILE_H_

#include "capture.h"
#include "posix/locale_variables.h"

// What the login locale scripts left exported; the settings point into it.
struct ProfileOutput {
  char bytes[32768];
};

// Runs each of the distribution's login locale scripts there is, in the
// order /etc/profile sources them: /etc/profile.d/01-locale-fix.sh
// (Ubuntu), /etc/profile.d/lang.sh (Fedora, RHEL, openSUSE, SLES; else
// openSUSE's /usr/etc/profile.d/lang.sh), /etc/profile.d/locale.sh (Arch).
// Each is sourced by bash (or /bin/sh where there is no bash) as the user
// who runs the report, with standard input /dev/null and its output
// discarded, starting from `environment` (what pam_env set, "NAME=value"
// each, nullptr-ended, or nullptr), the user's HOME, USER, LOGNAME and
// SHELL, a plain PATH and `settings`; no TERM, as for a login that is not on
// a Linux console. `settings` becomes what it leaves exported, and sources[v]
// the script where it changed variable v. A script that root does not own
// alone (it, or its directory, can be written by others) is not run; one
// that has not ended within a second is stopped; either, or one that fails,
// is noted, and leaves the settings as they were.
void RunLocaleScripts(const char* const* environment, LocaleSettings* settings,
                      const char** sources, ProfileOutput* output, CaptureNotes* notes);

// Notes /etc/profile and each other /etc/profile.d/*.sh where a line sets
// LANG, LANGUAGE or an LC_ variable (as a statement of its own, exported or
// not): login shells run it, and may get another locale than the lines show.
void NoteProfileLocaleLines(CaptureNotes* notes);

#endif  // LOCALE_REPORT_POSIX_LOGIN_PROFILE_H_
