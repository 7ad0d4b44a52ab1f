#include "runtime/matrix/matrix_sort.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/objects/complex_value.h"

namespace {

using Keyed = std::pair<double, size_t>;   // (key, position in the lane)

// Sorts the n elements of x that are `step` apart into y (same positions)
// and writes their former positions, 1-based, into idx (same positions).
//
// Adjacent exchanges of a strictly greater element never move a NaN and
// never carry anything across one; within a run free of NaNs they end in
// the stable ascending order. Sorting each run by (key, position) gives
// that order in O(n log n).
template <class T>
void sortLane(const typename T::Elem* x, typename T::Elem* y, double* idx, size_t n, size_t step,
              std::vector<Keyed>& run) {
  size_t start = 0;
  while (start < n) {
    run.clear();
    size_t end = start;
    for (; end < n; end++) {
      const double key = T::key(x[end * step]);
      if (std::isnan(key)) break;
      run.emplace_back(key, end);
    }
    std::sort(run.begin(), run.end());   // positions are distinct: a stable order
    for (size_t k = 0; k < run.size(); k++) {
      const size_t from = run[k].second;
      y[(start + k) * step] = x[from * step];
      idx[(start + k) * step] = static_cast<double>(from + 1);
    }
    if (end < n) {   // the NaN stays where it is
      y[end * step] = x[end * step];
      idx[end * step] = static_cast<double>(end + 1);
    }
    start = end + 1;
  }
}

template <class T>
Matrix* sortMatrix(Matrix* m, Matrix* index, int mode) {
  const size_t rows = static_cast<size_t>(m->rows);
  const size_t cols = static_cast<size_t>(m->cols);
  const bool vector = rows == 1 || cols == 1;
  // Lanes: the whole storage, each column, or each row.
  size_t lanes = rows, length = cols, laneStep = cols, step = 1;
  if (vector || mode == 2) {
    lanes = 1;
    length = rows * cols;
  } else if (mode == 1) {
    lanes = cols;
    length = rows;
    laneStep = 1;
    step = cols;
  }
  Matrix* sorted = MatSameDef(m);
  Matrix* positions = vector ? MatDef("", 1, m->rows * m->cols) : MatDef("", m->rows, m->cols);
  const typename T::Elem* const x = T::of(m);
  typename T::Elem* const y = T::of(sorted);
  double* const idx = MatReal(positions);
  std::vector<Keyed> run;
  run.reserve(length);
  for (size_t l = 0; l < lanes; l++)
    sortLane<T>(x + l * laneStep, y + l * laneStep, idx + l * laneStep, length, step, run);
  // index may be m itself: it is replaced only once m has been read.
  MatMove(index, positions);
  MatUndef(positions);
  return sorted;
}

using SortFn = Matrix* (*)(Matrix* m, Matrix* index, int mode);
const vorn_matrix::ClassTable<SortFn> kSortMatrix{sortMatrix<vorn_matrix::RealElements>,
                                                  sortMatrix<vorn_matrix::ComplexElements>, nullptr,
                                                  nullptr};

}  // namespace

Matrix* MatSort(Matrix* m, Matrix* index, int mode) {
  const char tag[] = "MatSort()";
  if (vorn_matrix::hasNoElements(m)) {
    MatErrorSource("sort(%s(%dx%d))", m->name, m->rows, m->cols);
    MatError(tag, "Zero-size matrix", m);
  }
  const SortFn sortOf = vorn_matrix::entryFor(kSortMatrix, m->class_);
  if (sortOf == nullptr) {
    MatErrorSource("sort(%s(%dx%d))", m->name, m->rows, m->cols);
    MatError(tag, vorn_matrix::kBadClass, m);
  }
  return sortOf(m, index, mode);
}
