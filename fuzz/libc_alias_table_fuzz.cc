// The alias file reader on any bytes: the first line is the name to look up,
// the rest the file. It reads through one buffer, so what it finds must be
// exactly what a line-by-line reading finds first, and what it finds must be
// one plain field of the file.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "posix/libc_alias_table.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* const begin = reinterpret_cast<const char*>(data);
  const char* const end = begin + size;
  const char* nameEnd = static_cast<const char*>(std::memchr(begin, '\n', size));
  if (nameEnd == nullptr) nameEnd = end;
  const size_t nameLength = static_cast<size_t>(nameEnd - begin);
  const char* const file = nameEnd < end ? nameEnd + 1 : end;
  const size_t fileSize = static_cast<size_t>(end - file);

  const int fd = memfd_create("locale.alias", 0);
  Require(fd >= 0);
  Require(write(fd, file, fileSize) == static_cast<ssize_t>(fileSize));
  Require(lseek(fd, 0, SEEK_SET) == 0);
  LocaleAliasTarget streamed;
  const bool found = FindLocaleAliasIn(fd, begin, nameLength, &streamed);
  close(fd);

  bool directFound = false;
  LocaleAliasEntry direct = {};
  const bool nameUsable = nameLength > 0 && nameLength <= kLocaleAliasLineMax &&
                          std::memchr(begin, '\0', nameLength) == nullptr;
  for (const char* line = file; nameUsable && line < end && !directFound;) {
    const char* newline =
        static_cast<const char*>(std::memchr(line, '\n', static_cast<size_t>(end - line)));
    const size_t length = static_cast<size_t>((newline != nullptr ? newline : end) - line);
    LocaleAliasEntry entry;
    if (ParseLocaleAliasLine(line, length, &entry) && entry.aliasLength == nameLength &&
        SameIgnoringCase(entry.alias, begin, nameLength)) {
      directFound = true;
      direct = entry;
    }
    line += length + 1;
  }

  Require(found == directFound);
  if (found) {
    const size_t length = std::strlen(streamed.name);
    Require(length == direct.targetLength && length > 0 && length < kLocaleAliasLineMax);
    Require(std::memcmp(streamed.name, direct.target, length) == 0);
    for (size_t i = 0; i < length; ++i) {
      const char c = streamed.name[i];
      Require(c != ' ' && (c < '\t' || c > '\r'));
    }
  }
  return 0;
}
