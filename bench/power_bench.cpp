// vornPower(x, 2.0), which squares exactly without the library outside a
// narrow band around rounding midpoints, against the library's pow(x, 2.0)
// on the differences obs - mean that the mixture densities square.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "runtime/core/util.h"

namespace {

double (*volatile opaquePow)(double, double) = ::pow;   // as the runtime calls it

const std::vector<double>& differences() {
  static const std::vector<double> values = [] {
    std::mt19937_64 gen(3);
    std::normal_distribution<double> z(0.0, 25.0);
    std::vector<double> v(1 << 16);
    for (double& x : v) x = z(gen);
    return v;
  }();
  return values;
}

void BM_LibraryPow(benchmark::State& state) {
  const std::vector<double>& x = differences();
  double (*const f)(double, double) = opaquePow;
  for (auto _ : state) {
    double s = 0.0;
    for (double v : x) s += f(v, 2.0);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(x.size()));
}
BENCHMARK(BM_LibraryPow);

void BM_VornPowerSquare(benchmark::State& state) {
  const std::vector<double>& x = differences();
  for (auto _ : state) {
    double s = 0.0;
    for (double v : x) s += vornPower(v, 2.0);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(x.size()));
}
BENCHMARK(BM_VornPowerSquare);

// The rest of a density, for scale: exp of the scaled square.
void BM_LibraryExp(benchmark::State& state) {
  const std::vector<double>& x = differences();
  for (auto _ : state) {
    double s = 0.0;
    for (double v : x) s += std::exp(-v * v / 50.0);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(x.size()));
}
BENCHMARK(BM_LibraryExp);

}  // namespace
