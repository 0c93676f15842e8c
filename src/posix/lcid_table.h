#ifndef LOCALE_REPORT_POSIX_LCID_TABLE_H_
#define LOCALE_REPORT_POSIX_LCID_TABLE_H_

#include <cstddef>
#include <cstdint>

// A Windows locale name ("de-DE", "sr-Latn-RS", "ca-ES-valencia") and the
// identifier Windows gives it. The name is held in the row, not pointed to,
// so that the loader has no address in the table to relocate at every start.
struct WindowsLocale {
  char name[16];
  uint32_t lcid;
};

// Every Windows locale that has an identifier of its own, sorted by name
// (bytewise). Generated; see tools/windows-locales.awk.
extern const WindowsLocale kWindowsLocales[];
extern const size_t kWindowsLocaleCount;

#endif  // LOCALE_REPORT_POSIX_LCID_TABLE_H_
