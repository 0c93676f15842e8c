#ifndef LOCALE_REPORT_POSIX_REGULAR_FILE_H_
#define LOCALE_REPORT_POSIX_REGULAR_FILE_H_

#include "capture.h"

// Opens `path` for reading where it is a regular file, and puts its
// descriptor in `fd`. Returns 0, ENOENT where there is no such file,
// kNotRegularFile, or the errno that tells why it cannot be read (EACCES,
// EISDIR, ...).
int OpenRegularFile(const char* path, int* fd);

#endif  // LOCALE_REPORT_POSIX_REGULAR_FILE_H_
