#ifndef LOCALE_REPORT_POSIX_LOCALE_NOTES_H_
#define LOCALE_REPORT_POSIX_LOCALE_NOTES_H_

#include <cstddef>

#include "capture.h"
#include "posix/locale_variables.h"

// Adds a note, as far as there is room; `source` and `other` may be nullptr,
// and each text is cut after kNoteValueMax bytes.
void AddNote(CaptureNotes* notes, CaptureNoteKind kind, const char* source, const char* variable,
             const char* value, int error, const char* other);

// Notes each variable whose locale the C library cannot load for a category
// that takes its locale from it, with sources[variable] as where it comes
// from (nullptr for the environment), and returns how many there are. Each
// category is loaded apart from the program's own locale (newlocale), which
// stays as it was.
size_t NoteUnloadable(const LocaleSettings& settings, const char* const* sources,
                      CaptureNotes* notes);

#endif  // LOCALE_REPORT_POSIX_LOCALE_NOTES_H_
