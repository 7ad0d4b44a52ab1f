// The generalized eigenproblem: small exact cases, residuals and the QZ
// factors over random pencils (B singular included), eigenvalues against
// LAPACK's dggev when linked in, non-convergence and the reports.
#include <random>

#include "linalg/dense.h"
#include "runtime/linalg/linalg_internal.h"
#include "support/values.h"
#include "support/vorn_test.h"

#ifdef VORN_TEST_LAPACK
extern "C" void zggev_(const char* jobvl, const char* jobvr, const int* n, void* a, const int* lda, void* b,
                       const int* ldb, void* alpha, void* beta, void* vl, const int* ldvl, void* vr,
                       const int* ldvr, void* work, const int* lwork, double* rwork, int* info);
extern "C" void dggev_(const char* jobvl, const char* jobvr, const int* n, double* a, const int* lda, double* b,
                       const int* ldb, double* alphar, double* alphai, double* beta, double* vl, const int* ldvl,
                       double* vr, const int* ldvr, double* work, const int* lwork, int* info);
#endif

namespace {

using namespace vorn_values;
using dense::C;
using dense::kEps;
using dense::Close;
using dense::Within;
using QzTest = VornTest;
using QzDeathTest = VornTest;

TEST_F(QzTest, SmallPencils) {
  // diag(2, 6) x = lambda diag(1, 2) x: 3 and 2, largest first.
  ExpectMatrix(MatGEigVal(Real("A", 2, 2, {2, 0, 0, 6}), Real("B", 2, 2, {1, 0, 0, 2})), 2, 1, MAT_COMPLEX,
               {3, 0, 2, 0});
  // B = I gives the ordinary eigenvalues: +-i.
  const dense::M v = dense::of(MatGEigVal(Real("A", 2, 2, {0, 1, -1, 0}), Real("B", 2, 2, {1, 0, 0, 1})));
  EXPECT_NEAR(std::abs(v.a[0] - C(0, 1)), 0, 1e-15);
  EXPECT_NEAR(std::abs(v.a[1] - C(0, -1)), 0, 1e-15);
  // A singular B gives an infinite eigenvalue.
  const dense::M w = dense::of(MatGEigVal(Real("A", 2, 2, {1, 0, 0, 1}), Real("B", 2, 2, {1, 0, 0, 0})));
  EXPECT_TRUE(std::isinf(w.a[0].real()));
  EXPECT_NEAR(w.a[1].real(), 1.0, 1e-15);
  ExpectShape(MatGEigValVec(Real("A", 2, 2, {2, 0, 0, 6}), Real("B", 2, 2, {1, 0, 0, 2})), 2, 3, MAT_COMPLEX);
  ExpectShape(MatGEigVec(Real("A", 2, 2, {2, 0, 0, 6}), Real("B", 2, 2, {1, 0, 0, 2})), 2, 2, MAT_COMPLEX);
}

// A complex pencil with an exactly singular B: the zero on BB's diagonal
// is reported and its eigenvalue is infinite.
TEST_F(QzTest, ComplexPencilWithSingularB) {
  Matrix* A = Complex2("A", 2, 2, {1, 1, 2, 0, 0, 0, 3, 0});
  Matrix* B = Complex2("B", 2, 2, {1, 0, 0, 0, 0, 0, 0, 0});
  Matrix* val = nullptr;
  const std::string err = StderrOf([&] { val = MatGEigVal(A, B); });
  EXPECT_NE(err.find("\nZero division for 'A(2 x 2)' and 'B(2 x 2)' in C_Mat_GEigVal().\n"), std::string::npos) << err;
  const dense::M v = dense::of(val);
  EXPECT_TRUE(std::isinf(v.a[0].real()) || std::isinf(v.a[1].real()));
}

TEST_F(QzTest, PencilsAndFactorsReproduceTheMatrices) {
  std::mt19937 gen(3);
  for (bool complex : {false, true})
  for (int n : {1, 2, 3, 4, 5, 8, 13, 30, 60})
    for (int kind : {dense::kGauss, dense::kBadlyScaled, dense::kDiagonal, dense::kClustered}) {
      for (bool singularB : {false, true}) {
        SCOPED_TRACE(std::string(dense::kindName(kind)) + (complex ? " complex " : " real ") + std::to_string(n) +
                     (singularB ? " singular B" : ""));
        const dense::M a = dense::random(n, n, kind, complex, gen);
        dense::M b = dense::random(n, n, dense::kGauss, complex, gen);
        if (singularB)
          for (int j = 0; j < n; j++) b(n - 1, j) = 0.0;
        Matrix* A = dense::toMatrix(a, complex);
        Matrix* B = dense::toMatrix(b, complex);
        const double tol = 50 * n * kEps;
        Matrix *AA, *BB, *Q, *Z, *V;
        int status = 0;
        const std::string err = StderrOf([&] { status = MatQZ(A, B, &AA, &BB, &Q, &Z, &V); });
        ASSERT_EQ(status, 0);
        if (!singularB) {
          EXPECT_EQ(err, "");
        }
        const dense::M aa = dense::of(AA), bb = dense::of(BB), q = dense::of(Q), z = dense::of(Z);
        EXPECT_TRUE(Close(dense::mul(dense::mul(q, a), z), aa, tol * dense::norm(a), "QAZ - AA"));
        EXPECT_TRUE(Close(dense::mul(dense::mul(q, b), z), bb, tol * dense::norm(b), "QBZ - BB"));
        EXPECT_TRUE(Within(dense::orthogonality(q), tol, "Q'Q - I"));
        EXPECT_TRUE(Within(dense::orthogonality(z), tol, "Z'Z - I"));
        for (int i = 0; i < n; i++)
          for (int j = 0; j < i; j++) {
            EXPECT_EQ(bb(i, j), C(0.0));
            if (j + 1 < i || complex) {
              EXPECT_EQ(aa(i, j), C(0.0));
            }
          }
        if (singularB) continue;
        Matrix *val, *vec;
        ASSERT_EQ(MatGEig(A, B, &val, &vec), 0);
        const dense::M lv = dense::of(val), v = dense::of(vec);
        dense::M l(n, n);
        for (int k = 0; k < n; k++) l(k, k) = lv.a[k];
        // ||AV - BV diag(lambda)|| against the sizes of both terms.
        const double scale = dense::norm(a) + dense::norm(b) * dense::norm(l);
        const double bound = kind == dense::kBadlyScaled ? 1e-9 * scale : tol * scale;
        EXPECT_TRUE(Close(dense::mul(a, v), dense::mul(dense::mul(b, v), l), bound, "AV - BVL"));
        EXPECT_TRUE(dense::Descending(lv));
        MatObjectTmpUndef();
      }
    }
}

#ifdef VORN_TEST_LAPACK
TEST_F(QzTest, EigenvaluesMatchLapack) {
  std::mt19937 gen(8);
  for (bool complex : {false, true})
    for (int n : {1, 2, 3, 5, 8, 13, 30, 60}) {
      dense::M a = dense::random(n, n, dense::kGauss, complex, gen);
      dense::M b = dense::random(n, n, dense::kGauss, complex, gen);
      const dense::M ours = dense::of(MatGEigVal(dense::toMatrix(a, complex), dense::toMatrix(b, complex)));
      // Column-major A' and B' (not conjugated) have the same eigenvalues.
      std::vector<C> want(n), alpha(n), beta(n), work(8 * n + 64);
      std::vector<double> at(n * n), bt(n * n), ar(n), ai(n), be(n), rwork(16 * n + 64);
      const int lwork = static_cast<int>(work.size());
      int info;
      if (complex) {
        zggev_("N", "N", &n, a.a.data(), &n, b.a.data(), &n, alpha.data(), beta.data(), nullptr, &n, nullptr, &n,
               work.data(), &lwork, rwork.data(), &info);
        for (int k = 0; k < n; k++) want[k] = alpha[k] / beta[k];
      } else {
        for (int k = 0; k < n * n; k++) {
          at[k] = a.a[k].real();
          bt[k] = b.a[k].real();
        }
        dggev_("N", "N", &n, at.data(), &n, bt.data(), &n, ar.data(), ai.data(), be.data(), nullptr, &n, nullptr, &n,
               rwork.data(), &lwork, &info);
        for (int k = 0; k < n; k++) want[k] = C(ar[k] / be[k], ai[k] / be[k]);
      }
      ASSERT_EQ(info, 0);
      const std::vector<double> dist = dense::matchNearest(ours, want);
      for (int k = 0; k < n; k++) EXPECT_LE(dist[k], 1e-7 * (1 + std::abs(want[k]))) << n << " " << want[k];
      MatObjectTmpUndef();
    }
}
#endif

TEST_F(QzTest, ExhaustedBudgetWarnsAndReturnsOne) {
  const int saved = vorn_linalg::iterationUnit;
  vorn_linalg::iterationUnit = 0;
  Matrix *val, *vec;
  int status = 0;
  const std::string err = StderrOf([&] {
    status = MatGEig(Real("A", 3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 10}), Real("B", 3, 3, {2, 1, 0, 1, 3, 1, 0, 1, 4}), &val,
                     &vec);
  });
  Matrix* A = Complex2("A", 2, 2, {1, 1, 2, 0, 3, 0, 4, 0});
  Matrix* B = Complex2("B", 2, 2, {2, 0, 1, 0, 0, 0, 1, 1});
  int cstatus = 0;
  const std::string cerr = StderrOf([&] { cstatus = MatGEig(A, B, &val, &vec); });
  const std::string verr = StderrOf([&] { MatGEigVal(A, B); });
  vorn_linalg::iterationUnit = saved;
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("\nSolution will not converge for 'A(3 x 3)' and 'B(3 x 3)' in Mat_GEig().\n"), std::string::npos)
      << err;
  EXPECT_EQ(cstatus, 1);
  EXPECT_NE(cerr.find("\nSolution(vector) will not converge for 'A(2 x 2)' and 'B(2 x 2)' in C_Mat_GEig().\n"),
            std::string::npos) << cerr;
  EXPECT_NE(verr.find("Solution(value) will not converge for 'A(2 x 2)' and 'B(2 x 2)' in C_Mat_GEigVal()."),
            std::string::npos) << verr;
}

TEST_F(QzDeathTest, MisuseIsReported) {
  Matrix *X, *Y, *Z, *U, *W;
  ExpectFatal({
      {[&] { MatGEigVal(Real("A", 2, 3), Real("B", 2, 2)); },
       "eigval(A(2x3), B(2x2)) : Not square matrices", "MatGEigVal()"},
      {[&] { MatGEig(Real("A", 0, 0), Real("B", 2, 2), &X, &Y); },
       "eig(A(0x0), B(2x2)) : Zero-size matrix", "MatGEig()"},
      {[&] { MatQZ(Real("A", 2, 2), Real("B", 3, 3), &X, &Y, &Z, &U, &W); },
       "qz(A(2x2), B(3x3)) : Not same size", "MatQZ()"},
      {[&] { MatGEigVec(OfClass("A", MAT_POLY), Real("B", 1, 1)); },
       "eigvec(A(1x1), B(1x1)) : Not a real nor complex matrix", "MatGEigVec()"},
  });
}

}  // namespace
