#include "runtime/linalg/eigen.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "runtime/linalg/eigen_internal.h"
#include "runtime/linalg/linalg_internal.h"

using namespace vorn_linalg;

// The EISPACK routines below (Smith, Boyle, Dongarra, Garbow, Ikebe, Klema
// and Moler, Matrix Eigensystem Routines - EISPACK Guide, Springer LNCS 6,
// 1976; the 1983 revisions with the tst1/tst2 negligibility tests) work on
// column-major arrays; their indices count from 0 here, from 1 in the
// routines, and a stored permutation index is stored from 0 as well.

namespace vorn_linalg {

// balance (EISPACK balanc, and cbal for a complex matrix held as its real
// and imaginary parts): permutes rows and columns that isolate eigenvalues
// to the ends, then scales rows 'low..igh' and their columns by powers of
// the radix until their norms are within a factor of 0.95. An element is
// zero when all its parts are; its size is the sum of its parts' moduli.
void balance(const std::vector<Square<double>*>& parts, int& low, int& igh, std::vector<double>& scale) {
  const int n = parts[0]->n;
  const double radix = 16.0, b2 = radix * radix;
  int k = 0, l = n - 1;
  auto nonzero = [&](int i, int j) {
    for (Square<double>* p : parts)
      if ((*p)(i, j) != 0.0) return true;
    return false;
  };
  auto size = [&](int i, int j) {
    double s = std::fabs((*parts[0])(i, j));
    for (size_t q = 1; q < parts.size(); q++) s += std::fabs((*parts[q])(i, j));
    return s;
  };
  auto exchange = [&](int j, int m) {
    scale[m] = j;
    if (j == m) return;
    for (Square<double>* p : parts) {
      Square<double>& a = *p;
      for (int i = 0; i <= l; i++) std::swap(a(i, j), a(i, m));
      for (int i = k; i < n; i++) std::swap(a(j, i), a(m, i));
    }
  };
  // Rows isolating an eigenvalue, pushed down.
  bool found = true;
  while (found && l >= 0) {
    found = false;
    for (int j = l; j >= 0; j--) {
      bool isolated = true;
      for (int i = 0; i <= l; i++)
        if (i != j && nonzero(j, i)) {
          isolated = false;
          break;
        }
      if (!isolated) continue;
      exchange(j, l);
      if (l == 0) {
        low = igh = 0;
        return;
      }
      l--;
      found = true;
      break;
    }
  }
  // Columns isolating an eigenvalue, pushed left.
  found = true;
  while (found) {
    found = false;
    for (int j = k; j <= l; j++) {
      bool isolated = true;
      for (int i = k; i <= l; i++)
        if (i != j && nonzero(i, j)) {
          isolated = false;
          break;
        }
      if (!isolated) continue;
      exchange(j, k);
      k++;
      found = true;
      break;
    }
  }
  for (int i = k; i <= l; i++) scale[i] = 1.0;
  // Iterative norm reduction.
  bool noconv = true;
  while (noconv) {
    noconv = false;
    for (int i = k; i <= l; i++) {
      double c = 0.0, r = 0.0;
      for (int j = k; j <= l; j++) {
        if (j == i) continue;
        c += size(j, i);
        r += size(i, j);
      }
      // Guard against zero c or r due to underflow.
      if (c == 0.0 || r == 0.0) continue;
      double g = r / radix, f = 1.0;
      const double s = c + r;
      while (c < g) {
        f *= radix;
        c *= b2;
      }
      g = r * radix;
      while (c >= g) {
        f /= radix;
        c /= b2;
      }
      if ((c + r) / f >= 0.95 * s) continue;
      g = 1.0 / f;
      scale[i] *= f;
      noconv = true;
      for (Square<double>* p : parts) {
        Square<double>& a = *p;
        for (int j = k; j < n; j++) a(i, j) *= g;
        for (int j = 0; j <= l; j++) a(j, i) *= f;
      }
    }
  }
  low = k;
  igh = l;
}

// balbak (and cbabk2 over real and imaginary parts): back-transforms the m
// columns of z from the balanced matrix's eigenvectors to the original's.
void balbak(int low, int igh, const std::vector<double>& scale, const std::vector<Square<double>*>& z, int m) {
  const int n = z[0]->n;
  for (Square<double>* p : z) {
    Square<double>& part = *p;
    if (igh != low)
      for (int i = low; i <= igh; i++) {
        const double s = scale[i];
        for (int j = 0; j < m; j++) part(i, j) *= s;
      }
    for (int ii = 0; ii < n; ii++) {
      int i = ii;
      if (i >= low && i <= igh) continue;
      if (i < low) i = low - ii - 1;
      const int k = static_cast<int>(scale[i]);
      if (k == i) continue;
      for (int j = 0; j < m; j++) std::swap(part(i, j), part(k, j));
    }
  }
}

// The balancing matrix D with B = inverse(D) * A * D: what balbak applies to
// eigenvectors, that is its action on the identity.
Square<double> diag_balance(int low, int igh, const std::vector<double>& scale, int n) {
  Square<double> d(n);
  for (int i = 0; i < n; i++) d(i, i) = 1.0;
  balbak(low, igh, scale, {&d}, n);
  return d;
}

// orthes: orthogonal similarity reduction of rows and columns low..igh to
// upper Hessenberg form; ort and the columns below the subdiagonal keep the
// Householder vectors for ortran.
void orthes(int low, int igh, Square<double>& a, std::vector<double>& ort) {
  const int n = a.n;
  std::vector<double> f(n);
  for (int m = low + 1; m <= igh - 1; m++) {
    double h = 0.0, scale = 0.0;
    ort[m] = 0.0;
    for (int i = m; i <= igh; i++) scale += std::fabs(a(i, m - 1));
    if (scale == 0.0) continue;
    for (int i = igh; i >= m; i--) {
      ort[i] = a(i, m - 1) / scale;
      h += ort[i] * ort[i];
    }
    const double g = ort[m] >= 0.0 ? -std::sqrt(h) : std::sqrt(h);   // -dsign(sqrt(h), ort(m))
    h -= ort[m] * g;
    ort[m] -= g;
    // (I - u u'/h) * A
    for (int j = m; j < n; j++) {
      double fj = 0.0;
      for (int i = igh; i >= m; i--) fj += ort[i] * a(i, j);
      fj /= h;
      for (int i = m; i <= igh; i++) a(i, j) -= fj * ort[i];
    }
    // A * (I - u u'/h): the row sums taken column by column, each in the
    // routine's order (j from igh down to m).
    std::fill(f.begin(), f.begin() + igh + 1, 0.0);
    for (int j = igh; j >= m; j--) {
      const double oj = ort[j];
      const double* aj = a.col(j);
      for (int i = 0; i <= igh; i++) f[i] += oj * aj[i];
    }
    for (int i = 0; i <= igh; i++) f[i] /= h;
    for (int j = m; j <= igh; j++) {
      const double oj = ort[j];
      double* aj = a.col(j);
      for (int i = 0; i <= igh; i++) aj[i] -= f[i] * oj;
    }
    ort[m] *= scale;
    a(m, m - 1) = scale * g;
  }
}

// ortran: accumulates the transformations of orthes into z.
void ortran(int low, int igh, Square<double>& a, std::vector<double>& ort, Square<double>& z) {
  const int n = a.n;
  for (int j = 0; j < n; j++) {
    for (int i = 0; i < n; i++) z(i, j) = 0.0;
    z(j, j) = 1.0;
  }
  for (int mp = igh - 1; mp >= low + 1; mp--) {
    if (a(mp, mp - 1) == 0.0) continue;
    for (int i = mp + 1; i <= igh; i++) ort[i] = a(i, mp - 1);
    for (int j = mp; j <= igh; j++) {
      double g = 0.0;
      const double* zj = z.col(j);
      for (int i = mp; i <= igh; i++) g += ort[i] * zj[i];
      // The divisor is the negative of h formed in orthes; the double
      // division avoids possible underflow.
      g = (g / ort[mp]) / a(mp, mp - 1);
      double* zw = z.col(j);
      for (int i = mp; i <= igh; i++) zw[i] += g * ort[i];
    }
  }
}

namespace {

inline double dsign(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

// The shifted double-step QR iteration shared by hqr and hqr2. With z (the
// hqr2 form) the transformations reach the whole of h and are accumulated
// into z; without it (hqr) only the active block is updated. Returns 0, or
// en + 1 for the eigenvalue that used up the budget of 30 * n iterations.
int francis(int low, int igh, Square<double>& h, std::vector<double>& wr, std::vector<double>& wi,
            Square<double>* z) {
  const int n = h.n;
  const bool full = z != nullptr;
  double norm = 0.0;
  int k = 0;
  // Roots isolated by balance, and the matrix norm.
  for (int i = 0; i < n; i++) {
    for (int j = k; j < n; j++) norm += std::fabs(h(i, j));
    k = i;
    if (i >= low && i <= igh) continue;
    wr[i] = h(i, i);
    wi[i] = 0.0;
  }
  int en = igh;
  double t = 0.0;
  long itn = static_cast<long>(iterationUnit) * n;
  double p = 0, q = 0, r = 0, s = 0, w = 0, x = 0, y = 0, zz = 0;
  while (en >= low) {
    int its = 0;
    const int na = en - 1, enm2 = na - 1;
    for (;;) {
      // Look for a single small subdiagonal element.
      int l;
      for (l = en; l > low; l--) {
        s = std::fabs(h(l - 1, l - 1)) + std::fabs(h(l, l));
        if (s == 0.0) s = norm;
        const double tst1 = s;
        if (tst1 + std::fabs(h(l, l - 1)) == tst1) break;
      }
      // Form the shift.
      x = h(en, en);
      if (l == en) {   // one root found
        h(en, en) = x + t;
        wr[en] = h(en, en);
        wi[en] = 0.0;
        en = na;
        break;
      }
      y = h(na, na);
      w = h(en, na) * h(na, en);
      if (l == na) {   // two roots found
        p = (y - x) / 2.0;
        q = p * p + w;
        zz = std::sqrt(std::fabs(q));
        h(en, en) = x + t;
        x = h(en, en);
        h(na, na) = y + t;
        if (q >= 0.0) {   // a real pair
          zz = p + dsign(zz, p);
          wr[na] = x + zz;
          wr[en] = wr[na];
          if (zz != 0.0) wr[en] = x - w / zz;
          wi[na] = 0.0;
          wi[en] = 0.0;
          if (full) {
            x = h(en, na);
            s = std::fabs(x) + std::fabs(zz);
            p = x / s;
            q = zz / s;
            r = std::sqrt(p * p + q * q);
            p = p / r;
            q = q / r;
            for (int j = na; j < n; j++) {   // row modification
              zz = h(na, j);
              h(na, j) = q * zz + p * h(en, j);
              h(en, j) = q * h(en, j) - p * zz;
            }
            for (int i = 0; i <= en; i++) {   // column modification
              zz = h(i, na);
              h(i, na) = q * zz + p * h(i, en);
              h(i, en) = q * h(i, en) - p * zz;
            }
            for (int i = low; i <= igh; i++) {   // accumulate
              zz = (*z)(i, na);
              (*z)(i, na) = q * zz + p * (*z)(i, en);
              (*z)(i, en) = q * (*z)(i, en) - p * zz;
            }
          }
        } else {   // a complex pair
          wr[na] = x + p;
          wr[en] = x + p;
          wi[na] = zz;
          wi[en] = -zz;
        }
        en = enm2;
        break;
      }
      if (itn == 0) return en + 1;
      if (its == 10 || its == 20) {   // exceptional shift
        t += x;
        for (int i = low; i <= en; i++) h(i, i) -= x;
        s = std::fabs(h(en, na)) + std::fabs(h(na, enm2));
        x = 0.75 * s;
        y = x;
        w = -0.4375 * s * s;
      }
      its++;
      itn--;
      // Look for two consecutive small subdiagonal elements.
      int m;
      for (m = enm2; m >= l; m--) {
        zz = h(m, m);
        r = x - zz;
        s = y - zz;
        p = (r * s - w) / h(m + 1, m) + h(m, m + 1);
        q = h(m + 1, m + 1) - zz - r - s;
        r = h(m + 2, m + 1);
        s = std::fabs(p) + std::fabs(q) + std::fabs(r);
        p = p / s;
        q = q / s;
        r = r / s;
        if (m == l) break;
        const double tst1 = std::fabs(p) * (std::fabs(h(m - 1, m - 1)) + std::fabs(zz) + std::fabs(h(m + 1, m + 1)));
        const double tst2 = tst1 + std::fabs(h(m, m - 1)) * (std::fabs(q) + std::fabs(r));
        if (tst2 == tst1) break;
      }
      for (int i = m + 2; i <= en; i++) {
        h(i, i - 2) = 0.0;
        if (i != m + 2) h(i, i - 3) = 0.0;
      }
      // Double QR step on rows l..en and columns m..en.
      const int rowEnd = full ? n - 1 : en;
      const int colStart = full ? 0 : l;
      for (k = m; k <= na; k++) {
        const bool notlas = k != na;
        if (k != m) {
          p = h(k, k - 1);
          q = h(k + 1, k - 1);
          r = notlas ? h(k + 2, k - 1) : 0.0;
          x = std::fabs(p) + std::fabs(q) + std::fabs(r);
          if (x == 0.0) continue;
          p = p / x;
          q = q / x;
          r = r / x;
        }
        s = dsign(std::sqrt(p * p + q * q + r * r), p);
        if (k != m)
          h(k, k - 1) = -s * x;
        else if (l != m)
          h(k, k - 1) = -h(k, k - 1);
        p = p + s;
        x = p / s;
        y = q / s;
        zz = r / s;
        q = q / p;
        r = r / p;
        const int jEnd = std::min(en, k + 3);
        if (!notlas) {
          for (int j = k; j <= rowEnd; j++) {
            p = h(k, j) + q * h(k + 1, j);
            h(k, j) = h(k, j) - p * x;
            h(k + 1, j) = h(k + 1, j) - p * y;
          }
          double* hk = h.col(k);
          double* hk1 = h.col(k + 1);
          for (int i = colStart; i <= jEnd; i++) {
            p = x * hk[i] + y * hk1[i];
            hk[i] = hk[i] - p;
            hk1[i] = hk1[i] - p * q;
          }
          if (full) {
            double* zk = z->col(k);
            double* zk1 = z->col(k + 1);
            for (int i = low; i <= igh; i++) {
              p = x * zk[i] + y * zk1[i];
              zk[i] = zk[i] - p;
              zk1[i] = zk1[i] - p * q;
            }
          }
        } else {
          for (int j = k; j <= rowEnd; j++) {
            p = h(k, j) + q * h(k + 1, j) + r * h(k + 2, j);
            h(k, j) = h(k, j) - p * x;
            h(k + 1, j) = h(k + 1, j) - p * y;
            h(k + 2, j) = h(k + 2, j) - p * zz;
          }
          double* hk = h.col(k);
          double* hk1 = h.col(k + 1);
          double* hk2 = h.col(k + 2);
          for (int i = colStart; i <= jEnd; i++) {
            p = x * hk[i] + y * hk1[i] + zz * hk2[i];
            hk[i] = hk[i] - p;
            hk1[i] = hk1[i] - p * q;
            hk2[i] = hk2[i] - p * r;
          }
          if (full) {
            double* zk = z->col(k);
            double* zk1 = z->col(k + 1);
            double* zk2 = z->col(k + 2);
            for (int i = low; i <= igh; i++) {
              p = x * zk[i] + y * zk1[i] + zz * zk2[i];
              zk[i] = zk[i] - p;
              zk1[i] = zk1[i] - p * q;
              zk2[i] = zk2[i] - p * r;
            }
          }
        }
      }
    }
  }
  return 0;
}

// hqr2's back substitution: eigenvectors of the quasi-triangular h, then
// multiplied by the transformations in z.
void hqr2Vectors(int low, int igh, Square<double>& h, std::vector<double>& wr, std::vector<double>& wi,
                 Square<double>& z) {
  const int n = h.n;
  double norm = 0.0;
  for (int i = 0, k = 0; i < n; i++) {
    for (int j = k; j < n; j++) norm += std::fabs(h(i, j));
    k = i;
  }
  if (norm == 0.0) return;
  double p, q, r = 0, s = 0, t, w, x, y, zz = 0, ra, sa, vr, vi;
  for (int en = n - 1; en >= 0; en--) {
    p = wr[en];
    q = wi[en];
    const int na = en - 1;
    if (q == 0.0) {   // real vector
      int m = en;
      h(en, en) = 1.0;
      for (int i = en - 1; i >= 0; i--) {
        w = h(i, i) - p;
        r = 0.0;
        for (int j = m; j <= en; j++) r += h(i, j) * h(j, en);
        if (wi[i] < 0.0) {
          zz = w;
          s = r;
          continue;
        }
        m = i;
        if (wi[i] == 0.0) {
          t = w;
          if (t == 0.0) {
            const double tst1 = norm;
            t = tst1;
            do {
              t = 0.01 * t;
            } while (norm + t > tst1);
          }
          h(i, en) = -r / t;
        } else {   // solve real equations
          x = h(i, i + 1);
          y = h(i + 1, i);
          q = (wr[i] - p) * (wr[i] - p) + wi[i] * wi[i];
          t = (x * s - zz * r) / q;
          h(i, en) = t;
          if (std::fabs(x) > std::fabs(zz))
            h(i + 1, en) = (-r - w * t) / x;
          else
            h(i + 1, en) = (-s - y * t) / zz;
        }
        // Overflow control.
        t = std::fabs(h(i, en));
        if (t == 0.0) continue;
        if (t + 1.0 / t > t) continue;
        for (int j = i; j <= en; j++) h(j, en) = h(j, en) / t;
      }
    } else if (q < 0.0) {   // complex vector
      int m = na;
      // The last component is chosen imaginary so that the eigenvector
      // matrix is triangular.
      if (std::fabs(h(en, na)) > std::fabs(h(na, en))) {
        h(na, na) = q / h(en, na);
        h(na, en) = -(h(en, en) - p) / h(en, na);
      } else {
        cdiv(0.0, -h(na, en), h(na, na) - p, q, h(na, na), h(na, en));
      }
      h(en, na) = 0.0;
      h(en, en) = 1.0;
      for (int i = na - 1; i >= 0; i--) {
        w = h(i, i) - p;
        ra = 0.0;
        sa = 0.0;
        for (int j = m; j <= en; j++) {
          ra += h(i, j) * h(j, na);
          sa += h(i, j) * h(j, en);
        }
        if (wi[i] < 0.0) {
          zz = w;
          r = ra;
          s = sa;
          continue;
        }
        m = i;
        if (wi[i] == 0.0) {
          cdiv(-ra, -sa, w, q, h(i, na), h(i, en));
        } else {   // solve complex equations
          x = h(i, i + 1);
          y = h(i + 1, i);
          vr = (wr[i] - p) * (wr[i] - p) + wi[i] * wi[i] - q * q;
          vi = (wr[i] - p) * 2.0 * q;
          if (vr == 0.0 && vi == 0.0) {
            const double tst1 = norm * (std::fabs(w) + std::fabs(q) + std::fabs(x) + std::fabs(y) + std::fabs(zz));
            vr = tst1;
            do {
              vr = 0.01 * vr;
            } while (tst1 + vr > tst1);
          }
          cdiv(x * r - zz * ra + q * sa, x * s - zz * sa - q * ra, vr, vi, h(i, na), h(i, en));
          if (std::fabs(x) > std::fabs(zz) + std::fabs(q)) {
            h(i + 1, na) = (-ra - w * h(i, na) + q * h(i, en)) / x;
            h(i + 1, en) = (-sa - w * h(i, en) - q * h(i, na)) / x;
          } else {
            cdiv(-r - y * h(i, na), -s - y * h(i, en), zz, q, h(i + 1, na), h(i + 1, en));
          }
        }
        // Overflow control.
        t = std::max(std::fabs(h(i, na)), std::fabs(h(i, en)));
        if (t == 0.0) continue;
        if (t + 1.0 / t > t) continue;
        for (int j = i; j <= en; j++) {
          h(j, na) = h(j, na) / t;
          h(j, en) = h(j, en) / t;
        }
      }
    }
  }
  // Vectors of isolated roots.
  for (int i = 0; i < n; i++) {
    if (i >= low && i <= igh) continue;
    for (int j = i; j < n; j++) z(i, j) = h(i, j);
  }
  // Multiply by the transformation matrix: column j of z becomes
  // z(:, low..m) * h(low..m, j), the sum over k in the routine's order.
  std::vector<double> col(n);
  for (int j = n - 1; j >= low; j--) {
    const int m = std::min(j, igh);
    std::fill(col.begin(), col.end(), 0.0);
    for (int k = low; k <= m; k++) {
      const double hkj = h(k, j);
      const double* zk = z.col(k);
      for (int i = low; i <= igh; i++) col[i] += zk[i] * hkj;
    }
    for (int i = low; i <= igh; i++) z(i, j) = col[i];
  }
}

}  // namespace

int hqr(int low, int igh, Square<double>& h, std::vector<double>& wr, std::vector<double>& wi) {
  return francis(low, igh, h, wr, wi, nullptr);
}

int hqr2(int low, int igh, Square<double>& h, std::vector<double>& wr, std::vector<double>& wi,
         Square<double>& z) {
  const int ierr = francis(low, igh, h, wr, wi, &z);
  if (ierr != 0) return ierr;
  hqr2Vectors(low, igh, h, wr, wi, z);
  return 0;
}

// Descending order: a complete bubble sort by imaginary part, then one by
// real part (stable, so equal real parts keep the imaginary order). The
// eigenvector columns follow their values.
void orderEigen(std::vector<cplx>& val, Work<cplx>* vec) {
  const int n = static_cast<int>(val.size());
  auto swapAt = [&](int k) {
    std::swap(val[k], val[k + 1]);
    if (vec != nullptr)
      for (int i = 0; i < n; i++) std::swap((*vec)(i, k), (*vec)(i, k + 1));
  };
  for (int pass = 0; pass < 2; pass++) {
    bool swapped = true;
    while (swapped) {
      swapped = false;
      for (int k = 0; k + 1 < n; k++) {
        const double a = pass == 0 ? val[k].imag() : val[k].real();
        const double b = pass == 0 ? val[k + 1].imag() : val[k + 1].real();
        if (a < b) {
          swapAt(k);
          swapped = true;
        }
      }
    }
  }
}

void normalize_vector(Work<cplx>& vec) {
  const int n = vec.rows;
  for (int j = 0; j < vec.cols; j++) {
    double scale = 0.0, ssq = 1.0;
    for (int i = 0; i < n; i++)
      for (double part : {vec(i, j).real(), vec(i, j).imag()}) addToNorm(part, scale, ssq);
    const double norm = scale * std::sqrt(ssq);
    if (norm == 0.0) continue;
    for (int i = 0; i < n; i++) vec(i, j) /= norm;
  }
}

void storeEigen(Matrix* val, Matrix* vec, const std::vector<cplx>& v, const Work<cplx>* z) {
  if (val != nullptr) std::copy(v.begin(), v.end(), elemsOf<cplx>(val));
  if (vec != nullptr && z != nullptr) std::copy(z->a.begin(), z->a.end(), elemsOf<cplx>(vec));
}

void complexColumns(const Square<double>& z, const std::vector<double>& im, Work<cplx>& vectors) {
  const int n = z.n;
  for (int j = 0; j < n; j++) {
    if (im[j] != 0.0 && j + 1 < n) {
      for (int i = 0; i < n; i++) {
        vectors(i, j) = cplx(z(i, j), z(i, j + 1));
        vectors(i, j + 1) = cplx(z(i, j), -z(i, j + 1));
      }
      j++;
    } else {
      for (int i = 0; i < n; i++) vectors(i, j) = z(i, j);
    }
  }
}

Matrix* valuesBesideVectors(Matrix* val, Matrix* vec) {
  const int n = vec->rows;
  Matrix* m = C_MatNonNameDef(n, n + 1);
  cplx* d = elemsOf<cplx>(m);
  for (int i = 0; i < n; i++) {
    d[static_cast<size_t>(i) * (n + 1)] = elemsOf<cplx>(val)[i];
    for (int j = 0; j < n; j++)
      d[static_cast<size_t>(i) * (n + 1) + j + 1] = elemsOf<cplx>(vec)[static_cast<size_t>(i) * n + j];
  }
  MatUndef(val);
  MatUndef(vec);
  return m;
}

// Complex division (ar + i ai) / (br + i bi), EISPACK cdiv.
void cdiv(double ar, double ai, double br, double bi, double& cr, double& ci) {
  const double s = std::fabs(br) + std::fabs(bi);
  const double ars = ar / s, ais = ai / s, brs = br / s, bis = bi / s;
  const double d = brs * brs + bis * bis;
  cr = (ars * brs + ais * bis) / d;
  ci = (ais * brs - ars * bis) / d;
}

Square<double> squareOf(const Matrix* A) {
  const int n = A->rows;
  Square<double> a(n);
  const double* d = MatReal(A);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) a(i, j) = d[static_cast<size_t>(i) * n + j];
  return a;
}

void storeSquare(Matrix* M, Square<double>& a) {
  const int n = a.n;
  double* d = MatReal(M);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) d[static_cast<size_t>(i) * n + j] = a(i, j);
}

}  // namespace vorn_linalg

