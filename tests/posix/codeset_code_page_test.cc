#include "posix/codeset_code_page.h"

#include <gtest/gtest.h>

#include <clocale>
#include <set>
#include <string>

#include "test_data.h"

namespace {

struct CodesetCase {
  const char* codeset;
  uint32_t codePage;
};

void PrintTo(const CodesetCase& c, std::ostream* os) { *os << '"' << c.codeset << '"'; }

const CodesetCase kCodesetCases[] = {{"UTF-8", 65001},
                                     {"ANSI_X3.4-1968", 20127},
                                     {"ISO-8859-1", 28591},
                                     {"ISO-8859-9", 28599},
                                     {"ISO-8859-13", 28603},
                                     {"ISO-8859-15", 28605},
                                     {"KOI8-R", 20866},
                                     {"KOI8-U", 21866},
                                     {"CP1251", 1251},
                                     {"GBK", 936},
                                     {"GB2312", 936},
                                     {"GB18030", 54936},
                                     {"BIG5", 950},
                                     {"EUC-KR", 51949},
                                     {"EUC-JP", 51932},
                                     {"TIS-620", 874},
                                     {"SHIFT_JIS", 932},
                                     {"IBM437", 437},
                                     {"MACINTOSH", 10000},
                                     {"MAC-IS", 10079},
                                     {"WINDOWS-31J", 932},
                                     // Spelling does not matter: case, '-' and '_' are folded away.
                                     {"utf8", 65001},
                                     {"Utf_8", 65001},
                                     {"iso88591", 28591},
                                     {"iso88599", 28599},
                                     {"eucJP", 51932},
                                     // No Windows number, or no codeset at all.
                                     {"ARMSCII-8", 0},
                                     {"GEORGIAN-PS", 0},
                                     {"KOI8-T", 0},
                                     {"PT154", 0},
                                     {"RK1048", 0},
                                     {"BIG5-HKSCS", 0},
                                     {"ISO-8859-10", 0},
                                     {"ISO-8859-14", 0},
                                     {"ISO-8859-16", 0},
                                     {"", 0},
                                     {"-", 0},
                                     {"UTF-88", 0},
                                     {"UTF", 0},
                                     {"\xFF\x01", 0}};

class CodePageForCodesetTest : public testing::TestWithParam<CodesetCase> {};

TEST_P(CodePageForCodesetTest, GivesMicrosoftsNumber) {
  EXPECT_EQ(CodePageForCodeset(GetParam().codeset), GetParam().codePage) << GetParam().codeset;
}

INSTANTIATE_TEST_SUITE_P(Codesets, CodePageForCodesetTest, testing::ValuesIn(kCodesetCases));

// The same in a Turkish locale, where 'i' upper-cases to a dotted capital:
// the capture asks after setting LC_CTYPE from the environment.
TEST(CodePageForCodeset, SameInATurkishLocale) {
  if (std::setlocale(LC_CTYPE, "tr_TR.ISO-8859-9") == nullptr) {
    GTEST_SKIP() << "tr_TR.ISO-8859-9 is not installed (Debian: locales-all)";
  }
  for (const CodesetCase& c : kCodesetCases) {
    EXPECT_EQ(CodePageForCodeset(c.codeset), c.codePage) << c.codeset;
  }
  std::setlocale(LC_CTYPE, "C");
}

// The codeset of every locale glibc supports, against the Windows code page
// listed for it.
TEST(CodePageForCodeset, EveryGlibcSupportedCodeset) {
  const auto rows = ReadTsv(std::string(TEST_DATA_DIR) + "/supported-locales.tsv");
  ASSERT_EQ(rows.size(), 500u);
  std::set<std::string> seen;
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 4u);
    if (!seen.insert(row[1]).second) continue;
    EXPECT_EQ(CodePageForCodeset(row[1].c_str()), std::stoul(row[3])) << row[1];
  }
  EXPECT_EQ(seen.size(), 31u);
}

// The lookup is a binary search, so an entry out of order would be missed.
TEST(CodePageForCodeset, EveryEntryIsFound) {
  for (size_t i = 0; i < kCodesetCodePageCount; ++i) {
    EXPECT_EQ(CodePageForCodeset(kCodesetCodePages[i].codeset), kCodesetCodePages[i].codePage)
        << kCodesetCodePages[i].codeset;
  }
}

}  // namespace
