#ifndef LOCALE_REPORT_CODE_PAGE_H_
#define LOCALE_REPORT_CODE_PAGE_H_

#include <cstdint>

// The Windows code-page number of a POSIX codeset name as nl_langinfo(CODESET)
// gives it ("UTF-8", "ISO-8859-15", "ANSI_X3.4-1968"). Case, '-' and '_' do
// not matter, so "utf8" is UTF-8 too. 0 for a codeset Windows has no number for.
uint32_t CodePageForCodeset(const char* codeset);

#endif  // LOCALE_REPORT_CODE_PAGE_H_
