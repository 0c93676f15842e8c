#ifndef LOCALE_REPORT_POSIX_ASCII_H_
#define LOCALE_REPORT_POSIX_ASCII_H_

// Character classes in ASCII alone: the files and names read here are
// judged the same whatever the program's locale, as their readers (the C
// library, pam_env, systemd) judge them in theirs.

inline bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsAsciiAlnum(char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }
// What separates words on a line: blank, tab, and the CR of a file written
// on Windows.
inline bool IsLineBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
// isspace() in the C locale: blank, tab, newline, vertical tab, form feed, CR.
inline bool IsAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
// A byte as unsigned, its ASCII letters folded: as strcasecmp() in the C
// locale compares (LowerAscii), or as codeset names are sorted (UpperAscii).
inline int LowerAscii(char c) {
  const int byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
}
inline int UpperAscii(char c) {
  const int byte = static_cast<unsigned char>(c);
  return byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte;
}

#endif  // LOCALE_REPORT_POSIX_ASCII_H_
