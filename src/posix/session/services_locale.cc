// What services get from systemd, and whether that is what new sessions get.

#include "posix/session/services_locale.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <locale.h>
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

// As stat() would tell, with what the program imports anyway.
bool StatusOf(const char* path, struct stat* status) {
  const int fd = open(path, O_PATH | O_CLOEXEC);
  if (fd < 0) return false;
  const bool known = fstat(fd, status) == 0;
  close(fd);
  return known;
}

bool SameFile(const char* a, const char* b) {
  struct stat first;
  struct stat second;
  return StatusOf(a, &first) && StatusOf(b, &second) && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

// The release of a file of systemd's shared library: Debian's
// "libsystemd-shared-252.so", Fedora's "libsystemd-shared-255.4-1.fc40.so";
// 0 for another file.
unsigned long SharedLibraryRelease(const char* name) {
  const char* digits = AfterPrefix(name, kSharedLibrary);
  unsigned long release = 0;
  for (; digits != nullptr && IsAsciiDigit(*digits) && release < 1000000; ++digits) {
    release = release * 10 + static_cast<unsigned long>(*digits - '0');
  }
  const size_t length = std::strlen(name);
  return digits != nullptr && length > 3 && std::strcmp(name + length - 3, ".so") == 0 ? release
                                                                                       : 0;
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
      const unsigned long release = SharedLibraryRelease(entries[i]->d_name);
      if (release > latest && JoinPath(path, size, directory, entries[i]->d_name)) latest = release;
      std::free(entries[i]);
    }
    if (count >= 0) std::free(entries);
    if (latest > 0) return;
  }
}

// The library as a file, read at the places the rules need.
bool ReadFileAt(const void* context, uint64_t offset, size_t size, void* into) {
  const int fd = *static_cast<const int*>(context);
  if (offset > INT64_MAX || lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0) return false;
  for (char* to = static_cast<char*>(into); size > 0;) {
    const ssize_t count = read(fd, to, size);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    to += count;
    size -= static_cast<size_t>(count);
  }
  return true;
}

bool ReadRulesOf(const char* path, ManagerRules* rules) {
  int fd;
  if (OpenRegularFile(path, &fd) != 0) return false;
  struct stat status;
  const bool read = fstat(fd, &status) == 0 &&
                    ReadManagerRules({ReadFileAt, &fd, static_cast<uint64_t>(status.st_size)},
                                     kFallbackRule | kDefaultLangRule, rules);
  close(fd);
  return read;
}

