// Matrix constructors, assignment, copies, growth and element access.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "matrix_test_util.h"
#include "support/vorn_test.h"

namespace {

class ConstructTest : public VornTest {};
using ConstructDeathTest = ConstructTest;

std::vector<double> valuesOf(Matrix* m) {
  const int w = m->class_ == MAT_COMPLEX ? 2 : 1;
  const double* d = MatReal(m);
  return std::vector<double>(d, d + static_cast<size_t>(m->rows) * m->cols * w);
}

void expectShape(Matrix* m, int rows, int cols, int class_) {
  EXPECT_EQ(m->rows, rows);
  EXPECT_EQ(m->cols, cols);
  EXPECT_EQ(m->class_, class_);
  EXPECT_EQ(m->type, 0);
}

using V = std::vector<double>;

TEST_F(ConstructTest, ConstructorsFillAsDescribed) {
  expectShape(MatZDef2(2, 3), 2, 3, MAT_REAL);
  EXPECT_EQ(valuesOf(MatZDef2(2, 3)), V(6, 0.0));
  EXPECT_EQ(valuesOf(MatZDef(2)), V(4, 0.0));
  EXPECT_EQ(valuesOf(MatOneDef(1, 3)), V(3, 1.0));
  EXPECT_EQ(valuesOf(MatFillDef(2, 1, -2.5)), V(2, -2.5));
  EXPECT_EQ(valuesOf(MatSameSizeFillDef(MatDef("", 1, 2), 7.0)), V(2, 7.0));
  EXPECT_EQ(valuesOf(MatIDef2(2, 3)), (V{1, 0, 0, 0, 1, 0}));
  EXPECT_EQ(valuesOf(MatIDef2(3, 2)), (V{1, 0, 0, 1, 0, 0}));
  EXPECT_EQ(valuesOf(MatIDef(2)), (V{1, 0, 0, 1}));
  EXPECT_EQ(valuesOf(MatDiagDef(2, 3.0, 4.0)), (V{3, 0, 0, 4}));
  EXPECT_EQ(valuesOf(MatVander(3, 2.0, -1.0, 0.5)), (V{1, 2, 4, 1, -1, 1, 1, 0.5, 0.25}));
  Matrix* row = MatRowVec(3, 1.0, 2.0, 3.0);
  expectShape(row, 1, 3, MAT_REAL);
  EXPECT_EQ(valuesOf(row), (V{1, 2, 3}));
  expectShape(MatColumnVec(2, 5.0, 6.0), 2, 1, MAT_REAL);
  expectShape(MatRowVec(0), 0, 0, MAT_REAL);
  expectShape(MatColumnVec(0), 0, 1, MAT_REAL);
  Matrix* none = MatDef("n", 0, 5);
  expectShape(none, 0, 5, MAT_REAL);
  EXPECT_EQ(none->data, nullptr);
  EXPECT_STREQ(none->name, "n");

  Matrix* z = C_MatZDef2(1, 2);
  expectShape(z, 1, 2, MAT_COMPLEX);
  EXPECT_EQ(valuesOf(z), V(4, 0.0));
  expectShape(MatSameDef(z), 1, 2, MAT_COMPLEX);
  expectShape(MatSameClassDef(z, 3, 1), 3, 1, MAT_COMPLEX);
  EXPECT_EQ(valuesOf(MatSameClassZDef(z, 1, 1)), V(2, 0.0));
  expectShape(MatTransDef(MatDef("", 2, 5)), 5, 2, MAT_REAL);
  expectShape(C_MatTransDef(z), 2, 1, MAT_COMPLEX);
  expectShape(MatMulDef(MatDef("", 2, 3), MatDef("", 3, 4)), 2, 4, MAT_REAL);
  expectShape(MatMulDef(MatDef("", 2, 3), C_MatDef("", 3, 4)), 2, 4, MAT_COMPLEX);
}

TEST_F(ConstructTest, AssignToItselfReleasesNothing) {
  Matrix* local = MatSetType(MatZDef2(2, 2), 1);
  Matrix* pending = MatDef("", 1, 1);
  EXPECT_EQ(MatAssign(local, local), local);
  EXPECT_FALSE(pending->parked);
  MatFree(local);
}

TEST_F(ConstructTest, AssignFromTemporaryExchangesStorage) {
  Matrix* local = MatSetType(MatDef("x", 1, 1), 1);
  MatReal(local)[0] = 9.0;
  Matrix* tmp = MatOneDef(2, 3);
  void* const storage = tmp->data;
  MatAssign(local, tmp);
  EXPECT_EQ(local->type, 1);
  EXPECT_STREQ(local->name, "x");
  EXPECT_EQ(local->data, storage);
  EXPECT_EQ(valuesOf(local), V(6, 1.0));
  EXPECT_TRUE(tmp->parked);  // released in the same call with x's old storage
  EXPECT_EQ(tmp->rows * tmp->cols, 1);
  MatFree(local);
}

TEST_F(ConstructTest, AssignFromNamedValueCopies) {
  Matrix* a = MatSetType(MatDef("a", 1, 1), 1);
  Matrix* b = MatSetType(C_MatZDef2(2, 2), 1);
  C_MatSetValue(b, 1, 2, 3.0, 4.0);
  MatAssign(a, b);
  EXPECT_EQ(a->type, 1);
  EXPECT_EQ(a->class_, MAT_COMPLEX);
  EXPECT_EQ(a->rows * 10 + a->cols, 22);
  EXPECT_NE(a->data, b->data);
  EXPECT_EQ(valuesOf(a), valuesOf(b));
  C_MatSetValue(a, 1, 2, 5.0, 6.0);
  EXPECT_EQ(C_MatGetPtr(b, 1, 2)[0], 3.0);
  MatFree(a);
  MatFree(b);
}

TEST_F(ConstructTest, DupMoveAndSwap) {
  Matrix* a = MatRowVec(2, 1.0, 2.0);
  Matrix* d = MatDup(a);
  EXPECT_NE(d->data, a->data);
  EXPECT_EQ(valuesOf(d), valuesOf(a));

  Matrix* b = MatRowVec(2, 3.0, 4.0);
  MatSwap(a, b);
  EXPECT_EQ(valuesOf(a), (V{3, 4}));
  EXPECT_EQ(valuesOf(b), (V{1, 2}));

  Matrix* local = MatSetType(MatDef("l", 1, 1), 1);
  Matrix* src = MatColumnVec(3, 7.0, 8.0, 9.0);
  MatMove(local, src);
  EXPECT_EQ(local->type, 1);
  EXPECT_EQ(local->rows, 3);
  EXPECT_EQ(src->type, 0);
  EXPECT_EQ(src->rows, 1);
  MatFree(local);
}

TEST_F(ConstructTest, EnlargeKeepsValuesAtTopLeft) {
  Matrix* m = MatSetType(MatDef("g", 2, 2), 1);
  MatReal(m)[0] = 1, MatReal(m)[1] = 2, MatReal(m)[2] = 3, MatReal(m)[3] = 4;
  MatEnlarge(m, 3, 3);
  EXPECT_EQ(valuesOf(m), (V{1, 2, 0, 3, 4, 0, 0, 0, 0}));
  EXPECT_EQ(m->type, 1);
  EXPECT_STREQ(m->name, "g");
  MatEnlargeClass(m, 3, 4, C_MatDef("", 0, 0));
  EXPECT_EQ(m->class_, MAT_COMPLEX);
  EXPECT_EQ(m->cols, 4);
  EXPECT_EQ(C_MatGetPtr(m, 2, 2)[0], 4.0);
  EXPECT_EQ(C_MatGetPtr(m, 2, 2)[1], 0.0);
  EXPECT_EQ(C_MatGetPtr(m, 3, 4)[0], 0.0);
  MatFree(m);
}

TEST_F(ConstructTest, SetZeroFillAndReshape) {
  Matrix* z = C_MatDef("", 2, 1);
  EXPECT_EQ(valuesOf(MatSetZero(z)), V(4, 0.0));
  Matrix* m = MatFillValue(MatDef("", 2, 3), 2.0);
  EXPECT_EQ(valuesOf(m), V(6, 2.0));
  MatSetVecValue(m, 2, 5.0);
  MatReshape(m, 3, 2);
  EXPECT_EQ(m->rows, 3);
  EXPECT_EQ(MatGetValue(m, 1, 2), 5.0);  // storage order kept
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

struct VecGrowCase {
  int rows, cols, k, wantRows, wantCols;
};

TEST_F(ConstructTest, SetVecValueGrowsByShape) {
  const VecGrowCase cases[] = {
      {1, 2, 4, 1, 4}, {2, 1, 4, 4, 1}, {0, 0, 4, 1, 4}, {0, 1, 3, 3, 1},
      {2, 3, 8, 3, 3}, {2, 3, 6, 2, 3}, {1, 0, 2, 1, 2},
  };
  for (const VecGrowCase& c : cases) {
    Matrix* m = MatZDef2(c.rows, c.cols);
    MatSetVecValue(m, c.k, 7.0);
    EXPECT_EQ(m->rows, c.wantRows) << c.rows << "x" << c.cols << " k=" << c.k;
    EXPECT_EQ(m->cols, c.wantCols) << c.rows << "x" << c.cols << " k=" << c.k;
    EXPECT_EQ(MatGetVecValue(m, c.k), 7.0);
  }
  Matrix* m = MatZDef2(2, 3);
  MatSetVecValue(m, 8, 1.0);
  EXPECT_EQ(MatGetValue(m, 3, 2), 1.0);
  Matrix* z = C_MatZDef2(1, 1);
  C_MatSetVecValue(z, 3, 1.0, 2.0);
  EXPECT_EQ(z->cols, 3);
  EXPECT_EQ(C_MatGetVecPtr(z, 3)[1], 2.0);
}

TEST_F(ConstructTest, ReadingAndShapeQueries) {
  Matrix* m = MatRowVec(6, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0);
  MatReshape(m, 2, 3);
  EXPECT_EQ(MatGetVecValue(m, 4), MatGetValue(m, 2, 1));
  *MatGetPtr(m, 2, 3) = 60.0;
  EXPECT_EQ(*MatGetVecPtr(m, 6), 60.0);
  EXPECT_EQ(valuesOf(MatColumnVector(m, 2)), (V{2, 5}));
  EXPECT_EQ(valuesOf(MatRowVector(m, 2)), (V{4, 5, 60}));
  expectShape(MatColumnVector(m, 1), 2, 1, MAT_REAL);
  Matrix* z = C_MatZDef2(2, 2);
  C_MatSetValue(z, 2, 1, 1.0, -1.0);
  EXPECT_EQ(valuesOf(MatColumnVector(z, 1)), (V{0, 0, 1, -1}));
  EXPECT_EQ(valuesOf(MatRowVector(z, 2)), (V{1, -1, 0, 0}));

  EXPECT_EQ(MatLength(MatDef("", 3, 7)), 7);
  EXPECT_EQ(MatLength(MatDef("", 0, 7)), 0);
  const int complexOf[] = {0, 1, 0, 1, 0, 1, 0};
  for (int c = 0; c <= 6; c++) {
    MatSetClass(m, c);
    EXPECT_EQ(MatIsComplexValue(m), complexOf[c]) << c;
    EXPECT_EQ(MatIsRealValue(m), c <= 5 ? 1 - complexOf[c] : 0) << c;
  }
  MatSetClass(m, 0);
}

// Fatal paths: the exact report line and status 255.
struct FatalCase {
  const char* what;
  std::function<void()> body;
  std::string line;
};

TEST_F(ConstructDeathTest, MisuseIsReportedWithTagAndSource) {
  const char* size = "Not appropriate column or row number";
  auto named = [](const char* name, int r, int c) { return MatDef(name, r, c); };
  const FatalCase cases[] = {
      {"def", [] { MatDef("x", -1, 2); },
       ReportLine("MatDef(\"x\", -1, 2) : " + std::string(size), "MatDef()")},
      {"overflow", [] { MatDef("big", 65536, 65536); },
       ReportLine("MatDef(\"big\", 65536, 65536) : " + std::string(size), "MatDef()")},
      {"z2", [] { MatZDef2(-1, 3); }, ReportLine("Z(-1, 3) : " + std::string(size), "MatZDef2()")},
      {"z", [] { MatZDef(-2); }, ReportLine("Z(-2) : " + std::string(size), "MatZDef()")},
      {"diag", [] { MatDiagDef(-1); }, ReportLine("Z(-1) : " + std::string(size), "MatZDef()")},
      {"one", [] { MatOneDef(2, -1); }, ReportLine("ONE(2, -1) : " + std::string(size), "MatOneDef()")},
      {"fill", [] { MatFillDef(-1, 1, 0.0); }, ReportLine(size, "MatFillDef()")},
      {"i2", [] { MatIDef2(-1, 2); }, ReportLine("I(-1, 2) : " + std::string(size), "MatIDef2()")},
      {"i", [] { MatIDef(-3); }, ReportLine("I(-3) : " + std::string(size), "MatIDef()")},
      {"same class", [&] { MatSameDef(MatSetClass(named("", 2, 2), 9)); },
       ReportLine("Incorrect class matrix for '(2 x 2)'", "MatSameDef()")},
      {"mul size", [&] { MatMulDef(named("A", 2, 3), named("B", 2, 3)); },
       ReportLine("Size Error for 'A(2 x 3)' and 'B(2 x 3)'", "MatMulDef()")},
      {"copy class", [&] { MatCopy(named("A", 2, 2), C_MatDef("B", 2, 2)); },
       ReportLine("Not same class for 'B(2 x 2)' and 'A(2 x 2)'", "MatCopy()")},
      {"copy size", [&] { MatCopy(named("A", 2, 2), named("B", 2, 1)); },
       ReportLine("Not same size for 'B(2 x 1)' and 'A(2 x 2)'", "MatCopy()")},
      {"swap class", [&] { MatSwap(named("a", 1, 1), C_MatDef("b", 1, 1)); },
       ReportLine("Not same class for 'b(1 x 1)' and 'a(1 x 1)'", "MatSwap()")},
      {"zero class", [&] { MatSetZero(MatSetClass(named("c", 1, 1), 6)); },
       ReportLine("Class Error for 'c(1 x 1)'", "MatSetZero()")},
      {"fill class", [] { MatFillValue(C_MatDef("z", 2, 2), 1.5); },
       ReportLine("fill(z(2x2), 1.5) : Not a real matrix", "MatFillValue()")},
      {"reshape", [&] { MatReshape(named("A", 2, 3), 4, 2); },
       ReportLine("reshape(A(2x3), 4, 2) : Not same size", "MatReshape()")},
      {"reshape negative", [&] { MatReshape(named("A", 2, 3), -2, -3); },
       ReportLine("reshape(A(2x3), -2, -3) : " + std::string(size), "MatReshape()")},
      {"set class", [] { Mat_SetValue(C_MatDef("z", 1, 1), 1, 1, 2.0); },
       ReportLine("z(1x1)(1,1) = 2 : Not a real matrix", "MatSetValue()")},
      {"set index", [&] { MatSetValue(named("A", 2, 2), 0, 1, 2.5); },
       ReportLine("A(2x2)(0,1) = 2.5 : Not a suitable index", "MatSetValue()")},
      {"get index", [&] { MatGetValue(named("A", 2, 2), 0, 1); },
       ReportLine("A(2x2)(0,1) : Not a suitable index", "MatGetPtr()")},
      {"get class", [] { MatGetValue(C_MatDef("z", 2, 2), 1, 1); },
       ReportLine("z(2x2)(1,1) : Not a real matrix", "MatGetPrt()")},
      {"vec set empty", [&] { MatSetVecValue(named("", 0, 3), 1, 7.0); },
       ReportLine("(0x3)(1) = 7 : Not a suitable index", "MatSetVecValue()")},
      {"vec get", [&] { MatGetVecValue(named("v", 2, 3), 7); },
       ReportLine("v(2x3)(7) : Not a suitable index", "MatGetVecPtr()")},
      {"vec get class", [] { MatGetVecPtr(C_MatDef("z", 1, 1), 1); },
       ReportLine("z(1x1)(1) : Not a real matrix", "MatGetVecPrt()")},
      {"column", [&] { MatColumnVector(named("A", 2, 3), 4); },
       ReportLine("A(2x3)(:, 4) : Not appropriate column number", "MatColumnVector()")},
      {"row", [&] { MatRowVector(named("A", 2, 3), 0); },
       ReportLine("A(2x3)(0, :) : Not appropriate row number", "MatRowVector()")},
      {"complex get", [&] { C_MatGetPtr(named("A", 1, 1), 1, 1); },
       ReportLine("A(1x1)(1,1) : Not a complex matrix", "C_MatGetPtr()")},
  };
  for (const FatalCase& c : cases)
    EXPECT_EXIT(c.body(), ::testing::ExitedWithCode(255), c.line) << c.what;
}

}  // namespace

namespace {

// A 1 x n polynomial matrix built by hand (its constructors come with the
// polynomial kind), elements c + k*s.
Matrix* polyRow(int n, double c) {
  Matrix* m = MatDef("", 1, n);
  efree(m->data);
  m->data = emalloc(static_cast<size_t>(n) * sizeof(Polynomial*));
  for (int k = 0; k < n; k++) {
    Polynomial* p = PolySetType(PolyDef("", 1, "s"), 3);
    MatReal(p->coef)[0] = c;
    MatReal(p->coef)[1] = k;
    MatPolys(m)[k] = p;
  }
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
    EXPECT_NE(p, MatPolys(src)[k]);
    EXPECT_EQ(p->type, 3);
    EXPECT_EQ(p->degree, 1);
    EXPECT_EQ(MatReal(p->coef)[0], 5.0);
    EXPECT_EQ(MatReal(p->coef)[1], k);
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
