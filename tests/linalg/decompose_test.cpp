// LU, QR, substitution, inverse, determinant, SVD and the rank family:
// the exact small cases, the reports, and residual properties over many
// random real and complex matrices, with singular values checked against a
// LAPACK when one is linked in.
#include <random>

#include "linalg/dense.h"
#include "runtime/linalg/linalg_internal.h"
#include "support/values.h"
#include "support/vorn_test.h"

#ifdef VORN_TEST_LAPACK
extern "C" void dgesvd_(const char* jobu, const char* jobvt, const int* m, const int* n, double* a,
                        const int* lda, double* s, double* u, const int* ldu, double* vt,
                        const int* ldvt, double* work, const int* lwork, int* info);
extern "C" void zgesvd_(const char* jobu, const char* jobvt, const int* m, const int* n, void* a,
                        const int* lda, double* s, void* u, const int* ldu, void* vt,
                        const int* ldvt, void* work, const int* lwork, double* rwork, int* info);
#endif

namespace {

using namespace vorn_values;
using dense::C;
using dense::kEps;
using dense::Close;
using dense::Within;
using DecomposeTest = VornTest;
using DecomposeDeathTest = VornTest;

::testing::AssertionResult Holds(const std::string& text, const std::string& part) {
  if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "'" << part << "' not in '" << text << "'";
}

TEST_F(DecomposeTest, LuOfTwoByTwoSwapsRowsAndKeepsExactFactors) {
  Matrix* A = Real("A", 2, 2, {1, 2, 3, 4});
  Matrix *L, *U, *P;
  MatLU(A, &L, &U, &P);
  ExpectMatrix(P, 2, 2, MAT_REAL, {0, 1, 1, 0});
  ExpectMatrix(L, 2, 2, MAT_REAL, {1, 0, 1.0 / 3.0, 1});
  ExpectMatrix(U, 2, 2, MAT_REAL, {3, 4, 0, 2 - (1.0 / 3.0) * 4});
  EXPECT_NEAR(MatDeterm(A), -2.0, 4 * kEps);
}

// A zero pivot column leaves the column uneliminated: finite factors with
// P*A = L*U, where the plain elimination would divide 0 by 0.
TEST_F(DecomposeTest, LuOfSingularMatrixStaysFinite) {
  for (bool complex : {false, true}) {
    const dense::M a = dense::of(Real("A", 3, 3, {0, 1, 0, 0, 2, 0, 0, 0, 3}));   // column 1 is zero
    Matrix *L, *U, *P;
    MatLU(dense::toMatrix(a, complex), &L, &U, &P);
    const dense::M l = dense::of(L), u = dense::of(U), p = dense::of(P);
    for (const auto& v : l.a) EXPECT_TRUE(std::isfinite(v.real()) && std::isfinite(v.imag()));
    EXPECT_EQ(dense::norm(dense::sub(dense::mul(p, a), dense::mul(l, u))), 0.0);
  }
}

TEST_F(DecomposeTest, InverseOfSingularMatrixWarnsAndGoesOn) {
  Matrix* A = Real("A", 2, 2, {1, 2, 2, 4});
  Matrix* X = nullptr;
  const std::string err = StderrOf([&] { X = MatInv(A, 1e-10); });
  EXPECT_TRUE(Holds(err, "\ninv(A(2x2), 1E-10) : Singular: result may be inaccurate in Mat_Inv().\n"));
  ASSERT_NE(X, nullptr);
  ExpectShape(X, 2, 2, MAT_REAL);
  for (const double v : valuesOf(X)) EXPECT_TRUE(std::isfinite(v));
  // One by one follows the same rule rather than dividing by zero.
  const std::string err1 = StderrOf([&] { X = MatInv(Real("Z", 1, 1, {0}), 0); });
  EXPECT_TRUE(Holds(err1, "inv(Z(1x1), 0) : Singular: result may be inaccurate"));
  ExpectMatrix(X, 1, 1, MAT_REAL, {1 / vorn_eps});
  const std::string err2 = StderrOf([&] { X = MatInv(Complex2("S", 1, 1, {0, 0}), 0); });
  EXPECT_TRUE(Holds(err2, "inv(S(1x1), 0) : Singular"));
}

TEST_F(DecomposeTest, InverseDeterminantAndSolveAgree) {
  std::mt19937 gen(7);
  for (bool complex : {false, true})
    for (int n : {1, 2, 5, 12, 40}) {
      const dense::M a = dense::random(n, n, dense::kGauss, complex, gen);
      const dense::M b = dense::random(n, 3, dense::kGauss, complex, gen);
      Matrix* A = dense::toMatrix(a, complex);
      const dense::M x = dense::of(MatInv(A, 0.0));
      const double scale = n * kEps * dense::norm(a) * dense::norm(x);
      EXPECT_TRUE(Close(dense::mul(a, x), dense::eye(n), 50 * scale, "A*inv(A) - I"));
      const dense::M y = dense::of(MatLUSolve(A, dense::toMatrix(b, complex), 0.0));
      EXPECT_TRUE(Close(dense::mul(a, y), b, 50 * n * kEps * dense::norm(a) * dense::norm(y), "A*X - B"));
      if (!complex) {
        double d;
        Mat_Inv(MatNonNameDef(n, n), A, &d, 0.0);
        EXPECT_NEAR(MatDeterm(A), d, 1e-9 * std::fabs(d));
        EXPECT_NEAR(C_MatDeterm(dense::toMatrix(a, true)).real(), d, 1e-9 * std::fabs(d));
      }
      MatObjectTmpUndef();
    }
}

TEST_F(DecomposeTest, SubstitutionSolvesTriangularSystems) {
  Matrix* L = Real("L", 2, 2, {2, 99, 1, 4});   // 99 lies above the diagonal: never read
  Matrix* B = Complex2("B", 2, 1, {2, 2, 9, 1});
  ExpectMatrix(MatForSub(B, L, 0.0), 2, 1, MAT_COMPLEX, {1, 1, 2, 0});
  Matrix* U = Real("U", 2, 2, {2, 1, 99, 4});
  ExpectMatrix(MatBackSub(Real("B", 2, 1, {5, 8}), U, 0.0), 2, 1, MAT_REAL, {1.5, 2});
  EXPECT_EQ(Mat_BackSub(MatNonNameDef(2, 1), U, Real("B", 2, 1, {5, 8}), 4.0), nullptr);
  // A diagonal entry equal to the tolerance stops the substitution.
  Matrix* T = Real("T", 2, 2, {2, 1, 0, 0.5});
  Matrix* Y = Real("B", 2, 1, {1, 1});
  EXPECT_NE(Mat_BackSub(MatNonNameDef(2, 1), T, Y, 0.49), nullptr);
  EXPECT_EQ(Mat_BackSub(MatNonNameDef(2, 1), T, Y, 0.5), nullptr);
  EXPECT_EQ(Mat_ForSub(MatNonNameDef(2, 1), T, Y, 0.5), nullptr);
  EXPECT_EQ(C_Mat_ForSub(C_MatNonNameDef(2, 1), MatRealToComp(T), MatRealToComp(Y), 2.0), nullptr);
}

TEST_F(DecomposeTest, RankAndSingularityTests) {
  Matrix* A = Real("A", 2, 2, {1, 2, 2, 4});
  EXPECT_EQ(MatRank(A, -1), 1);
  EXPECT_EQ(MatIsSingular(A, 1e-12), 1);
  EXPECT_EQ(MatIsNonSingular(A, 1e-12), 0);
  EXPECT_EQ(MatIsFullRank(A, -1), 0);
  Matrix* W = Real("W", 2, 3, {1, 0, 0, 0, 1, 0});
  EXPECT_EQ(MatRank(W, -1), 2);
  EXPECT_EQ(MatIsFullRank(W, -1), 1);
  EXPECT_DOUBLE_EQ(MatMinSingVal(Real("D", 2, 2, {3, 0, 0, -0.5})), 0.5);
  EXPECT_EQ(MatRank(Complex2("Z", 2, 2, {1, 1, 0, 0, 0, 0, 0, 0}), -1), 1);
}

TEST_F(DecomposeTest, QrPivotsTheLargestColumnFirst) {
  Matrix* A = Real("A", 3, 3, {1, 0, 5, 0, 1, 6, 1, 1, 7});
  Matrix *Q, *R, *P;
  MatQR(A, &Q, &R, &P, 1);
  EXPECT_EQ(MatReal(P)[2 * 3 + 0], 1.0);   // column 3 comes first
  int perm[3], rank;
  Mat_QR_piv(A, MatNonNameDef(3, 3), MatNonNameDef(3, 3), perm, &rank, 1);
  EXPECT_EQ(perm[0], 3);
  EXPECT_EQ(rank, 3);
}

// The downdated column norm cancels to zero while the column still holds
// an entry of 1e-8: the reduction must still cover it.
TEST_F(DecomposeTest, QrStaysExactWhenColumnNormsCancel) {
  for (bool complex : {false, true}) {
    const dense::M a = dense::of(Real("A", 2, 2, {1, 1, 1, 1 + 1e-8}));
    Matrix *Q, *R, *P;
    MatQR(dense::toMatrix(a, complex), &Q, &R, &P, 1);
    const dense::M q = dense::of(Q), r = dense::of(R), p = dense::of(P);
    EXPECT_TRUE(Close(dense::mul(a, p), dense::mul(q, r), 10 * kEps, "AP - QR"));
    EXPECT_EQ(r(1, 0), C(0.0));
  }
}

TEST_F(DecomposeTest, SvdThatRunsOutOfIterationsWarnsAndReturnsOne) {
  const int saved = vorn_linalg::iterationUnit;
  vorn_linalg::iterationUnit = 0;
  for (bool complex : {false, true}) {
    dense::M a(3, 3);
    for (int k = 0; k < 9; k++) a.a[k] = k + 1;
    a.a[4] = complex ? C(0, 1) : C(5.0);
    Matrix *s, *U, *V;
    int status = 0;
    const std::string err = StderrOf([&] { status = MatSVD(dense::toMatrix(a, complex), &s, &U, &V); });
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Holds(err, complex ? "\nSolution will not converge for 'A(3 x 3)' in C_Mat_SVD().\n"
                                   : "\nNot converge; Solution may be inaccurate. for 'A(3 x 3)' in Mat_SVD().\n"));
    ExpectShape(U, 3, 3, complex ? MAT_COMPLEX : MAT_REAL);
  }
  vorn_linalg::iterationUnit = saved;
}

