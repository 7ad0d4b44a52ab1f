#include "runtime/linalg/svd.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "runtime/core/entry.h"
#include "runtime/linalg/linalg_internal.h"

using namespace vorn_linalg;

namespace vorn_linalg {

int iterationUnit = 30;

double pythag(double a, double b) {
  const double p = std::max(std::fabs(a), std::fabs(b));
  if (p == 0.0) return 0.0;
  double r = std::min(std::fabs(a), std::fabs(b)) / p;
  r = r * r;
  double q = p;
  for (;;) {
    const double t = 4.0 + r;
    if (t == 4.0) break;
    const double s = r / t;
    const double u = 1.0 + 2.0 * s;
    q = u * q;
    r = (s / u) * (s / u) * r;
  }
  return q;
}

}  // namespace vorn_linalg

namespace {

// Column-major m x n array, indexed from 0 like the published routines'
// (i, j) shifted down by one.
template <class T>
struct ColMajor {
  int m = 0, n = 0;
  std::vector<T> a;
  ColMajor(int rows, int cols) : m(rows), n(cols), a(static_cast<size_t>(rows) * cols, T(0)) {}
  T& operator()(int i, int j) { return a[static_cast<size_t>(j) * m + i]; }
  T* col(int j) { return a.data() + static_cast<size_t>(j) * m; }
};

inline double dsign(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

// EISPACK svd (Golub and Reinsch, Numer. Math. 14 (1970) 403-420; Handbook
// for Automatic Computation II, contribution I/10): the singular values w
// (n) of the m x n matrix a with m >= n, its left vectors u (m x n) and
// right vectors v (n x n). Indices count from 0 here, from 1 in the
// routine. The budget is iterationUnit * n QR sweeps in all; returns 0, or
// the order (from 1) of the value that did not converge.
int svd(int m, int n, ColMajor<double>& u, std::vector<double>& w, ColMajor<double>& v) {
  std::vector<double> rv1(n);
  int ierr = 0;
  double g = 0.0, scale = 0.0, x = 0.0, s, f, h;
  int l = 0;
  // Householder reduction to bidiagonal form.
  for (int i = 0; i < n; i++) {
    l = i + 1;
    rv1[i] = scale * g;
    g = s = scale = 0.0;
    if (i < m) {
      double* ui = u.col(i);
      for (int k = i; k < m; k++) scale += std::fabs(ui[k]);
      if (scale != 0.0) {
        for (int k = i; k < m; k++) {
          ui[k] /= scale;
          s += ui[k] * ui[k];
        }
        f = ui[i];
        g = -dsign(std::sqrt(s), f);
        h = f * g - s;
        ui[i] = f - g;
        for (int j = l; j < n; j++) {
          double* uj = u.col(j);
          s = 0.0;
          for (int k = i; k < m; k++) s += ui[k] * uj[k];
          f = s / h;
          for (int k = i; k < m; k++) uj[k] += f * ui[k];
        }
        for (int k = i; k < m; k++) ui[k] *= scale;
      }
    }
    w[i] = scale * g;
    g = s = scale = 0.0;
    if (i < m && i != n - 1) {
      for (int k = l; k < n; k++) scale += std::fabs(u(i, k));
      if (scale != 0.0) {
        for (int k = l; k < n; k++) {
          u(i, k) /= scale;
          s += u(i, k) * u(i, k);
        }
        f = u(i, l);
        g = -dsign(std::sqrt(s), f);
        h = f * g - s;
        u(i, l) = f - g;
        for (int k = l; k < n; k++) rv1[k] = u(i, k) / h;
        if (i != m - 1) {
          for (int j = l; j < m; j++) {
            s = 0.0;
            for (int k = l; k < n; k++) s += u(j, k) * u(i, k);
            for (int k = l; k < n; k++) u(j, k) += s * rv1[k];
          }
        }
        for (int k = l; k < n; k++) u(i, k) *= scale;
      }
    }
    x = std::max(x, std::fabs(w[i]) + std::fabs(rv1[i]));
  }
  // Accumulation of right-hand transformations.
  for (int i = n - 1; i >= 0; i--) {
    if (i != n - 1) {
      if (g != 0.0) {
        // Double division avoids possible underflow.
        for (int j = l; j < n; j++) v(j, i) = (u(i, j) / u(i, l)) / g;
        for (int j = l; j < n; j++) {
          s = 0.0;
          for (int k = l; k < n; k++) s += u(i, k) * v(k, j);
          for (int k = l; k < n; k++) v(k, j) += s * v(k, i);
        }
      }
      for (int j = l; j < n; j++) {
        v(i, j) = 0.0;
        v(j, i) = 0.0;
      }
    }
    v(i, i) = 1.0;
    g = rv1[i];
    l = i;
  }
  // Accumulation of left-hand transformations.
  const int mn = std::min(m, n);
  for (int i = mn - 1; i >= 0; i--) {
    l = i + 1;
    g = w[i];
    if (i != n - 1)
      for (int j = l; j < n; j++) u(i, j) = 0.0;
    double* ui = u.col(i);
    if (g != 0.0) {
      if (i != mn - 1) {
        for (int j = l; j < n; j++) {
          double* uj = u.col(j);
          s = 0.0;
          for (int k = l; k < m; k++) s += ui[k] * uj[k];
          f = (s / ui[i]) / g;
          for (int k = i; k < m; k++) uj[k] += f * ui[k];
        }
      }
      for (int j = i; j < m; j++) ui[j] /= g;
    } else {
      for (int j = i; j < m; j++) ui[j] = 0.0;
    }
    ui[i] += 1.0;
  }
  // Diagonalization of the bidiagonal form.
  const double tst1 = x;
  const long budget = static_cast<long>(iterationUnit) * n;
  long its = 0;
  for (int k = n - 1; k >= 0; k--) {
    for (;;) {
      // Test for splitting; rv1[0] is always zero, so the loop ends.
      int l1 = 0;
      bool cancel = true;
      for (l = k; l >= 0; l--) {
        l1 = l - 1;
        if (tst1 + std::fabs(rv1[l]) == tst1) {
          cancel = false;
          break;
        }
        if (tst1 + std::fabs(w[l1]) == tst1) break;
      }
      if (cancel) {
        // Cancellation of rv1[l], l > 0.
        double c = 0.0;
        s = 1.0;
        for (int i = l; i <= k; i++) {
          f = s * rv1[i];
          rv1[i] = c * rv1[i];
          if (tst1 + std::fabs(f) == tst1) break;
          g = w[i];
          h = pythag(f, g);
          w[i] = h;
          c = g / h;
          s = -f / h;
          double* ul1 = u.col(l1);
          double* ui = u.col(i);
          for (int j = 0; j < m; j++) {
            const double y = ul1[j], z = ui[j];
            ul1[j] = y * c + z * s;
            ui[j] = -y * s + z * c;
          }
        }
      }
      // Test for convergence.
      double z = w[k];
      if (l == k) {
        if (z < 0.0) {
          w[k] = -z;
          double* vk = v.col(k);
          for (int j = 0; j < n; j++) vk[j] = -vk[j];
        }
        break;
      }
      if (its == budget) {
        ierr = k + 1;
        return ierr;
      }
      its++;
      // Shift from the bottom 2 x 2 minor.
      const int k1 = k - 1;
      x = w[l];
      double y = w[k1];
      g = rv1[k1];
      h = rv1[k];
      f = 0.5 * (((g + z) / h) * ((g - z) / y) + y / h - h / g);
      g = pythag(f, 1.0);
      f = x - (z / x) * z + (h / x) * (y / (f + dsign(g, f)) - h);
      // Next QR transformation.
      double c = 1.0;
      s = 1.0;
      for (int i1 = l; i1 <= k1; i1++) {
        const int i = i1 + 1;
        g = rv1[i];
        y = w[i];
        h = s * g;
        g = c * g;
        z = pythag(f, h);
        rv1[i1] = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = -x * s + g * c;
        h = y * s;
        y = y * c;
        double* vi1 = v.col(i1);
        double* vi = v.col(i);
        for (int j = 0; j < n; j++) {
          const double xv = vi1[j], zv = vi[j];
          vi1[j] = xv * c + zv * s;
          vi[j] = -xv * s + zv * c;
        }
        z = pythag(f, h);
        w[i1] = z;
        // The rotation can be arbitrary when z is zero.
        if (z != 0.0) {
          c = f / z;
          s = h / z;
        }
        f = c * g + s * y;
        x = -s * g + c * y;
        double* ui1 = u.col(i1);
        double* ui = u.col(i);
        for (int j = 0; j < m; j++) {
          const double yu = ui1[j], zu = ui[j];
          ui1[j] = yu * c + zu * s;
          ui[j] = -yu * s + zu * c;
        }
      }
      rv1[l] = 0.0;
      rv1[k] = f;
      w[k] = x;
    }
  }
  return ierr;
}

// ---------------------------------------------------------------------------
// LINPACK zsvdc and the level-1 BLAS helpers it calls (Dongarra, Bunch,
// Moler and Stewart, LINPACK Users' Guide, SIAM 1979, chapter 11), on
// column-major arrays; vectors are (pointer, length) with unit stride.

[[noreturn]] void zeroDivision() {
  MatError("C_Mat_SVD()", "Zero division was found", nullptr);
}

inline cplx cdiv(const cplx& a, const cplx& b) {
  if (b.real() == 0.0 && b.imag() == 0.0) zeroDivision();
  return a / b;
}

inline double cabs1(const cplx& z) { return std::fabs(z.real()) + std::fabs(z.imag()); }
inline cplx csign(const cplx& z1, const cplx& z2) { return std::abs(z1) * (z2 / std::abs(z2)); }

double dznrm2(int n, const cplx* x) {
  double scale = 0.0, ssq = 1.0;
  for (int i = 0; i < n; i++) {
    for (double p : {x[i].real(), x[i].imag()}) addToNorm(p, scale, ssq);
  }
  return scale * std::sqrt(ssq);
}

cplx zdotc(int n, const cplx* x, const cplx* y) {
  double re = 0.0, im = 0.0;
  for (int i = 0; i < n; i++) {
    re += x[i].real() * y[i].real() + x[i].imag() * y[i].imag();
    im += x[i].real() * y[i].imag() - x[i].imag() * y[i].real();
  }
  return cplx(re, im);
}

void zaxpy(int n, const cplx& a, const cplx* x, cplx* y) {
  if (cabs1(a) == 0.0) return;
  const double ar = a.real(), ai = a.imag();
  for (int i = 0; i < n; i++)
    y[i] += cplx(ar * x[i].real() - ai * x[i].imag(), ar * x[i].imag() + ai * x[i].real());
}

void zscal(int n, const cplx& a, cplx* x) {
  const double ar = a.real(), ai = a.imag();
  for (int i = 0; i < n; i++)
    x[i] = cplx(ar * x[i].real() - ai * x[i].imag(), ar * x[i].imag() + ai * x[i].real());
}

void zswap(int n, cplx* x, cplx* y) { std::swap_ranges(x, x + n, y); }

void zdrot(int n, cplx* x, cplx* y, double c, double s) {
  for (int i = 0; i < n; i++) {
    const cplx t = c * x[i] + s * y[i];
    y[i] = c * y[i] - s * x[i];
    x[i] = t;
  }
}

void drotg(double& a, double& b, double& c, double& s) {
  const double roe = std::fabs(a) > std::fabs(b) ? a : b;
  const double scale = std::fabs(a) + std::fabs(b);
  double r, z;
  if (scale == 0.0) {
    c = 1.0;
    s = 0.0;
    r = 0.0;
    z = 0.0;
  } else {
    r = scale * std::sqrt((a / scale) * (a / scale) + (b / scale) * (b / scale));
    r = dsign(1.0, roe) * r;
    c = a / r;
    s = b / r;
    z = 1.0;
    if (std::fabs(a) > std::fabs(b)) z = s;
    if (std::fabs(b) >= std::fabs(a) && c != 0.0) z = 1.0 / c;
  }
  a = r;
  b = z;
}

// zsvdc with job 11: x (n x p) is destroyed; s receives min(n + 1, p)
// values (the first min(n, p) are the singular values, descending), u the
// n x n left vectors, v the p x p right vectors. maxit sweeps per value;
// returns 0 or the index (from 1) of the first value not found.
int zsvdc(ColMajor<cplx>& x, int n, int p, std::vector<cplx>& s, ColMajor<cplx>& u,
          ColMajor<cplx>& v) {
  const int maxit = iterationUnit;
  std::vector<cplx> e(p + 1), work(n + 1);
  s.assign(std::min(n + 1, p) + 1, cplx(0));
  const int ncu = n;
  int info = 0;
  // Reduce x to bidiagonal form: diagonal in s, superdiagonal in e.
  const int nct = std::min(n - 1, p);
  const int nrt = std::max(0, std::min(p - 2, n));
  const int lu = std::max(nct, nrt);
  for (int l = 0; l < lu; l++) {   // l is the routine's l - 1
    const int lp1 = l + 1;
    if (l < nct) {
      s[l] = cplx(dznrm2(n - l, &x(l, l)));
      if (cabs1(s[l]) != 0.0) {
        if (cabs1(x(l, l)) != 0.0) s[l] = csign(s[l], x(l, l));
        zscal(n - l, cdiv(1.0, s[l]), &x(l, l));
        x(l, l) = 1.0 + x(l, l);
      }
      s[l] = -s[l];
    }
    for (int j = lp1; j < p; j++) {
      if (l < nct && cabs1(s[l]) != 0.0) {
        const cplx t = -cdiv(zdotc(n - l, &x(l, l), &x(l, j)), x(l, l));
        zaxpy(n - l, t, &x(l, l), &x(l, j));
      }
      e[j] = std::conj(x(l, j));
    }
    if (l < nct)
      for (int i = l; i < n; i++) u(i, l) = x(i, l);
    if (l < nrt) {
      e[l] = cplx(dznrm2(p - l - 1, &e[lp1]));
      if (cabs1(e[l]) != 0.0) {
        if (cabs1(e[lp1]) != 0.0) e[l] = csign(e[l], e[lp1]);
        zscal(p - l - 1, cdiv(1.0, e[l]), &e[lp1]);
        e[lp1] = 1.0 + e[lp1];
      }
      e[l] = -std::conj(e[l]);
      if (lp1 < n && cabs1(e[l]) != 0.0) {
        for (int i = lp1; i < n; i++) work[i] = 0.0;
        for (int j = lp1; j < p; j++) zaxpy(n - l - 1, e[j], &x(lp1, j), &work[lp1]);
        for (int j = lp1; j < p; j++)
          zaxpy(n - l - 1, std::conj(cdiv(-e[j], e[lp1])), &work[lp1], &x(lp1, j));
      }
      for (int i = lp1; i < p; i++) v(i, l) = e[i];
    }
  }
  // The final bidiagonal matrix, of order m.
  int m = std::min(p, n + 1);
  const int nctp1 = nct + 1, nrtp1 = nrt + 1;   // as in the routine, from 1
  if (nct < p) s[nctp1 - 1] = x(nctp1 - 1, nctp1 - 1);
  if (n < m) s[m - 1] = 0.0;
  if (nrtp1 < m) e[nrtp1 - 1] = x(nrtp1 - 1, m - 1);
  e[m - 1] = 0.0;
  // Generate u.
  for (int j = nctp1 - 1; j < ncu; j++) {
    for (int i = 0; i < n; i++) u(i, j) = 0.0;
    u(j, j) = 1.0;
  }
  for (int l = nct - 1; l >= 0; l--) {
    if (cabs1(s[l]) != 0.0) {
      for (int j = l + 1; j < ncu; j++) {
        const cplx t = -cdiv(zdotc(n - l, &u(l, l), &u(l, j)), u(l, l));
        zaxpy(n - l, t, &u(l, l), &u(l, j));
      }
      zscal(n - l, -1.0, &u(l, l));
      u(l, l) = 1.0 + u(l, l);
      for (int i = 0; i < l; i++) u(i, l) = 0.0;
    } else {
      for (int i = 0; i < n; i++) u(i, l) = 0.0;
      u(l, l) = 1.0;
    }
  }
  // Generate v.
  for (int l = p - 1; l >= 0; l--) {
    const int lp1 = l + 1;
    if (l < nrt && cabs1(e[l]) != 0.0) {
      for (int j = lp1; j < p; j++) {
        const cplx t = -cdiv(zdotc(p - l - 1, &v(lp1, l), &v(lp1, j)), v(lp1, l));
        zaxpy(p - l - 1, t, &v(lp1, l), &v(lp1, j));
      }
    }
    for (int i = 0; i < p; i++) v(i, l) = 0.0;
    v(l, l) = 1.0;
  }
  // Make s and e real.
  for (int i = 0; i < m; i++) {
    if (cabs1(s[i]) != 0.0) {
      const cplx t(std::abs(s[i]), 0.0);
      const cplx r = cdiv(s[i], t);
      s[i] = t;
      if (i < m - 1) e[i] = cdiv(e[i], r);
      zscal(n, r, u.col(i));
    }
    if (i == m - 1) break;
    if (cabs1(e[i]) != 0.0) {
      const cplx t(std::abs(e[i]), 0.0);
      const cplx r = cdiv(t, e[i]);
      e[i] = t;
      s[i + 1] = s[i + 1] * r;
      zscal(p, r, v.col(i + 1));
    }
  }
  // Main iteration, in real arithmetic on the real bidiagonal. Here the
  // routine's indices l and m stay counted from 1; S, E, U and V shift.
  std::vector<double> sr(m + 2, 0.0), er(m + 2, 0.0);
  for (int i = 1; i <= m; i++) {
    sr[i] = s[i - 1].real();
    er[i] = e[i - 1].real();
  }
  auto ucol = [&](int k) { return u.col(k - 1); };
  auto vcol = [&](int k) { return v.col(k - 1); };
  const int mm = m;
  int iter = 0;
  while (m != 0) {
    if (iter >= maxit) {
      info = m;
      break;
    }
    // Negligible elements: kase 1 deflates s(m), 2 splits at s(l), 3 takes
    // a QR step, 4 has converged.
    int l, kase;
    for (l = m - 1; l >= 1; l--) {
      const double test = std::fabs(sr[l]) + std::fabs(sr[l + 1]);
      if (test + std::fabs(er[l]) == test) {
        er[l] = 0.0;
        break;
      }
    }
    if (l == m - 1) {
      kase = 4;
    } else {
      int ls;
      for (ls = m; ls > l; ls--) {
        double test = 0.0;
        if (ls != m) test += std::fabs(er[ls]);
        if (ls != l + 1) test += std::fabs(er[ls - 1]);
        if (test + std::fabs(sr[ls]) == test) {
          sr[ls] = 0.0;
          break;
        }
      }
      if (ls == l) {
        kase = 3;
      } else if (ls == m) {
        kase = 1;
      } else {
        kase = 2;
        l = ls;
      }
    }
    l = l + 1;
    double cs, sn, f, g, t1;
    switch (kase) {
      case 1: {   // deflate negligible s(m)
        f = er[m - 1];
        er[m - 1] = 0.0;
        for (int k = m - 1; k >= l; k--) {
          t1 = sr[k];
          drotg(t1, f, cs, sn);
          sr[k] = t1;
          if (k != l) {
            f = -sn * er[k - 1];
            er[k - 1] = cs * er[k - 1];
          }
          zdrot(p, vcol(k), vcol(m), cs, sn);
        }
        break;
      }
      case 2: {   // split at negligible s(l)
        f = er[l - 1];
        er[l - 1] = 0.0;
        for (int k = l; k <= m; k++) {
          t1 = sr[k];
          drotg(t1, f, cs, sn);
          sr[k] = t1;
          f = -sn * er[k];
          er[k] = cs * er[k];
          zdrot(n, ucol(k), ucol(l - 1), cs, sn);
        }
        break;
      }
      case 3: {   // one QR step
        const double scale = std::max({std::fabs(sr[m]), std::fabs(sr[m - 1]), std::fabs(er[m - 1]),
                                       std::fabs(sr[l]), std::fabs(er[l])});
        const double sm = sr[m] / scale, smm1 = sr[m - 1] / scale, emm1 = er[m - 1] / scale;
        const double sl = sr[l] / scale, el = er[l] / scale;
        const double b = ((smm1 + sm) * (smm1 - sm) + emm1 * emm1) / 2.0;
        const double c = (sm * emm1) * (sm * emm1);
        double shift = 0.0;
        if (b != 0.0 || c != 0.0) {
          shift = std::sqrt(b * b + c);
          if (b < 0.0) shift = -shift;
          shift = c / (b + shift);
        }
        f = (sl + sm) * (sl - sm) + shift;
        g = sl * el;
        for (int k = l; k <= m - 1; k++) {
          drotg(f, g, cs, sn);
          if (k != l) er[k - 1] = f;
          f = cs * sr[k] + sn * er[k];
          er[k] = cs * er[k] - sn * sr[k];
          g = sn * sr[k + 1];
          sr[k + 1] = cs * sr[k + 1];
          zdrot(p, vcol(k), vcol(k + 1), cs, sn);
          drotg(f, g, cs, sn);
          sr[k] = f;
          f = cs * er[k] + sn * sr[k + 1];
          sr[k + 1] = -sn * er[k] + cs * sr[k + 1];
          g = sn * er[k + 1];
          er[k + 1] = cs * er[k + 1];
          if (k < n) zdrot(n, ucol(k), ucol(k + 1), cs, sn);
        }
        er[m - 1] = f;
        iter++;
        break;
      }
      default: {   // convergence: make s(l) positive, then order it
        if (sr[l] < 0.0) {
          sr[l] = -sr[l];
          zscal(p, -1.0, vcol(l));
        }
        while (l != mm && sr[l] < sr[l + 1]) {
          std::swap(sr[l], sr[l + 1]);
          if (l < p) zswap(p, vcol(l), vcol(l + 1));
          if (l < n) zswap(n, ucol(l), ucol(l + 1));
          l++;
        }
        iter = 0;
        m--;
        break;
      }
    }
  }
  for (int i = 1; i <= mm; i++) s[i - 1] = cplx(sr[i], 0.0);
  return info;
}

// Descending order by complete bubble passes, the columns of u and v
// following their values.
template <class T>
void orderDescending(std::vector<double>& w, int count, ColMajor<T>& u, ColMajor<T>& v) {
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (int k = 0; k + 1 < count; k++) {
      if (w[k] < w[k + 1]) {
        std::swap(w[k], w[k + 1]);
        std::swap_ranges(u.col(k), u.col(k) + u.m, u.col(k + 1));
        std::swap_ranges(v.col(k), v.col(k) + v.m, v.col(k + 1));
        swapped = true;
      }
    }
  }
}

// u (m x n, orthonormal columns) extended to a square unitary m x m.
template <class T>
ColMajor<T> completeBasis(ColMajor<T>& u) {
  const int m = u.m, n = u.n;
  ColMajor<T> full(m, m);
  std::copy(u.a.begin(), u.a.end(), full.a.begin());
  if (n == m) return full;
  Work<T> w(m, n), q;
  for (int i = 0; i < m; i++)
    for (int j = 0; j < n; j++) w(i, j) = u(i, j);
  std::vector<int> perm(std::max(n, 1));
  householderQR(w, q, perm.data(), false);
  for (int j = n; j < m; j++)
    for (int i = 0; i < m; i++) full(i, j) = q(i, j);
  return full;
}

// A into x, or its conjugate transpose when wide (fewer rows than
// columns), so that the routines see at least as many rows as columns.
template <class T>
void loadOriented(const Matrix* A, bool wide, ColMajor<T>& x) {
  const T* a = elemsOf<T>(A);
  for (int i = 0; i < A->rows; i++)
    for (int j = 0; j < A->cols; j++) {
      const T z = a[static_cast<size_t>(i) * A->cols + j];
      if (wide)
        x(j, i) = conjOf(z);
      else
        x(i, j) = z;
    }
}

template <class T>
void storeColMajor(Matrix* M, ColMajor<T>& c, int rows, int cols) {
  T* d = elemsOf<T>(M);
  for (int i = 0; i < rows; i++)
    for (int j = 0; j < cols; j++) d[static_cast<size_t>(i) * cols + j] = c(i, j);
}

}  // namespace

