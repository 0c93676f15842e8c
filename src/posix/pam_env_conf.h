#ifndef LOCALE_REPORT_POSIX_PAM_ENV_CONF_H_
#define LOCALE_REPORT_POSIX_PAM_ENV_CONF_H_

#include "posix/variable_store.h"

// What @{ITEM} stands for (@{PAM_USER}, @{HOME}, ...), nullptr for
// nothing; asked only where a value holds one.
typedef const char* (*PamItemLookup)(const char* item);

// Where pam_env gives up on its conffile: it reads no envfile then, and the
// session it was to set up is refused.
const int kPamEnvConfAborted = -2;

// Reads `fd` to its end as pam_env reads its conffile
// (/etc/security/pam_env.conf), lines assembled as AssemblePamEnvLine() does:
// - VARIABLE [DEFAULT=value] [OVERRIDE=value], each option any number of
//   times, the last one counting; a value is a word or "a quoted one";
//   any other word, or a quote that does not end the word, makes the line
//   set nothing. A line that starts with a blank names the variable "", which
//   sets nothing;
// - OVERRIDE, where it expands to something, else DEFAULT, is the value;
//   DEFAULT="" sets the variable to nothing; with neither, it is unset;
// - in values, ${NAME} is what the session's environment holds so far
//   (`store`), and @{ITEM} is what `item` gives; \$, \@ and \\ stand for
//   themselves, and any other backslash goes;
// - the variable is set as pam_putenv() sets "VARIABLE=value": a variable
//   named "LANG=de_DE" sets LANG to "de_DE" even where it is to be unset.
// The settings go into `store` as set by `source`, and `lines` counts those
// lines that name a variable: where there are none, another reading changes
// nothing either. Returns 0,
// kPamEnvConfAborted where an ${ or @{ is not closed, a value grows past
// kPamEnvLineMax, or AssemblePamEnvLine() stops, or the errno of a read that
// failed.
int ReadPamEnvConf(int fd, PamItemLookup item, VariableStore* store, const char* source,
                   size_t* lines);

#endif  // LOCALE_REPORT_POSIX_PAM_ENV_CONF_H_
