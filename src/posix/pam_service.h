#ifndef LOCALE_REPORT_POSIX_PAM_SERVICE_H_
#define LOCALE_REPORT_POSIX_PAM_SERVICE_H_

#include <cstddef>

// The longest path of a pam_env file kept.
const size_t kPamPathMax = 255;

// One pam_env line of a PAM stack: the files it reads, in its order.
struct PamEnvCall {
  char conffile[kPamPathMax + 1];
  char envfile[kPamPathMax + 1];
  bool readenv;
};

struct PamEnvCalls {
  PamEnvCall calls[8];
  size_t count;
};

// pam_env's own defaults: DEFAULT_CONF_FILE and DEFAULT_ETC_ENVFILE.
extern const char kPamEnvConfFile[];
extern const char kPamEnvEnvFile[];

// The pam_env lines of the PAM stack of `service` (`directory`/SERVICE, and
// what it includes with @include, include or substack, 16 deep at most) in
// the order login calls them: its session lines, when it opens the session,
// then its auth lines, when it sets the credentials. A line's '#' starts a
// comment; a line continued with '\' is read as two. Returns 0, or the errno
// (ENOENT where there is no such service) of the service's own file; an
// included file that cannot be read adds nothing, as PAM takes it.
int ReadPamEnvCalls(const char* directory, const char* service, PamEnvCalls* calls);

#endif  // LOCALE_REPORT_POSIX_PAM_SERVICE_H_
