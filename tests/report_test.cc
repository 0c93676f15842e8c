#include "report.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <string>

namespace {

struct ReportCase {
  const char* name;
  LocaleSnapshot snapshot;
  const char* expected;
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }

const ReportCase kReportCases[] = {
    {"EnglishUnitedStates",
     {1033, 1033, 1033, 1033, 1033, 1033, 1252, 437},
     "GetSystemDefaultLCID: 0x00000409 (1033)\n"
     "GetUserDefaultLCID: 0x00000409 (1033)\n"
     "GetSystemDefaultLangID: 0x0409 (1033)\n"
     "GetUserDefaultLangID: 0x0409 (1033)\n"
     "GetSystemDefaultUILanguage: 0x0409 (1033)\n"
     "GetUserDefaultUILanguage: 0x0409 (1033)\n"
     "GetACP: 1252\n"
     "GetOEMCP: 437\n"
     "Hit [Enter] key\n"},
    {"UppercaseHexDigits",
     {3082, 3082, 3082, 3082, 3082, 3082, 1252, 850},
     "GetSystemDefaultLCID: 0x00000C0A (3082)\n"
     "GetUserDefaultLCID: 0x00000C0A (3082)\n"
     "GetSystemDefaultLangID: 0x0C0A (3082)\n"
     "GetUserDefaultLangID: 0x0C0A (3082)\n"
     "GetSystemDefaultUILanguage: 0x0C0A (3082)\n"
     "GetUserDefaultUILanguage: 0x0C0A (3082)\n"
     "GetACP: 1252\n"
     "GetOEMCP: 850\n"
     "Hit [Enter] key\n"},
    {"SortIdentifierAndDistinctFields",
     {66567, 0x00040411, 0x0407, 0x0409, 0x0C0A, 0x0411, 65001, 20127},
     "GetSystemDefaultLCID: 0x00010407 (66567)\n"
     "GetUserDefaultLCID: 0x00040411 (263185)\n"
     "GetSystemDefaultLangID: 0x0407 (1031)\n"
     "GetUserDefaultLangID: 0x0409 (1033)\n"
     "GetSystemDefaultUILanguage: 0x0C0A (3082)\n"
     "GetUserDefaultUILanguage: 0x0411 (1041)\n"
     "GetACP: 65001\n"
     "GetOEMCP: 20127\n"
     "Hit [Enter] key\n"},
    // The identifiers are 32-bit whatever the width of long: the decimal form
    // of a locale identifier is its signed reading, of a language identifier
    // never negative.
    {"TopBitsSet",
     {0xFFFFFFFF, 0x80000000, 0x8000, 0xFFFF, 0x8000, 0xFFFF, 0xFFFFFFFF, 0},
     "GetSystemDefaultLCID: 0xFFFFFFFF (-1)\n"
     "GetUserDefaultLCID: 0x80000000 (-2147483648)\n"
     "GetSystemDefaultLangID: 0x8000 (32768)\n"
     "GetUserDefaultLangID: 0xFFFF (65535)\n"
     "GetSystemDefaultUILanguage: 0x8000 (32768)\n"
     "GetUserDefaultUILanguage: 0xFFFF (65535)\n"
     "GetACP: 4294967295\n"
     "GetOEMCP: 0\n"
     "Hit [Enter] key\n"},
    {"Zeros",
     {0, 0, 0, 0, 0, 0, 0, 0},
     "GetSystemDefaultLCID: 0x00000000 (0)\n"
     "GetUserDefaultLCID: 0x00000000 (0)\n"
     "GetSystemDefaultLangID: 0x0000 (0)\n"
     "GetUserDefaultLangID: 0x0000 (0)\n"
     "GetSystemDefaultUILanguage: 0x0000 (0)\n"
     "GetUserDefaultUILanguage: 0x0000 (0)\n"
     "GetACP: 0\n"
     "GetOEMCP: 0\n"
     "Hit [Enter] key\n"},
    {"LargestPositiveIdentifier",
     {0x7FFFFFFF, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 65001, 65001},
     "GetSystemDefaultLCID: 0x7FFFFFFF (2147483647)\n"
     "GetUserDefaultLCID: 0x0000007F (127)\n"
     "GetSystemDefaultLangID: 0x007F (127)\n"
     "GetUserDefaultLangID: 0x007F (127)\n"
     "GetSystemDefaultUILanguage: 0x007F (127)\n"
     "GetUserDefaultUILanguage: 0x007F (127)\n"
     "GetACP: 65001\n"
     "GetOEMCP: 65001\n"
     "Hit [Enter] key\n"},
};

class ReportFormat : public testing::TestWithParam<ReportCase> {};

TEST_P(ReportFormat, FormsExactlyTheNineLines) {
  const ReportText report = FormatReport(GetParam().snapshot);
  EXPECT_EQ(std::string(report.bytes, report.length), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, ReportFormat, testing::ValuesIn(kReportCases),
                         [](const testing::TestParamInfo<ReportCase>& info) {
                           return info.param.name;
                         });

TEST(ReportFormat, LongestReportFitsWhole) {
  // Every field at its widest: eleven-character decimals, ten-digit code pages.
  const LocaleSnapshot widest = {0x80000000, 0x80000000, 0xFFFF,     0xFFFF,
                                 0xFFFF,     0xFFFF,     4294967295, 4294967295};
  const ReportText report = FormatReport(widest);
  EXPECT_EQ(report.length, kLongestReport);
  EXPECT_EQ(std::string(report.bytes + report.length - 16, 16), "Hit [Enter] key\n");
}

std::string ReadAll(std::FILE* file) {
  std::string text;
  std::rewind(file);
  for (int c; (c = std::getc(file)) != EOF;) text += static_cast<char>(c);
  return text;
}

TEST(PresentReport, WritesReportThenWaitsForOneCharacter) {
  std::FILE* out = std::tmpfile();
  std::FILE* in = std::tmpfile();
  ASSERT_NE(out, nullptr);
  ASSERT_NE(in, nullptr);
  std::fputs("typed text\nmore\n", in);
  std::rewind(in);
  // `out` is closed by the report, so read what it wrote through a duplicate.
  std::FILE* check = fdopen(dup(fileno(out)), "r");
  ASSERT_NE(check, nullptr);

  EXPECT_EQ(PresentReport(kReportCases[0].snapshot, out, in), 0);
  EXPECT_EQ(ReadAll(check), kReportCases[0].expected);
  EXPECT_EQ(std::getc(in), 'y') << "the wait takes exactly one character from the stream";
  std::fclose(check);
  std::fclose(in);
}

TEST(PresentReport, EndOfInputEndsTheWait) {
  std::FILE* out = std::tmpfile();
  std::FILE* in = std::tmpfile();
  ASSERT_NE(out, nullptr);
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(PresentReport(kReportCases[1].snapshot, out, in), 0);
  std::fclose(in);
}

#ifndef _WIN32
TEST(PresentReport, ReportsAFailedWriteWhetherBufferedOrNot) {
  for (int mode : {_IOFBF, _IONBF}) {
    std::FILE* out = std::fopen("/dev/full", "w");
    std::FILE* in = std::tmpfile();
    ASSERT_NE(out, nullptr);
    ASSERT_NE(in, nullptr);
    char buffer[512];
    std::setvbuf(out, buffer, mode, sizeof buffer);
    EXPECT_EQ(PresentReport(kReportCases[0].snapshot, out, in), ENOSPC)
        << "buffering mode " << mode;
    std::fclose(in);
  }
}

#endif

}  // namespace
