#ifndef LOCALE_REPORT_POSIX_SESSION_LOCALE_CONF_H_
#define LOCALE_REPORT_POSIX_SESSION_LOCALE_CONF_H_

#include <cstddef>

#include "posix/session/variable_store.h"

// systemd's reading of /etc/locale.conf: KEY=VALUE lines; values may be
// quoted with ' or ", lines starting with # are comments, and lines that are
// not settings (or name a value no locale could have, or one longer than
// kVariableValueMax) are skipped. Reads `fd` to its end; the settings found
// go into `store`. Lines longer than 1023 bytes, not
// counting their newline, are skipped. Returns 0 or the errno of a read that
// failed.
int ReadLocaleConf(int fd, VariableStore* store);

// Takes the setting on one line (without its newline), if it has one.
void ParseLocaleConfLine(const char* line, size_t length, VariableStore* store);

#endif  // LOCALE_REPORT_POSIX_SESSION_LOCALE_CONF_H_
