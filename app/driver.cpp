// The experiment driver: 20 experiments, each with a random mother mixture,
// training and test sets drawn from it and an initial model from the pooled
// training data; then the averaged report. The random draws come in a fixed
// order: the printed digits depend on it.
#include "app/driver.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "app/brovane.h"
#include "app/experiments.h"
#include "app/scope.h"
#include "app/training.h"
#include "runtime/core/channel.h"
#include "runtime/core/entry.h"
#include "runtime/core/random.h"
#include "runtime/core/util.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_reduce.h"

namespace {

constexpr int kDim = 4;                  // D, the dimension of a sample
constexpr int kMix = 8;                  // M, components of the mother and of every model
constexpr double kOffset = 0.01;         // keeps the mother's weights and variances off 0
constexpr double kCentre = 0.5;
constexpr double kMeanSpread = 50.0;
constexpr int kModelRows = 2 * kDim + 1;   // rows of a model and of a statistics block

void printLine(const char* text) {
  std::printf("%s\n", text);
  std::fflush(stdout);
}

// "ERROR: <name> <requirement> (<name> = <value>).", then status 1.
[[noreturn]] void reject(const char* name, const char* requirement, int value) {
  FilePrintf(2, "ERROR: %s %s (%s = %d).\n", name, requirement, name, value);
  VornExitFailure();
}

bool fits32(int64_t count) { return count <= INT_MAX; }

// B(n, k) in doubles, or infinity past 2^31: the subset sampler then fails
// on its own overflow check and allocates nothing for it.
double binomial(int n, int k) {
  if (k < 0 || k > n) return 0.0;
  k = std::min(k, n - k);
  double b = 1.0;
  for (int i = 1; i <= k && b <= INT_MAX; i++) b = b * (n - k + i) / i;
  return b <= INT_MAX ? std::round(b) : HUGE_VAL;
}

// The bytes the run holds at its peak, from the sizes of its matrices: a
// matrix being replaced lives next to its successor, so the training set
// and the per-iteration stacks count twice.
double peakBytes(int mode, int niter, int nlot, int lsize, int nsel, int enss) {
  const double N = static_cast<double>(nlot) * lsize;
  const double block = kModelRows * kMix;
  double elements = 3.0 * (niter + 1.0)                  // llresults
                    + 2.0 * kDim * N                       // train
                    + 2.0 * kDim * BROVANE_TEST_SIZE       // test
                    + 2.0 * kDim * lsize                   // one subset
                    + block * (enss + 2.0 * nlot + 2.0 * nsel);
  if (mode == BROVANE_MODE_AG) {
    // The selection table, grown a row at a time, and the random
    // permutation of all B(nlot, nsel) subsets (keys, sorted keys, index,
    // and the copies taken of both) when enss is too close to their number
    // for sampling with repetition.
    elements += 3.0 * enss * nsel;
    const double subsets = binomial(nlot, nsel);
    if (subsets != HUGE_VAL && !(subsets > 999 && std::floor(subsets / 50) >= enss)) elements += 5.0 * subsets;
  }
  return elements * sizeof(double);
}

// The machine's memory; infinite when the system does not say.
double physicalMemory() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGESIZE);
  return pages > 0 && pageSize > 0 ? static_cast<double>(pages) * pageSize : HUGE_VAL;
}

// What the process can be given: physical memory, or less under an
// address-space limit.
double memoryLimit() {
  double limit = physicalMemory();
  struct rlimit as;
  if (getrlimit(RLIMIT_AS, &as) == 0 && as.rlim_cur != RLIM_INFINITY)
    limit = std::min(limit, static_cast<double>(as.rlim_cur));
  return limit;
}

