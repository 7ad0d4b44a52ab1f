#include "runtime/matrix/matrix_arith.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <string>

#include "runtime/core/entry.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/matrix/polymat.h"
#include "runtime/core/report.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/complex_value.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"

namespace {

using vorn_matrix::ClassTable;
using vorn_matrix::elementCount;
using vorn_matrix::entryFor;
using vorn_matrix::isZeroByZero;
using vorn_matrix::kBadClass;
using vorn_matrix::nameOf;
using vorn_matrix::sameShape;
using R = vorn_matrix::RealElements;
using C = vorn_matrix::ComplexElements;

inline const char* variableOf(const Polynomial* p) {
  return p->variable != nullptr && p->variable[0] != '\0' ? p->variable : "s";
}

using Runner1 = Matrix* (*)(Matrix* m);
using Runner2 = Matrix* (*)(Matrix* a, Matrix* b);
using RunnerReal = Matrix* (*)(Matrix* m, double x);
using RunnerRealRev = Matrix* (*)(Matrix* m, double x, int reversed);
using RunnerComp = Matrix* (*)(Matrix* m, Complex* z);
using RunnerCompRev = Matrix* (*)(Matrix* m, Complex* z, int reversed);
using RunnerPoly = Matrix* (*)(Matrix* m, Polynomial* p);
using RunnerPolyRev = Matrix* (*)(Matrix* m, Polynomial* p, int reversed);
using RunnerRat = Matrix* (*)(Matrix* m, Rational* r);
using RunnerRatRev = Matrix* (*)(Matrix* m, Rational* r, int reversed);

// c(k) = f(m(k)) over the storage; c may be m.
template <class E, class F>
Matrix* mapElements(Matrix* c, Matrix* m, F f) {
  VORN_ASSERT(sameShape(c, m));
  const typename E::Elem* const x = E::of(m);
  typename E::Elem* const z = E::of(c);
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) z[k] = f(x[k]);
  return c;
}

// c(k) = f(a(k), b(k)) over the storage; c may be a or b.
template <class E, class F>
Matrix* zipElements(Matrix* c, Matrix* a, Matrix* b, F f) {
  VORN_ASSERT(sameShape(a, b) && sameShape(c, a));
  const typename E::Elem* const x = E::of(a);
  const typename E::Elem* const y = E::of(b);
  typename E::Elem* const z = E::of(c);
  const size_t n = elementCount(a);
  for (size_t k = 0; k < n; k++) z[k] = f(x[k], y[k]);
  return c;
}

// c(j, i) = m(i, j), conjugated when asked; c is not m.
template <class E, bool Conjugate>
Matrix* transposeElements(Matrix* c, Matrix* m) {
  VORN_ASSERT(c != m && c->rows == m->cols && c->cols == m->rows);
  const typename E::Elem* const x = E::of(m);
  typename E::Elem* const z = E::of(c);
  const size_t rows = static_cast<size_t>(m->rows);
  const size_t cols = static_cast<size_t>(m->cols);
  for (size_t i = 0; i < rows; i++)
    for (size_t j = 0; j < cols; j++)
      z[j * rows + i] = Conjugate ? E::conj(x[i * cols + j]) : x[i * cols + j];
  return c;
}

// c = [a, b]: each row of c is a's row followed by b's; c is neither.
template <class E>
Matrix* catRowElements(Matrix* c, Matrix* a, Matrix* b) {
  VORN_ASSERT(c != a && c != b && a->rows == b->rows);
  VORN_ASSERT(c->rows == a->rows && c->cols == a->cols + b->cols);
  const typename E::Elem* x = E::of(a);
  const typename E::Elem* y = E::of(b);
  typename E::Elem* z = E::of(c);
  const size_t ac = static_cast<size_t>(a->cols);
  const size_t bc = static_cast<size_t>(b->cols);
  for (int i = 0; i < a->rows; i++) {
    z = std::copy_n(x, ac, z);
    z = std::copy_n(y, bc, z);
    x += ac;
    y += bc;
  }
  return c;
}

// c = [[a][b]]: a's rows, then b's; c is neither.
template <class E>
Matrix* catColumnElements(Matrix* c, Matrix* a, Matrix* b) {
  VORN_ASSERT(c != a && c != b && a->cols == b->cols);
  VORN_ASSERT(c->cols == a->cols && c->rows == a->rows + b->rows);
  typename E::Elem* const z = E::of(c);
  std::copy_n(E::of(b), elementCount(b), std::copy_n(E::of(a), elementCount(a), z));
  return c;
}

// ---------------------------------------------------------------------------
// Reports.

// "<open>a(RxC)<infix>b(RxC)<close>" into mat_err_src, then the fatal report.
[[noreturn]] void failBinary(const char* tag, const char* message, const char* open,
                             const char* infix, const char* close, Matrix* a, Matrix* b) {
  MatErrorSource("%s%s(%dx%d)%s%s(%dx%d)%s", open, nameOf(a), a->rows, a->cols, infix, nameOf(b),
                 b->rows, b->cols, close);
  MatError2(tag, message, a, b);
}

