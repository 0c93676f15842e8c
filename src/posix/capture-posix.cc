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
#include "posix/locale_conf.h"
#include "posix/locale_environment.h"
#include "posix/locale_name_to_lcid.h"

namespace {

// The system-wide default locale, where systemd and Debian keep it; the first
// that exists counts.
const char* const kLocaleConfPaths[] = {"/etc/locale.conf", "/etc/default/locale"};

const char* FirstSet(const char* first, const char* second, const char* third) {
  if (first[0] != '\0') return first;
  if (second[0] != '\0') return second;
  if (third[0] != '\0') return third;
  return "C";
}

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

// gettext's rule: LANGUAGE, a list of languages by preference, is consulted
// unless messages are in the "C" locale.
uint32_t UserUiLcid(const char* messages) {
  const char* languages = std::getenv("LANGUAGE");
  if (languages != nullptr && std::strcmp(messages, "C") != 0 &&
      std::strcmp(messages, "POSIX") != 0) {
    // Its first entry; empty entries are skipped as gettext skips them.
    while (*languages == ':') ++languages;
    if (*languages != '\0') return LcidOf(languages, std::strcspn(languages, ":"));
  }
  return LcidOf(messages);
}

}  // namespace

LocaleSnapshot CaptureLocaleSnapshot(UnloadableSettings* unloadable) {
  LocaleConf conf = {};
  for (const char* path : kLocaleConfPaths) {
    if (ReadLocaleConf(path, &conf)) break;
  }
  const uint32_t systemLcid = LcidOf(FirstSet(conf.lcAll, conf.lcCtype, conf.lang));
  const uint32_t systemUiLcid = LcidOf(FirstSet(conf.lcAll, conf.lcMessages, conf.lang));

  // The user's locale as programs that take it from the environment get it:
  // the C library loads every category, or none where one cannot be loaded,
  // which leaves them all "C". Each name is read back before the next call.
  unloadable->count = 0;
  if (std::setlocale(LC_ALL, "") == nullptr) FindUnloadableSettings(unloadable);
  const uint32_t userLcid = LcidOf(std::setlocale(LC_TIME, nullptr));
  const uint32_t userUiLcid = UserUiLcid(std::setlocale(LC_MESSAGES, nullptr));
  const uint32_t codePage = CodePageForCodeset(nl_langinfo(CODESET));
  // The program's own messages stay in the locale it started in.
  std::setlocale(LC_ALL, "C");

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
