#ifndef LOCALE_REPORT_POSIX_SESSION_LOGIN_PROFILE_H_
#define LOCALE_REPORT_POSIX_SESSION_LOGIN_PROFILE_H_

#include <cstddef>

#include "capture.h"

// Notes /etc/profile and each other /etc/profile.d/*.sh where a line sets
// LANG, LANGUAGE or an LC_ variable (as a statement of its own, exported or
// not): login shells run it, and may get another locale than the lines show.
void NoteProfileLocaleLines(CaptureNotes* notes);

// The first locale variable a shell line (without its newline) sets in a
// statement of its own, or nullptr.
const char* ProfileLineSets(const char* line, size_t length);

#endif  // LOCALE_REPORT_POSIX_SESSION_LOGIN_PROFILE_H_
