// The locale file readers on any bytes. systemd's reads through one small
// buffer, so what it finds must be exactly what a line-by-line reading finds,
// and every value kept must be a plain name; pam_env's keeps every value
// within its slot.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "posix/env_file.h"
#include "posix/locale_conf.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckValue(const char* value) {
  const size_t length = strnlen(value, kLocaleConfValueMax + 1);
  Require(length <= kLocaleConfValueMax);
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    Require(c > 0x20 && std::strchr("\"'\\$`;", c) == nullptr);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = memfd_create("locale.conf", 0);
  Require(fd >= 0);
  Require(write(fd, data, size) == static_cast<ssize_t>(size));
  Require(lseek(fd, 0, SEEK_SET) == 0);
  LocaleConf streamed = {};
  ReadLocaleConfFrom(fd, &streamed);
  close(fd);

  // Lines of 1023 bytes or fewer (1024 with their newline) are read.
  LocaleConf direct = {};
  const char* line = reinterpret_cast<const char*>(data);
  const char* const end = line + size;
  while (line < end) {
    const char* newline =
        static_cast<const char*>(std::memchr(line, '\n', static_cast<size_t>(end - line)));
    const size_t length = static_cast<size_t>((newline != nullptr ? newline : end) - line);
    if (length <= 1023) ParseLocaleConfLine(line, length, &direct);
    line += length + 1;
  }

  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    CheckValue(streamed.values[i]);
    Require(std::strcmp(streamed.values[i], direct.values[i]) == 0);
  }

  // The envfile reader, on the same bytes, keeps every value terminated.
  if (size == 0) return 0;
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
  Require(file != nullptr);
  LocaleConf env = {};
  Require(ReadEnvFile(file, &env) == 0);
  std::fclose(file);
  for (const auto& value : env.values) Require(strnlen(value, sizeof value) < sizeof value);
  return 0;
}
