#ifndef LOCALE_REPORT_POSIX_SYSTEM_LOCALE_H_
#define LOCALE_REPORT_POSIX_SYSTEM_LOCALE_H_

#include "capture.h"
#include "posix/variable_store.h"

// The system-wide default locale as a new login session gets it, in
// `session` (whose sources serve the notes made here, and are not to be
// read once it returns):
// - pam_env, as the login PAM service calls it (/etc/pam.d/login, or
//   Debian's stack where there is none): for each of its lines, its conffile
//   and then, with readenv, its envfile; later settings replace earlier ones;
// - then systemd's /etc/locale.conf, LC_ALL aside, where no pam_env line
//   names an envfile of its own (as Debian's /etc/default/locale) and PAM set
//   no LANG: login profile scripts fill it in there.
// Notes each file that is there but cannot be read (the lines are then C),
// each variable whose locale cannot be loaded, and /etc/locale.conf, which
// services get, naming other locales than sessions get. Returns false where
// that default cannot be loaded in a session, which has no LOCPATH: new
// sessions run in "C" then. Takes LOCPATH out of the program's environment.
bool ReadSystemLocale(VariableStore* session, CaptureNotes* notes);

#endif  // LOCALE_REPORT_POSIX_SYSTEM_LOCALE_H_
