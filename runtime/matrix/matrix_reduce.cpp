#include "runtime/matrix/matrix_reduce.h"

#include <cmath>
#include <cstddef>

#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/polymat.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/objects/complex_value.h"

namespace {

using vorn_matrix::elementCount;
using vorn_matrix::hasNoElements;
using RealTraits = vorn_matrix::RealElements;
using ComplexTraits = vorn_matrix::ComplexElements;

inline bool isVector(const Matrix* m) { return m->rows == 1 || m->cols == 1; }

// n elements starting at x, `step` apart: a row, a column or the storage.
template <class T>
struct Lane {
  const typename T::Elem* x;
  size_t n;
  size_t step;
  const typename T::Elem& operator[](size_t k) const { return x[k * step]; }
};

template <class T>
typename T::Acc sumOf(const Lane<T>& l) {
  typename T::Acc a = T::zero();
  for (size_t k = 0; k < l.n; k++) T::accAdd(a, l[k]);
  return a;
}

// Starts from the first element, so that a complex infinity is not turned
// into NaN by a product with (1, 0). l.n > 0.
template <class T>
typename T::Acc productOf(const Lane<T>& l) {
  VORN_ASSERT(l.n > 0);
  typename T::Acc a = T::from(l[0]);
  for (size_t k = 1; k < l.n; k++) T::accMul(a, l[k]);
  return a;
}

template <class T>
typename T::Elem meanOf(const Lane<T>& l) {
  typename T::Acc a = sumOf(l);
  T::accDivide(a, static_cast<long double>(l.n));
  return T::round(a);
}

// sqrt(sum (x - mean)^2 / divisor): the mean rounded to double, each term in
// double, the sum, quotient and root in long double.
template <class T>
double stdDevOf(const Lane<T>& l, size_t divisor) {
  const typename T::Elem mean = meanOf(l);
  long double s = 0.0L;
  for (size_t k = 0; k < l.n; k++) s += T::squaredDeviation(l[k], mean);
  return static_cast<double>(sqrtl(s / static_cast<long double>(divisor)));
}

// 0-based position of the first largest (Larger) or smallest element; a NaN
// key never replaces the running one. l.n > 0.
template <class T, bool Larger>
size_t extremeOf(const Lane<T>& l) {
  VORN_ASSERT(l.n > 0);
  size_t best = 0;
  double bestKey = T::key(l[0]);
  for (size_t k = 1; k < l.n; k++) {
    const double key = T::key(l[k]);
    if (Larger ? key > bestKey : key < bestKey) {
      best = k;
      bestKey = key;
    }
  }
  return best;
}

// ---------------------------------------------------------------------------
// Whole real matrix.

void requireReal(Matrix* m, const char* source, const char* tag) {
  if (m->class_ == MAT_REAL) return;
  MatErrorSource("%s(%s(%dx%d))", source, m->name, m->rows, m->cols);
  MatError(tag, "Not a real matrix", m);
}

Lane<RealTraits> storageOf(const Matrix* m) { return {MatReal(m), elementCount(m), 1}; }

template <bool Larger>
double extremeElem(Matrix* m, int* i, int* j, const char* source, const char* tag) {
  requireReal(m, source, tag);
  if (hasNoElements(m)) {
    if (i != nullptr) *i = 0;
    if (j != nullptr) *j = 0;
    return 0.0;
  }
  const size_t k = extremeOf<RealTraits, Larger>(storageOf(m));
  const size_t cols = static_cast<size_t>(m->cols);
  if (i != nullptr) *i = static_cast<int>(k / cols) + 1;
  if (j != nullptr) *j = static_cast<int>(k % cols) + 1;
  return MatReal(m)[k];
}

// ---------------------------------------------------------------------------
// Each row or column.

enum class Reduction { kSum, kMean, kStdDev, kMax, kMin, kProd };

struct RowMember {
  const char* source;   // "sum" gives "sum_row(...)" and "sum_col(...)"
  const char* tag;
  Reduction what;
  bool takesObjects;    // classes 2 to 5 are in the domain
};

const RowMember kSum{"sum", "MatSum()", Reduction::kSum, true};
const RowMember kMean{"mean", "MatMean()", Reduction::kMean, true};
const RowMember kStdDev{"std", "MatStdDev()", Reduction::kStdDev, false};
const RowMember kMax{"max", "MatMax()", Reduction::kMax, false};
const RowMember kMin{"min", "MatMin()", Reduction::kMin, false};
const RowMember kProd{"prod", "MatProd()", Reduction::kProd, true};

[[noreturn]] void refuseRows(const RowMember& s, Matrix* m, int mode) {
  if (mode == 0 || mode == 1)
    MatErrorSource("%s_%s(%s(%dx%d))", s.source, mode == 1 ? "col" : "row", m->name, m->rows,
                   m->cols);
  vorn_matrix::failUnservedClass(s.tag, m);
}

// Gives index the contents of positions; positions goes with the other
// temporaries released here.
void replaceIndex(Matrix* index, Matrix* positions) {
  MatMove(index, positions);
  MatUndef(positions);
}

// The lanes of a non-empty m: the whole storage of a vector, else each row
// (mode other than 1) or each column.
struct Layout {
  size_t lanes, length, laneStep, step;
  int rows, cols;   // of the result
};

Layout layoutOf(const Matrix* m, int mode) {
  const size_t r = static_cast<size_t>(m->rows);
  const size_t c = static_cast<size_t>(m->cols);
  if (isVector(m)) return {1, r * c, 0, 1, 1, 1};
  if (mode == 1) return {c, r, 1, c, 1, m->cols};
  return {r, c, c, 1, m->rows, 1};
}

template <class T>
Matrix* reduceLanes(Reduction what, Matrix* m, int mode, Matrix* index) {
  const Layout lay = layoutOf(m, mode);
  const bool realOut = what == Reduction::kStdDev;
  Matrix* result = realOut ? MatDef("", lay.rows, lay.cols) : MatSameClassDef(m, lay.rows, lay.cols);
  Matrix* positions = index != nullptr ? MatDef("", lay.rows, lay.cols) : nullptr;
  const typename T::Elem* const x = T::of(m);
  for (size_t l = 0; l < lay.lanes; l++) {
    const Lane<T> lane{x + l * lay.laneStep, lay.length, lay.step};
    switch (what) {
      case Reduction::kSum: T::of(result)[l] = T::round(sumOf(lane)); break;
      case Reduction::kMean: T::of(result)[l] = meanOf(lane); break;
      case Reduction::kProd: T::of(result)[l] = T::round(productOf(lane)); break;
      case Reduction::kStdDev:
        MatReal(result)[l] = stdDevOf(lane, isVector(m) ? lane.n : lane.n - 1);
        break;
      case Reduction::kMax:
      case Reduction::kMin: {
        const size_t k = what == Reduction::kMax ? extremeOf<T, true>(lane) : extremeOf<T, false>(lane);
        T::of(result)[l] = lane[k];
        if (positions != nullptr) MatReal(positions)[l] = static_cast<double>(k + 1);
        break;
      }
    }
  }
  if (positions != nullptr) replaceIndex(index, positions);
  return result;
}

using ReduceFn = Matrix* (*)(Reduction what, Matrix* m, int mode, Matrix* index);
// The element families reduce by their own sums and products; max, min
// and the deviation do not take them.
Matrix* reducePolyLanes(Reduction what, Matrix* m, int mode, Matrix*) {
  if (what == Reduction::kProd) return P_Mat_Prod(m, mode);
  return what == Reduction::kMean ? P_Mat_Mean(m, mode) : P_Mat_Sum(m, mode);
}
Matrix* reduceRatLanes(Reduction what, Matrix* m, int mode, Matrix*) {
  if (what == Reduction::kProd) return R_Mat_Prod(m, mode);
  return what == Reduction::kMean ? R_Mat_Mean(m, mode) : R_Mat_Sum(m, mode);
}

const vorn_matrix::ClassTable<ReduceFn> kReduceLanes{reduceLanes<RealTraits>, reduceLanes<ComplexTraits>,
                                                     reducePolyLanes, reduceRatLanes};

Matrix* reduceEach(const RowMember& s, Matrix* m, int mode, Matrix* index = nullptr) {
  const int class_ = m->class_;
  const int highest = s.takesObjects ? MAT_C_RATIONAL : MAT_COMPLEX;
  if (class_ < MAT_REAL || class_ > highest) refuseRows(s, m, mode);
  if (hasNoElements(m)) {
    int rows = 0, cols = 0;
    if (!isVector(m)) {
      rows = mode == 1 ? 0 : m->rows;
      cols = mode == 1 ? m->cols : 0;
    }
    if (index != nullptr) replaceIndex(index, MatDef("", rows, cols));
    return MatSameClassDef(m, rows, cols);
  }
  const ReduceFn run = vorn_matrix::entryFor(kReduceLanes, class_);
  if (run == nullptr) refuseRows(s, m, mode);
  return run(s.what, m, mode, index);
}

// ---------------------------------------------------------------------------
// Running sums and products: over the whole storage, or along each row or
// each column (a vector runs over all of it).

enum class Run { kWhole, kRows, kColumns };

Layout runLayoutOf(const Matrix* m, Run along) {
  if (along == Run::kWhole) return {1, elementCount(m), 0, 1, m->rows, m->cols};
  return layoutOf(m, along == Run::kColumns ? 1 : 0);
}

template <class T, bool Product>
Matrix* runningLanes(Matrix* m, Run along) {
  Matrix* result = MatSameDef(m);
  const Layout lay = runLayoutOf(m, along);
  for (size_t l = 0; l < lay.lanes; l++) {
    const Lane<T> lane{T::of(m) + l * lay.laneStep, lay.length, lay.step};
    typename T::Elem* const y = T::of(result) + l * lay.laneStep;
    typename T::Acc a = Product ? T::from(lane[0]) : T::zero();
    for (size_t k = 0; k < lane.n; k++) {
      if (!Product) T::accAdd(a, lane[k]);
      else if (k > 0) T::accMul(a, lane[k]);
      y[k * lay.step] = T::round(a);
    }
  }
  return result;
}

// The element families run by their own sums and products.
template <bool Product>
Matrix* runningPolys(Matrix* m, Run along) {
  if (along == Run::kWhole) return Product ? P_Mat_CumProdElem(m) : P_Mat_CumSumElem(m);
  const int mode = along == Run::kColumns ? 1 : 0;
  return Product ? P_Mat_CumProd(m, mode) : P_Mat_CumSum(m, mode);
}
template <bool Product>
Matrix* runningRats(Matrix* m, Run along) {
  if (along == Run::kWhole) return Product ? R_Mat_CumProdElem(m) : R_Mat_CumSumElem(m);
  const int mode = along == Run::kColumns ? 1 : 0;
  return Product ? R_Mat_CumProd(m, mode) : R_Mat_CumSum(m, mode);
}

// source names the operation in reports: "cumsum" gives "cumsum(A(2x2))",
// or "cumsum_row(...)" and "cumsum_col(...)" along rows or columns.
template <bool Product>
Matrix* running(Matrix* m, Run along, const char* source, const char* tag) {
  static const vorn_matrix::ClassTable<Matrix* (*)(Matrix*, Run)> kRunningLanes{
      runningLanes<RealTraits, Product>, runningLanes<ComplexTraits, Product>, runningPolys<Product>,
      runningRats<Product>};
  const int class_ = m->class_;
  if (vorn_matrix::isValidClass(class_) && hasNoElements(m)) return MatSameDef(m);
  if (const auto run = vorn_matrix::entryFor(kRunningLanes, class_)) return run(m, along);
  const char* const suffix = along == Run::kWhole ? "" : along == Run::kColumns ? "_col" : "_row";
  MatErrorSource("%s%s(%s(%dx%d))", source, suffix, m->name, m->rows, m->cols);
  vorn_matrix::failUnservedClass(tag, m);
}

}  // namespace

