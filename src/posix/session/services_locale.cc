// What services get from systemd, and whether that is what new sessions get.

#include "posix/session/services_locale.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "posix/ascii.h"
#include "posix/locale_notes.h"
#include "posix/regular_file.h"
#include "posix/session/locale_conf.h"
#include "posix/text.h"

namespace {

const char kManagerRuns[] = "/run/systemd/system";
const char kLocaleConf[] = "/etc/locale.conf";
const char kDefaultLocale[] = "/etc/default/locale";
const char kSharedLibrary[] = "libsystemd-shared-";

// Whether `a` and `b` load one locale for `category`: the C library keeps
// a locale it has loaded once while it is in use, so two names of one locale
// (its codeset written otherwise, a CR after it) loaded side by side share
// their data. A name that cannot be loaded leaves programs in "C". Without
// the GNU C library, names are compared.
bool SameLocale(LocaleVariable category, const char* a, const char* b) {
  if (std::strcmp(a, b) == 0) return true;
#ifdef __GLIBC__
  const int mask = kLocaleVariables[category].categoryMask;
  const locale_t first = newlocale(mask, a[0] != '\0' ? a : "C", nullptr);
  const locale_t second = newlocale(mask, b[0] != '\0' ? b : "C", nullptr);
  const locale_t c = newlocale(mask, "C", nullptr);
  // Each category's mask is the bit of its number.
  const int index = __builtin_ctz(static_cast<unsigned>(mask));
  const auto data = [&](locale_t loaded) {
    return (loaded != nullptr ? loaded : c)->__locales[index];
  };
  const bool same = c != nullptr && data(first) == data(second);
  for (const locale_t loaded : {first, second, c}) {
    if (loaded != nullptr) freelocale(loaded);
  }
  return same;
#else
  (void)category;
  return false;
#endif
}

// The first category (or LANGUAGE) in which `a` and `b` load other
// locales; kLocaleVariableCount where they agree.
size_t FirstDifference(const LocaleSettings& a, const LocaleSettings& b) {
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (kLocaleVariables[i].categoryMask == 0) continue;
    const LocaleVariable category = static_cast<LocaleVariable>(i);
    if (!SameLocale(category, CategoryLocale(a, category), CategoryLocale(b, category))) return i;
  }
  const char* const languageA = a.values[kLanguage] != nullptr ? a.values[kLanguage] : "";
  const char* const languageB = b.values[kLanguage] != nullptr ? b.values[kLanguage] : "";
  return std::strcmp(languageA, languageB) == 0 ? kLocaleVariableCount : kLanguage;
}

int ReadServicesFile(const char* path, VariableStore* services) {
  int fd;
  int result = OpenRegularFile(path, &fd);
  if (result == 0) {
    result = ReadLocaleConf(fd, services);
    close(fd);
  }
  return result;
}

bool Mentions(const char* text, const char* name) {
  for (const char* at = text; (at = std::strchr(at, name[0])) != nullptr; ++at) {
    if (AfterPrefix(at, name) != nullptr) return true;
  }
  return false;
}

bool SameFile(const char* a, const char* b) {
  struct stat first;
  struct stat second;
  return stat(a, &first) == 0 && stat(b, &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

// The release of a file of systemd's shared library
// ("libsystemd-shared-252.so"); 0 for another file.
unsigned long SharedLibraryRelease(const char* name) {
  const char* digits = AfterPrefix(name, kSharedLibrary);
  unsigned long release = 0;
  for (; digits != nullptr && IsAsciiDigit(*digits) && release < 1000000; ++digits) {
    release = release * 10 + static_cast<unsigned long>(*digits - '0');
  }
  return digits != nullptr && std::strcmp(digits, ".so") == 0 ? release : 0;
}

int IsSharedLibrary(const dirent* entry) { return SharedLibraryRelease(entry->d_name) > 0; }

// The installed systemd's shared library, the one of the latest release,
// beside the C library (Debian's /usr/lib/x86_64-linux-gnu/systemd), or in
// /usr/lib/systemd; "" where there is none.
void FindSharedLibrary(char* path, size_t size) {
  path[0] = '\0';
  char directories[2][PATH_MAX] = {"", "/usr/lib/systemd"};
  // The C library's directory, from the loader, which knows it (dladdr()
  // would walk its symbols for it); the C library stays loaded whatever.
  void* libc = dlopen("libc.so.6", RTLD_LAZY | RTLD_NOLOAD);
  char origin[PATH_MAX];
  const size_t length =
      libc != nullptr && dlinfo(libc, RTLD_DI_ORIGIN, origin) == 0 ? std::strlen(origin) : 0;
  if (length > 0 && length + sizeof "/systemd" <= sizeof directories[0]) {
    std::memcpy(directories[0], origin, length);
    std::memcpy(directories[0] + length, "/systemd", sizeof "/systemd");
  }
  for (const char* directory : directories) {
    dirent** entries;
    const int count =
        directory[0] != '\0' ? scandir(directory, &entries, IsSharedLibrary, nullptr) : -1;
    unsigned long latest = 0;
    for (int i = 0; i < count; ++i) {
      const char* name = entries[i]->d_name;
      const size_t directoryLength = std::strlen(directory);
      const size_t nameLength = std::strlen(name);
      if (SharedLibraryRelease(name) > latest && directoryLength + 1 + nameLength < size) {
        latest = SharedLibraryRelease(name);
        std::memcpy(path, directory, directoryLength);
        path[directoryLength] = '/';
        std::memcpy(path + directoryLength + 1, name, nameLength + 1);
      }
      std::free(entries[i]);
    }
    if (count >= 0) std::free(entries);
    if (latest > 0) return;
  }
}

bool ReadInstalledRules(unsigned wanted, ManagerRules* rules) {
  char path[PATH_MAX];
  FindSharedLibrary(path, sizeof path);
  const int fd = path[0] != '\0' ? open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK) : -1;
  if (fd < 0) return false;
  struct stat status;
  bool read = false;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
    const size_t size = static_cast<size_t>(status.st_size);
    void* bytes = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (bytes != MAP_FAILED) {
      read = ReadManagerRules(static_cast<const unsigned char*>(bytes), size, wanted, rules);
      munmap(bytes, size);
    }
  }
  close(fd);
  return read;
}