struct Shape {
  int rows, cols;
};
const Shape kShapes[] = {{1, 1}, {2, 2}, {3, 3}, {5, 5}, {8, 8}, {17, 17}, {31, 31}, {60, 60},
                         {7, 3}, {3, 7}, {40, 13}, {13, 40}, {1, 6}, {6, 1}};

// Row k of a pivoted matrix comes from row record[k]: a cyclic permutation
// needs the whole cycle followed to put the inverse's columns back.
TEST_F(DecomposeTest, InverseOfCyclicPermutationIsItsTranspose) {
  Matrix* P = Real("P", 4, 4, {0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0});
  ExpectMatrix(MatInv(P, 0.5), 4, 4, MAT_REAL, valuesOf(MatTrans(P)));
  double det = 0;
  Mat_Inv(MatNonNameDef(4, 4), P, &det, 0.5);
  EXPECT_EQ(det, -1.0);
  EXPECT_EQ(MatDeterm(P), -1.0);
}

TEST_F(DecomposeTest, PermutateAppliesInterchangesInOrder) {
  const int piv[2] = {3, 3};
  Matrix* M = Counting("M", 3, 2);
  MatPermutate(M, piv, 2, 1);
  ExpectMatrix(M, 3, 2, MAT_REAL, {5, 6, 1, 2, 3, 4});
  Matrix* Z = Complex2("Z", 1, 3, {1, 1, 2, 2, 3, 3});
  MatPermutate(Z, piv, 1, 0);
  ExpectMatrix(Z, 1, 3, MAT_COMPLEX, {3, 3, 2, 2, 1, 1});
}

