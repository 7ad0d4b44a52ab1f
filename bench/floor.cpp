// The speed floor of brovane: the same experiments (Gaussian mixture EM,
// modes em, cv and ag) with the same arithmetic in the same order, on plain
// arrays instead of runtime objects, printing the same report. For valid
// arguments its standard output equals brovane's byte for byte.
//
//   floor em niter nlot lsize
//   floor cv niter nlot lsize
//   floor ag niter nlot lsize nsel enss
//
// Only the runtime's plain numeric services are used: the random streams
// (randu, randn and their seeding) and vornPower.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

#include "runtime/core/random.h"
#include "runtime/core/util.h"

namespace {

constexpr int kDim = 4;                  // D, the dimension of a sample
constexpr int kMix = 8;                  // M, components of every mixture
constexpr int kRows = 2 * kDim + 1;      // R, rows of a model or a statistics block
constexpr int kBlock = kRows * kMix;     // elements of one model or block
constexpr int kExperiments = 20;
constexpr int kTestSize = 1000;
constexpr int kMotherRows = 2 * kDim + 2;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kEmptyCount = 1.0e-20;
constexpr double kWeightFloor = 1.0e-5;
constexpr double kVarianceFloor = 1.0e-5;
constexpr int kMaxInt = 2147483647;

// A model or statistics block is R x M row-major: row 0 weight (count),
// row 1 + 2d mean (sum), row 2 + 2d variance (square sum), d from 0.
inline int weightAt(int m) { return m; }
inline int meanAt(int d, int m) { return (1 + 2 * d) * kMix + m; }
inline int varAt(int d, int m) { return (2 + 2 * d) * kMix + m; }

// A D x N data set, row-major as the runtime stores it: x(d, n) = v[d*N + n].
struct Data {
  int n = 0;
  std::vector<double> v;
  double at(int d, int col) const { return v[static_cast<size_t>(d) * n + col]; }
};

__attribute__((format(printf, 1, 2))) void say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}

[[noreturn]] __attribute__((format(printf, 1, 2))) void fail(const char* format, ...) {
  std::fflush(stdout);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::exit(1);
}

[[noreturn]] void usage() {
  static const char* const kLines[] = {
      "NAME",
      "  brovane - a sample program of CV-EM and Ag-EM algorithms",
      "",
      "SYNOPSIS",
      "  brovane em niter nlot lsize",
      "  brovane cv niter nlot lsize",
      "  brovane ag niter nlot lsize nsel enss",
      "",
      "DESCRIPTION",
      "  Train and evaluate GMM using parallel-EM (p-EM), Cross-validation EM(CV-EM),",
      "  and Aggregated-EM(Ag-EM) algorithms.",
      "",
      "  Arguments",
      "        (em|cv|ag) : \"em\" for p-EM, \"cv\" for CV-EM, \"ag\" for Ag-EM.",
      "\tniter : Number of EM/CV-EM/Ag-EM iterations.",
      "\tnlot  : Number of training subsets.",
      "\tlsize : Number of training samples per subset.",
      "\t\tTotal training set size = nlot x lsize.",
      "\tnsel  : Number of subset selection to estimate a model.",
      "\t\t(nsel should be around 0.6*nlot for good results)",
      "\tenss  : Ensemble size.",
      "",
      "EXAMPLES",
      "  brovane em 10 20 1",
      "  brovane cv 10 20 1",
      "  brovane ag 10 20 1 12 8",
      "",
      "AUTHOR",
      "  the brovane developers",
      "  no web site: see README.md in the source tree",
      "",
  };
  for (const char* line : kLines) say("%s\n", line);
  std::exit(1);
}

