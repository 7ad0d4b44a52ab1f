// Eigenvalues and eigenvectors (general real and complex, Hermitian),
// balancing, Hessenberg and Schur forms and the companion matrix: the
// exact small cases and the order, residual properties over random
// matrices of every kind, eigenvalues against a LAPACK when one is linked
// in, the non-convergence path and the reports.
#include <random>

#include "linalg/dense.h"
#include "runtime/linalg/linalg_internal.h"
#include "support/values.h"
#include "support/vorn_test.h"

#ifdef VORN_TEST_LAPACK
extern "C" void dgeev_(const char* jobvl, const char* jobvr, const int* n, double* a, const int* lda,
                       double* wr, double* wi, double* vl, const int* ldvl, double* vr, const int* ldvr,
                       double* work, const int* lwork, int* info);
extern "C" void zgeev_(const char* jobvl, const char* jobvr, const int* n, void* a, const int* lda, void* w,
                       void* vl, const int* ldvl, void* vr, const int* ldvr, void* work, const int* lwork,
                       double* rwork, int* info);
#endif

namespace {

using namespace vorn_values;
using dense::C;
using dense::kEps;
using dense::Close;
using dense::Within;
using EigenTest = VornTest;
using EigenDeathTest = VornTest;

dense::M diagonalOf(const dense::M& v) {
  dense::M d(v.r, v.r);
  for (int k = 0; k < v.r; k++) d(k, k) = v.a[k];
  return d;
}

TEST_F(EigenTest, ValuesOfSmallMatricesInTheirOrder) {
  ExpectMatrix(MatEigVal(Real("A", 2, 2, {2, 0, 0, 3})), 2, 1, MAT_COMPLEX, {3, 0, 2, 0});
  ExpectMatrix(MatEigVal(Real("A", 2, 2, {0, 1, -1, 0})), 2, 1, MAT_COMPLEX, {0, 1, 0, -1});
  ExpectMatrix(MatEigVal(Real("A", 1, 1, {-4})), 1, 1, MAT_COMPLEX, {-4, 0});
  ExpectMatrix(MatEigVal(Complex2("A", 1, 1, {1, 2})), 1, 1, MAT_COMPLEX, {1, 2});
  Matrix *val, *vec;
  EXPECT_EQ(MatEig(Real("A", 2, 2, {0, 1, -1, 0}), &val, &vec), 0);
  const dense::M v = dense::of(vec);
  EXPECT_NEAR(std::abs(v(0, 0) / v(1, 0) - C(0, -1)), 0, 1e-15);   // (1, i)/sqrt(2) up to a factor
}

TEST_F(EigenTest, ComplexWithoutImaginaryPartsGivesTheRealResults) {
  Matrix* A = Real("A", 3, 3, {4, 1, -2, 2, 3, 0, 1, 1, 5});
  Matrix* Z = MatRealToComp(A);
  EXPECT_TRUE(SameBits(valuesOf(MatEigVal(Z)), valuesOf(MatEigVal(A))));
  EXPECT_TRUE(SameBits(valuesOf(MatEigValVec(Z)), valuesOf(MatEigValVec(A))));
  ExpectShape(MatEigValVec(A), 3, 4, MAT_COMPLEX);
}

// The companion matrix's eigenvalues are the roots, within the accuracy
// the companion form allows (it grows with the roots' spread).
TEST_F(EigenTest, CompanionMatrixGivesPolynomialRoots) {
  // (s - 1)(s - 2)...(s - 10): the negated coefficients from the constant term up.
  Matrix* comp =
      MatCompanion(Row({-3628800, 10628640, -12753576, 8409500, -3416930, 902055, -157773, 18150, -1320, 55}));
  ExpectShape(comp, 10, 10, MAT_REAL);
  EXPECT_EQ(MatReal(comp)[1], 1.0);
  const dense::M roots = dense::of(MatEigVal(comp));
  for (int k = 0; k < 10; k++) {
    EXPECT_NEAR(roots.a[k].real(), 10 - k, 1e-8);
    EXPECT_NEAR(roots.a[k].imag(), 0, 1e-8);
  }
  // (s - i)(s - 2) = s^2 - (2 + i) s + 2i: the negated row is (-2i, 2 + i).
  const dense::M z = dense::of(MatEigVal(MatCompanion(Complex2("c", 1, 2, {0, -2, 2, 1}))));
  EXPECT_NEAR(std::abs(z.a[0] - C(2, 0)), 0, 1e-14);
  EXPECT_NEAR(std::abs(z.a[1] - C(0, 1)), 0, 1e-14);
}

TEST_F(EigenTest, BalancingScalesAndIsolates) {
  // A badly scaled matrix: balancing brings row and column norms together
  // with powers of 16, and D^-1 A D = B.
  Matrix* A = Real("A", 3, 3, {1, 1e6, 0, 1e-6, 1, 1e6, 0, 1e-6, 1});
  Matrix *D, *B;
  MatBalance(A, &D, &B);
  const dense::M a = dense::of(A), d = dense::of(D), b = dense::of(B);
  EXPECT_TRUE(Close(dense::mul(a, d), dense::mul(d, b), 1e-9, "AD - DB"));
  EXPECT_LT(std::abs(b(0, 1)), 1e3);
  for (int k = 0; k < 3; k++) EXPECT_EQ(std::log2(std::abs(d(k, k))), std::round(std::log2(std::abs(d(k, k)))));
  // An upper triangular matrix isolates every eigenvalue: D is a permutation.
  MatBalance(Real("T", 2, 2, {1, 2, 0, 3}), &D, &B);
  for (double x : valuesOf(D)) EXPECT_TRUE(x == 0.0 || x == 1.0);
}

TEST_F(EigenTest, ExhaustedBudgetWarnsAndReturnsOne) {
  const int saved = vorn_linalg::iterationUnit;
  vorn_linalg::iterationUnit = 0;
  const V re = {1, 2, 3, 4, 5, 6, 7, 8, 10};
  V cx = {1, 1, 2, 0, 3, 0, 4, 0, 5, 1, 6, 0, 7, 0, 8, 0, 10, 0};
  Matrix *val, *vec, *U, *T;
  int status = 0;
  struct Case {
    std::function<int()> run;
    const char* tag;
  } cases[] = {
      {[&] { return MatEig(Real("A", 3, 3, re), &val, &vec); }, "Mat_Eig()"},
      {[&] { return Mat_EigVal(Real("A", 3, 3, re), MatEigValDef(Real("A", 3, 3, re))); }, "Mat_EigVal()"},
      {[&] { return MatEig(Complex2("A", 3, 3, cx), &val, &vec); }, "C_Mat_Eig()"},
      {[&] { return MatSchur(Real("A", 3, 3, re), &U, &T); }, "Mat_Schur()"},
      {[&] { return MatSchur(Complex2("A", 3, 3, cx), &U, &T); }, "C_Mat_Schur()"},
      {[&] { return MatHermitEig(Complex2("A", 2, 2, {2, 0, 0, 1, 0, -1, 2, 0}), &val, &vec); },
       "C_Mat_HermitEig()"},
  };
  for (const Case& c : cases) {
    const std::string err = StderrOf([&] { status = c.run(); });
    EXPECT_EQ(status, 1) << c.tag;
    EXPECT_NE(err.find("Solution will not converge for 'A("), std::string::npos) << err;
    EXPECT_NE(err.find(std::string(" in ") + c.tag + ".\n"), std::string::npos) << err;
  }
  // A failed iteration keeps the values it found (70, isolated by
  // balancing, included) and gives no eigenvectors.
  StderrOf([&] { status = MatEig(Real("A", 4, 4, {1, 2, 3, 5, 4, 5, 6, 5, 7, 8, 10, 5, 0, 0, 0, 70}), &val, &vec); });
  vorn_linalg::iterationUnit = saved;
  EXPECT_EQ(status, 1);
  const dense::M l = dense::of(val), v = dense::of(vec);
  EXPECT_EQ(l.a[0], C(70.0));
  for (int k = 1; k < 4; k++) EXPECT_EQ(l.a[k], C(0.0));
  for (const C& x : v.a) EXPECT_EQ(x, C(0.0));
}

// A real matrix's complex eigenvalues come in conjugate pairs, positive
// imaginary part first, with conjugate eigenvectors.
TEST_F(EigenTest, RealMatricesGiveConjugatePairs) {
  std::mt19937 gen(31);
  for (int n : {2, 5, 12, 30}) {
    const dense::M a = dense::random(n, n, dense::kGauss, false, gen);
    Matrix *val, *vec;
    ASSERT_EQ(MatEig(dense::toMatrix(a, false), &val, &vec), 0);
    const dense::M l = dense::of(val), v = dense::of(vec);
    for (int k = 0; k < n; k++) {
      if (l.a[k].imag() <= 0.0) continue;
      ASSERT_LT(k + 1, n);
      EXPECT_EQ(l.a[k + 1], std::conj(l.a[k]));
      for (int i = 0; i < n; i++) EXPECT_EQ(v(i, k + 1), std::conj(v(i, k)));
      k++;
    }
    MatObjectTmpUndef();
  }
}

// Eigenvalues spread over sixteen orders of magnitude, hidden by a
// diagonal similarity: balancing recovers each to its own relative
// precision.
TEST_F(EigenTest, BalancingKeepsSmallEigenvaluesAccurate) {
  const double d[4] = {1, 1e4, 1e-4, 1e8}, lambda[4] = {1e6, 1.0, 1e-3, 1e-8};
  dense::M a(4, 4);  // D T D^-1, T upper triangular with lambda on its diagonal
  for (int i = 0; i < 4; i++)
    for (int j = i; j < 4; j++) a(i, j) = d[i] * (j == i ? lambda[i] : 1e-9 * (i + j)) / d[j];
  for (bool complex : {false, true}) {
    const dense::M v = dense::of(MatEigVal(dense::toMatrix(a, complex)));
    for (int k = 0; k < 4; k++) EXPECT_NEAR(v.a[k].real(), lambda[k], 1e-12 * lambda[k]) << complex;
  }
}

const int kOrders[] = {1, 2, 3, 4, 5, 8, 13, 17, 31, 60};

TEST_F(EigenTest, EigenpairsAndFormsReproduceTheMatrix) {
  std::mt19937 gen(11);
  for (bool complex : {false, true})
    for (int n : kOrders)
      for (int kind = 0; kind < dense::kKinds; kind++) {
        SCOPED_TRACE(std::string(dense::kindName(kind)) + (complex ? " complex " : " real ") + std::to_string(n));
        const dense::M a = dense::random(n, n, kind, complex, gen);
        Matrix* A = dense::toMatrix(a, complex);
        const double na = dense::norm(a), tol = 50 * n * kEps;
        Matrix *val, *vec;
        ASSERT_EQ(MatEig(A, &val, &vec), 0);
        const dense::M lv = dense::of(val), v = dense::of(vec);
        EXPECT_TRUE(dense::Descending(lv));
        // Defective matrices have nearly parallel vectors: the residual still
        // holds, to the cube root of the precision for a block of three.
        // Balancing keeps the backward error small against the balanced
        // matrix, which a badly scaled A's norm does not measure.
        const double bound = kind == dense::kJordan        ? 1e-4 * (1 + na)
                             : kind == dense::kBadlyScaled ? 1e-10 * na
                                                           : tol * na;
        EXPECT_TRUE(Close(dense::mul(a, v), dense::mul(v, diagonalOf(lv)), bound, "AV - VL"));
        for (int j = 0; j < n && kind != dense::kZero; j++) {
          double s = 0;
          for (int i = 0; i < n; i++) s += std::norm(v(i, j));
          EXPECT_NEAR(s, 1.0, 10 * n * kEps);
        }
        EXPECT_TRUE(SameBits(valuesOf(MatEigVal(A)), valuesOf(val)));
        Matrix *U, *T;
        ASSERT_EQ(MatSchur(A, &U, &T), 0);
        const dense::M u = dense::of(U), t = dense::of(T);
        EXPECT_TRUE(Close(a, dense::mul(dense::mul(u, t), dense::adj(u)), tol * (na + 1e-300), "A - UTU'"));
        EXPECT_TRUE(Within(dense::orthogonality(u), tol, "U'U - I"));
        for (int i = 0; i < n; i++)
          for (int j = 0; j < i - (complex ? 0 : 1); j++) EXPECT_EQ(t(i, j), C(0.0));
        Matrix *P, *H;
        MatHessenberg(A, &P, &H);
        const dense::M p = dense::of(P), h = dense::of(H);
        EXPECT_TRUE(Close(a, dense::mul(dense::mul(p, h), dense::adj(p)), tol * (na + 1e-300), "A - PHP'"));
        EXPECT_TRUE(Within(dense::orthogonality(p), tol, "P'P - I"));
        for (int i = 0; i < n; i++)
          for (int j = 0; j + 1 < i; j++) EXPECT_EQ(h(i, j), C(0.0));
        Matrix *D, *B;
        MatBalance(A, &D, &B);
        const dense::M d = dense::of(D), b = dense::of(B);
        EXPECT_TRUE(Close(dense::mul(a, d), dense::mul(d, b), tol * dense::norm(dense::mul(a, d)) + 1e-300, "AD - DB"));
        if (complex) {
          // A + A' is Hermitian.
          dense::M hm = a;
          for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) hm(i, j) = a(i, j) + std::conj(a(j, i));
          Matrix *hv, *hx;
          ASSERT_EQ(MatHermitEig(dense::toMatrix(hm, true), &hv, &hx), 0);
          const dense::M w = dense::of(hv), x = dense::of(hx);
          EXPECT_TRUE(dense::Descending(w));
          for (const C& e : w.a) EXPECT_EQ(e.imag(), 0.0);
          EXPECT_TRUE(Close(dense::mul(hm, x), dense::mul(x, diagonalOf(w)),
                             tol * dense::norm(hm), "AV - VL (Hermitian)"));
          EXPECT_TRUE(Within(dense::orthogonality(x), tol, "V'V - I (Hermitian)"));
        }
        MatObjectTmpUndef();
      }
}