double MatSumElem(Matrix* m) {
  requireReal(m, "sum", "MatSumElem()");
  if (hasNoElements(m)) return 0.0;
  return RealTraits::round(sumOf(storageOf(m)));
}

double MatMeanElem(Matrix* m) {
  requireReal(m, "mean", "MatMeanElem()");
  if (hasNoElements(m)) return 0.0;
  return meanOf(storageOf(m));
}

double MatStdDevElem(Matrix* m) {
  requireReal(m, "std", "MatStdDevElem()");
  if (hasNoElements(m)) return 0.0;
  return stdDevOf(storageOf(m), elementCount(m) - 1);
}

double MatProdElem(Matrix* m) {
  requireReal(m, "prod", "MatProdElem()");
  if (hasNoElements(m)) return 0.0;
  return RealTraits::round(productOf(storageOf(m)));
}

double MatMaxElem(Matrix* m) { return extremeElem<true>(m, nullptr, nullptr, "max", "MatMaxElem()"); }
double MatMinElem(Matrix* m) {
  return extremeElem<false>(m, nullptr, nullptr, "min", "MatMinElem()");
}
double MatMaximumElem(Matrix* m, int* i, int* j) {
  return extremeElem<true>(m, i, j, "maximum", "MatMaximumElem()");
}
double MatMinimumElem(Matrix* m, int* i, int* j) {
  return extremeElem<false>(m, i, j, "minimum", "MatMinimumElem()");
}