// mother, (2D + 2) x M: weight, mean and variance per dimension, then the
// cumulative weight. 72 uniform draws, component by component.
void drawMother(Matrix* mother) {
  MatAssign(mother, MatZDef2(2 * kDim + 2, kMix));
  double s = 0.0;
  for (int m = 1; m <= kMix; m++) {
    MatSetValue(mother, 1, m, randu() + kOffset);
    s = s + MatGetValue(mother, 1, m);
    for (int d = 1; d <= kDim; d++) {
      MatSetValue(mother, 2 * d, m, (randu() - kCentre) * kMeanSpread);
      MatSetValue(mother, 2 * d + 1, m, randu() + kOffset);
    }
  }
  for (int m = 1; m <= kMix; m++) MatSetValue(mother, 1, m, MatGetValue(mother, 1, m) / s);
  MatSetValue(mother, 2 * kDim + 2, 1, MatGetValue(mother, 1, 1));
  for (int m = 2; m <= kMix; m++)
    MatSetValue(mother, 2 * kDim + 2, m, MatGetValue(mother, 2 * kDim + 2, m - 1) + MatGetValue(mother, 1, m));
}

// data, D x count: one uniform draw picks the component by the cumulative
// weights, four normal draws place the sample.
void drawSamples(Matrix* data, Matrix* mother, int count) {
  MatAssign(data, MatZDef2(kDim, count));
  for (int n = 1; n <= count; n++) {
    const double u = randu();
    int m = 1;
    while (m <= kMix && u > MatGetValue(mother, 2 * kDim + 2, m)) m++;
    if (m > kMix) {
      FilePrintf(2, "ERROR: Assertion error nmix<m %d %d\n", kMix, m);
      VornExitFailure();
    }
    for (int d = 1; d <= kDim; d++) {
      const double z = randn();
      MatSetValue(data, d, n, MatGetValue(mother, 2 * d, m) + std::sqrt(MatGetValue(mother, 2 * d + 1, m)) * z);
    }
  }
}

// The initial model: equal weights, means spread around the pooled mean of
// the training values by up to one pooled standard deviation, and the
// pooled variance everywhere. 32 uniform draws.
void initialModel(Matrix* model, Matrix* train) {
  MatAssign(model, MatZDef2(kModelRows, kMix));
  // Pooled over all values: one mean and one deviation for every entry.
  const double mean = MatMeanElem(train);
  const double sd = MatStdDevElem(train);
  double s = 0.0;
  for (int m = 1; m <= kMix; m++) {
    MatSetValue(model, 1, m, 1.0);
    for (int d = 1; d <= kDim; d++) {
      MatSetValue(model, 2 * d, m, mean + sd * (2 * (randu() - kCentre)));
      MatSetValue(model, 2 * d + 1, m, vornPower(sd, 2.0));
    }
    s = s + MatGetValue(model, 1, m);
  }
  for (int m = 1; m <= kMix; m++) MatSetValue(model, 1, m, MatGetValue(model, 1, m) / s);
}

// The averaged table: every value is the sum over the experiments / 20.
void printReport(int niter) {
  static const char* const header[] = {
      "",
      "--Training and evaluation results--",
      "# 'iter'      is the training iterations.",
      "# 'E-step-LL' is the per frame E-step log likelihood.",
      "#             (The likelihood by the first E-step is shown at 0-th iteration)",
      "# 'train-LL'  is the per frame training set log likelihood by a general model.",
      "#             (The likelihood by an initial model is shown at 0-th iteration)",
      "# 'test-LL'   is the per frame test set log likelihood by a general model.",
      "#             (The likelihood by an initial model is shown at 0-th iteration)",
      "iter    E-step-LL   train-LL   test-LL",
  };
  for (const char* line : header) printLine(line);
  for (int i = 1; i <= niter; i++) {
    std::printf("%-5d %10.3f %10.3f %10.3f\n", i - 1, MatGetValue(llresults, 1, i) / BROVANE_EXPERIMENTS,
                MatGetValue(llresults, 2, i) / BROVANE_EXPERIMENTS, MatGetValue(llresults, 3, i) / BROVANE_EXPERIMENTS);
    std::fflush(stdout);
  }
  std::printf("%-5d    N/A     %10.3f %10.3f\n", niter, MatGetValue(llresults, 2, niter + 1) / BROVANE_EXPERIMENTS,
              MatGetValue(llresults, 3, niter + 1) / BROVANE_EXPERIMENTS);
  std::fflush(stdout);
  printLine("Done");
}

}  // namespace

