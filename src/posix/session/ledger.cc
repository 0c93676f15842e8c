#include "posix/session/ledger.h"

#include <cstdlib>
#include <cstring>

namespace {

bool Same(const char* a, const char* b) {
  return a == b || (a != nullptr && b != nullptr && std::strcmp(a, b) == 0);
}

char* Copy(const char* text) {
  if (text == nullptr) return nullptr;
  const size_t size = std::strlen(text) + 1;
  char* copy = static_cast<char*>(std::malloc(size));
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

}  // namespace

bool RecordValue(SessionLedger* ledger, size_t variable, const char* value, const char* origin) {
  if (Same(ledger->values[variable], value)) return true;
  char* const valueCopy = Copy(value);
  char* const originCopy = Copy(origin);
  if ((value != nullptr && valueCopy == nullptr) || (origin != nullptr && originCopy == nullptr)) {
    std::free(valueCopy);
    std::free(originCopy);
    return false;
  }
  std::free(ledger->values[variable]);
  std::free(ledger->origins[variable]);
  ledger->values[variable] = valueCopy;
  ledger->origins[variable] = originCopy;
  return true;
}

LocaleSettings SettingsOf(const SessionLedger& ledger) {
  LocaleSettings settings;
  for (size_t i = 0; i < kLocaleVariableCount; ++i) settings.values[i] = ledger.values[i];
  return settings;
}

void ClearLedger(SessionLedger* ledger) {
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    std::free(ledger->values[i]);
    std::free(ledger->origins[i]);
    ledger->values[i] = ledger->origins[i] = nullptr;
  }
}
