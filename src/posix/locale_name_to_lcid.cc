#include "posix/locale_name_to_lcid.h"

#include <cstdlib>
#include <cstring>

#include "posix/ascii.h"
#include "posix/lcid_table.h"

namespace {

// The tables hold their names in their rows, so that the loader has no
// address in them to relocate at every start.
struct RenamedLanguage {
  char posix[4];
  char windows[4];
  char script[5];  // "" when the Windows name carries none
};

// Language codes Windows spells otherwise, as CLDR does. Sorted by posix.
const RenamedLanguage kRenamedLanguages[] = {
    {"ckb", "ku", "Arab"},  // Central Kurdish is Windows' Kurdish
    {"cmn", "zh", ""},      // Mandarin
    {"in", "id", ""},       // withdrawn ISO 639 codes
    {"iw", "he", ""},      {"ji", "yi", ""},
    {"mo", "ro", ""},      {"sh", "sr", "Latn"},  // Serbo-Croatian, written in Latin
    {"tl", "fil", ""},                            // Tagalog, as Filipino
};

struct DefaultScript {
  char language[4];   // POSIX language code
  char territory[3];  // "" for any
  char script[5];
};

// Languages whose Windows names always carry a script, with the script glibc's
// locale data for them is written in. Grouped by language and searched in
// full: an entry for the territory wins over the one for any ("").
const DefaultScript kDefaultScripts[] = {
    {"az", "", "Latn"},  {"az", "IR", "Arab"}, {"bs", "", "Latn"},   {"chr", "", "Cher"},
    {"doi", "", "Deva"}, {"ff", "", "Latn"},   {"ha", "", "Latn"},   {"iu", "", "Cans"},
    {"ks", "", "Arab"},  {"ku", "", "Latn"},   {"pa", "PK", "Arab"}, {"sat", "", "Deva"},
    {"sd", "", "Arab"},  {"sr", "", "Cyrl"},   {"tg", "", "Cyrl"},   {"uz", "", "Latn"},
    {"yue", "", "Hant"},
};

struct ModifierMeaning {
  char modifier[11];
  char script[5];
  char variant[9];
};

// Modifiers that change which Windows locale is meant; all others ("@euro")
// are dropped. Sorted by modifier. "iqtelif" is Tatar's Latin alphabet.
const ModifierMeaning kModifiers[] = {
    {"cyrillic", "Cyrl", ""}, {"devanagari", "Deva", ""},   {"iqtelif", "Latn", ""},
    {"latin", "Latn", ""},    {"valencia", "", "valencia"},
};

struct Span {
  const char* data;
  size_t length;
};

struct PosixLocaleName {
  Span language;
  Span territory;
  Span modifier;
};

bool Equals(Span span, const char* text) {
  return std::strlen(text) == span.length && std::memcmp(span.data, text, span.length) == 0;
}

// Takes bytes up to the first of `stops` or the end. A NUL byte is never a
// stop: it stays in the part and makes it invalid.
Span TakeUntil(const char** cursor, const char* end, const char* stops) {
  const char* start = *cursor;
  while (*cursor < end && (**cursor == '\0' || std::strchr(stops, **cursor) == nullptr)) ++*cursor;
  return Span{start, static_cast<size_t>(*cursor - start)};
}

PosixLocaleName SplitLocaleName(const char* name, size_t length) {
  PosixLocaleName parts = {};
  const char* cursor = name;
  const char* end = name + length;
  parts.language = TakeUntil(&cursor, end, "_.@");
  if (cursor < end && *cursor == '_') {
    ++cursor;
    parts.territory = TakeUntil(&cursor, end, ".@");
  }
  if (cursor < end && *cursor == '.') {
    ++cursor;
    TakeUntil(&cursor, end, "@");  // the codeset: no part of the Windows name
  }
  if (cursor < end && *cursor == '@') {
    ++cursor;
    parts.modifier = Span{cursor, static_cast<size_t>(end - cursor)};
  }
  return parts;
}

bool AllOf(Span span, bool (*test)(char)) {
  for (size_t i = 0; i < span.length; ++i) {
    if (!test(span.data[i])) return false;
  }
  return true;
}

// ISO 639 codes are two or three letters; BCP 47 allows up to eight.
bool IsLanguage(Span span) {
  return span.length >= 2 && span.length <= 8 && AllOf(span, IsAsciiLetter);
}

// ISO 3166 letters or a UN M.49 number ("es_419").
bool IsTerritory(Span span) {
  return (span.length == 2 && AllOf(span, IsAsciiLetter)) ||
         (span.length == 3 && AllOf(span, IsAsciiDigit));
}

// Copies a span into `out` with its letters folded to lower (or upper) case;
// what does not fit is cut off.
template <size_t N>
void CopyFolded(Span span, bool upper, char (&out)[N]) {
  const size_t length = span.length < N ? span.length : N - 1;
  for (size_t i = 0; i < length; ++i) {
    const char c = span.data[i];
    if (upper && c >= 'a' && c <= 'z') {
      out[i] = static_cast<char>(c - 'a' + 'A');
    } else if (!upper && c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    } else {
      out[i] = c;
    }
  }
  out[length] = '\0';
}

// Every table here is a sorted array of structs whose first member is the key,
// a name held in the row.
int CompareKey(const void* key, const void* entry) {
  return std::strcmp(static_cast<const char*>(key), static_cast<const char*>(entry));
}

template <typename Entry>
const Entry* FindByKey(const Entry* table, size_t count, const char* key) {
  return static_cast<const Entry*>(std::bsearch(key, table, count, sizeof *table, CompareKey));
}

template <typename Entry, size_t N>
const Entry* FindByKey(const Entry (&table)[N], const char* key) {
  return FindByKey(table, N, key);
}

const char* DefaultScriptFor(const char* language, const char* territory) {
  const char* any = nullptr;
  for (const DefaultScript& entry : kDefaultScripts) {
    if (std::strcmp(entry.language, language) != 0) continue;
    if (std::strcmp(entry.territory, territory) == 0) return entry.script;
    if (entry.territory[0] == '\0') any = entry.script;
  }
  return any != nullptr ? any : "";
}

// Copies `text` to `end`, ended; returns the new end. A byte at a time: the
// parts are a few bytes, and the checked memcpy() the name's array would
// take is an import more, looked up at every start.
char* Append(char* end, const char* text) {
  while (*text != '\0') *end++ = *text++;
  *end = '\0';
  return end;
}

// Appends "-subtag" at `end`, the name's terminating NUL; returns the new end.
char* AppendSubtag(char* end, const char* subtag) {
  if (subtag[0] == '\0') return end;
  *end++ = '-';
  return Append(end, subtag);
}

}  // namespace

