// The installed pam_env, asked what a new session gets.

#include "posix/pam_env_session.h"

#include <dlfcn.h>
#include <pwd.h>
#include <security/pam_appl.h>
#include <security/pam_modules.h>
#include <security/pam_modutil.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "posix/locale_notes.h"
#include "posix/pam_control.h"
#include "posix/text.h"

// pam_env asks libpam for the user's entry, for @{HOME}, @{SHELL} and
// user_readenv; libpam answers only a module that libpam itself called, and
// would answer pam_env, called from here, with no user at all. The program
// exports this answer, which the module then finds ahead of libpam's.
extern "C" struct passwd* pam_modutil_getpwnam(pam_handle_t*, const char* user) {
  return getpwnam(user);
}

namespace {

const char kLibpam[] = "libpam.so.0";
// pam_env's own DEFAULT_CONF_FILE and DEFAULT_ETC_ENVFILE.
const char kDefaultConffile[] = "/etc/security/pam_env.conf";
const char kDefaultEnvfile[] = "/etc/environment";

struct Libpam {
  decltype(&pam_start_confdir) startConfdir;  // Linux-PAM 1.4 and later
  decltype(&pam_start) start;
  decltype(&pam_getenv) getenv;
  void* library;
  char securityDirectory[PATH_MAX];
  // The module of the last line, its path, and its functions for session
  // and auth lines, each looked up once.
  void* module;
  char modulePath[PATH_MAX];
  void* functions[2];
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
// "other". What libpam logs of its start (no "other" beside /dev/null) is
// no login's, and is held back.
int StartHandle(const Libpam& libpam, pam_handle_t** handle) {
  const passwd* user = getpwuid(getuid());
  const char* name = user != nullptr ? user->pw_name : nullptr;
  const pam_conv conversation = {NoConversation, nullptr};
  *handle = nullptr;
  const int logMask = setlogmask(LOG_MASK(LOG_DEBUG));
  const int started = libpam.startConfdir != nullptr
                          ? libpam.startConfdir("null", name, &conversation, "/dev", handle)
                          : libpam.start("locale-report", name, &conversation, handle);
  setlogmask(logMask);
  return started;
}

// The files a line has pam_env read, as it takes its arguments.
struct LineFiles {
  const char* conffile;
  const char* envfile;  // nullptr where it reads none
};

LineFiles FilesOf(const char* const* arguments, size_t count) {
  LineFiles files = {kDefaultConffile, kDefaultEnvfile};
  bool readenv = true;
  for (size_t i = 0; i < count; ++i) {
    const char* argument = arguments[i];
    if (const char* conffile = AfterPrefix(argument, "conffile=")) {
      if (*conffile != '\0') files.conffile = conffile;
    } else if (const char* envfile = AfterPrefix(argument, "envfile=")) {
      if (*envfile != '\0') files.envfile = envfile;
    } else if (const char* number = AfterPrefix(argument, "readenv=")) {
      readenv = std::atoi(number) != 0;
    }
  }
  if (!readenv) files.envfile = nullptr;
  return files;
}

// Whether pam_env, run as this user, reads `path` as a login would: 0, or
// why not. A file that is not there, a directory and /dev/null are read as
// empty; a FIFO or a device would stall it, and is not run.
int Readable(const char* path) {
  struct stat status;
  if (stat(path, &status) != 0) return errno == ENOENT || errno == ENOTDIR ? 0 : errno;
  if (S_ISCHR(status.st_mode) && status.st_rdev == makedev(1, 3)) return 0;
  if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) return kNotRegularFile;
  return access(path, R_OK) == 0 ? 0 : errno;
}

void Describe(const LineFiles& files, char* text, size_t size) {
  size_t used = 0;
  for (const char* part :
       {files.conffile, files.envfile != nullptr ? " or " : nullptr, files.envfile}) {
    for (; part != nullptr && *part != '\0' && used + 1 < size; ++part) text[used++] = *part;
  }
  text[used] = '\0';
}

using ModuleFunction = int (*)(pam_handle_t*, int, int, const char**);

// Loads the line's module as libpam would, its path in modulePath (the
// handle kept for the next line of the same module); nullptr, with why in
// `why`, where it cannot be.
ModuleFunction LoadModule(Libpam* libpam, const PamEnvLine& line, const char** why) {
  const char* module = PamModule(line);
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
    libpam->functions[kPamSession] = libpam->functions[kPamAuth] = nullptr;
  }
  if (libpam->module == nullptr) {
    *why = LoadError();
    return nullptr;
  }
  void*& function = libpam->functions[line.type];
  if (function == nullptr) {
    function =
        dlsym(libpam->module, line.type == kPamSession ? "pam_sm_open_session" : "pam_sm_setcred");
  }
  if (function == nullptr) *why = LoadError();
  return reinterpret_cast<ModuleFunction>(function);
}