// "<open>m(RxC)<close>" into mat_err_src, then the fatal report.
[[noreturn]] void failUnary(const char* tag, const char* message, const char* open,
                            const char* close, Matrix* m) {
  MatErrorSource("%s%s(%dx%d)%s", open, nameOf(m), m->rows, m->cols, close);
  MatError(tag, message, m);
}

// ---------------------------------------------------------------------------
// Operations on two matrices.

enum class SizeRule { kSame, kInner, kRows, kCols };

bool sizeRuleHolds(SizeRule rule, const Matrix* a, const Matrix* b) {
  switch (rule) {
    case SizeRule::kSame: return a->rows == b->rows && a->cols == b->cols;
    case SizeRule::kInner: return a->cols == b->rows;
    case SizeRule::kRows: return a->rows == b->rows;
    case SizeRule::kCols: return a->cols == b->cols;
  }
  return false;
}

struct BinarySpec {
  const char* tag;
  SizeRule rule;
  const char* sizeMessage;
  const char* open;    // source description: open a infix b close
  const char* infix;
  const char* close;
  MatBinaryOperation self;   // the operation again, for promoted operands
  ClassTable<Runner2> runners;
};

[[noreturn]] void failBinary(const BinarySpec& s, const char* message, Matrix* a, Matrix* b) {
  failBinary(s.tag, message, s.open, s.infix, s.close, a, b);
}

// Size rule, then the class: equal classes run their kernel, different
// ones are promoted to the joint class first.
Matrix* binaryOperation(const BinarySpec& s, Matrix* a, Matrix* b) {
  if (!sizeRuleHolds(s.rule, a, b)) failBinary(s, s.sizeMessage, a, b);
  const Runner2 run = entryFor(s.runners, MatJointClass(a->class_, b->class_));
  if (run == nullptr) failBinary(s, kBadClass, a, b);
  if (a->class_ != b->class_) return MatConvertAndOperation(s.self, a, b);
  return run(a, b);
}

// [a, b] and [[a][b]]: a 0x0 operand contributes nothing. Row-less (or
// column-less) operands hold no storage whatever their other dimension, so
// the joined dimension is checked before it is formed.
Matrix* catOperation(const BinarySpec& s, Matrix* a, Matrix* b) {
  if (isZeroByZero(a) || isZeroByZero(b)) {
    Matrix* kept = isZeroByZero(a) ? b : a;
    if (entryFor(s.runners, kept->class_) == nullptr) failBinary(s, kBadClass, a, b);
    return MatDup(kept);
  }
  const long long joined = s.rule == SizeRule::kRows
                               ? static_cast<long long>(a->cols) + b->cols
                               : static_cast<long long>(a->rows) + b->rows;
  if (joined > INT_MAX) failBinary(s, "Not appropriate column or row number", a, b);
  return binaryOperation(s, a, b);
}

