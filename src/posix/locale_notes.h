#ifndef LOCALE_REPORT_POSIX_LOCALE_NOTES_H_
#define LOCALE_REPORT_POSIX_LOCALE_NOTES_H_

#include <cstddef>

#include "capture.h"
#include "posix/locale_variables.h"

// Adds a note, or counts it where there is no room; `source` and `other`
// may be nullptr, and each text is cut after kNoteTextMax bytes.
void AddNote(CaptureNotes* notes, CaptureNoteKind kind, const char* source, const char* variable,
             const char* value, int error, const char* other);

// The variables whose locale the C library cannot load for a category that
// takes its locale from them. Each locale is loaded apart from the
// program's own (newlocale), which stays as it was, once for all the
// categories that name it, and again for each variable only where that
// fails. A category whose locale is the one it has in `loaded` (settings
// whose locales have been loaded without LOCPATH, or nullptr) is not loaded
// again.
struct Unloadable {
  bool variables[kLocaleVariableCount];
  size_t count;
};
Unloadable FindUnloadable(const LocaleSettings& settings, const LocaleSettings* loaded = nullptr);

// Notes each, with sources[variable] as where it comes from (no sources,
// or nullptr, for the environment).
void NoteUnloadable(const LocaleSettings& settings, const Unloadable& unloadable,
                    const char* const* sources, CaptureNotes* notes);

#endif  // LOCALE_REPORT_POSIX_LOCALE_NOTES_H_