uint32_t LocaleNameToLcid(const char* name, size_t length) {
  const PosixLocaleName parts = SplitLocaleName(name, length);
  if ((Equals(parts.language, "C") || Equals(parts.language, "POSIX")) &&
      parts.territory.length == 0) {
    return kLcidInvariant;
  }
  if (!IsLanguage(parts.language) ||
      (parts.territory.length != 0 && !IsTerritory(parts.territory))) {
    return kLcidCustomDefault;
  }

  char posixLanguage[9];
  char territory[4];
  CopyFolded(parts.language, false, posixLanguage);
  CopyFolded(parts.territory, true, territory);

  const char* language = posixLanguage;
  const char* script = DefaultScriptFor(posixLanguage, territory);
  const char* variant = "";
  if (const RenamedLanguage* renamed = FindByKey(kRenamedLanguages, posixLanguage)) {
    language = renamed->windows;
    if (renamed->script[0] != '\0') script = renamed->script;
  }
  char modifier[16] = "";
  if (parts.modifier.length < sizeof modifier) CopyFolded(parts.modifier, false, modifier);
  if (const ModifierMeaning* meaning = FindByKey(kModifiers, modifier)) {
    if (meaning->script[0] != '\0') script = meaning->script;
    variant = meaning->variant;
  }

  // language[-Script][-REGION][-variant], as Windows spells its locale names.
  char windowsName[48];
  char* end = AppendSubtag(Append(windowsName, language), script);
  end = AppendSubtag(end, territory);
  AppendSubtag(end, variant);

  const WindowsLocale* found = FindByKey(kWindowsLocales, kWindowsLocaleCount, windowsName);
  return found != nullptr ? found->lcid : kLcidCustomDefault;
}
