#ifndef LOCALE_REPORT_POSIX_CODESET_CODE_PAGE_H_
#define LOCALE_REPORT_POSIX_CODESET_CODE_PAGE_H_

#include <cstddef>
#include <cstdint>

// Names held in the rows, as the Windows locales' are: nothing to relocate.
struct CodesetCodePage {
  char codeset[20];   // glibc's name for it (its charmap's)
  uint32_t codePage;  // Microsoft's code-page identifier
};

// Codesets Windows has a code-page identifier for, sorted by their letters
// and digits with case folded.
extern const CodesetCodePage kCodesetCodePages[];
extern const size_t kCodesetCodePageCount;

// The Windows code-page number of a POSIX codeset name as nl_langinfo(CODESET)
// gives it ("UTF-8", "ISO-8859-15", "ANSI_X3.4-1968"). Only ASCII letters
// and digits count, their case folded whatever the locale; every other byte
// is skipped, so "utf8", "UTF_8" and "u.t-f 8" are UTF-8 too. 0 for a
// codeset Windows has no number for.
uint32_t CodePageForCodeset(const char* codeset);

#endif  // LOCALE_REPORT_POSIX_CODESET_CODE_PAGE_H_
