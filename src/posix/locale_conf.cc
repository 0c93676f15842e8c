#include "posix/locale_conf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "posix/line_reader.h"

namespace {

struct Setting {
  const char* key;
  char (LocaleConf::*value)[kLocaleConfValueMax + 1];
};

const Setting kSettings[] = {
    {"LANG", &LocaleConf::lang},
    {"LC_ALL", &LocaleConf::lcAll},
    {"LC_CTYPE", &LocaleConf::lcCtype},
    {"LC_MESSAGES", &LocaleConf::lcMessages},
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Characters that would make a value something other than a plain name once
// a shell read the file.
bool IsForbiddenInValue(char c) {
  return IsBlank(c) || std::strchr("\"'\\$`;", c) != nullptr ||
         static_cast<unsigned char>(c) < 0x20;
}

}  // namespace

void ParseLocaleConfLine(const char* line, size_t length, LocaleConf* conf) {
  if (std::memchr(line, '\0', length) != nullptr) return;
  const char* begin = line;
  const char* end = line + length;
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  if (begin == end || *begin == '#') return;

  const char* equals =
      static_cast<const char*>(std::memchr(begin, '=', static_cast<size_t>(end - begin)));
  if (equals == nullptr) return;
  const char* keyEnd = equals;
  while (keyEnd > begin && IsBlank(keyEnd[-1])) --keyEnd;
  const char* value = equals + 1;
  while (value < end && IsBlank(*value)) ++value;
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
  if (valueLength > kLocaleConfValueMax) return;

  const size_t keyLength = static_cast<size_t>(keyEnd - begin);
  for (const Setting& setting : kSettings) {
    if (std::strlen(setting.key) == keyLength && std::memcmp(setting.key, begin, keyLength) == 0) {
      char* slot = conf->*setting.value;
      std::memcpy(slot, value, valueLength);
      slot[valueLength] = '\0';
      return;
    }
  }
}

void ReadLocaleConfFrom(int fd, LocaleConf* conf) {
  // A line that fills the 1 KiB buffer is too long to be a setting.
  ReadLines<1024>(
      fd, [conf](const char* line, size_t length) { ParseLocaleConfLine(line, length, conf); });
}

bool ReadLocaleConf(const char* path, LocaleConf* conf) {
  *conf = LocaleConf{};
  // Non-blocking, so that a FIFO in the file's place cannot stall the report.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno != ENOENT && errno != ENOTDIR;
  struct stat status;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) ReadLocaleConfFrom(fd, conf);
  close(fd);
  return true;
}
