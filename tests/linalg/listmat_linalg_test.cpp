// The List wrappers of the linear-algebra routines: element counts and
// classes, and the combinations they form (P'L, the diagonal of values).
#include "linalg/dense.h"
#include "support/values.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using ListLinalgTest = VornTest;

dense::M elementOf(List* l, int i) { return dense::of(static_cast<Matrix*>(ListGetElementP(l, i, LIST_MATRIX))); }

TEST_F(ListLinalgTest, EveryWrapperPacksItsResults) {
  Matrix* A = Real("A", 3, 3, {4, 1, -2, 2, 3, 0, 1, 1, 5});
  Matrix* B = Real("B", 3, 3, {2, 0, 0, 0, 1, 0, 0, 0, 3});
  struct Case {
    const char* name;
    List* list;
    std::vector<int> classes;
  } cases[] = {
      {"balance", ListMatBalance(A), {7, 7}},
      {"eig", ListMatEig(A), {7, 7, 2}},
      {"geig", ListMatGEig(A, B), {7, 7, 2}},
      {"svd", ListMatSVD(Real("W", 2, 3, {1, 2, 3, 4, 5, 6})), {7, 7, 7, 2}},
      {"lu 0", ListMatLU(A, 0), {7, 7}},
      {"lu 1", ListMatLU(A, 1), {7, 7, 7}},
      {"hess", ListMatHessenberg(A), {7, 7}},
      {"schur", ListMatSchur(A), {7, 7, 2}},
      {"qr 0", ListMatQR(A, 0), {7, 7}},
      {"qr 1", ListMatQR(A, 1), {7, 7, 7}},
      {"qz", ListMatQZ(A, B), {7, 7, 7, 7, 7, 2}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.list->length, static_cast<int>(c.classes.size())) << c.name;
    for (size_t k = 0; k < c.classes.size(); k++) EXPECT_EQ(ListGetClass(c.list, k + 1), c.classes[k]) << c.name;
  }
  // P'L U = A.
  const dense::M plu = dense::mul(elementOf(cases[4].list, 1), elementOf(cases[4].list, 2));
  EXPECT_LT(dense::norm(dense::sub(plu, dense::of(A))), 1e-14);
  // The eigenvalues sit on the diagonal, in the routine's order.
  const dense::M d = elementOf(cases[1].list, 1), val = dense::of(MatEigVal(A));
  for (int k = 0; k < 3; k++) EXPECT_EQ(d(k, k), val.a[k]);
  EXPECT_EQ(*static_cast<int32_t*>(ListGetElementP(cases[1].list, 3, LIST_INTEGER)), 0);
  // The singular values on the diagonal of a matrix of the operand's shape.
  const dense::M s = elementOf(cases[3].list, 2);
  EXPECT_EQ(s.r, 2);
  EXPECT_EQ(s.c, 3);
  EXPECT_GT(s(0, 0).real(), s(1, 1).real());
  for (const Case& c : cases) ListUndef(c.list);
}

}  // namespace
