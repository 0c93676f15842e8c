#ifndef LOCALE_REPORT_CAPTURE_H_
#define LOCALE_REPORT_CAPTURE_H_

#include <cstddef>

#include "locale_snapshot.h"

// A variable of the environment that names a locale the platform could not
// load, which leaves every program that takes its locale from there in "C".
struct UnloadableSetting {
  const char* variable;
  const char* value;
};

// The unloadable settings a capture found, in the order locale(1) lists the
// variables: LANG, the categories, LC_ALL.
struct UnloadableSettings {
  UnloadableSetting settings[16];
  size_t count;
};

// Asks the platform for the eight values, in the report's order, and notes
// the settings it could not honour. The only code that talks to the
// platform's locale services; each platform has its own.
LocaleSnapshot CaptureLocaleSnapshot(UnloadableSettings* unloadable);

#endif  // LOCALE_REPORT_CAPTURE_H_
