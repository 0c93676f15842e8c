// The sources of a new session's locale, in the order they are applied, and
// what is noted of them.

#include "posix/session/new_session.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "posix/locale_notes.h"
#include "posix/regular_file.h"
#include "posix/session/locale_conf.h"
#include "posix/session/login_profile.h"
#include "posix/session/login_script.h"
#include "posix/session/pam_env.h"
#include "posix/session/pam_service.h"

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

// What services get from systemd (which ignores LC_ALL there), noted where
// it names other locales than login sessions get. PID 1 reads
// /etc/locale.conf, or, on Debian, /etc/default/locale where there is none:
// that one is what sessions read.
void NoteServicesLocale(const SessionLedger& ledger, CaptureNotes* notes) {
  VariableStore services;
  ClearVariables(&services);
  int fd;
  int result = OpenRegularFile(kSystemdLocaleConf, &fd);
  if (result == 0) {
    result = ReadLocaleConf(fd, &services);
    close(fd);
  }
  if (result != 0) {
    if (result != ENOENT) {
      AddNote(notes, kNoteUnreadable, kSystemdLocaleConf, nullptr, nullptr, result, nullptr);
    }
    return;
  }
  services.locale[kLcAll].value[0] = '\0';
  const LocaleSettings session = SettingsOf(ledger);
  const size_t difference = FirstDifference(SettingsOf(services), session);
  if (difference == kLocaleVariableCount) return;
  const size_t deciding = difference == kLanguage
                              ? difference
                              : DecidingVariable(session, static_cast<LocaleVariable>(difference));
  const char* sessions = deciding < kLocaleVariableCount ? ledger.origins[deciding] : nullptr;
  AddNote(notes, kNoteFilesDisagree, kSystemdLocaleConf, nullptr, nullptr, 0, sessions);
}

}  // namespace

bool ReadNewSession(const SourceWatcher& watcher, int64_t deadline, SessionLedger* ledger,
                    CaptureNotes* notes) {
  PamEnvLines lines;
  const bool known = ReadPamEnvLines(kSystemPamConfig, kLoginService, &lines, notes);
  if (known) {
    PamEnvRun run;
    AskPamEnv(lines, watcher, ledger, &run, notes);
    char** const environment = PamEnvList(run);
    RunLocaleScripts(environment, watcher, deadline, ledger, notes);
    FreePamEnvList(environment);
  }
  FreePamEnvLines(&lines);
  NoteProfileLocaleLines(notes);
  if (!known) {
    ClearLedger(ledger);
    return true;
  }
  NoteServicesLocale(*ledger, notes);
  const LocaleSettings settings = SettingsOf(*ledger);
  const Unloadable unloadable = FindUnloadable(settings);
  if (unloadable.count > 0) NoteUnloadable(settings, unloadable, ledger->origins, notes);
  return unloadable.count == 0;
}
