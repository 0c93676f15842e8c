#ifndef LOCALE_REPORT_REPORT_H_
#define LOCALE_REPORT_REPORT_H_

#include <cstddef>
#include <cstdio>

#include "locale_snapshot.h"

// The longest report: every identifier at its widest ("-2147483648",
// "65535"), both code pages ten digits.
const size_t kLongestReport = 308;

// The nine lines of the report, prompt included.
struct ReportText {
  char bytes[512];
  size_t length;
};

ReportText FormatReport(const LocaleSnapshot& snapshot);

// Writes the report and the prompt to `out`, waits for one character from
// `in`, then closes `out`. Returns 0, or the errno of the first write that
// failed, so that a lost report is never mistaken for a printed one.
int PresentReport(const LocaleSnapshot& snapshot, std::FILE* out, std::FILE* in);

#endif  // LOCALE_REPORT_REPORT_H_