// A complex matrix without imaginary parts takes the real path: the same
// values, bit for bit, as complex results.
TEST_F(DecomposeTest, ZeroImaginaryPartsGiveTheRealResultsExactly) {
  std::mt19937 gen(17);
  const dense::M a = dense::random(5, 4, dense::kGauss, false, gen);
  const dense::M sq = dense::random(4, 4, dense::kGauss, false, gen);
  Matrix* R = dense::toMatrix(a, false);
  Matrix* Cx = dense::toMatrix(a, true);
  Matrix* Rs = dense::toMatrix(sq, false);
  Matrix* Cs = dense::toMatrix(sq, true);
  auto same = [](Matrix* real, Matrix* cx) {
    ASSERT_EQ(cx->class_, MAT_COMPLEX);
    const V r = valuesOf(real), c = valuesOf(cx);
    ASSERT_EQ(c.size(), 2 * r.size());
    for (size_t k = 0; k < r.size(); k++) {
      EXPECT_EQ(c[2 * k], r[k]);
      EXPECT_EQ(c[2 * k + 1], 0.0);
    }
  };
  Matrix *L1, *U1, *P1, *L2, *U2, *P2;
  MatLU(R, &L1, &U1, &P1);
  MatLU(Cx, &L2, &U2, &P2);
  same(L1, L2);
  same(U1, U2);
  MatQR(R, &L1, &U1, &P1, 1);
  MatQR(Cx, &L2, &U2, &P2, 1);
  same(L1, L2);
  same(U1, U2);
  same(MatInv(Rs, 0), MatInv(Cs, 0));
  same(MatPseudoInv(R, -1), MatPseudoInv(Cx, -1));
  same(MatLUSolve(Rs, Rs, 0), MatLUSolve(Cs, Rs, 0));
  same(MatSingLeftVec(R), MatSingLeftVec(Cx));
  EXPECT_TRUE(SameBits(valuesOf(MatSingVal(R)), valuesOf(MatSingVal(Cx))));
}

