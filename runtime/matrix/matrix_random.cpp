#include "runtime/matrix/matrix_random.h"

#include <cstddef>

#include "runtime/core/random.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_kernel.h"

namespace {

template <double (*Draw)()>
Matrix* randomMatrix(int rows, int cols) {
  Matrix* m = MatDef("", rows, cols);
  double* const x = MatReal(m);
  const size_t n = vorn_matrix::elementCount(m);
  for (size_t k = 0; k < n; k++) x[k] = Draw();
  return m;
}

}  // namespace

Matrix* MatUniformRand(int rows, int cols) { return randomMatrix<randu>(rows, cols); }
Matrix* MatNormalRand(int rows, int cols) { return randomMatrix<randn>(rows, cols); }
