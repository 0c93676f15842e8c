#ifndef LOCALE_REPORT_LOCALE_SNAPSHOT_H_
#define LOCALE_REPORT_LOCALE_SNAPSHOT_H_

#include <cstdint>

// The eight values the report shows, captured together before any output and
// kept exactly as their source gave them.
struct LocaleSnapshot {
  uint32_t systemLcid;
  uint32_t userLcid;
  uint16_t systemLangId;
  uint16_t userLangId;
  uint16_t systemUiLanguage;
  uint16_t userUiLanguage;
  uint32_t ansiCodePage;
  uint32_t oemCodePage;
};

#endif  // LOCALE_REPORT_LOCALE_SNAPSHOT_H_
