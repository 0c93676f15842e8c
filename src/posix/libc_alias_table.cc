#include "posix/libc_alias_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "posix/line_reader.h"

namespace {

// Where glibc reads aliases: "locale.alias" in each directory of its
// LOCALE_ALIAS_PATH, which is its localedir; for a C library installed under
// /usr, as Debian's and every other distribution's is, that one directory.
const char* const kLocaleAliasFiles[] = {"/usr/share/locale/locale.alias"};

// isspace() in the "C" locale, which the C library reads the file in.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// No alias has a blank or a NUL in it, or is longer than a line is read.
bool CouldBeAlias(const char* name, size_t length) {
  if (length == 0 || length > kLocaleAliasLineMax) return false;
  for (size_t i = 0; i < length; ++i) {
    if (name[i] == '\0' || IsSpace(name[i])) return false;
  }
  return true;
}

bool Matches(const char* line, size_t length, const char* name, size_t nameLength,
             LocaleAliasTarget* target) {
  LocaleAliasEntry entry;
  if (!ParseLocaleAliasLine(line, length, &entry) || entry.aliasLength != nameLength ||
      !EqualsIgnoringCase(entry.alias, name, nameLength)) {
    return false;
  }
  std::memcpy(target->name, entry.target, entry.targetLength);
  target->name[entry.targetLength] = '\0';
  return true;
}

}  // namespace

bool ParseLocaleAliasLine(const char* line, size_t length, LocaleAliasEntry* entry) {
  const bool cut = length > kLocaleAliasLineMax;
  const char* const end = line + (cut ? kLocaleAliasLineMax : length);
  // The C library stops at a NUL byte as at the end of the line, and then
  // loses track of where the line ends: a line with one is damaged.
  if (std::memchr(line, '\0', static_cast<size_t>(end - line)) != nullptr) return false;

  const char* c = line;
  while (c < end && IsSpace(*c)) ++c;
  if (c == end || *c == '#') return false;
  const char* const alias = c;
  while (c < end && !IsSpace(*c)) ++c;
  const char* const aliasEnd = c;
  while (c < end && IsSpace(*c)) ++c;
  if (c == end) return false;
  const char* const target = c;
  while (c < end && !IsSpace(*c)) ++c;
  // Cut off by the end of what is read, the name may go on beyond it.
  if (c == end && cut) return false;

  entry->alias = alias;
  entry->aliasLength = static_cast<size_t>(aliasEnd - alias);
  entry->target = target;
  entry->targetLength = static_cast<size_t>(c - target);
  return true;
}

bool FindLocaleAliasIn(int fd, const char* name, size_t length, LocaleAliasTarget* target) {
  if (!CouldBeAlias(name, length)) return false;
  // Of a line longer than the buffer only its start is read anyway.
  return ReadLines<16384>(fd, [&](const char* line, size_t lineLength, bool) {
    return Matches(line, lineLength, name, length, target);
  });
}

bool ExpandLocaleAlias(const char* name, size_t length, LocaleAliasTarget* target) {
  if (!CouldBeAlias(name, length)) return false;
  for (const char* path : kLocaleAliasFiles) {
    // Non-blocking, so that a FIFO in the file's place cannot stall the report.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat status;
    const bool found = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                       FindLocaleAliasIn(fd, name, length, target);
    close(fd);
    if (found) return true;
  }
  return false;
}
