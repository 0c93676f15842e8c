// The installed pam_env, asked what a new session gets.

#include "posix/session/pam_env.h"

#include <dlfcn.h>
#include <pwd.h>
#include <security/pam_appl.h>
#include <security/pam_ext.h>
#include <security/pam_modules.h>
#include <security/pam_modutil.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "posix/locale_notes.h"
#include "posix/session/pam_control.h"
#include "posix/text.h"

namespace {

const char kLibpam[] = "libpam.so.0";

// What a line's module is called for: a session line's pam_open_session, an
// auth line's pam_setcred, and the pam_authenticate before it.
enum ModuleFunctionKind { kOpenSession, kSetCredentials, kAuthenticate, kModuleFunctionCount };
const char* const kModuleFunctions[] = {"pam_sm_open_session", "pam_sm_setcred",
                                        "pam_sm_authenticate"};

}  // namespace

// pam_env asks libpam for the user's entry, for @{HOME}, @{SHELL} and
// user_readenv; libpam answers only a module that libpam itself called, and
// would answer pam_env, called from here, with no user at all. The program
// exports this answer, which the module then finds ahead of libpam's.
extern "C" struct passwd* pam_modutil_getpwnam(pam_handle_t*, const char* user) {
  return getpwnam(user);
}

// What pam_env would tell the system log comes here instead, exported as
// the answer above is: a note where it may matter to the session, nothing
// for its debug and information lines, or for what the handle's own start
// says (no line runs then).
extern "C" void pam_vsyslog(const pam_handle_t* handle, int priority, const char* format,
                            va_list arguments) {
  if (handle == nullptr || LOG_PRI(priority) > LOG_NOTICE) return;
  // A reference more to libpam, given back at the child's end.
  void* libpam = dlopen(kLibpam, RTLD_LAZY | RTLD_NOLOAD);
  if (libpam == nullptr) return;
  const auto getItem = reinterpret_cast<decltype(&pam_get_item)>(dlsym(libpam, "pam_get_item"));
  const void* item = nullptr;
  if (getItem != nullptr && getItem(handle, PAM_CONV, &item) == PAM_SUCCESS && item != nullptr) {
    const auto* hearing =
        static_cast<const PamEnvHearing*>(static_cast<const pam_conv*>(item)->appdata_ptr);
    if (hearing != nullptr && hearing->notes != nullptr) {
      char message[kNoteTextMax + 1];
      std::vsnprintf(message, sizeof message, format, arguments);
      AddNote(hearing->notes, kNotePamEnvSaid, hearing->line, nullptr, message, 0, nullptr);
    }
  }
}

extern "C" void pam_syslog(const pam_handle_t* handle, int priority, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  pam_vsyslog(handle, priority, format, arguments);
  va_end(arguments);
}

