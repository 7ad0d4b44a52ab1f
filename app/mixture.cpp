// The mixture statistics: Gaussian density, E-step, M-step and scoring.
// Written the way compiled code calls the runtime: a scope per routine,
// named locals, 1-based element access, temporaries released after every
// statement. Every expression is evaluated in the order written, in double
// precision: the report is compared digit for digit.
#include "app/mixture.h"

#include <cmath>
#include <vector>

#include "app/brovane.h"
#include "app/mixture_kernel.h"
#include "app/scope.h"
#include "runtime/core/channel.h"
#include "runtime/core/entry.h"
#include "runtime/core/util.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_sub.h"
#include "runtime/objects/list.h"

namespace {

using brovane_kernel::kTwoPi;
using brovane_kernel::MixtureKernel;

constexpr double kEmptyCount = 1.0e-20;   // count given to a component nothing reached
constexpr double kWeightFloor = 1.0e-5;
constexpr double kVarianceFloor = 1.0e-5;

bool isBad(double x) { return x < 0.0 || !std::isfinite(x); }

// The joint density of column n of data in component m: the product of the
// densities of its D values, taken in dimension order.
double componentDensity(Matrix* model, int m, Matrix* data, int n, int D) {
  double p = 1.0;
  for (int d = 1; d <= D; d++) {
    p = p * gcprob(MatGetValue(model, 2 * d, m), MatGetValue(model, 2 * d + 1, m), MatGetValue(data, d, n));
    MatObjectTmpUndef();
  }
  return p;
}

// The kernel reads storage directly: a live real model with the rows of
// the layout and live real data with at least one row and one column.
// warnlv > 0 asks for gcprob's own warnings, which only the general path
// gives.
bool kernelFits(Matrix* model, Matrix* data) {
  if (warnlv > 0 || model == nullptr || data == nullptr) return false;
  if (model->parked || data->parked || model->class_ != MAT_REAL || data->class_ != MAT_REAL) return false;
  return data->rows >= 1 && data->cols >= 1 && model->cols >= 1 &&
         static_cast<long>(model->rows) >= 2L * data->rows + 1;
}

// Column n (from 0) of the D x N data into x; true when every value is finite.
bool loadSample(const double* data, int D, int N, int n, double* x) {
  bool finite = true;
  for (int d = 0; d < D; d++) {
    x[d] = data[static_cast<size_t>(d) * N + n];
    finite = finite && std::isfinite(x[d]);
  }
  return finite;
}

}  // namespace

// A routine of doubles only: it makes no object, so its scope is empty and
// it opens no markers.
double gcprob(double mean, double var, double obs) {
  const double k = 1.0 / std::sqrt(var * kTwoPi);
  const double q = -(vornPower(obs - mean, 2.0)) / (var + var);
  const double p = std::exp(q) * k;
  if (warnlv > 0 && isBad(p))
    FilePrintf(2, "WARN: GC prob is out of range. mean=%e var=%e obs=%e\n", mean, var, obs);
  return p;
}