const BinarySpec kAdd{
    "MatAdd()", SizeRule::kSame, "Not same size", "", " + ", "", MatAdd,
    {[](Matrix* a, Matrix* b) { return Mat_Add(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return C_Mat_Add(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return P_Mat_Add(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return R_Mat_Add(MatSameDef(a), a, b); }}};

const BinarySpec kSub{
    "MatSub()", SizeRule::kSame, "Not same size", "", " - ", "", MatSub,
    {[](Matrix* a, Matrix* b) { return Mat_Sub(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return C_Mat_Sub(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return P_Mat_Sub(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return R_Mat_Sub(MatSameDef(a), a, b); }}};

const BinarySpec kMul{
    "MatMul()", SizeRule::kInner, "Inconsistent size", "", " * ", "", MatMul,
    {[](Matrix* a, Matrix* b) { return Mat_Mul(MatMulDef(a, b), a, b); },
     [](Matrix* a, Matrix* b) { return C_Mat_Mul(MatMulDef(a, b), a, b); },
     [](Matrix* a, Matrix* b) { return P_Mat_Mul(MatMulDef(a, b), a, b); },
     [](Matrix* a, Matrix* b) { return R_Mat_Mul(MatMulDef(a, b), a, b); }}};

const BinarySpec kMulElem{
    "MatMulElem()", SizeRule::kSame, "Not same size", "", " .* ", "", MatMulElem,
    {[](Matrix* a, Matrix* b) { return Mat_MulElem(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return C_Mat_MulElem(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return P_Mat_MulElem(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return R_Mat_MulElem(MatSameDef(a), a, b); }}};

// A polynomial quotient is a rational matrix: its entry creates that.
const BinarySpec kDivElem{
    "MatDivElem()", SizeRule::kSame, "Not same size", "", " ./ ", "", MatDivElem,
    {[](Matrix* a, Matrix* b) { return Mat_DivElem(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return C_Mat_DivElem(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return P_Mat_DivElem(R_MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return R_Mat_DivElem(MatSameDef(a), a, b); }}};

const BinarySpec kCatRow{
    "MatCatRow()", SizeRule::kRows, "Inconsistent row number", "[", ", ", "]", MatCatRow,
    {[](Matrix* a, Matrix* b) {
       return Mat_CatRow(MatSameClassDef(a, a->rows, a->cols + b->cols), a, b);
     },
     [](Matrix* a, Matrix* b) {
       return C_Mat_CatRow(MatSameClassDef(a, a->rows, a->cols + b->cols), a, b);
     },
     [](Matrix* a, Matrix* b) {
       return P_Mat_CatRow(MatSameClassDef(a, a->rows, a->cols + b->cols), a, b);
     },
     [](Matrix* a, Matrix* b) {
       return R_Mat_CatRow(MatSameClassDef(a, a->rows, a->cols + b->cols), a, b);
     }}};

const BinarySpec kCatColumn{
    "MatCatColumn()", SizeRule::kCols, "Inconsistent column number", "[[", "][", "]]",
    MatCatColumn,
    {[](Matrix* a, Matrix* b) {
       return Mat_CatColumn(MatSameClassDef(a, a->rows + b->rows, a->cols), a, b);
     },
     [](Matrix* a, Matrix* b) {
       return C_Mat_CatColumn(MatSameClassDef(a, a->rows + b->rows, a->cols), a, b);
     },
     [](Matrix* a, Matrix* b) {
       return P_Mat_CatColumn(MatSameClassDef(a, a->rows + b->rows, a->cols), a, b);
     },
     [](Matrix* a, Matrix* b) {
       return R_Mat_CatColumn(MatSameClassDef(a, a->rows + b->rows, a->cols), a, b);
     }}};

// ---------------------------------------------------------------------------
// Operations on one matrix, and the class conversions.

// Classes as bits of a set: bit c stands for class c.
constexpr int kAnyClass = 0x3F;
constexpr int kRealClass = 1 << MAT_REAL;
constexpr int kComplexClass = 1 << MAT_COMPLEX;
constexpr int kPolyClasses = (1 << MAT_POLY) | (1 << MAT_C_POLY);

struct UnarySpec {
  const char* tag;
  int takes;             // the classes the operation is defined for
  const char* message;   // for any other class
  const char* open;      // source description: open m close
  const char* close;
  ClassTable<Runner1> runners;
};

// A class outside `takes` is the operation's own message; a class it takes
// whose family has no entry is the unserved class.
Matrix* unaryOperation(const UnarySpec& s, Matrix* m) {
  const bool taken = vorn_matrix::isValidClass(m->class_) && (s.takes >> m->class_ & 1) != 0;
  if (!taken) failUnary(s.tag, s.message, s.open, s.close, m);
  const Runner1 run = entryFor(s.runners, m->class_);
  if (run == nullptr) {
    MatErrorSource("%s%s(%dx%d)%s", s.open, nameOf(m), m->rows, m->cols, s.close);
    vorn_matrix::failUnservedClass(s.tag, m);
  }
  return run(m);
}

const UnarySpec kTrans{"MatTrans()", kAnyClass, kBadClass, "", "'",
                       {[](Matrix* m) { return Mat_Trans(MatTransDef(m), m); },
                        [](Matrix* m) { return C_Mat_Trans(MatTransDef(m), m); },
                        [](Matrix* m) { return P_Mat_Trans(MatTransDef(m), m); },
                        [](Matrix* m) { return R_Mat_Trans(MatTransDef(m), m); }}};

const UnarySpec kConjTrans{"MatConjTrans()", kAnyClass, kBadClass, "", "#",
                           {[](Matrix* m) { return Mat_Trans(MatTransDef(m), m); },
                            [](Matrix* m) { return C_Mat_ConjTrans(MatTransDef(m), m); },
                            [](Matrix* m) { return P_Mat_ConjTrans(MatTransDef(m), m); },
                            [](Matrix* m) { return R_Mat_ConjTrans(MatTransDef(m), m); }}};

const UnarySpec kConj{"MatConj()", kAnyClass, kBadClass, "conj(", ")",
                      {[](Matrix* m) { return MatDup(m); },
                       [](Matrix* m) { return C_Mat_Conj(MatSameDef(m), m); },
                       [](Matrix* m) { return P_Mat_Conj(MatSameDef(m), m); },
                       [](Matrix* m) { return R_Mat_Conj(MatSameDef(m), m); }}};

const UnarySpec kNegate{"MatNegate()", kAnyClass, kBadClass, "- ", "",
                        {[](Matrix* m) { return Mat_Negate(MatSameDef(m), m); },
                         [](Matrix* m) { return C_Mat_Negate(MatSameDef(m), m); },
                         [](Matrix* m) { return P_Mat_Negate(MatSameDef(m), m); },
                         [](Matrix* m) { return R_Mat_Negate(MatSameDef(m), m); }}};

const UnarySpec kIncrement{"MatIncrement()", kRealClass, kBadClass, "", "++",
                           {[](Matrix* m) { return Mat_Increment(MatSameDef(m), m); }, nullptr,
                            nullptr, nullptr}};

const UnarySpec kDecrement{"MatDecrement()", kRealClass, kBadClass, "", "--",
                           {[](Matrix* m) { return Mat_Decrement(MatSameDef(m), m); }, nullptr,
                            nullptr, nullptr}};

// The reciprocal of a polynomial matrix is a rational one.
const UnarySpec kInvElem{"MatInvElem()", kAnyClass, kBadClass, "", ".~",
                         {[](Matrix* m) { return Mat_InvElem(MatSameDef(m), m); },
                          [](Matrix* m) { return C_Mat_InvElem(MatSameDef(m), m); },
                          [](Matrix* m) { return P_Mat_InvElem(R_MatSameDef(m), m); },
                          [](Matrix* m) { return R_Mat_InvElem(MatSameDef(m), m); }}};

// The complex-coefficient twin of a polynomial or rational matrix.
Matrix* polyToComp(Matrix* m) {
  if (m->class_ == MAT_C_POLY) return MatDup(m);
  return P_Mat_RealToComp(vorn_matrix::defineElements("", m->rows, m->cols, MAT_C_POLY), m);
}
Matrix* ratToComp(Matrix* m) {
  if (m->class_ == MAT_C_RATIONAL) return MatDup(m);
  return R_Mat_RealToComp(vorn_matrix::defineElements("", m->rows, m->cols, MAT_C_RATIONAL), m);
}

const UnarySpec kRealToComp{"MatRealToComp()", kAnyClass, kBadClass, "(", ", *)",
                            {[](Matrix* m) { return C_Mat_RealToComp(C_MatSameDef(m), m); },
                             [](Matrix* m) { return MatDup(m); }, polyToComp, ratToComp}};

const UnarySpec kRealToPoly{"MatRealToPoly()", kRealClass, "Not a real matrix", "Polynomial(", ")",
                            {[](Matrix* m) { return P_Mat_RealToPoly(P_MatSameDef(m), m); }, nullptr,
                             nullptr, nullptr}};

const UnarySpec kCompToPoly{"MatCompToPoly()", kComplexClass, "Not a complex matrix", "Polynomial(", ")",
                            {nullptr, [](Matrix* m) { return P_Mat_CompToPoly(P_MatSameDef(m), m); },
                             nullptr, nullptr}};

const UnarySpec kRealToRat{"MatRealToRat()", kRealClass, "Not a real matrix", "Rational(", ")",
                           {[](Matrix* m) { return R_Mat_RealToRat(R_MatSameDef(m), m); }, nullptr,
                            nullptr, nullptr}};

const UnarySpec kCompToRat{"MatCompToRat()", kComplexClass, "Not a complex matrix", "Rational(", ")",
                           {nullptr, [](Matrix* m) { return R_Mat_CompToRat(R_MatSameDef(m), m); },
                            nullptr, nullptr}};

const UnarySpec kPolyToRat{"MatPolyToRat()", kPolyClasses, "Not a polynomial matrix",
                           "RaMatrix(", ")",
                           {nullptr, nullptr, [](Matrix* m) { return R_Mat_PolyToRat(R_MatSameDef(m), m); }, nullptr}};

// m converted to the higher class `to` by the conversion chains.
Matrix* convertTo(Matrix* m, int to) {
  const int from = m->class_;
  const bool complexTo = to == MAT_COMPLEX || to == MAT_C_POLY || to == MAT_C_RATIONAL;
  const bool sameLevel = from / 2 == to / 2;
  if (sameLevel) return MatRealToComp(m);   // 0 -> 1, 2 -> 3, 4 -> 5
  switch (from) {
    case MAT_REAL: {
      Matrix* lifted = to <= MAT_C_POLY ? MatRealToPoly(m) : MatRealToRat(m);
      return complexTo ? MatRealToComp(lifted) : lifted;
    }
    case MAT_COMPLEX: return to == MAT_C_POLY ? MatCompToPoly(m) : MatCompToRat(m);
    default: {   // a polynomial class to a rational one
      Matrix* lifted = MatPolyToRat(m);
      return complexTo && from == MAT_POLY ? MatRealToComp(lifted) : lifted;
    }
  }
}

// ---------------------------------------------------------------------------
// Operations with a scalar: the entries per class of the matrix operand.

// kernel(c, m', s) with m' m brought to the joint class of m and a scalar
// of class scalarClass, and c a new matrix of that class.
template <class Scalar, class Kernel>
Matrix* lifted(Matrix* m, int scalarClass, Scalar s, Kernel kernel) {
  const int joint = MatJointClass(m->class_, scalarClass);
  Matrix* x = m->class_ == joint ? m : convertTo(m, joint);
  Matrix* r = kernel(MatSameDef(x), x, s);
  if (x != m) MatUndef(x);
  return r;
}

inline int classOf(const Polynomial* p) { return MAT_POLY + p->class_; }
inline int classOf(const Rational* r) { return MAT_RATIONAL + r->class_; }

Matrix* addPoly(Matrix* m, Polynomial* p) {
  if (m->class_ >= MAT_RATIONAL) return lifted(m, classOf(p), p, R_Mat_Add_Polynomial);
  return lifted(m, classOf(p), p, P_Mat_Add_Polynomial);
}
Matrix* subPoly(Matrix* m, Polynomial* p, int reversed) {
  if (m->class_ >= MAT_RATIONAL)
    return lifted(m, classOf(p), p, [reversed](Matrix* c, Matrix* x, Polynomial* q) {
      return R_Mat_Sub_Polynomial(c, x, q, reversed);
    });
  return lifted(m, classOf(p), p, [reversed](Matrix* c, Matrix* x, Polynomial* q) {
    return P_Mat_Sub_Polynomial(c, x, q, reversed);
  });
}
Matrix* scalePoly(Matrix* m, Polynomial* p) {
  if (m->class_ >= MAT_RATIONAL) return lifted(m, classOf(p), p, R_Mat_ScaleP);
  return lifted(m, classOf(p), p, P_Mat_ScaleP);
}
Matrix* addRat(Matrix* m, Rational* r) { return lifted(m, classOf(r), r, R_Mat_Add_Rational); }
Matrix* subRat(Matrix* m, Rational* r, int reversed) {
  return lifted(m, classOf(r), r, [reversed](Matrix* c, Matrix* x, Rational* q) {
    return R_Mat_Sub_Rational(c, x, q, reversed);
  });
}
Matrix* scaleRat(Matrix* m, Rational* r) { return lifted(m, classOf(r), r, R_Mat_ScaleR); }

const ClassTable<RunnerReal> kScaleRunners{
    [](Matrix* m, double x) { return Mat_Scale(MatSameDef(m), m, x); },
    [](Matrix* m, double x) { return C_Mat_Scale(MatSameDef(m), m, x); },
    [](Matrix* m, double x) { return P_Mat_Scale(MatSameDef(m), m, x); },
    [](Matrix* m, double x) { return R_Mat_Scale(MatSameDef(m), m, x); }};

const ClassTable<RunnerReal> kScaleSelfRunners{
    [](Matrix* m, double x) { return Mat_Scale(m, m, x); },
    [](Matrix* m, double x) { return C_Mat_Scale(m, m, x); },
    [](Matrix* m, double x) { return P_Mat_Scale(m, m, x); },
    [](Matrix* m, double x) { return R_Mat_Scale(m, m, x); }};

const ClassTable<RunnerReal> kAddDoubleRunners{
    [](Matrix* m, double x) { return Mat_Add_double(MatSameDef(m), m, x); },
    [](Matrix* m, double x) { return C_Mat_Add_double(MatSameDef(m), m, x); },
    [](Matrix* m, double x) { return P_Mat_Add_double(MatSameDef(m), m, x); },
    [](Matrix* m, double x) { return R_Mat_Add_double(MatSameDef(m), m, x); }};

const ClassTable<RunnerRealRev> kSubDoubleRunners{
    [](Matrix* m, double x, int reversed) { return Mat_Sub_double(MatSameDef(m), m, x, reversed); },
    [](Matrix* m, double x, int reversed) {
      return C_Mat_Sub_double(MatSameDef(m), m, x, reversed);
    },
    [](Matrix* m, double x, int reversed) {
      return P_Mat_Sub_double(MatSameDef(m), m, x, reversed);
    },
    [](Matrix* m, double x, int reversed) {
      return R_Mat_Sub_double(MatSameDef(m), m, x, reversed);
    }};

const ClassTable<RunnerComp> kAddComplexRunners{
    [](Matrix* m, Complex* z) { return Mat_Add_Complex(C_MatSameDef(m), m, z); },
    [](Matrix* m, Complex* z) { return C_Mat_Add_Complex(MatSameDef(m), m, z); },
    [](Matrix* m, Complex* z) { return lifted(m, MAT_COMPLEX, z, P_Mat_Add_Complex); },
    [](Matrix* m, Complex* z) { return lifted(m, MAT_COMPLEX, z, R_Mat_Add_Complex); }};

const ClassTable<RunnerCompRev> kSubComplexRunners{
    [](Matrix* m, Complex* z, int reversed) {
      return Mat_Sub_Complex(C_MatSameDef(m), m, z, reversed);
    },
    [](Matrix* m, Complex* z, int reversed) {
      return C_Mat_Sub_Complex(MatSameDef(m), m, z, reversed);
    },
    [](Matrix* m, Complex* z, int reversed) {
      return lifted(m, MAT_COMPLEX, z, [reversed](Matrix* c, Matrix* x, Complex* w) {
        return P_Mat_Sub_Complex(c, x, w, reversed);
      });
    },
    [](Matrix* m, Complex* z, int reversed) {
      return lifted(m, MAT_COMPLEX, z, [reversed](Matrix* c, Matrix* x, Complex* w) {
        return R_Mat_Sub_Complex(c, x, w, reversed);
      });
    }};

const ClassTable<RunnerComp> kScaleCRunners{
    [](Matrix* m, Complex* z) { return Mat_ScaleC(C_MatSameDef(m), m, z); },
    [](Matrix* m, Complex* z) { return C_Mat_ScaleC(MatSameDef(m), m, z); },
    [](Matrix* m, Complex* z) { return lifted(m, MAT_COMPLEX, z, P_Mat_ScaleC); },
    [](Matrix* m, Complex* z) { return lifted(m, MAT_COMPLEX, z, R_Mat_ScaleC); }};

// A polynomial or rational scalar makes a polynomial or rational result
// from every class.
const ClassTable<RunnerPoly> kAddPolyRunners{addPoly, addPoly, addPoly, addPoly};
const ClassTable<RunnerPolyRev> kSubPolyRunners{subPoly, subPoly, subPoly, subPoly};
const ClassTable<RunnerPoly> kScalePRunners{scalePoly, scalePoly, scalePoly, scalePoly};
const ClassTable<RunnerRat> kAddRatRunners{addRat, addRat, addRat, addRat};
const ClassTable<RunnerRatRev> kSubRatRunners{subRat, subRat, subRat, subRat};
const ClassTable<RunnerRat> kScaleRRunners{scaleRat, scaleRat, scaleRat, scaleRat};

// Text forms of the operands in source descriptions.
std::string operandText(const Matrix* m) {
  std::string text;
  vorn_report::appendf(text, "%s(%dx%d)", nameOf(m), m->rows, m->cols);
  return text;
}
std::string operandText(double x) {
  std::string text;
  vorn_report::appendf(text, "%g", x);
  return text;
}
std::string operandText(const Complex* z) {
  std::string text;
  vorn_report::appendf(text, "%s(%g,%g)", nameOf(z), z->re, z->im);
  return text;
}
std::string operandText(const Polynomial* p) {
  std::string text;
  vorn_report::appendf(text, "%s(%s^%d)", nameOf(p), variableOf(p), p->degree);
  return text;
}
std::string operandText(const Rational* r) {
  std::string text;
  vorn_report::appendf(text, "%s(s^%d/s^%d)", nameOf(r), r->nume_degree, r->deno_degree);
  return text;
}

// The entry of m's class for an operation with a scalar; a missing one is
// the fatal "Incorrect class matrix" with the source "m op x", or "x op m"
// when reversed.
template <class Fn, class Scalar>
Fn scalarRunner(const ClassTable<Fn>& runners, const char* tag, const char* op, Matrix* m,
                Scalar x, int reversed) {
  const Fn run = entryFor(runners, m->class_);
  if (run == nullptr) {
    const std::string left = reversed ? operandText(x) : operandText(m);
    const std::string right = reversed ? operandText(m) : operandText(x);
    MatErrorSource("%s %s %s", left.c_str(), op, right.c_str());
    vorn_matrix::failUnservedClass(tag, m);
  }
  return run;
}

}  // namespace

// ===========================================================================
// Joint class and conversions.

int MatJointClass(int a, int b) {
  if (a < MAT_REAL || a > MAT_C_RATIONAL || b < MAT_REAL || b > MAT_C_RATIONAL) return -1;
  const int level = std::max(a / 2, b / 2);
  const int complexValued = (a % 2 == 1 || b % 2 == 1) ? 1 : 0;
  return 2 * level + complexValued;
}

Matrix* MatRealToComp(Matrix* m) { return unaryOperation(kRealToComp, m); }
Matrix* MatRealToPoly(Matrix* m) { return unaryOperation(kRealToPoly, m); }
Matrix* MatCompToPoly(Matrix* m) { return unaryOperation(kCompToPoly, m); }
Matrix* MatRealToRat(Matrix* m) { return unaryOperation(kRealToRat, m); }
Matrix* MatCompToRat(Matrix* m) { return unaryOperation(kCompToRat, m); }
Matrix* MatPolyToRat(Matrix* m) { return unaryOperation(kPolyToRat, m); }

Matrix* MatConvertAndOperation(MatBinaryOperation op, Matrix* a, Matrix* b) {
  const int joint = MatJointClass(a->class_, b->class_);
  if (joint < 0) MatError2("MatConvertAndOperation()", kBadClass, a, b);
  // The converted temporaries carry the operands' names, so that a report
  // from op shows what the user wrote.
  Matrix* x = a->class_ == joint ? a : MatSetName(convertTo(a, joint), nameOf(a));
  Matrix* y = b->class_ == joint ? b : MatSetName(convertTo(b, joint), nameOf(b));
  return op(x, y);
}

// ===========================================================================
// Operations on two matrices.

Matrix* MatAdd(Matrix* a, Matrix* b) { return binaryOperation(kAdd, a, b); }
Matrix* MatSub(Matrix* a, Matrix* b) { return binaryOperation(kSub, a, b); }
Matrix* MatMul(Matrix* a, Matrix* b) { return binaryOperation(kMul, a, b); }
Matrix* MatMulElem(Matrix* a, Matrix* b) { return binaryOperation(kMulElem, a, b); }
Matrix* MatDivElem(Matrix* a, Matrix* b) { return binaryOperation(kDivElem, a, b); }
Matrix* MatCatRow(Matrix* a, Matrix* b) { return catOperation(kCatRow, a, b); }
Matrix* MatCatColumn(Matrix* a, Matrix* b) { return catOperation(kCatColumn, a, b); }

// ===========================================================================
// A matrix and a scalar.

Matrix* MatScale(Matrix* m, double x) {
  return scalarRunner(kScaleRunners, "MatScale()", "*", m, x, 0)(m, x);
}
Matrix* MatScaleSelf(Matrix* m, double x) {
  return scalarRunner(kScaleSelfRunners, "MatScaleSelf()", "*", m, x, 0)(m, x);
}
Matrix* MatAdd_double(Matrix* m, double x) {
  return scalarRunner(kAddDoubleRunners, "MatAdd_double()", ".+", m, x, 0)(m, x);
}
Matrix* MatSub_double(Matrix* m, double x, int reversed) {
  return scalarRunner(kSubDoubleRunners, "MatSub_double()", ".-", m, x, reversed)(m, x, reversed);
}

Matrix* MatAdd_Complex(Matrix* m, Complex* z) {
  return scalarRunner(kAddComplexRunners, "MatAdd_Complex()", ".+", m, z, 0)(m, z);
}
Matrix* MatSub_Complex(Matrix* m, Complex* z, int reversed) {
  return scalarRunner(kSubComplexRunners, "MatSub_Complex()", ".-", m, z, reversed)(m, z, reversed);
}
Matrix* MatScaleC(Matrix* m, Complex* z) {
  return scalarRunner(kScaleCRunners, "MatScaleC()", "*", m, z, 0)(m, z);
}

Matrix* MatAdd_Polynomial(Matrix* m, Polynomial* p) {
  return scalarRunner(kAddPolyRunners, "MatAdd_Polynomial()", ".+", m, p, 0)(m, p);
}
Matrix* MatSub_Polynomial(Matrix* m, Polynomial* p, int reversed) {
  return scalarRunner(kSubPolyRunners, "MatSub_Polynomial()", ".-", m, p, reversed)(m, p,
                                                                                     reversed);
}
Matrix* MatScaleP(Matrix* m, Polynomial* p) {
  return scalarRunner(kScalePRunners, "MatScaleP()", "*", m, p, 0)(m, p);
}

Matrix* MatAdd_Rational(Matrix* m, Rational* r) {
  return scalarRunner(kAddRatRunners, "MatAdd_Rational()", ".+", m, r, 0)(m, r);
}
Matrix* MatSub_Rational(Matrix* m, Rational* r, int reversed) {
  return scalarRunner(kSubRatRunners, "MatSub_Rational()", ".-", m, r, reversed)(m, r, reversed);
}
Matrix* MatScaleR(Matrix* m, Rational* r) {
  return scalarRunner(kScaleRRunners, "MatScaleR()", "*", m, r, 0)(m, r);
}

// ===========================================================================
// One matrix.

Matrix* MatTrans(Matrix* m) { return unaryOperation(kTrans, m); }
Matrix* MatConjTrans(Matrix* m) { return unaryOperation(kConjTrans, m); }
Matrix* MatConj(Matrix* m) { return unaryOperation(kConj, m); }
Matrix* MatNegate(Matrix* m) { return unaryOperation(kNegate, m); }
Matrix* MatIncrement(Matrix* m) { return unaryOperation(kIncrement, m); }
Matrix* MatDecrement(Matrix* m) { return unaryOperation(kDecrement, m); }
Matrix* MatInvElem(Matrix* m) { return unaryOperation(kInvElem, m); }

// ===========================================================================
// Real kernels.

Matrix* Mat_Add(Matrix* c, Matrix* a, Matrix* b) { return zipElements<R>(c, a, b, R::add); }
Matrix* Mat_Sub(Matrix* c, Matrix* a, Matrix* b) { return zipElements<R>(c, a, b, R::sub); }
Matrix* Mat_MulElem(Matrix* c, Matrix* a, Matrix* b) { return zipElements<R>(c, a, b, R::mul); }
Matrix* Mat_DivElem(Matrix* c, Matrix* a, Matrix* b) {
  return zipElements<R>(c, a, b, [](double x, double y) { return x / y; });
}


Matrix* Mat_CatRow(Matrix* c, Matrix* a, Matrix* b) { return catRowElements<R>(c, a, b); }
Matrix* Mat_CatColumn(Matrix* c, Matrix* a, Matrix* b) { return catColumnElements<R>(c, a, b); }

Matrix* Mat_Scale(Matrix* c, Matrix* m, double x) {
  return mapElements<R>(c, m, [x](double v) { return R::scale(x, v); });
}
Matrix* Mat_Add_double(Matrix* c, Matrix* m, double x) {
  return mapElements<R>(c, m, [x](double v) { return R::addReal(v, x); });
}
Matrix* Mat_Sub_double(Matrix* c, Matrix* m, double x, int reversed) {
  if (reversed) return mapElements<R>(c, m, [x](double v) { return R::realSub(x, v); });
  return mapElements<R>(c, m, [x](double v) { return R::subReal(v, x); });
}
Matrix* Mat_Increment(Matrix* c, Matrix* m) {
  return mapElements<R>(c, m, [](double v) { return v + 1.0; });
}
Matrix* Mat_Decrement(Matrix* c, Matrix* m) {
  return mapElements<R>(c, m, [](double v) { return v - 1.0; });
}
Matrix* Mat_Negate(Matrix* c, Matrix* m) { return mapElements<R>(c, m, R::negate); }
Matrix* Mat_InvElem(Matrix* c, Matrix* m) {
  return mapElements<R>(c, m, [](double v) { return 1.0 / v; });
}
Matrix* Mat_Trans(Matrix* c, Matrix* m) { return transposeElements<R, false>(c, m); }

// A real element meets a complex scalar as in the Complex scalar forms
// with a real operand: the real value has no imaginary part to combine.
Matrix* Mat_Add_Complex(Matrix* c, Matrix* m, Complex* z) {
  VORN_ASSERT(sameShape(c, m));
  const double* const x = MatReal(m);
  ComplexValue* const out = C::of(c);
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) out[k] = {x[k] + z->re, z->im};
  return c;
}

Matrix* Mat_Sub_Complex(Matrix* c, Matrix* m, Complex* z, int reversed) {
  VORN_ASSERT(sameShape(c, m));
  const double* const x = MatReal(m);
  ComplexValue* const out = C::of(c);
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++)
    out[k] = reversed ? ComplexValue{z->re - x[k], z->im} : ComplexValue{x[k] - z->re, -z->im};
  return c;
}

Matrix* Mat_ScaleC(Matrix* c, Matrix* m, Complex* z) {
  VORN_ASSERT(sameShape(c, m));
  const double* const x = MatReal(m);
  ComplexValue* const out = C::of(c);
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) out[k] = {x[k] * z->re, x[k] * z->im};
  return c;
}

// ===========================================================================
// Complex kernels.

Matrix* C_Mat_Add(Matrix* c, Matrix* a, Matrix* b) { return zipElements<C>(c, a, b, C::add); }
Matrix* C_Mat_Sub(Matrix* c, Matrix* a, Matrix* b) { return zipElements<C>(c, a, b, C::sub); }
Matrix* C_Mat_MulElem(Matrix* c, Matrix* a, Matrix* b) { return zipElements<C>(c, a, b, C::mul); }

Matrix* C_Mat_DivElem(Matrix* c, Matrix* a, Matrix* b) {
  VORN_ASSERT(sameShape(a, b) && sameShape(c, a));
  const ComplexValue* const x = C::of(a);
  const ComplexValue* const y = C::of(b);
  ComplexValue* const out = C::of(c);
  const size_t n = elementCount(a);
  for (size_t k = 0; k < n; k++) {
    ComplexValue q;
    if (ComplexValueDiv(&q, &x[k], &y[k]) == nullptr)
      failBinary("C_Mat_DivElem()", "Zero division", "", " ./ ", "", a, b);
    out[k] = q;
  }
  return c;
}


Matrix* C_Mat_CatRow(Matrix* c, Matrix* a, Matrix* b) { return catRowElements<C>(c, a, b); }
Matrix* C_Mat_CatColumn(Matrix* c, Matrix* a, Matrix* b) { return catColumnElements<C>(c, a, b); }

Matrix* C_Mat_Scale(Matrix* c, Matrix* m, double x) {
  return mapElements<C>(c, m, [x](const ComplexValue& v) { return C::scale(x, v); });
}
Matrix* C_Mat_Add_double(Matrix* c, Matrix* m, double x) {
  return mapElements<C>(c, m, [x](const ComplexValue& v) { return C::addReal(v, x); });
}
Matrix* C_Mat_Sub_double(Matrix* c, Matrix* m, double x, int reversed) {
  if (reversed)
    return mapElements<C>(c, m, [x](const ComplexValue& v) { return C::realSub(x, v); });
  return mapElements<C>(c, m, [x](const ComplexValue& v) { return C::subReal(v, x); });
}

Matrix* C_Mat_Add_Complex(Matrix* c, Matrix* m, Complex* z) {
  const ComplexValue w{z->re, z->im};
  return mapElements<C>(c, m, [w](const ComplexValue& v) { return C::add(v, w); });
}
Matrix* C_Mat_Sub_Complex(Matrix* c, Matrix* m, Complex* z, int reversed) {
  const ComplexValue w{z->re, z->im};
  if (reversed) return mapElements<C>(c, m, [w](const ComplexValue& v) { return C::sub(w, v); });
  return mapElements<C>(c, m, [w](const ComplexValue& v) { return C::sub(v, w); });
}
Matrix* C_Mat_ScaleC(Matrix* c, Matrix* m, Complex* z) {
  const ComplexValue w{z->re, z->im};
  return mapElements<C>(c, m, [w](const ComplexValue& v) { return C::mul(v, w); });
}

Matrix* C_Mat_Negate(Matrix* c, Matrix* m) { return mapElements<C>(c, m, C::negate); }
Matrix* C_Mat_Conj(Matrix* c, Matrix* m) { return mapElements<C>(c, m, C::conj); }

Matrix* C_Mat_InvElem(Matrix* c, Matrix* m) {
  VORN_ASSERT(sameShape(c, m));
  const ComplexValue* const x = C::of(m);
  ComplexValue* const out = C::of(c);
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) {
    const double re = x[k].re;
    const double im = x[k].im;
    if (std::sqrt(re * re + im * im) <= vorn_eps)
      failUnary("C_Mat_InvElem()", "Zero Element", "", ".~", m);
    const double d = re * re + im * im;
    out[k] = {re / d, -im / d};
  }
  return c;
}

Matrix* C_Mat_Trans(Matrix* c, Matrix* m) { return transposeElements<C, false>(c, m); }
Matrix* C_Mat_ConjTrans(Matrix* c, Matrix* m) { return transposeElements<C, true>(c, m); }

Matrix* C_Mat_RealToComp(Matrix* c, Matrix* m) {
  VORN_ASSERT(sameShape(c, m));
  const double* const x = MatReal(m);
  ComplexValue* const out = C::of(c);
  const size_t n = elementCount(m);
  for (size_t k = 0; k < n; k++) out[k] = {x[k], 0.0};
  return c;
}
