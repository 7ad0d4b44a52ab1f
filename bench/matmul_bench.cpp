// The real matrix product of two 1000x1000 matrices in GFLOP/s (2 n^3
// flops per product), beside the same product through an optimised BLAS
// on one thread when one was found at configure time.
#include <benchmark/benchmark.h>

#include "bench/bench_support.h"

#ifdef VORN_BENCH_OPENBLAS
#include <cblas.h>
#endif

namespace {

using vorn_bench::randomMatrix;
using vorn_bench::startRuntime;

void reportFlops(benchmark::State& state, int n) {
  const double flops = 2.0 * n * static_cast<double>(n) * n;
  state.counters["GFLOP/s"] =
      benchmark::Counter(flops * 1e-9, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_MatMul(benchmark::State& state) {
  startRuntime();
  const int n = static_cast<int>(state.range(0));
  Matrix* a = randomMatrix(n, n, 1);
  Matrix* b = randomMatrix(n, n, 2);
  for (auto _ : state) {
    Matrix* c = MatMul(a, b);
    benchmark::DoNotOptimize(MatReal(c));
    MatTmpUndef();
  }
  reportFlops(state, n);
  MatUndef(a);
  MatUndef(b);
}
BENCHMARK(BM_MatMul)->Arg(1000)->Unit(benchmark::kMillisecond);

#ifdef VORN_BENCH_OPENBLAS
void BM_OpenBlasDgemm(benchmark::State& state) {
  startRuntime();
  openblas_set_num_threads(1);
  const int n = static_cast<int>(state.range(0));
  Matrix* a = randomMatrix(n, n, 1);
  Matrix* b = randomMatrix(n, n, 2);
  Matrix* c = MatSetType(MatDef("", n, n), 1);
  for (auto _ : state) {
    cblas_dgemm(CblasRowMajor, CblasNoTrans, CblasNoTrans, n, n, n, 1.0, MatReal(a), n,
                MatReal(b), n, 0.0, MatReal(c), n);
    benchmark::DoNotOptimize(MatReal(c));
  }
  reportFlops(state, n);
  MatUndef(a);
  MatUndef(b);
  MatUndef(c);
}
BENCHMARK(BM_OpenBlasDgemm)->Arg(1000)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
