// The values on a POSIX system: identifiers of the Windows locales that match
// the system's and the user's locale settings, and the Windows code page of
// the user's codeset.

#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "capture.h"
#include "posix/codeset_code_page.h"
#include "posix/libc_alias_table.h"
#include "posix/locale_name_to_lcid.h"
#include "posix/locale_notes.h"
#include "posix/locale_variables.h"
#include "posix/session/ledger.h"
#include "posix/session/session_child.h"

namespace {

// A name Windows has no locale for may be one of the C library's aliases,
// which it reads as the name the alias stands for. A name Windows knows as it
// stands, or "C", costs no look into the alias file.
uint32_t LcidOf(const char* name, size_t length) {
  const uint32_t lcid = LocaleNameToLcid(name, length);
  LocaleAliasTarget target;
  if (lcid != kLcidCustomDefault || !ExpandLocaleAlias(name, length, &target)) return lcid;
  return LocaleNameToLcid(target.name, std::strlen(target.name));
}

uint32_t LcidOf(const char* name) { return LcidOf(name, std::strlen(name)); }

uint32_t UiLcidOf(const char* name, size_t length) {
  const uint32_t lcid = LcidOf(name, length);
  return lcid == kLcidCustomDefault ? kLcidCustomUiDefault : lcid;
}

bool IsC(const char* name) {
  return std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0;
}

// gettext's rule: LANGUAGE, a list of languages by preference, is consulted
// unless messages are in the "C" locale. Its empty entries are skipped, and
// where it has nothing else, messages are left untranslated.
uint32_t UiLcid(const char* languages, const char* messages) {
  if (languages != nullptr && languages[0] != '\0' && !IsC(messages)) {
    while (*languages == ':') ++languages;
    if (*languages == '\0') return kLcidInvariant;
    return UiLcidOf(languages, std::strcspn(languages, ":"));
  }
  return UiLcidOf(messages, std::strlen(messages));
}

// What the user's locale says of `item`; where it could not be loaded, what
// "C", the program's own, says.
const char* Info(nl_item item, locale_t user) {
  return user != nullptr ? nl_langinfo_l(item, user) : nl_langinfo(item);
}

}  // namespace

LocaleSnapshot CaptureLocaleSnapshot(CaptureNotes* notes) {
  notes->count = notes->dropped = 0;
  // The user's locale as programs that take it from the environment get it
  // (setlocale(LC_ALL, "")): the C library loads every category, or none
  // where one cannot be loaded, which leaves them all "C". It is loaded
  // apart, so that the program's own messages stay in "C".
  const LocaleSettings environment = EnvironmentSettings();
  const locale_t user = newlocale(LC_ALL_MASK, "", nullptr);
  if (user == nullptr) NoteUnloadable(environment, FindUnloadable(environment), nullptr, notes);
  const uint32_t userLcid = LcidOf(Info(_NL_LOCALE_NAME(LC_TIME), user));
  const uint32_t userUiLcid =
      UiLcid(environment.values[kLanguage], Info(_NL_LOCALE_NAME(LC_MESSAGES), user));
  const uint32_t codePage = CodePageForCodeset(Info(CODESET, user));
  if (user != nullptr) freelocale(user);

  // The system's default, as new sessions get it; "C" where they cannot.
  // A new session has no LOCPATH: its locales come from the system alone.
  unsetenv("LOCPATH");
  SessionLedger session;
  const bool loadable = AskNewSession(&session, notes);
  uint32_t systemLcid = kLcidInvariant;
  uint32_t systemUiLcid = kLcidInvariant;
  if (loadable) {
    const LocaleSettings system = SettingsOf(session);
    systemLcid = LcidOf(CategoryLocale(system, kLcCtype));
    systemUiLcid = UiLcid(system.values[kLanguage], CategoryLocale(system, kLcMessages));
  }
  ClearLedger(&session);

  LocaleSnapshot snapshot;
  snapshot.systemLcid = systemLcid;
  snapshot.userLcid = userLcid;
  // A language identifier is the low 16 bits of a locale identifier.
  snapshot.systemLangId = static_cast<uint16_t>(systemLcid & 0xFFFF);
  snapshot.userLangId = static_cast<uint16_t>(userLcid & 0xFFFF);
  snapshot.systemUiLanguage = static_cast<uint16_t>(systemUiLcid & 0xFFFF);
  snapshot.userUiLanguage = static_cast<uint16_t>(userUiLcid & 0xFFFF);
  snapshot.ansiCodePage = codePage;
  snapshot.oemCodePage = codePage;
  return snapshot;
}
