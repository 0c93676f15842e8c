#include "posix/session/locale_conf.h"

#include <cstring>

#include "posix/ascii.h"
#include "posix/line_reader.h"

namespace {

// Characters that would make a value something other than a plain name once
// a shell read the file.
bool IsForbiddenInValue(char c) {
  return IsLineBlank(c) || std::strchr("\"'\\$`;", c) != nullptr ||
         static_cast<unsigned char>(c) < 0x20;
}

}  // namespace

void ParseLocaleConfLine(const char* line, size_t length, VariableStore* store) {
  if (std::memchr(line, '\0', length) != nullptr) return;
  const char* begin = line;
  const char* end = line + length;
  while (begin < end && IsLineBlank(*begin)) ++begin;
  while (end > begin && IsLineBlank(end[-1])) --end;
  if (begin == end || *begin == '#') return;

  const char* equals =
      static_cast<const char*>(std::memchr(begin, '=', static_cast<size_t>(end - begin)));
  if (equals == nullptr) return;
  const char* keyEnd = equals;
  while (keyEnd > begin && IsLineBlank(keyEnd[-1])) --keyEnd;
  const char* value = equals + 1;
  while (value < end && IsLineBlank(*value)) ++value;
  const char* valueEnd = end;

  if (value < valueEnd && (*value == '"' || *value == '\'')) {
    if (valueEnd - value < 2 || valueEnd[-1] != *value) return;
    ++value;
    --valueEnd;
  }
  for (const char* c = value; c < valueEnd; ++c) {
    if (IsForbiddenInValue(*c)) return;
  }
  const size_t valueLength = static_cast<size_t>(valueEnd - value);
  if (valueLength > kVariableValueMax) return;
  SetVariable(store, begin, static_cast<size_t>(keyEnd - begin), value, valueLength);
}

int ReadLocaleConf(int fd, VariableStore* store) {
  // A line that fills the 1 KiB buffer is too long to be a setting.
  return ReadLines<1024>(
      fd, [store](const char* line, size_t length) { ParseLocaleConfLine(line, length, store); });
}
