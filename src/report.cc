#include "report.h"

#include <cerrno>
#include <cstdint>

namespace {

// The templates take 32-bit quantities whatever the width of long: the
// hexadecimal form is the unsigned value, the decimal form its signed 32-bit
// reading. Language identifiers are widened with zeros, so their decimal
// form is never negative.
unsigned long Hex(uint32_t value) { return value; }
long Decimal(uint32_t value) { return static_cast<int32_t>(value); }

int LastError() { return errno != 0 ? errno : EIO; }

}  // namespace

ReportText FormatReport(const LocaleSnapshot& snapshot) {
  static_assert(kLongestReport < sizeof ReportText::bytes, "the buffer holds every report whole");
  // One literal, so that the compiler checks each line's template against its
  // values. The label of each line is the name of the Windows query that
  // supplies the value, so the report reads the same on every platform.
  ReportText report = {};
  const int length = std::snprintf(
      report.bytes, sizeof report.bytes,
      "GetSystemDefaultLCID: 0x%08lX (%ld)\n"
      "GetUserDefaultLCID: 0x%08lX (%ld)\n"
      "GetSystemDefaultLangID: 0x%04lX (%ld)\n"
      "GetUserDefaultLangID: 0x%04lX (%ld)\n"
      "GetSystemDefaultUILanguage: 0x%04lX (%ld)\n"
      "GetUserDefaultUILanguage: 0x%04lX (%ld)\n"
      "GetACP: %u\n"
      "GetOEMCP: %u\n"
      "Hit [Enter] key\n",
      Hex(snapshot.systemLcid), Decimal(snapshot.systemLcid), Hex(snapshot.userLcid),
      Decimal(snapshot.userLcid), Hex(snapshot.systemLangId), Decimal(snapshot.systemLangId),
      Hex(snapshot.userLangId), Decimal(snapshot.userLangId), Hex(snapshot.systemUiLanguage),
      Decimal(snapshot.systemUiLanguage), Hex(snapshot.userUiLanguage),
      Decimal(snapshot.userUiLanguage), static_cast<unsigned>(snapshot.ansiCodePage),
      static_cast<unsigned>(snapshot.oemCodePage));
  report.length = length > 0 ? static_cast<size_t>(length) : 0;
  return report;
}

int PresentReport(const LocaleSnapshot& snapshot, std::FILE* out, std::FILE* in) {
  const ReportText report = FormatReport(snapshot);
  int error = 0;
  errno = 0;
  if (std::fwrite(report.bytes, 1, report.length, out) != report.length) error = LastError();

  // The wait: on a terminal the read returns when Enter is pressed, at the
  // end of input at once. What was read is of no interest.
  std::getc(in);

  // A buffered report only reaches its file or pipe here, so this is where a
  // full disk shows. Some C libraries report a failed flush only through the
  // error indicator, hence ferror as well.
  errno = 0;
  if (std::fflush(out) != 0 && error == 0) error = LastError();
  if (std::ferror(out) && error == 0) error = LastError();
  errno = 0;
  if (std::fclose(out) != 0 && error == 0) error = LastError();
  return error;
}
