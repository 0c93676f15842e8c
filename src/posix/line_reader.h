#ifndef LOCALE_REPORT_POSIX_LINE_READER_H_
#define LOCALE_REPORT_POSIX_LINE_READER_H_

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

// Reads `fd` from where it stands to its end through one buffer of N bytes
// and hands its lines, without their newlines, to `take(line, length)` one
// at a time; `take` may write to the line and to the byte after it. A line that fills the buffer is
// skipped, all of it: an untrusted file costs no more memory than that, however long its lines.
// Returns 0 (or `skipped` where a line was skipped), or the errno of a read that failed, which ends
// the reading.
template <size_t N, typename Take>
int ReadLines(int fd, Take take, int skipped = 0) {
  char buffer[N];
  size_t used = 0;
  bool skipping = false;
  bool skippedAny = false;
  for (;;) {
    const ssize_t count = read(fd, buffer + used, N - used);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return errno;
    if (count == 0) break;
    used += static_cast<size_t>(count);

    // Whole lines are taken from the buffer and a partial one moved to its front.
    char* line = buffer;
    char* const end = buffer + used;
    while (char* newline =
               static_cast<char*>(std::memchr(line, '\n', static_cast<size_t>(end - line)))) {
      if (!skipping) take(line, static_cast<size_t>(newline - line));
      skipping = false;
      line = newline + 1;
    }
    used = static_cast<size_t>(end - line);
    if (used == N) {
      skipping = skippedAny = true;
      used = 0;
    } else {
      std::memmove(buffer, line, used);
    }
  }
  if (!skipping && used > 0) take(static_cast<char*>(buffer), used);
  return skippedAny ? skipped : 0;
}

// fgets() without stdio, for the C library's alias table, which the C
// library reads with fgets(): the same pieces, at a fraction of the cost.
struct PieceReader {
  int fd;
  size_t begin;
  size_t end;
  bool atEnd;  // feof(): a read met the end of the file
  int error;   // ferror(): the errno of a read that failed
  char buffer[4096];
};

inline void StartPieces(PieceReader* reader, int fd) {
  reader->fd = fd;
  reader->begin = reader->end = 0;
  reader->atEnd = false;
  reader->error = 0;
}

// As fgets(piece, size, file): at most size - 1 bytes, up to and including
// a newline, NUL bytes and all, then a NUL. False, with `piece` as it was,
// where nothing is left or a read fails.
inline bool GetPiece(PieceReader* reader, char* piece, size_t size) {
  size_t used = 0;
  while (used + 1 < size) {
    if (reader->begin == reader->end) {
      ssize_t count;
      do {
        count = read(reader->fd, reader->buffer, sizeof reader->buffer);
      } while (count < 0 && errno == EINTR);
      if (count < 0) {
        reader->error = errno;
        return false;
      }
      if (count == 0) {
        reader->atEnd = true;
        break;
      }
      reader->begin = 0;
      reader->end = static_cast<size_t>(count);
    }
    const char* from = reader->buffer + reader->begin;
    size_t take = reader->end - reader->begin;
    if (take > size - 1 - used) take = size - 1 - used;
    const char* newline = static_cast<const char*>(std::memchr(from, '\n', take));
    if (newline != nullptr) take = static_cast<size_t>(newline - from) + 1;
    std::memcpy(piece + used, from, take);
    used += take;
    reader->begin += take;
    if (newline != nullptr) break;
  }
  if (used == 0) return false;
  piece[used] = '\0';
  return true;
}

#endif  // LOCALE_REPORT_POSIX_LINE_READER_H_
