// Start-up shared by the benchmarks.
#pragma once

#include "runtime/vorn.h"

namespace vorn_bench {

// Starts the runtime once per process: the default tolerance and the
// registries of every kind. With openScope the first call also opens a
// routine's scope, as compiled code does before its first statement, so
// that the statement-end walks stop at the markers.
inline void startRuntime(bool openScope = false) {
  static bool started = false;
  if (started) return;
  started = true;
  VornInitRuntime();
  if (openScope) MatObjectControl(1);
}

}  // namespace vorn_bench
