#ifndef LOCALE_REPORT_POSIX_SESSION_SESSION_CHILD_H_
#define LOCALE_REPORT_POSIX_SESSION_SESSION_CHILD_H_

#include "capture.h"
#include "posix/session/ledger.h"

// What a new login session gets (see ReadNewSession), asked in a child
// process that writes its result back through a pipe, so that nothing the
// system does to it can hold up or harm the report: the child has about two
// seconds in all, its scripts a second each, and nothing it writes reaches
// the system log. Then it and every process it started, in its session or
// not, are killed: the report is their subreaper. A child that does not end
// in time, or crashes, is noted with what it was running; the ledger stays
// empty then ("C"), as it does where the stack cannot be read. Returns
// false where the settings cannot be loaded.
bool AskNewSession(SessionLedger* ledger, CaptureNotes* notes);

#endif  // LOCALE_REPORT_POSIX_SESSION_SESSION_CHILD_H_
