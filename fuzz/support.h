// What the fuzz targets share: the runtime started once, fatal reports
// turned into an exception the target catches, and a check that every
// input leaves the registries as it found them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "runtime/vorn.h"

namespace vorn_fuzz {

// Thrown in place of the exit of a fatal report.
struct FatalEnd {};

[[noreturn]] inline void throwFatal() { throw FatalEnd{}; }

struct Counts {
  int mat, str, list, comp, poly, rat;
  bool operator==(const Counts& o) const {
    return mat == o.mat && str == o.str && list == o.list && comp == o.comp && poly == o.poly && rat == o.rat;
  }
};

inline Counts live() {
  return {MatLiveCount(), vnStringLiveCount(), ListLiveCount(), CompLiveCount(), PolyLiveCount(), RatLiveCount()};
}

inline Counts& baseline() {
  static Counts counts{};
  return counts;
}

inline void start() {
  VornInitRuntime();
  VornSetFatalHandler(throwFatal);
  baseline() = live();
}

// Every object an input made was a temporary or held by one: releasing the
// temporaries (one walk per nesting level of Lists) must give back the
// counts of the start. Anything left is an object half-defined or lost.
inline void expectBalanced() {
  for (int walk = 0; walk <= kBinfileDepthMax + 1 && !(live() == baseline()); walk++) MatObjectTmpUndefWalk();
  if (!(live() == baseline())) {
    std::fprintf(stderr, "objects left in the registries after an input\n");
    std::abort();
  }
}

}  // namespace vorn_fuzz
