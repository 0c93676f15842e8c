// Locale names of any bytes and length: the identifier is always one Windows
// has (or the invariant or custom one), and the codeset never changes it.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "posix/lcid_table.h"
#include "posix/locale_name_to_lcid.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool IsKnownIdentifier(uint32_t lcid) {
  if (lcid == kLcidInvariant || lcid == kLcidCustomDefault) return true;
  for (size_t i = 0; i < kWindowsLocaleCount; ++i) {
    if (kWindowsLocales[i].lcid == lcid) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  const uint32_t lcid = LocaleNameToLcid(name.data(), name.size());
  Require(IsKnownIdentifier(lcid));

  // Adding a codeset, or a modifier that means nothing to Windows, to a name
  // that has neither changes nothing.
  if (name.find_first_of(".@") == std::string::npos) {
    for (const char* suffix : {".UTF-8", ".ISO-8859-15@euro", "@euro", ".", "@"}) {
      const std::string longer = name + suffix;
      Require(LocaleNameToLcid(longer.data(), longer.size()) == lcid);
    }
  }
  return 0;
}
