// Dense linear algebra against LAPACK on one thread: LU and the solution of
// a system at n = 500, eigenvalues (with and without vectors) and the SVD
// at n = 200, each on the same random matrix. The LAPACK peer is linked
// into this benchmark only; LAPACK overwrites its input, so each of its
// iterations starts with a copy, as the runtime's routines make one.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bench_support.h"

extern "C" {
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
void dgesv_(const int* n, const int* nrhs, double* a, const int* lda, int* ipiv, double* b, const int* ldb,
            int* info);
void dgeev_(const char* jobvl, const char* jobvr, const int* n, double* a, const int* lda, double* wr, double* wi,
            double* vl, const int* ldvl, double* vr, const int* ldvr, double* work, const int* lwork, int* info);
void dgesvd_(const char* jobu, const char* jobvt, const int* m, const int* n, double* a, const int* lda, double* s,
             double* u, const int* ldu, double* vt, const int* ldvt, double* work, const int* lwork, int* info);
#ifdef VORN_BENCH_OPENBLAS
void openblas_set_num_threads(int n);
#endif
}

namespace {

using vorn_bench::randomMatrix;
using vorn_bench::startRuntime;

void oneThread() {
#ifdef VORN_BENCH_OPENBLAS
  openblas_set_num_threads(1);
#endif
}

void BM_MatLU(benchmark::State& state) {
  startRuntime();
  const int n = static_cast<int>(state.range(0));
  Matrix* a = randomMatrix(n, n, 1);
  for (auto _ : state) {
    Matrix *L, *U, *P;
    MatLU(a, &L, &U, &P);
    benchmark::DoNotOptimize(MatReal(U));
    MatTmpUndef();
  }
  MatUndef(a);
}
BENCHMARK(BM_MatLU)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_LapackDgetrf(benchmark::State& state) {
  startRuntime();
  oneThread();
  const int n = static_cast<int>(state.range(0));
  Matrix* a = randomMatrix(n, n, 1);
  std::vector<double> w(static_cast<size_t>(n) * n);
  std::vector<int> ipiv(n);
  int info;
  for (auto _ : state) {
    std::memcpy(w.data(), MatReal(a), w.size() * sizeof(double));
    dgetrf_(&n, &n, w.data(), &n, ipiv.data(), &info);
    benchmark::DoNotOptimize(w.data());
  }
  MatUndef(a);
}
BENCHMARK(BM_LapackDgetrf)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_MatLUSolve(benchmark::State& state) {
  startRuntime();
  const int n = static_cast<int>(state.range(0));
  Matrix* a = randomMatrix(n, n, 1);
  Matrix* b = randomMatrix(n, 1, 2);
  for (auto _ : state) {
    Matrix* x = MatLUSolve(a, b, 0.0);
    benchmark::DoNotOptimize(MatReal(x));
    MatTmpUndef();
  }
  MatUndef(a);
  MatUndef(b);
}
BENCHMARK(BM_MatLUSolve)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_LapackDgesv(benchmark::State& state) {
  startRuntime();
  oneThread();
  const int n = static_cast<int>(state.range(0)), one = 1;
  Matrix* a = randomMatrix(n, n, 1);
  Matrix* b = randomMatrix(n, 1, 2);
  std::vector<double> w(static_cast<size_t>(n) * n), x(n);
  std::vector<int> ipiv(n);
  int info;
  for (auto _ : state) {
    std::memcpy(w.data(), MatReal(a), w.size() * sizeof(double));
    std::memcpy(x.data(), MatReal(b), x.size() * sizeof(double));
    dgesv_(&n, &one, w.data(), &n, ipiv.data(), x.data(), &n, &info);
    benchmark::DoNotOptimize(x.data());
  }
  MatUndef(a);
  MatUndef(b);
}
BENCHMARK(BM_LapackDgesv)->Arg(500)->Unit(benchmark::kMillisecond);

void BM_MatEigVal(benchmark::State& state) {
  startRuntime();
  const int n = static_cast<int>(state.range(0));
  Matrix* a = randomMatrix(n, n, 3);
  for (auto _ : state) {
    Matrix* v = MatEigVal(a);
    benchmark::DoNotOptimize(MatReal(v));
    MatTmpUndef();
  }
  MatUndef(a);
}
BENCHMARK(BM_MatEigVal)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_MatEig(benchmark::State& state) {
  startRuntime();
  const int n = static_cast<int>(state.range(0));
  Matrix* a = randomMatrix(n, n, 3);
  for (auto _ : state) {
    Matrix *val, *vec;
    MatEig(a, &val, &vec);
    benchmark::DoNotOptimize(MatReal(vec));
    MatTmpUndef();
  }
  MatUndef(a);
}
BENCHMARK(BM_MatEig)->Arg(200)->Unit(benchmark::kMillisecond);

// dgeev with jobvr "N" (values) or "V" (right vectors, as MatEig gives).
void lapackEigen(benchmark::State& state, const char* jobvr) {
  startRuntime();
  oneThread();
  const int n = static_cast<int>(state.range(0)), one = 1;
  Matrix* a = randomMatrix(n, n, 3);
  std::vector<double> w(static_cast<size_t>(n) * n), wr(n), wi(n), vr(static_cast<size_t>(n) * n);
  int lwork = -1, info;
  double query;
  dgeev_("N", jobvr, &n, w.data(), &n, wr.data(), wi.data(), nullptr, &one, vr.data(), &n, &query, &lwork, &info);
  lwork = static_cast<int>(query);
  std::vector<double> work(lwork);
  for (auto _ : state) {
    std::memcpy(w.data(), MatReal(a), w.size() * sizeof(double));
    dgeev_("N", jobvr, &n, w.data(), &n, wr.data(), wi.data(), nullptr, &one, vr.data(), &n, work.data(), &lwork,
           &info);
    benchmark::DoNotOptimize(wr.data());
  }
  MatUndef(a);
}
void BM_LapackDgeevValues(benchmark::State& state) { lapackEigen(state, "N"); }
void BM_LapackDgeevVectors(benchmark::State& state) { lapackEigen(state, "V"); }
BENCHMARK(BM_LapackDgeevValues)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LapackDgeevVectors)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_MatSVD(benchmark::State& state) {
  startRuntime();
  const int n = static_cast<int>(state.range(0));
  Matrix* a = randomMatrix(n, n, 4);
  for (auto _ : state) {
    Matrix *s, *U, *V;
    MatSVD(a, &s, &U, &V);
    benchmark::DoNotOptimize(MatReal(V));
    MatTmpUndef();
  }
  MatUndef(a);
}
BENCHMARK(BM_MatSVD)->Arg(200)->Unit(benchmark::kMillisecond);

// dgesvd with both sets of vectors, as MatSVD gives them.
void BM_LapackDgesvd(benchmark::State& state) {
  startRuntime();
  oneThread();
  const int n = static_cast<int>(state.range(0));
  Matrix* a = randomMatrix(n, n, 4);
  std::vector<double> w(static_cast<size_t>(n) * n), s(n), u(w.size()), vt(w.size());
  int lwork = -1, info;
  double query;
  dgesvd_("A", "A", &n, &n, w.data(), &n, s.data(), u.data(), &n, vt.data(), &n, &query, &lwork, &info);
  lwork = static_cast<int>(query);
  std::vector<double> work(lwork);
  for (auto _ : state) {
    std::memcpy(w.data(), MatReal(a), w.size() * sizeof(double));
    dgesvd_("A", "A", &n, &n, w.data(), &n, s.data(), u.data(), &n, vt.data(), &n, work.data(), &lwork, &info);
    benchmark::DoNotOptimize(s.data());
  }
  MatUndef(a);
}
BENCHMARK(BM_LapackDgesvd)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace
