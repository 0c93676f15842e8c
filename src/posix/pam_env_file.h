#ifndef LOCALE_REPORT_POSIX_PAM_ENV_FILE_H_
#define LOCALE_REPORT_POSIX_PAM_ENV_FILE_H_

#include "posix/line_reader.h"
#include "posix/variable_store.h"

// pam_env's buffer for a line, continuations included (Linux-PAM 1.5).
const int kPamEnvLineMax = 8192;

// One line of a pam_env file (its envfile or its conffile) into `buffer`:
// cut at its first '#', the blanks and tabs before that kept, as are those
// that start it; a line ending in '\' (blanks after it aside) goes on in the
// next one that is not blank or a comment. Returns its length, 0 at the end
// of the file, or -1 where pam_env stops reading: a line (continuations
// included) of `size` bytes or more, a line starting with a NUL byte, a NUL
// byte before a newline, or a continuation the file ends in.
int AssemblePamEnvLine(PieceReader* file, char* buffer, int size);

// Reads `fd` to its end as pam_env reads an envfile (/etc/environment, or
// envfile= in a PAM stack: Debian's /etc/default/locale), so that the
// settings are those a new login or su session gets:
// - "export " (one blank) before the key is skipped; a key of anything but
//   letters, digits and '_' (a blank before '=' included) makes no setting;
// - everything after '=' up to the cut is the value, blanks, tabs and
//   carriage returns included, except that an opening quote (' or ") goes,
//   and so does a quote that ends the value: LANG="de" is de, LANG="de" # x
//   is de" with a blank;
// - a key without '=' unsets it, and the last setting of a key wins;
// - reading stops where AssemblePamEnvLine() says, keeping what was set.
// The settings go into `store` as set by `source`. Returns 0, or the errno
// of a read that failed.
int ReadPamEnvFile(int fd, VariableStore* store, const char* source);

#endif  // LOCALE_REPORT_POSIX_PAM_ENV_FILE_H_