namespace {

// Real eigenvalues and, with vec, eigenvectors: balance, orthes, ortran,
// hqr2, balbak, then complex columns, unit norms and the order.
int realEigen(Matrix* A, Matrix* val, Matrix* vec, const char* tag) {
  const int n = A->rows;
  Square<double> a = squareOf(A);
  int low, igh;
  std::vector<double> scale(n), ort(n), wr(n, 0.0), wi(n, 0.0);
  balance({&a}, low, igh, scale);
  orthes(low, igh, a, ort);
  int ierr;
  std::vector<cplx> values(n);
  Work<cplx> vectors(n, n);
  if (vec != nullptr) {
    Square<double> z(n);
    ortran(low, igh, a, ort, z);
    ierr = hqr2(low, igh, a, wr, wi, z);
    if (ierr == 0) {
      balbak(low, igh, scale, {&z}, n);
      complexColumns(z, wi, vectors);
      normalize_vector(vectors);
    }
  } else {
    ierr = hqr(low, igh, a, wr, wi);
  }
  // Values not reached by a failed iteration stay 0.
  for (int j = 0; j < n; j++)
    values[j] = ierr != 0 && j >= low && j < ierr ? cplx(0.0) : cplx(wr[j], wi[j]);
  return finishEigen(values, vectors, vec != nullptr, val, vec, ierr,
                     [&] { MatWarning(tag, "Solution will not converge", A); });
}

void checkSquareOperand(Matrix* A, const char* word, const char* tag) {
  checkOperand(A, word, tag);
  if (A->rows != A->cols) {
    MatErrorSource("%s(%s(%dx%d))", word, nameOf(A), A->rows, A->cols);
    MatError(tag, "Not a square matrix", A);
  }
}

bool isComplexValued(Matrix* A) { return A->class_ == MAT_COMPLEX && !hasZeroImaginary(A); }

// Runs f on A, or on A's real parts when A is complex without imaginary
// parts.
template <class F>
auto onRealOperand(Matrix* A, F f) {
  Matrix* a = realOperand(A);
  auto result = f(a);
  releaseIfMade(a, A);
  return result;
}

}  // namespace

