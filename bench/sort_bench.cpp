// MatSort with its index on uniform values, at three sizes: the time per
// element should grow like log n.
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

namespace {

using vorn_bench::startRuntime;

// A 1 x n row of uniform values, sorted whole with its index.
void BM_MatSortUniform(benchmark::State& state) {
  startRuntime();
  const int n = static_cast<int>(state.range(0));
  srandu(1);
  Matrix* values = MatSetType(MatUniformRand(1, n), 1);
  Matrix* index = MatSetType(MatDef("", 0, 0), 1);
  for (auto _ : state) {
    Matrix* sorted = MatSort(values, index, 0);
    benchmark::DoNotOptimize(MatReal(sorted));
    MatTmpUndef();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.SetComplexityN(n);
  MatUndef(index);
  MatUndef(values);
}
BENCHMARK(BM_MatSortUniform)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

}  // namespace