// Runs a line with its arguments, and `extra` after them; PAM_MODULE_UNKNOWN,
// as libpam has it, where the module cannot be loaded.
int RunLine(Libpam* libpam, pam_handle_t* handle, const PamEnvLine& line,
            std::initializer_list<const char*> extra, const char** why) {
  const ModuleFunction function = LoadModule(libpam, line, why);
  if (function == nullptr) return PAM_MODULE_UNKNOWN;
  const char* arguments[kPamLineMax + 2];
  PamArguments(line, arguments);
  size_t count = line.argumentCount;
  for (const char* argument : extra) arguments[count++] = argument;
  return function(handle, line.type == kPamSession ? 0 : PAM_ESTABLISH_CRED,
                  static_cast<int>(count), arguments);
}

// Each variable's value after the last run, to tell which run changed it.
struct Changes {
  char seen[kLocaleVariableCount][kNoteValueMax + 1];
};

void TakeChanges(const Libpam& libpam, pam_handle_t* handle, Changes* changes, int by,
                 int* changedBy) {
  for (size_t variable = 0; variable < kLocaleVariableCount; ++variable) {
    const char* value = libpam.getenv(handle, kLocaleVariables[variable].name);
    char* seen = changes->seen[variable];
    if (value == nullptr) value = "";
    if (SameStart(value, seen, kNoteValueMax)) continue;
    CopyText(seen, value, sizeof changes->seen[variable]);
    changedBy[variable] = by;
  }
}