#ifdef VORN_TEST_LAPACK
// Each LAPACK eigenvalue must have one of ours within a tolerance scaled by
// its condition number 1 / |y'x| (unit left and right vectors).
TEST_F(EigenTest, EigenvaluesMatchLapack) {
  std::mt19937 gen(5);
  for (bool complex : {false, true})
    for (int n : kOrders)
      for (int kind = 0; kind < dense::kKinds; kind++) {
        if (kind == dense::kJordan) continue;   // infinitely ill-conditioned
        const dense::M a = dense::random(n, n, kind, complex, gen);
        const dense::M ours = dense::of(MatEigVal(dense::toMatrix(a, complex)));
        std::vector<C> want(n);
        std::vector<double> cond(n, 1.0);
        int info = 0;
        const int lwork = 8 * n + 64;
        // Row-major A is column-major A': same eigenvalues, same conditions.
        if (complex) {
          dense::M t = a, vl(n, n), vr(n, n);
          std::vector<C> work(lwork);
          std::vector<double> rwork(2 * n);
          zgeev_("V", "V", &n, t.a.data(), &n, want.data(), vl.a.data(), &n, vr.a.data(), &n, work.data(), &lwork,
                 rwork.data(), &info);
          for (int k = 0; k < n; k++) {
            C d = 0;
            for (int i = 0; i < n; i++) d += std::conj(vl.a[k * n + i]) * vr.a[k * n + i];
            cond[k] = 1.0 / std::abs(d);
          }
        } else {
          std::vector<double> t(n * n), wr(n), wi(n), vl(n * n), vr(n * n), work(lwork);
          for (int q = 0; q < n * n; q++) t[q] = a.a[q].real();
          dgeev_("V", "V", &n, t.data(), &n, wr.data(), wi.data(), vl.data(), &n, vr.data(), &n, work.data(), &lwork,
                 &info);
          for (int k = 0; k < n; k++) {
            want[k] = C(wr[k], wi[k]);
            // A complex pair's vectors are columns k (real) and k+1 (imag).
            const int re = wi[k] < 0 ? k - 1 : k;
            const double sgn = wi[k] < 0 ? -1 : 1;
            C d = 0;
            for (int i = 0; i < n; i++) {
              const C x(vr[re * n + i], wi[k] != 0 ? sgn * vr[(re + 1) * n + i] : 0);
              const C y(vl[re * n + i], wi[k] != 0 ? sgn * vl[(re + 1) * n + i] : 0);
              d += std::conj(y) * x;
            }
            cond[k] = 1.0 / std::abs(d);
          }
        }
        ASSERT_EQ(info, 0);
        const std::vector<double> dist = dense::matchNearest(ours, want);
        for (int k = 0; k < n; k++)
          EXPECT_LE(dist[k], 100 * n * kEps * dense::norm(a) * std::min(cond[k], 1e8) + 1e-300)
              << dense::kindName(kind) << (complex ? " complex " : " real ") << n << " value " << want[k];
        MatObjectTmpUndef();
      }
}
#endif

