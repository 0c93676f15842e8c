#include "posix/codeset_code_page.h"

#include <cstddef>
#include <cstdlib>

#include "posix/ascii.h"

// Sorted as CompareCodesets orders them. Codesets missing here, such as
// ARMSCII-8, GEORGIAN-PS, KOI8-T, PT154, RK1048 and ISO-8859-10/14/16, have
// no Windows number.
const CodesetCodePage kCodesetCodePages[] = {
    {"ANSI_X3.4-1968", 20127},
    {"BIG5", 950},
    {"CP10007", 10007},
    {"CP1250", 1250},
    {"CP1251", 1251},
    {"CP1252", 1252},
    {"CP1253", 1253},
    {"CP1254", 1254},
    {"CP1255", 1255},
    {"CP1256", 1256},
    {"CP1257", 1257},
    {"CP1258", 1258},
    {"CP737", 737},
    {"CP775", 775},
    {"CP949", 949},
    {"EUC-JP", 51932},
    {"EUC-KR", 51949},
    {"EUC-TW", 51950},
    {"GB18030", 54936},
    {"GB2312", 936},
    {"GBK", 936},
    {"IBM037", 37},
    {"IBM1026", 1026},
    {"IBM1047", 1047},
    {"IBM273", 20273},
    {"IBM277", 20277},
    {"IBM278", 20278},
    {"IBM280", 20280},
    {"IBM284", 20284},
    {"IBM285", 20285},
    {"IBM290", 20290},
    {"IBM297", 20297},
    {"IBM420", 20420},
    {"IBM423", 20423},
    {"IBM424", 20424},
    {"IBM437", 437},
    {"IBM500", 500},
    {"IBM850", 850},
    {"IBM852", 852},
    {"IBM855", 855},
    {"IBM857", 857},
    {"IBM858", 858},
    {"IBM860", 860},
    {"IBM861", 861},
    {"IBM862", 862},
    {"IBM863", 863},
    {"IBM864", 864},
    {"IBM865", 865},
    {"IBM866", 866},
    {"IBM869", 869},
    {"IBM870", 870},
    {"IBM871", 20871},
    {"IBM875", 875},
    {"IBM880", 20880},
    {"IBM905", 20905},
    {"ISO-8859-1", 28591},
    {"ISO-8859-13", 28603},
    {"ISO-8859-15", 28605},
    {"ISO-8859-2", 28592},
    {"ISO-8859-3", 28593},
    {"ISO-8859-4", 28594},
    {"ISO-8859-5", 28595},
    {"ISO-8859-6", 28596},
    {"ISO-8859-7", 28597},
    {"ISO-8859-8", 28598},
    {"ISO-8859-9", 28599},
    {"JOHAB", 1361},
    {"KOI8-R", 20866},
    {"KOI8-U", 21866},
    {"MAC-CENTRALEUROPE", 10029},
    {"MAC-CYRILLIC", 10007},
    {"MACINTOSH", 10000},
    {"MAC-IS", 10079},
    {"SHIFT_JIS", 932},
    {"TIS-620", 874},
    {"UTF-8", 65001},
    {"WINDOWS-31J", 932},
};

const size_t kCodesetCodePageCount = sizeof kCodesetCodePages / sizeof kCodesetCodePages[0];

namespace {

// Skips what does not tell codesets apart: "utf8", "UTF-8" and "utf_8" are one.
// In ASCII, whatever the locale: Turkish upper-cases 'i' to a dotted capital.
const char* NextSignificant(const char* s) {
  while (*s != '\0' && !IsAsciiAlnum(*s)) ++s;
  return s;
}

int CompareCodesets(const char* a, const char* b) {
  for (;;) {
    a = NextSignificant(a);
    b = NextSignificant(b);
    const int ca = UpperAscii(*a);
    const int cb = UpperAscii(*b);
    if (ca != cb || ca == '\0') return ca - cb;
    ++a;
    ++b;
  }
}

int CompareEntry(const void* key, const void* entry) {
  return CompareCodesets(static_cast<const char*>(key),
                         static_cast<const CodesetCodePage*>(entry)->codeset);
}

}  // namespace

uint32_t CodePageForCodeset(const char* codeset) {
  const void* found = std::bsearch(codeset, kCodesetCodePages, kCodesetCodePageCount,
                                   sizeof kCodesetCodePages[0], CompareEntry);
  return found != nullptr ? static_cast<const CodesetCodePage*>(found)->codePage : 0;
}
