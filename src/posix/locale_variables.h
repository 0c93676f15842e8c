#ifndef LOCALE_REPORT_POSIX_LOCALE_VARIABLES_H_
#define LOCALE_REPORT_POSIX_LOCALE_VARIABLES_H_

#include <cstddef>

#include "capture.h"

// The variables that set a locale category, in locale(1)'s order (LANG, the
// categories', LC_ALL), then gettext's LANGUAGE.
enum LocaleVariable {
  kLang,
  kLcCtype,
  kLcNumeric,
  kLcTime,
  kLcCollate,
  kLcMonetary,
  kLcMessages,
  kLcPaper,
  kLcName,
  kLcAddress,
  kLcTelephone,
  kLcMeasurement,
  kLcIdentification,
  kLcAll,
  kLanguage,
  kLocaleVariableCount
};

extern const char* const kLocaleVariableNames[kLocaleVariableCount];

// Where the variables come from (the environment, a system locale file),
// each nullptr or "" where it is not set.
struct LocaleSettings {
  const char* values[kLocaleVariableCount];
};

LocaleSettings EnvironmentSettings();

// The locale a category takes from the settings, as the C library picks it:
// LC_ALL, else the category's own variable, else LANG, else "C".
const char* CategoryLocale(const LocaleSettings& settings, LocaleVariable category);

// Notes each variable whose locale the C library cannot load for a category
// that takes its locale from it, with `source` as where it comes from, and
// returns how many there are. Each category is loaded apart from the
// program's own locale (newlocale), which stays as it was.
size_t NoteUnloadable(const LocaleSettings& settings, const char* source, CaptureNotes* notes);

// Adds a note, as far as there is room; a value is cut after kNoteValueMax.
void AddNote(CaptureNotes* notes, CaptureNoteKind kind, const char* source, const char* variable,
             const char* value, int error, const char* other);

#endif  // LOCALE_REPORT_POSIX_LOCALE_VARIABLES_H_
