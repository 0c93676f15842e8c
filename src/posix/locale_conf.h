#ifndef LOCALE_REPORT_POSIX_LOCALE_CONF_H_
#define LOCALE_REPORT_POSIX_LOCALE_CONF_H_

#include <cstddef>

// The longest setting kept; no locale name comes near it.
const size_t kLocaleConfValueMax = 255;

// The settings of a system locale file ("/etc/locale.conf") that the report
// uses; "" where a setting is absent or empty.
struct LocaleConf {
  char lcAll[kLocaleConfValueMax + 1];
  char lcCtype[kLocaleConfValueMax + 1];
  char lcMessages[kLocaleConfValueMax + 1];
  char lang[kLocaleConfValueMax + 1];
};

// Reads `path` as KEY=VALUE lines: values may be quoted with ' or ", lines
// starting with # are comments, and lines that are not settings (or name a
// value no locale could have) are skipped. Returns false only when there is
// no such file; one that cannot be read, or is not a regular file, counts as
// a file without settings.
bool ReadLocaleConf(const char* path, LocaleConf* conf);

// The same for a file already open; reads `fd` to its end. Settings found
// replace those in `conf`. Lines longer than 1023 bytes, not counting their
// newline, are skipped.
void ReadLocaleConfFrom(int fd, LocaleConf* conf);

// Takes the setting on one line (without its newline), if it has one.
void ParseLocaleConfLine(const char* line, size_t length, LocaleConf* conf);

#endif  // LOCALE_REPORT_POSIX_LOCALE_CONF_H_
