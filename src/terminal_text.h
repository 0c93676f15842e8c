#ifndef LOCALE_REPORT_TERMINAL_TEXT_H_
#define LOCALE_REPORT_TERMINAL_TEXT_H_

#include <cstddef>

// How much of a text from outside is shown; no locale name comes near it.
const size_t kTerminalTextShown = 64;

struct TerminalText {
  char bytes[kTerminalTextShown * 4 + sizeof "..."];
};

// A text from outside the program (a variable's value), made safe to show on
// any terminal and between double quotes: printable ASCII as it stands, a
// backslash doubled, and every other byte (a double quote, controls, escape
// sequences, anything not ASCII) as \xHH. Only
// the first kTerminalTextShown bytes are shown; "..." marks the cut.
TerminalText ToTerminalText(const char* text);

#endif  // LOCALE_REPORT_TERMINAL_TEXT_H_
