// pam_env's reading of an envfile, step for step: its _assemble_line() and
// _parse_env_file() as Linux-PAM 1.5 has them, checked against su sessions
// on Debian 12 (the tests hold the report to that).

#include "posix/pam_env_file.h"

#include <cstring>

#include "posix/ascii.h"

int AssemblePamEnvLine(PieceReader* file, char* buffer, int size) {
  char* piece = buffer;
  int used = 0;
  for (;;) {
    if (used >= size) return -1;
    if (!GetPiece(file, piece, static_cast<size_t>(size - used))) return used > 0 ? -1 : 0;
    if (piece[0] == '\0') return -1;
    if (piece[std::strlen(piece) - 1] != '\n' && !file->atEnd) return -1;

    // A blank line or a comment adds nothing, even within a continuation.
    const int blanks = static_cast<int>(std::strspn(piece, " \n\t"));
    char* text = piece + blanks;
    if (*text == '\0' || *text == '#') continue;
    used += blanks;
    char* comment = std::strchr(text, '#');
    if (comment != nullptr) {
      *comment = '\0';
      return used + static_cast<int>(comment - text);
    }
    char* last = text + std::strlen(text);
    while (last > text && (*--last == ' ' || *last == '\t' || *last == '\n')) {
    }
    if (*last != '\\') return used + static_cast<int>(std::strlen(text));
    *last = '\0';
    used += static_cast<int>(last - text);
    piece = last;
  }
}

namespace {

void ParseLine(char* key, VariableStore* store, const char* source) {
  key += std::strspn(key, " \n\t");
  if (std::strncmp(key, "export ", 7) == 0) key += 7;
  key[std::strcspn(key, "\n#")] = '\0';
  if (key[0] == '=') return;
  size_t keyLength = 0;
  while (key[keyLength] != '=' && key[keyLength] != '\0') {
    const char c = key[keyLength++];
    if (!IsAsciiAlnum(c) && c != '_') return;
  }
  // A key alone unsets it.
  char* value = key + keyLength;
  if (*value == '=') ++value;
  if (*value == '"' || *value == '\'') {
    ++value;
    const size_t length = std::strlen(value);
    if (length > 0 && (value[length - 1] == '"' || value[length - 1] == '\'')) {
      value[length - 1] = '\0';
    }
  }
  SetVariable(store, key, keyLength, value, std::strlen(value), source);
}

}  // namespace

int ReadPamEnvFile(int fd, VariableStore* store, const char* source) {
  PieceReader file;
  StartPieces(&file, fd);
  char line[kPamEnvLineMax];
  while (AssemblePamEnvLine(&file, line, sizeof line) > 0) ParseLine(line, store, source);
  return file.error;
}
