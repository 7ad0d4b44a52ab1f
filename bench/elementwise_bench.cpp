// MatExpElem on 10^6 elements against a plain loop over std::exp: the cost
// of the runtime's dispatch and result allocation over the library calls.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "bench/bench_support.h"

namespace {

constexpr int kElements = 1000000;

using vorn_bench::startRuntime;

void BM_MatExpElem(benchmark::State& state) {
  startRuntime();
  srandu(1);
  Matrix* x = MatSetType(MatUniformRand(1000, kElements / 1000), 1);
  for (auto _ : state) {
    Matrix* y = MatExpElem(x);
    benchmark::DoNotOptimize(MatReal(y));
    MatTmpUndef();
  }
  state.SetItemsProcessed(state.iterations() * kElements);
  MatUndef(x);
}
BENCHMARK(BM_MatExpElem)->Unit(benchmark::kMillisecond);

// The same values into a preallocated vector.
void BM_PlainExpLoop(benchmark::State& state) {
  startRuntime();
  srandu(1);
  std::vector<double> x(kElements), y(kElements);
  for (double& v : x) v = randu();
  for (auto _ : state) {
    for (int k = 0; k < kElements; k++) y[k] = std::exp(x[k]);
    benchmark::DoNotOptimize(y.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_PlainExpLoop)->Unit(benchmark::kMillisecond);

}  // namespace
