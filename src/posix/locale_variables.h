#ifndef LOCALE_REPORT_POSIX_LOCALE_VARIABLES_H_
#define LOCALE_REPORT_POSIX_LOCALE_VARIABLES_H_

#include <cstddef>

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

// One row a variable, in LocaleVariable's order: its name, and the category
// mask newlocale() takes for the category it names (0 for LANG, LC_ALL and
// LANGUAGE, which name none of their own).
struct LocaleVariableRow {
  const char* name;
  int categoryMask;
};

extern const LocaleVariableRow kLocaleVariables[kLocaleVariableCount];

// A value for each variable, each nullptr or "" where it is not set.
struct LocaleSettings {
  const char* values[kLocaleVariableCount];
};

LocaleSettings EnvironmentSettings();

// The environment's value of `name` (its first entry, as getenv() gives it,
// which would be an import more bound at every start); nullptr where unset.
const char* EnvironmentValue(const char* name);

// The variable a category takes its locale from, as the C library picks it:
// LC_ALL, else the category's own variable, else LANG; kLocaleVariableCount
// where none is set, which is "C".
size_t DecidingVariable(const LocaleSettings& settings, LocaleVariable category);

// The locale that variable names, or "C".
const char* CategoryLocale(const LocaleSettings& settings, LocaleVariable category);

#endif  // LOCALE_REPORT_POSIX_LOCALE_VARIABLES_H_