namespace {

struct Libpam {
  decltype(&pam_start_confdir) startConfdir;  // Linux-PAM 1.4 and later
  decltype(&pam_start) start;
  decltype(&pam_getenv) getenv;
  void* library;
  char securityDirectory[PATH_MAX];
  // The module of the last line, its path, and its functions, each looked
  // up once.
  void* module;
  char modulePath[PATH_MAX];
  void* functions[kModuleFunctionCount];
};

int NoConversation(int, const pam_message**, pam_response**, void*) { return PAM_CONV_ERR; }

// Why dlopen() failed, without the path it repeats.
const char* LoadError() {
  const char* error = dlerror();
  if (error == nullptr) return "";
  const char* reason = std::strrchr(error, ':');
  return reason != nullptr && reason[1] == ' ' ? reason + 2 : error;
}

bool LoadLibpam(Libpam* libpam, const char** why) {
  void* library = dlopen(kLibpam, RTLD_LAZY | RTLD_LOCAL);
  if (library == nullptr) {
    *why = LoadError();
    return false;
  }
  libpam->library = library;
  libpam->startConfdir =
      reinterpret_cast<decltype(libpam->startConfdir)>(dlsym(library, "pam_start_confdir"));
  libpam->start = libpam->startConfdir != nullptr
                      ? nullptr
                      : reinterpret_cast<decltype(libpam->start)>(dlsym(library, "pam_start"));
  libpam->getenv = reinterpret_cast<decltype(libpam->getenv)>(dlsym(library, "pam_getenv"));
  // Its modules lie in security/ beside it.
  char origin[PATH_MAX];
  *why = "not libpam";
  if ((libpam->startConfdir == nullptr && libpam->start == nullptr) || libpam->getenv == nullptr ||
      dlinfo(library, RTLD_DI_ORIGIN, origin) != 0) {
    return false;
  }
  const size_t length = std::strlen(origin);
  if (length + sizeof "/security/" > sizeof libpam->securityDirectory) return false;
  std::memcpy(libpam->securityDirectory, origin, length);
  std::memcpy(libpam->securityDirectory + length, "/security/", sizeof "/security/");
  libpam->module = nullptr;
  return true;
}

// What libpam calls a result, for a note; looked up only then.
const char* ResultText(const Libpam& libpam, pam_handle_t* handle, int result) {
  const auto text =
      reinterpret_cast<decltype(&pam_strerror)>(dlsym(libpam.library, "pam_strerror"));
  return text != nullptr ? text(handle, result) : "";
}

// A handle that runs no stack of the system's: the service's stack is the
// empty /dev/null. On a libpam without pam_start_confdir(), a service
// without a file, so that libpam loads (but never calls) the modules of
// "other".
int StartHandle(const Libpam& libpam, PamEnvHearing* hearing, pam_handle_t** handle) {
  const passwd* user = getpwuid(getuid());
  const char* name = user != nullptr ? user->pw_name : nullptr;
  const pam_conv conversation = {NoConversation, hearing};
  *handle = nullptr;
  return libpam.startConfdir != nullptr
             ? libpam.startConfdir("null", name, &conversation, "/dev", handle)
             : libpam.start("locale-report", name, &conversation, handle);
}

using ModuleFunction = int (*)(pam_handle_t*, int, int, const char**);

// Loads the line's module as libpam would, its path in modulePath (the
// handle kept for the next line of the same module), and its function of
// `kind`; nullptr, with why in `why`, where it cannot be.
ModuleFunction LoadModule(Libpam* libpam, const PamEnvLine& line, ModuleFunctionKind kind,
                          const char** why) {
  const char* module = line.module;
  const char* directory = module[0] == '/' ? "" : libpam->securityDirectory;
  const size_t directoryLength = std::strlen(directory);
  const size_t moduleLength = std::strlen(module);
  char* path = libpam->modulePath;
  if (directoryLength + moduleLength >= sizeof libpam->modulePath) {
    // Named as written, never cut and then opened.
    CopyText(path, module, sizeof libpam->modulePath);
    libpam->module = nullptr;
    *why = std::strerror(ENAMETOOLONG);
    return nullptr;
  }
  if (libpam->module == nullptr || !SameStart(path, directory, directoryLength) ||
      std::strcmp(path + directoryLength, module) != 0) {
    std::memcpy(path, directory, directoryLength);
    std::memcpy(path + directoryLength, module, moduleLength + 1);
    libpam->module = dlopen(path, RTLD_LAZY | RTLD_LOCAL);
    for (void*& function : libpam->functions) function = nullptr;
  }
  if (libpam->module == nullptr) {
    *why = LoadError();
    return nullptr;
  }
  void*& function = libpam->functions[kind];
  if (function == nullptr) function = dlsym(libpam->module, kModuleFunctions[kind]);
  if (function == nullptr) *why = LoadError();
  return reinterpret_cast<ModuleFunction>(function);
}

}  // namespace

