#ifndef LOCALE_REPORT_POSIX_LOCALE_NAME_TO_LCID_H_
#define LOCALE_REPORT_POSIX_LOCALE_NAME_TO_LCID_H_

#include <cstddef>
#include <cstdint>

// The invariant locale: what "C" and "POSIX" are on Windows.
const uint32_t kLcidInvariant = 0x007F;
// What Windows reports for a user whose locale has no identifier of its own.
const uint32_t kLcidCustomDefault = 0x0C00;
// What it reports for an interface language that has none.
const uint32_t kLcidCustomUiDefault = 0x1400;

// The Windows locale identifier of a POSIX locale name,
// language[_territory][.codeset][@modifier]: the identifier of the Windows
// locale of the same language, script and region. "C" and "POSIX" (with any
// codeset) are the invariant locale; a name with no Windows counterpart, or
// whose counterpart has no identifier, gives kLcidCustomDefault. `name` need
// not be terminated and may hold any bytes.
uint32_t LocaleNameToLcid(const char* name, size_t length);

#endif  // LOCALE_REPORT_POSIX_LOCALE_NAME_TO_LCID_H_