namespace {

// ll + log(total), the sample's term of the E-step's log-likelihood; a
// term or a sum out of range ends the run with the program's own line.
double addSampleLogLikelihood(double ll, double total) {
  const double l = std::log(total);
  if (!std::isfinite(l)) {
    FilePrintf(2, "ERROR: Log likelihood is out of range %e. (likelihood = %e)\n", l, total);
    VornExitFailure();
  }
  ll = ll + l;
  if (!std::isfinite(ll)) {
    FilePrintf(2, "ERROR: Total log likelihood is out of range %e\n", ll);
    VornExitFailure();
  }
  return ll;
}

// getss on storage read directly, for the inputs kernelFits accepts. The
// statistics, the log-likelihood, the messages and the exits are those of
// the general path below, bit for bit.
double fastEStep(Matrix* model, Matrix* data, Matrix* ss, int M, int N, int D) {
  const MixtureKernel kernel(model, D);
  const double* const values = MatReal(data);
  double* const sums = MatReal(ss);
  std::vector<double> x(static_cast<size_t>(D));
  std::vector<double> mixPr(static_cast<size_t>(M));
  double ll = 0.0;

  for (int n = 0; n < N; n++) {
    const bool finite = loadSample(values, D, N, n, x.data());
    bool squaresFinite = finite;
    for (int d = 0; d < D; d++) squaresFinite = squaresFinite && std::isfinite(x[d] * x[d]);

    double total = 0.0;
    for (int m = 0; m < M; m++) {
      const double joint = kernel.joint(m, x.data(), finite) * kernel.weight(m);
      mixPr[m] = joint;
      if (isBad(joint)) {
        FilePrintf(2, "ERROR: Observation and mix %d joint Prob is out of range : %e\n", m + 1, joint);
        VornExitFailure();
      }
      total = total + joint;
    }
    if (total <= 0.0 || !std::isfinite(total)) continue;

    for (int m = 0; m < M; m++) mixPr[m] = mixPr[m] / total;
    for (int m = 0; m < M; m++) {
      const double gamma = mixPr[m];
      // A zero posterior adds +0 or -0 to every sum when the squares are
      // finite, which leaves each sum as it is (a sum that starts at +0
      // never becomes -0; NaN and Inf absorb a zero).
      if (gamma == 0.0 && squaresFinite) continue;
      sums[m] = sums[m] + gamma;
      for (int d = 0; d < D; d++) {
        double* const sum = &sums[static_cast<size_t>(2 * d + 1) * M + m];
        double* const squares = &sums[static_cast<size_t>(2 * d + 2) * M + m];
        *sum = *sum + gamma * x[d];
        *squares = *squares + gamma * (x[d] * x[d]);
      }
    }

    ll = addSampleLogLikelihood(ll, total);
  }
  return ll;
}

// getss through the checked accessors, one sample column and one row of
// joint probabilities at a time in the locals dval and mixPr: every input,
// warnings included.
double generalEStep(Matrix* model, Matrix* data, Matrix* ss, Matrix* mixPr, Matrix* dval, int M, int N, int D) {
  double ll = 0.0;
  for (int n = 1; n <= N; n++) {
    MatAssign(mixPr, MatZDef2(1, M));
    MatAssign(dval, MatCut(data, 1, n, D, n));

    double total = 0.0;
    for (int m = 1; m <= M; m++) {
      const double p = componentDensity(model, m, dval, 1, D);
      MatSetValue(mixPr, 1, m, p * MatGetValue(model, 1, m));
      const double joint = MatGetValue(mixPr, 1, m);
      if (isBad(joint)) {
        FilePrintf(2, "ERROR: Observation and mix %d joint Prob is out of range : %e\n", m, joint);
        VornExitFailure();
      }
      total = total + joint;
    }
    if (total <= 0.0 || !std::isfinite(total)) {
      if (warnlv > 0) FilePrintf(2, "WARN: Observation prob is out of range : %e\n", total);
      continue;
    }

    for (int m = 1; m <= M; m++) {
      double* const posterior = MatGetPtr(mixPr, 1, m);
      *posterior = *posterior / total;
    }
    for (int m = 1; m <= M; m++) {
      const double gamma = MatGetValue(mixPr, 1, m);
      AddToElement(ss, 1, m, gamma);
      for (int d = 1; d <= D; d++) {
        const double x = MatGetValue(dval, d, 1);
        AddToElement(ss, 2 * d, m, gamma * x);
        AddToElement(ss, 2 * d + 1, m, gamma * (x * x));
      }
    }

    ll = addSampleLogLikelihood(ll, total);
  }
  return ll;
}

}  // namespace

List* getss(Matrix* model, Matrix* data) {
  const ScopeMarkers scope = OpenScope();
  Matrix* ss = DefineLocalMatrix("ss");
  Matrix* mixPr = DefineLocalMatrix("mixPr");
  Matrix* dval = DefineLocalMatrix("dval");

  const int M = MatGetCols(model);
  const int N = MatGetCols(data);
  const int D = MatGetRows(data);
  MatAssign(ss, MatZDef2(2 * D + 1, M));
  const double ll = kernelFits(model, data) ? fastEStep(model, data, ss, M, N, D)
                                            : generalEStep(model, data, ss, mixPr, dval, M, N, D);

  List* result = ListElementsDef(2, LIST_MATRIX, ss, LIST_REAL, ll);
  CloseScope(scope);
  return result;
}

