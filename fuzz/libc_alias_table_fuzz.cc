// The alias table reader on any bytes: the first line is the name to look up,
// the rest the table. Whatever it finds is one plain field of one line of the
// table, shorter than a line is read, and finding it twice gives the same.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "posix/libc_alias_table.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t newline = input.find('\n');
  const std::string name = input.substr(0, newline);
  const std::string content = newline == std::string::npos ? "" : input.substr(newline + 1);

  const int fd = memfd_create("locale.alias", 0);
  Require(fd >= 0);
  Require(write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()));
  LocaleAliasTarget first;
  const bool found = FindLocaleAliasIn(fd, name.data(), name.size(), &first);
  LocaleAliasTarget again;
  Require(FindLocaleAliasIn(fd, name.data(), name.size(), &again) == found);
  close(fd);
  if (!found) return 0;

  const size_t length = std::strlen(first.name);
  Require(std::strcmp(first.name, again.name) == 0);
  Require(length > 0 && length < kLocaleAliasLineMax);
  Require(content.find(first.name) != std::string::npos);
  for (size_t i = 0; i < length; ++i) {
    const char c = first.name[i];
    Require(c != ' ' && (c < '\t' || c > '\r'));
  }
  return 0;
}
