#ifndef LOCALE_REPORT_POSIX_VARIABLE_STORE_H_
#define LOCALE_REPORT_POSIX_VARIABLE_STORE_H_

#include <cstddef>

#include "posix/locale_variables.h"

// The longest value kept; no locale name comes near it.
const size_t kVariableValueMax = 255;
const size_t kVariableNameMax = 63;

struct StoredValue {
  // "" where the variable is not set, or set to nothing.
  char value[kVariableValueMax + 1];
  // The file that set it last; nullptr where none has.
  const char* source;
};

struct StoredVariable {
  char name[kVariableNameMax + 1];
  StoredValue setting;
};

// What files set, as a session's environment takes it: the locale variables,
// and as many others as there is room for, which a later ${NAME} in
// pam_env.conf may take. Zero-initialized, or cleared, it holds nothing.
struct VariableStore {
  StoredValue locale[kLocaleVariableCount];  // in LocaleVariable's order
  StoredVariable others[32];
  size_t otherCount;
};

// Empties it, at the cost of a few bytes rather than all of them.
void ClearVariables(VariableStore* store);

// Sets (or, with "", empties) the variable named by `name`, of `nameLength`
// bytes; the value is cut after kVariableValueMax bytes. A name longer than
// kVariableNameMax is no locale variable, and is dropped.
void SetVariable(VariableStore* store, const char* name, size_t nameLength, const char* value,
                 size_t valueLength, const char* source);

// "" where it is not set.
const char* VariableValue(const VariableStore& store, const char* name, size_t nameLength);

LocaleSettings SettingsOf(const VariableStore& store);

#endif  // LOCALE_REPORT_POSIX_VARIABLE_STORE_H_
