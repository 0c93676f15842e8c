#include "posix/libc_alias_table.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace {

// Looks `name` up in an alias table holding `content`; "" where it is none.
std::string Find(const std::string& content, const std::string& name) {
  const int fd = memfd_create("locale.alias", 0);
  if (fd < 0) return "(no memfd)";
  if (write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size())) {
    return "(not written)";
  }
  LocaleAliasTarget target;
  const bool found = FindLocaleAliasIn(fd, name.data(), name.size(), &target);
  close(fd);
  return found ? std::string(target.name) : "";
}

struct AliasCase {
  const char* name;
  std::string content;
  std::string alias;
  std::string target;  // "" for none
};

void PrintTo(const AliasCase& c, std::ostream* os) { *os << c.name; }

// A line of exactly `length` bytes that ends in "german de_DE".
std::string PaddedEntry(size_t length) { return std::string(length - 12, ' ') + "german de_DE"; }

const AliasCase kAliasCases[] = {
    {"Plain", "german\t\tde_DE.ISO-8859-1\n", "german", "de_DE.ISO-8859-1"},
    {"AmongOthers", "bokmal nb_NO.ISO-8859-1\ngerman de_DE\nthai th_TH.TIS-620\n", "thai",
     "th_TH.TIS-620"},
    // The alias is matched whole, codeset and modifier included, ignoring
    // ASCII case; what it stands for keeps its case.
    {"CaseIgnored", "German de_DE.ISO-8859-1\n", "gERMAN", "de_DE.ISO-8859-1"},
    {"CodesetIsPartOfTheAlias", "japanese.euc ja_JP.eucJP\n", "JAPANESE.EUC", "ja_JP.eucJP"},
    {"NoCodesetStripped", "japanese ja_JP.eucJP\n", "japanese.euc", ""},
    {"NoPrefixMatch", "german de_DE\n", "germ", ""},
    {"NoLongerMatch", "german de_DE\n", "german.UTF-8", ""},
    {"NonAsciiNotFolded", "\xC3\x84 de_DE\n", "\xC3\xA4", ""},
    {"TerritoryForm", "no_NO\t\tnb_NO.ISO-8859-1\n", "no_NO", "nb_NO.ISO-8859-1"},
    // Layout: blanks of every kind, comments, more fields than two.
    {"BlanksOfEveryKind", "\n\n \t\f\vgerman \t\v de_DE\t \r\n", "german", "de_DE"},
    {"CrLfLines", "french fr_FR\r\ngerman de_DE\r\n", "german", "de_DE"},
    {"Comments", "# german fr_FR\n  #german it_IT\ngerman de_DE\n", "german", "de_DE"},
    {"CommentIsNoEntryEvenForItsFirstField", "  #german fr_FR\n", "#german", ""},
    {"HashLaterIsPartOfTheName", "german #de_DE\n", "german", "#de_DE"},
    {"MoreFieldsIgnored", "german de_DE fr_FR # the first\n", "german", "de_DE"},
    {"OneFieldIsNoEntry", "german\ngerman   \n", "german", ""},
    // Of two entries for one alias, the one the C library's binary search
    // over the sorted entries meets: here the second, then the first.
    {"TwoEntriesTheSearchMeetsTheLater", "german de_DE\ngerman fr_FR\n", "german", "fr_FR"},
    {"TwoEntriesTheSearchMeetsTheEarlier", "german de_DE\ngerman fr_FR\nalpha x\n", "german",
     "de_DE"},
    {"NoFinalNewline", "french fr_FR\ngerman de_DE", "german", "de_DE"},
    {"EmptyFile", "", "german", ""},
    // Of a line only its first 399 bytes are read, and what they hold counts,
    // a name they cut short included.
    {"LongCommentAfterTheEntry", "german de_DE " + std::string(5000, 'x') + "\n", "german",
     "de_DE"},
    {"EntryEndingAtTheLimit", PaddedEntry(399) + "\n", "german", "de_DE"},
    {"TargetCutByTheLimit", PaddedEntry(400) + "\nfrench fr_FR\n", "german", "de_D"},
    {"AliasBeyondTheLimit", PaddedEntry(500) + "\n", "german", ""},
    {"LineOfOneMegabyteThenTheEntry", std::string(1 << 20, 'x') + "\ngerman de_DE\n", "german",
     "de_DE"},
    {"LongLastLineWithoutNewline", "german " + std::string(20000, 'a'), "german",
     std::string(392, 'a')},
    // A line is read up to a NUL byte, and the line after it is lost.
    {"NulInTheAlias", std::string("ger\0man de_DE\n", 14), "ger", ""},
    {"NulAfterTheTarget", std::string("german de_DE\0fr\n", 16), "german", "de_DE"},
    {"NulHidesTheNextLine", std::string("x\0y\ngerman de_DE\nfrench fr_FR\n", 30), "german", ""},
    {"NulHidesOnlyTheNextLine", std::string("x\0y\ngerman de_DE\nfrench fr_FR\n", 30), "french",
     "fr_FR"},
    // Names that no alias can be.
    {"EmptyName", "german de_DE\n", "", ""},
    {"NameWithABlank", "german de_DE\n", "german de_DE", ""},
    {"NameWithANul", "german de_DE\n", std::string("german\0", 7), ""},
    {"NameLongerThanALine", std::string(400, 'a') + " de_DE\n", std::string(400, 'a'), ""},
};

class LocaleAliasCases : public testing::TestWithParam<AliasCase> {};

TEST_P(LocaleAliasCases, FindsWhatTheAliasStandsFor) {
  EXPECT_EQ(Find(GetParam().content, GetParam().alias), GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(Files, LocaleAliasCases, testing::ValuesIn(kAliasCases),
                         [](const testing::TestParamInfo<AliasCase>& info) {
                           return info.param.name;
                         });

TEST(LocaleAlias, BinaryFileHasNoEntryForAName) {
  std::string bytes;
  for (int i = 0; i < 400; ++i) {
    for (int c = 0; c < 256; ++c) bytes += static_cast<char>((c * 7 + i) & 0xFF);
  }
  EXPECT_EQ(Find(bytes, "german"), "");
}

TEST(LocaleAlias, TenMegabytesReadQuickly) {
  std::string content;
  while (content.size() < 10u << 20) content += "# a comment line of some length, nothing else\n";
  content += "german de_DE\n";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Find(content, "german"), "de_DE");
  EXPECT_EQ(Find(content, "french"), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(ParseLocaleAliasLine, GivesTheFirstTwoFields) {
  char line[] = "  korean.euc \tko_KR.eucKR  extra\n";
  LocaleAliasEntry entry;
  ASSERT_TRUE(ParseLocaleAliasLine(line, &entry));
  EXPECT_STREQ(entry.alias, "korean.euc");
  EXPECT_STREQ(entry.target, "ko_KR.eucKR");
}

}  // namespace
