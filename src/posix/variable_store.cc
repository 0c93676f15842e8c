#include "posix/variable_store.h"

#include <cstring>

namespace {

bool Named(const char* name, const char* key, size_t keyLength) {
  return std::strncmp(name, key, keyLength) == 0 && name[keyLength] == '\0';
}

// The slot of a variable; nullptr where it has none, and, with `add`, no
// room is left for one.
StoredValue* Slot(VariableStore* store, const char* name, size_t nameLength, bool add) {
  if (nameLength > kVariableNameMax || std::memchr(name, '\0', nameLength) != nullptr) {
    return nullptr;
  }
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (Named(kLocaleVariables[i].name, name, nameLength)) return &store->locale[i];
  }
  for (size_t i = 0; i < store->otherCount; ++i) {
    if (Named(store->others[i].name, name, nameLength)) return &store->others[i].setting;
  }
  const size_t room = sizeof store->others / sizeof store->others[0];
  if (!add || store->otherCount == room) return nullptr;
  StoredVariable& added = store->others[store->otherCount++];
  std::memcpy(added.name, name, nameLength);
  added.name[nameLength] = '\0';
  return &added.setting;
}

}  // namespace

void ClearVariables(VariableStore* store) {
  for (StoredValue& slot : store->locale) {
    slot.value[0] = '\0';
    slot.source = nullptr;
  }
  store->otherCount = 0;
}

void SetVariable(VariableStore* store, const char* name, size_t nameLength, const char* value,
                 size_t valueLength, const char* source) {
  StoredValue* slot = Slot(store, name, nameLength, true);
  if (slot == nullptr) return;
  if (valueLength > kVariableValueMax) valueLength = kVariableValueMax;
  std::memcpy(slot->value, value, valueLength);
  slot->value[valueLength] = '\0';
  slot->source = source;
}

const char* VariableValue(const VariableStore& store, const char* name, size_t nameLength) {
  const StoredValue* slot = Slot(const_cast<VariableStore*>(&store), name, nameLength, false);
  return slot != nullptr ? slot->value : "";
}

LocaleSettings SettingsOf(const VariableStore& store) {
  LocaleSettings settings;
  for (size_t i = 0; i < kLocaleVariableCount; ++i) settings.values[i] = store.locale[i].value;
  return settings;
}
