#include "posix/locale_notes.h"

#include <locale.h>

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

Unloadable FindUnloadable(const LocaleSettings& settings) {
  Unloadable found = {};
  for (size_t category = 0; category < kLocaleVariableCount; ++category) {
    const int mask = kLocaleVariables[category].categoryMask;
    if (mask == 0) continue;
    const size_t variable = DecidingVariable(settings, static_cast<LocaleVariable>(category));
    if (variable == kLocaleVariableCount || found.variables[variable]) continue;
    const locale_t loaded = newlocale(mask, settings.values[variable], nullptr);
    if (loaded == nullptr) {
      found.variables[variable] = true;
      ++found.count;
    } else {
      freelocale(loaded);
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
