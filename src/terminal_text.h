#ifndef LOCALE_REPORT_TERMINAL_TEXT_H_
#define LOCALE_REPORT_TERMINAL_TEXT_H_

#include <cstddef>

// How much of a value from outside is shown; no locale name comes near it.
const size_t kTerminalTextShown = 64;
// How much of a path or a message is shown.
const size_t kTerminalTextLongest = 255;

struct TerminalText {
  char bytes[kTerminalTextLongest * 4 + sizeof "..."];
};

// A text from outside the program (a variable's value), made safe to show on
// any terminal and between double quotes: printable ASCII as it stands, a
// backslash doubled, and every other byte (a double quote, controls, escape
// sequences, anything not ASCII) as \xHH. Only
// the first `shown` bytes (kTerminalTextLongest at most) are shown; "..."
// marks the cut.
TerminalText ToTerminalText(const char* text, size_t shown = kTerminalTextShown);

#endif  // LOCALE_REPORT_TERMINAL_TEXT_H_
