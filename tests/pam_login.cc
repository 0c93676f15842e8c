// A login as libpam runs it, for the tests to hold the report's refusals
// to: the PAM service SERVICE for USER, with a password (pam_authenticate,
// then pam_setcred) or without one, as login -f and autologin do
// (pam_setcred alone); then pam_open_session. Prints "accepted", or the
// call that refused the login and why, with status 1. What the modules
// would tell the system log, but for debug and information lines, goes to
// standard error as "pam_login: says: MESSAGE", so that the tests hold the
// report's notes to what pam_env itself says.
//   pam_login SERVICE USER password|nopassword
// libpam is loaded as the report loads it, so that the test binary needs
// no library to link against.

#include <dlfcn.h>
#include <security/pam_appl.h>
#include <syslog.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

extern "C" void pam_vsyslog(const pam_handle_t*, int priority, const char* format,
                            va_list arguments) {
  if (LOG_PRI(priority) > LOG_NOTICE) return;
  // For a %m of the message.
  const int error = errno;
  char message[1024];
  errno = error;
  std::vsnprintf(message, sizeof message, format, arguments);
  std::fprintf(stderr, "pam_login: says: %s\n", message);
}

extern "C" void pam_syslog(const pam_handle_t* handle, int priority, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  pam_vsyslog(handle, priority, format, arguments);
  va_end(arguments);
}

namespace {

int NoConversation(int, const pam_message**, pam_response**, void*) { return PAM_CONV_ERR; }

template <typename Function>
Function Find(void* library, const char* name) {
  return reinterpret_cast<Function>(dlsym(library, name));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 ||
      (std::strcmp(argv[3], "password") != 0 && std::strcmp(argv[3], "nopassword") != 0)) {
    std::fputs("usage: pam_login SERVICE USER password|nopassword\n", stderr);
    return 2;
  }
  void* libpam = dlopen("libpam.so.0", RTLD_NOW);
  if (libpam == nullptr) {
    std::fprintf(stderr, "pam_login: %s\n", dlerror());
    return 2;
  }
  const auto start = Find<decltype(&pam_start)>(libpam, "pam_start");
  const auto authenticate = Find<decltype(&pam_authenticate)>(libpam, "pam_authenticate");
  const auto setCredentials = Find<decltype(&pam_setcred)>(libpam, "pam_setcred");
  const auto openSession = Find<decltype(&pam_open_session)>(libpam, "pam_open_session");
  const auto text = Find<decltype(&pam_strerror)>(libpam, "pam_strerror");
  if (start == nullptr || authenticate == nullptr || setCredentials == nullptr ||
      openSession == nullptr || text == nullptr) {
    std::fputs("pam_login: not libpam\n", stderr);
    return 2;
  }
  const pam_conv conversation = {NoConversation, nullptr};
  pam_handle_t* handle = nullptr;
  int result = start(argv[1], argv[2], &conversation, &handle);
  const char* call = "pam_start";
  if (result == PAM_SUCCESS && std::strcmp(argv[3], "password") == 0) {
    call = "pam_authenticate";
    result = authenticate(handle, 0);
  }
  if (result == PAM_SUCCESS) {
    call = "pam_setcred";
    result = setCredentials(handle, PAM_ESTABLISH_CRED);
  }
  if (result == PAM_SUCCESS) {
    call = "pam_open_session";
    result = openSession(handle, 0);
  }
  if (result != PAM_SUCCESS) {
    std::printf("%s: %s\n", call, text(handle, result));
  } else {
    std::puts("accepted");
  }
  const auto end = Find<decltype(&pam_end)>(libpam, "pam_end");
  if (handle != nullptr && end != nullptr) end(handle, result);
  return result == PAM_SUCCESS ? 0 : 1;
}
