// The sources of a new session's locale, in the order they are applied, and
// what is noted of them.

#include "posix/system_locale.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "posix/locale_conf.h"
#include "posix/locale_notes.h"
#include "posix/login_profile.h"
#include "posix/pam_service.h"
#include "posix/regular_file.h"

namespace {

const char kLoginService[] = "login";
const char kSystemdLocaleConf[] = "/etc/locale.conf";

const char* ValueOf(const LocaleSettings& settings, size_t variable) {
  const char* value = settings.values[variable];
  return value != nullptr ? value : "";
}

// The first category (or LANGUAGE) in which `a` and `b` name other locales;
// kLocaleVariableCount where they agree.
size_t FirstDifference(const LocaleSettings& a, const LocaleSettings& b) {
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (kLocaleVariables[i].categoryMask == 0) continue;
    const LocaleVariable category = static_cast<LocaleVariable>(i);
    if (std::strcmp(CategoryLocale(a, category), CategoryLocale(b, category)) != 0) return i;
  }
  return std::strcmp(ValueOf(a, kLanguage), ValueOf(b, kLanguage)) == 0 ? kLocaleVariableCount
                                                                        : kLanguage;
}

// The session's variables as the login's pam_env sets them; false where
// they cannot be known.
bool AskLoginsPamEnv(SystemLocale* system, CaptureNotes* notes) {
  const bool stackKnown = ReadPamEnvLines(kSystemPamConfig, kLoginService, &system->stack, notes);
  if (!stackKnown) system->stack.count = 0;
  system->pamSourcesNamed = false;
  return AskPamEnv(system->stack, &system->pam, notes) && stackKnown;
}

// Where each setting comes from, once a note needs it: what pam_env set is
// told apart by running it again.
const char* const* Sources(SystemLocale* system) {
  if (!system->pamSourcesNamed) {
    NamePamEnvSources(system->pam, &system->pamSources);
    for (size_t i = 0; i < kLocaleVariableCount; ++i) {
      if (system->sources[i] == nullptr && system->pamSources.files[i][0] != '\0') {
        system->sources[i] = system->pamSources.files[i];
      }
    }
    system->pamSourcesNamed = true;
  }
  return system->sources;
}

// What services get from systemd (which ignores LC_ALL there), noted where
// it names other locales than login sessions get. PID 1 reads
// /etc/locale.conf, or, on Debian, /etc/default/locale where there is none:
// that one is what sessions read.
void NoteServicesLocale(SystemLocale* system, CaptureNotes* notes) {
  VariableStore& services = system->services;
  ClearVariables(&services);
  int fd;
  int result = OpenRegularFile(kSystemdLocaleConf, &fd);
  if (result == 0) {
    result = ReadLocaleConf(fd, &services, kSystemdLocaleConf);
    close(fd);
  }
  if (result != 0) {
    if (result != ENOENT) {
      AddNote(notes, kNoteUnreadable, kSystemdLocaleConf, nullptr, nullptr, result, nullptr);
    }
    return;
  }
  services.locale[kLcAll].value[0] = '\0';
  const LocaleSettings& session = system->settings;
  const size_t difference = FirstDifference(SettingsOf(services), session);
  if (difference == kLocaleVariableCount) return;
  const size_t deciding = difference == kLanguage
                              ? difference
                              : DecidingVariable(session, static_cast<LocaleVariable>(difference));
  const char* sessionsFile = deciding < kLocaleVariableCount ? Sources(system)[deciding] : nullptr;
  AddNote(notes, kNoteFilesDisagree, kSystemdLocaleConf, nullptr, nullptr, 0, sessionsFile);
}

}  // namespace

bool ReadSystemLocale(SystemLocale* system, CaptureNotes* notes) {
  const bool known = AskLoginsPamEnv(system, notes);
  system->settings = system->pam.settings;
  for (const char*& source : system->sources) source = nullptr;
  if (known) {
    char** const environment = PamEnvList(system->pam);
    RunLocaleScripts(environment, &system->settings, system->sources, &system->profile, notes);
    FreePamEnvList(environment);
  }
  NoteProfileLocaleLines(notes);
  if (!known) {
    for (const char*& value : system->settings.values) value = nullptr;
    return true;
  }
  NoteServicesLocale(system, notes);
  const Unloadable unloadable = FindUnloadable(system->settings);
  if (unloadable.count > 0) NoteUnloadable(system->settings, unloadable, Sources(system), notes);
  return unloadable.count == 0;
}
