// The login shell's profile, as far as it may set a locale: lines other
// than the distribution's locale script's that would set one.

#include "posix/session/login_profile.h"

#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "posix/line_reader.h"
#include "posix/locale_notes.h"
#include "posix/locale_variables.h"
#include "posix/regular_file.h"
#include "posix/session/login_script.h"
#include "posix/text.h"

namespace {

const char kProfile[] = "/etc/profile";
const char kProfileDirectory[] = "/etc/profile.d";

}  // namespace

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Whether `c` is one of `set`; a NUL never is, though strchr() finds one
// at the end of every set.
bool IsOneOf(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

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
  while (c < end && !IsBlank(*c) && !IsOneOf(*c, ";&|#)}")) ++c;
  while (c < end && IsBlank(*c)) ++c;
  return c == end || IsOneOf(*c, ";&|#)}") ? name : nullptr;
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

}  // namespace

const char* ProfileLineSets(const char* line, size_t length) {
  if (!MentionsLocale(line, length)) return nullptr;
  const char* const end = line + length;
  for (const char* c = line; c < end;) {
    while (c < end && (IsBlank(*c) || IsOneOf(*c, ";&|"))) ++c;
    if (c == end || *c == '#') return nullptr;
    if (const char* name = StatementSets(c, end)) return name;
    // Past the statement, and at least one byte on whatever it holds.
    ++c;
    while (c < end && !IsOneOf(*c, ";&|")) ++c;
  }
  return nullptr;
}

namespace {

void NoteFileSettingLocale(const char* path, CaptureNotes* notes) {
  int fd;
  if (OpenRegularFile(path, &fd) != 0) return;
  // Most profile files are small and name no locale variable at all: a
  // look at the whole of one is all they cost.
  char whole[8192];
  const ssize_t size = read(fd, whole, sizeof whole);
  close(fd);
  const char* first = nullptr;
  const auto take = [&first](const char* line, size_t length) {
    if (first == nullptr) first = ProfileLineSets(line, length);
  };
  if (size >= 0 && static_cast<size_t>(size) < sizeof whole) {
    if (!MentionsLocale(whole, static_cast<size_t>(size))) return;
    const char* const end = whole + size;
    for (const char* line = whole; line < end && first == nullptr;) {
      const void* newline = std::memchr(line, '\n', static_cast<size_t>(end - line));
      const char* lineEnd = newline != nullptr ? static_cast<const char*>(newline) : end;
      take(line, static_cast<size_t>(lineEnd - line));
      line = lineEnd + 1;
    }
  } else if (OpenRegularFile(path, &fd) == 0) {
    // A line longer than the buffer is not looked at, and said so.
    if (ReadLines<65536>(fd, take, kLineTooLong) == kLineTooLong) {
      AddNote(notes, kNoteUnreadable, path, nullptr, nullptr, kLineTooLong, nullptr);
    }
    close(fd);
  }
  if (first != nullptr) AddNote(notes, kNoteProfileLine, path, first, nullptr, 0, nullptr);
}

// The C locale's order: the one the report's own glob would have.
int ByName(const dirent** a, const dirent** b) { return std::strcmp((*a)->d_name, (*b)->d_name); }

// The *.sh of /etc/profile.d but the scripts that are run aside.
int IsOtherProfileScript(const dirent* entry) {
  const size_t length = std::strlen(entry->d_name);
  if (length < 4 || std::strcmp(entry->d_name + length - 3, ".sh") != 0) return 0;
  for (size_t i = 0; i < kLocaleScriptCount; ++i) {
    const LocaleScript& script = kLocaleScripts[i];
    const char* base = std::strrchr(script.path, '/') + 1;
    if (script.insteadOf == nullptr && std::strcmp(base, entry->d_name) == 0) return 0;
  }
  return 1;
}

}  // namespace

void NoteProfileLocaleLines(CaptureNotes* notes) {
  NoteFileSettingLocale(kProfile, notes);
  // In the order /etc/profile's glob takes them, however many there are.
  dirent** entries;
  const int count = scandir(kProfileDirectory, &entries, IsOtherProfileScript, ByName);
  if (count < 0) return;
  char path[sizeof kProfileDirectory + NAME_MAX + 1];
  std::memcpy(path, kProfileDirectory, sizeof kProfileDirectory - 1);
  path[sizeof kProfileDirectory - 1] = '/';
  for (int i = 0; i < count; ++i) {
    CopyText(path + sizeof kProfileDirectory, entries[i]->d_name, NAME_MAX + 1);
    NoteFileSettingLocale(path, notes);
    std::free(entries[i]);
  }
  std::free(entries);
}
