#ifndef LOCALE_REPORT_POSIX_SYSTEM_LOCALE_H_
#define LOCALE_REPORT_POSIX_SYSTEM_LOCALE_H_

#include "capture.h"
#include "posix/locale_conf.h"

// The system-wide default locale as new sessions get it: the first of
// /etc/locale.conf (systemd's) and /etc/default/locale (Debian's, which
// pam_env hands to login, su and ssh sessions) that exists, each read as
// those who use it read it. Notes each file that is there but cannot be
// read, each variable of the file that counts whose locale cannot be loaded,
// and the two files naming different locales. Returns false where that
// default cannot be loaded, which puts new sessions in "C"; `conf` is empty
// where no file could be read.
bool ReadSystemLocale(LocaleConf* conf, CaptureNotes* notes);

#endif  // LOCALE_REPORT_POSIX_SYSTEM_LOCALE_H_
