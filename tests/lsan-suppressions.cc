// Built into the program of the sanitizer build only: leaks of the C
// library's own that LeakSanitizer would charge to the program. glibc 2.36's
// newlocale() keeps its copy of LOCPATH, made with the argz functions, when
// a locale cannot be loaded; LeakSanitizer's stack for it ends there. The
// tests compare standard error, so the suppressions are not listed there.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
  return "leak:__argz_create_sep\nleak:__argz_add_sep\n";
}
extern "C" const char* __lsan_default_options();
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
