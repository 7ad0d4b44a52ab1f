// The complex and Hermitian eigenproblems: EISPACK cbal, corth, comqr,
// comqr2 and cbabk2 for general complex matrices, htridi, tql2 and htribk
// for Hermitian ones (EISPACK Guide, Springer LNCS 6, 1976, and its 1983
// revisions). Complex matrices are held as separate real and imaginary
// column-major arrays, as in the routines; indices count from 0 here.
#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "runtime/linalg/eigen.h"
#include "runtime/linalg/eigen_internal.h"
#include "runtime/linalg/linalg_internal.h"

using namespace vorn_linalg;

namespace {

using Sq = Square<double>;

// cdiv, with a zero divisor reported on standard error (the quotient is
// then the IEEE one).
void reportingCdiv(double ar, double ai, double br, double bi, double& cr, double& ci) {
  if (br == 0.0 && bi == 0.0) std::fputs("cdiv() in c_eigen :  [Zero division]\n", stderr);
  cdiv(ar, ai, br, bi, cr, ci);
}

// Principal square root of xr + i xi (EISPACK csroot).
void csroot(double xr, double xi, double& yr, double& yi) {
  const double tr = xr, ti = xi;
  double s = std::sqrt(0.5 * (pythag(tr, ti) + std::fabs(tr)));
  if (tr >= 0.0) yr = s;
  if (ti < 0.0) s = -s;
  if (tr <= 0.0) yi = s;
  if (tr < 0.0) yr = 0.5 * (ti / yi);
  if (tr > 0.0) yi = 0.5 * (ti / yr);
}

// corth: unitary reduction of rows and columns low..igh to upper
// Hessenberg form; (ortr, orti) and the columns below the subdiagonal keep
// the transformations.
void corth(int low, int igh, Sq& ar, Sq& ai, std::vector<double>& ortr, std::vector<double>& orti) {
  const int n = ar.n;
  std::vector<double> fr(n), fi(n);
  for (int m = low + 1; m <= igh - 1; m++) {
    double h = 0.0, scale = 0.0;
    ortr[m] = orti[m] = 0.0;
    for (int i = m; i <= igh; i++) scale += std::fabs(ar(i, m - 1)) + std::fabs(ai(i, m - 1));
    if (scale == 0.0) continue;
    for (int i = igh; i >= m; i--) {
      ortr[i] = ar(i, m - 1) / scale;
      orti[i] = ai(i, m - 1) / scale;
      h += ortr[i] * ortr[i] + orti[i] * orti[i];
    }
    double g = std::sqrt(h);
    const double f = pythag(ortr[m], orti[m]);
    if (f != 0.0) {
      h += f * g;
      g = g / f;
      ortr[m] = (1.0 + g) * ortr[m];
      orti[m] = (1.0 + g) * orti[m];
    } else {
      ortr[m] = g;
      ar(m, m - 1) = scale;
    }
    // (I - u u*/h) * A
    for (int j = m; j < n; j++) {
      double sr = 0.0, si = 0.0;
      const double* arj = ar.col(j);
      const double* aij = ai.col(j);
      for (int i = igh; i >= m; i--) {
        sr += ortr[i] * arj[i] + orti[i] * aij[i];
        si += ortr[i] * aij[i] - orti[i] * arj[i];
      }
      sr /= h;
      si /= h;
      double* arw = ar.col(j);
      double* aiw = ai.col(j);
      for (int i = m; i <= igh; i++) {
        arw[i] = arw[i] - sr * ortr[i] + si * orti[i];
        aiw[i] = aiw[i] - sr * orti[i] - si * ortr[i];
      }
    }
    // A * (I - u u*/h): the row sums column by column, each in the
    // routine's order (j from igh down to m).
    std::fill(fr.begin(), fr.begin() + igh + 1, 0.0);
    std::fill(fi.begin(), fi.begin() + igh + 1, 0.0);
    for (int j = igh; j >= m; j--) {
      const double* arj = ar.col(j);
      const double* aij = ai.col(j);
      for (int i = 0; i <= igh; i++) {
        fr[i] += ortr[j] * arj[i] - orti[j] * aij[i];
        fi[i] += ortr[j] * aij[i] + orti[j] * arj[i];
      }
    }
    for (int i = 0; i <= igh; i++) {
      fr[i] /= h;
      fi[i] /= h;
    }
    for (int j = m; j <= igh; j++) {
      double* arj = ar.col(j);
      double* aij = ai.col(j);
      for (int i = 0; i <= igh; i++) {
        arj[i] = arj[i] - fr[i] * ortr[j] - fi[i] * orti[j];
        aij[i] = aij[i] + fr[i] * orti[j] - fi[i] * ortr[j];
      }
    }
    ortr[m] *= scale;
    orti[m] *= scale;
    ar(m, m - 1) = -g * ar(m, m - 1);
    ai(m, m - 1) = -g * ai(m, m - 1);
  }
}

// The first stage of comqr2: the unitary matrix of corth's
// transformations, from the identity.
void corthAccumulate(int low, int igh, std::vector<double>& ortr, std::vector<double>& orti, Sq& hr, Sq& hi,
                     Sq& zr, Sq& zi) {
  const int n = hr.n;
  for (int j = 0; j < n; j++) {
    for (int i = 0; i < n; i++) zr(i, j) = zi(i, j) = 0.0;
    zr(j, j) = 1.0;
  }
  for (int i = igh - 1; i >= low + 1; i--) {
    if (ortr[i] == 0.0 && orti[i] == 0.0) continue;
    if (hr(i, i - 1) == 0.0 && hi(i, i - 1) == 0.0) continue;
    // norm is the negative of h formed in corth.
    const double norm = hr(i, i - 1) * ortr[i] + hi(i, i - 1) * orti[i];
    for (int k = i + 1; k <= igh; k++) {
      ortr[k] = hr(k, i - 1);
      orti[k] = hi(k, i - 1);
    }
    for (int j = i; j <= igh; j++) {
      double sr = 0.0, si = 0.0;
      for (int k = i; k <= igh; k++) {
        sr += ortr[k] * zr(k, j) + orti[k] * zi(k, j);
        si += ortr[k] * zi(k, j) - orti[k] * zr(k, j);
      }
      sr /= norm;
      si /= norm;
      for (int k = i; k <= igh; k++) {
        zr(k, j) = zr(k, j) + sr * ortr[k] - si * orti[k];
        zi(k, j) = zi(k, j) + sr * orti[k] + si * ortr[k];
      }
    }
  }
}

// The complex QR iteration of comqr and comqr2. With z (comqr2) the whole
// of h is transformed and the transformations are accumulated, with the
// exceptional shifts after 10 and 20 iterations; without (comqr) only the
// active block, with exceptional shifts at 10, 20, ... 90. Budget
// 30 * n iterations; returns 0, or en + 1 for the value not found.
int complexQR(int low, int igh, Sq& hr, Sq& hi, std::vector<double>& wr, std::vector<double>& wi, Sq* zr,
              Sq* zi) {
  const int n = hr.n;
  const bool full = zr != nullptr;
  double norm, sr, si, xr, xi, yr, yi, zzr = 0, zzi = 0;
  // Real subdiagonal elements.
  for (int i = low + 1; i <= igh; i++) {
    const int ll = std::min(i + 1, igh);
    if (hi(i, i - 1) == 0.0) continue;
    norm = pythag(hr(i, i - 1), hi(i, i - 1));
    yr = hr(i, i - 1) / norm;
    yi = hi(i, i - 1) / norm;
    hr(i, i - 1) = norm;
    hi(i, i - 1) = 0.0;
    for (int j = i; j < (full ? n : igh + 1); j++) {
      si = yr * hi(i, j) - yi * hr(i, j);
      hr(i, j) = yr * hr(i, j) + yi * hi(i, j);
      hi(i, j) = si;
    }
    for (int j = full ? 0 : low; j <= ll; j++) {
      si = yr * hi(j, i) + yi * hr(j, i);
      hr(j, i) = yr * hr(j, i) - yi * hi(j, i);
      hi(j, i) = si;
    }
    if (full)
      for (int j = low; j <= igh; j++) {
        si = yr * (*zi)(j, i) + yi * (*zr)(j, i);
        (*zr)(j, i) = yr * (*zr)(j, i) - yi * (*zi)(j, i);
        (*zi)(j, i) = si;
      }
  }
  // Roots isolated by cbal.
  for (int i = 0; i < n; i++) {
    if (i >= low && i <= igh) continue;
    wr[i] = hr(i, i);
    wi[i] = hi(i, i);
  }
  int en = igh;
  double tr = 0.0, ti = 0.0;
  long itn = static_cast<long>(iterationUnit) * n;
  while (en >= low) {
    int its = 0;
    const int enm1 = en - 1;
    for (;;) {
      int l;
      for (l = en; l > low; l--) {
        const double tst1 = std::fabs(hr(l - 1, l - 1)) + std::fabs(hi(l - 1, l - 1)) + std::fabs(hr(l, l)) +
                            std::fabs(hi(l, l));
        if (tst1 + std::fabs(hr(l, l - 1)) == tst1) break;
      }
      if (l == en) {   // a root found
        hr(en, en) += tr;
        wr[en] = hr(en, en);
        hi(en, en) += ti;
        wi[en] = hi(en, en);
        en = enm1;
        break;
      }
      if (itn == 0) return en + 1;
      const bool exceptional = full ? (its == 10 || its == 20) : (its > 0 && its % 10 == 0 && its <= 90);
      if (exceptional) {
        sr = std::fabs(hr(en, enm1)) + std::fabs(hr(enm1, en - 2 >= 0 ? en - 2 : 0));
        si = 0.0;
      } else {
        sr = hr(en, en);
        si = hi(en, en);
        xr = hr(enm1, en) * hr(en, enm1);
        xi = hi(enm1, en) * hr(en, enm1);
        if (xr != 0.0 || xi != 0.0) {
          yr = (hr(enm1, enm1) - sr) / 2.0;
          yi = (hi(enm1, enm1) - si) / 2.0;
          csroot(yr * yr - yi * yi + xr, 2.0 * yr * yi + xi, zzr, zzi);
          if (yr * zzr + yi * zzi < 0.0) {
            zzr = -zzr;
            zzi = -zzi;
          }
          reportingCdiv(xr, xi, yr + zzr, yi + zzi, xr, xi);
          sr -= xr;
          si -= xi;
        }
      }
      for (int i = low; i <= en; i++) {
        hr(i, i) -= sr;
        hi(i, i) -= si;
      }
      tr += sr;
      ti += si;
      its++;
      itn--;
      // Reduce to triangle (rows).
      const int rowEnd = full ? n - 1 : en;
      for (int i = l + 1; i <= en; i++) {
        sr = hr(i, i - 1);
        hr(i, i - 1) = 0.0;
        norm = pythag(pythag(hr(i - 1, i - 1), hi(i - 1, i - 1)), sr);
        xr = hr(i - 1, i - 1) / norm;
        wr[i - 1] = xr;
        xi = hi(i - 1, i - 1) / norm;
        wi[i - 1] = xi;
        hr(i - 1, i - 1) = norm;
        hi(i - 1, i - 1) = 0.0;
        hi(i, i - 1) = sr / norm;
        const double s = hi(i, i - 1);
        for (int j = i; j <= rowEnd; j++) {
          yr = hr(i - 1, j);
          yi = hi(i - 1, j);
          zzr = hr(i, j);
          zzi = hi(i, j);
          hr(i - 1, j) = xr * yr + xi * yi + s * zzr;
          hi(i - 1, j) = xr * yi - xi * yr + s * zzi;
          hr(i, j) = xr * zzr - xi * zzi - s * yr;
          hi(i, j) = xr * zzi + xi * zzr - s * yi;
        }
      }
      si = hi(en, en);
      if (si != 0.0) {
        norm = pythag(hr(en, en), si);
        sr = hr(en, en) / norm;
        si = si / norm;
        hr(en, en) = norm;
        hi(en, en) = 0.0;
        if (full)
          for (int j = en + 1; j < n; j++) {
            yr = hr(en, j);
            yi = hi(en, j);
            hr(en, j) = sr * yr + si * yi;
            hi(en, j) = sr * yi - si * yr;
          }
      }
      // Inverse operation (columns).
      for (int j = l + 1; j <= en; j++) {
        xr = wr[j - 1];
        xi = wi[j - 1];
        const double s = hi(j, j - 1);
        double* hrp = hr.col(j - 1);
        double* hip = hi.col(j - 1);
        double* hrj = hr.col(j);
        double* hij = hi.col(j);
        for (int i = full ? 0 : l; i <= j; i++) {
          yr = hrp[i];
          yi = 0.0;
          zzr = hrj[i];
          zzi = hij[i];
          if (i != j) {
            yi = hip[i];
            hip[i] = xr * yi + xi * yr + s * zzi;
          }
          hrp[i] = xr * yr - xi * yi + s * zzr;
          hrj[i] = xr * zzr + xi * zzi - s * yr;
          hij[i] = xr * zzi - xi * zzr - s * yi;
        }
        if (full) {
          double* zrp = zr->col(j - 1);
          double* zip = zi->col(j - 1);
          double* zrj = zr->col(j);
          double* zij = zi->col(j);
          for (int i = low; i <= igh; i++) {
            yr = zrp[i];
            yi = zip[i];
            zzr = zrj[i];
            zzi = zij[i];
            zrp[i] = xr * yr - xi * yi + s * zzr;
            zip[i] = xr * yi + xi * yr + s * zzi;
            zrj[i] = xr * zzr + xi * zzi - s * yr;
            zij[i] = xr * zzi - xi * zzr - s * yi;
          }
        }
      }
      if (si == 0.0) continue;
      for (int i = full ? 0 : l; i <= en; i++) {
        yr = hr(i, en);
        yi = hi(i, en);
        hr(i, en) = sr * yr - si * yi;
        hi(i, en) = sr * yi + si * yr;
      }
      if (full)
        for (int i = low; i <= igh; i++) {
          yr = (*zr)(i, en);
          yi = (*zi)(i, en);
          (*zr)(i, en) = sr * yr - si * yi;
          (*zi)(i, en) = sr * yi + si * yr;
        }
    }
  }
  return 0;
}

// comqr2's back substitution: eigenvectors of the triangular form, then
// multiplied by the accumulated transformations.
void comqr2Vectors(int low, int igh, Sq& hr, Sq& hi, std::vector<double>& wr, std::vector<double>& wi, Sq& zr,
                   Sq& zi) {
  const int n = hr.n;
  double norm = 0.0;
  for (int i = 0; i < n; i++)
    for (int j = i; j < n; j++) norm = std::max(norm, std::fabs(hr(i, j)) + std::fabs(hi(i, j)));
  if (n == 1 || norm == 0.0) return;
  for (int en = n - 1; en >= 1; en--) {
    const double xr = wr[en], xi = wi[en];
    hr(en, en) = 1.0;
    hi(en, en) = 0.0;
    for (int i = en - 1; i >= 0; i--) {
      double zzr = 0.0, zzi = 0.0;
      for (int j = i + 1; j <= en; j++) {
        zzr += hr(i, j) * hr(j, en) - hi(i, j) * hi(j, en);
        zzi += hr(i, j) * hi(j, en) + hi(i, j) * hr(j, en);
      }
      double yr = xr - wr[i];
      const double yi = xi - wi[i];
      if (yr == 0.0 && yi == 0.0) {
        const double tst1 = norm;
        yr = tst1;
        do {
          yr = 0.01 * yr;
        } while (norm + yr > tst1);
      }
      reportingCdiv(zzr, zzi, yr, yi, hr(i, en), hi(i, en));
      // Overflow control.
      const double tr = std::fabs(hr(i, en)) + std::fabs(hi(i, en));
      if (tr == 0.0) continue;
      if (tr + 1.0 / tr > tr) continue;
      for (int j = i; j <= en; j++) {
        hr(j, en) /= tr;
        hi(j, en) /= tr;
      }
    }
  }
  // Vectors of isolated roots.
  for (int i = 0; i < n - 1; i++) {
    if (i >= low && i <= igh) continue;
    for (int j = i + 1; j < n; j++) {
      zr(i, j) = hr(i, j);
      zi(i, j) = hi(i, j);
    }
  }
  // Multiply by the transformation matrix, column by column from the
  // right, each sum over k in the routine's order.
  std::vector<double> cr(n), ci(n);
  for (int j = n - 1; j >= low + 1; j--) {
    const int m = std::min(j, igh);
    std::fill(cr.begin(), cr.end(), 0.0);
    std::fill(ci.begin(), ci.end(), 0.0);
    for (int k = low; k <= m; k++) {
      const double hrk = hr(k, j), hik = hi(k, j);
      const double* zrk = zr.col(k);
      const double* zik = zi.col(k);
      for (int i = low; i <= igh; i++) {
        cr[i] += zrk[i] * hrk - zik[i] * hik;
        ci[i] += zrk[i] * hik + zik[i] * hrk;
      }
    }
    for (int i = low; i <= igh; i++) {
      zr(i, j) = cr[i];
      zi(i, j) = ci[i];
    }
  }
}

// htridi: unitary reduction of a Hermitian matrix (its lower triangle) to a
// real symmetric tridiagonal one: diagonal d, subdiagonal e (e[0] = 0);
// tau and the lower triangle keep the transformations for htribk.
void htridi(Sq& ar, Sq& ai, std::vector<double>& d, std::vector<double>& e, std::vector<double>& e2,
            std::vector<double>& tau1, std::vector<double>& tau2) {
  const int n = ar.n;
  tau1[n - 1] = 1.0;
  tau2[n - 1] = 0.0;
  for (int i = 0; i < n; i++) d[i] = ar(i, i);
  for (int i = n - 1; i >= 0; i--) {
    const int l = i - 1;
    double h = 0.0, scale = 0.0, f, g, si = 0.0;
    bool reduce = l >= 0;
    if (reduce) {
      for (int k = 0; k <= l; k++) scale += std::fabs(ar(i, k)) + std::fabs(ai(i, k));
      if (scale == 0.0) {
        tau1[l] = 1.0;
        tau2[l] = 0.0;
        reduce = false;
      }
    }
    if (!reduce) {
      e[i] = 0.0;
      e2[i] = 0.0;
    } else {
      for (int k = 0; k <= l; k++) {
        ar(i, k) /= scale;
        ai(i, k) /= scale;
        h += ar(i, k) * ar(i, k) + ai(i, k) * ai(i, k);
      }
      e2[i] = scale * scale * h;
      g = std::sqrt(h);
      e[i] = scale * g;
      f = pythag(ar(i, l), ai(i, l));
      // Next diagonal element of the tridiagonal matrix.
      bool formP = true;
      if (f != 0.0) {
        tau1[l] = (ai(i, l) * tau2[i] - ar(i, l) * tau1[i]) / f;
        si = (ar(i, l) * tau2[i] + ai(i, l) * tau1[i]) / f;
        h += f * g;
        g = 1.0 + g / f;
        ar(i, l) = g * ar(i, l);
        ai(i, l) = g * ai(i, l);
        if (l == 0) formP = false;
      } else {
        tau1[l] = -tau1[i];
        si = tau2[i];
        ar(i, l) = g;
      }
      if (formP) {
        f = 0.0;
        for (int j = 0; j <= l; j++) {
          g = 0.0;
          double gi = 0.0;
          // Element of A*u.
          for (int k = 0; k <= j; k++) {
            g += ar(j, k) * ar(i, k) + ai(j, k) * ai(i, k);
            gi += -ar(j, k) * ai(i, k) + ai(j, k) * ar(i, k);
          }
          for (int k = j + 1; k <= l; k++) {
            g += ar(k, j) * ar(i, k) - ai(k, j) * ai(i, k);
            gi += -ar(k, j) * ai(i, k) - ai(k, j) * ar(i, k);
          }
          // Element of p.
          e[j] = g / h;
          tau2[j] = gi / h;
          f += e[j] * ar(i, j) - tau2[j] * ai(i, j);
        }
        const double hh = f / (h + h);
        // The reduced A.
        for (int j = 0; j <= l; j++) {
          f = ar(i, j);
          g = e[j] - hh * f;
          e[j] = g;
          const double fi = -ai(i, j);
          const double gi = tau2[j] - hh * fi;
          tau2[j] = -gi;
          for (int k = 0; k <= j; k++) {
            ar(j, k) = ar(j, k) - f * e[k] - g * ar(i, k) + fi * tau2[k] + gi * ai(i, k);
            ai(j, k) = ai(j, k) - f * tau2[k] - g * ai(i, k) - fi * e[k] - gi * ar(i, k);
          }
        }
      }
      for (int k = 0; k <= l; k++) {
        ar(i, k) *= scale;
        ai(i, k) *= scale;
      }
      tau2[l] = -si;
    }
    const double hh = d[i];
    d[i] = ar(i, i);
    ar(i, i) = hh;
    ai(i, i) = scale * std::sqrt(h);
  }
}

// tql2: eigenvalues (ascending) and eigenvectors of the symmetric
// tridiagonal matrix (d, e) by the QL method with implicit shifts, the
// vectors accumulated into z. At most iterationUnit iterations per value;
// returns 0 or the index (from 1) of the value that did not converge.
int tql2(std::vector<double>& d, std::vector<double>& e, Sq& z) {
  const int n = static_cast<int>(d.size());
  if (n == 1) return 0;
  for (int i = 1; i < n; i++) e[i - 1] = e[i];
  double f = 0.0, tst1 = 0.0;
  e[n - 1] = 0.0;
  for (int l = 0; l < n; l++) {
    int j = 0;
    double h = std::fabs(d[l]) + std::fabs(e[l]);
    if (tst1 < h) tst1 = h;
    // A small subdiagonal element; e[n-1] is zero, so the loop ends.
    int m;
    for (m = l; m < n; m++)
      if (tst1 + std::fabs(e[m]) == tst1) break;
    if (m != l) {
      do {
        if (j == iterationUnit) return l + 1;
        j++;
        // Form the shift.
        const int l1 = l + 1, l2 = l1 + 1;
        double g = d[l];
        double p = (d[l1] - g) / (2.0 * e[l]);
        double r = pythag(p, 1.0);
        const double pr = p >= 0.0 ? p + std::fabs(r) : p - std::fabs(r);
        d[l] = e[l] / pr;
        d[l1] = e[l] * pr;
        const double dl1 = d[l1];
        h = g - d[l];
        for (int i = l2; i < n; i++) d[i] -= h;
        f += h;
        // QL transformation.
        p = d[m];
        double c = 1.0, c2 = c, c3 = c, s = 0.0, s2 = 0.0;
        const double el1 = e[l1];
        for (int i = m - 1; i >= l; i--) {
          c3 = c2;
          c2 = c;
          s2 = s;
          g = c * e[i];
          h = c * p;
          r = pythag(p, e[i]);
          e[i + 1] = s * r;
          s = e[i] / r;
          c = p / r;
          p = c * d[i] - s * g;
          d[i + 1] = h + s * (c * g + s * d[i]);
          // Form the vector.
          double* zi = z.col(i);
          double* zi1 = z.col(i + 1);
          for (int k = 0; k < n; k++) {
            h = zi1[k];
            zi1[k] = s * zi[k] + c * h;
            zi[k] = c * zi[k] - s * h;
          }
        }
        p = -s * s2 * c3 * el1 * e[l] / dl1;
        e[l] = s * p;
        d[l] = c * p;
      } while (tst1 + std::fabs(e[l]) > tst1);
    }
    d[l] = d[l] + f;
    e[l] = 0.0;
  }
  // Order the eigenvalues and vectors (ascending).
  for (int i = 0; i + 1 < n; i++) {
    int k = i;
    double p = d[i];
    for (int j = i + 1; j < n; j++)
      if (d[j] < p) {
        k = j;
        p = d[j];
      }
    if (k == i) continue;
    d[k] = d[i];
    d[i] = p;
    std::swap_ranges(z.col(i), z.col(i) + n, z.col(k));
  }
  return 0;
}

// htribk: eigenvectors of the tridiagonal matrix back to the Hermitian one.
void htribk(Sq& ar, Sq& ai, const std::vector<double>& tau1, const std::vector<double>& tau2, Sq& zr, Sq& zi) {
  const int n = ar.n, m = n;
  for (int k = 0; k < n; k++)
    for (int j = 0; j < m; j++) {
      zi(k, j) = -zr(k, j) * tau2[k];
      zr(k, j) = zr(k, j) * tau1[k];
    }
  for (int i = 1; i < n; i++) {
    const int l = i - 1;
    const double h = ai(i, i);
    if (h == 0.0) continue;
    for (int j = 0; j < m; j++) {
      double s = 0.0, si = 0.0;
      for (int k = 0; k <= l; k++) {
        s += ar(i, k) * zr(k, j) - ai(i, k) * zi(k, j);
        si += ar(i, k) * zi(k, j) + ai(i, k) * zr(k, j);
      }
      // Double divisions avoid possible underflow.
      s = (s / h) / h;
      si = (si / h) / h;
      for (int k = 0; k <= l; k++) {
        zr(k, j) = zr(k, j) - s * ar(i, k) - si * ai(i, k);
        zi(k, j) = zi(k, j) - si * ar(i, k) + s * ai(i, k);
      }
    }
  }
}

void splitComplex(const Matrix* A, Sq& ar, Sq& ai) {
  const int n = A->rows;
  const cplx* d = elemsOf<cplx>(A);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      ar(i, j) = d[static_cast<size_t>(i) * n + j].real();
      ai(i, j) = d[static_cast<size_t>(i) * n + j].imag();
    }
}

