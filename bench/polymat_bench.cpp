// Polynomial arithmetic where the arithmetic should dominate the registry
// work: the matrix product of two 20 x 20 polynomial matrices of degree 8,
// and the product of two polynomials of degree 1000.
#include <benchmark/benchmark.h>

#include <random>

#include "bench/bench_support.h"

namespace {

Polynomial* randomPolynomial(std::mt19937& rng, int degree) {
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  Polynomial* p = PolyDef("", degree, nullptr);
  for (int k = 0; k <= degree; k++) MatReal(p->coef)[k] = value(rng);
  return p;
}

// A local variable of the routine's scope, so that statement-end walks
// leave it alone.
Matrix* randomPolyMatrix(std::mt19937& rng, int n, int degree) {
  Matrix* m = MatSetType(P_MatDef("", n, n), 1);
  for (int i = 1; i <= n; i++)
    for (int j = 1; j <= n; j++) {
      P_MatSetValue(m, i, j, randomPolynomial(rng, degree));
      MatObjectTmpUndef();
    }
  return m;
}

void BM_PolyMatMul(benchmark::State& state) {
  vorn_bench::startRuntime(true);
  std::mt19937 rng(1);
  const int n = static_cast<int>(state.range(0));
  Matrix* a = randomPolyMatrix(rng, n, 8);
  Matrix* b = randomPolyMatrix(rng, n, 8);
  for (auto _ : state) {
    Matrix* c = MatMul(a, b);
    benchmark::DoNotOptimize(c);
    MatObjectTmpUndef();
  }
  // Multiply-adds of the convolutions: n^3 products of 9 x 9 coefficients.
  state.SetItemsProcessed(state.iterations() * n * n * n * 81);
}
BENCHMARK(BM_PolyMatMul)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_PolyMul(benchmark::State& state) {
  vorn_bench::startRuntime(true);
  std::mt19937 rng(2);
  const int degree = static_cast<int>(state.range(0));
  Polynomial* p = PolySetType(randomPolynomial(rng, degree), 1);
  Polynomial* q = PolySetType(randomPolynomial(rng, degree), 1);
  for (auto _ : state) {
    Polynomial* r = PolyMul(p, q);
    benchmark::DoNotOptimize(r);
    MatObjectTmpUndef();
  }
  state.SetItemsProcessed(state.iterations() * (degree + 1) * (degree + 1));
}
BENCHMARK(BM_PolyMul)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
