#ifndef LOCALE_REPORT_POSIX_TEXT_H_
#define LOCALE_REPORT_POSIX_TEXT_H_

#include <cstddef>

// What follows `prefix` at the start of `text`, or nullptr where it does
// not start so.
inline const char* AfterPrefix(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (*text != *prefix) return nullptr;
  }
  return text;
}

// Whether the first `count` bytes of `a` and `b` (each no further than its
// end) are the same.
inline bool SameStart(const char* a, const char* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (a[i] != b[i]) return false;
    if (a[i] == '\0') return true;
  }
  return true;
}

// As much of `text` (nullptr: none) as `size` bytes hold, ended, into `to`.
inline void CopyText(char* to, const char* text, size_t size) {
  size_t length = 0;
  while (text != nullptr && length + 1 < size && text[length] != '\0') ++length;
  for (size_t i = 0; i < length; ++i) to[i] = text[i];
  to[length] = '\0';
}

// DIRECTORY/NAME into `to`, of `size` bytes; false, with `to` as it was,
// where it does not fit: a path is never cut.
inline bool JoinPath(char* to, size_t size, const char* directory, const char* name) {
  size_t directoryLength = 0;
  size_t nameLength = 0;
  while (directory[directoryLength] != '\0') ++directoryLength;
  while (name[nameLength] != '\0') ++nameLength;
  if (directoryLength + 1 + nameLength >= size) return false;
  for (size_t i = 0; i < directoryLength; ++i) to[i] = directory[i];
  to[directoryLength] = '/';
  for (size_t i = 0; i <= nameLength; ++i) to[directoryLength + 1 + i] = name[i];
  return true;
}

#endif  // LOCALE_REPORT_POSIX_TEXT_H_