int Mat_SVD(Matrix* A, Matrix* sOut, Matrix* U, Matrix* V) {
  // Decomposed in its tall orientation: A, or A' when A is wide.
  const bool wide = A->rows < A->cols;
  const int m = wide ? A->cols : A->rows, n = wide ? A->rows : A->cols;
  ColMajor<double> u(m, n), v(n, n);
  loadOriented(A, wide, u);
  std::vector<double> w(n);
  const int ierr = svd(m, n, u, w, v);
  orderDescending(w, n, u, v);
  ColMajor<double> full = completeBasis(u);
  for (int k = 0; k < n; k++) MatReal(sOut)[k] = w[k];
  storeColMajor(wide ? V : U, full, m, m);
  storeColMajor(wide ? U : V, v, n, n);
  if (ierr != 0) {
    MatWarning("Mat_SVD()", "Not converge; Solution may be inaccurate.", A);
    return 1;
  }
  return 0;
}

int C_Mat_SVD(Matrix* A, Matrix* sOut, Matrix* U, Matrix* V) {
  // zsvdc on A, or on A' (conjugated) when A has fewer rows than columns.
  const bool wide = A->rows < A->cols;
  const int n = wide ? A->cols : A->rows, p = wide ? A->rows : A->cols;
  ColMajor<cplx> x(n, p), u(n, n), v(p, p);
  loadOriented(A, wide, x);
  std::vector<cplx> s;
  const int info = zsvdc(x, n, p, s, u, v);
  for (int k = 0; k < p; k++) MatReal(sOut)[k] = s[k].real();
  storeColMajor(wide ? V : U, u, n, n);
  storeColMajor(wide ? U : V, v, p, p);
  if (info != 0) {
    MatWarning("C_Mat_SVD()", "Solution will not converge", A);
    return 1;
  }
  return 0;
}

