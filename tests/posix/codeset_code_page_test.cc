#include "posix/codeset_code_page.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "test_data.h"

namespace {

struct CodesetCase {
  const char* codeset;
  uint32_t codePage;
};

void PrintTo(const CodesetCase& c, std::ostream* os) { *os << '"' << c.codeset << '"'; }

class CodePageForCodesetTest : public testing::TestWithParam<CodesetCase> {};

TEST_P(CodePageForCodesetTest, GivesMicrosoftsNumber) {
  EXPECT_EQ(CodePageForCodeset(GetParam().codeset), GetParam().codePage) << GetParam().codeset;
}

INSTANTIATE_TEST_SUITE_P(
    Codesets, CodePageForCodesetTest,
    testing::Values(
        CodesetCase{"UTF-8", 65001}, CodesetCase{"ANSI_X3.4-1968", 20127},
        CodesetCase{"ISO-8859-1", 28591}, CodesetCase{"ISO-8859-9", 28599},
        CodesetCase{"ISO-8859-13", 28603}, CodesetCase{"ISO-8859-15", 28605},
        CodesetCase{"KOI8-R", 20866}, CodesetCase{"KOI8-U", 21866}, CodesetCase{"CP1251", 1251},
        CodesetCase{"GBK", 936}, CodesetCase{"GB2312", 936}, CodesetCase{"GB18030", 54936},
        CodesetCase{"BIG5", 950}, CodesetCase{"EUC-KR", 51949}, CodesetCase{"EUC-JP", 51932},
        CodesetCase{"TIS-620", 874}, CodesetCase{"SHIFT_JIS", 932}, CodesetCase{"IBM437", 437},
        CodesetCase{"MACINTOSH", 10000}, CodesetCase{"MAC-IS", 10079},
        CodesetCase{"WINDOWS-31J", 932},
        // Spelling does not matter: case, '-' and '_' are folded away.
        CodesetCase{"utf8", 65001}, CodesetCase{"Utf_8", 65001}, CodesetCase{"iso88591", 28591},
        CodesetCase{"eucJP", 51932},
        // No Windows number, or no codeset at all.
        CodesetCase{"ARMSCII-8", 0}, CodesetCase{"GEORGIAN-PS", 0}, CodesetCase{"KOI8-T", 0},
        CodesetCase{"PT154", 0}, CodesetCase{"RK1048", 0}, CodesetCase{"BIG5-HKSCS", 0},
        CodesetCase{"ISO-8859-10", 0}, CodesetCase{"ISO-8859-14", 0}, CodesetCase{"ISO-8859-16", 0},
        CodesetCase{"", 0}, CodesetCase{"-", 0}, CodesetCase{"UTF-88", 0}, CodesetCase{"UTF", 0},
        CodesetCase{"\xFF\x01", 0}));

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
