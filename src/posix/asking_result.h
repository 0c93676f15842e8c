#ifndef LOCALE_REPORT_POSIX_ASKING_RESULT_H_
#define LOCALE_REPORT_POSIX_ASKING_RESULT_H_

#include <cstddef>

#include "capture.h"
#include "posix/session/ledger.h"
#include "posix/user_locale.h"

// What the child that asks the system writes back, record by record as it
// goes: the user's locale, the source it starts (so that one that never
// ends can be named), its notes, the session's variables and their origins,
// and, last, whether they load and how many notes found no room. Each
// record is a tag byte, a 4-byte length and that many bytes.
struct ResultBytes {
  char* bytes;  // malloc'd
  size_t length;
  size_t room;
  bool lost;  // a record did not fit in memory: the rest are not added
};

void AddUserLocale(ResultBytes* out, const UserLocale& user);
void AddStarted(ResultBytes* out, const char* source);
void AddNoteRecord(ResultBytes* out, const CaptureNote& note);
void AddValue(ResultBytes* out, size_t variable, const char* value, const char* origin);
void AddEnd(ResultBytes* out, bool loadable, size_t notesDropped);

// What the records said.
struct AskingResult {
  UserLocale user;
  bool userKnown;        // its record came
  SessionLedger ledger;  // comes empty
  bool ended;            // the end record came: the child finished
  bool loadable;
  char started[kNoteTextMax + 1];  // the last source started, "" for none
};

// Reads `size` bytes of records into `result`, the notes into `notes`. A
// record that is cut short or not of the form its tag has ends the reading
// and leaves the result not ended.
void ReadAskingResult(const char* bytes, size_t size, AskingResult* result, CaptureNotes* notes);

#endif  // LOCALE_REPORT_POSIX_ASKING_RESULT_H_
