#ifndef LOCALE_REPORT_POSIX_SESSION_LEDGER_H_
#define LOCALE_REPORT_POSIX_SESSION_LEDGER_H_

#include <cstddef>

#include "posix/locale_variables.h"

// A new session's locale variables as its sources set them one after the
// other, and which source set each last. It owns every text in it.
struct SessionLedger {
  // nullptr where the variable is not set.
  char* values[kLocaleVariableCount];
  // The pam_env line ("FILE: MODULE ARGUMENTS") or script that set it last;
  // nullptr where none has.
  char* origins[kLocaleVariableCount];
};

// Told each time a source starts (a pam_env line, "FILE: MODULE
// ARGUMENTS", or a script's path), so that one that never ends can be named.
struct SourceWatcher {
  void (*started)(void* context, const char* source);
  void* context;
};

// Takes `value` (nullptr: unset) for `variable` where it is another than
// the ledger has, and `origin` as what set it. False where there was no
// memory for it, which leaves the variable as it was.
bool RecordValue(SessionLedger* ledger, size_t variable, const char* value, const char* origin);

LocaleSettings SettingsOf(const SessionLedger& ledger);

// Gives back every text, and leaves it empty.
void ClearLedger(SessionLedger* ledger);

#endif  // LOCALE_REPORT_POSIX_SESSION_LEDGER_H_
