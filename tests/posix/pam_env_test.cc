#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "posix/pam_env_conf.h"
#include "posix/pam_env_file.h"

namespace {

struct PamEnvCase {
  bool conffile;  // else an envfile
  std::string content;
  const char* expected;  // the locale variables set, "NAME=value;" each
  int result;
};

const char* Item(const char* item) { return std::strcmp(item, "HOME") == 0 ? "/home/u" : nullptr; }

// What su sessions on Debian 12 get from each file (pam_env 1.5.2).
const PamEnvCase kCases[] = {
    {false, "export LANG=de_DE # German\nLC_TIME='fr_FR'\n", "LANG=de_DE ;LC_TIME=fr_FR;", 0},
    {false, "LANG = fr\nLC_ALL=x\nLC_ALL\nLANGUAGE=\"a\" # b\n", "LANGUAGE=a\" ;", 0},
    {false, std::string("LANG=es\\\n#\n_ES\nLANG=de\0\nLANG=fr\n", 32), "LANG=es_ES;", 0},
    {false, "LC_\xC9=x\nLANG=\xE9\xFF\n", "LANG=\xE9\xFF;", 0},
    {true, "LANG DEFAULT=de OVERRIDE=\nLC_TIME OVERRIDE=fr DEFAULT=it\n", "LANG=de;LC_TIME=fr;", 0},
    {true, "LANG=de_DE\n LC_TIME DEFAULT=fr\nLC_NAME DEFAULT=\"\"\n", "LANG=de_DE;", 0},
    {true, "LANG DEFAULT=fr x\nLC_TIME DEFAULT=\"fr\"x\nLANGUAGE DEFAULT=\"a b\"\n",
     "LANGUAGE=a b;", 0},
    {true, "LANG DEFAULT=it\nLC_TIME DEFAULT=${LANG}_\\$\\x@x@{HOME}\n",
     "LANG=it;LC_TIME=it_$x@x/home/u;", 0},
    {true, "LANG DEFAULT=it\nLC_TIME DEFAULT=${LANG\nLANG DEFAULT=fr\n", "LANG=it;",
     kPamEnvConfAborted},
    {true, "LANG DEFAULT=it\n#" + std::string(9000, 'x') + "\n", "LANG=it;", kPamEnvConfAborted},
};

TEST(PamEnvReaders, SetWhatSessionsGet) {
  for (const PamEnvCase& c : kCases) {
    const int fd = memfd_create("pam_env", 0);
    ASSERT_EQ(write(fd, c.content.data(), c.content.size()),
              static_cast<ssize_t>(c.content.size()));
    lseek(fd, 0, SEEK_SET);
    VariableStore store{};
    size_t lines;
    EXPECT_EQ(c.conffile ? ReadPamEnvConf(fd, Item, &store, "f", &lines)
                         : ReadPamEnvFile(fd, &store, "f"),
              c.result)
        << c.content;
    close(fd);
    std::string set;
    for (size_t i = 0; i < kLocaleVariableCount; ++i) {
      if (store.locale[i].value[0] != '\0') {
        set += std::string(kLocaleVariables[i].name) + "=" + store.locale[i].value + ";";
      }
    }
    EXPECT_EQ(set, c.expected) << c.content;
  }
}

}  // namespace
