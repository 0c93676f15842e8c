/* The least a program can do to report what the report reports: load the
 * user's locale and read its codeset, as `locale` does, then ask the
 * installed pam_env what a new login of the user who runs it gets, for
 * Debian's two lines of the login stack, read the environment back, and
 * load the session's LANG once, to know that it loads, where it is not the
 * user's locale. bench/run.sh builds it. */

#include <dlfcn.h>
#include <langinfo.h>
#include <locale.h>
#include <pwd.h>
#include <security/pam_appl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static int no_conversation(int count, const struct pam_message** messages,
                           struct pam_response** responses, void* data) {
  (void)count, (void)messages, (void)responses, (void)data;
  return PAM_CONV_ERR;
}

int main(void) {
  const char* user_locale = setlocale(LC_ALL, "");
  const char* codeset = nl_langinfo(CODESET);
  void* libpam = dlopen("libpam.so.0", RTLD_LAZY);
  void* pam_env = dlopen(SECURITY_DIRECTORY "/pam_env.so", RTLD_LAZY);
  if (libpam == NULL || pam_env == NULL) return 1;
  int (*start)(const char*, const char*, const struct pam_conv*, const char*, pam_handle_t**) =
      (int (*)(const char*, const char*, const struct pam_conv*, const char*, pam_handle_t**))
          dlsym(libpam, "pam_start_confdir");
  char** (*getenvlist)(pam_handle_t*) = (char** (*)(pam_handle_t*))dlsym(libpam, "pam_getenvlist");
  int (*open_session)(pam_handle_t*, int, int, const char**) =
      (int (*)(pam_handle_t*, int, int, const char**))dlsym(pam_env, "pam_sm_open_session");
  const struct pam_conv conversation = {no_conversation, NULL};
  pam_handle_t* handle;
  const struct passwd* user = getpwuid(getuid());
  if (user == NULL || start("null", user->pw_name, &conversation, "/dev", &handle) != PAM_SUCCESS) {
    return 1;
  }
  const char* first[] = {"readenv=1"};
  const char* second[] = {"readenv=1", "envfile=/etc/default/locale"};
  open_session(handle, 0, 1, first);
  open_session(handle, 0, 2, second);
  char** environment = getenvlist(handle);
  for (char** entry = environment; entry != NULL && *entry != NULL; ++entry) {
    if (strncmp(*entry, "LANG=", 5) != 0) continue;
    const char* lang = *entry + 5;
    if (user_locale == NULL || strcmp(lang, user_locale) != 0) {
      locale_t loaded = newlocale(LC_ALL_MASK, lang, (locale_t)0);
      if (loaded == (locale_t)0) return 1;
      freelocale(loaded);
    }
  }
  printf("%s %s\n", codeset, environment != NULL && environment[0] != NULL ? environment[0] : "");
  return 0;
}
