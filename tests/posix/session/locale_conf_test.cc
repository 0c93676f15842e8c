#include "posix/session/locale_conf.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>

#include "posix/regular_file.h"

namespace {

// A scratch directory per test, removed afterwards.
class LocaleConfTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/locale_conf_test.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string Write(const std::string& content) {
    const std::string path = dir_ + "/locale.conf";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    return path;
  }

  // What systemd's reading of `content` sets.
  VariableStore Read(const std::string& content) {
    VariableStore store{};
    const int fd = open(Write(content).c_str(), O_RDONLY);
    EXPECT_EQ(ReadLocaleConf(fd, &store), 0);
    close(fd);
    return store;
  }

  std::string dir_;
};

struct ConfCase {
  const char* name;
  std::string content;
  const char* lcAll;
  const char* lcCtype;
  const char* lcMessages;
  const char* lang;
};

void PrintTo(const ConfCase& c, std::ostream* os) { *os << c.name; }

const std::string kLongComment = "#" + std::string(5000, 'x') + "\n";

const ConfCase kConfCases[] = {
    {"Plain", "LANG=de_DE.UTF-8\n", "", "", "", "de_DE.UTF-8"},
    {"AllFourKeys", "LANG=en_US.UTF-8\nLC_ALL=C\nLC_CTYPE=ja_JP.EUC-JP\nLC_MESSAGES=fr_FR\n", "C",
     "ja_JP.EUC-JP", "fr_FR", "en_US.UTF-8"},
    {"DoubleQuotes", "LANG=\"de_DE.UTF-8\"\n", "", "", "", "de_DE.UTF-8"},
    {"SingleQuotes", "LC_MESSAGES='sr_RS@latin'\n", "", "", "sr_RS@latin", ""},
    {"UnbalancedQuotesSkipped", "LANG=\"de_DE\nLC_ALL='C\"\nLC_CTYPE=\"\n", "", "", "", ""},
    {"CommentsAndBlankLines", "# LANG=fr_FR\n\n   \n\t# LC_ALL=C\nLANG=it_IT\n", "", "", "",
     "it_IT"},
    {"BlanksAndCarriageReturns", "  LANG = de_AT.UTF-8 \r\n", "", "", "", "de_AT.UTF-8"},
    {"LastSettingWins", "LANG=de_DE\nLANG=fr_FR\n", "", "", "", "fr_FR"},
    {"EmptyValueUnsets", "LANG=de_DE\nLANG=\n", "", "", "", ""},
    {"NoFinalNewline", "LANG=pt_BR", "", "", "", "pt_BR"},
    {"OtherKeysIgnored", "LANG_X=de\nlang=fr_FR\nexport LANG=it_IT\n", "", "", "", ""},
    {"NotASettingSkipped", "LANG\n=de_DE\nLANG de_DE\n\x01\x02\xFF\nLANG=de DE\nLANG=$(reboot)\n",
     "", "", "", ""},
    {"NulByteSkipsItsLine", std::string("LANG=de_DE\0x\nLC_ALL=C\n", 22), "C", "", "", ""},
    {"LongLinesSkipped", kLongComment + "LANG=" + std::string(3000, 'a') + "\nLC_ALL=C\n", "C", "",
     "", ""},
    // The reader's buffer is 1024 bytes: a setting may straddle its end.
    {"SettingAcrossBufferEnd", "#" + std::string(1015, 'x') + "\nLANG=de_DE.UTF-8\n", "", "", "",
     "de_DE.UTF-8"},
    {"LineFillingTheBuffer", std::string(1023, '#') + "\nLANG=ja_JP\n", "", "", "", "ja_JP"},
    {"PaddedSettingFillingTheBufferAfterALine", "\nLANG=de_DE" + std::string(1013, ' ') + "\n", "",
     "", "", "de_DE"},
    {"LineOverflowingTheBufferByOne", "LANG=" + std::string(1019, 'a') + "\nLC_ALL=C\n", "C", "",
     "", ""},
    // Whole, however long, as systemd takes it: up to the longest line.
    {"ValueOf300Bytes", "LANG=" + std::string(300, 'a') + "\n", "", "", "", nullptr},
    {"ValueAtTheLimit", "LANG=" + std::string(1018, 'a') + "\n", "", "", "", nullptr},
};

class LocaleConfCases : public LocaleConfTest, public testing::WithParamInterface<ConfCase> {};

TEST_P(LocaleConfCases, ReadsTheSettings) {
  const ConfCase& c = GetParam();
  const VariableStore store = Read(c.content);
  EXPECT_STREQ(store.locale[kLcAll].value, c.lcAll);
  EXPECT_STREQ(store.locale[kLcCtype].value, c.lcCtype);
  EXPECT_STREQ(store.locale[kLcMessages].value, c.lcMessages);
  // nullptr: the line's whole value.
  EXPECT_STREQ(store.locale[kLang].value,
               c.lang != nullptr ? c.lang : c.content.substr(5, c.content.size() - 6).c_str());
}

INSTANTIATE_TEST_SUITE_P(Files, LocaleConfCases, testing::ValuesIn(kConfCases),
                         [](const testing::TestParamInfo<ConfCase>& info) {
                           return info.param.name;
                         });

TEST_F(LocaleConfTest, MissingFileIsNotThere) {
  int fd;
  EXPECT_EQ(OpenRegularFile((dir_ + "/none").c_str(), &fd), ENOENT);
  EXPECT_EQ(OpenRegularFile((Write("LANG=C\n") + "/locale.conf").c_str(), &fd), ENOENT);
}

// Something that is there but cannot be read says why, and none of it waits.
TEST_F(LocaleConfTest, UnreadableThingsSayWhy) {
  const std::string fifo = dir_ + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const auto start = std::chrono::steady_clock::now();
  const std::pair<std::string, int> cases[] = {
      {dir_, EISDIR}, {fifo, kNotRegularFile}, {"/dev/zero", kNotRegularFile}};
  for (const auto& [path, result] : cases) {
    int fd;
    EXPECT_EQ(OpenRegularFile(path.c_str(), &fd), result) << path;
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << "nothing blocks";
}

TEST_F(LocaleConfTest, LargeFileIsReadToTheEnd) {
  std::string content;
  for (int i = 0; i < 100000; ++i) content += "# filler line " + std::to_string(i) + "\n";
  content += "LANG=ko_KR.EUC-KR\n";
  EXPECT_STREQ(Read(content).locale[kLang].value, "ko_KR.EUC-KR");
}

}  // namespace