// The installed systemd's rules, from the file that holds them: its shared
// library since release 252, PID 1's own program before; the LANG it gives
// by default tells which. Unknown (false) where neither has it.
bool ReadInstalledRules(ManagerRules* rules) {
  char library[PATH_MAX];
  FindSharedLibrary(library, sizeof library);
  for (const char* path :
       {static_cast<const char*>(library), "/usr/lib/systemd/systemd", "/lib/systemd/systemd"}) {
    if (path[0] != '\0' && ReadRulesOf(path, rules) && rules->defaultLang[0] != '\0') return true;
  }
  return false;
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

// More than the section headers and names of any library come near.
const size_t kTablesMax = 1 << 20;

// `size` bytes of the library at `offset`, in a block of their own (given
// back with free()); nullptr where they cannot be read.
unsigned char* ReadPart(const ManagerLibrary& library, uint64_t offset, uint64_t size,
                        size_t most) {
  if (offset > library.size || size > library.size - offset || size > most) return nullptr;
  const size_t bytes = static_cast<size_t>(size);
  auto* part = static_cast<unsigned char*>(std::malloc(bytes > 0 ? bytes : 1));
  if (part != nullptr && !library.read(library.context, offset, bytes, part)) {
    std::free(part);
    part = nullptr;
  }
  return part;
}

// Where the section .rodata lies in an ELF file.
bool FindReadOnlyData(const ManagerLibrary& library, uint64_t* offset, uint64_t* length) {
  const uint16_t probe = 1;
  const unsigned char order = *reinterpret_cast<const unsigned char*>(&probe) == 1 ? 1 : 2;
  unsigned char head[64];
  if (library.size < sizeof head || !library.read(library.context, 0, sizeof head, head) ||
      std::memcmp(head, "\177ELF", 4) != 0 || head[5] != order) {
    return false;
  }
  const bool wide = head[4] == 2;
  if (!wide && head[4] != 1) return false;
  const uint64_t table = wide ? At<uint64_t>(head, 0x28) : At<uint32_t>(head, 0x20);
  const size_t entrySize = At<uint16_t>(head, wide ? 0x3A : 0x2E);
  const size_t count = At<uint16_t>(head, wide ? 0x3C : 0x30);
  const size_t names = At<uint16_t>(head, wide ? 0x3E : 0x32);
  if (entrySize < (wide ? 64u : 40u) || names >= count) return false;
  unsigned char* const headers = ReadPart(library, table, count * entrySize, kTablesMax);
  if (headers == nullptr) return false;
  const auto section = [&](size_t i, uint64_t* begin, uint64_t* extent) {
    const size_t header = i * entrySize;
    *begin = wide ? At<uint64_t>(headers, header + 0x18) : At<uint32_t>(headers, header + 0x10);
    *extent = wide ? At<uint64_t>(headers, header + 0x20) : At<uint32_t>(headers, header + 0x14);
  };
  uint64_t namesAt;
  uint64_t namesLength;
  section(names, &namesAt, &namesLength);
  const char wanted[] = ".rodata";
  unsigned char* const nameBytes = ReadPart(library, namesAt, namesLength, kTablesMax);
  bool found = false;
  for (size_t i = 0; nameBytes != nullptr && i < count && !found; ++i) {
    const size_t name = At<uint32_t>(headers, i * entrySize);
    found = name < namesLength && namesLength - name >= sizeof wanted &&
            std::memcmp(nameBytes + name, wanted, sizeof wanted) == 0;
    if (found) section(i, offset, length);
  }
  std::free(nameBytes);
  std::free(headers);
  return found;
}

// The next whole string of the strings from `data` to `end` (one with a
// NUL before it, or the first), from `from` on, that starts with `start`;
// nullptr where there is none. Found by the place of its byte `rare`, one
// that few strings have: memchr() is quick.
const char* FindString(const char* data, const char* from, const char* end, const char* start,
                       size_t rare) {
  const size_t startLength = std::strlen(start);
  if (from >= end || static_cast<size_t>(end - from) <= rare) return nullptr;
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

bool ReadManagerRules(const ManagerLibrary& library, unsigned wanted, ManagerRules* rules) {
  uint64_t offset;
  uint64_t length;
  if (!FindReadOnlyData(library, &offset, &length)) return false;
  // Some 600 KB in systemd 257's.
  unsigned char* const readOnly = ReadPart(library, offset, length, 64 << 20);
  if (readOnly == nullptr) return false;
  const char* const data = reinterpret_cast<const char*>(readOnly);
  const char* const end = data + length;
  // Debian's systemd before release 257 reads /etc/default/locale where
  // /etc/locale.conf is missing; its name is in the data only then.
  rules->readsDefaultLocale = false;
  for (const char* at = (wanted & kFallbackRule) != 0 ? data : end;
       !rules->readsDefaultLocale && (at = FindString(data, at, end, kDefaultLocale, 0)) != nullptr;
       ++at) {
    rules->readsDefaultLocale = static_cast<size_t>(end - at) > sizeof kDefaultLocale - 1 &&
                                at[sizeof kDefaultLocale - 1] == '\0';
  }
  // "LANG=" and the locale it was built to give ("LANG=C.UTF-8"), the one
  // such string; where there is none, the rules are not in this file.
  rules->defaultLang[0] = '\0';
  for (const char* at = (wanted & kDefaultLangRule) != 0 ? data : end;
       (at = FindString(data, at, end, "LANG=", 3)) != nullptr; ++at) {
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
  std::free(readOnly);
  return true;
}

void NoteServicesLocale(const SessionLedger& ledger, const SourceWatcher& watcher,
                        CaptureNotes* notes) {
  struct stat status;
  if (!StatusOf(kManagerRuns, &status) || !S_ISDIR(status.st_mode)) return;
  VariableStore services;
  ClearVariables(&services);
  const char* file = kLocaleConf;
  int result = ReadServicesFile(kLocaleConf, &services);
  // The rules are read only where the files leave them open: the file that
  // holds them is large.
  ManagerRules rules;
  bool rulesRead = false;
  if (result == ENOENT && StatusOf(kDefaultLocale, &status)) {
    if (!ReadInstalledRules(&rules)) return;
    rulesRead = true;
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
    if (!rulesRead && !ReadInstalledRules(&rules)) return;
    SetVariable(&services, "LANG", 4, rules.defaultLang, std::strlen(rules.defaultLang));
  }
  const LocaleSettings session = SettingsOf(ledger);
  watcher.started(watcher.context, file);
  const size_t difference = FirstDifference(SettingsOf(services), session);
  if (difference == kLocaleVariableCount) return;
  const size_t deciding = difference == kLanguage
                              ? difference
                              : DecidingVariable(session, static_cast<LocaleVariable>(difference));
  const char* sessions = deciding < kLocaleVariableCount ? ledger.origins[deciding] : nullptr;
  if (setsNone) {
    AddNote(notes, kNoteServicesDefault, file, nullptr, rules.defaultLang, result, sessions);
    return;
  }
  // One file by two names is one file, which sessions read otherwise.
  const bool oneFile = sessions != nullptr && file == kLocaleConf &&
                       Mentions(sessions, kDefaultLocale) && SameFile(kLocaleConf, kDefaultLocale);
  AddNote(notes, kNoteFilesDisagree, file, nullptr, oneFile ? kDefaultLocale : nullptr, 0,
          sessions);
}