// strtol in base 10 without an end check, clamped to 32 bits.
int readInt(const char* text) {
  errno = 0;
  const long v = std::strtol(text, nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

// ---------------------------------------------------------------------------
// Mixture statistics.

// The one-dimensional Gaussian density.
inline double gcprob(double mean, double var, double obs) {
  const double k = 1.0 / std::sqrt(var * kTwoPi);
  const double q = -vornPower(obs - mean, 2.0) / (var + var);
  return std::exp(q) * k;
}

// E-step over columns first .. first+count-1 of data: the sufficient
// statistics into ss (R x M), the total log-likelihood returned. Samples
// whose total probability is not positive and finite are skipped.
double getss(const double* model, const Data& data, int first, int count, double* ss) {
  std::fill(ss, ss + kBlock, 0.0);
  double ll = 0.0;
  double x[kDim];
  double mixPr[kMix];
  for (int n = first; n < first + count; n++) {
    for (int d = 0; d < kDim; d++) x[d] = data.at(d, n);
    double total = 0.0;
    for (int m = 0; m < kMix; m++) {
      double p = 1.0;
      for (int d = 0; d < kDim; d++) p = p * gcprob(model[meanAt(d, m)], model[varAt(d, m)], x[d]);
      mixPr[m] = p * model[weightAt(m)];
      if (mixPr[m] < 0.0 || !std::isfinite(mixPr[m]))
        fail("ERROR: Observation and mix %d joint Prob is out of range : %e\n", m + 1, mixPr[m]);
      total = total + mixPr[m];
    }
    if (total <= 0.0 || !std::isfinite(total)) continue;
    for (int m = 0; m < kMix; m++) mixPr[m] = mixPr[m] / total;
    for (int m = 0; m < kMix; m++) {
      const double g = mixPr[m];
      ss[weightAt(m)] += g;
      for (int d = 0; d < kDim; d++) {
        ss[meanAt(d, m)] += g * x[d];
        ss[varAt(d, m)] += g * (x[d] * x[d]);
      }
    }
    const double l = std::log(total);
    if (!std::isfinite(l)) fail("ERROR: Log likelihood is out of range %e. (likelihood = %e)\n", l, total);
    ll = ll + l;
    if (!std::isfinite(ll)) fail("ERROR: Total log likelihood is out of range %e\n", ll);
  }
  return ll;
}

// M-step from the sum of the given statistics blocks, in their order, with
// the floors on counts, weights and variances.
void getmodel(const std::vector<const double*>& blocks, double* model) {
  double ss[kBlock] = {};
  for (const double* b : blocks) {
    for (int i = 0; i < kBlock; i++) ss[i] = ss[i] + b[i];
  }
  double total = 0.0;
  for (int m = 0; m < kMix; m++) {
    if (ss[weightAt(m)] <= 0.0 || !std::isfinite(ss[weightAt(m)])) {
      ss[weightAt(m)] = kEmptyCount;
      ss[meanAt(0, m)] = 0.0;
      ss[varAt(0, m)] = 0.0;
    }
    total = total + ss[weightAt(m)];
  }
  std::fill(model, model + kBlock, 0.0);
  for (int m = 0; m < kMix; m++) {
    const double count = ss[weightAt(m)];
    model[weightAt(m)] = count / total;
    for (int d = 0; d < kDim; d++) {
      model[meanAt(d, m)] = ss[meanAt(d, m)] / count;
      model[varAt(d, m)] = ss[varAt(d, m)] / count - model[meanAt(d, m)] * model[meanAt(d, m)];
    }
    if (model[weightAt(m)] < kWeightFloor) model[weightAt(m)] = kWeightFloor;
    for (int d = 0; d < kDim; d++) {
      if (model[varAt(d, m)] < kVarianceFloor) model[varAt(d, m)] = kVarianceFloor;
    }
  }
}

// The average log-likelihood per sample; samples whose logarithm is not
// finite are left out (0/0 when none counts).
double evalm(const double* model, const Data& data) {
  double ll = 0.0;
  int count = 0;
  for (int n = 0; n < data.n; n++) {
    double prob = 0.0;
    for (int m = 0; m < kMix; m++) {
      double p = 1.0;
      for (int d = 0; d < kDim; d++)
        p = p * gcprob(model[meanAt(d, m)], model[varAt(d, m)], data.at(d, n));
      prob = prob + model[weightAt(m)] * p;
    }
    const double l = std::log(prob);
    if (std::isfinite(l)) {
      ll = ll + l;
      count = count + 1;
    }
  }
  return ll / count;
}

// ---------------------------------------------------------------------------
// Random subsets.

bool isdiv(int a, int b) { return b * (a / b) == a; }

// B(n, k) in 32-bit integers: the numerator factors are cancelled against
// the denominator factors by trial division, then multiplied with an
// overflow check.
int combination(int n, int k) {
  const int kk = n - k < k ? n - k : k;
  std::vector<int> num(static_cast<size_t>(std::max(kk, 0)));
  std::vector<int> den(num.size());
  for (int i = 0; i < kk; i++) {
    num[i] = n - i;
    den[i] = kk - i;
  }
  for (int i = 0; i < kk; i++) {
    for (int j = 0; j < kk; j++) {
      const int b = den[j];
      if (b <= 1) continue;
      for (int f = b; f >= 2; f--) {
        if (isdiv(num[i], f) && isdiv(den[j], f)) {
          num[i] /= f;
          den[j] /= f;
        }
      }
    }
  }
  int r = 1;
  for (int i = 0; i < kk; i++) {
    if (kMaxInt / (num[i] + 1) < r) fail("Error: combination C(N,K) overflow N=%d K=%d\n", n, k);
    r = r * num[i];
  }
  return r;
}

// The idx-th (from 1) k-subset of {1 .. n} in lexicographic order.
std::vector<int> idx2cmb(int n, int k, int idx) {
  const int total = combination(n, k);
  if (idx <= 0 || idx > total) fail("idx is out of range idx %d [%d %d]\n", idx, 1, total);
  std::vector<int> cmb(static_cast<size_t>(k));
  int start = 1;
  for (int i = 1; i <= k; i++) {
    int acc = 0;
    int t = start;
    for (; t <= n - k + i; t++) {
      const int cnt = combination(n - t, k - i);
      start = t + 1;
      if (idx <= acc + cnt) break;
      acc = acc + cnt;
    }
    cmb[i - 1] = t;
    idx = idx - acc;
  }
  return cmb;
}

// n integers from 1 .. m: independent ceilings of m*u when m is large
// against n, otherwise the first n of a random permutation (the positions
// of m uniform keys in stable ascending order).
std::vector<double> SampIntsAWOrep(int m, int n) {
  if (m < n) fail("ERROR SampIntsAWOrep: input is out of range m=%d n=%d.\n", m, n);
  std::vector<double> out(static_cast<size_t>(n));
  if (m > 999 && m / 50 >= n) {
    for (double& v : out) v = std::ceil(randu() * m);
    return out;
  }
  std::vector<double> key(static_cast<size_t>(m));
  for (double& u : key) u = randu();
  std::vector<int> idx(key.size());
  std::iota(idx.begin(), idx.end(), 0);
  std::stable_sort(idx.begin(), idx.end(), [&](int a, int b) { return key[a] < key[b]; });
  for (int i = 0; i < n; i++) out[i] = idx[i] + 1;
  return out;
}

// count random distinct (on the exact path) k-subsets of {1 .. n}, one per row.
std::vector<std::vector<int>> mCnk(int n, int k, int count) {
  const std::vector<double> samples = SampIntsAWOrep(combination(n, k), count);
  std::vector<std::vector<int>> rows;
  for (double s : samples) rows.push_back(idx2cmb(n, k, static_cast<int>(std::lround(s))));
  return rows;
}

// ---------------------------------------------------------------------------
// Training.

struct Config {
  int mode = 0;   // 0 em, 1 cv, 2 ag
  int niter = 0, nlot = 0, lsize = 0, nsel = 0, enss = 0;
};

// llresults, 3 x (niter + 1): row 0 E-step, row 1 train, row 2 test.
struct Results {
  int cols = 0;
  std::vector<double> v;
  double& at(int row, int col) { return v[static_cast<size_t>(row) * cols + col]; }
};

void trainGMM(const double* model0, const Data& train, const Data& test, const Config& c, Results& llr) {
  const int lsize = train.n / c.nlot;
  std::vector<double> model(model0, model0 + kBlock);
  llr.at(1, 0) += evalm(model.data(), train);
  llr.at(2, 0) += evalm(model.data(), test);

  std::vector<double> bmodel(static_cast<size_t>(c.enss) * kBlock);
  for (int e = 0; e < c.enss; e++) std::copy(model0, model0 + kBlock, bmodel.begin() + e * kBlock);
  std::vector<double> bss(static_cast<size_t>(c.nlot) * kBlock);
  double ssret[kBlock];
  std::vector<const double*> blocks;

  for (int it = 0; it < c.niter; it++) {
    std::fill(bss.begin(), bss.end(), 0.0);
    for (int l = 0; l < c.nlot; l++) {
      double* block = &bss[static_cast<size_t>(l) * kBlock];
      if (c.mode == 0) {
        llr.at(0, it) += getss(model.data(), train, l * lsize, lsize, block);
      } else if (c.mode == 1) {
        llr.at(0, it) += getss(&bmodel[static_cast<size_t>(l) * kBlock], train, l * lsize, lsize, block);
      } else {
        for (int e = 0; e < c.enss; e++) {
          const double ll = getss(&bmodel[static_cast<size_t>(e) * kBlock], train, l * lsize, lsize, ssret);
          for (int i = 0; i < kBlock; i++) block[i] = block[i] + ssret[i];
          llr.at(0, it) += ll;
        }
        const double scale = 1.0 / c.enss;
        for (int i = 0; i < kBlock; i++) block[i] = block[i] * scale;
      }
    }
    if (c.mode == 1) {
      for (int e = 0; e < c.enss; e++) {
        blocks.clear();
        for (int l = 0; l < c.nlot; l++) {
          if (l != e) blocks.push_back(&bss[static_cast<size_t>(l) * kBlock]);
        }
        getmodel(blocks, &bmodel[static_cast<size_t>(e) * kBlock]);
      }
    } else if (c.mode == 2) {
      const std::vector<std::vector<int>> table = mCnk(c.nlot, c.nsel, c.enss);
      for (int e = 0; e < c.enss; e++) {
        blocks.clear();
        for (int s : table[e]) blocks.push_back(&bss[static_cast<size_t>(s - 1) * kBlock]);
        getmodel(blocks, &bmodel[static_cast<size_t>(e) * kBlock]);
      }
    }
    blocks.clear();
    for (int l = 0; l < c.nlot; l++) blocks.push_back(&bss[static_cast<size_t>(l) * kBlock]);
    getmodel(blocks, model.data());

    llr.at(1, it + 1) += evalm(model.data(), train);
    llr.at(2, it + 1) += evalm(model.data(), test);
  }
}

// ---------------------------------------------------------------------------
// Experiments.

// One sample of the mother mixture into column col: a uniform draw picks
// the component by the cumulative weights (row 9), four normal draws.
void drawSample(const double* mother, Data& data, int col) {
  const double u = randu();
  int m = 0;
  while (m < kMix && !(u <= mother[9 * kMix + m])) m++;
  if (m == kMix) fail("ERROR: Assertion error nmix<m %d %d\n", kMix, kMix + 1);
  for (int d = 0; d < kDim; d++) {
    const double z = randn();
    data.v[static_cast<size_t>(d) * data.n + col] =
        mother[(1 + 2 * d) * kMix + m] + std::sqrt(mother[(2 + 2 * d) * kMix + m]) * z;
  }
}

// Mean of all elements in storage order, accumulated in long double.
double meanElem(const std::vector<double>& v) {
  if (v.empty()) return 0.0;
  long double s = 0.0L;
  for (double x : v) s += x;
  return static_cast<double>(s / static_cast<long double>(v.size()));
}

// Standard deviation with divisor count - 1: the mean rounded to double,
// each squared deviation in double, their sum in long double.
double stdDevElem(const std::vector<double>& v) {
  if (v.empty()) return 0.0;
  const double mean = meanElem(v);
  long double s = 0.0L;
  for (double x : v) s += (x - mean) * (x - mean);
  return static_cast<double>(sqrtl(s / static_cast<long double>(v.size() - 1)));
}

void runExperiment(int e, const Config& c, int trainSize, Results& llr) {
  srandn(e);
  srandu(e);

  double mother[kMotherRows * kMix] = {};
  double s = 0.0;
  for (int m = 0; m < kMix; m++) {
    mother[m] = randu() + 0.01;
    s = s + mother[m];
    for (int d = 0; d < kDim; d++) {
      mother[(1 + 2 * d) * kMix + m] = (randu() - 0.5) * 50.0;
      mother[(2 + 2 * d) * kMix + m] = randu() + 0.01;
    }
  }
  for (int m = 0; m < kMix; m++) mother[m] = mother[m] / s;
  mother[9 * kMix] = mother[0];
  for (int m = 1; m < kMix; m++) mother[9 * kMix + m] = mother[9 * kMix + m - 1] + mother[m];

  Data train;
  train.n = trainSize;
  train.v.assign(static_cast<size_t>(kDim) * trainSize, 0.0);
  for (int n = 0; n < trainSize; n++) drawSample(mother, train, n);
  Data test;
  test.n = kTestSize;
  test.v.assign(static_cast<size_t>(kDim) * kTestSize, 0.0);
  for (int n = 0; n < kTestSize; n++) drawSample(mother, test, n);

  double model[kBlock] = {};
  s = 0.0;
  for (int m = 0; m < kMix; m++) {
    model[weightAt(m)] = 1.0;
    for (int d = 0; d < kDim; d++) {
      model[meanAt(d, m)] = meanElem(train.v) + stdDevElem(train.v) * (2.0 * (randu() - 0.5));
      model[varAt(d, m)] = vornPower(stdDevElem(train.v), 2.0);
    }
    s = s + model[weightAt(m)];
  }
  for (int m = 0; m < kMix; m++) model[weightAt(m)] = model[weightAt(m)] / s;

  trainGMM(model, train, test, c, llr);
}

}  // namespace

int main(int argc, char** argv) {
  say("brovane ver.1.0\n");
  say("Copyright (C) the brovane developers. See README.md.\n");
  say("\n");
  if (argc < 2) usage();

  Config c;
  const char* title = nullptr;
  if (std::strcmp(argv[1], "em") == 0) {
    if (argc != 5) usage();
    c.mode = 0;
    title = "Parallel-EM training";
  } else if (std::strcmp(argv[1], "cv") == 0) {
    if (argc != 5) usage();
    c.mode = 1;
    title = "CV-EM training";
  } else if (std::strcmp(argv[1], "ag") == 0) {
    if (argc != 7) usage();
    c.mode = 2;
    title = "Ag-EM training";
  } else {
    usage();
  }
  say("%s\n", title);

  c.niter = readInt(argv[2]);
  c.nlot = readInt(argv[3]);
  c.lsize = readInt(argv[4]);
  if (c.mode == 0) {
    c.nsel = c.nlot;
    c.enss = c.nlot;
  } else if (c.mode == 1) {
    c.nsel = c.nlot - 1;
    c.enss = c.nlot;
  } else {
    c.nsel = readInt(argv[5]);
    c.enss = readInt(argv[6]);
    if (c.nlot < c.nsel) fail("ERROR: nlot (%d) must not be smaller than nsel (%d).\n", c.nlot, c.nsel);
  }
  // The product wraps as 32-bit arithmetic does.
  const int trainSize = static_cast<int>(static_cast<uint32_t>(c.nlot) * static_cast<uint32_t>(c.lsize));
  say("train set size = %d (subset size = %d, num of subsets = %d)\n", trainSize, c.lsize, c.nlot);
  say("test set size = %d\n", kTestSize);
  if (c.mode == 2) say("num subset selection = %d, ensemble size = %d\n", c.nsel, c.enss);
  say("num experiments = %d (Averaged results are output)\n", kExperiments);

  // The runtime would fail on these in its own ways; the floor only runs
  // well-formed experiments.
  if (c.niter < 0 || c.nlot <= 0 || c.lsize < 0 || c.enss <= 0 || (c.mode == 2 && c.nsel <= 0))
    fail("floor: niter >= 0, nlot > 0, lsize >= 0 and enss > 0 (nsel > 0 for ag) are required\n");

  Results llr;
  llr.cols = c.niter + 1;
  llr.v.assign(static_cast<size_t>(3) * llr.cols, 0.0);
  for (int e = 1; e <= kExperiments; e++) runExperiment(e, c, trainSize, llr);

  for (int i = 0; i < c.niter; i++) {
    if (c.mode == 2) llr.at(0, i) = llr.at(0, i) / c.enss;
    llr.at(0, i) = llr.at(0, i) / trainSize;
  }

  say("\n");
  say("--Training and evaluation results--\n");
  say("# 'iter'      is the training iterations.\n");
  say("# 'E-step-LL' is the per frame E-step log likelihood.\n");
  say("#             (The likelihood by the first E-step is shown at 0-th iteration)\n");
  say("# 'train-LL'  is the per frame training set log likelihood by a general model.\n");
  say("#             (The likelihood by an initial model is shown at 0-th iteration)\n");
  say("# 'test-LL'   is the per frame test set log likelihood by a general model.\n");
  say("#             (The likelihood by an initial model is shown at 0-th iteration)\n");
  say("iter    E-step-LL   train-LL   test-LL\n");
  for (int i = 0; i < c.niter; i++)
    say("%-5d %10.3f %10.3f %10.3f\n", i, llr.at(0, i) / 20, llr.at(1, i) / 20, llr.at(2, i) / 20);
  say("%-5d    N/A     %10.3f %10.3f\n", c.niter, llr.at(1, c.niter) / 20, llr.at(2, c.niter) / 20);
  say("Done\n");
  return 0;
}
