#ifndef LOCALE_REPORT_POSIX_SESSION_NEW_SESSION_H_
#define LOCALE_REPORT_POSIX_SESSION_NEW_SESSION_H_

#include <cstdint>

#include "capture.h"
#include "posix/session/ledger.h"

// The system-wide default locale as a new session of the user's kind gets
// it (inside ssh, sshd's; else a login's), into `ledger` (which comes
// empty), in the order it is applied: pam_env, as the PAM service calls it
// (see AskPamEnv), then the distribution's login locale scripts (see
// RunLocaleScripts), by `deadline` (NowMs()'s clock). Notes what the stack,
// pam_env and the scripts make known, other profile lines that set a
// locale, services that get other locales (see NoteServicesLocale), and
// each variable whose locale cannot be loaded, by the source that set it;
// and tells the environment's notes of such variables what sessions do with
// them (see kNoteUnloadable). Where the stack cannot be read, the ledger
// stays empty ("C"). Returns false where the settings cannot be loaded: new
// sessions run in "C" then. A session has no LOCPATH; the caller takes it
// out of the environment first. `loaded`: settings whose locales are known
// to load without it, or nullptr (see FindUnloadable).
bool ReadNewSession(const SourceWatcher& watcher, int64_t deadline, SessionLedger* ledger,
                    CaptureNotes* notes, const LocaleSettings* loaded);

#endif  // LOCALE_REPORT_POSIX_SESSION_NEW_SESSION_H_
