#include "posix/session/session_child.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "posix/locale_notes.h"
#include "posix/session/deadline.h"
#include "posix/session/new_session.h"
#include "posix/session/session_result.h"

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
  CaptureNotes notes = {};
  SessionLedger ledger = {};
  const SourceWatcher watcher = {Started, &writer};
  const bool loadable = ReadNewSession(watcher, deadline - kChildMarginMs, &ledger, &notes);
  writer.out.length = 0;
  for (size_t i = 0; i < notes.count; ++i) AddNoteRecord(&writer.out, notes.notes[i]);
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (ledger.values[i] != nullptr) AddValue(&writer.out, i, ledger.values[i], ledger.origins[i]);
  }
  if (!writer.out.lost) AddEnd(&writer.out, loadable, notes.dropped);
  WriteAll(fd, writer.out.bytes, writer.out.length);
  _exit(0);
}

// The pids of the report's own children, from the kernel's list of them
// (or, where it keeps none, from every process's parent), into `pids`.
size_t Children(pid_t* pids, size_t room) {
  char path[sizeof "/proc//stat" + NAME_MAX];
  std::snprintf(path, sizeof path, "/proc/self/task/%d/children", static_cast<int>(getpid()));
  size_t count = 0;
  if (std::FILE* list = std::fopen(path, "re")) {
    for (int pid; count < room && std::fscanf(list, "%d", &pid) == 1;) pids[count++] = pid;
    std::fclose(list);
    return count;
  }
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return 0;
  const pid_t self = getpid();
  while (const dirent* entry = readdir(proc)) {
    if (count == room || entry->d_name[0] < '1' || entry->d_name[0] > '9') continue;
    std::snprintf(path, sizeof path, "/proc/%s/stat", entry->d_name);
    std::FILE* stat = std::fopen(path, "re");
    if (stat == nullptr) continue;
    char line[512];
    const size_t length = std::fread(line, 1, sizeof line - 1, stat);
    std::fclose(stat);
    line[length] = '\0';
    const char* close = std::strrchr(line, ')');
    int parent;
    if (close != nullptr && std::sscanf(close + 1, " %*c %d", &parent) == 1 && parent == self) {
      pids[count++] = static_cast<pid_t>(std::atoi(entry->d_name));
    }
  }
  closedir(proc);
  return count;
}

// Kills and reaps every process left of the child's: as the report is their
// subreaper, each whose parent has died is its child, and the rest are theirs.
void EndStragglers() {
  for (int round = 0; round < 10000; ++round) {
    int status;
    const pid_t reaped = waitpid(-1, &status, WNOHANG);
    if (reaped > 0) continue;
    if (reaped < 0) return;
    pid_t pids[256];
    const size_t count = Children(pids, sizeof pids / sizeof pids[0]);
    for (size_t i = 0; i < count; ++i) kill(pids[i], SIGKILL);
    if (count == 0 || waitpid(-1, &status, 0) < 0) return;
  }
}

}  // namespace

bool AskNewSession(SessionLedger* ledger, CaptureNotes* notes) {
  *ledger = {};
  // A caller that ignores SIGCHLD would have its children reaped unasked,
  // and their status lost.
  signal(SIGCHLD, SIG_DFL);
#ifdef PR_SET_CHILD_SUBREAPER
  prctl(PR_SET_CHILD_SUBREAPER, 1);
#endif
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
    AddNote(notes, kNoteSessionUnknown, nullptr, nullptr, std::strerror(errno), 0, nullptr);
    return true;
  }

  char* bytes = nullptr;
  size_t used = 0;
  size_t room = 0;
  bool timedOut = false;
  for (;;) {
    pollfd ready = {pipeFds[0], POLLIN, 0};
    const int polled = poll(&ready, 1, LeftMs(deadline));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) {
      timedOut = true;
      break;
    }
    if (used == room) {
      if (room >= kResultMax) break;
      room = room == 0 ? 16384 : 2 * room;
      void* grown = std::realloc(bytes, room);
      if (grown == nullptr) break;
      bytes = static_cast<char*>(grown);
    }
    const ssize_t count = read(pipeFds[0], bytes + used, room - used);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    used += static_cast<size_t>(count);
  }
  close(pipeFds[0]);
  kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  EndStragglers();

  SessionResult result = {};
  ReadSessionResult(bytes, used, &result, notes);
  std::free(bytes);
  *ledger = result.ledger;
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
  AddNote(notes, kNoteSessionUnknown, result.started, nullptr, why, 0, nullptr);
  return true;
}
