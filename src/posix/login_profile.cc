// The login shell's profile, as far as it sets a locale: the distribution's
// own locale script, asked as the login shell runs it, and other lines that
// would set one.

#include "posix/login_profile.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "posix/line_reader.h"
#include "posix/locale_notes.h"
#include "posix/regular_file.h"
#include "posix/text.h"

extern char** environ;

namespace {

// A script, run where it is there and `insteadOf` is not.
struct LocaleScript {
  const char* path;
  const char* insteadOf;
};

// In the order /etc/profile sources /etc/profile.d/*.sh.
const LocaleScript kLocaleScripts[] = {
    {"/etc/profile.d/01-locale-fix.sh", nullptr},
    {"/etc/profile.d/lang.sh", nullptr},
    {"/usr/etc/profile.d/lang.sh", "/etc/profile.d/lang.sh"},
    {"/etc/profile.d/locale.sh", nullptr},
};

const char kProfile[] = "/etc/profile";
const char kProfileDirectory[] = "/etc/profile.d";
const char kPlainPath[] = "PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";

// Whether root alone can change `path` and the directory it lies in.
bool RootsAlone(const char* path) {
  char directory[PATH_MAX];
  const char* slash = std::strrchr(path, '/');
  const size_t length = slash != nullptr && slash != path ? static_cast<size_t>(slash - path) : 1;
  if (length >= sizeof directory) return false;
  std::memcpy(directory, path, length);
  directory[length] = '\0';
  for (const char* file : {path, static_cast<const char*>(directory)}) {
    struct stat status;
    if (stat(file, &status) != 0 || status.st_uid != 0 ||
        (status.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
      return false;
    }
  }
  return true;
}

// A script's environment: "NAME=value" entries, nullptr-ended.
struct ScriptEnvironment {
  const char* entries[256];
  size_t count;
  char text[8192];
  size_t used;
};

// Room kept for the user's four variables, PATH and the locale variables,
// however many pam_env set.
const size_t kOwnEntries = 4 + 1 + kLocaleVariableCount;

bool Named(const char* entry, const char* name) {
  const char* after = AfterPrefix(entry, name);
  return after != nullptr && *after == '=';
}

bool Has(const ScriptEnvironment& environment, const char* name) {
  for (size_t i = 0; i < environment.count; ++i) {
    if (Named(environment.entries[i], name)) return true;
  }
  return false;
}

void Add(ScriptEnvironment* environment, const char* name, const char* value) {
  const size_t nameLength = std::strlen(name);
  const size_t valueLength = std::strlen(value);
  if (environment->used + nameLength + valueLength + 2 > sizeof environment->text) return;
  char* entry = environment->text + environment->used;
  std::memcpy(entry, name, nameLength);
  entry[nameLength] = '=';
  std::memcpy(entry + nameLength + 1, value, valueLength + 1);
  environment->used += nameLength + valueLength + 2;
  environment->entries[environment->count++] = entry;
}

size_t LocaleVariableOf(const char* entry) {
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (Named(entry, kLocaleVariables[i].name)) return i;
  }
  return kLocaleVariableCount;
}

// What a login shell starts a script with: what pam_env set, the user's
// variables and a plain PATH where it set none of them, and the locale
// variables as they stand now.
void Compose(const char* const* pamEnvironment, const LocaleSettings& settings,
             ScriptEnvironment* environment) {
  const size_t pamRoom =
      sizeof environment->entries / sizeof environment->entries[0] - 1 - kOwnEntries;
  environment->count = environment->used = 0;
  for (const char* const* entry = pamEnvironment;
       entry != nullptr && *entry != nullptr && environment->count < pamRoom; ++entry) {
    if (LocaleVariableOf(*entry) == kLocaleVariableCount) {
      environment->entries[environment->count++] = *entry;
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
  if (!Has(*environment, "PATH")) environment->entries[environment->count++] = kPlainPath;
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (settings.values[i] != nullptr) {
      Add(environment, kLocaleVariables[i].name, settings.values[i]);
    }
  }
  environment->entries[environment->count] = nullptr;
}

// The shell that sources a script: bash where there is one, the shell the
// scripts are written for.
const char* ScriptShell() {
  for (const char* bash : {"/bin/bash", "/usr/bin/bash"}) {
    if (access(bash, X_OK) == 0) return bash;
  }
  return "/bin/sh";
}

// Sources `script` in `environment` and puts what it leaves exported in
// `output` (env -0's NUL-ended entries), `used` bytes of it. Returns
// nullptr where that went well, else what went wrong.
const char* Source(const char* script, const ScriptEnvironment& environment, char* output,
                   size_t size, size_t* used, char (&why)[64]) {
  // timeout stops the script's whole process group; the script's own output
  // goes nowhere.
  char command[PATH_MAX + 160];
  std::snprintf(command, sizeof command,
                "exec timeout -s KILL 1 %s -c '. \"$0\" </dev/null >/dev/null 2>&1; exec env -0' "
                "%s </dev/null 2>/dev/null",
                ScriptShell(), script);
  char** const own = environ;
  environ = const_cast<char**>(environment.entries);
  std::FILE* pipe = popen(command, "re");
  environ = own;
  if (pipe == nullptr) return "cannot be run";
  // getc(), which the wait uses anyway: one more function of the C library
  // would cost every run its binding, script or not.
  *used = 0;
  bool whole = true;
  for (int c; (c = std::getc(pipe)) != EOF;) {
    if (*used < size) {
      output[(*used)++] = static_cast<char>(c);
    } else {
      whole = false;
    }
  }
  const int status = pclose(pipe);
  // timeout's SIGKILL, sent to the whole group, ends timeout itself too.
  if ((WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) ||
      (WIFEXITED(status) && WEXITSTATUS(status) == 124)) {
    return "did not end within a second";
  }
  if (WIFSIGNALED(status)) {
    std::snprintf(why, sizeof why, "was stopped by signal %d", WTERMSIG(status));
    return why;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::snprintf(why, sizeof why, "failed with exit status %d", WEXITSTATUS(status));
    return why;
  }
  if (*used == 0 || output[*used - 1] != '\0') return "ended the shell";
  if (!whole) return "left more variables than are read";
  return nullptr;
}

bool Same(const char* a, const char* b) {
  return std::strcmp(a != nullptr ? a : "", b != nullptr ? b : "") == 0;
}

}  // namespace

void RunLocaleScripts(const char* const* environment, LocaleSettings* settings,
                      const char** sources, ProfileOutput* output, CaptureNotes* notes) {
  ScriptEnvironment start;
  size_t run = 0;
  for (const LocaleScript& script : kLocaleScripts) {
    if (access(script.path, F_OK) != 0 ||
        (script.insteadOf != nullptr && access(script.insteadOf, F_OK) == 0)) {
      continue;
    }
    if (!RootsAlone(script.path)) {
      AddNote(notes, kNoteScriptNotRun, script.path, nullptr, nullptr, 0, nullptr);
      continue;
    }
    // Each run reads into the half of the output the settings do not point
    // into, so that a script that fails leaves them as they were.
    char* half = output->bytes + (run++ % 2) * (sizeof output->bytes / 2);
    Compose(environment, *settings, &start);
    size_t used = 0;
    char why[64];
    if (const char* failure =
            Source(script.path, start, half, sizeof output->bytes / 2, &used, why)) {
      AddNote(notes, kNoteScriptFailed, script.path, nullptr, failure, 0, nullptr);
      continue;
    }
    const LocaleSettings before = *settings;
    for (const char*& value : settings->values) value = nullptr;
    for (char* entry = half; entry < half + used; entry += std::strlen(entry) + 1) {
      const size_t variable = LocaleVariableOf(entry);
      if (variable < kLocaleVariableCount) {
        settings->values[variable] = entry + std::strlen(kLocaleVariables[variable].name) + 1;
      }
    }
    for (size_t i = 0; i < kLocaleVariableCount; ++i) {
      if (!Same(before.values[i], settings->values[i])) sources[i] = script.path;
    }
  }
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool StartsWord(const char* c, const char* end, const char* word) {
  const size_t length = std::strlen(word);
  return static_cast<size_t>(end - c) > length && std::memcmp(c, word, length) == 0 &&
         IsBlank(c[length]);
}

// The locale variable a statement at `c` sets, as NAME=value or export
// NAME=value with nothing after the value; nullptr for none.
const char* StatementSets(const char* c, const char* end) {
  for (const char* keyword : {"then", "do", "else", "{", "(", "export"}) {
    if (!StartsWord(c, end, keyword)) continue;
    c += std::strlen(keyword);
    while (c < end && IsBlank(*c)) ++c;
  }
  const char* name = nullptr;
  for (const LocaleVariableRow& row : kLocaleVariables) {
    const size_t length = std::strlen(row.name);
    if (static_cast<size_t>(end - c) > length && std::memcmp(c, row.name, length) == 0 &&
        c[length] == '=') {
      name = row.name;
      c += length + 1;
      break;
    }
  }
  if (name == nullptr) return nullptr;
  if (c < end && (*c == '"' || *c == '\'')) {
    const char* close =
        static_cast<const char*>(std::memchr(c + 1, *c, static_cast<size_t>(end - c - 1)));
    c = close != nullptr ? close + 1 : end;
  }
  while (c < end && !IsBlank(*c) && std::strchr(";&|#)}", *c) == nullptr) ++c;
  while (c < end && IsBlank(*c)) ++c;
  return c == end || std::strchr(";&|#)}", *c) != nullptr ? name : nullptr;
}

// Whether a line names a locale variable at all: most do not.
bool MentionsLocale(const char* line, size_t length) {
  const char* const end = line + length;
  for (const char* c = line;
       (c = static_cast<const char*>(std::memchr(c, 'L', static_cast<size_t>(end - c)))) != nullptr;
       ++c) {
    if (end - c > 3 && (std::memcmp(c + 1, "ANG", 3) == 0 || std::memcmp(c + 1, "C_", 2) == 0)) {
      return true;
    }
  }
  return false;
}

// The first locale variable a shell line sets in a statement of its own.
const char* LineSets(const char* line, size_t length) {
  if (!MentionsLocale(line, length)) return nullptr;
  const char* const end = line + length;
  for (const char* c = line; c < end;) {
    while (c < end && (IsBlank(*c) || *c == ';' || *c == '&' || *c == '|')) ++c;
    if (c == end || *c == '#') return nullptr;
    if (const char* name = StatementSets(c, end)) return name;
    while (c < end && std::strchr(";&|", *c) == nullptr) ++c;
  }
  return nullptr;
}

void NoteFileSettingLocale(const char* path, CaptureNotes* notes) {
  int fd;
  if (OpenRegularFile(path, &fd) != 0) return;
  // Most profile files name no locale variable at all: a look at the whole
  // of a small one is all they cost.
  char whole[8192];
  const ssize_t size = read(fd, whole, sizeof whole);
  const char* first = nullptr;
  if (size < 0 || static_cast<size_t>(size) == sizeof whole ||
      MentionsLocale(whole, static_cast<size_t>(size))) {
    if (lseek(fd, 0, SEEK_SET) == 0) {
      ReadLines<1024>(fd, [&first](const char* line, size_t length) {
        if (first == nullptr) first = LineSets(line, length);
      });
    }
  }
  close(fd);
  if (first != nullptr) AddNote(notes, kNoteProfileLine, path, first, nullptr, 0, nullptr);
}

}  // namespace

void NoteProfileLocaleLines(CaptureNotes* notes) {
  NoteFileSettingLocale(kProfile, notes);
  DIR* directory = opendir(kProfileDirectory);
  if (directory == nullptr) return;
  // In the order /etc/profile takes them, the scripts that are run aside.
  char names[64][NAME_MAX + 1];
  size_t count = 0;
  while (const dirent* entry = readdir(directory)) {
    const size_t length = std::strlen(entry->d_name);
    if (length < 4 || std::strcmp(entry->d_name + length - 3, ".sh") != 0 || count == 64) continue;
    bool run = false;
    for (const LocaleScript& script : kLocaleScripts) {
      const char* base = std::strrchr(script.path, '/') + 1;
      run = run || (script.insteadOf == nullptr && std::strcmp(base, entry->d_name) == 0);
    }
    if (run) continue;
    size_t at = count++;
    for (; at > 0 && std::strcmp(names[at - 1], entry->d_name) > 0; --at) {
      std::memcpy(names[at], names[at - 1], sizeof names[at]);
    }
    std::memcpy(names[at], entry->d_name, length + 1);
  }
  closedir(directory);
  char path[sizeof kProfileDirectory + NAME_MAX + 1];
  std::memcpy(path, kProfileDirectory, sizeof kProfileDirectory - 1);
  path[sizeof kProfileDirectory - 1] = '/';
  for (size_t i = 0; i < count; ++i) {
    std::memcpy(path + sizeof kProfileDirectory, names[i], std::strlen(names[i]) + 1);
    NoteFileSettingLocale(path, notes);
  }
}
