#include "posix/locale_variables.h"

#include <locale.h>

#include <unistd.h>

#include <cstdlib>
#include <initializer_list>

// The last six categories are glibc's own; elsewhere they are no category.
#ifndef LC_IDENTIFICATION_MASK
#define LC_PAPER_MASK 0
#define LC_NAME_MASK 0
#define LC_ADDRESS_MASK 0
#define LC_TELEPHONE_MASK 0
#define LC_MEASUREMENT_MASK 0
#define LC_IDENTIFICATION_MASK 0
#endif

const LocaleVariableRow kLocaleVariables[kLocaleVariableCount] = {
    {"LANG", 0},
    {"LC_CTYPE", LC_CTYPE_MASK},
    {"LC_NUMERIC", LC_NUMERIC_MASK},
    {"LC_TIME", LC_TIME_MASK},
    {"LC_COLLATE", LC_COLLATE_MASK},
    {"LC_MONETARY", LC_MONETARY_MASK},
    {"LC_MESSAGES", LC_MESSAGES_MASK},
    {"LC_PAPER", LC_PAPER_MASK},
    {"LC_NAME", LC_NAME_MASK},
    {"LC_ADDRESS", LC_ADDRESS_MASK},
    {"LC_TELEPHONE", LC_TELEPHONE_MASK},
    {"LC_MEASUREMENT", LC_MEASUREMENT_MASK},
    {"LC_IDENTIFICATION", LC_IDENTIFICATION_MASK},
    {"LC_ALL", 0},
    {"LANGUAGE", 0},
};

namespace {

bool IsSet(const char* value) { return value != nullptr && value[0] != '\0'; }

}  // namespace

LocaleSettings EnvironmentSettings() {
  // One pass over the environment, where getenv() would make one a variable;
  // the first entry of a name counts, as for getenv().
  LocaleSettings settings = {};
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if ((*entry)[0] != 'L') continue;
    for (size_t i = 0; i < kLocaleVariableCount; ++i) {
      const char* name = kLocaleVariables[i].name;
      size_t length = 0;
      while (name[length] != '\0' && name[length] == (*entry)[length]) ++length;
      if (name[length] != '\0' || (*entry)[length] != '=') continue;
      if (settings.values[i] == nullptr) settings.values[i] = *entry + length + 1;
      break;
    }
  }
  return settings;
}

const char* EnvironmentValue(const char* name) {
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const char* a = *entry;
    const char* b = name;
    while (*b != '\0' && *a == *b) {
      ++a;
      ++b;
    }
    if (*b == '\0' && *a == '=') return a + 1;
  }
  return nullptr;
}

size_t DecidingVariable(const LocaleSettings& settings, LocaleVariable category) {
  for (const LocaleVariable variable : {kLcAll, category, kLang}) {
    if (IsSet(settings.values[variable])) return variable;
  }
  return kLocaleVariableCount;
}

const char* CategoryLocale(const LocaleSettings& settings, LocaleVariable category) {
  const size_t variable = DecidingVariable(settings, category);
  return variable < kLocaleVariableCount ? settings.values[variable] : "C";
}