Matrix* MatEigValDef(Matrix* A) {
  MatNonSquareCheck(A, "MatEigValDef()");
  return C_MatNonNameDef(A->rows, 1);
}

Matrix* MatEigVecDef(Matrix* A) {
  MatNonSquareCheck(A, "MatEigVecDef()");
  return C_MatNonNameDef(A->rows, A->cols);
}

int Mat_Eig(Matrix* A, Matrix* val, Matrix* vec) { return realEigen(A, val, vec, "Mat_Eig()"); }
int Mat_EigVal(Matrix* A, Matrix* val) { return realEigen(A, val, nullptr, "Mat_EigVal()"); }

Matrix* Mat_EigVec(Matrix* A) {
  Matrix* val = MatEigValDef(A);
  Matrix* vec = MatEigVecDef(A);
  Mat_Eig(A, val, vec);
  MatUndef(val);
  return vec;
}

Matrix* C_Mat_EigVec(Matrix* A) {
  Matrix* val = MatEigValDef(A);
  Matrix* vec = MatEigVecDef(A);
  C_Mat_Eig(A, val, vec);
  MatUndef(val);
  return vec;
}

Matrix* Mat_EigValVec(Matrix* A) {
  Matrix* val = MatEigValDef(A);
  Matrix* vec = MatEigVecDef(A);
  Mat_Eig(A, val, vec);
  return valuesBesideVectors(val, vec);
}

