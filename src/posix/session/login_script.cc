// The distribution's login locale script, run as a login shell runs it, and
// sealed: nothing but root's own files runs, and nothing outlives it.

#include "posix/session/login_script.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "posix/deadline.h"
#include "posix/locale_notes.h"
#include "posix/text.h"

const LocaleScript kLocaleScripts[] = {
    {"/etc/profile.d/01-locale-fix.sh", nullptr},
    {"/etc/profile.d/lang.sh", nullptr},
    {"/usr/etc/profile.d/lang.sh", "/etc/profile.d/lang.sh"},
    {"/etc/profile.d/locale.sh", nullptr},
};
const size_t kLocaleScriptCount = sizeof kLocaleScripts / sizeof kLocaleScripts[0];

namespace {

const char kPlainPath[] = "PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";
// The most a script's shell may print: no locale settings come near it.
const size_t kOutputMax = 1 << 20;
const int kScriptMs = 1000;

// What pam_env may set that would have the shell, or the loader of any
// program it starts, run code of another's, sorted; a name ending in '*'
// stands for every name it starts. PATH is the report's own.
const char* const kWithheld[] = {
    "BASHOPTS", "BASH_ENV", "BASH_FUNC_*", "ENV", "GCONV_PATH", "LD_*", "PATH", "PS4", "SHELLOPTS",
};

bool Named(const char* entry, const char* name) {
  const char* after = AfterPrefix(entry, name);
  return after != nullptr && *after == '=';
}

bool Withheld(const char* entry) {
  for (const char* name : kWithheld) {
    const size_t length = std::strlen(name);
    if (name[length - 1] == '*' ? SameStart(entry, name, length - 1) : Named(entry, name)) {
      return true;
    }
  }
  return false;
}

size_t LocaleVariableOf(const char* entry) {
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (Named(entry, kLocaleVariables[i].name)) return i;
  }
  return kLocaleVariableCount;
}

// A script's environment, every entry its own copy, nullptr-ended.
struct ScriptEnvironment {
  char** entries;
  size_t count;
  size_t room;
};

void Add(ScriptEnvironment* environment, const char* name, const char* value) {
  if (environment->count + 2 > environment->room) {
    const size_t room = environment->room == 0 ? 64 : 2 * environment->room;
    void* grown = std::realloc(environment->entries, room * sizeof(char*));
    if (grown == nullptr) return;
    environment->entries = static_cast<char**>(grown);
    environment->room = room;
  }
  const size_t nameLength = std::strlen(name);
  const size_t valueLength = value != nullptr ? std::strlen(value) : 0;
  char* entry = static_cast<char*>(std::malloc(nameLength + valueLength + 2));
  if (entry == nullptr) return;
  std::memcpy(entry, name, nameLength);
  if (value != nullptr) {
    entry[nameLength] = '=';
    std::memcpy(entry + nameLength + 1, value, valueLength + 1);
  } else {
    entry[nameLength] = '\0';
  }
  environment->entries[environment->count++] = entry;
  environment->entries[environment->count] = nullptr;
}

bool Has(const ScriptEnvironment& environment, const char* name) {
  for (size_t i = 0; i < environment.count; ++i) {
    if (Named(environment.entries[i], name)) return true;
  }
  return false;
}

void Free(ScriptEnvironment* environment) {
  for (size_t i = 0; i < environment->count; ++i) std::free(environment->entries[i]);
  std::free(environment->entries);
  *environment = {};
}

