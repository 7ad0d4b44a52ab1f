// The cost of one define-and-release cycle of a small recycled object: the
// pattern compiled code repeats for nearly every operation it evaluates.
#include <benchmark/benchmark.h>

#include <cmath>

#include "runtime/vorn.h"

namespace {

// Starts the runtime and opens a routine's scope, as compiled code does
// before its first statement: the statement-end walk stops at the markers.
void startRuntime() {
  static bool started = false;
  if (started) return;
  started = true;
  vorn_eps = std::pow(2.0, -52.0);
  VornInitRegistries();
  MatObjectControl(1);
}

// A 1x8 real temporary, released by the statement-end walk.
void BM_MatrixTmpCycle(benchmark::State& state) {
  startRuntime();
  for (auto _ : state) {
    Matrix* m = MatDef("", 1, 8);
    benchmark::DoNotOptimize(m);
    MatTmpUndef();
  }
}
BENCHMARK(BM_MatrixTmpCycle);

// The same matrix released directly.
void BM_MatrixUndefCycle(benchmark::State& state) {
  startRuntime();
  for (auto _ : state) {
    Matrix* m = MatDef("", 1, 8);
    benchmark::DoNotOptimize(m);
    MatUndef(m);
  }
}
BENCHMARK(BM_MatrixUndefCycle);

void BM_StringCycle(benchmark::State& state) {
  startRuntime();
  for (auto _ : state) {
    String* s = vnStringStringDef("brovane");
    benchmark::DoNotOptimize(s);
    vnStringTmpUndef();
  }
}
BENCHMARK(BM_StringCycle);

void BM_ListCycle(benchmark::State& state) {
  startRuntime();
  for (auto _ : state) {
    List* l = ListDef("", 4);
    benchmark::DoNotOptimize(l);
    ListTmpUndef();
  }
}
BENCHMARK(BM_ListCycle);

}  // namespace
