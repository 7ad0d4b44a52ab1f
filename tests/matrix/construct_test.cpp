// Matrix constructors, assignment, copies, growth and element access.
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using ConstructTest = VornTest;
using ConstructDeathTest = VornTest;

TEST_F(ConstructTest, Constructors) {
  ExpectMatrix(MatZDef2(2, 3), 2, 3, MAT_REAL, V(6, 0.0));
  EXPECT_EQ(valuesOf(MatIDef2(2, 3)), (V{1, 0, 0, 0, 1, 0}));
  EXPECT_EQ(valuesOf(MatIDef2(3, 2)), (V{1, 0, 0, 1, 0, 0}));
  EXPECT_EQ(valuesOf(MatDiagDef(2, 3.0, 4.0)), (V{3, 0, 0, 4}));
  EXPECT_EQ(valuesOf(MatVander(3, 2.0, -1.0, 0.5)), (V{1, 2, 4, 1, -1, 1, 1, 0.5, 0.25}));
  ExpectMatrix(MatRowVec(3, 1.0, 2.0, 3.0), 1, 3, MAT_REAL, {1, 2, 3});
  ExpectMatrix(MatColumnVec(2, 5.0, 6.0), 2, 1, MAT_REAL, {5, 6});
  ExpectShape(MatRowVec(0), 0, 0, MAT_REAL);
  ExpectShape(MatColumnVec(0), 0, 1, MAT_REAL);
  Matrix* none = MatDef("n", 0, 5);
  ExpectShape(none, 0, 5, MAT_REAL);
  EXPECT_TRUE(none->data == nullptr && std::string(none->name) == "n");
  ExpectMatrix(C_MatZDef2(1, 2), 1, 2, MAT_COMPLEX, V(4, 0.0));
  ExpectShape(MatMulDef(MatDef("", 2, 3), C_MatDef("", 3, 4)), 2, 4, MAT_COMPLEX);
}

// From itself nothing is released; a temporary hands its storage over and
// leaves with the old one; a named value is copied.
TEST_F(ConstructTest, Assign) {
  Matrix* local = MatSetType(MatDef("x", 1, 1), 1);
  Matrix* pending = MatDef("", 1, 1);
  EXPECT_EQ(MatAssign(local, local), local);
  EXPECT_FALSE(pending->parked);
  Matrix* tmp = MatOneDef(2, 3);
  void* const storage = tmp->data;
  MatAssign(local, tmp);
  EXPECT_TRUE(local->type == 1 && std::string(local->name) == "x" && local->data == storage);
  EXPECT_EQ(valuesOf(local), V(6, 1.0));
  EXPECT_TRUE(tmp->parked && tmp->rows * tmp->cols == 1);
  Matrix* b = MatSetType(Complex2("b", 1, 2, {1, 2, 3, 4}), 1);
  MatAssign(local, b);
  ExpectMatrix(local, 1, 2, MAT_COMPLEX, {1, 2, 3, 4});
  EXPECT_EQ(local->type, 1);
  C_MatSetValue(local, 1, 2, 5.0, 6.0);
  EXPECT_EQ(valuesOf(b), (V{1, 2, 3, 4}));  // no storage shared
  MatFree(local);
  MatFree(b);
}

TEST_F(ConstructTest, SetValueGrowsTheMatrix) {
  Matrix* m = MatFillDef(2, 2, 1.0);
  MatSetValue(m, 3, 5, 8.0);
  EXPECT_EQ(valuesOf(m), (V{1, 1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 8}));
  Matrix* z = C_MatZDef2(1, 1);
  MatSetValue(z, 1, 2, 3.0);
  EXPECT_EQ(valuesOf(z), (V{0, 0, 3, 0}));
  Matrix* odd = MatSetClass(MatDef("", 1, 1), 9);
  EXPECT_EQ(MatSetValue(odd, 1, 1, 1.0), odd);  // other classes: nothing happens
  EXPECT_EQ(MatSetVecValue(odd, 1, 1.0), odd);
  MatSetClass(odd, 0);
}

