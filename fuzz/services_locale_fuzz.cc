// The reader of systemd's rules on any bytes, as its shared library: it
// asks for no byte past them, a default it finds is a plain locale name, and
// each rule is found alike whether it is asked for alone or with the other.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "posix/ascii.h"
#include "posix/session/services_locale.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

struct Bytes {
  const unsigned char* bytes;
  size_t size;
};

bool ReadBytes(const void* context, uint64_t offset, size_t size, void* into) {
  const Bytes& from = *static_cast<const Bytes*>(context);
  // The reader asks only for what lies within the library.
  Require(offset <= from.size && size <= from.size - offset);
  std::memcpy(into, from.bytes + offset, size);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact copy, so that a read past the end is one past a heap block.
  unsigned char* bytes = static_cast<unsigned char*>(std::malloc(size + 1));
  std::memcpy(bytes, data, size);
  const Bytes library = {bytes, size};
  const ManagerLibrary read = {ReadBytes, &library, size};
  ManagerRules both;
  if (ReadManagerRules(read, kFallbackRule | kDefaultLangRule, &both)) {
    const size_t length = strnlen(both.defaultLang, sizeof both.defaultLang);
    Require(length < sizeof both.defaultLang);
    for (size_t i = 0; i < length; ++i) {
      const char c = both.defaultLang[i];
      Require(IsAsciiAlnum(c) || std::strchr("._@-", c) != nullptr);
    }
    ManagerRules fallback;
    ManagerRules lang;
    Require(ReadManagerRules(read, kFallbackRule, &fallback));
    Require(ReadManagerRules(read, kDefaultLangRule, &lang));
    Require(fallback.readsDefaultLocale == both.readsDefaultLocale &&
            fallback.defaultLang[0] == '\0');
    Require(!lang.readsDefaultLocale && std::strcmp(lang.defaultLang, both.defaultLang) == 0);
  }
  std::free(bytes);
  return 0;
}
