// The sources of a new session's locale, in the order they are applied, and
// what is noted of them.

#include "posix/system_locale.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "posix/locale_conf.h"
#include "posix/locale_notes.h"
#include "posix/pam_env_conf.h"
#include "posix/pam_env_file.h"
#include "posix/pam_service.h"
#include "posix/regular_file.h"

namespace {

const char kPamDirectory[] = "/etc/pam.d";
const char kLoginService[] = "login";
const char kSystemdLocaleConf[] = "/etc/locale.conf";

// Debian's login stack, taken where the system has none.
const PamEnvCall kDebianLoginCalls[] = {
    {"/etc/security/pam_env.conf", "/etc/environment", true},
    {"/etc/security/pam_env.conf", "/etc/default/locale", true},
};

enum Syntax { kSystemdSyntax, kPamEnvFileSyntax, kPamEnvConfSyntax };

// @{ITEM} in a conffile, for a local login of the user who runs the report:
// the user's name, home and shell. Items a login sets as it goes (PAM_TTY,
// PAM_RHOST, ...) are nothing here.
const char* LoginItem(const char* item) {
  const bool name = std::strcmp(item, "PAM_USER") == 0;
  const bool home = std::strcmp(item, "HOME") == 0;
  if (!name && !home && std::strcmp(item, "SHELL") != 0) return nullptr;
  const passwd* entry = getpwuid(getuid());
  if (entry == nullptr) return nullptr;
  return name ? entry->pw_name : home ? entry->pw_dir : entry->pw_shell;
}

// Reads one file into `store`, counting a conffile's setting lines in
// `lines` where given. Returns 0, ENOENT where it is not there,
// kPamEnvConfAborted, or (noted) why it cannot be read.
int ReadSource(const char* path, Syntax syntax, VariableStore* store, CaptureNotes* notes,
               size_t* lines = nullptr) {
  int fd;
  int result = OpenRegularFile(path, &fd);
  if (result == 0) {
    switch (syntax) {
      case kSystemdSyntax:
        result = ReadLocaleConf(fd, store, path);
        break;
      case kPamEnvFileSyntax:
        result = ReadPamEnvFile(fd, store, path);
        break;
      case kPamEnvConfSyntax: {
        size_t uncounted;
        result = ReadPamEnvConf(fd, LoginItem, store, path, lines != nullptr ? lines : &uncounted);
        break;
      }
    }
    close(fd);
  }
  if (result != 0 && result != ENOENT && result != kPamEnvConfAborted) {
    AddNote(notes, kNoteUnreadable, path, nullptr, nullptr, result == kNotRegularFile ? 0 : result,
            nullptr);
  }
  return result;
}

// The first category (or LANGUAGE) in which `a` and `b` name other locales;
// kLocaleVariableCount where they agree.
size_t FirstDifference(const LocaleSettings& a, const LocaleSettings& b) {
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (kLocaleVariables[i].categoryMask == 0) continue;
    const LocaleVariable category = static_cast<LocaleVariable>(i);
    if (std::strcmp(CategoryLocale(a, category), CategoryLocale(b, category)) != 0) return i;
  }
  return std::strcmp(a.values[kLanguage], b.values[kLanguage]) == 0 ? kLocaleVariableCount
                                                                    : kLanguage;
}

}  // namespace

bool ReadSystemLocale(VariableStore* session, CaptureNotes* notes) {
  ClearVariables(session);
  PamEnvCalls calls;
  const int stack = ReadPamEnvCalls(kPamDirectory, kLoginService, &calls);
  if (stack != 0) {
    if (stack != ENOENT) {
      AddNote(notes, kNoteUnreadable, "/etc/pam.d/login", nullptr, nullptr,
              stack == kNotRegularFile ? 0 : stack, nullptr);
    }
    calls.count = sizeof kDebianLoginCalls / sizeof kDebianLoginCalls[0];
    std::memcpy(calls.calls, kDebianLoginCalls, sizeof kDebianLoginCalls);
  }

  bool known = true;
  // A conffile read to its end with no line that names a variable (Debian's
  // is all comments) changes nothing when the next pam_env line reads it.
  const char* emptyConffile = nullptr;
  const char* sessionsFile = kPamEnvEnvFile;
  bool envfileDecides = false;
  for (size_t i = 0; i < calls.count; ++i) {
    const PamEnvCall& call = calls.calls[i];
    if (call.readenv && std::strcmp(call.envfile, kPamEnvEnvFile) != 0) {
      envfileDecides = true;
      sessionsFile = call.envfile;
    }
    size_t lines = 1;
    const int conf = emptyConffile != nullptr && std::strcmp(emptyConffile, call.conffile) == 0
                         ? 0
                         : ReadSource(call.conffile, kPamEnvConfSyntax, session, notes, &lines);
    if (conf == 0 && lines == 0) emptyConffile = call.conffile;
    // Without its conffile, pam_env sets nothing at all, not even from the
    // envfile; where it gives up on it, the session is refused, and no
    // later line runs.
    if (conf == ENOENT) continue;
    if (conf == kPamEnvConfAborted) break;
    if (conf != 0) known = false;
    if (conf != 0 || !call.readenv) continue;
    const int env = ReadSource(call.envfile, kPamEnvFileSyntax, session, notes);
    if (env != 0 && env != ENOENT) known = false;
  }

  // What services get from systemd, which ignores LC_ALL there.
  VariableStore services;
  ClearVariables(&services);
  const int systemd = ReadSource(kSystemdLocaleConf, kSystemdSyntax, &services, notes);
  services.locale[kLcAll].value[0] = '\0';
  if (systemd == 0) {
    if (!envfileDecides && session->locale[kLang].value[0] == '\0') {
      for (size_t i = 0; i < kLocaleVariableCount; ++i) {
        if (services.locale[i].value[0] != '\0') session->locale[i] = services.locale[i];
      }
    }
    const LocaleSettings sessionSettings = SettingsOf(*session);
    const size_t difference = FirstDifference(SettingsOf(services), sessionSettings);
    if (difference < kLocaleVariableCount) {
      const size_t deciding =
          difference == kLanguage
              ? difference
              : DecidingVariable(sessionSettings, static_cast<LocaleVariable>(difference));
      if (deciding < kLocaleVariableCount && session->locale[deciding].source != nullptr) {
        sessionsFile = session->locale[deciding].source;
      }
      AddNote(notes, kNoteFilesDisagree, kSystemdLocaleConf, nullptr, nullptr, 0, sessionsFile);
    }
  } else if (systemd != ENOENT && !envfileDecides) {
    known = false;
  }
  if (!known) {
    ClearVariables(session);
    return true;
  }

  // A new session has no LOCPATH: its locales come from the system alone.
  unsetenv("LOCPATH");
  const char* sources[kLocaleVariableCount];
  for (size_t i = 0; i < kLocaleVariableCount; ++i) sources[i] = session->locale[i].source;
  return NoteUnloadable(SettingsOf(*session), sources, notes) == 0;
}
