// The program on a terminal: every line is on screen before the wait, and
// the wait ends the way a user ends it.

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The report as a pipe receives it, to hold the screen against.
std::string ReportThroughPipe() {
  std::string report;
  std::FILE* pipe = popen("env -i LC_ALL=C.UTF-8 '" LOCALE_REPORT_PATH "' </dev/null", "r");
  if (pipe == nullptr) return report;
  for (int c; (c = std::getc(pipe)) != EOF;) report += static_cast<char>(c);
  pclose(pipe);
  return report;
}

// Reads what the terminal shows until `done` holds or `seconds` pass.
template <typename Done>
std::string ReadScreen(int master, double seconds, Done done) {
  std::string screen;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done(screen) && std::chrono::steady_clock::now() < deadline) {
    pollfd p = {master, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    char buffer[256];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] != '\r') screen += buffer[i];
    }
  }
  return screen;
}

// Waits up to `seconds` for the child; false while it is still running.
bool Reap(pid_t child, double seconds, int* status) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  do {
    if (waitpid(child, status, WNOHANG) == child) return true;
    usleep(10000);
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

struct Keys {
  const char* name;
  const char* typed;
  bool interrupts;
};

void PrintTo(const Keys& c, std::ostream* os) { *os << c.name; }

class OnATerminal : public testing::TestWithParam<Keys> {};

TEST_P(OnATerminal, ShowsAllLinesThenWaitsForTheUser) {
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    char* const argv[] = {const_cast<char*>(LOCALE_REPORT_PATH), nullptr};
    char* const envp[] = {const_cast<char*>("LC_ALL=C.UTF-8"), nullptr};
    execve(LOCALE_REPORT_PATH, argv, envp);
    _exit(127);
  }
  const std::string screen = ReadScreen(master, 5, [](const std::string& s) {
    return s.find("Hit [Enter] key\n") != std::string::npos;
  });
  // All nine lines and the prompt are there before anything is typed.
  const std::string expected = ReportThroughPipe();
  ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 9) << expected;
  EXPECT_EQ(screen, expected);
  int status = 0;
  EXPECT_FALSE(Reap(child, 0.3, &status)) << "the program must wait for the user";

  ASSERT_EQ(write(master, GetParam().typed, std::strlen(GetParam().typed)),
            static_cast<ssize_t>(std::strlen(GetParam().typed)));
  ASSERT_TRUE(Reap(child, 5, &status)) << "the wait did not end";
  if (GetParam().interrupts) {
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
  } else {
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  close(master);
}

INSTANTIATE_TEST_SUITE_P(Keys, OnATerminal,
                         testing::Values(Keys{"Enter", "\n", false},
                                         Keys{"TextThenEnter", "some text\n", false},
                                         Keys{"CtrlD", "\x04", false}, Keys{"CtrlC", "\x03", true}),
                         [](const testing::TestParamInfo<Keys>& info) { return info.param.name; });

}  // namespace
