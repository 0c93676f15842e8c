// The login stack as the report reads it and runs its pam_env lines, held
// against libpam itself: for a directory of stacks made of pam_env and
// pam_permit lines, libpam (pam_start_confdir(), then pam_open_session()
// and pam_setcred(), as login calls them) must give the same variables, and
// refuse the same logins.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <security/pam_appl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "posix/session/pam_control.h"
#include "posix/session/pam_env.h"
#include "posix/session/pam_service.h"

namespace {

struct StackCase {
  const char* what;
  // Files of the stack's directory, "%" standing for its path (libpam 1.5
  // looks for an included file named without a path in /etc/pam.d, not
  // there); a name under "usr/" lies in a second directory, searched after
  // the first.
  std::vector<std::pair<std::string, std::string>> files;
};

// Each case's pam_env files beside the stacks.
const char kConf[] = "LC_TIME DEFAULT=de_DE.UTF-8\n";
const char kBadConf[] = "LC_TIME DEFAULT=${LANG\n";
const char kEnv[] = "LANG=fr_FR.UTF-8\n";
const char kEnv2[] = "LANG=it_IT.UTF-8\nLC_MESSAGES=ja_JP.UTF-8\n";
const char kPermit[] = "auth required pam_permit.so\n";

const StackCase kCases[] = {
    {"plain", {{"login", "session required pam_env.so conffile=%/conf envfile=%/env\n"}}},
    {"continued, through comments and blanks, and cut at a '#'",
     {{"login",
       "session required pam_env.so \\\n# x\n\n  conffile=%/conf\\  \n envfile=%/env2 #\\\n"
       "session required pam_env.so envfile=%/env conffile=%/conf\n"}}},
    {"type and control in any case, a '-' before the type",
     {{"login",
       "SESSION REQUIRED pam_env.so conffile=%/conf envfile=%/env\n"
       "-Session Optional pam_env.so conffile=%/conf envfile=%/env2\n"}}},
    {"a CR is part of its word",
     {{"login", "session required pam_env.so conffile=%/conf envfile=%/env2\r\n"}}},
    {"bracketed words",
     {{"login",
       "session [success=ok default=bad] pam_env.so [envfile=%/with space] conffile=%/conf\n"
       "session required pam_env.so [envfile=%/env\\]] conffile=%/conf\n"}}},
    {"includes, of their type only",
     {{"login",
       "auth include %/common-auth\nsession SUBSTACK %/common-session\n@INCLUDE %/common-more\n"},
      {"common-auth",
       "auth required pam_env.so conffile=%/conf envfile=%/env2\n"
       "session required pam_env.so conffile=%/conf envfile=%/env\n"},
      {"common-session", "session required pam_env.so conffile=%/conf envfile=%/env\n"},
      {"common-more", "session optional pam_env.so conffile=%/conf readenv=0\n"}}},
    {"no login: other's lines",
     {{"other", "session required pam_env.so conffile=%/conf envfile=%/env2\n"}}},
    {"a type login lacks: other's lines",
     {{"login", "session required pam_env.so conffile=%/conf envfile=%/env\n"},
      {"other",
       "session required pam_env.so conffile=%/conf envfile=%/env2\n"
       "auth required pam_env.so conffile=%/conf envfile=%/with space\n"}}},
    {"the second directory",
     {{"usr/login", "session required pam_env.so conffile=%/conf envfile=%/env2\n"}}},
    {"a failure that fails the login",
     {{"login",
       "session required pam_env.so conffile=%/conf envfile=%/env\n"
       "session requisite pam_env.so conffile=%/badconf envfile=%/env2\n"}}},
    {"a failure that does not",
     {{"login",
       "session [success=ok default=ignore] pam_env.so conffile=%/badconf envfile=%/env2\n"
       "session optional pam_env.so conffile=%/badconf\n"
       "session required pam_env.so conffile=%/conf envfile=%/env\n"}}},
};

int NoConversation(int, const pam_message**, pam_response**, void*) { return PAM_CONV_ERR; }

// What a session gets: "NAME=value;" for each locale variable set, then
// "refused" where the login is refused.
std::string Described(const LocaleSettings& settings, bool refused) {
  std::string text;
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (settings.values[i] != nullptr && settings.values[i][0] != '\0') {
      text += std::string(kLocaleVariables[i].name) + "=" + settings.values[i] + ";";
    }
  }
  return refused ? text + "refused" : text;
}

