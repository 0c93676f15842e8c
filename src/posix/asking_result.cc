#include "posix/asking_result.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "posix/locale_notes.h"
#include "posix/text.h"

namespace {

const uint8_t kNoVariable = 0xFF;

// A record: its tag, its length, then its parts, each a text with its
// NUL where `text`, else `size` bytes.
struct Part {
  const void* bytes;
  size_t size;
};

Part Text(const char* text) {
  return {text != nullptr ? text : "", std::strlen(text != nullptr ? text : "") + 1};
}

void Add(ResultBytes* out, char tag, std::initializer_list<Part> parts) {
  size_t length = 0;
  for (const Part& part : parts) length += part.size;
  if (out->lost || length > UINT32_MAX) return;
  if (out->length + 5 + length > out->room) {
    size_t room = out->room == 0 ? 4096 : out->room;
    while (room < out->length + 5 + length) room *= 2;
    void* grown = std::realloc(out->bytes, room);
    if (grown == nullptr) {
      out->lost = true;
      return;
    }
    out->bytes = static_cast<char*>(grown);
    out->room = room;
  }
  char* at = out->bytes + out->length;
  *at++ = tag;
  const uint32_t size = static_cast<uint32_t>(length);
  std::memcpy(at, &size, sizeof size);
  at += sizeof size;
  for (const Part& part : parts) {
    std::memcpy(at, part.bytes, part.size);
    at += part.size;
  }
  out->length += 5 + length;
}

// The next text of a record's payload, or nullptr where it has no NUL.
const char* TakeText(const char** at, const char* end) {
  const char* text = *at;
  const void* nul = std::memchr(text, '\0', static_cast<size_t>(end - text));
  if (nul == nullptr) return nullptr;
  *at = static_cast<const char*>(nul) + 1;
  return text;
}

bool ReadNote(const char* at, const char* end, CaptureNotes* notes) {
  if (end - at < 6) return false;
  const uint8_t kind = static_cast<uint8_t>(at[0]);
  const uint8_t variable = static_cast<uint8_t>(at[1]);
  int32_t error;
  std::memcpy(&error, at + 2, sizeof error);
  at += 6;
  const char* source = TakeText(&at, end);
  const char* value = source != nullptr ? TakeText(&at, end) : nullptr;
  const char* other = value != nullptr ? TakeText(&at, end) : nullptr;
  if (other == nullptr || at != end || kind > kLastNoteKind ||
      (variable != kNoVariable && variable >= kLocaleVariableCount)) {
    return false;
  }
  AddNote(notes, static_cast<CaptureNoteKind>(kind), source,
          variable != kNoVariable ? kLocaleVariables[variable].name : nullptr, value, error, other);
  return true;
}

}  // namespace

void AddUserLocale(ResultBytes* out, const UserLocale& user) {
  Add(out, 'U', {Text(user.time), Text(user.messages), Text(user.codeset)});
}

void AddStarted(ResultBytes* out, const char* source) { Add(out, 'S', {Text(source)}); }

void AddNoteRecord(ResultBytes* out, const CaptureNote& note) {
  uint8_t head[2] = {static_cast<uint8_t>(note.kind), kNoVariable};
  for (size_t i = 0; i < kLocaleVariableCount; ++i) {
    if (note.variable == kLocaleVariables[i].name) head[1] = static_cast<uint8_t>(i);
  }
  const int32_t error = note.error;
  Add(out, 'N',
      {{head, sizeof head},
       {&error, sizeof error},
       Text(note.source),
       Text(note.value),
       Text(note.other)});
}

void AddValue(ResultBytes* out, size_t variable, const char* value, const char* origin) {
  const uint8_t index = static_cast<uint8_t>(variable);
  Add(out, 'V', {{&index, 1}, Text(value), Text(origin)});
}

void AddEnd(ResultBytes* out, bool loadable, size_t notesDropped) {
  const char flag = loadable ? '1' : '0';
  const uint32_t dropped = static_cast<uint32_t>(notesDropped);
  Add(out, 'E', {{&flag, 1}, {&dropped, sizeof dropped}});
}

void ReadAskingResult(const char* bytes, size_t size, AskingResult* result, CaptureNotes* notes) {
  result->ended = result->userKnown = false;
  result->loadable = true;
  result->started[0] = '\0';
  const char* const end = bytes + size;
  for (const char* at = bytes; !result->ended && end - at >= 5;) {
    uint32_t length;
    std::memcpy(&length, at + 1, sizeof length);
    const char tag = at[0];
    const char* payload = at + 5;
    if (length > static_cast<size_t>(end - payload)) return;
    const char* const payloadEnd = payload + length;
    at = payloadEnd;
    if (tag == 'U') {
      const char* time = TakeText(&payload, payloadEnd);
      const char* messages = time != nullptr ? TakeText(&payload, payloadEnd) : nullptr;
      const char* codeset = messages != nullptr ? TakeText(&payload, payloadEnd) : nullptr;
      if (codeset == nullptr || payload != payloadEnd) return;
      CopyText(result->user.time, time, sizeof result->user.time);
      CopyText(result->user.messages, messages, sizeof result->user.messages);
      CopyText(result->user.codeset, codeset, sizeof result->user.codeset);
      result->userKnown = true;
    } else if (tag == 'S') {
      const char* source = TakeText(&payload, payloadEnd);
      if (source == nullptr) return;
      CopyText(result->started, source, sizeof result->started);
    } else if (tag == 'N') {
      if (!ReadNote(payload, payloadEnd, notes)) return;
    } else if (tag == 'V') {
      if (length < 1 || static_cast<uint8_t>(payload[0]) >= kLocaleVariableCount) return;
      const size_t variable = static_cast<uint8_t>(*payload++);
      const char* value = TakeText(&payload, payloadEnd);
      const char* origin = value != nullptr ? TakeText(&payload, payloadEnd) : nullptr;
      if (origin == nullptr || payload != payloadEnd) return;
      RecordValue(&result->ledger, variable, value, origin[0] != '\0' ? origin : nullptr);
    } else if (tag == 'E' && length == 5 && (payload[0] == '0' || payload[0] == '1')) {
      uint32_t dropped;
      std::memcpy(&dropped, payload + 1, sizeof dropped);
      result->loadable = payload[0] == '1';
      notes->dropped += dropped;
      result->ended = true;
    } else {
      return;
    }
  }
}
