// The reporting mechanics shared by every kind's ErrorWarning routine: the
// line on standard error, the bell, the optional log, the emptied source
// buffer and the fatal end. Each kind builds its own report body.
#pragma once

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

}  // namespace vorn_report