void AskPamEnv(const PamEnvLines& lines, PamFailures failures, const SourceWatcher& watcher,
               SessionLedger* ledger, PamEnvRun* run, CaptureNotes* notes) {
  run->libpam = run->handle = nullptr;
  run->hearing.notes = nullptr;
  if (lines.count == 0) return;

  Libpam libpam;
  const char* why;
  if (!LoadLibpam(&libpam, &why)) {
    AddNote(notes, kNoteNotLoaded, kLibpam, nullptr, why, 0, nullptr);
    return;
  }
  pam_handle_t* handle;
  const int started = StartHandle(libpam, &run->hearing, &handle);
  if (started != PAM_SUCCESS) {
    AddNote(notes, kNoteNotLoaded, kLibpam, nullptr, ResultText(libpam, handle, started), 0,
            nullptr);
    return;
  }
  run->libpam = libpam.library;
  run->handle = handle;
  char* const line = run->hearing.line;
  // The first auth line that fails only logins without a password, noted
  // where no line fails them all.
  char passwordless[kNoteTextMax + 1] = "";
  int passwordlessResult = PAM_SUCCESS;
  for (size_t i = 0; i < lines.count; ++i) {
    const PamEnvLine& entry = lines.lines[i];
    DescribePamEnvLine(entry, line, sizeof run->hearing.line);
    watcher.started(watcher.context, line);
    run->hearing.notes = notes;
    const ModuleFunctionKind kind = entry.type == kPamSession ? kOpenSession : kSetCredentials;
    const ModuleFunction function = LoadModule(&libpam, entry, kind, &why);
    const int result = function == nullptr
                           ? PAM_MODULE_UNKNOWN
                           : function(handle, kind == kOpenSession ? 0 : PAM_ESTABLISH_CRED,
                                      static_cast<int>(entry.argumentCount), entry.arguments);
    run->hearing.notes = nullptr;
    for (size_t variable = 0; variable < kLocaleVariableCount; ++variable) {
      RecordValue(ledger, variable, libpam.getenv(handle, kLocaleVariables[variable].name), line);
    }
    if (!PamControlFails(entry.control, result)) {
      if (result == PAM_MODULE_UNKNOWN && !entry.quietIfMissing) {
        AddNote(notes, kNoteNotLoaded, libpam.modulePath, nullptr, why, 0, nullptr);
      }
      continue;
    }
    if (failures == kFailureGoesOn) {
      AddNote(notes, kNoteSessionGoesOn, result != PAM_MODULE_UNKNOWN ? line : libpam.modulePath,
              nullptr, ResultText(libpam, handle, result), entry.type == kPamSession ? 1 : 0,
              nullptr);
      continue;
    }
    // Where pam_authenticate ran first, libpam freezes the auth chain: it
    // judges each auth line's pam_setcred by what the module's authenticate
    // returned (pam_env's: PAM_IGNORE). So only a login that skips it (no
    // password) meets this failure; the module is asked what it returns.
    if (function != nullptr && entry.type == kPamAuth) {
      const ModuleFunction authenticate = LoadModule(&libpam, entry, kAuthenticate, &why);
      if (authenticate != nullptr &&
          !PamControlFails(
              entry.control,
              authenticate(handle, 0, static_cast<int>(entry.argumentCount), entry.arguments))) {
        if (passwordless[0] == '\0') {
          CopyText(passwordless, line, sizeof passwordless);
          passwordlessResult = result;
        }
        continue;
      }
    }
    AddNote(notes, kNoteLoginRefused, result != PAM_MODULE_UNKNOWN ? line : libpam.modulePath,
            nullptr, ResultText(libpam, handle, result), 0, nullptr);
    return;
  }
  if (passwordless[0] != '\0') {
    AddNote(notes, kNotePasswordlessRefused, passwordless, nullptr,
            ResultText(libpam, handle, passwordlessResult), 0, nullptr);
  }
}

char** PamEnvList(const PamEnvRun& run) {
  if (run.handle == nullptr) return nullptr;
  const auto list =
      reinterpret_cast<decltype(&pam_getenvlist)>(dlsym(run.libpam, "pam_getenvlist"));
  return list != nullptr ? list(static_cast<pam_handle_t*>(run.handle)) : nullptr;
}

void FreePamEnvList(char** list) {
  if (list == nullptr) return;
  for (char** entry = list; *entry != nullptr; ++entry) std::free(*entry);
  std::free(list);
}
