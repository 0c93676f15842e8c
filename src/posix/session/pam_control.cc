// A PAM line's control word as libpam reads it (its _pam_parse_control()):
// "required" and its kin, or pairs RESULT=ACTION, as in
// "success=1 new_authtok_reqd=done default=ignore".

#include "posix/session/pam_control.h"

#include <security/pam_appl.h>

#include <cstring>

#include "posix/ascii.h"
#include "posix/text.h"

namespace {

// The results a control can name, by their code, then "default", which
// stands for every one not named (libpam's _pam_token_returns).
const char* const kResults[] = {
    "success",
    "open_err",
    "symbol_err",
    "service_err",
    "system_err",
    "buf_err",
    "perm_denied",
    "auth_err",
    "cred_insufficient",
    "authinfo_unavail",
    "user_unknown",
    "maxtries",
    "new_authtok_reqd",
    "acct_expired",
    "session_err",
    "cred_unavail",
    "cred_expired",
    "cred_err",
    "no_module_data",
    "conv_err",
    "authtok_err",
    "authtok_recover_err",
    "authtok_lock_busy",
    "authtok_disable_aging",
    "try_again",
    "ignore",
    "abort",
    "authtok_expired",
    "module_unknown",
    "bad_item",
    "default",
};
const int kResultCount = sizeof kResults / sizeof kResults[0] - 1;

// The actions, as libpam numbers them: 0 and below, each by its name's
// place in kActions negated; a jump of N modules is N.
const char* const kActions[] = {"ignore", "ok", "done", "bad", "die", "reset"};
const int kActionBad = -3;
const int kActionDie = -4;
const int kActionUndefined = -6;

void SetDefault(int* actions, int action) {
  for (int i = 0; i < kResultCount; ++i) {
    if (actions[i] == kActionUndefined) actions[i] = action;
  }
}

void SkipSpace(const char** text) {
  while (IsAsciiSpace(**text)) ++*text;
}

// Pairs RESULT=ACTION into `actions`; false where the text is not such.
bool ParsePairs(const char* text, int* actions) {
  for (;;) {
    SkipSpace(&text);
    if (*text == '\0') return true;
    int result = 0;
    const char* after = nullptr;
    while (result <= kResultCount && (after = AfterPrefix(text, kResults[result])) == nullptr) {
      ++result;
    }
    if (result > kResultCount) return false;
    text = after;
    SkipSpace(&text);
    if (*text++ != '=') return false;
    SkipSpace(&text);
    int action = 0;
    const int actionCount = sizeof kActions / sizeof kActions[0];
    while (action < actionCount && (after = AfterPrefix(text, kActions[action])) == nullptr) {
      ++action;
    }
    if (action < actionCount) {
      text = after;
      action = -action;
    } else {
      if (!IsAsciiDigit(*text)) return false;
      action = 0;
      // libpam's own reading: digits as they come, overflow and all.
      while (IsAsciiDigit(*text)) {
        action = static_cast<int>(static_cast<unsigned>(action) * 10u +
                                  static_cast<unsigned>(*text++ - '0'));
      }
      if (action == 0) return false;
    }
    if (result == kResultCount) {
      SetDefault(actions, action);
    } else {
      actions[result] = action;
    }
  }
}

bool Is(const char* control, const char* word) {
  for (; *word != '\0'; ++control, ++word) {
    if (LowerAscii(*control) != *word) return false;
  }
  return *control == '\0';
}

}  // namespace

bool PamControlFails(const char* control, int code) {
  // libpam counts a result it does not know as a failure.
  if (code < 0 || code >= kResultCount) return true;
  int actions[kResultCount];
  for (int& action : actions) action = kActionUndefined;
  const bool required = Is(control, "required");
  if (required || Is(control, "requisite")) {
    actions[PAM_SUCCESS] = actions[PAM_NEW_AUTHTOK_REQD] = -1;  // ok
    actions[PAM_IGNORE] = 0;
    SetDefault(actions, required ? kActionBad : kActionDie);
  } else if (Is(control, "optional") || Is(control, "sufficient")) {
    return false;
  } else {
    if (!ParsePairs(control, actions)) return true;
    SetDefault(actions, kActionBad);
  }
  return actions[code] == kActionBad || actions[code] == kActionDie;
}