// What a locale's name is made of: "C.UTF-8", "en_US.utf8@euro".
bool IsLocaleNameByte(char c) {
  return IsAsciiAlnum(c) || (c != '\0' && std::strchr("._@-", c) != nullptr);
}

template <typename Number>
Number At(const unsigned char* bytes, size_t offset) {
  Number number;
  std::memcpy(&number, bytes + offset, sizeof number);
  return number;
}

// Where the section .rodata lies in an ELF file.
bool FindReadOnlyData(const unsigned char* bytes, size_t size, size_t* offset, size_t* length) {
  const uint16_t probe = 1;
  const unsigned char order = *reinterpret_cast<const unsigned char*>(&probe) == 1 ? 1 : 2;
  if (size < 64 ||
      std::memcmp(bytes,
                  "\x7f"
                  "ELF",
                  4) != 0 ||
      bytes[5] != order)
    return false;
  const bool wide = bytes[4] == 2;
  if (!wide && bytes[4] != 1) return false;
  const uint64_t table = wide ? At<uint64_t>(bytes, 0x28) : At<uint32_t>(bytes, 0x20);
  const size_t entrySize = At<uint16_t>(bytes, wide ? 0x3A : 0x2E);
  const size_t count = At<uint16_t>(bytes, wide ? 0x3C : 0x30);
  const size_t names = At<uint16_t>(bytes, wide ? 0x3E : 0x32);
  if (entrySize < (wide ? 64u : 40u) || table > size || count > (size - table) / entrySize ||
      names >= count) {
    return false;
  }
  const auto section = [&](size_t i, size_t* begin, size_t* extent) {
    const size_t header = static_cast<size_t>(table) + i * entrySize;
    const uint64_t start =
        wide ? At<uint64_t>(bytes, header + 0x18) : At<uint32_t>(bytes, header + 0x10);
    const uint64_t bytesLong =
        wide ? At<uint64_t>(bytes, header + 0x20) : At<uint32_t>(bytes, header + 0x14);
    if (start > size || bytesLong > size - start) return false;
    *begin = static_cast<size_t>(start);
    *extent = static_cast<size_t>(bytesLong);
    return true;
  };
  size_t namesAt;
  size_t namesLength;
  if (!section(names, &namesAt, &namesLength)) return false;
  const char wanted[] = ".rodata";
  for (size_t i = 0; i < count; ++i) {
    const size_t name = At<uint32_t>(bytes, static_cast<size_t>(table) + i * entrySize);
    if (name >= namesLength || namesLength - name < sizeof wanted ||
        std::memcmp(bytes + namesAt + name, wanted, sizeof wanted) != 0) {
      continue;
    }
    return section(i, offset, length);
  }
  return false;
}