Matrix* C_Mat_EigValVec(Matrix* A) {
  Matrix* val = MatEigValDef(A);
  Matrix* vec = MatEigVecDef(A);
  C_Mat_Eig(A, val, vec);
  return valuesBesideVectors(val, vec);
}

int MatEig(Matrix* A, Matrix** val, Matrix** vec) {
  checkSquareOperand(A, "eig", "MatEig()");
  *val = MatEigValDef(A);
  *vec = MatEigVecDef(A);
  if (isComplexValued(A)) return C_Mat_Eig(A, *val, *vec);
  Matrix* v = *val;
  Matrix* w = *vec;
  return onRealOperand(A, [&](Matrix* a) { return Mat_Eig(a, v, w); });
}

Matrix* MatEigVal(Matrix* A) {
  checkSquareOperand(A, "eigval", "MatEigVal()");
  Matrix* val = MatEigValDef(A);
  if (isComplexValued(A))
    C_Mat_EigVal(A, val);
  else
    onRealOperand(A, [&](Matrix* a) { return Mat_EigVal(a, val); });
  return val;
}

Matrix* MatEigVec(Matrix* A) {
  checkSquareOperand(A, "eigvec", "MatEigVec()");
  if (isComplexValued(A)) return C_Mat_EigVec(A);
  return onRealOperand(A, [&](Matrix* a) { return Mat_EigVec(a); });
}

