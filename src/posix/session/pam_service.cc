// A PAM service's stack as libpam reads it (its _pam_init_handlers() and
// _pam_parse_conf_file()), as far as it tells which pam_env lines run:
// [SERVICE] TYPE CONTROL MODULE ARGUMENTS, or @include FILE.

#include "posix/session/pam_service.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "posix/ascii.h"
#include "posix/line_reader.h"
#include "posix/locale_notes.h"
#include "posix/regular_file.h"
#include "posix/text.h"

namespace {

const char* const kSystemPamDirectories[] = {"/etc/pam.d", "/usr/lib/pam.d"};

}  // namespace

const PamConfig kSystemPamConfig = {kSystemPamDirectories, 2, "/etc/pam.conf"};

namespace {

const char kOtherService[] = "other";
// PAM_SUBSTACK_MAX_LEVEL.
const int kIncludeDepthMax = 16;
// Files that include each other more than once can have libpam read
// thousands within those 16 levels; the reading stops at this many.
const size_t kFilesReadMax = 128;
// The longest line read; libpam 1.5 gives up on a file at a quarter of it.
const size_t kFileLineMax = 4096;
// Lines of any type.
const int kAnyType = -1;

// The lines of one service ("login", or "other") in its files' order.
struct ServiceLines {
  PamEnvLines pamEnv;
  // How many lines of each type it has, pam_env's or not: where it has
  // none, libpam takes those of "other".
  size_t ofType[2];
};

struct Reading {
  const PamConfig* config;
  const char* service;
  size_t filesRead;
  ServiceLines of[2];  // the service's, then other's
  CaptureNotes* notes;
  bool cutNoted;
};

enum Whose { kServiceLines, kOtherLines };

bool IsPamBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Whether `word` is `lower`, a word in lower case, whatever its case.
bool IsWord(const char* word, const char* lower) {
  for (; *lower != '\0'; ++word, ++lower) {
    if (LowerAscii(*word) != *lower) return false;
  }
  return *word == '\0';
}

// The next word at *cursor, ended in place by a NUL, as libpam's
// _pam_StrTok() takes it; nullptr where none is left.
char* NextWord(char** cursor) {
  char* from = *cursor;
  if (from == nullptr) return nullptr;
  while (IsPamBlank(*from)) ++from;
  char* end;
  if (*from == '[') {
    ++from;
    end = from + std::strcspn(from, "\\]");
    // "\]" stands for ']': the rest moves up over each backslash taken out.
    char* to = end;
    while (*end == '\\') {
      if (end[1] == ']') ++end;
      *to++ = *end++;
      for (; *end != '\0' && *end != ']' && *end != '\\'; ++to, ++end) *to = *end;
    }
    if (to != end) *to = '\0';
  } else if (*from != '\0') {
    end = from + std::strcspn(from, " \t\n");
  } else {
    *cursor = nullptr;
    return nullptr;
  }
  if (*end != '\0') *end++ = '\0';
  *cursor = *end != '\0' ? end : nullptr;
  return from;
}

int ReadFile(Reading* reading, const char* name, Whose whose, int filter, int depth,
             bool withService);

// Adds a line to `lines`, made room for as needed.
bool AddLine(PamEnvLines* lines, const PamEnvLine& line) {
  if (lines->count == lines->room) {
    const size_t room = lines->room == 0 ? 4 : 2 * lines->room;
    void* grown = std::realloc(lines->lines, room * sizeof *lines->lines);
    if (grown == nullptr) return false;
    lines->lines = static_cast<PamEnvLine*>(grown);
    lines->room = room;
  }
  lines->lines[lines->count++] = line;
  return true;
}

// Keeps a pam_env line, its words in one block of its own: the argument
// pointers, then the file, control, module and arguments, each ended.
void KeepLine(PamEnvLines* lines, PamStackType type, bool quiet, const char* file,
              const char* control, const char* module, char* cursor) {
  // A line of kFileLineMax bytes has at most half as many words.
  const char* found[kFileLineMax / 2];
  size_t count = 0;
  size_t bytes = std::strlen(file) + std::strlen(control) + std::strlen(module) + 3;
  for (const char* argument;
       count < sizeof found / sizeof found[0] && (argument = NextWord(&cursor)) != nullptr;) {
    found[count++] = argument;
    bytes += std::strlen(argument) + 1;
  }
  char* block = static_cast<char*>(std::malloc(count * sizeof(const char*) + bytes));
  if (block == nullptr) return;
  PamEnvLine line;
  line.type = type;
  line.quietIfMissing = quiet;
  line.arguments = reinterpret_cast<const char**>(block);
  line.argumentCount = count;
  line.words = block;
  char* to = block + count * sizeof(const char*);
  const auto keep = [&to](const char* word) {
    const size_t length = std::strlen(word) + 1;
    std::memcpy(to, word, length);
    to += length;
    return to - length;
  };
  line.file = keep(file);
  line.control = keep(control);
  line.module = keep(module);
  for (size_t i = 0; i < count; ++i) line.arguments[i] = keep(found[i]);
  if (!AddLine(lines, line)) std::free(block);
}

// One line of a file, comments and continuations taken off.
void TakeLine(Reading* reading, const char* file, char* line, Whose whose, int filter, int depth,
              bool withService) {
  char* cursor = line;
  if (withService) {
    const char* service = NextWord(&cursor);
    if (service == nullptr) return;
    if (IsWord(service, kOtherService)) {
      whose = kOtherLines;
    } else if (IsWord(service, reading->service)) {
      whose = kServiceLines;
    } else {
      return;
    }
  }
  char* type = NextWord(&cursor);
  if (type == nullptr) return;
  const bool quiet = *type == '-';
  if (quiet) ++type;
  int lineType;
  if (IsWord(type, "session")) {
    lineType = kPamSession;
  } else if (IsWord(type, "auth")) {
    lineType = kPamAuth;
  } else if (IsWord(type, "account") || IsWord(type, "password")) {
    return;
  } else if (!quiet && IsWord(type, "@include")) {
    const char* name = NextWord(&cursor);
    if (name != nullptr) ReadFile(reading, name, whose, filter, depth + 1, false);
    return;
  } else {
    // libpam makes a line of no known type an auth line that fails.
    lineType = filter == kAnyType ? kPamAuth : filter;
  }
  if (filter != kAnyType && lineType != filter) return;
  ServiceLines& lines = reading->of[whose];
  const char* control = NextWord(&cursor);
  const char* module = NextWord(&cursor);
  if (control != nullptr && module != nullptr &&
      (IsWord(control, "include") || IsWord(control, "substack"))) {
    // What it includes counts, or, where that cannot be read, a line that
    // fails.
    if (ReadFile(reading, module, whose, lineType, depth + 1, false) != 0) ++lines.ofType[lineType];
    return;
  }
  ++lines.ofType[lineType];
  if (module == nullptr) return;
  const char* base = std::strrchr(module, '/');
  if (std::strcmp(base != nullptr ? base + 1 : module, "pam_env.so") != 0) return;
  KeepLine(&lines.pamEnv, static_cast<PamStackType>(lineType), quiet, file, control, module,
           cursor);
}

// Opens a file of the stack: `name` as it stands where it is a path, else
// in the first directory that has it, and puts its path in `path`.
// Returns 0, or why none can be opened (ENOENT where no directory has it).
int OpenStackFile(const PamConfig& config, const char* name, char (&path)[PATH_MAX], int* fd) {
  const size_t nameLength = std::strlen(name);
  if (name[0] == '/') {
    if (nameLength >= sizeof path) return ENAMETOOLONG;
    std::memcpy(path, name, nameLength + 1);
    return OpenRegularFile(path, fd);
  }
  int result = ENOENT;
  for (size_t i = 0; i < config.directoryCount; ++i) {
    if (!JoinPath(path, sizeof path, config.directories[i], name)) {
      result = ENAMETOOLONG;
      continue;
    }
    const int opened = OpenRegularFile(path, fd);
    if (opened != ENOENT) return opened;
  }
  return result;
}

// Reads one file of the stack. Returns 0, or why it cannot be read (noted
// unless it is not there).
int ReadFile(Reading* reading, const char* name, Whose whose, int filter, int depth,
             bool withService) {
  if (depth >= kIncludeDepthMax || reading->filesRead == kFilesReadMax) {
    if (!reading->cutNoted) {
      char path[PATH_MAX] = "";
      int fd;
      if (OpenStackFile(*reading->config, name, path, &fd) == 0) close(fd);
      AddNote(reading->notes, kNoteStackCut, path[0] == '/' ? path : name, nullptr, nullptr, 0,
              nullptr);
      reading->cutNoted = true;
    }
    return ELOOP;
  }
  ++reading->filesRead;
  char path[PATH_MAX];
  int fd;
  int result = OpenStackFile(*reading->config, name, path, &fd);
  // libpam reads a directory as an empty file.
  if (result == EISDIR) return 0;
  if (result == 0) {
    // Lines as libpam 1.5 assembles them: a line that is blank or a
    // comment is no line, not even within a continued one; a '#' ends a
    // line, and a '\' before its end (blanks aside) goes on in the next.
    char logical[kFileLineMax];
    size_t used = 0;
    bool tooLong = false;
    result = ReadLines<kFileLineMax>(
        fd,
        [&](char* line, size_t length) {
          size_t start = 0;
          while (start < length && IsPamBlank(line[start])) ++start;
          if (start == length || line[start] == '#' || line[start] == '\0') return;
          char* text = line + start;
          size_t textLength = length - start;
          bool continued = false;
          if (const void* hash = std::memchr(text, '#', textLength)) {
            textLength = static_cast<size_t>(static_cast<const char*>(hash) - text);
          } else {
            size_t end = textLength;
            while (end > 0 && IsPamBlank(text[end - 1])) --end;
            // A line is the C string it is to libpam: a '\' after a NUL
            // continues nothing. (Elsewhere a NUL ends its words as well.)
            if (end > 0 && text[end - 1] == '\\' && std::memchr(text, '\0', end) == nullptr) {
              textLength = end - 1;
              continued = true;
            }
          }
          if (used == 0 && !continued) {
            text[textLength] = '\0';
            TakeLine(reading, path, text, whose, filter, depth, withService);
            return;
          }
          if (used + textLength + 1 >= sizeof logical) {
            tooLong = true;
            used = 0;
            return;
          }
          std::memcpy(logical + used, text, textLength);
          used += textLength;
          if (continued) {
            logical[used++] = ' ';
            return;
          }
          logical[used] = '\0';
          used = 0;
          TakeLine(reading, path, logical, whose, filter, depth, withService);
        },
        kLineTooLong);
    close(fd);
    if (result == 0 && tooLong) result = kLineTooLong;
  }
  if (result != 0 && result != ENOENT) {
    AddNote(reading->notes, kNoteUnreadable, result == ENAMETOOLONG ? name : path, nullptr, nullptr,
            result, nullptr);
  }
  return result;
}

}  // namespace

