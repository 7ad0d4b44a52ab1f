// The reporting mechanics shared by every kind's ErrorWarning routine: the
// line on standard error, the bell, the optional log, the emptied source
// buffer and the fatal end. Each kind builds its own report body.
#pragma once

#include <cstdlib>
#include <string>

namespace vorn_report {

constexpr int kSourceSize = 256;   // size of every kind's error-source buffer
extern const char* const kLogFile; // "Vorn.log"

// Appends printf-formatted text to out.
void appendf(std::string& out, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Emits body + " in <tag>.\n" on standard error and rings the bell. When the
// log is on, appends a time stamp, the body and " in <tag>.\n\n" to the log
// and then calls saveOperands (which may be null); if the log does not open,
// prints logFailure on standard error. Empties source. Ends the process with
// status 255 when isError is non-zero.
void emit(const char* tag, const std::string& body, char* source, int isError,
          const char* logFailure, void (*saveOperands)(const void*), const void* context);

// True when the kind's source buffer holds a description.
inline bool hasSource(const char* source) { return source != nullptr && source[0] != '\0'; }

// The ErrorWarning routine of one kind, written once. K gives:
//   static char* source();                      the kind's error-source buffer
//   static void describe(std::string&, bool second, const Record*);
//   static void saveOperand(Record*);           log copy of an operand (may do nothing)
//   kAfterMessage  text that follows the message ("" or " ")
//   kLogFailure    the kind's "Can't open ..." text
template <class K, class Record>
void errorWarning(const char* tag, const char* message, Record* r1, Record* r2, int isError) {
  std::string body;
  if (hasSource(K::source())) {
    appendf(body, "\n%s : %s%s", K::source(), message, K::kAfterMessage);
  } else {
    appendf(body, "\n%s%s", message, K::kAfterMessage);
    if (r1 != nullptr) K::describe(body, false, r1);
    if (r2 != nullptr) K::describe(body, true, r2);
  }
  struct Operands {
    Record* r1;
    Record* r2;
  } ops{r1, r2};
  const auto save = [](const void* context) {
    const Operands* o = static_cast<const Operands*>(context);
    if (o->r1 != nullptr) K::saveOperand(o->r1);
    if (o->r2 != nullptr) K::saveOperand(o->r2);
  };
  emit(tag, body, K::source(), isError, K::kLogFailure, save, &ops);
}

// The fatal form: reports and never returns.
template <class K, class Record>
[[noreturn]] void fatal(const char* tag, const char* message, Record* r1, Record* r2) {
  errorWarning<K>(tag, message, r1, r2, 1);
  std::abort();
}

}  // namespace vorn_report