Matrix* MatSum(Matrix* m, int mode) { return reduceEach(kSum, m, mode); }
Matrix* MatMean(Matrix* m, int mode) { return reduceEach(kMean, m, mode); }
Matrix* MatStdDev(Matrix* m, int mode) { return reduceEach(kStdDev, m, mode); }
Matrix* MatMax(Matrix* m, int mode) { return reduceEach(kMax, m, mode); }
Matrix* MatMin(Matrix* m, int mode) { return reduceEach(kMin, m, mode); }
Matrix* MatProd(Matrix* m, int mode) { return reduceEach(kProd, m, mode); }

Matrix* MatMaximum(Matrix* m, Matrix* index, int mode) { return reduceEach(kMax, m, mode, index); }
Matrix* MatMinimum(Matrix* m, Matrix* index, int mode) { return reduceEach(kMin, m, mode, index); }

Matrix* MatCumSumElem(Matrix* m) { return running<false>(m, Run::kWhole, "cumsum", "MatCumSumElem()"); }
Matrix* MatCumProdElem(Matrix* m) { return running<true>(m, Run::kWhole, "cumprod", "MatCumProdElem()"); }

Matrix* MatCumSum(Matrix* m, int mode) {
  return running<false>(m, mode == 1 ? Run::kColumns : Run::kRows, "cumsum", "MatCumSum()");
}
Matrix* MatCumProd(Matrix* m, int mode) {
  return running<true>(m, mode == 1 ? Run::kColumns : Run::kRows, "cumprod", "MatCumProd()");
}
