#include "posix/asking_child.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "posix/asking_result.h"
#include "posix/deadline.h"
#include "posix/locale_notes.h"
#include "posix/session/new_session.h"

namespace {

const int kChildMs = 2000;
// What the child keeps for itself of its time, to say which script it
// stopped.
const int kChildMarginMs = 100;
// More than any session's result comes near.
const size_t kResultMax = 16 << 20;

bool WriteAll(int fd, const char* bytes, size_t length) {
  while (length > 0) {
    const ssize_t written = write(fd, bytes, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

struct Writer {
  int fd;
  ResultBytes out;
};

// Each source is told the moment it starts, so that the report can name
// the one that does not end.
void Started(void* context, const char* source) {
  Writer* writer = static_cast<Writer*>(context);
  writer->out.length = 0;
  AddStarted(&writer->out, source);
  WriteAll(writer->fd, writer->out.bytes, writer->out.length);
}

[[noreturn]] void RunChild(int fd, int64_t deadline) {
  // A mask of no priority at all: nothing the modules or libpam log
  // directly reaches the system log.
  setlogmask(LOG_MASK(LOG_DEBUG) << 1);
  signal(SIGPIPE, SIG_IGN);
  Writer writer = {fd, {}};
  // Its notes are counted, not cleared: 48 KiB of them.
  CaptureNotes notes;
  notes.count = notes.dropped = 0;
  SessionLedger ledger = {};
  const SourceWatcher watcher = {Started, &writer};
  UserLocale user;
  // What the user's environment names, as the session's check sees it.
  const LocaleSettings environment = EnvironmentSettings();
  const bool fromSystem = ReadUserLocale(&user, &notes);
  AddUserLocale(&writer.out, user);
  WriteAll(fd, writer.out.bytes, writer.out.length);
  // A new session has no LOCPATH: its locales come from the system alone.
  unsetenv("LOCPATH");
  const bool loadable = ReadNewSession(watcher, deadline - kChildMarginMs, &ledger, &notes,
                                       fromSystem ? &environment : nullptr);
  writer.out.length = 0;
  for (size_t i = 0; i < notes.count; ++i) AddNoteRecord(&writer.out, notes.notes[i]);
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (ledger.values[i] != nullptr) AddValue(&writer.out, i, ledger.values[i], ledger.origins[i]);
  }
  if (!writer.out.lost) AddEnd(&writer.out, loadable, notes.dropped);
  WriteAll(fd, writer.out.bytes, writer.out.length);
  _exit(0);
}

// What a small file of /proc holds, ended; "" where it cannot be read.
void ReadProc(const char* path, char* text, size_t size) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  ssize_t length = fd >= 0 ? read(fd, text, size - 1) : -1;
  if (fd >= 0) close(fd);
  text[length > 0 ? length : 0] = '\0';
}

// The numbers in `text`, blank-separated, into `pids`.
size_t Numbers(const char* text, pid_t* pids, size_t room) {
  size_t count = 0;
  for (const char* c = text; *c != '\0' && count < room;) {
    if (*c < '0' || *c > '9') {
      ++c;
      continue;
    }
    pid_t pid = 0;
    for (; *c >= '0' && *c <= '9'; ++c) pid = pid * 10 + (*c - '0');
    pids[count++] = pid;
  }
  return count;
}

// The pids of the report's own children, from the kernel's list of them
// (or, where it keeps none, from every process's parent), into `pids`.
size_t ListChildren(pid_t* pids, size_t room) {
  const pid_t self = static_cast<pid_t>(syscall(SYS_getpid));
  char path[sizeof "/proc//task//children" + 2 * NAME_MAX];
  std::snprintf(path, sizeof path, "/proc/%d/task/%d/children", static_cast<int>(self),
                static_cast<int>(self));
  char text[4096];
  if (access(path, R_OK) == 0) {
    ReadProc(path, text, sizeof text);
    return Numbers(text, pids, room);
  }
  dirent** entries;
  const int listed = scandir("/proc", &entries, nullptr, nullptr);
  size_t count = 0;
  for (int i = 0; i < listed; ++i) {
    const char* name = entries[i]->d_name;
    if (count < room && name[0] >= '1' && name[0] <= '9') {
      std::snprintf(path, sizeof path, "/proc/%s/stat", name);
      ReadProc(path, text, 512);
      // "PID (NAME) STATE PPID ...", where NAME may hold anything.
      const char* close = std::strrchr(text, ')');
      pid_t parent;
      if (close != nullptr && Numbers(close + 1, &parent, 1) == 1 && parent == self) {
        Numbers(name, pids + count++, 1);
      }
    }
    std::free(entries[i]);
  }
  if (listed >= 0) std::free(entries);
  return count;
}

// The children the report had before it asked: a caller's that ran
// `cmd & exec locale-report` are the report's children too, and not its to
// end. Looked for only where there are any.
struct Children {
  pid_t pids[256];
  size_t count;
};

void TakeChildren(Children* children) {
  int status;
  children->count =
      waitpid(-1, &status, WNOHANG) < 0
          ? 0
          : ListChildren(children->pids, sizeof children->pids / sizeof children->pids[0]);
}

bool Among(const Children& children, pid_t pid) {
  for (size_t i = 0; i < children.count; ++i) {
    if (children.pids[i] == pid) return true;
  }
  return false;
}

// Kills and reaps every process left of the child's: as the report is their
// subreaper, each whose parent has died is its child, and the rest are theirs.
void EndStragglers(const Children& before) {
  for (int round = 0; round < 10000; ++round) {
    int status;
    const pid_t reaped = waitpid(-1, &status, WNOHANG);
    if (reaped > 0) continue;
    if (reaped < 0) return;
    pid_t pids[256];
    const size_t count = ListChildren(pids, sizeof pids / sizeof pids[0]);
    size_t killed = 0;
    for (size_t i = 0; i < count; ++i) {
      if (!Among(before, pids[i]) && kill(pids[i], SIGKILL) == 0) ++killed;
    }
    if (killed == 0 || waitpid(-1, &status, 0) < 0) return;
  }
}

}  // namespace

bool AskLocales(UserLocale* user, SessionLedger* ledger, CaptureNotes* notes) {
  *ledger = {};
  CUserLocale(user);
  // A caller that ignores SIGCHLD would have its children reaped unasked,
  // and their status lost.
  signal(SIGCHLD, SIG_DFL);
#ifdef PR_SET_CHILD_SUBREAPER
  prctl(PR_SET_CHILD_SUBREAPER, 1);
#endif
  Children before;
  TakeChildren(&before);
  int pipeFds[2];
  const int64_t deadline = NowMs() + kChildMs;
  pid_t pid = -1;
  if (pipe2(pipeFds, O_CLOEXEC) == 0) {
    pid = fork();
    if (pid == 0) {
      close(pipeFds[0]);
      RunChild(pipeFds[1], deadline);
    }
    close(pipeFds[1]);
    if (pid < 0) close(pipeFds[0]);
  }
  if (pid < 0) {
    AddNote(notes, kNoteUserUnknown, nullptr, nullptr, std::strerror(errno), 0, nullptr);
    return true;
  }

  char* bytes;
  size_t used;
  const bool timedOut = ReadWithin(pipeFds[0], deadline, kResultMax, &bytes, &used) == ETIMEDOUT;
  close(pipeFds[0]);
  kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  EndStragglers(before);

  AskingResult result = {};
  ReadAskingResult(bytes, used, &result, notes);
  std::free(bytes);
  *ledger = result.ledger;
  if (result.userKnown) *user = result.user;
  if (result.ended) return result.loadable;
  ClearLedger(ledger);
  char why[64];
  if (timedOut) {
    std::snprintf(why, sizeof why, "did not end within %d seconds", kChildMs / 1000);
  } else if (WIFSIGNALED(status) && WTERMSIG(status) != SIGKILL) {
    std::snprintf(why, sizeof why, "crashed (signal %d)", WTERMSIG(status));
  } else {
    std::snprintf(why, sizeof why, "ended before it said what it found");
  }
  AddNote(notes, result.userKnown ? kNoteSessionUnknown : kNoteUserUnknown, result.started, nullptr,
          why, 0, nullptr);
  return true;
}