// The next whole string of the strings from `data` to `end` (one with a
// NUL before it, or the first), from `from` on, that starts with `start`;
// nullptr where there is none. Found by the place of its byte `rare`, one
// that few strings have: memchr() is quick.
const char* FindString(const char* data, const char* from, const char* end, const char* start,
                       size_t rare) {
  const size_t startLength = std::strlen(start);
  for (from += rare; from < end;) {
    const void* found = std::memchr(from, start[rare], static_cast<size_t>(end - from));
    if (found == nullptr) return nullptr;
    const char* hit = static_cast<const char*>(found) - rare;
    from = static_cast<const char*>(found) + 1;
    if (static_cast<size_t>(end - hit) >= startLength &&
        std::memcmp(hit, start, startLength) == 0 && (hit == data || hit[-1] == '\0')) {
      return hit;
    }
  }
  return nullptr;
}

}  // namespace

bool ReadManagerRules(const unsigned char* bytes, size_t size, unsigned wanted,
                      ManagerRules* rules) {
  size_t offset;
  size_t length;
  if (!FindReadOnlyData(bytes, size, &offset, &length)) return false;
  const char* const data = reinterpret_cast<const char*>(bytes) + offset;
  const char* const end = data + length;
  // Debian's systemd before release 257 reads /etc/default/locale where
  // /etc/locale.conf is missing; its name is in the data only then.
  const char* fallback =
      (wanted & kFallbackRule) != 0 ? FindString(data, data, end, kDefaultLocale, 0) : nullptr;
  rules->readsDefaultLocale = fallback != nullptr &&
                              static_cast<size_t>(end - fallback) > sizeof kDefaultLocale - 1 &&
                              fallback[sizeof kDefaultLocale - 1] == '\0';
  // "LANG=" and the locale it was built to give ("LANG=C.UTF-8"), the one
  // such string; where there is none, services get no LANG.
  rules->defaultLang[0] = '\0';
  if ((wanted & kDefaultLangRule) == 0) return true;
  for (const char* at = data; (at = FindString(data, at, end, "LANG=", 3)) != nullptr; ++at) {
    const char* value = at + 5;
    size_t valueLength = 0;
    while (value + valueLength < end && value[valueLength] != '\0' &&
           valueLength < sizeof rules->defaultLang && IsLocaleNameByte(value[valueLength])) {
      ++valueLength;
    }
    if (valueLength > 0 && valueLength < sizeof rules->defaultLang && value + valueLength < end &&
        value[valueLength] == '\0') {
      std::memcpy(rules->defaultLang, value, valueLength);
      rules->defaultLang[valueLength] = '\0';
      break;
    }
  }
  return true;
}

void NoteServicesLocale(const SessionLedger& ledger, CaptureNotes* notes) {
  struct stat status;
  if (stat(kManagerRuns, &status) != 0 || !S_ISDIR(status.st_mode)) return;
  VariableStore services;
  ClearVariables(&services);
  const char* file = kLocaleConf;
  int result = ReadServicesFile(kLocaleConf, &services);
  // The library is read for a rule only where the files leave it open: it
  // is large.
  ManagerRules rules;
  if (result == ENOENT && stat(kDefaultLocale, &status) == 0) {
    if (!ReadInstalledRules(kFallbackRule, &rules)) return;
    if (rules.readsDefaultLocale) {
      file = kDefaultLocale;
      result = ReadServicesFile(kDefaultLocale, &services);
    }
  }
  if (result != 0 && result != ENOENT) {
    AddNote(notes, kNoteUnreadable, file, nullptr, nullptr, result, nullptr);
    return;
  }
  // systemd takes no LC_ALL from the file.
  services.locale[kLcAll].value[0] = '\0';
  bool setsNone = true;
  for (const StoredValue& stored : services.locale) setsNone = setsNone && stored.value[0] == '\0';
  if (setsNone) {
    if (!ReadInstalledRules(kDefaultLangRule, &rules)) return;
    SetVariable(&services, "LANG", 4, rules.defaultLang, std::strlen(rules.defaultLang));
  }
  const LocaleSettings session = SettingsOf(ledger);
  const size_t difference = FirstDifference(SettingsOf(services), session);
  if (difference == kLocaleVariableCount) return;
  const size_t deciding = difference == kLanguage
                              ? difference
                              : DecidingVariable(session, static_cast<LocaleVariable>(difference));
  const char* sessions = deciding < kLocaleVariableCount ? ledger.origins[deciding] : nullptr;
  if (setsNone) {
    AddNote(notes, kNoteServicesDefault, file, nullptr,
            rules.defaultLang[0] != '\0' ? rules.defaultLang : "C", result, sessions);
    return;
  }
  // One file by two names is one file, which sessions read otherwise.
  const bool oneFile = sessions != nullptr && file == kLocaleConf &&
                       Mentions(sessions, kDefaultLocale) && SameFile(kLocaleConf, kDefaultLocale);
  AddNote(notes, kNoteFilesDisagree, file, nullptr, oneFile ? kDefaultLocale : nullptr, 0,
          sessions);
}
