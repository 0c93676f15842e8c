#ifndef LOCALE_REPORT_POSIX_LIBC_ALIAS_TABLE_H_
#define LOCALE_REPORT_POSIX_LIBC_ALIAS_TABLE_H_

#include <cstddef>

// The C library's locale aliases: names such as "german", "japanese.euc" or
// "no_NO" that its alias table (locale.alias) has stand for another name,
// "de_DE.ISO-8859-1", "ja_JP.eucJP", "nb_NO.ISO-8859-1". The table is read
// exactly as the C library reads it, damaged lines included, so that a name
// is always shown as the locale the C library loads for it.

// Of each line of the table only this many bytes are read, as the C library
// reads them: one fgets() into a buffer of 400.
const size_t kLocaleAliasLineMax = 399;

// What an alias stands for, as a terminated string.
struct LocaleAliasTarget {
  char name[kLocaleAliasLineMax + 1];
};

// The alias and the name it stands for on one line of the table, each
// terminated within the line.
struct LocaleAliasEntry {
  const char* alias;
  const char* target;
};

// Takes the entry of one line as fgets() read it (terminated, newline
// included where it fit), terminating its fields in place: the first two
// fields, separated by blanks, are the alias and what it stands for; more
// fields are ignored, and a line whose first field starts with '#' is a
// comment. Like the C library, it sees the line only up to a NUL byte.
bool ParseLocaleAliasLine(char* line, LocaleAliasEntry* entry);

// Looks `name` up in the C library's alias table. The C library sorts the
// entries by alias (ASCII case ignored, codeset and modifier included) and
// binary-searches them, so of several entries for one alias the one that
// search meets counts. What it stands for is not looked up again. False where
// the table has no entry for it, or is missing or no regular file. `name`
// need not be terminated and may hold any bytes.
bool ExpandLocaleAlias(const char* name, size_t length, LocaleAliasTarget* target);

// The same in a table already open, read from its start; `table` must be
// seekable.
bool FindLocaleAliasIn(int table, const char* name, size_t length, LocaleAliasTarget* target);

#endif  // LOCALE_REPORT_POSIX_LIBC_ALIAS_TABLE_H_
