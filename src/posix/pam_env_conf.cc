// pam_env's reading of its conffile, step for step: _parse_config_file(),
// _parse_line(), _check_var() and _expand_arg() as Linux-PAM 1.5 has them,
// checked against su sessions on Debian 12 (the tests hold the report to
// that).

#include "posix/pam_env_conf.h"

#include <cstring>

#include "posix/pam_env_file.h"

namespace {

// An option's value: none given, or given (possibly "").
struct Option {
  const char* value;  // nullptr for none
  size_t length;
};

// Reads one line's name and options; false for a line that sets nothing.
bool ParseLine(char* line, Option* name, Option* defaultValue, Option* override) {
  size_t length = std::strcspn(line, " \t\n");
  *name = {line, length};
  char* c = line + length;
  // pam_env's quirk: a quoted value leaves a mark that a later empty,
  // unquoted one takes for "".
  int quotes = 0;
  while ((length = std::strspn(c, " \t")) > 0) {
    c += length;
    Option* option;
    if (std::strncmp(c, "DEFAULT=", 8) == 0) {
      c += 8;
      option = defaultValue;
    } else if (std::strncmp(c, "OVERRIDE=", 9) == 0) {
      c += 9;
      option = override;
    } else {
      return false;
    }
    char* end;
    if (*c != '"') {
      length = std::strcspn(c, " \t\n");
      end = c + length;
    } else {
      end = std::strchr(++c, '"');
      if (end == nullptr) return false;
      length = static_cast<size_t>(end - c);
      if (*++end != '\0' && std::strchr(" \t\n", *end) == nullptr) return false;
      ++quotes;
    }
    if (length > 0) {
      *option = {c, length};
    } else if (quotes > 0) {
      --quotes;
      *option = {"", 0};
    }
    c = end;
  }
  return true;
}

// Expands `option` into `out`, of kPamEnvLineMax bytes; false where pam_env
// gives up.
bool Expand(const Option& option, PamItemLookup item, const VariableStore& store, char* out) {
  size_t used = 0;
  const auto append = [&](const char* text, size_t length) {
    if (used + length >= static_cast<size_t>(kPamEnvLineMax)) return false;
    std::memcpy(out + used, text, length);
    used += length;
    return true;
  };
  const char* c = option.value;
  const char* const end = option.value + option.length;
  while (c < end) {
    if (*c == '\\') {
      ++c;
      if (c < end && std::strchr("$@\\", *c) != nullptr) {
        if (!append(c++, 1)) return false;
      }
      continue;
    }
    if ((*c != '$' && *c != '@') || c + 1 == end || c[1] != '{') {
      if (!append(c++, 1)) return false;
      continue;
    }
    const char type = *c;
    c += 2;
    const char* close = static_cast<const char*>(std::memchr(c, '}', static_cast<size_t>(end - c)));
    if (close == nullptr) return false;
    char name[kPamEnvLineMax];
    const size_t nameLength = static_cast<size_t>(close - c);
    std::memcpy(name, c, nameLength);
    name[nameLength] = '\0';
    c = close + 1;
    const char* value = type == '$' ? VariableValue(store, name, nameLength) : item(name);
    if (value != nullptr && !append(value, std::strlen(value))) return false;
  }
  out[used] = '\0';
  return true;
}

// pam_putenv("NAME=value"), or pam_putenv("NAME") to unset: the name ends at
// its first '=', and an empty one sets nothing.
void PutEnv(VariableStore* store, const char* text, const char* source) {
  const size_t nameLength = std::strcspn(text, "=");
  if (nameLength == 0) return;
  const char* value = text[nameLength] == '=' ? text + nameLength + 1 : "";
  SetVariable(store, text, nameLength, value, std::strlen(value), source);
}

// Applies one line, counting it in `lines` where it names a variable;
// false where pam_env gives up.
bool ApplyLine(char* line, PamItemLookup item, VariableStore* store, const char* source,
               size_t* lines) {
  Option name{};
  Option defaultValue{};
  Option override{};
  if (!ParseLine(line, &name, &defaultValue, &override)) return true;
  ++*lines;
  static_assert(kVariableValueMax < static_cast<size_t>(kPamEnvLineMax), "room for any value");
  char expandedDefault[kPamEnvLineMax];
  char expandedOverride[kPamEnvLineMax];
  if (defaultValue.value != nullptr && !Expand(defaultValue, item, *store, expandedDefault)) {
    return false;
  }
  if (override.value != nullptr && !Expand(override, item, *store, expandedOverride)) {
    return false;
  }
  const char* value = nullptr;
  if (override.value != nullptr && expandedOverride[0] != '\0') {
    value = expandedOverride;
  } else if (defaultValue.value != nullptr) {
    value = expandedDefault;
  }
  // "NAME=value", or "NAME" alone to unset, as pam_env hands it on.
  char text[2 * kPamEnvLineMax];
  std::memcpy(text, name.value, name.length);
  text[name.length] = '\0';
  if (value != nullptr) {
    text[name.length] = '=';
    std::memcpy(text + name.length + 1, value, std::strlen(value) + 1);
  }
  PutEnv(store, text, source);
  return true;
}

}  // namespace

int ReadPamEnvConf(int fd, PamItemLookup item, VariableStore* store, const char* source,
                   size_t* lines) {
  *lines = 0;
  PieceReader file;
  StartPieces(&file, fd);
  char line[kPamEnvLineMax];
  int length;
  while ((length = AssemblePamEnvLine(&file, line, sizeof line)) > 0) {
    if (!ApplyLine(line, item, store, source, lines)) return kPamEnvConfAborted;
  }
  if (file.error != 0) return file.error;
  return length < 0 ? kPamEnvConfAborted : 0;
}
