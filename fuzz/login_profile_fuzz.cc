// The profile scanner on any line: it ends, and what it names is a locale
// variable that the line sets, NAME= and all.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "posix/locale_variables.h"
#include "posix/session/login_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* line = reinterpret_cast<const char*>(data);
  const char* name = ProfileLineSets(line, size);
  if (name == nullptr) return 0;
  bool known = false;
  for (const LocaleVariableRow& row : kLocaleVariables) known = known || row.name == name;
  const size_t length = std::strlen(name);
  bool found = false;
  for (size_t i = 0; !found && i + length < size; ++i) {
    found = std::memcmp(line + i, name, length) == 0 && line[i + length] == '=';
  }
  if (!known || !found) std::abort();
  return 0;
}
