#ifndef LOCALE_REPORT_POSIX_SESSION_SERVICES_LOCALE_H_
#define LOCALE_REPORT_POSIX_SESSION_SERVICES_LOCALE_H_

#include <cstddef>
#include <cstdint>

#include "capture.h"
#include "posix/session/ledger.h"

// What the service manager gives services, beside what new sessions get
// (`ledger`): noted where the two load other locales. Only where systemd
// runs (/run/systemd/system, its own test), which reads /etc/locale.conf;
// where that is missing, /etc/default/locale if the installed systemd's
// release falls back to it; where neither sets a locale, the LANG it was
// built to give. Where those rules count and cannot be read, nothing is
// said. `watcher` is told the file services read before its locales are
// loaded, as loading one can stall (a FIFO where the C library looks).
void NoteServicesLocale(const SessionLedger& ledger, const SourceWatcher& watcher,
                        CaptureNotes* notes);

// The rules of an installed systemd, read off the read-only data of its
// shared library (an ELF file of this machine's byte order).
struct ManagerRules {
  // It reads /etc/default/locale where /etc/locale.conf is missing.
  bool readsDefaultLocale;
  // The LANG services get where no file sets a locale; "" where the data
  // have none, which a file without the rules does not.
  char defaultLang[64];
};

// The library, `size` bytes, as `read` gives `size` bytes of it at `offset`
// (false where it cannot): read only where the rules are.
struct ManagerLibrary {
  bool (*read)(const void* context, uint64_t offset, size_t size, void* into);
  const void* context;
  uint64_t size;
};

// The rules `wanted`, each looked for only where wanted (the rest left
// false, ""); false where the library is not such a library.
const unsigned kFallbackRule = 1;
const unsigned kDefaultLangRule = 2;
bool ReadManagerRules(const ManagerLibrary& library, unsigned wanted, ManagerRules* rules);

#endif  // LOCALE_REPORT_POSIX_SESSION_SERVICES_LOCALE_H_
