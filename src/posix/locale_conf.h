#ifndef LOCALE_REPORT_POSIX_LOCALE_CONF_H_
#define LOCALE_REPORT_POSIX_LOCALE_CONF_H_

#include <cstddef>

#include "posix/locale_variables.h"

// The longest setting kept; no locale name comes near it.
const size_t kLocaleConfValueMax = 255;

// The locale settings of a system locale file, indexed by LocaleVariable;
// "" where a setting is absent or empty.
struct LocaleConf {
  char values[kLocaleVariableCount][kLocaleConfValueMax + 1];
};

LocaleSettings SettingsOf(const LocaleConf& conf);

// How a file is read: as systemd reads /etc/locale.conf, or as pam_env reads
// an envfile such as Debian's /etc/default/locale (see env_file.h).
enum LocaleConfSyntax { kLocaleConfSyntax, kEnvFileSyntax };

// What reading a file gave, besides an errno (EACCES, EISDIR, EIO, ...) for
// a file that is there but cannot be read.
const int kLocaleConfRead = 0;
const int kLocaleConfNotRegular = -1;

// Reads `path` into `conf`, emptied first. Returns kLocaleConfRead, ENOENT
// where there is no such file, kLocaleConfNotRegular for a FIFO, device or
// socket (none of which is read, so none can stall the report), or the errno
// of the open or a read that failed.
int ReadLocaleConf(const char* path, LocaleConfSyntax syntax, LocaleConf* conf);

// systemd's syntax: KEY=VALUE lines; values may be quoted with ' or ", lines
// starting with # are comments, and lines that are not settings (or name a
// value no locale could have) are skipped. Reads `fd` to its end; settings
// found replace those in `conf`. Lines longer than 1023 bytes, not counting
// their newline, are skipped. Returns 0 or the errno of a read that failed.
int ReadLocaleConfFrom(int fd, LocaleConf* conf);

// Takes the setting on one line (without its newline), if it has one.
void ParseLocaleConfLine(const char* line, size_t length, LocaleConf* conf);

// Sets a variable's value, cut after kLocaleConfValueMax bytes, where `key`
// (of `keyLength` bytes) names one of the locale variables.
void SetLocaleConfValue(LocaleConf* conf, const char* key, size_t keyLength, const char* value,
                        size_t valueLength);

#endif  // LOCALE_REPORT_POSIX_LOCALE_CONF_H_