// What a login shell starts a script with.
void Compose(const char* const* pamEnvironment, const SessionLedger& ledger,
             ScriptEnvironment* environment) {
  *environment = {};
  for (const char* const* entry = pamEnvironment; entry != nullptr && *entry != nullptr; ++entry) {
    if (LocaleVariableOf(*entry) == kLocaleVariableCount && !Withheld(*entry)) {
      Add(environment, *entry, nullptr);
    }
  }
  if (const passwd* user = getpwuid(getuid())) {
    const struct {
      const char* name;
      const char* value;
    } basics[] = {{"HOME", user->pw_dir},
                  {"USER", user->pw_name},
                  {"LOGNAME", user->pw_name},
                  {"SHELL", user->pw_shell}};
    for (const auto& basic : basics) {
      if (!Has(*environment, basic.name)) Add(environment, basic.name, basic.value);
    }
  }
  Add(environment, kPlainPath, nullptr);
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (ledger.values[i] != nullptr) Add(environment, kLocaleVariables[i].name, ledger.values[i]);
  }
}

// Whether what `fd` opened is root's alone: root owns it, and neither its
// group nor others may write it.
bool RootsAlone(int fd, bool directory) {
  struct stat status;
  return fstat(fd, &status) == 0 && status.st_uid == 0 &&
         (status.st_mode & (S_IWGRP | S_IWOTH)) == 0 &&
         (directory ? S_ISDIR(status.st_mode) : S_ISREG(status.st_mode));
}

// Opens the file `path` resolves to where it, and every directory from /
// down to it, is root's alone, each checked on what was opened and no link
// followed on the way: no one else can have put another file in its place.
// Returns its descriptor, or -1, with *missing where it leads to no file.
int OpenRootsOwn(const char* path, bool* missing) {
  char resolved[PATH_MAX];
  *missing = false;
  if (realpath(path, resolved) == nullptr || resolved[1] == '\0') {
    *missing = errno == ENOENT;
    return -1;
  }
  int at = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (at < 0 || !RootsAlone(at, true)) {
    if (at >= 0) close(at);
    return -1;
  }
  for (char* name = resolved + 1;;) {
    char* const slash = std::strchr(name, '/');
    if (slash != nullptr) *slash = '\0';
    const int flags = slash != nullptr ? O_PATH | O_DIRECTORY : O_RDONLY | O_NONBLOCK;
    const int next = openat(at, name, flags | O_NOFOLLOW | O_CLOEXEC);
    close(at);
    if (next < 0) return -1;
    if (!RootsAlone(next, slash != nullptr)) {
      close(next);
      return -1;
    }
    if (slash == nullptr) return next;
    at = next;
    name = slash + 1;
  }
}

// The shell that sources a script: bash where there is one, the shell the
// scripts are written for, without its start-up files.
struct Shell {
  const char* path;
  bool bash;
};

Shell ScriptShell() {
  for (const char* bash : {"/bin/bash", "/usr/bin/bash"}) {
    if (access(bash, X_OK) == 0) return {bash, true};
  }
  return {"/bin/sh", false};
}

