// systemd's locale file reader on any bytes. It reads through one small
// buffer, so what it finds must be exactly what a line-by-line reading finds,
// and every value kept must be a plain name.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "posix/session/locale_conf.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckValue(const char* value) {
  const size_t length = strnlen(value, kVariableValueMax + 1);
  Require(length <= kVariableValueMax);
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
  VariableStore streamed = {};
  ReadLocaleConf(fd, &streamed);

  // Lines of 1023 bytes or fewer (1024 with their newline) are read.
  VariableStore direct = {};
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
    CheckValue(streamed.locale[i].value);
    Require(std::strcmp(streamed.locale[i].value, direct.locale[i].value) == 0);
  }

  close(fd);
  return 0;
}
