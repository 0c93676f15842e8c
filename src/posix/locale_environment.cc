#include "posix/locale_environment.h"

#include <clocale>
#include <cstdlib>

namespace {

struct Category {
  int category;
  const char* variable;
};

// Every category the C library sets from the environment, in locale(1)'s
// order; the last six are glibc's own.
const Category kCategories[] = {
    {LC_CTYPE, "LC_CTYPE"},
    {LC_NUMERIC, "LC_NUMERIC"},
    {LC_TIME, "LC_TIME"},
    {LC_COLLATE, "LC_COLLATE"},
    {LC_MONETARY, "LC_MONETARY"},
    {LC_MESSAGES, "LC_MESSAGES"},
#ifdef LC_IDENTIFICATION
    {LC_PAPER, "LC_PAPER"},
    {LC_NAME, "LC_NAME"},
    {LC_ADDRESS, "LC_ADDRESS"},
    {LC_TELEPHONE, "LC_TELEPHONE"},
    {LC_MEASUREMENT, "LC_MEASUREMENT"},
    {LC_IDENTIFICATION, "LC_IDENTIFICATION"},
#endif
};
const size_t kCategoryCount = sizeof kCategories / sizeof kCategories[0];

// The variables in the order they are reported: LANG, the categories', LC_ALL.
const size_t kLang = 0;
const size_t kLcAll = kCategoryCount + 1;
static_assert(kLcAll < sizeof UnloadableSettings::settings / sizeof(UnloadableSetting),
              "every variable fits");

const char* VariableName(size_t variable) {
  if (variable == kLang) return "LANG";
  if (variable == kLcAll) return "LC_ALL";
  return kCategories[variable - 1].variable;
}

// Set and not empty, as the C library counts a variable.
bool IsSet(size_t variable) {
  const char* value = std::getenv(VariableName(variable));
  return value != nullptr && value[0] != '\0';
}

}  // namespace

void FindUnloadableSettings(UnloadableSettings* unloadable) {
  bool unloadableVariable[kLcAll + 1] = {};
  for (size_t i = 0; i < kCategoryCount; ++i) {
    size_t variable = kLcAll;
    if (!IsSet(variable)) variable = i + 1;
    if (!IsSet(variable)) variable = kLang;
    if (!IsSet(variable)) continue;  // "C", which always loads
    // The C library itself is asked, one category at a time, and each
    // category is put back to "C" at once.
    const int category = kCategories[i].category;
    if (std::setlocale(category, std::getenv(VariableName(variable))) == nullptr) {
      unloadableVariable[variable] = true;
    } else {
      std::setlocale(category, "C");
    }
  }
  for (size_t variable = 0; variable <= kLcAll; ++variable) {
    if (!unloadableVariable[variable]) continue;
    unloadable->settings[unloadable->count++] = {VariableName(variable),
                                                 std::getenv(VariableName(variable))};
  }
}
