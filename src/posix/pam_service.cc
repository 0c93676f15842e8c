// A PAM service file's lines as Linux-PAM 1.5 reads them (its
// _pam_parse_conf_file()), as far as they tell which files pam_env reads:
// TYPE CONTROL MODULE ARGUMENTS, or @include FILE.

#include "posix/pam_service.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "posix/ascii.h"
#include "posix/line_reader.h"
#include "posix/regular_file.h"

const char kPamEnvConfFile[] = "/etc/security/pam_env.conf";
const char kPamEnvEnvFile[] = "/etc/environment";

namespace {

enum PamType { kSessionType, kAuthType, kAnyType };

// PAM_SUBSTACK_MAX_LEVEL.
const int kIncludeDepthMax = 16;

struct Stack {
  const char* directory;
  PamEnvCalls byType[2];  // session, auth
};

struct Token {
  const char* text;
  size_t length;
};

bool Is(const Token& token, const char* word) {
  return token.length == std::strlen(word) && std::memcmp(token.text, word, token.length) == 0;
}

// A PAM type, case ignored.
bool IsType(const Token& token, const char* type) {
  if (token.length != std::strlen(type)) return false;
  for (size_t i = 0; i < token.length; ++i) {
    if (LowerAscii(token.text[i]) != type[i]) return false;
  }
  return true;
}

// The next word of [*c, end), blanks before it skipped; a word that starts
// with '[' runs to the next ']'.
Token NextToken(const char** c, const char* end) {
  while (*c < end && IsLineBlank(**c)) ++*c;
  const char* start = *c;
  if (*c < end && **c == '[') {
    const char* close =
        static_cast<const char*>(std::memchr(*c, ']', static_cast<size_t>(end - *c)));
    *c = close != nullptr ? close + 1 : end;
  } else {
    while (*c < end && !IsLineBlank(**c)) ++*c;
  }
  return {start, static_cast<size_t>(*c - start)};
}

void CopyPath(char* path, const Token& token) {
  const size_t length = token.length < kPamPathMax ? token.length : kPamPathMax;
  std::memcpy(path, token.text, length);
  path[length] = '\0';
}

int ReadFile(Stack* stack, const Token& name, PamType filter, int depth);

// readenv=N as atoi() reads N: whether it is a number other than 0.
bool IsNonZero(const Token& number) {
  size_t i = number.length > 0 && (number.text[0] == '+' || number.text[0] == '-') ? 1 : 0;
  for (; i < number.length && IsAsciiDigit(number.text[i]); ++i) {
    if (number.text[i] != '0') return true;
  }
  return false;
}

// One line that is neither blank nor a comment, its leading blanks skipped.
void TakeLine(Stack* stack, const char* line, size_t length, PamType filter, int depth) {
  const char* c = line;
  const char* end = static_cast<const char*>(std::memchr(line, '#', length));
  if (end == nullptr) end = line + length;
  Token type = NextToken(&c, end);
  if (Is(type, "@include")) {
    ReadFile(stack, NextToken(&c, end), filter, depth + 1);
    return;
  }
  if (type.text[0] == '-') type = {type.text + 1, type.length - 1};
  PamType lineType;
  if (IsType(type, "session")) {
    lineType = kSessionType;
  } else if (IsType(type, "auth")) {
    lineType = kAuthType;
  } else {
    return;
  }
  if (filter != kAnyType && lineType != filter) return;
  const Token control = NextToken(&c, end);
  const Token module = NextToken(&c, end);
  if (Is(control, "include") || Is(control, "substack")) {
    ReadFile(stack, module, lineType, depth + 1);
    return;
  }
  // The module by its file's name, wherever it is installed.
  Token base = module;
  while (const char* slash = static_cast<const char*>(std::memchr(base.text, '/', base.length))) {
    base = {slash + 1, base.length - static_cast<size_t>(slash + 1 - base.text)};
  }
  if (!Is(base, "pam_env.so")) return;

  PamEnvCalls& calls = stack->byType[lineType];
  if (calls.count == sizeof calls.calls / sizeof calls.calls[0]) return;
  PamEnvCall& call = calls.calls[calls.count++];
  std::memcpy(call.conffile, kPamEnvConfFile, sizeof kPamEnvConfFile);
  std::memcpy(call.envfile, kPamEnvEnvFile, sizeof kPamEnvEnvFile);
  call.readenv = true;
  for (Token argument = NextToken(&c, end); argument.length > 0; argument = NextToken(&c, end)) {
    if (argument.length > 9 && std::strncmp(argument.text, "conffile=", 9) == 0) {
      CopyPath(call.conffile, {argument.text + 9, argument.length - 9});
    } else if (argument.length > 8 && std::strncmp(argument.text, "envfile=", 8) == 0) {
      CopyPath(call.envfile, {argument.text + 8, argument.length - 8});
    } else if (argument.length > 8 && std::strncmp(argument.text, "readenv=", 8) == 0) {
      call.readenv = IsNonZero({argument.text + 8, argument.length - 8});
    }
  }
}

// Reads a file of the stack; `name` is a path, or a service in the directory.
// Returns 0 or the errno of the file.
int ReadFile(Stack* stack, const Token& name, PamType filter, int depth) {
  char path[2 * kPamPathMax + 2];
  const size_t directory =
      name.length > 0 && name.text[0] == '/' ? 0 : std::strlen(stack->directory);
  if (name.length == 0 || name.length > kPamPathMax || directory > kPamPathMax ||
      depth > kIncludeDepthMax) {
    return ENOENT;
  }
  std::memcpy(path, stack->directory, directory);
  if (directory > 0) path[directory] = '/';
  CopyPath(path + (directory > 0 ? directory + 1 : 0), name);
  int fd;
  const int result = OpenRegularFile(path, &fd);
  if (result != 0) return result;
  const int error = ReadLines<1024>(fd, [stack, filter, depth](const char* line, size_t length) {
    // Most lines are comments: they cost no more than this.
    size_t blanks = 0;
    while (blanks < length && IsLineBlank(line[blanks])) ++blanks;
    if (blanks < length && line[blanks] != '#') {
      TakeLine(stack, line + blanks, length - blanks, filter, depth);
    }
  });
  close(fd);
  return error;
}

}  // namespace

int ReadPamEnvCalls(const char* directory, const char* service, PamEnvCalls* calls) {
  Stack stack;
  stack.directory = directory;
  stack.byType[kSessionType].count = stack.byType[kAuthType].count = 0;
  const int result = ReadFile(&stack, {service, std::strlen(service)}, kAnyType, 0);
  calls->count = 0;
  for (const PamEnvCalls& ofType : stack.byType) {
    for (size_t i = 0;
         i < ofType.count && calls->count < sizeof calls->calls / sizeof calls->calls[0]; ++i) {
      calls->calls[calls->count++] = ofType.calls[i];
    }
  }
  return result;
}
