#ifndef LOCALE_REPORT_POSIX_ENV_FILE_H_
#define LOCALE_REPORT_POSIX_ENV_FILE_H_

#include <cstdio>

#include "posix/locale_conf.h"

// pam_env's buffer for a line, continuations included (Linux-PAM 1.5).
const int kEnvFileLineMax = 8192;

// Reads `file` to its end as pam_env reads an envfile (envfile= in a PAM
// stack: Debian's /etc/default/locale), so that the settings are those a new
// login or su session gets:
// - a line is cut at its first '#', blanks and tabs before it kept; a line
//   ending in '\' (blanks after it aside) goes on in the next one that is not
//   blank or a comment;
// - "export " (one blank) before the key is skipped; a key of anything but
//   letters, digits and '_' (a blank before '=' included) makes no setting;
// - everything after '=' up to the cut is the value, blanks, tabs and
//   carriage returns included, except that an opening quote (' or ") goes,
//   and so does a quote that ends the value: LANG="de" is de, LANG="de" # x
//   is de" with a blank;
// - a key without '=' unsets it, and the last setting of a key wins;
// - reading stops, keeping what was set before, at a line (continuations
//   included) of kEnvFileLineMax bytes or more, a line starting with a NUL
//   byte, a NUL byte before a newline, or a continuation the file ends in.
// Settings of the locale variables replace those in `conf`; values are cut
// after kLocaleConfValueMax bytes. Returns 0, or the errno of a read that
// failed.
int ReadEnvFile(std::FILE* file, LocaleConf* conf);

#endif  // LOCALE_REPORT_POSIX_ENV_FILE_H_
