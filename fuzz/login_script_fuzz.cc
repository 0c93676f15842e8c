// The reader of what a login script's shell printed (env -0's entries) on
// any bytes: it reads no byte past them, and takes a variable only from an
// entry that names it.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "posix/session/login_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char* output = static_cast<char*>(std::malloc(size));
  std::memcpy(output, data, size);
  SessionLedger ledger = {};
  const bool whole = TakeScriptOutput(output, size, "script", &ledger);
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (ledger.values[i] == nullptr) continue;
    const size_t name = std::strlen(kLocaleVariables[i].name);
    const char* entry = ledger.values[i];
    bool found = false;
    for (const char* at = output; whole && at < output + size; at += std::strlen(at) + 1) {
      found = found || (std::strncmp(at, kLocaleVariables[i].name, name) == 0 && at[name] == '=' &&
                        std::strcmp(at + name + 1, entry) == 0);
    }
    if (!found || std::strcmp(ledger.origins[i], "script") != 0) std::abort();
  }
  ClearLedger(&ledger);
  std::free(output);
  return 0;
}
