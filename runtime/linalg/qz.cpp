#include "runtime/linalg/qz.h"

#include <algorithm>
#include <vector>

#include "runtime/core/entry.h"
#include "runtime/linalg/eigen_internal.h"
#include "runtime/linalg/linalg_internal.h"

using namespace vorn_linalg;

// EISPACK qzhes, qzit, qzval and qzvec: the QZ algorithm of Moler and
// Stewart (SIAM J. Numer. Anal. 10 (1973) 241-256) as published in the
// EISPACK Guide Extension (Garbow, Boyle, Dongarra and Moler, Springer
// LNCS 51, 1977). Column-major arrays, indices from 0 here, from 1 in the
// routines. Two changes: the left transformations are also accumulated
// into q when one is given (for the QZ factors), and qzit hands epsb to
// the later stages as a value instead of parking it in b(n, 1).

namespace {

using Sq = Square<double>;

inline double dsign(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

// The two- and three-term reflections the routines write out in their
// loops: t = x1 + u2*x2 (+ u3*x3), then xk += t*vk, on rows r1, r2 (, r3)
// of column j, or on columns c1, c2 (, c3) of row i.
inline void reflectRows2(Sq& m, int j, int r1, int r2, double u2, double v1, double v2) {
  const double t = m(r1, j) + u2 * m(r2, j);
  m(r1, j) += t * v1;
  m(r2, j) += t * v2;
}
inline void reflectCols2(Sq& m, int i, int c1, int c2, double u2, double v1, double v2) {
  const double t = m(i, c1) + u2 * m(i, c2);
  m(i, c1) += t * v1;
  m(i, c2) += t * v2;
}
inline void reflectRows3(Sq& m, int j, int r1, int r2, int r3, double u2, double u3, double v1, double v2,
                         double v3) {
  const double t = m(r1, j) + u2 * m(r2, j) + u3 * m(r3, j);
  m(r1, j) += t * v1;
  m(r2, j) += t * v2;
  m(r3, j) += t * v3;
}
inline void reflectCols3(Sq& m, int i, int c1, int c2, int c3, double u2, double u3, double v1, double v2,
                         double v3) {
  const double t = m(i, c1) + u2 * m(i, c2) + u3 * m(i, c3);
  m(i, c1) += t * v1;
  m(i, c2) += t * v2;
  m(i, c3) += t * v3;
}

// The same reflections applied to rows of q over all its columns.
void rows2(Sq* q, int r1, int r2, double u2, double v1, double v2) {
  if (q == nullptr) return;
  for (int j = 0; j < q->n; j++) reflectRows2(*q, j, r1, r2, u2, v1, v2);
}
void rows3(Sq* q, int r1, int r2, int r3, double u2, double u3, double v1, double v2, double v3) {
  if (q == nullptr) return;
  for (int j = 0; j < q->n; j++) reflectRows3(*q, j, r1, r2, r3, u2, u3, v1, v2, v3);
}

// The reflection (v1, v2) with u2 = v2 / v1 that zeroes the second of
// (a1, a2), as the routines form it.
struct Reflect2 {
  double u2, v1, v2;
};
Reflect2 reflect2(double a1, double a2, double s) {
  const double u1 = a1 / s, w2 = a2 / s;
  const double r = dsign(std::sqrt(u1 * u1 + w2 * w2), u1);
  const double v1 = -(u1 + r) / r, v2 = -w2 / r;
  return {v2 / v1, v1, v2};
}

// The complex rotation (c, sr + i si) with c real that qzval forms from
// (a1 + i a1i, a2 + i a2i); (1, 0) when the first component is zero.
struct ComplexRotation {
  double c, sr, si;
};
ComplexRotation complexRotation(double a1, double a1i, double a2, double a2i) {
  double c = std::sqrt(a1 * a1 + a1i * a1i), sr, si;
  if (c != 0.0) {
    sr = (a1 * a2 + a1i * a2i) / c;
    si = (a1 * a2i - a1i * a2) / c;
    const double r = std::sqrt(c * c + sr * sr + si * si);
    c /= r;
    sr /= r;
    si /= r;
  } else {
    sr = 1.0;
    si = 0.0;
  }
  return {c, sr, si};
}

// qzhes: B to upper triangular and A to upper Hessenberg form by
// orthogonal transformations, accumulated in z (right) and q (left).
void qzhes(Sq& a, Sq& b, Sq& z, Sq* q) {
  const int n = a.n;
  for (int j = 0; j < n; j++) {
    for (int i = 0; i < n; i++) z(i, j) = 0.0;
    z(j, j) = 1.0;
  }
  if (n <= 1) return;
  // Reduce b to upper triangular form.
  for (int l = 0; l < n - 1; l++) {
    const int l1 = l + 1;
    double s = 0.0;
    for (int i = l1; i < n; i++) s += std::fabs(b(i, l));
    if (s == 0.0) continue;
    s += std::fabs(b(l, l));
    double r = 0.0;
    for (int i = l; i < n; i++) {
      b(i, l) /= s;
      r += b(i, l) * b(i, l);
    }
    r = dsign(std::sqrt(r), b(l, l));
    b(l, l) += r;
    const double rho = r * b(l, l);
    auto reflect = [&](Sq& m, int j) {
      double t = 0.0;
      for (int i = l; i < n; i++) t += b(i, l) * m(i, j);
      t = -t / rho;
      for (int i = l; i < n; i++) m(i, j) += t * b(i, l);
    };
    for (int j = l1; j < n; j++) reflect(b, j);
    for (int j = 0; j < n; j++) reflect(a, j);
    if (q != nullptr)
      for (int j = 0; j < n; j++) reflect(*q, j);
    b(l, l) = -s * r;
    for (int i = l1; i < n; i++) b(i, l) = 0.0;
  }
  // Reduce a to upper Hessenberg form, keeping b triangular.
  for (int k = 0; k + 2 < n; k++) {
    for (int l = n - 2; l >= k + 1; l--) {
      const int l1 = l + 1;
      // Zero a(l+1, k).
      double s = std::fabs(a(l, k)) + std::fabs(a(l1, k));
      if (s == 0.0) continue;
      Reflect2 h = reflect2(a(l, k), a(l1, k), s);
      for (int j = k; j < n; j++) {
        reflectRows2(a, j, l, l1, h.u2, h.v1, h.v2);
      }
      a(l1, k) = 0.0;
      for (int j = l; j < n; j++) {
        reflectRows2(b, j, l, l1, h.u2, h.v1, h.v2);
      }
      rows2(q, l, l1, h.u2, h.v1, h.v2);
      // Zero b(l+1, l).
      s = std::fabs(b(l1, l1)) + std::fabs(b(l1, l));
      if (s == 0.0) continue;
      h = reflect2(b(l1, l1), b(l1, l), s);
      for (int i = 0; i <= l1; i++) {
        reflectCols2(b, i, l1, l, h.u2, h.v1, h.v2);
      }
      b(l1, l) = 0.0;
      for (int i = 0; i < n; i++) {
        reflectCols2(a, i, l1, l, h.u2, h.v1, h.v2);
      }
      for (int i = 0; i < n; i++) {
        reflectCols2(z, i, l1, l, h.u2, h.v1, h.v2);
      }
    }
  }
}

// qzit: A to quasi-triangular form by the double-shift QZ iteration, B
// staying triangular; budget 30 * n iterations. Returns 0, or en + 1 for
// the block that did not converge; epsb receives the negligibility level
// of b.
int qzit(Sq& a, Sq& b, Sq& z, Sq* q, double& epsb) {
  const int n = a.n;
  double anorm = 0.0, bnorm = 0.0;
  for (int i = 0; i < n; i++) {
    double ani = i != 0 ? std::fabs(a(i, i - 1)) : 0.0, bni = 0.0;
    for (int j = i; j < n; j++) {
      ani += std::fabs(a(i, j));
      bni += std::fabs(b(i, j));
    }
    anorm = std::max(anorm, ani);
    bnorm = std::max(bnorm, bni);
  }
  if (anorm == 0.0) anorm = 1.0;
  if (bnorm == 0.0) bnorm = 1.0;
  const double ep = vorn_eps;
  const double epsa = ep * anorm;
  epsb = ep * bnorm;
  const int lor1 = 0, enorn = n - 1;   // the whole matrices are transformed
  int en = n - 1;
  long itn = static_cast<long>(iterationUnit) * n;
  double a1 = 0, a2 = 0, a3 = 0, sh = 0;
  while (en > 1) {
    int its = 0;
    const int na = en - 1, enm2 = na - 1;
    bool restart = true;
    while (restart) {
      restart = false;
      int ish = 2;
      // Convergence or reducibility.
      int l = en, lm1 = en - 1;
      for (l = en; l >= 0; l--) {
        lm1 = l - 1;
        if (l == 0) break;
        if (std::fabs(a(l, lm1)) <= epsa) break;
      }
      bool isolated = false;
      int ld = 0;
      double a11 = 0, a21 = 0;
      for (;;) {   // labels 90, 95, 100, 120 of the routine
        if (l != 0) {
          a(l, lm1) = 0.0;
          if (l >= na) {   // a 1 x 1 or 2 x 2 block is isolated
            en = lm1;
            isolated = true;
            break;
          }
        }
        ld = l;
        bool smallTop = false;
        for (;;) {   // label 100: check for a small top of b
          const int l1 = l + 1;
          const double b11 = b(l, l);
          if (std::fabs(b11) <= epsb) {
            b(l, l) = 0.0;
            const double s = std::fabs(a(l, l)) + std::fabs(a(l1, l));
            const Reflect2 h = reflect2(a(l, l), a(l1, l), s);
            for (int j = l; j <= enorn; j++) {
              reflectRows2(a, j, l, l1, h.u2, h.v1, h.v2);
              reflectRows2(b, j, l, l1, h.u2, h.v1, h.v2);
            }
            rows2(q, l, l1, h.u2, h.v1, h.v2);
            if (l != 0) a(l, lm1) = -a(l, lm1);
            lm1 = l;
            l = l1;
            smallTop = true;
            break;   // back to label 90
          }
          a11 = a(l, l) / b11;
          a21 = a(l1, l) / b11;
          if (ish == 1) break;   // to label 140
          if (itn == 0) return en + 1;
          if (its == 10) {   // ad hoc shift
            a1 = 0.0;
            a2 = 1.0;
            a3 = 1.1605;
            ish = 3;
            break;
          }
          // Type of shift.
          double b22 = b(l1, l1);
          if (std::fabs(b22) < epsb) b22 = epsb;
          double b33 = b(na, na);
          if (std::fabs(b33) < epsb) b33 = epsb;
          double b44 = b(en, en);
          if (std::fabs(b44) < epsb) b44 = epsb;
          const double a33 = a(na, na) / b33, a34 = a(na, en) / b44;
          const double a43 = a(en, na) / b33, a44 = a(en, en) / b44;
          const double b34 = b(na, en) / b44;
          const double t = 0.5 * (a43 * b34 - a33 - a44);
          double r = t * t + a34 * a43 - a33 * a44;
          if (r < 0.0) {   // double shift, zeroth column of a
            const double a12 = a(l, l1) / b22, a22 = a(l1, l1) / b22, b12 = b(l, l1) / b22;
            a1 = ((a33 - a11) * (a44 - a11) - a34 * a43 + a43 * b34 * a11) / a21 + a12 - a11 * b12;
            a2 = (a22 - a11) - a21 * b12 - (a33 - a11) - (a44 - a11) + a43 * b34;
            a3 = a(l1 + 1, l1) / b22;
            ish = 4;   // the double-shift column is formed
            break;
          }
          // Single shift, zeroth column of a.
          ish = 1;
          r = std::sqrt(r);
          sh = -t + r;
          const double s = -t - r;
          if (std::fabs(s - a44) < std::fabs(sh - a44)) sh = s;
          // Two consecutive small subdiagonal elements of a.
          bool again = false;
          for (int m = enm2; m >= ld; m--) {
            if (m == ld) break;
            const int mm1 = m - 1, m1 = m + 1;
            double tt = a(m, m);
            if (std::fabs(b(m, m)) > epsb) tt -= sh * b(m, m);
            if (std::fabs(a(m, mm1)) <= std::fabs(tt / a(m1, m)) * epsa) {
              l = m;
              lm1 = mm1;
              again = true;
              break;
            }
          }
          if (!again) {
            l = ld;
            break;   // to label 140
          }
        }
        if (smallTop) continue;
        break;
      }
      if (isolated) break;
      if (ish == 1) {   // label 140
        a1 = a11 - sh;
        a2 = a21;
        if (l != ld) a(l, lm1) = -a(l, lm1);
      }
      const int shifts = ish == 1 ? 1 : 2;   // ad hoc and double shifts are double
      its++;
      itn--;
      // The QZ step.
      for (int k = l; k <= na; k++) {
        const bool notlas = k != na && shifts == 2;
        const int k1 = k + 1, k2 = k + 2;
        const int km1 = std::max(k - 1, l);
        const int ll = std::min(en, k1 + shifts);
        if (!notlas) {
          // Zero a(k+1, k-1).
          if (k != l) {
            a1 = a(k, km1);
            a2 = a(k1, km1);
          }
          const double s = std::fabs(a1) + std::fabs(a2);
          if (s == 0.0) {
            restart = true;   // back to the convergence test
            break;
          }
          const Reflect2 h = reflect2(a1, a2, s);
          for (int j = km1; j <= enorn; j++) {
            reflectRows2(a, j, k, k1, h.u2, h.v1, h.v2);
            reflectRows2(b, j, k, k1, h.u2, h.v1, h.v2);
          }
          rows2(q, k, k1, h.u2, h.v1, h.v2);
          if (k != l) a(k1, km1) = 0.0;
        } else {
          // Zero a(k+1, k-1) and a(k+2, k-1).
          if (k != l) {
            a1 = a(k, km1);
            a2 = a(k1, km1);
            a3 = a(k2, km1);
          }
          double s = std::fabs(a1) + std::fabs(a2) + std::fabs(a3);
          if (s == 0.0) continue;
          double u1 = a1 / s, u2 = a2 / s, u3 = a3 / s;
          double r = dsign(std::sqrt(u1 * u1 + u2 * u2 + u3 * u3), u1);
          double v1 = -(u1 + r) / r, v2 = -u2 / r, v3 = -u3 / r;
          u2 = v2 / v1;
          u3 = v3 / v1;
          for (int j = km1; j <= enorn; j++) {
            reflectRows3(a, j, k, k1, k2, u2, u3, v1, v2, v3);
            reflectRows3(b, j, k, k1, k2, u2, u3, v1, v2, v3);
          }
          rows3(q, k, k1, k2, u2, u3, v1, v2, v3);
          if (k != l) {
            a(k1, km1) = 0.0;
            a(k2, km1) = 0.0;
          }
          // Zero b(k+2, k+1) and b(k+2, k).
          s = std::fabs(b(k2, k2)) + std::fabs(b(k2, k1)) + std::fabs(b(k2, k));
          if (s != 0.0) {
            u1 = b(k2, k2) / s;
            u2 = b(k2, k1) / s;
            u3 = b(k2, k) / s;
            r = dsign(std::sqrt(u1 * u1 + u2 * u2 + u3 * u3), u1);
            v1 = -(u1 + r) / r;
            v2 = -u2 / r;
            v3 = -u3 / r;
            u2 = v2 / v1;
            u3 = v3 / v1;
            for (int i = lor1; i <= ll; i++) {
              reflectCols3(a, i, k2, k1, k, u2, u3, v1, v2, v3);
              reflectCols3(b, i, k2, k1, k, u2, u3, v1, v2, v3);
            }
            b(k2, k) = 0.0;
            b(k2, k1) = 0.0;
            for (int i = 0; i < n; i++) {
              reflectCols3(z, i, k2, k1, k, u2, u3, v1, v2, v3);
            }
          }
        }
        // Zero b(k+1, k).
        const double s = std::fabs(b(k1, k1)) + std::fabs(b(k1, k));
        if (s == 0.0) continue;
        const Reflect2 h = reflect2(b(k1, k1), b(k1, k), s);
        for (int i = lor1; i <= ll; i++) {
          reflectCols2(a, i, k1, k, h.u2, h.v1, h.v2);
          reflectCols2(b, i, k1, k, h.u2, h.v1, h.v2);
        }
        b(k1, k) = 0.0;
        for (int i = 0; i < n; i++) {
          reflectCols2(z, i, k1, k, h.u2, h.v1, h.v2);
        }
      }
      if (!restart) restart = true;   // end of the QZ step: test again
    }
  }
  return 0;
}

// qzval: the generalized eigenvalues (alfr + i alfi) / beta of the
// quasi-triangular pencil, splitting 2 x 2 blocks with real eigenvalues.
void qzval(Sq& a, Sq& b, std::vector<double>& alfr, std::vector<double>& alfi, std::vector<double>& beta,
           Sq& z, Sq* q, double epsb) {
  const int n = a.n;
  int isw = 1;
  for (int en = n - 1; en >= 0; en--) {
    const int na = en - 1;
    if (isw == 2) {
      isw = 3 - isw;
      continue;
    }
    if (en == 0 || a(en, na) == 0.0) {   // a 1 x 1 block, one real root
      alfr[en] = a(en, en);
      if (b(en, en) < 0.0) alfr[en] = -alfr[en];
      beta[en] = std::fabs(b(en, en));
      alfi[en] = 0.0;
      continue;
    }
    // A 2 x 2 block.
    double an = 0, bn = 0, e = 0, ei, a1, a2, a11 = 0, a12 = 0, a21 = 0, a22 = 0, b11 = 0, b12 = 0, b22 = 0;
    double c = 0, d = 0;
    bool complexPair = false;
    enum { kChooseZ, kQFromA, kDone } step;
    if (std::fabs(b(na, na)) <= epsb) {
      a1 = a(na, na);
      a2 = a(en, na);
      step = kQFromA;
    } else if (std::fabs(b(en, en)) <= epsb) {
      a1 = a(en, en);
      a2 = a(en, na);
      bn = 0.0;
      step = kChooseZ;
    } else {
      an = std::fabs(a(na, na)) + std::fabs(a(na, en)) + std::fabs(a(en, na)) + std::fabs(a(en, en));
      bn = std::fabs(b(na, na)) + std::fabs(b(na, en)) + std::fabs(b(en, en));
      a11 = a(na, na) / an;
      a12 = a(na, en) / an;
      a21 = a(en, na) / an;
      a22 = a(en, en) / an;
      b11 = b(na, na) / bn;
      b12 = b(na, en) / bn;
      b22 = b(en, en) / bn;
      e = a11 / b11;
      ei = a22 / b22;
      const double s = a21 / (b11 * b22);
      double t = (a22 - e * b22) / b22;
      if (std::fabs(e) > std::fabs(ei)) {
        e = ei;
        t = (a11 - e * b11) / b11;
      }
      c = 0.5 * (t - s * b12);
      d = c * c + s * (a12 - e * b12);
      if (d < 0.0) {
        complexPair = true;
        step = kDone;
        a1 = a2 = 0.0;
      } else {
        // Two real roots: zero both a(en, na) and b(en, na).
        e = e + (c + dsign(std::sqrt(d), c));
        a11 -= e * b11;
        a12 -= e * b12;
        a22 -= e * b22;
        if (std::fabs(a11) + std::fabs(a12) < std::fabs(a21) + std::fabs(a22)) {
          a1 = a22;
          a2 = a21;
        } else {
          a1 = a12;
          a2 = a11;
        }
        step = kChooseZ;
      }
    }
    if (!complexPair) {
      if (step == kChooseZ) {   // choose and apply real z
        const double s = std::fabs(a1) + std::fabs(a2);
        const Reflect2 h = reflect2(a1, a2, s);
        for (int i = 0; i <= en; i++) {
          reflectCols2(a, i, en, na, h.u2, h.v1, h.v2);
          reflectCols2(b, i, en, na, h.u2, h.v1, h.v2);
        }
        for (int i = 0; i < n; i++) {
          reflectCols2(z, i, en, na, h.u2, h.v1, h.v2);
        }
        if (bn == 0.0) {
          step = kDone;
        } else if (an < std::fabs(e) * bn) {
          a1 = a(na, na);
          a2 = a(en, na);
          step = kQFromA;
        } else {
          a1 = b(na, na);
          a2 = b(en, na);
          step = kQFromA;
        }
      }
      if (step == kQFromA) {   // choose and apply real q
        const double s = std::fabs(a1) + std::fabs(a2);
        if (s != 0.0) {
          const Reflect2 h = reflect2(a1, a2, s);
          for (int j = na; j < n; j++) {
            reflectRows2(a, j, na, en, h.u2, h.v1, h.v2);
            reflectRows2(b, j, na, en, h.u2, h.v1, h.v2);
          }
          rows2(q, na, en, h.u2, h.v1, h.v2);
        }
      }
      a(en, na) = 0.0;
      b(en, na) = 0.0;
      alfr[na] = a(na, na);
      alfr[en] = a(en, en);
      if (b(na, na) < 0.0) alfr[na] = -alfr[na];
      if (b(en, en) < 0.0) alfr[en] = -alfr[en];
      beta[na] = std::fabs(b(na, na));
      beta[en] = std::fabs(b(en, en));
      alfi[en] = 0.0;
      alfi[na] = 0.0;
    } else {
      // Two complex roots.
      e = e + c;
      ei = std::sqrt(-d);
      const double a11r = a11 - e * b11, a11i = ei * b11;
      const double a12r = a12 - e * b12, a12i = ei * b12;
      const double a22r = a22 - e * b22, a22i = ei * b22;
      double a1i, a2i;
      if (std::fabs(a11r) + std::fabs(a11i) + std::fabs(a12r) + std::fabs(a12i) <
          std::fabs(a21) + std::fabs(a22r) + std::fabs(a22i)) {
        a1 = a22r;
        a1i = a22i;
        a2 = -a21;
        a2i = 0.0;
      } else {
        a1 = a12r;
        a1i = a12i;
        a2 = -a11r;
        a2i = -a11i;
      }
      // Complex z.
      const ComplexRotation zr = complexRotation(a1, a1i, a2, a2i);
      const double cz = zr.c, szr = zr.sr, szi = zr.si;
      if (an < (std::fabs(e) + ei) * bn) {
        a1 = cz * b11 + szr * b12;
        a1i = szi * b12;
        a2 = szr * b22;
        a2i = szi * b22;
      } else {
        a1 = cz * a11 + szr * a12;
        a1i = szi * a12;
        a2 = cz * a21 + szr * a22;
        a2i = szi * a22;
      }
      // Complex q.
      const ComplexRotation qr = complexRotation(a1, a1i, a2, a2i);
      const double cq = qr.c, sqr = qr.sr, sqi = qr.si;
      // The diagonal elements the transformations would give.
      const double ssr = sqr * szr + sqi * szi, ssi = sqr * szi - sqi * szr;
      for (int i = 1; i <= 2; i++) {
        double tr, ti, dr, di;
        if (i == 1) {
          tr = cq * cz * a11 + cq * szr * a12 + sqr * cz * a21 + ssr * a22;
          ti = cq * szi * a12 - sqi * cz * a21 + ssi * a22;
          dr = cq * cz * b11 + cq * szr * b12 + ssr * b22;
          di = cq * szi * b12 + ssi * b22;
        } else {
          tr = ssr * a11 - sqr * cz * a12 - cq * szr * a21 + cq * cz * a22;
          ti = -ssi * a11 - sqi * cz * a12 + cq * szi * a21;
          dr = ssr * b11 - sqr * cz * b12 + cq * cz * b22;
          di = -ssi * b11 - sqi * cz * b12;
        }
        const double t = ti * dr - tr * di;
        const int j = t < 0.0 ? en : na;
        const double r = std::sqrt(dr * dr + di * di);
        beta[j] = bn * r;
        alfr[j] = an * (tr * dr + ti * di) / r;
        alfi[j] = an * t / r;
      }
    }
    isw = 3 - isw;
  }
}

// qzvec: eigenvectors of the quasi-triangular pencil by back substitution
// (stored in b's upper triangle), transformed by z; each scaled so that
// its largest component has modulus 1.
void qzvec(Sq& a, Sq& b, const std::vector<double>& alfr, const std::vector<double>& alfi,
           const std::vector<double>& beta, Sq& z, double epsb) {
  const int n = a.n;
  int isw = 1;
  for (int en = n - 1; en >= 0; en--) {
    const int na = en - 1;
    if (isw == 2) {
      isw = 3 - isw;
      continue;
    }
    if (alfi[en] == 0.0) {   // real vector
      int m = en;
      b(en, en) = 1.0;
      if (en == 0) continue;
      const double alfm = alfr[m], betm = beta[m];
      double zz = 0, s = 0;
      for (int i = en - 1; i >= 0; i--) {
        const double w = betm * a(i, i) - alfm * b(i, i);
        double r = 0.0;
        for (int j = m; j <= en; j++) r += (betm * a(i, j) - alfm * b(i, j)) * b(j, en);
        if (i != 0 && isw != 2 && betm * a(i, i - 1) != 0.0) {
          zz = w;
          s = r;
          isw = 3 - isw;
          continue;
        }
        m = i;
        if (isw == 2) {   // a real 2 x 2 block
          const double x = betm * a(i, i + 1) - alfm * b(i, i + 1);
          const double y = betm * a(i + 1, i);
          const double qq = w * zz - x * y;
          const double t = (x * s - zz * r) / qq;
          b(i, en) = t;
          if (std::fabs(x) > std::fabs(zz))
            b(i + 1, en) = (-r - w * t) / x;
          else
            b(i + 1, en) = (-s - y * t) / zz;
          isw = 3 - isw;
        } else {   // a real 1 x 1 block
          double t = w;
          if (w == 0.0) t = epsb;
          b(i, en) = -r / t;
        }
      }
      continue;
    }
    // Complex vector; the last component chosen imaginary so that the
    // eigenvector matrix is triangular.
    int m = na;
    const double almr = alfr[m], almi = alfi[m], betm = beta[m];
    double y = betm * a(en, na);
    b(na, na) = -almi * b(en, en) / y;
    b(na, en) = (almr * b(en, en) - betm * a(en, en)) / y;
    b(en, na) = 0.0;
    b(en, en) = 1.0;
    double zz = 0, z1 = 0, r = 0, s = 0;
    for (int i = na - 1; i >= 0; i--) {
      const double w = betm * a(i, i) - almr * b(i, i);
      const double w1 = -almi * b(i, i);
      double ra = 0.0, sa = 0.0;
      for (int j = m; j <= en; j++) {
        const double x = betm * a(i, j) - almr * b(i, j);
        const double x1 = -almi * b(i, j);
        ra += x * b(j, na) - x1 * b(j, en);
        sa += x * b(j, en) + x1 * b(j, na);
      }
      if (i != 0 && isw != 2 && betm * a(i, i - 1) != 0.0) {
        zz = w;
        z1 = w1;
        r = ra;
        s = sa;
        isw = 2;
        continue;
      }
      m = i;
      auto divide = [](double tr, double ti, double dr, double di, double& t1, double& t2) {
        if (std::fabs(di) > std::fabs(dr)) {
          const double rr = dr / di, dd = dr * rr + di;
          t1 = (tr * rr + ti) / dd;
          t2 = (ti * rr - tr) / dd;
        } else {
          const double rr = di / dr, dd = dr + di * rr;
          t1 = (tr + ti * rr) / dd;
          t2 = (ti - tr * rr) / dd;
        }
      };
      double t1, t2;
      if (isw == 2) {   // a complex 2 x 2 block
        const double x = betm * a(i, i + 1) - almr * b(i, i + 1);
        const double x1 = -almi * b(i, i + 1);
        y = betm * a(i + 1, i);
        double tr = y * ra - w * r + w1 * s;
        double ti = y * sa - w * s - w1 * r;
        double dr = w * zz - w1 * z1 - x * y;
        const double di = w * z1 + w1 * zz - x1 * y;
        if (dr == 0.0 && di == 0.0) dr = epsb;
        divide(tr, ti, dr, di, t1, t2);
        b(i + 1, na) = t1;
        b(i + 1, en) = t2;
        isw = 1;
        if (std::fabs(y) > std::fabs(w) + std::fabs(w1)) {
          t1 = (-r - zz * b(i + 1, na) + z1 * b(i + 1, en)) / y;
          t2 = (-s - zz * b(i + 1, en) - z1 * b(i + 1, na)) / y;
        } else {
          tr = -ra - x * b(i + 1, na) + x1 * b(i + 1, en);
          ti = -sa - x * b(i + 1, en) - x1 * b(i + 1, na);
          divide(tr, ti, w, w1, t1, t2);
        }
      } else {   // a complex 1 x 1 block
        divide(-ra, -sa, w, w1, t1, t2);
      }
      b(i, na) = t1;
      b(i, en) = t2;
    }
    isw = 3 - isw;
  }
  // Back to the original coordinates: column j of z becomes
  // z(:, 0..j) * b(0..j, j), each sum in the routine's order.
  std::vector<double> col(n);
  for (int j = n - 1; j >= 0; j--) {
    std::fill(col.begin(), col.end(), 0.0);
    for (int k = 0; k <= j; k++) {
      const double bkj = b(k, j);
      const double* zk = z.col(k);
      for (int i = 0; i < n; i++) col[i] += zk[i] * bkj;
    }
    for (int i = 0; i < n; i++) z(i, j) = col[i];
  }
  // The largest component of modulus 1.
  isw = 1;
  for (int j = 0; j < n; j++) {
    double d = 0.0;
    if (isw == 2) {
      for (int i = 0; i < n; i++) {
        double r = std::fabs(z(i, j - 1)) + std::fabs(z(i, j));
        if (r != 0.0) r *= std::sqrt((z(i, j - 1) / r) * (z(i, j - 1) / r) + (z(i, j) / r) * (z(i, j) / r));
        d = std::max(d, r);
      }
      if (d != 0.0)
        for (int i = 0; i < n; i++) {
          z(i, j - 1) /= d;
          z(i, j) /= d;
        }
    } else if (alfi[j] == 0.0) {
      for (int i = 0; i < n; i++) d = std::max(d, std::fabs(z(i, j)));
      if (d != 0.0)
        for (int i = 0; i < n; i++) z(i, j) /= d;
      continue;
    }
    isw = 3 - isw;
  }
}

// The whole chain; vec, AA, BB, Q and Z each optional.
int generalized(Matrix* A, Matrix* B, Matrix* val, Matrix* vec, Matrix* AA, Matrix* BB, Matrix* Q, Matrix* Z,
                const char* tag) {
  const int n = A->rows;
  Sq a = squareOf(A), b = squareOf(B), z(n), q(n);
  for (int i = 0; i < n; i++) q(i, i) = 1.0;
  Sq* qp = Q != nullptr ? &q : nullptr;
  qzhes(a, b, z, qp);
  double epsb;
  const int ierr = qzit(a, b, z, qp, epsb);
  std::vector<double> alfr(n, 0.0), alfi(n, 0.0), beta(n, 1.0);
  std::vector<cplx> values(n, cplx(0.0));
  Work<cplx> vectors(n, n);
  if (ierr == 0) {
    qzval(a, b, alfr, alfi, beta, z, qp, epsb);
    if (AA != nullptr) storeSquare(AA, a);
    if (BB != nullptr) storeSquare(BB, b);
    if (Z != nullptr) storeSquare(Z, z);
    if (Q != nullptr) storeSquare(Q, q);
    for (int j = 0; j < n; j++)
      values[j] = cplx(alfr[j] / beta[j], alfi[j] == 0.0 ? 0.0 : alfi[j] / beta[j]);
    if (vec != nullptr) {
      qzvec(a, b, alfr, alfi, beta, z, epsb);
      complexColumns(z, alfi, vectors);
      normalize_vector(vectors);
    }
  } else {
    if (AA != nullptr) storeSquare(AA, a);
    if (BB != nullptr) storeSquare(BB, b);
    if (Z != nullptr) storeSquare(Z, z);
    if (Q != nullptr) storeSquare(Q, q);
  }
  return finishEigen(values, vectors, vec != nullptr, val, vec, ierr,
                     [&] { MatWarning2(tag, "Solution will not converge", A, B); });
}

void checkPair(Matrix* A, Matrix* B, const char* word, const char* tag) {
  auto source = [&] {
    MatErrorSource("%s(%s(%dx%d), %s(%dx%d))", word, nameOf(A), A->rows, A->cols, nameOf(B), B->rows, B->cols);
  };
  if (A->class_ != MAT_REAL && A->class_ != MAT_COMPLEX) {
    source();
    MatErrorNotRealNorComplex2(A, B, tag);
  }
  if (B->class_ != MAT_REAL && B->class_ != MAT_COMPLEX) {
    source();
    MatErrorNotRealNorComplex2(A, B, tag);
  }
  if (A->rows == 0 || A->cols == 0 || B->rows == 0 || B->cols == 0) {
    source();
    MatError2(tag, "Zero-size matrix", A, B);
  }
  if (A->rows != A->cols || B->rows != B->cols) {
    source();
    MatError2(tag, "Not square matrices", A, B);
  }
  if (A->rows != B->rows) {
    source();
    MatError2(tag, "Not same size", A, B);
  }
}

bool complexPair(Matrix* A, Matrix* B) {
  return (A->class_ == MAT_COMPLEX && !hasZeroImaginary(A)) || (B->class_ == MAT_COMPLEX && !hasZeroImaginary(B));
}


}  // namespace

int Mat_GEig(Matrix* A, Matrix* B, Matrix* val, Matrix* vec) {
  return generalized(A, B, val, vec, nullptr, nullptr, nullptr, nullptr, "Mat_GEig()");
}

int Mat_GEigVal(Matrix* A, Matrix* B, Matrix* val) {
  return generalized(A, B, val, nullptr, nullptr, nullptr, nullptr, nullptr, "Mat_GEigVal()");
}

int Mat_QZ(Matrix* A, Matrix* B, Matrix* AA, Matrix* BB, Matrix* Q, Matrix* Z, Matrix* V) {
  return generalized(A, B, nullptr, V, AA, BB, Q, Z, "Mat_QZ()");
}

int MatGEig(Matrix* A, Matrix* B, Matrix** val, Matrix** vec) {
  checkPair(A, B, "eig", "MatGEig()");
  if (complexPair(A, B)) {
    *val = C_MatNonNameDef(A->rows, 1);
    *vec = C_MatNonNameDef(A->rows, A->rows);
    return C_Mat_GEig(A, B, *val, *vec);
  }
  Matrix* a = realOperand(A);
  Matrix* b = realOperand(B);
  *val = C_MatNonNameDef(A->rows, 1);
  *vec = C_MatNonNameDef(A->rows, A->rows);
  const int status = Mat_GEig(a, b, *val, *vec);
  releaseIfMade(a, A);
  releaseIfMade(b, B);
  return status;
}

Matrix* MatGEigVal(Matrix* A, Matrix* B) {
  checkPair(A, B, "eigval", "MatGEigVal()");
  if (complexPair(A, B)) {
    Matrix* val = C_MatNonNameDef(A->rows, 1);
    C_Mat_GEigVal(A, B, val);
    return val;
  }
  Matrix* a = realOperand(A);
  Matrix* b = realOperand(B);
  Matrix* val = C_MatNonNameDef(A->rows, 1);
  Mat_GEigVal(a, b, val);
  releaseIfMade(a, A);
  releaseIfMade(b, B);
  return val;
}

Matrix* MatGEigVec(Matrix* A, Matrix* B) {
  checkPair(A, B, "eigvec", "MatGEigVec()");
  Matrix *val, *vec;
  if (complexPair(A, B)) {
    val = C_MatNonNameDef(A->rows, 1);
    vec = C_MatNonNameDef(A->rows, A->rows);
    C_Mat_GEig(A, B, val, vec);
    MatUndef(val);
    return vec;
  }
  Matrix* a = realOperand(A);
  Matrix* b = realOperand(B);
  val = C_MatNonNameDef(A->rows, 1);
  vec = C_MatNonNameDef(A->rows, A->rows);
  Mat_GEig(a, b, val, vec);
  releaseIfMade(a, A);
  releaseIfMade(b, B);
  MatUndef(val);
  return vec;
}

Matrix* MatGEigValVec(Matrix* A, Matrix* B) {
  checkPair(A, B, "eig", "MatGEigValVec()");
  const int n = A->rows;
  Matrix* val = C_MatNonNameDef(n, 1);
  Matrix* vec = C_MatNonNameDef(n, n);
  if (complexPair(A, B)) {
    C_Mat_GEig(A, B, val, vec);
  } else {
    Matrix* a = realOperand(A);
    Matrix* b = realOperand(B);
    Mat_GEig(a, b, val, vec);
    releaseIfMade(a, A);
    releaseIfMade(b, B);
  }
  return valuesBesideVectors(val, vec);
}

int MatQZ(Matrix* A, Matrix* B, Matrix** AA, Matrix** BB, Matrix** Q, Matrix** Z, Matrix** V) {
  checkPair(A, B, "qz", "MatQZ()");
  const int n = A->rows;
  if (complexPair(A, B)) {
    *AA = C_MatNonNameDef(n, n);
    *BB = C_MatNonNameDef(n, n);
    *Q = C_MatNonNameDef(n, n);
    *Z = C_MatNonNameDef(n, n);
    *V = C_MatNonNameDef(n, n);
    return C_Mat_QZ(A, B, *AA, *BB, *Q, *Z, *V);
  }
  Matrix* a = realOperand(A);
  Matrix* b = realOperand(B);
  *AA = MatNonNameDef(n, n);
  *BB = MatNonNameDef(n, n);
  *Q = MatNonNameDef(n, n);
  *Z = MatNonNameDef(n, n);
  *V = C_MatNonNameDef(n, n);
  const int status = Mat_QZ(a, b, *AA, *BB, *Q, *Z, *V);
  releaseIfMade(a, A);
  releaseIfMade(b, B);
  return status;
}
