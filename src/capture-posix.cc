// The values on a POSIX system: identifiers of the Windows locales that match
// the system's and the user's locale settings, and the Windows code page of
// the user's codeset.

#include <cstring>

#include "capture.h"
#include "posix/asking_child.h"
#include "posix/codeset_code_page.h"
#include "posix/libc_alias_table.h"
#include "posix/locale_name_to_lcid.h"
#include "posix/locale_notes.h"
#include "posix/locale_variables.h"
#include "posix/session/ledger.h"
#include "posix/user_locale.h"

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

}  // namespace

LocaleSnapshot CaptureLocaleSnapshot(CaptureNotes* notes) {
  notes->count = notes->dropped = 0;
  // The user's locale, and the system's default as new sessions get it
  // ("C" where they cannot), each loaded in a child that cannot hold up the
  // report: a FIFO where the C library looks for a locale would.
  UserLocale user;
  SessionLedger session;
  const bool loadable = AskLocales(&user, &session, notes);
  const LocaleSettings environment = EnvironmentSettings();
  const uint32_t userLcid = LcidOf(user.time);
  const uint32_t userUiLcid = UiLcid(environment.values[kLanguage], user.messages);
  const uint32_t codePage = CodePageForCodeset(user.codeset);

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
