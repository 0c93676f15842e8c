#include "posix/session/variable_store.h"

#include <cstring>

void ClearVariables(VariableStore* store) {
  for (StoredValue& slot : store->locale) {
    slot.value[0] = '\0';
  }
}

void SetVariable(VariableStore* store, const char* name, size_t nameLength, const char* value,
                 size_t valueLength) {
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    const char* known = kLocaleVariables[i].name;
    if (std::strlen(known) != nameLength || std::memcmp(known, name, nameLength) != 0) continue;
    StoredValue& slot = store->locale[i];
    if (valueLength > kVariableValueMax) valueLength = kVariableValueMax;
    std::memcpy(slot.value, value, valueLength);
    slot.value[valueLength] = '\0';
    return;
  }
}

LocaleSettings SettingsOf(const VariableStore& store) {
  LocaleSettings settings;
  for (size_t i = 0; i < kLocaleVariableCount; ++i) settings.values[i] = store.locale[i].value;
  return settings;
}
