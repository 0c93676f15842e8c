#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "posix/pam_env_conf.h"
#include "posix/pam_env_file.h"
#include "posix/pam_service.h"

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

// A login stack's pam_env lines, in the order login calls them: its session
// lines, included ones in their place, then its auth lines.
TEST(PamServiceReader, FindsPamEnvLinesInLoginsOrder) {
  char dir[] = "/tmp/pam_service_test.XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const auto write = [&dir](const char* name, const char* text) {
    std::FILE* file = std::fopen((std::string(dir) + "/" + name).c_str(), "w");
    std::fputs(text, file);
    std::fclose(file);
  };
  write("login",
        "auth include common-auth\n# session required pam_env.so envfile=/comment\n"
        "-session [default=1 ok=ignore] /lib/security/pam_env.so envfile=/d readenv=1\n"
        "@include common-session\nSESSION required pam_env.so readenv=0 conffile=/c # x\n");
  write("common-auth", "auth required pam_env.so envfile=/a\nsession required pam_env.so\n");
  write("common-session", "session optional pam_env.so envfile=/s\naccount required pam_env.so\n");
  PamEnvCalls calls;
  EXPECT_EQ(ReadPamEnvCalls(dir, "login", &calls), 0);
  std::string found;
  for (size_t i = 0; i < calls.count; ++i) {
    const PamEnvCall& call = calls.calls[i];
    found += std::string(call.conffile) + " " + call.envfile + (call.readenv ? ";" : " unread;");
  }
  EXPECT_EQ(found,
            "/etc/security/pam_env.conf /d;/etc/security/pam_env.conf /s;"
            "/c /etc/environment unread;/etc/security/pam_env.conf /a;");
  EXPECT_EQ(ReadPamEnvCalls(dir, "none", &calls), ENOENT);
  std::system(("rm -rf '" + std::string(dir) + "'").c_str());
}

}  // namespace
