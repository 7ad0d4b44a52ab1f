// Polynomial roots through the companion matrix, the zeros and poles of a
// rational, and a rational evaluated at a matrix.
#include <cmath>

#include "support/values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using RootsTest = VornTest;
using RootsDeathTest = VornTest;

// Roots come as a complex column ordered by real part, largest first.
void ExpectRoots(Matrix* roots, const V& want, double tol = 1e-14) {
  ASSERT_EQ(roots->class_, MAT_COMPLEX);
  ASSERT_EQ(roots->cols, 1);
  const V got = valuesOf(roots);
  ASSERT_EQ(got.size(), want.size());
  for (size_t k = 0; k < got.size(); k++) EXPECT_NEAR(got[k], want[k], tol) << "at " << k;
}

TEST_F(RootsTest, KnownRoots) {
  ExpectRoots(PolyRoots(PolyOf(0, {-1, 0, 1})), {1, 0, -1, 0});
  ExpectRoots(PolyRoots(PolyOf(0, {1, 0, 1})), {0, 1, 0, -1});
  // A leading coefficient other than 1 is divided out: 2(s - 3)(s + 0.5).
  ExpectRoots(PolyRoots(PolyOf(0, {-3, -5, 2})), {3, 0, -0.5, 0});
  // Zero leading coefficients are not roots at infinity.
  ExpectRoots(PolyRoots(PolyOf(0, {-1, 0, 1, 0, 0})), {1, 0, -1, 0});
  // Complex coefficients: 2(s^2 + 1), a purely real leading coefficient,
  // and (1 + i)(s - i)(s - 2), a complex one.
  ExpectRoots(PolyRoots(PolyOf(MAT_COMPLEX, {2, 0, 0, 0, 2, 0})), {0, 1, 0, -1});
  ExpectRoots(PolyRoots(PolyOf(MAT_COMPLEX, {-2, 2, -1, -3, 1, 1})), {2, 0, 0, 1});
}

TEST_F(RootsTest, NonzeroConstantHasNoRoots) {
  for (Polynomial* p : {PolyOf(0, {3}), PolyOf(0, {3, 0, 0}), PolyOf(MAT_COMPLEX, {0, 1})}) {
    Matrix* roots = PolyRoots(p);
    EXPECT_EQ(roots->class_, MAT_COMPLEX);
    EXPECT_EQ(roots->rows, 0);
    EXPECT_EQ(roots->cols, 1);
  }
}

TEST_F(RootsTest, TenCloseRealRootsWithinCompanionAccuracy) {
  // (s - 1)(s - 2)...(s - 10): the roots are ill-conditioned in the
  // coefficients, so only a relative accuracy well above eps is promised.
  Polynomial* p = PolyOf(0, {1});
  for (int k = 1; k <= 10; k++) p = PolyMul(p, PolyOf(0, {-static_cast<double>(k), 1}));
  Matrix* roots = PolyRoots(p);
  ASSERT_EQ(roots->rows, 10);
  const V got = valuesOf(roots);
  for (int k = 0; k < 10; k++) {
    const double want = 10 - k;
    EXPECT_NEAR(got[2 * k], want, 1e-6 * want) << "root " << want;
    EXPECT_NEAR(got[2 * k + 1], 0.0, 1e-6 * want) << "root " << want;
  }
}

TEST_F(RootsTest, ZerosAndPolesOfARational) {
  // (s - 2) / ((s + 1)(s + 2))
  Rational* r = RatNumeDenoDef(PolyOf(0, {-2, 1}), PolyOf(0, {2, 3, 1}));
  ExpectRoots(RatZeros(r), {2, 0});
  ExpectRoots(RatPoles(r), {-1, 0, -2, 0});
  ExpectRoots(RatPoles(RatNumeDef(PolyOf(0, {1, 1}))), {});
}

TEST_F(RootsTest, RationalAtAMatrixIsNumeratorTimesInverseDenominator) {
  // (s + 1) / (s^2 + 2) at A: N = A + I, D = A^2 + 2I, and D^-1 by the
  // 2 x 2 adjugate formula.
  Matrix* a = Real("A", 2, 2, {1, 2, 3, 4});
  Rational* r = RatNumeDenoDef(PolyOf(0, {1, 1}), PolyOf(0, {2, 0, 1}));
  const V n = {2, 2, 3, 5};
  const V d = {9, 10, 15, 24};
  const double det = d[0] * d[3] - d[1] * d[2];
  const V inv = {d[3] / det, -d[1] / det, -d[2] / det, d[0] / det};
  const V want = {n[0] * inv[0] + n[1] * inv[2], n[0] * inv[1] + n[1] * inv[3],
                  n[2] * inv[0] + n[3] * inv[2], n[2] * inv[1] + n[3] * inv[3]};
  Matrix* got = RatEvalM(r, a);
  ASSERT_EQ(got->rows, 2);
  ASSERT_EQ(got->cols, 2);
  for (int k = 0; k < 4; k++) EXPECT_NEAR(valuesOf(got)[k], want[k], 4 * vorn_eps) << "at " << k;
}

TEST_F(RootsDeathTest, ZeroPolynomial) {
  Polynomial* z = PolySetName(PolyOf(0, {0, 0, 0}, "x"), "z");
  Polynomial* c = PolyOf(MAT_COMPLEX, {0, 0});
  EXPECT_EXIT(PolyRoots(z), kFatal, ReportLine("roots(z(x^2)) : Arg is a zero polynomial", "PolyRoots()"));
  EXPECT_EXIT(PolyRoots(c), kFatal, ReportLine("roots((s^0)) : Arg is a zero polynomial", "PolyRoots()"));
}

}  // namespace
