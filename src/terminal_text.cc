#include "terminal_text.h"

TerminalText ToTerminalText(const char* text, size_t shown) {
  if (shown > kTerminalTextLongest) shown = kTerminalTextLongest;
  TerminalText safe;
  char* out = safe.bytes;
  size_t taken = 0;
  for (; text[taken] != '\0' && taken < shown; ++taken) {
    const unsigned char byte = static_cast<unsigned char>(text[taken]);
    if (byte == '\\') {
      *out++ = '\\';
      *out++ = '\\';
    } else if (byte >= 0x20 && byte < 0x7F && byte != '"') {
      *out++ = static_cast<char>(byte);
    } else {
      *out++ = '\\';
      *out++ = 'x';
      *out++ = "0123456789ABCDEF"[byte >> 4];
      *out++ = "0123456789ABCDEF"[byte & 0xF];
    }
  }
  if (text[taken] != '\0') {
    for (const char* dot = "..."; *dot != '\0'; ++dot) *out++ = *dot;
  }
  *out = '\0';
  return safe;
}
