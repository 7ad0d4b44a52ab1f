// The cost of one define-and-release cycle of a small recycled object: the
// pattern compiled code repeats for nearly every operation it evaluates.
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

namespace {

// Each benchmark runs inside a routine's scope, as compiled code does.
void startRuntime() { vorn_bench::startRuntime(true); }

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
