#ifndef LOCALE_REPORT_POSIX_LIBC_ALIAS_TABLE_H_
#define LOCALE_REPORT_POSIX_LIBC_ALIAS_TABLE_H_

#include <cstddef>

// The C library's locale aliases: names such as "german", "japanese.euc" or
// "no_NO" that its alias file (locale.alias) has stand for another name,
// "de_DE.ISO-8859-1", "ja_JP.eucJP", "nb_NO.ISO-8859-1".

// Of each line of an alias file only this many bytes are read, as the C
// library reads them.
const size_t kLocaleAliasLineMax = 399;

// What an alias stands for, as a terminated string.
struct LocaleAliasTarget {
  char name[kLocaleAliasLineMax + 1];
};

// The alias and the name it stands for on one line of an alias file.
struct LocaleAliasEntry {
  const char* alias;
  size_t aliasLength;
  const char* target;
  size_t targetLength;
};

// Reads one line (without its newline) as the C library does: the first two
// fields, separated by blanks, are the alias and what it stands for; more
// fields are ignored, and a line whose first field starts with '#' is a
// comment. Only the first kLocaleAliasLineMax bytes are read: a line they cut
// within its second field, or that holds a NUL byte there, is no entry.
bool ParseLocaleAliasLine(const char* line, size_t length, LocaleAliasEntry* entry);

// Looks `name` up in the alias files the C library reads, in its order; the
// first entry whose alias is `name` (ASCII case ignored, codeset and modifier
// included) counts. What it stands for is not looked up again. False where no
// file has it; a file that cannot be read, or is not a regular file, has none.
// `name` need not be terminated and may hold any bytes.
bool ExpandLocaleAlias(const char* name, size_t length, LocaleAliasTarget* target);

// The same in one alias file already open, read from where it stands.
bool FindLocaleAliasIn(int fd, const char* name, size_t length, LocaleAliasTarget* target);

#endif  // LOCALE_REPORT_POSIX_LIBC_ALIAS_TABLE_H_
