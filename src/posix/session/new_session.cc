// The sources of a new session's locale, in the order they are applied, and
// what is noted of them.

#include "posix/session/new_session.h"

#include <cstring>

#include "posix/locale_notes.h"
#include "posix/session/login_profile.h"
#include "posix/session/login_script.h"
#include "posix/session/pam_env.h"
#include "posix/session/pam_service.h"
#include "posix/session/services_locale.h"
#include "posix/text.h"

namespace {

// The way the user came in: sshd sets the credentials, then opens the
// session; login (shadow's) opens the session, then sets the credentials,
// and util-linux's sets them both before and after, which leaves the same.
struct Service {
  const char* name;
  PamStackType first;
  PamFailures failures;
};
const Service kLogin = {"login", kPamSession, kFailureRefuses};
const Service kSshd = {"sshd", kPamAuth, kFailureGoesOn};

// What new sessions of the user's kind do with each variable of the
// environment whose locale cannot be loaded: where they do not set it, it
// came from elsewhere, and where they set it alike, from what set it there.
void NoteUserSettings(const SessionLedger& ledger, bool ssh, CaptureNotes* notes) {
  const LocaleSettings environment = EnvironmentSettings();
  for (size_t i = 0; i < notes->count; ++i) {
    CaptureNote& note = notes->notes[i];
    if (note.kind != kNoteUnloadable || note.source[0] != '\0') continue;
    size_t variable = 0;
    while (variable < kLocaleVariableCount && kLocaleVariables[variable].name != note.variable) {
      ++variable;
    }
    if (variable == kLocaleVariableCount) continue;
    const char* const session = ledger.values[variable];
    const char* const own = environment.values[variable];
    if (session == nullptr) {
      note.error = ssh ? kSshSessionsDoNotSet : kSessionsDoNotSet;
    } else if (own != nullptr && std::strcmp(own, session) == 0 &&
               ledger.origins[variable] != nullptr) {
      note.error = kSessionsSetAlike;
      CopyText(note.other, ledger.origins[variable], sizeof note.other);
    } else {
      note.error = kSessionsSetOtherwise;
    }
  }
}

}  // namespace

bool ReadNewSession(const SourceWatcher& watcher, int64_t deadline, SessionLedger* ledger,
                    CaptureNotes* notes, const LocaleSettings* loaded) {
  // sshd sets SSH_CONNECTION in the sessions it opens.
  const bool ssh = EnvironmentValue("SSH_CONNECTION") != nullptr;
  const Service& service = ssh ? kSshd : kLogin;
  PamEnvLines lines;
  const bool known = ReadPamEnvLines(kSystemPamConfig, service.name, service.first, &lines, notes);
  if (known) {
    PamEnvRun run;
    AskPamEnv(lines, service.failures, watcher, ledger, &run, notes);
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
  NoteUserSettings(*ledger, ssh, notes);
  NoteServicesLocale(*ledger, watcher, notes);
  const LocaleSettings settings = SettingsOf(*ledger);
  // Loading the session's locale can stall as well: no source is under way
  // then, but the asking as a whole.
  watcher.started(watcher.context, "");
  const Unloadable unloadable = FindUnloadable(settings, loaded);
  if (unloadable.count > 0) NoteUnloadable(settings, unloadable, ledger->origins, notes);
  return unloadable.count == 0;
}