// libpam's own run of the login stack in `directory`.
std::string LibpamSession(void* libpam, const std::string& directory, const char* user) {
  auto start = reinterpret_cast<decltype(&pam_start_confdir)>(dlsym(libpam, "pam_start_confdir"));
  auto open = reinterpret_cast<decltype(&pam_open_session)>(dlsym(libpam, "pam_open_session"));
  auto setcred = reinterpret_cast<decltype(&pam_setcred)>(dlsym(libpam, "pam_setcred"));
  auto getenv = reinterpret_cast<decltype(&pam_getenv)>(dlsym(libpam, "pam_getenv"));
  const pam_conv conversation = {NoConversation, nullptr};
  pam_handle_t* handle;
  if (start("login", user, &conversation, directory.c_str(), &handle) != PAM_SUCCESS) return "?";
  const bool refused =
      open(handle, 0) != PAM_SUCCESS || setcred(handle, PAM_ESTABLISH_CRED) != PAM_SUCCESS;
  LocaleSettings settings;
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    settings.values[i] = getenv(handle, kLocaleVariables[i].name);
  }
  return refused ? "refused" : Described(settings, false);
}

TEST(PamStack, RunsAsLibpamRunsIt) {
  void* libpam = dlopen("libpam.so.0", RTLD_LAZY);
  if (libpam == nullptr || dlsym(libpam, "pam_start_confdir") == nullptr) {
    GTEST_SKIP() << "no libpam 1.4 or later here: " << dlerror();
  }
  const passwd* entry = getpwuid(getuid());
  ASSERT_NE(entry, nullptr);
  const std::string user = entry->pw_name;
  char top[] = "/tmp/pam_stack_test.XXXXXX";
  ASSERT_NE(mkdtemp(top), nullptr);
  const std::string dir = std::string(top) + "/pam.d";
  const std::string usr = std::string(top) + "/usr";

  for (const StackCase& c : kCases) {
    std::system(
        ("rm -rf '" + dir + "' '" + usr + "' && mkdir '" + dir + "' '" + usr + "'").c_str());
    const auto write = [&dir](const std::string& path, std::string text, const char* mode) {
      for (size_t at; (at = text.find('%')) != std::string::npos;) text.replace(at, 1, dir);
      std::FILE* file = std::fopen(path.c_str(), mode);
      ASSERT_NE(file, nullptr) << path;
      std::fputs(text.c_str(), file);
      std::fclose(file);
    };
    write(dir + "/conf", kConf, "w");
    write(dir + "/badconf", kBadConf, "w");
    write(dir + "/env", kEnv, "w");
    write(dir + "/env2", kEnv2, "w");
    write(dir + "/with space", "LANGUAGE=pt\n", "w");
    bool second = false;
    for (const auto& file : c.files) {
      const bool inUsr = file.first.compare(0, 4, "usr/") == 0;
      write(inUsr ? usr + "/" + file.first.substr(4) : dir + "/" + file.first, file.second, "w");
      second = second || inUsr;
    }
    // Every login has auth lines: where login has none, other's.
    const std::string stacks = second ? usr : dir;
    write(stacks + "/other", kPermit, "a");

    const char* const directories[] = {dir.c_str(), usr.c_str()};
    const PamConfig config = {directories, 2, nullptr};
    CaptureNotes notes = {};
    PamEnvLines lines;
    ASSERT_TRUE(ReadPamEnvLines(config, "login", kPamSession, &lines, &notes)) << c.what;
    SessionLedger session = {};
    PamEnvRun run;
    AskPamEnv(lines, kFailureRefuses, {[](void*, const char*) {}, nullptr}, &session, &run, &notes);
    bool refused = false;
    for (size_t i = 0; i < notes.count; ++i) {
      refused = refused || notes.notes[i].kind == kNoteLoginRefused;
    }
    EXPECT_EQ(refused ? "refused" : Described(SettingsOf(session), false),
              LibpamSession(libpam, stacks, user.c_str()))
        << c.what;
    ClearLedger(&session);
    FreePamEnvLines(&lines);
  }
  std::system(("rm -rf '" + std::string(top) + "'").c_str());
}

// Which results fail a login under which control words, as libpam's
// _pam_parse_control() and dispatch make them.
TEST(PamControl, FailsAsLibpamJudges) {
  const struct {
    const char* control;
    int code;
    bool fails;
  } cases[] = {
      {"required", PAM_SUCCESS, false},
      {"Required", PAM_ABORT, true},
      {"requisite", PAM_IGNORE, false},
      {"optional", PAM_ABORT, false},
      {"sufficient", PAM_SYSTEM_ERR, false},
      {"success=ok default=bad", PAM_IGNORE, true},
      {"success=ok new_authtok_reqd=ok ignore=ignore default=die", PAM_IGNORE, false},
      {"default=ignore abort=die", PAM_ABORT, true},
      {"abort=ignore default=bad default=die", PAM_BUF_ERR, true},
      {" success = 2  default = ignore ", PAM_ABORT, false},
      {"abort=reset", PAM_ABORT, false},
      {"success=0", PAM_SUCCESS, true},
      {"succes=ok", PAM_SUCCESS, true},
      {"success=ok default", PAM_SUCCESS, true},
      {"required", 30, true},
      {"optional", -1, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PamControlFails(c.control, c.code), c.fails) << c.control << " " << c.code;
  }
}

}  // namespace