TEST_F(EigenDeathTest, MisuseIsReported) {
  Matrix *X, *Y;
  ExpectFatal({
      {[&] { MatEigVal(Real("A", 2, 3)); }, "eigval(A(2x3)) : Not a square matrix", "MatEigVal()"},
      {[&] { MatEig(Real("A", 0, 0), &X, &Y); }, "eig(A(0x0)) : Zero-size matrix", "MatEig()"},
      {[&] { MatEigVec(OfClass("A", MAT_RATIONAL)); }, "eigvec(A(1x1)) : Not a real nor complex matrix", "MatEigVec()"},
      {[&] { MatHermitEig(Real("A", 2, 2), &X, &Y); }, "heig(A(2x2)) : Not a complex matrix", "MatHermitEig()"},
      {[&] { MatBalance(Real("A", 1, 2), &X, &Y); }, "balance(A(1x2)) : Not a square matrix", "MatBalance()"},
      {[&] { MatHessenberg(Real("A", 0, 0), &X, &Y); }, "hess(A(0x0)) : Zero-size matrix", "MatHessenberg()"},
      {[&] { MatSchur(Real("A", 3, 1), &X, &Y); }, "schur(A(3x1)) : Not a square matrix", "MatSchur()"},
      {[&] { MatEigValDef(Real("A", 3, 1)); }, "Not a square matrix for 'A(3 x 1)'", "MatEigValDef()"},
      {[&] { MatHermitEig(Complex2("A", 1, 2, {1, 0, 0, 0}), &X, &Y); },
       "heig(A(1x2)) : Not a square matrix", "MatHermitEig()"},
      {[&] { MatEigValVec(Real("A", 2, 1)); }, "eig(A(2x1)) : Not a square matrix", "MatEigValVec()"},
      {[&] { MatCompanion(OfClass("c", MAT_POLY)); }, "Not a real nor complex matrix for 'c(1 x 1)'", "MatCompanion()"},
  });
}

}  // namespace
