// MatFFT of one row of 2^10, 2^16 and 2^20 points, real and complex, and
// FFTW's transforms of the same data planned in its estimate mode (the
// plan is made once, outside the timing). FFTW is optional and linked into
// this benchmark only. MatFFT's figure includes its result matrix and the
// complete spectrum; FFTW's real transform gives only half of it.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_support.h"

#ifdef VORN_BENCH_FFTW
#include <fftw3.h>
#endif

namespace {

using vorn_bench::startRuntime;

void sizes(benchmark::internal::Benchmark* b) {
  for (int log2n : {10, 16, 20}) b->Arg(1 << log2n);
}

// Times MatFFT of the live row x of n points, then releases x.
void timeMatFFT(benchmark::State& state, Matrix* x, int n) {
  for (auto _ : state) {
    Matrix* y = MatFFT(x, n, 0);
    benchmark::DoNotOptimize(MatReal(y));
    MatTmpUndef();
  }
  state.SetItemsProcessed(state.iterations() * n);
  MatUndef(x);
}

void BM_MatFFT_Real(benchmark::State& state) {
  startRuntime();
  const int n = static_cast<int>(state.range(0));
  srandu(1);
  Matrix* x = MatSetType(MatUniformRand(1, n), 1);
  timeMatFFT(state, x, n);
}
BENCHMARK(BM_MatFFT_Real)->Apply(sizes)->Unit(benchmark::kMicrosecond);

void BM_MatFFT_Complex(benchmark::State& state) {
  startRuntime();
  const int n = static_cast<int>(state.range(0));
  srandu(1);
  Matrix* x = MatSetType(MatRealToComp(MatUniformRand(1, n)), 1);
  for (int k = 0; k < n; k++) MatReal(x)[2 * k + 1] = randu();
  timeMatFFT(state, x, n);
  MatTmpUndef();
}
BENCHMARK(BM_MatFFT_Complex)->Apply(sizes)->Unit(benchmark::kMicrosecond);

#ifdef VORN_BENCH_FFTW
// Times the planned transform of n points, then releases the plan and its
// arrays.
template <class In>
void timePlan(benchmark::State& state, fftw_plan plan, In* in, fftw_complex* out, int n) {
  for (auto _ : state) {
    fftw_execute(plan);
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations() * n);
  fftw_destroy_plan(plan);
  fftw_free(in);
  fftw_free(out);
}

void BM_Fftw_Real(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  double* in = fftw_alloc_real(n);
  fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
  fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
  srandu(1);
  for (int k = 0; k < n; k++) in[k] = randu();
  timePlan(state, plan, in, out, n);
}
BENCHMARK(BM_Fftw_Real)->Apply(sizes)->Unit(benchmark::kMicrosecond);

void BM_Fftw_Complex(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  fftw_complex* in = fftw_alloc_complex(n);
  fftw_complex* out = fftw_alloc_complex(n);
  fftw_plan plan = fftw_plan_dft_1d(n, in, out, FFTW_FORWARD, FFTW_ESTIMATE);
  srandu(1);
  for (int k = 0; k < n; k++) {
    in[k][0] = randu();
    in[k][1] = randu();
  }
  timePlan(state, plan, in, out, n);
}
BENCHMARK(BM_Fftw_Complex)->Apply(sizes)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace
