#include "report.h"

#include <cerrno>
#include <cstdint>

namespace {

// The label of each line is the name of the Windows query that supplies the
// value, so the report reads the same on every platform.
const char* const kIdentifierTemplates[] = {
    "GetSystemDefaultLCID: 0x%08lX (%ld)\n",       "GetUserDefaultLCID: 0x%08lX (%ld)\n",
    "GetSystemDefaultLangID: 0x%04lX (%ld)\n",     "GetUserDefaultLangID: 0x%04lX (%ld)\n",
    "GetSystemDefaultUILanguage: 0x%04lX (%ld)\n", "GetUserDefaultUILanguage: 0x%04lX (%ld)\n",
};
const char* const kCodePageTemplates[] = {
    "GetACP: %u\n",
    "GetOEMCP: %u\n",
};
const char kPrompt[] = "Hit [Enter] key\n";

// Moves the end of the report past what snprintf wrote there. The buffer holds
// the longest report with room to spare, but a clipped line must still leave
// the end inside it.
void Advance(ReportText* report, int written) {
  if (written < 0) return;
  const size_t room = sizeof report->bytes - report->length;
  const size_t length = static_cast<size_t>(written);
  report->length += length < room ? length : room - 1;
}

// The templates are applied to 32-bit quantities whatever the width of long:
// the hexadecimal form is the unsigned value, the decimal form its signed
// 32-bit reading.
void AppendIdentifier(ReportText* report, const char* format, uint32_t value) {
  char* end = report->bytes + report->length;
  const size_t room = sizeof report->bytes - report->length;
  Advance(report, std::snprintf(end, room, format, static_cast<unsigned long>(value),
                                static_cast<long>(static_cast<int32_t>(value))));
}

void AppendCodePage(ReportText* report, const char* format, uint32_t value) {
  char* end = report->bytes + report->length;
  const size_t room = sizeof report->bytes - report->length;
  Advance(report, std::snprintf(end, room, format, static_cast<unsigned>(value)));
}

int LastError() { return errno != 0 ? errno : EIO; }

}  // namespace

ReportText FormatReport(const LocaleSnapshot& snapshot) {
  // Language identifiers are widened with zeros, so their decimal form is
  // never negative.
  const uint32_t identifiers[] = {
      snapshot.systemLcid, snapshot.userLcid,         snapshot.systemLangId,
      snapshot.userLangId, snapshot.systemUiLanguage, snapshot.userUiLanguage,
  };
  const uint32_t codePages[] = {snapshot.ansiCodePage, snapshot.oemCodePage};

  ReportText report = {};
  for (size_t i = 0; i < sizeof identifiers / sizeof identifiers[0]; ++i) {
    AppendIdentifier(&report, kIdentifierTemplates[i], identifiers[i]);
  }
  for (size_t i = 0; i < sizeof codePages / sizeof codePages[0]; ++i) {
    AppendCodePage(&report, kCodePageTemplates[i], codePages[i]);
  }
  Advance(&report, std::snprintf(report.bytes + report.length, sizeof report.bytes - report.length,
                                 "%s", kPrompt));
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