Matrix* MatEigValVec(Matrix* A) {
  checkSquareOperand(A, "eig", "MatEigValVec()");
  if (isComplexValued(A)) return C_Mat_EigValVec(A);
  return onRealOperand(A, [&](Matrix* a) { return Mat_EigValVec(a); });
}

void Mat_Balance(Matrix* A, Matrix* D, Matrix* B) {
  const int n = A->rows;
  Square<double> a = squareOf(A);
  int low, igh;
  std::vector<double> scale(n);
  balance({&a}, low, igh, scale);
  Square<double> d = diag_balance(low, igh, scale, n);
  storeSquare(D, d);
  storeSquare(B, a);
}

void Mat_Hessenberg(Matrix* A, Matrix* P, Matrix* H) {
  const int n = A->rows;
  Square<double> a = squareOf(A), z(n);
  std::vector<double> ort(n);
  orthes(0, n - 1, a, ort);
  ortran(0, n - 1, a, ort, z);
  for (int j = 0; j < n; j++)
    for (int i = j + 2; i < n; i++) a(i, j) = 0.0;
  storeSquare(P, z);
  storeSquare(H, a);
}

int Mat_Schur(Matrix* A, Matrix* U, Matrix* T) {
  const int n = A->rows;
  Square<double> a = squareOf(A), z(n);
  std::vector<double> ort(n), wr(n), wi(n);
  orthes(0, n - 1, a, ort);
  ortran(0, n - 1, a, ort, z);
  const int ierr = francis(0, n - 1, a, wr, wi, &z);
  for (int j = 0; j < n; j++)
    for (int i = j + 2; i < n; i++) a(i, j) = 0.0;
  storeSquare(U, z);
  storeSquare(T, a);
  if (ierr != 0) {
    MatWarning("Mat_Schur()", "Solution will not converge", A);
    return 1;
  }
  return 0;
}