TEST_F(DecomposeTest, PseudoInverseMeetsThePenroseConditions) {
  std::mt19937 gen(23);
  for (bool complex : {false, true})
    for (const Shape& sh : {Shape{4, 4}, Shape{9, 5}, Shape{5, 9}, Shape{12, 12}})
      for (int kind : {dense::kGauss, dense::kRankDeficient, dense::kZero, dense::kDiagonal}) {
        SCOPED_TRACE(std::string(dense::kindName(kind)) + (complex ? " complex" : " real"));
        const dense::M a = dense::random(sh.rows, sh.cols, kind, complex, gen);
        const dense::M x = dense::of(MatPseudoInv(dense::toMatrix(a, complex), -1));
        ASSERT_EQ(x.r, sh.cols);
        const dense::M ax = dense::mul(a, x), xa = dense::mul(x, a);
        const double tol = 1e-10 * (1 + dense::norm(a)) * (1 + dense::norm(x));
        EXPECT_TRUE(Close(dense::mul(ax, a), a, tol, "AXA - A"));
        EXPECT_TRUE(Close(dense::mul(xa, x), x, tol, "XAX - X"));
        EXPECT_TRUE(Close(ax, dense::adj(ax), tol, "AX Hermitian"));
        EXPECT_TRUE(Close(xa, dense::adj(xa), tol, "XA Hermitian"));
        if (kind == dense::kRankDeficient) {
          EXPECT_EQ(MatRank(dense::toMatrix(a, complex), -1), std::max(1, std::min(sh.rows, sh.cols) / 2));
        }
        MatObjectTmpUndef();
      }
}

TEST_F(DecomposeTest, SingularVectorBlocks) {
  Matrix* A = Real("A", 3, 2, {1, 2, 3, 4, 5, 6});
  Matrix* UV = MatSingVec(A);
  ExpectShape(UV, 5, 5, MAT_REAL);
  Matrix* USV = MatSingValVec(A);
  ExpectShape(USV, 8, 7, MAT_REAL);
  const dense::M usv = dense::of(USV), s = dense::of(MatSingVal(A));
  EXPECT_EQ(usv(3, 3), s.a[0]);
  EXPECT_EQ(usv(4, 4), s.a[1]);
  EXPECT_EQ(usv(3, 0), C(0.0));
}