namespace {

// s, U and V of a real or complex A, the zero-imaginary case in real
// arithmetic with complex U and V.
int svdOf(Matrix* A, Matrix** s, Matrix** U, Matrix** V) {
  const int m = A->rows, n = A->cols;
  *s = MatNonNameDef(std::min(m, n), 1);
  if (A->class_ == MAT_COMPLEX && !hasZeroImaginary(A)) {
    *U = C_MatNonNameDef(m, m);
    *V = C_MatNonNameDef(n, n);
    return C_Mat_SVD(A, *s, *U, *V);
  }
  Matrix* a = realOperand(A);
  *U = MatNonNameDef(m, m);
  *V = MatNonNameDef(n, n);
  const int status = Mat_SVD(a, *s, *U, *V);
  if (a != A) {
    MatUndef(a);
    *U = complexFromReal(*U);
    *V = complexFromReal(*V);
  }
  return status;
}

// What f makes of the SVD of A; s, U and V are then released in that order.
template <class F>
auto onSvd(Matrix* A, F f) {
  Matrix *s, *U, *V;
  svdOf(A, &s, &U, &V);
  auto result = f(s, U, V);
  MatUndef(s);
  MatUndef(U);
  MatUndef(V);
  return result;
}

// One factor of the SVD of A (0: s, 1: U, 2: V); the other two are released
// in that order.
Matrix* svdFactor(Matrix* A, int keep) {
  Matrix* factor[3];
  svdOf(A, &factor[0], &factor[1], &factor[2]);
  for (int k = 0; k < 3; k++)
    if (k != keep) MatUndef(factor[k]);
  return factor[keep];
}

// The singular values alone, as a new vector of doubles.
std::vector<double> singularValues(Matrix* A) {
  return onSvd(A, [](Matrix* s, Matrix*, Matrix*) { return std::vector<double>(MatReal(s), MatReal(s) + s->rows); });
}

int countAbove(const std::vector<double>& s, double tol) {
  int r = 0;
  while (r < static_cast<int>(s.size()) && s[r] > tol) r++;
  return r;
}

template <class T>
void pseudoInverse(Matrix* X, Matrix* A, Matrix* s, Matrix* U, Matrix* V, double tol) {
  const int m = A->rows, n = A->cols;
  if (tol < 0.0) tol = frobeniusNorm(A) * vorn_eps;
  std::vector<double> sv(MatReal(s), MatReal(s) + s->rows);
  const int r = countAbove(sv, tol);
  const T* u = elemsOf<T>(U);
  const T* v = elemsOf<T>(V);
  T* x = elemsOf<T>(X);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < m; j++) {
      T sum(0);
      for (int k = 0; k < r; k++)
        sum += v[static_cast<size_t>(i) * n + k] * (1.0 / sv[k]) * conjOf(u[static_cast<size_t>(j) * m + k]);
      x[static_cast<size_t>(i) * m + j] = sum;
    }
}

}  // namespace