void MatBalance(Matrix* A, Matrix** D, Matrix** B) {
  checkSquareOperand(A, "balance", "MatBalance()");
  const int n = A->rows;
  if (isComplexValued(A)) {
    *D = MatNonNameDef(n, n);
    *B = C_MatNonNameDef(n, n);
    C_Mat_Balance(A, *D, *B);
    return;
  }
  *D = MatNonNameDef(n, n);
  *B = MatNonNameDef(n, n);
  Matrix* d = *D;
  Matrix* b = *B;
  onRealOperand(A, [&](Matrix* a) {
    Mat_Balance(a, d, b);
    return 0;
  });
  if (A->class_ == MAT_COMPLEX) *B = complexFromReal(*B);
}

void MatHessenberg(Matrix* A, Matrix** P, Matrix** H) {
  checkSquareOperand(A, "hess", "MatHessenberg()");
  const int n = A->rows;
  if (isComplexValued(A)) {
    *P = C_MatNonNameDef(n, n);
    *H = C_MatNonNameDef(n, n);
    C_Mat_Hessenberg(A, *P, *H);
    return;
  }
  *P = MatNonNameDef(n, n);
  *H = MatNonNameDef(n, n);
  Matrix* p = *P;
  Matrix* h = *H;
  onRealOperand(A, [&](Matrix* a) {
    Mat_Hessenberg(a, p, h);
    return 0;
  });
  if (A->class_ == MAT_COMPLEX) {
    *P = complexFromReal(*P);
    *H = complexFromReal(*H);
  }
}

