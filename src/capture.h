#ifndef LOCALE_REPORT_CAPTURE_H_
#define LOCALE_REPORT_CAPTURE_H_

#include <cstddef>

#include "locale_snapshot.h"

// Why a file cannot be read, besides an errno: it is a FIFO, device or
// socket, none of which is read, so that none can stall the report; or it
// has a line longer than its reader keeps.
const int kNotRegularFile = -1;
const int kLineTooLong = -2;

enum CaptureNoteKind {
  // `variable` names `value`, a locale that cannot be loaded, so that every
  // program that takes its whole locale from there runs in "C". For the
  // environment's, `error` is what new sessions of the user's kind do with
  // the variable (a SessionSetting), and `other` names what sets it where
  // they set it alike.
  kNoteUnloadable,
  // The file `source` exists but cannot be read: `error`, an errno,
  // kNotRegularFile or kLineTooLong.
  kNoteUnreadable,
  // `source`, a library or module, cannot be loaded, for `value`: the
  // system lines show sessions without it.
  kNoteNotLoaded,
  // The pam_env line `source` returns `value` (its error) where that fails
  // the login: new logins are refused.
  kNoteLoginRefused,
  // The file `source`, which services get, names other locales than
  // `other`, which login sessions get ("" where nothing of theirs sets it).
  // `value` is another name of `source`, which `other` reads, or "".
  kNoteFilesDisagree,
  // The file `source` sets no locale (`error` ENOENT: is missing), so that
  // services run in `value`, the service manager's default, while login
  // sessions get other locales from `other` ("" as kNoteFilesDisagree).
  kNoteServicesDefault,
  // The login locale script `source` is not run: others than root may
  // change it or a directory above it.
  kNoteScriptNotRun,
  // The login locale script `source` `value` (did not end in time, failed,
  // ...): the lines show sessions without it.
  kNoteScriptFailed,
  // The profile file `source` sets `variable` in a line login shells run,
  // which the report does not.
  kNoteProfileLine,
  // The stack file `source` is not read: the stack goes deeper, or has more
  // files, than is followed.
  kNoteStackCut,
  // pam_env, running the line `source`, says `value`.
  kNotePamEnvSaid,
  // Asking what a new session gets did not end: `source` (a pam_env line or
  // a login script) was under way when it `value` (took too long, crashed).
  kNoteSessionUnknown,
  // Loading the locale of the environment `value` (took too long, crashed):
  // every line shows "C".
  kNoteUserUnknown,
  // The pam_env auth line `source` returns `value` (its error) where that
  // fails a login that skips pam_authenticate; after it, libpam lets it
  // pass: logins without a password are refused, password logins go on.
  kNotePasswordlessRefused,
  // The pam_env line `source` of sshd's stack returns `value` (its error)
  // where that fails its call: new ssh sessions go on without it, and
  // without forwarding where `error` is 1 (a session line: sshd restricts
  // a session it could not open whole).
  kNoteSessionGoesOn,
};
const CaptureNoteKind kLastNoteKind = kNoteSessionGoesOn;

enum SessionSetting {
  kSessionSettingUnknown,
  kSessionsSetOtherwise,
  kSessionsDoNotSet,
  kSshSessionsDoNotSet,
  kSessionsSetAlike,
};

// More of a text than is ever shown.
const size_t kNoteTextMax = 511;

// What a capture noticed that the lines alone do not tell: why a line shows
// "C", or a file that could not be used.
struct CaptureNote {
  CaptureNoteKind kind;
  // Where it comes from (a file, a stack line); "" for the environment.
  char source[kNoteTextMax + 1];
  const char* variable;
  // The value, cut after kNoteTextMax bytes.
  char value[kNoteTextMax + 1];
  int error;
  char other[kNoteTextMax + 1];
};

// The environment's notes first, in the order locale(1) lists the variables
// (LANG, the categories, LC_ALL), then the system files'. Past the room
// there is, notes are counted in `dropped`.
struct CaptureNotes {
  CaptureNote notes[32];
  size_t count;
  size_t dropped;
};

// Asks the platform for the eight values, in the report's order, and notes
// what it could not honour. The only code that talks to the platform's
// locale services; each platform has its own.
LocaleSnapshot CaptureLocaleSnapshot(CaptureNotes* notes);

#endif  // LOCALE_REPORT_CAPTURE_H_