int MatSVD(Matrix* A, Matrix** s, Matrix** U, Matrix** V) {
  checkOperand(A, "svd", "MatSVD()");
  return svdOf(A, s, U, V);
}

Matrix* MatSingVal(Matrix* A) {
  checkOperand(A, "singval", "MatSingVal()");
  return svdFactor(A, 0);
}

Matrix* MatSingLeftVec(Matrix* A) {
  checkOperand(A, "singleftvec", "MatSingLeftVec()");
  return svdFactor(A, 1);
}

Matrix* MatSingRightVec(Matrix* A) {
  checkOperand(A, "singrightvec", "MatSingRightVec()");
  return svdFactor(A, 2);
}

namespace {

// The blocks placed corner to corner in a new matrix of their joint class.
Matrix* blockDiagonal(std::initializer_list<Matrix*> blocks) {
  int rows = 0, cols = 0;
  bool complex = false;
  for (Matrix* b : blocks) {
    rows += b->rows;
    cols += b->cols;
    complex = complex || b->class_ == MAT_COMPLEX;
  }
  Matrix* m = complex ? C_MatZDef2(rows, cols) : MatZDef2(rows, cols);
  int r0 = 0, c0 = 0;
  for (Matrix* b : blocks) {
    for (int i = 0; i < b->rows; i++)
      for (int j = 0; j < b->cols; j++) {
        const size_t at = static_cast<size_t>(r0 + i) * cols + c0 + j;
        const size_t from = static_cast<size_t>(i) * b->cols + j;
        if (complex)
          elemsOf<cplx>(m)[at] = b->class_ == MAT_COMPLEX ? elemsOf<cplx>(b)[from] : cplx(MatReal(b)[from]);
        else
          MatReal(m)[at] = MatReal(b)[from];
      }
    r0 += b->rows;
    c0 += b->cols;
  }
  return m;
}

}  // namespace

