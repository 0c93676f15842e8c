#include "posix/locale_conf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "posix/env_file.h"
#include "posix/line_reader.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Characters that would make a value something other than a plain name once
// a shell read the file.
bool IsForbiddenInValue(char c) {
  return IsBlank(c) || std::strchr("\"'\\$`;", c) != nullptr ||
         static_cast<unsigned char>(c) < 0x20;
}

}  // namespace

LocaleSettings SettingsOf(const LocaleConf& conf) {
  LocaleSettings settings;
  for (size_t i = 0; i < kLocaleVariableCount; ++i) settings.values[i] = conf.values[i];
  return settings;
}

void SetLocaleConfValue(LocaleConf* conf, const char* key, size_t keyLength, const char* value,
                        size_t valueLength) {
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    const char* name = kLocaleVariableNames[i];
    if (std::strlen(name) == keyLength && std::memcmp(name, key, keyLength) == 0) {
      if (valueLength > kLocaleConfValueMax) valueLength = kLocaleConfValueMax;
      std::memcpy(conf->values[i], value, valueLength);
      conf->values[i][valueLength] = '\0';
      return;
    }
  }
}

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
  SetLocaleConfValue(conf, begin, static_cast<size_t>(keyEnd - begin), value, valueLength);
}

int ReadLocaleConfFrom(int fd, LocaleConf* conf) {
  // A line that fills the 1 KiB buffer is too long to be a setting.
  return ReadLines<1024>(
      fd, [conf](const char* line, size_t length) { ParseLocaleConfLine(line, length, conf); });
}

namespace {

// Reads the open regular file and closes it.
int ReadAndClose(int fd, LocaleConfSyntax syntax, LocaleConf* conf) {
  if (syntax == kLocaleConfSyntax) {
    const int result = ReadLocaleConfFrom(fd, conf);
    close(fd);
    return result;
  }
  std::FILE* file = fdopen(fd, "r");
  if (file == nullptr) {
    const int error = errno;
    close(fd);
    return error;
  }
  const int result = ReadEnvFile(file, conf);
  std::fclose(file);
  return result;
}

}  // namespace

int ReadLocaleConf(const char* path, LocaleConfSyntax syntax, LocaleConf* conf) {
  *conf = LocaleConf{};
  // Non-blocking, so that a FIFO in the file's place cannot stall the report.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOTDIR ? ENOENT : errno;
  struct stat status;
  int result = kLocaleConfNotRegular;
  if (fstat(fd, &status) != 0) {
    result = errno;
  } else if (S_ISDIR(status.st_mode)) {
    result = EISDIR;
  } else if (S_ISREG(status.st_mode)) {
    result = ReadAndClose(fd, syntax, conf);
    // What a file that failed half-way gave is not what it says.
    if (result != kLocaleConfRead) *conf = LocaleConf{};
    return result;
  }
  close(fd);
  return result;
}