// The growth by shape is checked for every class with the vector stores of
// element matrices; here the old values keep their running indices.
TEST_F(ConstructTest, SetVecValueGrowsByShape) {
  Matrix* m = Counting("", 2, 3);
  MatSetVecValue(m, 8, -1.0);
  ExpectMatrix(m, 3, 3, MAT_REAL, {1, 2, 3, 4, 5, 6, 0, -1, 0});
  Matrix* z = C_MatZDef2(1, 1);
  C_MatSetVecValue(z, 3, 1.0, 2.0);
  ExpectMatrix(z, 1, 3, MAT_COMPLEX, {0, 0, 0, 0, 1, 2});
}

TEST_F(ConstructTest, ReadingAndShapeQueries) {
  Matrix* m = Counting("", 2, 3);
  EXPECT_EQ(MatGetVecValue(m, 4), 4.0);
  EXPECT_EQ(MatGetValue(m, 2, 1), 4.0);
  *MatGetPtr(m, 2, 3) = 60.0;
  EXPECT_EQ(*MatGetVecPtr(m, 6), 60.0);
  ExpectMatrix(MatColumnVector(m, 2), 2, 1, MAT_REAL, {2, 5});
  ExpectMatrix(MatRowVector(m, 2), 1, 3, MAT_REAL, {4, 5, 60});
  MatReshape(m, 3, 2);
  ExpectMatrix(m, 3, 2, MAT_REAL, {1, 2, 3, 4, 5, 60});  // storage order kept
  Matrix* z = Complex2("", 2, 2, {0, 0, 0, 0, 1, -1, 0, 0});
  EXPECT_EQ(valuesOf(MatColumnVector(z, 1)), (V{0, 0, 1, -1}));
}

TEST_F(ConstructDeathTest, MisuseIsReportedWithTagAndSource) {
  const std::string size = " : Not appropriate column or row number";
  ExpectFatal({
      {[] { MatDef("x", -1, 2); }, "MatDef(\"x\", -1, 2)" + size, "MatDef()"},
      {[] { MatDef("big", 65536, 65536); }, "MatDef(\"big\", 65536, 65536)" + size, "MatDef()"},
      {[] { MatZDef2(-1, 3); }, "Z(-1, 3)" + size, "MatZDef2()"},
      {[] { MatZDef(-2); }, "Z(-2)" + size, "MatZDef()"},
      {[] { MatFillDef(-1, 1, 0.0); }, size.substr(3), "MatFillDef()"},
      {[] { MatSameDef(MatSetClass(MatDef("", 2, 2), 9)); }, "Incorrect class matrix for '(2 x 2)'", "MatSameDef()"},
      {[] { MatMulDef(MatDef("A", 2, 3), MatDef("B", 2, 3)); }, "Size Error for 'A(2 x 3)' and 'B(2 x 3)'",
       "MatMulDef()"},
      {[] { MatCopy(MatDef("A", 2, 2), C_MatDef("B", 2, 2)); }, "Not same class for 'B(2 x 2)' and 'A(2 x 2)'",
       "MatCopy()"},
      {[] { MatCopy(MatDef("A", 2, 2), MatDef("B", 2, 1)); }, "Not same size for 'B(2 x 1)' and 'A(2 x 2)'",
       "MatCopy()"},
      {[] { MatSwap(MatDef("a", 1, 1), C_MatDef("b", 1, 1)); }, "Not same class for 'b(1 x 1)' and 'a(1 x 1)'",
       "MatSwap()"},
      {[] { MatSetZero(MatSetClass(MatDef("c", 1, 1), 6)); }, "Class Error for 'c(1 x 1)'", "MatSetZero()"},
      {[] { MatFillValue(C_MatDef("z", 2, 2), 1.5); }, "fill(z(2x2), 1.5) : Not a real matrix", "MatFillValue()"},
      {[] { MatReshape(MatDef("A", 2, 3), 4, 2); }, "reshape(A(2x3), 4, 2) : Not same size", "MatReshape()"},
      {[] { MatReshape(MatDef("A", 2, 3), -2, -3); }, "reshape(A(2x3), -2, -3)" + size, "MatReshape()"},
      {[] { Mat_SetValue(C_MatDef("z", 1, 1), 1, 1, 2.0); }, "z(1x1)(1,1) = 2 : Not a real matrix", "MatSetValue()"},
      {[] { MatSetValue(MatDef("A", 2, 2), 0, 1, 2.5); }, "A(2x2)(0,1) = 2.5 : Not a suitable index", "MatSetValue()"},
      {[] { MatGetValue(MatDef("A", 2, 2), 0, 1); }, "A(2x2)(0,1) : Not a suitable index", "MatGetPtr()"},
      {[] { MatGetValue(C_MatDef("z", 2, 2), 1, 1); }, "z(2x2)(1,1) : Not a real matrix", "MatGetPrt()"},
      {[] { MatSetVecValue(MatDef("", 0, 3), 1, 7.0); }, "(0x3)(1) = 7 : Not a suitable index", "MatSetVecValue()"},
      {[] { MatGetVecValue(MatDef("v", 2, 3), 7); }, "v(2x3)(7) : Not a suitable index", "MatGetVecPtr()"},
      {[] { MatGetVecPtr(C_MatDef("z", 1, 1), 1); }, "z(1x1)(1) : Not a real matrix", "MatGetVecPrt()"},
      {[] { MatColumnVector(MatDef("A", 2, 3), 4); }, "A(2x3)(:, 4) : Not appropriate column number",
       "MatColumnVector()"},
      {[] { MatRowVector(MatDef("A", 2, 3), 0); }, "A(2x3)(0, :) : Not appropriate row number", "MatRowVector()"},
      {[] { C_MatGetPtr(MatDef("A", 1, 1), 1, 1); }, "A(1x1)(1,1) : Not a complex matrix", "C_MatGetPtr()"},
  });
}

