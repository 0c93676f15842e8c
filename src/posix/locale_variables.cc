#include "posix/locale_variables.h"

#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

const char* const kLocaleVariableNames[kLocaleVariableCount] = {
    "LANG",         "LC_CTYPE",       "LC_NUMERIC",        "LC_TIME", "LC_COLLATE",
    "LC_MONETARY",  "LC_MESSAGES",    "LC_PAPER",          "LC_NAME", "LC_ADDRESS",
    "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION", "LC_ALL",  "LANGUAGE",
};

namespace {

struct Category {
  LocaleVariable variable;
  int mask;
};

// Every category the C library sets from the environment; the last six are
// glibc's own.
const Category kCategories[] = {
    {kLcCtype, LC_CTYPE_MASK},
    {kLcNumeric, LC_NUMERIC_MASK},
    {kLcTime, LC_TIME_MASK},
    {kLcCollate, LC_COLLATE_MASK},
    {kLcMonetary, LC_MONETARY_MASK},
    {kLcMessages, LC_MESSAGES_MASK},
#ifdef LC_IDENTIFICATION_MASK
    {kLcPaper, LC_PAPER_MASK},
    {kLcName, LC_NAME_MASK},
    {kLcAddress, LC_ADDRESS_MASK},
    {kLcTelephone, LC_TELEPHONE_MASK},
    {kLcMeasurement, LC_MEASUREMENT_MASK},
    {kLcIdentification, LC_IDENTIFICATION_MASK},
#endif
};

bool IsSet(const char* value) { return value != nullptr && value[0] != '\0'; }

// The variable the category's locale comes from, or kLocaleVariableCount for
// none, which is "C".
size_t DecidingVariable(const LocaleSettings& settings, LocaleVariable category) {
  for (const LocaleVariable variable : {kLcAll, category, kLang}) {
    if (IsSet(settings.values[variable])) return variable;
  }
  return kLocaleVariableCount;
}

}  // namespace

LocaleSettings EnvironmentSettings() {
  LocaleSettings settings;
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    settings.values[i] = std::getenv(kLocaleVariableNames[i]);
  }
  return settings;
}

const char* CategoryLocale(const LocaleSettings& settings, LocaleVariable category) {
  const size_t variable = DecidingVariable(settings, category);
  return variable < kLocaleVariableCount ? settings.values[variable] : "C";
}

size_t NoteUnloadable(const LocaleSettings& settings, const char* source, CaptureNotes* notes) {
  bool unloadable[kLocaleVariableCount] = {};
  for (const Category& category : kCategories) {
    const size_t variable = DecidingVariable(settings, category.variable);
    if (variable == kLocaleVariableCount || unloadable[variable]) continue;
    const locale_t loaded = newlocale(category.mask, settings.values[variable], nullptr);
    if (loaded == nullptr) {
      unloadable[variable] = true;
    } else {
      freelocale(loaded);
    }
  }
  size_t count = 0;
  for (size_t variable = 0; variable < kLocaleVariableCount; ++variable) {
    if (!unloadable[variable]) continue;
    AddNote(notes, kNoteUnloadable, source, kLocaleVariableNames[variable],
            settings.values[variable], 0, nullptr);
    ++count;
  }
  return count;
}

void AddNote(CaptureNotes* notes, CaptureNoteKind kind, const char* source, const char* variable,
             const char* value, int error, const char* other) {
  if (notes->count == sizeof notes->notes / sizeof notes->notes[0]) return;
  CaptureNote& note = notes->notes[notes->count++];
  note.kind = kind;
  note.source = source;
  note.variable = variable;
  note.value[0] = '\0';
  if (value != nullptr) std::strncat(note.value, value, kNoteValueMax);
  note.error = error;
  note.other = other;
}