Matrix* getmodel(Matrix* bss, int D) {
  const ScopeMarkers scope = OpenScope();
  Matrix* ss = DefineLocalMatrix("ss");
  Matrix* tmpss = DefineLocalMatrix("tmpss");
  Matrix* model = DefineLocalMatrix("model");

  const int M = MatGetCols(bss);
  const int R = 2 * D + 1;
  const int K = MatGetRows(bss) / R;
  MatAssign(ss, MatZDef2(R, M));
  for (int k = 1; k <= K; k++) {
    MatAssign(tmpss, MatCut(bss, (k - 1) * R + 1, 1, k * R, M));
    MatAssign(ss, MatAdd(ss, tmpss));
  }

  double total = 0.0;
  for (int m = 1; m <= M; m++) {
    const double count = MatGetValue(ss, 1, m);
    if (count <= 0.0 || !std::isfinite(count)) {
      if (warnlv > 0) {
        FilePrintf(2, "WARN: mix %d observation count is out of range in model estimation.\n", m);
        FilePrintf(2, "      SS values: count %e, sum %e, sqsum %e\n", count, MatGetValue(ss, 2, m),
                   MatGetValue(ss, 3, m));
      }
      // Only the first dimension's sums are reset; the others are 0 anyway
      // when nothing reached the component.
      MatSetValue(ss, 1, m, kEmptyCount);
      MatSetValue(ss, 2, m, 0.0);
      MatSetValue(ss, 3, m, 0.0);
    }
    total = total + MatGetValue(ss, 1, m);
  }
  if (warnlv > 0 && (total <= 0.0 || !std::isfinite(total)))
    FilePrintf(2, "WARN: total observation count is out of range in model estimation: %e\n", total);

  MatAssign(model, MatZDef2(R, M));
  for (int m = 1; m <= M; m++) {
    MatSetValue(model, 1, m, MatGetValue(ss, 1, m) / total);
    for (int d = 1; d <= D; d++) {
      const double mean = MatGetValue(ss, 2 * d, m) / MatGetValue(ss, 1, m);
      MatSetValue(model, 2 * d, m, mean);
      MatSetValue(model, 2 * d + 1, m, MatGetValue(ss, 2 * d + 1, m) / MatGetValue(ss, 1, m) - mean * mean);
    }
    if (MatGetValue(model, 1, m) < kWeightFloor) MatSetValue(model, 1, m, kWeightFloor);
    for (int d = 1; d <= D; d++)
      if (MatGetValue(model, 2 * d + 1, m) < kVarianceFloor) MatSetValue(model, 2 * d + 1, m, kVarianceFloor);
  }

  CloseScope(scope);
  return model;
}

namespace {

// One sample's share of evalm: its log-probability counts when finite.
void score(double prob, double& ll, int& count) {
  const double l = std::log(prob);
  if (std::isfinite(l)) {
    ll = ll + l;
    count = count + 1;
  } else if (warnlv > 0) {
    FilePrintf(2, "WARN: observation prob is out of range : prob %e ll %e \n", prob, ll);
  }
}

}  // namespace

double evalm(Matrix* model, Matrix* data) {
  const ScopeMarkers scope = OpenScope();
  const int M = MatGetCols(model);
  const int N = MatGetCols(data);
  const int D = MatGetRows(data);
  double ll = 0.0;
  int count = 0;
  if (kernelFits(model, data)) {
    const MixtureKernel kernel(model, D);
    std::vector<double> x(static_cast<size_t>(D));
    for (int n = 0; n < N; n++) {
      const bool finite = loadSample(MatReal(data), D, N, n, x.data());
      double prob = 0.0;
      for (int m = 0; m < M; m++) prob = prob + kernel.weight(m) * kernel.joint(m, x.data(), finite);
      score(prob, ll, count);
    }
  } else {
    for (int n = 1; n <= N; n++) {
      double prob = 0.0;
      for (int m = 1; m <= M; m++) prob = prob + MatGetValue(model, 1, m) * componentDensity(model, m, data, n, D);
      score(prob, ll, count);
    }
  }
  CloseScope(scope);
  return ll / count;
}
