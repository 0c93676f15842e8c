#ifndef LOCALE_REPORT_POSIX_LOCALE_ENVIRONMENT_H_
#define LOCALE_REPORT_POSIX_LOCALE_ENVIRONMENT_H_

#include "capture.h"

// Where setlocale(LC_ALL, "") failed: the variables whose locale the C
// library cannot load for a category that takes its locale from them
// (LC_ALL, else the category's own, else LANG), added to `unloadable`.
// Leaves every category "C", as that failure left it.
void FindUnloadableSettings(UnloadableSettings* unloadable);

#endif  // LOCALE_REPORT_POSIX_LOCALE_ENVIRONMENT_H_