// Runs the lines that ran at first once more, on a handle of their own, and
// puts in changedBy[variable] the run that changed each last (or -1): with
// `split`, run 2i is line i with its conffile alone and 2i + 1 with its
// envfile alone, which pam_env reads only where the conffile went well;
// else run i is line i. Returns whether they end as the first run did.
bool Replay(const PamEnvSession& session, bool split, int* changedBy) {
  for (size_t variable = 0; variable < kLocaleVariableCount; ++variable) changedBy[variable] = -1;
  Libpam libpam;
  const char* why;
  pam_handle_t* handle;
  if (session.linesRun == 0 || !LoadLibpam(&libpam, &why) ||
      StartHandle(libpam, &handle) != PAM_SUCCESS) {
    return false;
  }
  Changes changes = {};
  const char* arguments[kPamLineMax];
  for (size_t i = 0; i < session.linesRun; ++i) {
    const PamEnvLine& line = session.lines->lines[i];
    const int run = static_cast<int>(split ? 2 * i : i);
    if (!split) {
      RunLine(&libpam, handle, line, {}, &why);
      TakeChanges(libpam, handle, &changes, run, changedBy);
      continue;
    }
    PamArguments(line, arguments);
    const LineFiles files = FilesOf(arguments, line.argumentCount);
    const int conffile = RunLine(&libpam, handle, line, {"readenv=0", "user_readenv=0"}, &why);
    TakeChanges(libpam, handle, &changes, run, changedBy);
    if (files.envfile == nullptr || conffile != PAM_SUCCESS) continue;
    RunLine(&libpam, handle, line, {"conffile=/dev/null"}, &why);
    TakeChanges(libpam, handle, &changes, run + 1, changedBy);
  }
  for (size_t variable = 0; variable < kLocaleVariableCount; ++variable) {
    const char* first = session.settings.values[variable];
    const char* second = libpam.getenv(handle, kLocaleVariables[variable].name);
    if (std::strcmp(first != nullptr ? first : "", second != nullptr ? second : "") != 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool AskPamEnv(const PamEnvLines& lines, PamEnvSession* session, CaptureNotes* notes) {
  for (const char*& value : session->settings.values) value = nullptr;
  session->lines = &lines;
  session->linesRun = 0;
  session->libpam = session->handle = nullptr;
  if (lines.count == 0) return true;

  // Files pam_env cannot read as a login would leave the lines unknown; as
  // any pam_env may stall on one, no line runs then.
  const char* arguments[kPamLineMax];
  bool known = true;
  const char* previousConffile = "";
  for (size_t i = 0; i < lines.count; ++i) {
    PamArguments(lines.lines[i], arguments);
    const LineFiles files = FilesOf(arguments, lines.lines[i].argumentCount);
    // Debian's two lines read one conffile: it is looked at once.
    const bool seen = i > 0 && std::strcmp(files.conffile, previousConffile) == 0;
    previousConffile = files.conffile;
    for (const char* file : {seen ? nullptr : files.conffile, files.envfile}) {
      const int error = file != nullptr ? Readable(file) : 0;
      if (error != 0) {
        AddNote(notes, kNoteUnreadable, file, nullptr, nullptr, error, nullptr);
        known = false;
      }
    }
  }
  if (!known) return false;

  Libpam libpam;
  const char* why;
  if (!LoadLibpam(&libpam, &why)) {
    AddNote(notes, kNoteNotLoaded, kLibpam, nullptr, why, 0, nullptr);
    return true;
  }
  pam_handle_t* handle;
  const int started = StartHandle(libpam, &handle);
  if (started != PAM_SUCCESS) {
    AddNote(notes, kNoteNotLoaded, kLibpam, nullptr, ResultText(libpam, handle, started), 0,
            nullptr);
    return true;
  }
  session->libpam = libpam.library;
  session->handle = handle;
  for (size_t i = 0; i < lines.count; ++i) {
    const PamEnvLine& line = lines.lines[i];
    const int result = RunLine(&libpam, handle, line, {}, &why);
    session->linesRun = i + 1;
    if (PamControlFails(PamControl(line), result)) {
      char files[kNoteValueMax + 1];
      PamArguments(line, arguments);
      Describe(FilesOf(arguments, line.argumentCount), files, sizeof files);
      AddNote(notes, kNoteLoginRefused, result != PAM_MODULE_UNKNOWN ? files : libpam.modulePath,
              nullptr, ResultText(libpam, handle, result), 0, nullptr);
      break;
    }
    if (result == PAM_MODULE_UNKNOWN && !line.quietIfMissing) {
      AddNote(notes, kNoteNotLoaded, libpam.modulePath, nullptr, why, 0, nullptr);
    }
  }
  for (size_t variable = 0; variable < kLocaleVariableCount; ++variable) {
    session->settings.values[variable] = libpam.getenv(handle, kLocaleVariables[variable].name);
  }
  return true;
}

char** PamEnvList(const PamEnvSession& session) {
  if (session.handle == nullptr) return nullptr;
  const auto list =
      reinterpret_cast<decltype(&pam_getenvlist)>(dlsym(session.libpam, "pam_getenvlist"));
  return list != nullptr ? list(static_cast<pam_handle_t*>(session.handle)) : nullptr;
}

void FreePamEnvList(char** list) {
  if (list == nullptr) return;
  for (char** entry = list; *entry != nullptr; ++entry) std::free(*entry);
  std::free(list);
}

void NamePamEnvSources(const PamEnvSession& session, PamEnvSources* sources) {
  for (auto& file : sources->files) file[0] = '\0';
  int fileOf[kLocaleVariableCount];
  int lineOf[kLocaleVariableCount];
  const bool split = Replay(session, true, fileOf);
  if (!split) Replay(session, false, lineOf);
  const char* arguments[kPamLineMax];
  for (size_t variable = 0; variable < kLocaleVariableCount; ++variable) {
    const int run = split ? fileOf[variable] : lineOf[variable];
    if (run < 0) continue;
    const PamEnvLine& line = session.lines->lines[split ? run / 2 : run];
    PamArguments(line, arguments);
    LineFiles files = FilesOf(arguments, line.argumentCount);
    if (split) {
      if (run % 2 == 1) files.conffile = files.envfile;
      files.envfile = nullptr;
    }
    Describe(files, sources->files[variable], sizeof sources->files[variable]);
  }
}
