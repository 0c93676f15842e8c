#ifndef LOCALE_REPORT_POSIX_ASKING_CHILD_H_
#define LOCALE_REPORT_POSIX_ASKING_CHILD_H_

#include "capture.h"
#include "posix/session/ledger.h"
#include "posix/user_locale.h"

// The user's locale (see ReadUserLocale), then what a new login session
// gets (see ReadNewSession, without LOCPATH, which no session has), asked in
// a child process that writes its result back through a pipe, so that
// nothing the system does can hold up or harm the report: the child has
// about two seconds in all, its scripts a second each, and nothing it
// writes reaches the system log. Then it and every process it started, in
// its session or not, are killed: the report is their subreaper. A child
// that does not end in time, or crashes, is noted with what it was running;
// what it had not said is "C" then: the user's locale, or the session's
// ledger, which also stays empty where the stack cannot be read. Returns
// false where the session's settings cannot be loaded.
bool AskLocales(UserLocale* user, SessionLedger* ledger, CaptureNotes* notes);

#endif  // LOCALE_REPORT_POSIX_ASKING_CHILD_H_