int MatSchur(Matrix* A, Matrix** U, Matrix** T) {
  checkSquareOperand(A, "schur", "MatSchur()");
  const int n = A->rows;
  if (isComplexValued(A)) {
    *U = C_MatNonNameDef(n, n);
    *T = C_MatNonNameDef(n, n);
    return C_Mat_Schur(A, *U, *T);
  }
  *U = MatNonNameDef(n, n);
  *T = MatNonNameDef(n, n);
  Matrix* u = *U;
  Matrix* t = *T;
  const int status = onRealOperand(A, [&](Matrix* a) { return Mat_Schur(a, u, t); });
  if (A->class_ == MAT_COMPLEX) {
    *U = complexFromReal(*U);
    *T = complexFromReal(*T);
  }
  return status;
}

Matrix* MatCompanion(Matrix* c) {
  refuseOthers(c, "MatCompanion()");
  const int k = c->rows * c->cols;
  Matrix* m = c->class_ == MAT_COMPLEX ? C_MatZDef2(k, k) : MatZDef2(k, k);
  const int w = c->class_ == MAT_COMPLEX ? 2 : 1;
  double* d = MatReal(m);
  for (int i = 0; i + 1 < k; i++) d[(static_cast<size_t>(i) * k + i + 1) * w] = 1.0;
  for (int j = 0; j < k * w; j++) d[static_cast<size_t>(k - 1) * k * w + j] = MatReal(c)[j];
  return m;
}