bool ReadPamEnvLines(const PamConfig& config, const char* service, PamStackType first,
                     PamEnvLines* lines, CaptureNotes* notes) {
  Reading reading;
  reading.config = &config;
  reading.service = service;
  reading.filesRead = 0;
  reading.notes = notes;
  reading.cutNoted = false;
  for (ServiceLines& of : reading.of) {
    of.pamEnv = {};
    of.ofType[kPamSession] = of.ofType[kPamAuth] = 0;
  }
  *lines = {};

  int own = ReadFile(&reading, service, kServiceLines, kAnyType, 0, false);
  if (own == ENOENT && config.confFile != nullptr) {
    // libpam reads the file of all services where no directory exists.
    bool directories = false;
    for (size_t i = 0; i < config.directoryCount && !directories; ++i) {
      // As stat() and S_ISDIR() would tell, with what the program imports
      // already: each import more is one more look-up at every start.
      const int fd = open(config.directories[i], O_PATH | O_DIRECTORY | O_CLOEXEC);
      directories = fd >= 0;
      if (directories) close(fd);
    }
    if (!directories) own = ReadFile(&reading, config.confFile, kServiceLines, kAnyType, 0, true);
  }
  bool known = own == 0 || own == ENOENT;
  const ServiceLines& of = reading.of[kServiceLines];
  if (known && (of.ofType[kPamSession] == 0 || of.ofType[kPamAuth] == 0)) {
    const int other = ReadFile(&reading, kOtherService, kOtherLines, kAnyType, 0, false);
    known = other == 0 || other == ENOENT;
  }

  // Each line is handed on, or given back.
  for (const PamStackType type : {first, first == kPamSession ? kPamAuth : kPamSession}) {
    const Whose whose = reading.of[kServiceLines].ofType[type] > 0 ? kServiceLines : kOtherLines;
    for (Whose from : {kServiceLines, kOtherLines}) {
      PamEnvLines& taken = reading.of[from].pamEnv;
      for (size_t i = 0; i < taken.count; ++i) {
        PamEnvLine& line = taken.lines[i];
        if (line.type != type) continue;
        if (!known || from != whose || !AddLine(lines, line)) std::free(line.words);
        line.words = nullptr;
      }
    }
  }
  for (ServiceLines& from : reading.of) std::free(from.pamEnv.lines);
  return known;
}

void FreePamEnvLines(PamEnvLines* lines) {
  for (size_t i = 0; i < lines->count; ++i) std::free(lines->lines[i].words);
  std::free(lines->lines);
  *lines = {};
}

void DescribePamEnvLine(const PamEnvLine& line, char* text, size_t size) {
  size_t used = 0;
  const auto add = [&](const char* part) {
    for (; *part != '\0' && used + 1 < size; ++part) text[used++] = *part;
  };
  add(line.file);
  add(": ");
  add(line.module);
  for (size_t i = 0; i < line.argumentCount; ++i) {
    add(" ");
    add(line.arguments[i]);
  }
  text[used] = '\0';
}
