#include "runtime/matrix/matrix_compare.h"

#include <cstddef>
#include <cstring>

#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/polymat.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/objects/complex_value.h"

namespace {

using vorn_matrix::elementCount;
using vorn_matrix::isPolyOrRational;
using vorn_matrix::kBadClass;
using C = vorn_matrix::ComplexElements;

enum class Op { kEq, kNe, kLt, kLe, kGt, kGe, kAnd, kOr, kMax, kMin, kUnknown };

Op parseOp(const char* text) {
  static const struct {
    const char* text;
    Op op;
  } kOps[] = {{"==", Op::kEq}, {"!=", Op::kNe}, {"<", Op::kLt},    {"<=", Op::kLe},
              {">", Op::kGt},  {">=", Op::kGe}, {"&&", Op::kAnd},  {"||", Op::kOr},
              {"max", Op::kMax}, {"min", Op::kMin}};
  if (text == nullptr) return Op::kUnknown;
  for (const auto& entry : kOps)
    if (std::strcmp(text, entry.text) == 0) return entry.op;
  return Op::kUnknown;
}

inline double truth(bool holds) { return holds ? 1.0 : 0.0; }

// The relations on one pair, given equality, the ordering keys (the values
// themselves, or squared moduli) and the non-zero tests. op is known.
inline double relation(Op op, bool equal, double ka, double kb, bool nza, bool nzb) {
  switch (op) {
    case Op::kEq: return truth(equal);
    case Op::kNe: return truth(!equal);
    case Op::kLt: return truth(ka < kb);
    case Op::kLe: return truth(ka <= kb);
    case Op::kGt: return truth(ka > kb);
    case Op::kGe: return truth(ka >= kb);
    case Op::kAnd: return truth(nza && nzb);
    default: return truth(nza || nzb);
  }
}

// "max" takes b when it is strictly larger, else a: the rule of the running
// extremes, applied to the pair.
inline bool takesSecond(Op op, double ka, double kb) { return op == Op::kMax ? kb > ka : kb < ka; }

Matrix* compareReal(Matrix* a, Matrix* b, Op op) {
  Matrix* result = MatDef("", a->rows, a->cols);
  const double* const x = MatReal(a);
  const double* const y = MatReal(b);
  double* const z = MatReal(result);
  const size_t n = elementCount(a);
  for (size_t k = 0; k < n; k++) {
    if (op == Op::kMax || op == Op::kMin) z[k] = takesSecond(op, x[k], y[k]) ? y[k] : x[k];
    else z[k] = relation(op, x[k] == y[k], x[k], y[k], x[k] != 0.0, y[k] != 0.0);
  }
  return result;
}

Matrix* compareComplex(Matrix* a, Matrix* b, Op op) {
  const ComplexValue* const x = C::of(a);
  const ComplexValue* const y = C::of(b);
  const size_t n = elementCount(a);
  if (op == Op::kMax || op == Op::kMin) {
    Matrix* result = MatSameDef(a);
    ComplexValue* const z = C::of(result);
    for (size_t k = 0; k < n; k++) z[k] = takesSecond(op, C::key(x[k]), C::key(y[k])) ? y[k] : x[k];
    return result;
  }
  Matrix* result = MatDef("", a->rows, a->cols);
  double* const z = MatReal(result);
  for (size_t k = 0; k < n; k++) {
    const bool equal = x[k].re == y[k].re && x[k].im == y[k].im;
    z[k] = relation(op, equal, C::key(x[k]), C::key(y[k]), C::nonZero(x[k]), C::nonZero(y[k]));
  }
  return result;
}

// Every element of a real or complex m exactly zero.
bool allZero(const Matrix* m) {
  const double* const x = MatReal(m);
  const size_t n = elementCount(m) * (m->class_ == MAT_COMPLEX ? 2 : 1);
  for (size_t k = 0; k < n; k++)
    if (x[k] != 0.0) return false;
  return true;
}

// Real or complex a and b of one class and size hold equal values.
bool allEqual(const Matrix* a, const Matrix* b) {
  const double* const x = MatReal(a);
  const double* const y = MatReal(b);
  const size_t n = elementCount(a) * (a->class_ == MAT_COMPLEX ? 2 : 1);
  for (size_t k = 0; k < n; k++)
    if (!(x[k] == y[k])) return false;
  return true;
}

// The element objects' own equality, on operands of one class.
Matrix* elementsEqual(Matrix* a, Matrix* b) {
  return a->class_ <= MAT_C_POLY ? P_Mat_CompareElem(a, b, 1) : R_Mat_CompareElem(a, b, 1);
}
Matrix* elementsDiffer(Matrix* a, Matrix* b) {
  return a->class_ <= MAT_C_POLY ? P_Mat_CompareElem(a, b, 0) : R_Mat_CompareElem(a, b, 0);
}

}  // namespace

Matrix* MatCompareElem(Matrix* a, Matrix* b, const char* op) {
  const char tag[] = "MatCompareElem()";
  const auto describe = [a, b, op] {
    MatErrorSource("%s(%dx%d) %s %s(%dx%d)", a->name, a->rows, a->cols, op != nullptr ? op : "",
                   b->name, b->rows, b->cols);
  };
  if (a->rows != b->rows || a->cols != b->cols) {
    describe();
    MatError2(tag, "Not same size", a, b);
  }
  if (elementCount(a) == 0) return MatDef("", a->rows, a->cols);
  const int joint = MatJointClass(a->class_, b->class_);
  const Op o = parseOp(op);
  if (joint < 0 || (isPolyOrRational(joint) && o != Op::kEq && o != Op::kNe)) {
    describe();
    MatError2(tag, "Not a numerical matrix", a, b);
  }
  if (isPolyOrRational(joint)) {
    const MatBinaryOperation run = o == Op::kEq ? elementsEqual : elementsDiffer;
    return a->class_ == b->class_ ? run(a, b) : MatConvertAndOperation(run, a, b);
  }
  if (o == Op::kUnknown) {
    describe();
    MatError2("Mat_Compare()", "Incorrect operator", a, b);
  }
  if (joint == MAT_REAL) return compareReal(a, b, o);
  Matrix* x = a->class_ == joint ? a : MatRealToComp(a);
  Matrix* y = b->class_ == joint ? b : MatRealToComp(b);
  Matrix* result = compareComplex(x, y, o);
  if (x != a) MatUndef(x);
  if (y != b) MatUndef(y);
  return result;
}

int MatIsZero(Matrix* m) {
  if (!vorn_matrix::isValidClass(m->class_)) MatError("MatIsZero()", kBadClass, m);
  if (elementCount(m) == 0) return 1;
  if (m->class_ == MAT_REAL || m->class_ == MAT_COMPLEX) return allZero(m) ? 1 : 0;
  return m->class_ <= MAT_C_POLY ? P_MatIsZero(m) : R_MatIsZero(m);
}

int MatIsNonZero(Matrix* m) { return MatIsZero(m) ? 0 : 1; }

int MatIsEqual(Matrix* a, Matrix* b) {
  if (a->class_ != b->class_ || a->rows != b->rows || a->cols != b->cols) return 0;
  if (elementCount(a) == 0) return 1;
  if (a->class_ == MAT_REAL || a->class_ == MAT_COMPLEX) return allEqual(a, b) ? 1 : 0;
  Matrix* difference = MatSub(a, b);
  const int zero = MatIsZero(difference);
  MatUndef(difference);
  return zero;
}

int MatIsNotEqual(Matrix* a, Matrix* b) { return MatIsEqual(a, b) ? 0 : 1; }

