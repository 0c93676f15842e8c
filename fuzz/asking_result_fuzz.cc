// The reader of the asking child's records on any bytes: it reads no byte
// past them, keeps only notes of known kinds, and what it reads back of its
// own records is what they held.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "posix/asking_result.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact copy, so that a read past the end is one past a heap block.
  char* bytes = static_cast<char*>(std::malloc(size + 1));
  std::memcpy(bytes, data, size);
  AskingResult result = {};
  CaptureNotes notes = {};
  ReadAskingResult(bytes, size, &result, &notes);
  for (size_t i = 0; i < notes.count; ++i) Require(notes.notes[i].kind <= kLastNoteKind);
  ClearLedger(&result.ledger);

  // The input's first bytes as a value, written and read back.
  const size_t length = strnlen(bytes, size);
  bytes[length] = '\0';
  ResultBytes out = {};
  AddStarted(&out, bytes);
  AddValue(&out, size % kLocaleVariableCount, bytes, "origin");
  AddEnd(&out, true, 0);
  AskingResult again = {};
  CaptureNotes none = {};
  ReadAskingResult(out.bytes, out.length, &again, &none);
  Require(again.ended && none.count == 0);
  Require(std::strcmp(again.ledger.values[size % kLocaleVariableCount], bytes) == 0);
  ClearLedger(&again.ledger);
  std::free(out.bytes);
  std::free(bytes);
  return 0;
}
