// A PAM service's stack as libpam reads it (its _pam_init_handlers() and
// _pam_parse_conf_file()), as far as it tells which pam_env lines run:
// [SERVICE] TYPE CONTROL MODULE ARGUMENTS, or @include FILE.

#include "posix/pam_service.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <initializer_list>

#include "posix/ascii.h"
#include "posix/line_reader.h"
#include "posix/locale_notes.h"
#include "posix/regular_file.h"

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
  PamEnvLine lines[kPamEnvLinesMax];
  size_t count;
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

// Copies a pam_env line's words; false where they do not fit.
bool KeepLine(PamEnvLine* line, PamStackType type, const char* control, const char* module,
              char* cursor) {
  line->type = type;
  line->argumentCount = 0;
  size_t used = 0;
  const auto keep = [line, &used](const char* word) {
    const size_t length = std::strlen(word) + 1;
    if (used + length > sizeof line->words) return false;
    std::memcpy(line->words + used, word, length);
    used += length;
    return true;
  };
  if (!keep(control) || !keep(module)) return false;
  while (const char* argument = NextWord(&cursor)) {
    if (!keep(argument)) return false;
    ++line->argumentCount;
  }
  return true;
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
  if (lines.count == kPamEnvLinesMax) return;
  if (KeepLine(&lines.lines[lines.count], static_cast<PamStackType>(lineType), control, module,
               cursor)) {
    lines.lines[lines.count++].quietIfMissing = quiet;
  } else {
    AddNote(reading->notes, kNoteUnreadable, file, nullptr, nullptr, kLineTooLong, nullptr);
  }
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
    const size_t directoryLength = std::strlen(config.directories[i]);
    if (directoryLength + 1 + nameLength >= sizeof path) {
      result = ENAMETOOLONG;
      continue;
    }
    std::memcpy(path, config.directories[i], directoryLength);
    path[directoryLength] = '/';
    std::memcpy(path + directoryLength + 1, name, nameLength + 1);
    const int opened = OpenRegularFile(path, fd);
    if (opened != ENOENT) return opened;
  }
  return result;
}

// Reads one file of the stack. Returns 0, or why it cannot be read (noted
// unless it is not there).
int ReadFile(Reading* reading, const char* name, Whose whose, int filter, int depth,
             bool withService) {
  if (depth >= kIncludeDepthMax || reading->filesRead == kFilesReadMax) return ELOOP;
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

bool ReadPamEnvLines(const PamConfig& config, const char* service, PamEnvLines* lines,
                     CaptureNotes* notes) {
  Reading reading;
  reading.config = &config;
  reading.service = service;
  reading.filesRead = 0;
  reading.notes = notes;
  for (ServiceLines& of : reading.of) of.count = of.ofType[kPamSession] = of.ofType[kPamAuth] = 0;
  lines->count = 0;

  int own = ReadFile(&reading, service, kServiceLines, kAnyType, 0, false);
  if (own == ENOENT && config.confFile != nullptr) {
    // libpam reads the file of all services where no directory exists.
    bool directories = false;
    for (size_t i = 0; i < config.directoryCount && !directories; ++i) {
      struct stat status;
      directories = stat(config.directories[i], &status) == 0 && S_ISDIR(status.st_mode);
    }
    if (!directories) own = ReadFile(&reading, config.confFile, kServiceLines, kAnyType, 0, true);
  }
  if (own != 0 && own != ENOENT) return false;
  const ServiceLines& of = reading.of[kServiceLines];
  if (of.ofType[kPamSession] == 0 || of.ofType[kPamAuth] == 0) {
    const int other = ReadFile(&reading, kOtherService, kOtherLines, kAnyType, 0, false);
    if (other != 0 && other != ENOENT) return false;
  }

  for (const PamStackType type : {kPamSession, kPamAuth}) {
    const ServiceLines& from =
        reading.of[reading.of[kServiceLines].ofType[type] > 0 ? kServiceLines : kOtherLines];
    for (size_t i = 0; i < from.count; ++i) {
      if (from.lines[i].type == type && lines->count < kPamEnvLinesMax) {
        lines->lines[lines->count++] = from.lines[i];
      }
    }
  }
  return true;
}

const char* PamControl(const PamEnvLine& line) { return line.words; }

const char* PamModule(const PamEnvLine& line) { return line.words + std::strlen(line.words) + 1; }

void PamArguments(const PamEnvLine& line, const char** arguments) {
  const char* word = PamModule(line);
  for (size_t i = 0; i < line.argumentCount; ++i) {
    word += std::strlen(word) + 1;
    arguments[i] = word;
  }
}
