#include "runtime/core/report.h"

#include <cstdarg>
#include <cstdio>

#include "runtime/core/entry.h"
#include "runtime/core/terminal.h"
#include "runtime/core/util.h"

namespace vorn_report {

const char* const kLogFile = "Vorn.log";

void appendf(std::string& out, const char* format, ...) {
  char buffer[1024];
  va_list ap;
  va_start(ap, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, ap);
  va_end(ap);
  if (n < 0) return;
  if (static_cast<size_t>(n) < sizeof buffer) {
    out.append(buffer, static_cast<size_t>(n));
    return;
  }
  std::string big(static_cast<size_t>(n) + 1, '\0');
  va_start(ap, format);
  std::vsnprintf(&big[0], big.size(), format, ap);
  va_end(ap);
  big.resize(static_cast<size_t>(n));
  out += big;
}

void emit(const char* tag, const std::string& body, char* source, int isError,
          const char* logFailure, void (*saveOperands)(const void*), const void* context) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s in %s.\n", body.c_str(), tag);
  vorn_bell();
  if (vorn_withlog_flag == 1) {
    if (FILE* log = std::fopen(kLogFile, "a")) {
      print_time(log);
      std::fprintf(log, "%s in %s.\n\n", body.c_str(), tag);
      std::fclose(log);
      if (saveOperands != nullptr) saveOperands(context);
    } else {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
      std::fprintf(stderr, logFailure, kLogFile);  // each kind's own text
#pragma GCC diagnostic pop
    }
  }
  if (source != nullptr) source[0] = '\0';
  if (isError) execerror_recovery();
}

}  // namespace vorn_report
