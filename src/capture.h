#ifndef LOCALE_REPORT_CAPTURE_H_
#define LOCALE_REPORT_CAPTURE_H_

#include "locale_snapshot.h"

// Asks the platform for the eight values, in the report's order. The only code
// that talks to the platform's locale services; each platform has its own.
LocaleSnapshot CaptureLocaleSnapshot();

#endif  // LOCALE_REPORT_CAPTURE_H_