Matrix* MatSingVec(Matrix* A) {
  checkOperand(A, "singvec", "MatSingVec()");
  return onSvd(A, [](Matrix*, Matrix* U, Matrix* V) { return blockDiagonal({U, V}); });
}

Matrix* MatSingValVec(Matrix* A) {
  checkOperand(A, "singvec", "MatSingValVec()");
  Matrix *s, *U, *V;
  svdOf(A, &s, &U, &V);
  Matrix* S = MatZDef2(A->rows, A->cols);
  for (int k = 0; k < s->rows; k++) MatReal(S)[static_cast<size_t>(k) * A->cols + k] = MatReal(s)[k];
  Matrix* m = blockDiagonal({U, S, V});
  MatUndef(s);
  MatUndef(S);
  MatUndef(U);
  MatUndef(V);
  return m;
}

double MatMinSingVal(Matrix* A) {
  checkOperand(A, "minsing", "MatMinSingVal()");
  return singularValues(A).back();
}

int MatRank(Matrix* A, double tol) {
  if (A->class_ != MAT_REAL && A->class_ != MAT_COMPLEX) {
    MatErrorSource("rank(%s(%dx%d), %G)", nameOf(A), A->rows, A->cols, tol);
    MatErrorNotRealNorComplex(A, "MatRank()");
  }
  if (A->rows == 0 || A->cols == 0) return 0;
  if (tol < 0.0) tol = frobeniusNorm(A) * vorn_eps;
  return countAbove(singularValues(A), tol);
}