void joinComplex(Matrix* M, Sq& ar, Sq& ai) {
  const int n = ar.n;
  cplx* d = elemsOf<cplx>(M);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) d[static_cast<size_t>(i) * n + j] = cplx(ar(i, j), ai(i, j));
}

int complexEigen(Matrix* A, Matrix* val, Matrix* vec, const char* tag) {
  const int n = A->rows;
  Sq ar(n), ai(n);
  splitComplex(A, ar, ai);
  int low, igh;
  std::vector<double> scale(n), ortr(n, 0.0), orti(n, 0.0), wr(n, 0.0), wi(n, 0.0);
  balance({&ar, &ai}, low, igh, scale);
  corth(low, igh, ar, ai, ortr, orti);
  int ierr;
  Work<cplx> vectors(n, n);
  if (vec != nullptr) {
    Sq zr(n), zi(n);
    corthAccumulate(low, igh, ortr, orti, ar, ai, zr, zi);
    ierr = complexQR(low, igh, ar, ai, wr, wi, &zr, &zi);
    if (ierr == 0) {
      comqr2Vectors(low, igh, ar, ai, wr, wi, zr, zi);
      balbak(low, igh, scale, {&zr, &zi}, n);
      for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) vectors(i, j) = cplx(zr(i, j), zi(i, j));
      normalize_vector(vectors);
    }
  } else {
    ierr = complexQR(low, igh, ar, ai, wr, wi, nullptr, nullptr);
  }
  std::vector<cplx> values(n);
  for (int j = 0; j < n; j++)
    values[j] = ierr != 0 && j >= low && j < ierr ? cplx(0.0) : cplx(wr[j], wi[j]);
  return finishEigen(values, vectors, vec != nullptr, val, vec, ierr,
                     [&] { MatWarning(tag, "Solution will not converge", A); });
}

}  // namespace

