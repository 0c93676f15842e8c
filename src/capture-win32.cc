// The values on Windows, straight from the National Language Support queries.
// They are called directly, so the loader binds all eight when the program
// starts: on a Windows without one of them the program does not start at all.

#include <windows.h>

#include "capture.h"

// Windows takes no locale from the environment or a file, so there is nothing
// to note.
LocaleSnapshot CaptureLocaleSnapshot(CaptureNotes* notes) {
  notes->count = notes->dropped = 0;
  // One statement per query keeps them in the report's order.
  LocaleSnapshot snapshot;
  snapshot.systemLcid = GetSystemDefaultLCID();
  snapshot.userLcid = GetUserDefaultLCID();
  snapshot.systemLangId = GetSystemDefaultLangID();
  snapshot.userLangId = GetUserDefaultLangID();
  snapshot.systemUiLanguage = GetSystemDefaultUILanguage();
  snapshot.userUiLanguage = GetUserDefaultUILanguage();
  snapshot.ansiCodePage = GetACP();
  snapshot.oemCodePage = GetOEMCP();
  return snapshot;
}
