#include "posix/user_locale.h"

#include <langinfo.h>
#include <locale.h>

#include <unistd.h>

#include "posix/locale_notes.h"
#include "posix/locale_variables.h"
#include "posix/text.h"

namespace {

// What the user's locale says of `item`; where it could not be loaded, what
// "C", the program's own, says: the C library's own "C", which newlocale()
// gives without loading or allocating anything, spares an import.
const char* Info(nl_item item, locale_t user) {
  return nl_langinfo_l(item, user != nullptr ? user : newlocale(LC_ALL_MASK, "C", nullptr));
}

// Whether LOCPATH is set, and not empty, which the C library takes for
// none.
bool HasLocpath() {
  const char* value = EnvironmentValue("LOCPATH");
  return value != nullptr && value[0] != '\0';
}

void Take(UserLocale* user, locale_t loaded) {
  CopyText(user->time, Info(_NL_LOCALE_NAME(LC_TIME), loaded), sizeof user->time);
  CopyText(user->messages, Info(_NL_LOCALE_NAME(LC_MESSAGES), loaded), sizeof user->messages);
  CopyText(user->codeset, Info(CODESET, loaded), sizeof user->codeset);
}

}  // namespace

bool ReadUserLocale(UserLocale* user, CaptureNotes* notes) {
  const LocaleSettings environment = EnvironmentSettings();
  const locale_t loaded = newlocale(LC_ALL_MASK, "", nullptr);
  if (loaded == nullptr) NoteUnloadable(environment, FindUnloadable(environment), nullptr, notes);
  Take(user, loaded);
  // Not given back: the C library keeps a locale's files only while a
  // locale holds them, and a later load of the same locale from the same
  // place (the session's, where LOCPATH played no part) finds them loaded.
  return loaded != nullptr && !HasLocpath();
}

void CUserLocale(UserLocale* user) { Take(user, nullptr); }
