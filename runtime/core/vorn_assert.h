// Internal invariants of the runtime's kernels. VORN_ASSERT(cond) checks
// cond in builds with VORN_CHECKS defined or NDEBUG undefined, and compiles
// to nothing (cond unevaluated) otherwise. A failure names the condition and
// its place on standard error and aborts: it is a fault of the runtime, not
// a misuse to report.
#pragma once

#include <cstdio>
#include <cstdlib>

#if defined(VORN_CHECKS) || !defined(NDEBUG)
#define VORN_ASSERTS_ON 1
#else
#define VORN_ASSERTS_ON 0
#endif

[[noreturn]] inline void vornAssertFail(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: invariant failed: %s\n", file, line, condition);
  std::abort();
}

#if VORN_ASSERTS_ON
#define VORN_ASSERT(cond) ((cond) ? static_cast<void>(0) : vornAssertFail(#cond, __FILE__, __LINE__))
#else
#define VORN_ASSERT(cond) static_cast<void>(sizeof(static_cast<bool>(cond)))
#endif