TEST_F(DecomposeTest, FactorsReproduceTheMatrix) {
  std::mt19937 gen(2024);
  for (bool complex : {false, true})
    for (const Shape& sh : kShapes)
      for (int kind = 0; kind < dense::kKinds; kind++) {
        SCOPED_TRACE(std::string(dense::kindName(kind)) + (complex ? " complex " : " real ") +
                     std::to_string(sh.rows) + "x" + std::to_string(sh.cols));
        const dense::M a = dense::random(sh.rows, sh.cols, kind, complex, gen);
        Matrix* A = dense::toMatrix(a, complex);
        const int n = std::max(sh.rows, sh.cols);
        const double scale = 20 * n * kEps;
        Matrix *L, *U, *P;
        MatLU(A, &L, &U, &P);
        const dense::M l = dense::of(L), u = dense::of(U), p = dense::of(P);
        EXPECT_TRUE(Close(dense::mul(p, a), dense::mul(l, u),
                           scale * dense::norm(dense::mul(dense::absOf(l), dense::absOf(u))), "PA - LU"));
        for (int pivot : {0, 1}) {
          Matrix *Q, *R, *Pq;
          MatQR(A, &Q, &R, &Pq, pivot);
          const dense::M q = dense::of(Q), r = dense::of(R), pq = dense::of(Pq);
          EXPECT_TRUE(Close(dense::mul(a, pq), dense::mul(q, r), scale * dense::norm(a), "AP - QR"));
          EXPECT_TRUE(Within(dense::orthogonality(q), scale, "Q'Q - I"));
          for (int i = 0; i < r.r; i++)
            for (int j = 0; j < std::min(i, r.c); j++) EXPECT_EQ(r(i, j), C(0.0));
        }
        Matrix *s, *Us, *Vs;
        EXPECT_EQ(MatSVD(A, &s, &Us, &Vs), 0);
        const dense::M sv = dense::of(s), uu = dense::of(Us), vv = dense::of(Vs);
        dense::M S(sh.rows, sh.cols);
        for (int k = 0; k < sv.r; k++) {
          S(k, k) = sv.a[k];
          EXPECT_GE(k > 0 ? sv.a[k - 1].real() : sv.a[k].real(), sv.a[k].real());
          EXPECT_GE(sv.a[k].real(), 0.0);
        }
        EXPECT_TRUE(Close(a, dense::mul(dense::mul(uu, S), dense::adj(vv)), scale * dense::norm(a), "A - USV'"));
        EXPECT_TRUE(Within(dense::orthogonality(uu), scale, "U'U - I"));
        EXPECT_TRUE(Within(dense::orthogonality(vv), scale, "V'V - I"));
        MatObjectTmpUndef();
      }
}

#ifdef VORN_TEST_LAPACK
// Singular values against LAPACK's, each within a small multiple of
// n * eps * sigma_1 (singular values are perfectly conditioned).
TEST_F(DecomposeTest, SingularValuesMatchLapack) {
  std::mt19937 gen(99);
  for (bool complex : {false, true})
    for (const Shape& sh : kShapes)
      for (int kind = 0; kind < dense::kKinds; kind++) {
        const dense::M a = dense::random(sh.rows, sh.cols, kind, complex, gen);
        const dense::M s = dense::of(MatSingVal(dense::toMatrix(a, complex)));
        const int m = sh.rows, n = sh.cols, k = std::min(m, n), lwork = 10 * (m + n) + 64;
        std::vector<double> want(k), rwork(5 * k + 8);
        std::vector<C> work(lwork);
        int info;
        // LAPACK is column-major: pass A' (n x m), which has the same values.
        if (complex) {
          dense::M t = a;
          zgesvd_("N", "N", &n, &m, t.a.data(), &n, want.data(), nullptr, &n, nullptr, &m,
                  work.data(), &lwork, rwork.data(), &info);
        } else {
          std::vector<double> t(a.a.size()), w(lwork);
          for (size_t q = 0; q < t.size(); q++) t[q] = a.a[q].real();
          dgesvd_("N", "N", &n, &m, t.data(), &n, want.data(), nullptr, &n, nullptr, &m,
                  w.data(), &lwork, &info);
        }
        ASSERT_EQ(info, 0);
        const double tol = 20 * std::max(m, n) * kEps * (k ? want[0] : 0.0);
        for (int q = 0; q < k; q++)
          EXPECT_NEAR(s.a[q].real(), want[q], tol) << dense::kindName(kind) << " " << m << "x" << n;
        MatObjectTmpUndef();
      }
}
#endif

