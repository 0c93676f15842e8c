// Built into the program and the unit tests of the sanitizer build only:
// what LeakSanitizer would charge to the program that is no leak of its
// own. glibc 2.36's newlocale() keeps its copy of LOCPATH, made with the
// argz functions, when a locale cannot be loaded; LeakSanitizer's stack for
// it ends there, at __argz_add_sep where libc6-dbg is installed and at its
// public name argz_add_sep where not, and a template matches either. The
// PAM handle is never ended (ending it would have libpam audit a login that
// never was), so libpam's memory for it, the variables pam_env set included,
// lives to the exit. The tests compare standard error, so the suppressions
// are not listed there.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
  return "leak:argz_create_sep\nleak:argz_add_sep\nleak:libpam.so\n";
}
extern "C" const char* __lsan_default_options();
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