// A 1 x n polynomial matrix built by hand (the runtime has no polynomial
// matrix constructor), elements c + k*s.
Matrix* polyRow(int n, double c) {
  Matrix* m = MatDef("", 1, n);
  efree(m->data);
  m->data = emalloc(static_cast<size_t>(n) * sizeof(Polynomial*));
  for (int k = 0; k < n; k++) MatPolys(m)[k] = PolySetType(PolyOf(MAT_REAL, {c, static_cast<double>(k)}, "s"), 3);
  return MatSetClass(m, MAT_POLY);
}

// Parked polynomials keep their coefficient rows live, so this test does
// not use the live-count fixture.
TEST(ConstructPoly, CopiesDuplicateElementObjects) {
  VornTestStartUp();
  Matrix* src = MatSetType(polyRow(2, 5.0), 1);
  Matrix* dst = MatSetType(MatZDef2(3, 3), 1);
  MatAssign(dst, src);
  ASSERT_EQ(dst->class_, MAT_POLY);
  ASSERT_EQ(dst->cols, 2);
  for (int k = 0; k < 2; k++) {
    Polynomial* p = MatPolys(dst)[k];
    EXPECT_TRUE(p != MatPolys(src)[k] && p->type == 3);
    EXPECT_EQ(valuesOf(p->coef), (V{5.0, static_cast<double>(k)}));
  }
  Matrix* other = MatSetType(polyRow(2, -1.0), 1);
  const int polys = PolyLiveCount();
  MatCopy(dst, other);
  EXPECT_EQ(PolyLiveCount(), polys);  // each old element released
  EXPECT_EQ(MatReal(MatPolys(dst)[0]->coef)[0], -1.0);
  MatAssign(dst, MatOneDef(1, 1));  // back to real: the elements go
  EXPECT_EQ(dst->class_, MAT_REAL);
  for (Matrix* m : {src, dst, other}) MatUndef(m);
  MatObjectTmpUndef();
}

}  // namespace