TEST_F(DecomposeDeathTest, MisuseIsReported) {
  Matrix *X, *Y, *Z;
  ExpectFatal({
      {[&] { MatLU(Real("A", 0, 2), &X, &Y, &Z); }, "lu(A(0x2)) : Zero-size matrix", "MatLU()"},
      {[&] { MatQR(Real("A", 2, 0), &X, &Y, &Z, 1); }, "qr(A(2x0)) : Zero-size matrix", "MatQR()"},
      {[&] { MatForSub(Real("B", 0, 1), Real("L", 2, 2), 0); }, "L(2x2) \\ B(0x1) : Zero-size matrix", "MatForSub()"},
      {[&] { MatBackSub(Real("B", 2, 1, {1, 1}), Real("U", 2, 2, {1, 1, 0, 0}), 0); },
       "U(2x2) \\ B(2x1) : Singular", "MatBackSub()"},
      {[&] { MatForSub(Real("B", 3, 1), Real("L", 2, 2), 0); },
       "Row number is not same for 'L(2 x 2)' and 'B(3 x 1)'", "MatForSub()"},
      {[&] { MatLUSolve(Real("A", 2, 2, {1, 2, 2, 4}), Real("B", 2, 1, {1, 1}), 1e-12); },
       "Singular for 'A(2 x 2)' and 'B(2 x 1)'", "MatLUSolve()"},
      {[&] { MatLUSolve(Real("A", 2, 3), Real("B", 2, 1), 0); }, "Not a square matrix for 'A(2 x 3)'", "MatLUSolve()"},
      {[&] { MatLUSolve(Real("A", 2, 2), Real("B", 3, 1), 0); },
       "Row number is not same for 'A(2 x 2)' and 'B(3 x 1)'", "MatLUSolve()"},
      {[&] { MatInv(Real("A", 2, 3), 0.5); }, "inv(A(2x3), 0.5) : Not a square matrix", "MatInv()"},
      {[&] { MatInv(Real("A", 2, 2, {1, 2, 2, 4}), -1e-10); },
       "inv(A(2x2), -1E-10) : Singular: result may be inaccurate", "Mat_Inv()"},
      {[&] { MatDeterm(Complex2("A", 1, 1, {1, 1})); }, "det(A(1x1)) : Not a real matrix", "MatDeterm()"},
      {[&] { MatDeterm(Real("A", 0, 0)); }, "det(A(0x0)) : Zero-size matrix", "MatDeterm()"},
      {[&] { MatDeterm(Real("A", 1, 2)); }, "det(A(1x2)) : Not a square matrix", "MatDeterm()"},
      {[&] { MatRank(OfClass("A", MAT_POLY), 0); }, "rank(A(1x1), 0) : Not a real nor complex matrix", "MatRank()"},
      {[&] { MatIsSingular(Real("A", 2, 3), 0); }, "Not a square matrix for 'A(2 x 3)'", "MatIsSingular()"},
      {[&] { MatPseudoInv(Real("A", 0, 3), 0); }, "pseudoinv(A(0x3), 0) : Zero-size matrix", "MatPseudoInv()"},
      {[&] { MatMinSingVal(Real("A", 0, 3)); }, "minsing(A(0x3)) : Zero-size matrix", "MatMinSingVal()"},
      {[&] { MatSVD(Real("A", 0, 3), &X, &Y, &Z); }, "svd(A(0x3)) : Zero-size matrix", "MatSVD()"},
      {[&] { MatSingVal(OfClass("A", MAT_POLY)); }, "singval(A(1x1)) : Not a real nor complex matrix", "MatSingVal()"},
      {[&] { MatLU(OfClass("A", MAT_C_RATIONAL), &X, &Y, &Z); },
       "Not a real nor complex matrix for 'A(1 x 1)'", "MatLU()"},
      {[&] { MatInv(OfClass("A", MAT_POLY), 0); }, "Not a real nor complex matrix for 'A(1 x 1)'", "MatInv()"},
      {[&] { MatDeterm(OfClass("A", MAT_POLY)); }, "det(A(1x1)) : Not a real nor complex matrix", "MatDeterm()"},
      {[&] { MatIsFullRank(OfClass("A", MAT_RATIONAL), 0); },
       "Not a real nor complex matrix for 'A(1 x 1)'", "MatIsFullRank()"},
  });
}

}  // namespace
