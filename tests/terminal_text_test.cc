#include "terminal_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TextCase {
  const char* text;
  const char* shown;
};

const TextCase kTextCases[] = {
    {"de_DE.UTF-8", "de_DE.UTF-8"},
    {"", ""},
    {" ~!", " ~!"},
    // Nothing can reach the terminal as a control, and every escape reads back
    // one way: a backslash is doubled.
    {"\x1B]0;title\a\x1B[2J", "\\x1B]0;title\\x07\\x1B[2J"},
    {"\t\n\r\x7F", "\\x09\\x0A\\x0D\\x7F"},
    {"a\\x1B", "a\\\\x1B"},
    // Shown between double quotes, a value's own cannot end it.
    {"de\"_DE", "de\\x22_DE"},
    // C1 controls, as UTF-8 or alone, and anything else beyond ASCII.
    {"\xC2\x9B[6n\x9B", "\\xC2\\x9B[6n\\x9B"},
    {"gar\xC3\xA7on\xFF", "gar\\xC3\\xA7on\\xFF"},
};

TEST(ToTerminalText, ShowsPrintableAsciiAndEscapesTheRest) {
  for (const TextCase& c : kTextCases)
    EXPECT_STREQ(ToTerminalText(c.text).bytes, c.shown) << c.text;
}

TEST(ToTerminalText, CutsLongTextsAndSaysSo) {
  const std::string shown(kTerminalTextShown, 'a');
  EXPECT_EQ(ToTerminalText(shown.c_str()).bytes, shown);
  EXPECT_EQ(ToTerminalText((shown + "b").c_str()).bytes, shown + "...");
  // The widest: every byte shown as four.
  const std::string controls(1000, '\x1B');
  std::string escaped;
  for (size_t i = 0; i < kTerminalTextShown; ++i) escaped += "\\x1B";
  EXPECT_EQ(ToTerminalText(controls.c_str()).bytes, escaped + "...");
}

}  // namespace
