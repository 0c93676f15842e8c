#include "posix/system_locale.h"

#include <cerrno>
#include <cstring>

namespace {

struct LocaleFile {
  const char* path;
  LocaleConfSyntax syntax;
};

const LocaleFile kLocaleFiles[] = {
    {"/etc/locale.conf", kLocaleConfSyntax},
    {"/etc/default/locale", kEnvFileSyntax},
};

// Whether every category, and the interface languages, come out the same.
bool SameLocales(const LocaleConf& first, const LocaleConf& second) {
  const LocaleSettings a = SettingsOf(first);
  const LocaleSettings b = SettingsOf(second);
  for (int category = kLcCtype; category <= kLcIdentification; ++category) {
    const LocaleVariable variable = static_cast<LocaleVariable>(category);
    if (std::strcmp(CategoryLocale(a, variable), CategoryLocale(b, variable)) != 0) return false;
  }
  return std::strcmp(first.values[kLanguage], second.values[kLanguage]) == 0;
}

}  // namespace

bool ReadSystemLocale(LocaleConf* conf, CaptureNotes* notes) {
  const char* counting = nullptr;
  bool countingRead = false;
  LocaleConf other;
  for (const LocaleFile& file : kLocaleFiles) {
    LocaleConf* into = counting == nullptr ? conf : &other;
    const int result = ReadLocaleConf(file.path, file.syntax, into);
    if (result == ENOENT) continue;
    if (result != kLocaleConfRead) {
      AddNote(notes, kNoteUnreadable, file.path, nullptr, nullptr,
              result == kLocaleConfNotRegular ? 0 : result, nullptr);
    }
    if (counting == nullptr) {
      counting = file.path;
      countingRead = result == kLocaleConfRead;
    } else if (countingRead && result == kLocaleConfRead && !SameLocales(*conf, other)) {
      AddNote(notes, kNoteFilesDisagree, counting, nullptr, nullptr, 0, file.path);
    }
  }
  return counting == nullptr || NoteUnloadable(SettingsOf(*conf), counting, notes) == 0;
}