void ValidateRunConfiguration(int mode, int niter, int nlot, int lsize, int nsel, int enss) {
  if (niter < 0) reject("niter", "must not be negative", niter);
  if (nlot <= 0) reject("nlot", "must be positive", nlot);
  if (lsize <= 0) reject("lsize", "must be positive", lsize);
  if (mode == BROVANE_MODE_CV && nlot < 2) reject("nlot", "must be at least 2 for cv", nlot);
  if (nsel <= 0) reject("nsel", "must be positive", nsel);
  if (enss <= 0) reject("enss", "must be positive", enss);

  // Every matrix the run builds must have a 32-bit element count.
  if (!fits32(int64_t{3} * (int64_t{niter} + 1))) reject("niter", "is too large", niter);
  const int64_t stack = int64_t{kModelRows} * kMix;   // elements per statistics block
  if (!fits32(stack * nlot)) reject("nlot", "is too large", nlot);
  if (!fits32(int64_t{kDim} * nlot * lsize)) {
    FilePrintf(2, "ERROR: nlot x lsize is too large (nlot = %d, lsize = %d).\n", nlot, lsize);
    VornExitFailure();
  }
  if (!fits32(stack * nsel)) reject("nsel", "is too large", nsel);
  if (!fits32(stack * enss)) reject("enss", "is too large", enss);

  const double bytes = peakBytes(mode, niter, nlot, lsize, nsel, enss);
  if (bytes > memoryLimit()) {
    char selection[64] = "";
    if (mode == BROVANE_MODE_AG) std::snprintf(selection, sizeof selection, ", nsel = %d, enss = %d", nsel, enss);
    FilePrintf(2,
               "ERROR: the run needs about %.1f GB of memory, more than this machine can give "
               "(niter = %d, nlot = %d, lsize = %d%s).\n",
               bytes / 1e9, niter, nlot, lsize, selection);
    VornExitFailure();
  }
}

void RunExperiments(int niter, int nlot, int lsize, int nsel, int enss, int mode, int jobs) {
  const ScopeMarkers scope = OpenScope();
  Matrix* mother = DefineLocalMatrix("mother");
  Matrix* train = DefineLocalMatrix("train");
  Matrix* test = DefineLocalMatrix("test");
  Matrix* model = DefineLocalMatrix("model");

  const int N = nlot * lsize;
  MatAssign(llresults, MatZDef2(3, niter + 1));
  MatSetName(llresults, "llresults");

  // Every worker holds a run's matrices of its own.
  const double fitting = std::floor(physicalMemory() / peakBytes(mode, niter, nlot, lsize, nsel, enss));
  if (jobs > fitting) jobs = fitting >= 1 ? static_cast<int>(fitting) : 1;

  RunExperimentSeries(BROVANE_EXPERIMENTS, jobs, [&](int e) {
    srandn(e);
    srandu(e);
    drawMother(mother);
    drawSamples(train, mother, N);
    drawSamples(test, mother, BROVANE_TEST_SIZE);
    initialModel(model, train);
    trainGMM(model, train, test, niter, nlot, nsel, enss, mode);
    MatObjectTmpUndef();
  });

  for (int i = 1; i <= niter; i++) {
    if (mode == BROVANE_MODE_AG) MatSetValue(llresults, 1, i, MatGetValue(llresults, 1, i) / enss);
    MatSetValue(llresults, 1, i, MatGetValue(llresults, 1, i) / N);
  }
  printReport(niter);
  CloseScope(scope);
}