int C_Mat_Eig(Matrix* A, Matrix* val, Matrix* vec) { return complexEigen(A, val, vec, "C_Mat_Eig()"); }
int C_Mat_EigVal(Matrix* A, Matrix* val) { return complexEigen(A, val, nullptr, "C_Mat_EigVal()"); }

int C_Mat_HermitEig(Matrix* A, Matrix* val, Matrix* vec) {
  const int n = A->rows;
  Sq ar(n), ai(n), zr(n), zi(n);
  splitComplex(A, ar, ai);
  std::vector<double> d(n), e(n), e2(n), tau1(n), tau2(n);
  htridi(ar, ai, d, e, e2, tau1, tau2);
  for (int i = 0; i < n; i++) zr(i, i) = 1.0;
  const int ierr = tql2(d, e, zr);
  htribk(ar, ai, tau1, tau2, zr, zi);
  std::vector<cplx> values(n);
  Work<cplx> vectors(n, n);
  for (int j = 0; j < n; j++) {
    values[j] = cplx(d[j], 0.0);
    for (int i = 0; i < n; i++) vectors(i, j) = cplx(zr(i, j), zi(i, j));
  }
  return finishEigen(values, vectors, true, val, vec, ierr,
                     [&] { MatWarning("C_Mat_HermitEig()", "Solution will not converge", A); });
}

