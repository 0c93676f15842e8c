#include "posix/libc_alias_table.h"

#include <unistd.h>

#include <cstring>

#include "posix/ascii.h"
#include "posix/line_reader.h"
#include "posix/regular_file.h"

namespace {

// Where glibc reads aliases: "locale.alias" in its LOCALE_ALIAS_PATH, which
// is its localedir; for a C library installed under /usr, as Debian's and
// every other distribution's is, this one file.
const char kLocaleAliasTable[] = "/usr/share/locale/locale.alias";

// strcasecmp() in the "C" locale, the order the C library sorts aliases in.
// `name` holds no NUL.
int CompareIgnoringCase(const char* name, size_t length, const char* alias) {
  for (size_t i = 0;; ++i) {
    const int a = i < length ? LowerAscii(name[i]) : 0;
    const int b = LowerAscii(alias[i]);
    if (a != b || a == 0) return a - b;
  }
}

// No alias has a blank or a NUL in it, or is longer than a line is read.
bool CouldBeAlias(const char* name, size_t length) {
  if (length == 0 || length > kLocaleAliasLineMax) return false;
  for (size_t i = 0; i < length; ++i) {
    if (name[i] == '\0' || IsAsciiSpace(name[i])) return false;
  }
  return true;
}

// Hands each entry to `take`, in the order of the table, reading it as the C
// library does: a line in pieces of at most 399 bytes, of which the first
// holds the entry. A piece without a newline before its first NUL is taken
// for the start of a longer line, so the pieces after it are skipped up to
// one that has such a newline: a NUL byte can hide the line after its own.
template <typename Take>
void ForEachEntry(int table, Take take) {
  PieceReader reader;
  StartPieces(&reader, table);
  if (lseek(table, 0, SEEK_SET) != 0) return;
  char line[kLocaleAliasLineMax + 1];
  while (GetPiece(&reader, line, sizeof line)) {
    const bool complete = std::strchr(line, '\n') != nullptr;
    LocaleAliasEntry entry;
    if (ParseLocaleAliasLine(line, &entry)) take(entry);
    if (complete) continue;
    while (GetPiece(&reader, line, sizeof line) && std::strchr(line, '\n') == nullptr) {
    }
  }
}

// `name` came from one line, so it fits.
void Copy(const char* name, LocaleAliasTarget* target) {
  std::memcpy(target->name, name, std::strlen(name) + 1);
}

}  // namespace

bool ParseLocaleAliasLine(char* line, LocaleAliasEntry* entry) {
  char* c = line;
  while (IsAsciiSpace(*c)) ++c;
  if (*c == '\0' || *c == '#') return false;
  entry->alias = c;
  while (*c != '\0' && !IsAsciiSpace(*c)) ++c;
  if (*c != '\0') *c++ = '\0';
  while (IsAsciiSpace(*c)) ++c;
  if (*c == '\0') return false;
  entry->target = c;
  while (*c != '\0' && !IsAsciiSpace(*c)) ++c;
  *c = '\0';
  return true;
}

bool FindLocaleAliasIn(int table, const char* name, size_t length, LocaleAliasTarget* target) {
  if (!CouldBeAlias(name, length)) return false;
  // Where the entries sort: how many before the name, how many are it.
  size_t total = 0;
  size_t before = 0;
  size_t equal = 0;
  ForEachEntry(table, [&](const LocaleAliasEntry& entry) {
    ++total;
    const int order = CompareIgnoringCase(name, length, entry.alias);
    if (order > 0) ++before;
    if (order == 0 && equal++ == 0) Copy(entry.target, target);
  });
  if (equal == 0) return false;

  // The C library's sort keeps entries of one alias in the table's order, and
  // its bsearch() halves [low, high) until it meets one of them.
  size_t low = 0;
  size_t high = total;
  size_t met;
  for (;;) {
    met = (low + high) / 2;
    if (met < before) {
      low = met + 1;
    } else if (met >= before + equal) {
      high = met;
    } else {
      break;
    }
  }
  if (met == before) return true;
  size_t seen = 0;
  ForEachEntry(table, [&](const LocaleAliasEntry& entry) {
    if (CompareIgnoringCase(name, length, entry.alias) == 0 && seen++ == met - before) {
      Copy(entry.target, target);
    }
  });
  return true;
}

bool ExpandLocaleAlias(const char* name, size_t length, LocaleAliasTarget* target) {
  if (!CouldBeAlias(name, length)) return false;
  // Non-blocking, so that this reader adds no wait of its own on a FIFO in
  // the table's place. The C library opens the same file blocking, inside
  // setlocale() and newlocale(), for a name it does not find in its locale
  // archive, or for any name where LOCPATH is set: there a FIFO stalls every
  // program that loads a locale, this one included.
  int table;
  if (OpenRegularFile(kLocaleAliasTable, &table) != 0) return false;
  const bool found = FindLocaleAliasIn(table, name, length, target);
  close(table);
  return found;
}