int MatIsSingular(Matrix* A, double tol) {
  const char* tag = "MatIsSingular()";
  refuseOthers(A, tag);
  MatNonSquareCheck(A, tag);
  MatZeroSizeCheck(A, tag);
  return singularValues(A).back() <= tol ? 1 : 0;
}

int MatIsNonSingular(Matrix* A, double tol) {
  refuseOthers(A, "MatIsNonSingular()");
  return MatIsSingular(A, tol) ? 0 : 1;
}

int MatIsFullRank(Matrix* A, double tol) {
  refuseOthers(A, "MatIsFullRank()");
  const int r = MatRank(A, tol);
  return r == A->rows || r == A->cols ? 1 : 0;
}

Matrix* Mat_PseudoInv(Matrix* X, Matrix* A, double tol) {
  return onSvd(A, [&](Matrix* s, Matrix* U, Matrix* V) {
    pseudoInverse<double>(X, A, s, U, V, tol);
    return X;
  });
}

Matrix* C_Mat_PseudoInv(Matrix* X, Matrix* A, double tol) {
  return onSvd(A, [&](Matrix* s, Matrix* U, Matrix* V) {
    pseudoInverse<cplx>(X, A, s, U, V, tol);
    return X;
  });
}

Matrix* MatPseudoInv(Matrix* A, double tol) {
  const char* tag = "MatPseudoInv()";
  if (A->class_ != MAT_REAL && A->class_ != MAT_COMPLEX) {
    MatErrorSource("pseudoinv(%s(%dx%d), %G)", nameOf(A), A->rows, A->cols, tol);
    MatErrorNotRealNorComplex(A, tag);
  }
  if (A->rows == 0 || A->cols == 0) {
    MatErrorSource("pseudoinv(%s(%dx%d), %G)", nameOf(A), A->rows, A->cols, tol);
    MatError(tag, "Zero-size matrix", A);
  }
  if (A->class_ == MAT_COMPLEX && !hasZeroImaginary(A))
    return C_Mat_PseudoInv(C_MatNonNameDef(A->cols, A->rows), A, tol);
  Matrix* a = realOperand(A);
  Matrix* X = Mat_PseudoInv(MatNonNameDef(A->cols, A->rows), a, tol);
  if (a != A) {
    MatUndef(a);
    X = complexFromReal(X);
  }
  return X;
}
