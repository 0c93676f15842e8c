#ifndef LOCALE_REPORT_POSIX_USER_LOCALE_H_
#define LOCALE_REPORT_POSIX_USER_LOCALE_H_

#include "capture.h"

// The user's locale as programs that take it from the environment get it
// (setlocale(LC_ALL, "")), by the names the C library gives what it loaded.
struct UserLocale {
  char time[kNoteTextMax + 1];      // LC_TIME's locale
  char messages[kNoteTextMax + 1];  // LC_MESSAGES's
  char codeset[kNoteTextMax + 1];   // LC_CTYPE's codeset
};

// Loads it: every category, or none where one cannot be loaded, which
// leaves them all "C", as the C library does; notes each variable of the
// environment whose locale cannot be loaded. It is loaded apart, so that
// the program's own locale stays "C", and kept loaded for the rest of the
// process (the asking child's, which is short). Returns whether it loaded
// from the system's locales alone, without LOCPATH: a new session's
// locales, where they are the same, then load too.
bool ReadUserLocale(UserLocale* user, CaptureNotes* notes);

// What a user locale that cannot be known is: "C".
void CUserLocale(UserLocale* user);

#endif  // LOCALE_REPORT_POSIX_USER_LOCALE_H_