int MatHermitEig(Matrix* A, Matrix** val, Matrix** vec) {
  const char* tag = "MatHermitEig()";
  MatErrorSource("heig(%s(%dx%d))", nameOf(A), A->rows, A->cols);
  if (A->class_ != MAT_REAL && A->class_ != MAT_COMPLEX) MatErrorNotRealNorComplex(A, tag);
  MatNotComplexCheck(A, tag);
  MatZeroSizeCheck(A, tag);
  MatNonSquareCheck(A, tag);
  mat_err_src[0] = '\0';
  *val = MatEigValDef(A);
  *vec = MatEigVecDef(A);
  return C_Mat_HermitEig(A, *val, *vec);
}


void C_Mat_Balance(Matrix* A, Matrix* D, Matrix* B) {
  const int n = A->rows;
  Sq ar(n), ai(n);
  splitComplex(A, ar, ai);
  int low, igh;
  std::vector<double> scale(n);
  balance({&ar, &ai}, low, igh, scale);
  Sq dr = diag_balance(low, igh, scale, n);
  double* d = MatReal(D);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) d[static_cast<size_t>(i) * n + j] = dr(i, j);
  joinComplex(B, ar, ai);
}

void C_Mat_Hessenberg(Matrix* A, Matrix* P, Matrix* H) {
  const int n = A->rows;
  Sq ar(n), ai(n), zr(n), zi(n);
  splitComplex(A, ar, ai);
  std::vector<double> ortr(n, 0.0), orti(n, 0.0);
  corth(0, n - 1, ar, ai, ortr, orti);
  corthAccumulate(0, n - 1, ortr, orti, ar, ai, zr, zi);
  for (int j = 0; j < n; j++)
    for (int i = j + 2; i < n; i++) ar(i, j) = ai(i, j) = 0.0;
  joinComplex(P, zr, zi);
  joinComplex(H, ar, ai);
}

int C_Mat_Schur(Matrix* A, Matrix* U, Matrix* T) {
  const int n = A->rows;
  Sq ar(n), ai(n), zr(n), zi(n);
  splitComplex(A, ar, ai);
  std::vector<double> ortr(n, 0.0), orti(n, 0.0), wr(n), wi(n);
  corth(0, n - 1, ar, ai, ortr, orti);
  corthAccumulate(0, n - 1, ortr, orti, ar, ai, zr, zi);
  const int ierr = complexQR(0, n - 1, ar, ai, wr, wi, &zr, &zi);
  for (int j = 0; j < n; j++)
    for (int i = j + 1; i < n; i++) ar(i, j) = ai(i, j) = 0.0;
  joinComplex(U, zr, zi);
  joinComplex(T, ar, ai);
  if (ierr != 0) {
    MatWarning("C_Mat_Schur()", "Solution will not converge", A);
    return 1;
  }
  return 0;
}
