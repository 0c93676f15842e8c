#include "posix/locale_notes.h"

#include <locale.h>

#include <cstring>

#include "posix/text.h"

void AddNote(CaptureNotes* notes, CaptureNoteKind kind, const char* source, const char* variable,
             const char* value, int error, const char* other) {
  // What pam_env says once for each line that reads a file is said once.
  for (size_t i = 0; kind == kNotePamEnvSaid && i < notes->count; ++i) {
    const CaptureNote& said = notes->notes[i];
    if (said.kind == kind && SameStart(said.value, value != nullptr ? value : "", kNoteTextMax)) {
      return;
    }
  }
  if (notes->count == sizeof notes->notes / sizeof notes->notes[0]) {
    ++notes->dropped;
    return;
  }
  CaptureNote& note = notes->notes[notes->count++];
  note.kind = kind;
  CopyText(note.source, source, sizeof note.source);
  note.variable = variable;
  CopyText(note.value, value, sizeof note.value);
  note.error = error;
  CopyText(note.other, other, sizeof note.other);
}

namespace {

// Whether the locale `name` loads for every category of `mask`.
bool Loads(int mask, const char* name) {
  const locale_t loaded = newlocale(mask, name, nullptr);
  if (loaded == nullptr) return false;
  freelocale(loaded);
  return true;
}

}  // namespace

Unloadable FindUnloadable(const LocaleSettings& settings, const LocaleSettings* loaded) {
  // The categories each variable decides, but those known to load.
  int masks[kLocaleVariableCount] = {};
  for (size_t category = 0; category < kLocaleVariableCount; ++category) {
    const int mask = kLocaleVariables[category].categoryMask;
    if (mask == 0) continue;
    const LocaleVariable which = static_cast<LocaleVariable>(category);
    if (loaded != nullptr &&
        std::strcmp(CategoryLocale(settings, which), CategoryLocale(*loaded, which)) == 0) {
      continue;
    }
    const size_t variable = DecidingVariable(settings, which);
    if (variable < kLocaleVariableCount) masks[variable] |= mask;
  }
  // Each locale named is loaded once, for every category that names it: a
  // load for a dozen categories costs little more than for one. Only where
  // it fails is each variable that names it loaded on its own, to say which.
  Unloadable found = {};
  bool checked[kLocaleVariableCount] = {};
  for (size_t variable = 0; variable < kLocaleVariableCount; ++variable) {
    if (masks[variable] == 0 || checked[variable]) continue;
    const char* name = settings.values[variable];
    int mask = 0;
    size_t namers = 0;
    for (size_t other = variable; other < kLocaleVariableCount; ++other) {
      if (masks[other] == 0 || std::strcmp(settings.values[other], name) != 0) continue;
      mask |= masks[other];
      ++namers;
    }
    const bool loads = Loads(mask, name);
    for (size_t other = variable; other < kLocaleVariableCount; ++other) {
      if (masks[other] == 0 || std::strcmp(settings.values[other], name) != 0) continue;
      checked[other] = true;
      if (!loads && (namers == 1 || !Loads(masks[other], name))) {
        found.variables[other] = true;
        ++found.count;
      }
    }
  }
  return found;
}

void NoteUnloadable(const LocaleSettings& settings, const Unloadable& unloadable,
                    const char* const* sources, CaptureNotes* notes) {
  for (size_t variable = 0; variable < kLocaleVariableCount; ++variable) {
    if (!unloadable.variables[variable]) continue;
    AddNote(notes, kNoteUnloadable, sources != nullptr ? sources[variable] : nullptr,
            kLocaleVariables[variable].name, settings.values[variable], 0, nullptr);
  }
}
