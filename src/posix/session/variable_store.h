#ifndef LOCALE_REPORT_POSIX_SESSION_VARIABLE_STORE_H_
#define LOCALE_REPORT_POSIX_SESSION_VARIABLE_STORE_H_

#include <cstddef>

#include "posix/locale_variables.h"

// The longest value kept: as long as a line of the file may be, so that
// nothing is cut.
const size_t kVariableValueMax = 1023;

struct StoredValue {
  // "" where the variable is not set, or set to nothing.
  char value[kVariableValueMax + 1];
};

// The locale variables a file sets, in LocaleVariable's order.
struct VariableStore {
  StoredValue locale[kLocaleVariableCount];
};

// Empties it, at the cost of a few bytes rather than all of them.
void ClearVariables(VariableStore* store);

// Sets (or, with "", empties) the variable named by `name`, of `nameLength`
// bytes, where it is a locale variable; the value is cut after
// kVariableValueMax bytes.
void SetVariable(VariableStore* store, const char* name, size_t nameLength, const char* value,
                 size_t valueLength);

LocaleSettings SettingsOf(const VariableStore& store);

#endif  // LOCALE_REPORT_POSIX_SESSION_VARIABLE_STORE_H_