// In the script's shell, after fork(): only what it needs stays open.
[[noreturn]] void StartShell(const Shell& shell, int script, int output,
                             const ScriptEnvironment& environment) {
  setpgid(0, 0);
  const int null = open("/dev/null", O_RDWR);
  if (null < 0 || dup2(null, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0 ||
      dup2(null, STDERR_FILENO) < 0) {
    _exit(127);
  }
  // The script at descriptor 3, kept at exec (dup2() makes a copy that is),
  // and every other descriptor closed, whoever opened it.
  if (script == 3) {
    dup2(script, 1023);
    script = 1023;
  }
  dup2(script, 3);
#ifdef SYS_close_range
  if (syscall(SYS_close_range, 4U, ~0U, 0U) != 0)
#endif
  {
    for (int fd = 4; fd < 1024; ++fd) close(fd);
  }
  signal(SIGPIPE, SIG_DFL);
  // The script reads the file that was checked, never its path again.
  const char command[] = ". /dev/fd/3 </dev/null >/dev/null 2>&1; exec /usr/bin/env -0";
  const char* bashArguments[] = {shell.path, "--noprofile", "--norc", "-c", command, nullptr};
  const char* shArguments[] = {shell.path, "-c", command, nullptr};
  execve(shell.path, const_cast<char* const*>(shell.bash ? bashArguments : shArguments),
         environment.entries);
  _exit(127);
}

// Sources the script open at `script` in `environment` and puts what it
// leaves exported in `output` (malloc'd, *used bytes). Returns nullptr where
// that went well, else what went wrong.
const char* Source(int script, const ScriptEnvironment& environment, int64_t deadline,
                   char** output, size_t* used, char (&why)[64]) {
  *output = nullptr;
  *used = 0;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return "cannot be run";
  const Shell shell = ScriptShell();
  const pid_t pid = fork();
  if (pid == 0) StartShell(shell, script, pipeFds[1], environment);
  close(pipeFds[1]);
  if (pid < 0) {
    close(pipeFds[0]);
    return "cannot be run";
  }
  setpgid(pid, pid);
  const int64_t ownDeadline = NowMs() + kScriptMs;
  if (ownDeadline < deadline) deadline = ownDeadline;

  const int reading = ReadWithin(pipeFds[0], deadline, kOutputMax, output, used);
  bool timedOut = reading == ETIMEDOUT;
  const bool cut = reading != 0 && !timedOut;
  close(pipeFds[0]);
  // The shell, then all its group has left behind; a straggler that left
  // the group dies with the asking child.
  int status = 0;
  while (!timedOut && !cut && waitpid(pid, &status, WNOHANG) == 0) {
    if (LeftMs(deadline) == 0) {
      timedOut = true;
    } else {
      poll(nullptr, 0, 5);
    }
  }
  kill(-pid, SIGKILL);
  if (timedOut || cut) waitpid(pid, &status, 0);
  if (timedOut) return "did not end within a second";
  if (cut) return reading == EFBIG ? "left more than 1 MiB of variables" : "could not be read back";
  if (WIFSIGNALED(status)) {
    std::snprintf(why, sizeof why, "was stopped by signal %d", WTERMSIG(status));
    return why;
  }
  if (WEXITSTATUS(status) != 0) {
    std::snprintf(why, sizeof why, "failed with exit status %d", WEXITSTATUS(status));
    return why;
  }
  return nullptr;
}

}  // namespace

bool TakeScriptOutput(const char* output, size_t size, const char* origin, SessionLedger* ledger) {
  if (size == 0 || output[size - 1] != '\0') return false;
  const char* found[kLocaleVariableCount] = {};
  for (const char* entry = output; entry < output + size; entry += std::strlen(entry) + 1) {
    const size_t variable = LocaleVariableOf(entry);
    if (variable < kLocaleVariableCount && found[variable] == nullptr) {
      found[variable] = entry + std::strlen(kLocaleVariables[variable].name) + 1;
    }
  }
  for (size_t i = 0; i < kLocaleVariableCount; ++i) RecordValue(ledger, i, found[i], origin);
  return true;
}

void RunLocaleScripts(const char* const* environment, const SourceWatcher& watcher,
                      int64_t deadline, SessionLedger* ledger, CaptureNotes* notes) {
  for (const LocaleScript& script : kLocaleScripts) {
    if (access(script.path, F_OK) != 0 ||
        (script.insteadOf != nullptr && access(script.insteadOf, F_OK) == 0)) {
      continue;
    }
    bool missing;
    const int fd = OpenRootsOwn(script.path, &missing);
    if (fd < 0) {
      // A link that leads nowhere is no script, to the shell as here.
      if (!missing) AddNote(notes, kNoteScriptNotRun, script.path, nullptr, nullptr, 0, nullptr);
      continue;
    }
    watcher.started(watcher.context, script.path);
    ScriptEnvironment start;
    Compose(environment, *ledger, &start);
    char* output;
    size_t used;
    char why[64];
    const char* failure = Source(fd, start, deadline, &output, &used, why);
    close(fd);
    Free(&start);
    if (failure == nullptr && !TakeScriptOutput(output, used, script.path, ledger)) {
      failure = "ended the shell";
    }
    std::free(output);
    if (failure != nullptr) {
      AddNote(notes, kNoteScriptFailed, script.path, nullptr, failure, 0, nullptr);
    }
  }
}
