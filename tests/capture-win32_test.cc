// The Windows capture with the eight queries answered by stand-ins, linked in
// place of kernel32's: the capture's calls go through the import slots
// defined here, so the loader never binds them. Each stand-in answers a value
// no other one answers and notes when it was called, so a query read into the
// wrong field, or asked out of turn, shows.

#include <windows.h>

#include <gtest/gtest.h>

#include "capture.h"

namespace {

enum Query {
  kSystemLcid,
  kUserLcid,
  kSystemLangId,
  kUserLangId,
  kSystemUiLanguage,
  kUserUiLanguage,
  kAnsiCodePage,
  kOemCodePage,
  kQueryCount
};

// What the stand-ins answer. No two share their low 16 bits either, so a
// locale identifier read into a language field still stands out.
const uint32_t kAnswers[kQueryCount] = {
    0x00010407, 0x0002040C, 0x0411, 0x0419, 0x0C0A, 0x0816, 1250, 852,
};

Query calls[kQueryCount * 2];
int callCount = 0;

uint32_t Answer(Query query) {
  if (callCount < static_cast<int>(sizeof calls / sizeof calls[0])) calls[callCount] = query;
  ++callCount;
  return kAnswers[query];
}

LCID WINAPI StandInSystemLcid() { return Answer(kSystemLcid); }
LCID WINAPI StandInUserLcid() { return Answer(kUserLcid); }
LANGID WINAPI StandInSystemLangId() { return static_cast<LANGID>(Answer(kSystemLangId)); }
LANGID WINAPI StandInUserLangId() { return static_cast<LANGID>(Answer(kUserLangId)); }
LANGID WINAPI StandInSystemUiLanguage() { return static_cast<LANGID>(Answer(kSystemUiLanguage)); }
LANGID WINAPI StandInUserUiLanguage() { return static_cast<LANGID>(Answer(kUserUiLanguage)); }
UINT WINAPI StandInAnsiCodePage() { return Answer(kAnsiCodePage); }
UINT WINAPI StandInOemCodePage() { return Answer(kOemCodePage); }

}  // namespace

// The import slots, under the names the linker gives kernel32's (32-bit
// stdcall adds a leading underscore and the argument bytes). Defined here,
// they keep the import library's from being linked.
#ifdef _WIN64
#define IMPORT_SLOT(query) "__imp_" #query
#else
#define IMPORT_SLOT(query) "__imp__" #query "@0"
#endif
using LcidQuery = LCID(WINAPI*)();
using LangIdQuery = LANGID(WINAPI*)();
using CodePageQuery = UINT(WINAPI*)();

extern "C" {
LcidQuery importSystemLcid __asm__(IMPORT_SLOT(GetSystemDefaultLCID)) = StandInSystemLcid;
LcidQuery importUserLcid __asm__(IMPORT_SLOT(GetUserDefaultLCID)) = StandInUserLcid;
LangIdQuery importSystemLangId __asm__(IMPORT_SLOT(GetSystemDefaultLangID)) = StandInSystemLangId;
LangIdQuery importUserLangId __asm__(IMPORT_SLOT(GetUserDefaultLangID)) = StandInUserLangId;
LangIdQuery importSystemUiLanguage __asm__(IMPORT_SLOT(GetSystemDefaultUILanguage)) =
    StandInSystemUiLanguage;
LangIdQuery importUserUiLanguage __asm__(IMPORT_SLOT(GetUserDefaultUILanguage)) =
    StandInUserUiLanguage;
CodePageQuery importAnsiCodePage __asm__(IMPORT_SLOT(GetACP)) = StandInAnsiCodePage;
CodePageQuery importOemCodePage __asm__(IMPORT_SLOT(GetOEMCP)) = StandInOemCodePage;
}

namespace {

TEST(CaptureWin32, EachQueryFillsItsOwnFieldInTheReportsOrder) {
  callCount = 0;
  CaptureNotes notes = {};
  notes.count = notes.dropped = 1;
  const LocaleSnapshot snapshot = CaptureLocaleSnapshot(&notes);
  EXPECT_EQ(notes.count, 0u);
  EXPECT_EQ(notes.dropped, 0u);

  EXPECT_EQ(snapshot.systemLcid, kAnswers[kSystemLcid]) << "GetSystemDefaultLCID";
  EXPECT_EQ(snapshot.userLcid, kAnswers[kUserLcid]) << "GetUserDefaultLCID";
  EXPECT_EQ(snapshot.systemLangId, kAnswers[kSystemLangId]) << "GetSystemDefaultLangID";
  EXPECT_EQ(snapshot.userLangId, kAnswers[kUserLangId]) << "GetUserDefaultLangID";
  EXPECT_EQ(snapshot.systemUiLanguage, kAnswers[kSystemUiLanguage]) << "GetSystemDefaultUILanguage";
  EXPECT_EQ(snapshot.userUiLanguage, kAnswers[kUserUiLanguage]) << "GetUserDefaultUILanguage";
  EXPECT_EQ(snapshot.ansiCodePage, kAnswers[kAnsiCodePage]) << "GetACP";
  EXPECT_EQ(snapshot.oemCodePage, kAnswers[kOemCodePage]) << "GetOEMCP";

  // Each query once, in the order the report shows them.
  ASSERT_EQ(callCount, kQueryCount);
  for (int i = 0; i < kQueryCount; ++i) EXPECT_EQ(calls[i], i) << "call " << i;
}

}  // namespace
