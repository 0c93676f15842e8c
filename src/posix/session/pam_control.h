#ifndef LOCALE_REPORT_POSIX_SESSION_PAM_CONTROL_H_
#define LOCALE_REPORT_POSIX_SESSION_PAM_CONTROL_H_

// Whether a module's result `code` under the control word of its PAM line
// (brackets taken off) fails the stack, as libpam judges it: under
// "required" and "requisite" anything but success and PAM_IGNORE does; in
// the bracket form, whatever it makes "bad" or "die", and every result
// where the word cannot be parsed. Jumps and "reset" are taken as not
// failing.
bool PamControlFails(const char* control, int code);

#endif  // LOCALE_REPORT_POSIX_SESSION_PAM_CONTROL_H_
