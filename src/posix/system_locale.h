#ifndef LOCALE_REPORT_POSIX_SYSTEM_LOCALE_H_
#define LOCALE_REPORT_POSIX_SYSTEM_LOCALE_H_

#include "capture.h"
#include "posix/locale_variables.h"
#include "posix/login_profile.h"
#include "posix/pam_env_session.h"
#include "posix/variable_store.h"

// The system-wide default locale as a new login session gets it.
struct SystemLocale {
  // What the installed pam_env sets, as the login PAM service runs it, and
  // where from, named once a note needs it.
  PamEnvLines stack;
  PamEnvSession pam;
  PamEnvSources pamSources;
  bool pamSourcesNamed;
  // What the distribution's login locale scripts leave.
  ProfileOutput profile;
  // systemd's /etc/locale.conf, what services get.
  VariableStore services;
  // A new session's settings, and the file each comes from.
  LocaleSettings settings;
  const char* sources[kLocaleVariableCount];
};

// Reads it into `system`, which is not to be copied, in the order a login
// applies it: pam_env, as the login PAM service calls it, then the
// distribution's login locale script (see RunLocaleScripts), where there
// is one. Notes what the stack, pam_env and the scripts make known (see
// ReadPamEnvLines, AskPamEnv and RunLocaleScripts), other profile lines that
// set a locale, /etc/locale.conf (what services get) naming other locales
// than sessions get, and each variable whose locale cannot be loaded. Where
// the settings cannot be known, they are empty ("C"). Returns false where
// they cannot be loaded: new sessions run in "C" then. A session has no
// LOCPATH; the caller takes it out of the environment first.
bool ReadSystemLocale(SystemLocale* system, CaptureNotes* notes);

#endif  // LOCALE_REPORT_POSIX_SYSTEM_LOCALE_H_
