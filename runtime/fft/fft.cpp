#include "runtime/fft/fft.h"

#include <cstddef>
#include <cstring>
#include <utility>

#include "runtime/core/vorn_assert.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_arith.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/matrix/matrix_sub.h"

namespace {

using vorn_matrix::nameOf;

struct Direction {
  const char* tag;
  const char* name;   // of the language's function, for the error source
  bool forward;
};
const Direction kForward{"MatFFT()", "fft", true};
const Direction kInverse{"MatIFFT()", "ifft", false};

[[noreturn]] void fail(const Direction& d, Matrix* m, int by_columns, const char* message) {
  MatErrorSource("%s%s(%s(%dx%d))", d.name, by_columns ? "_col" : "", nameOf(m), m->rows, m->cols);
  MatError(d.tag, message, m);
}

// The same verdict as comparing n with 2^round(log2 n) for every n >= 1;
// 0 and negative counts are refused as well.
bool isPowerOfTwo(int n) { return n >= 1 && (n & (n - 1)) == 0; }

double* rowOf(Matrix* m, int r, int doublesPerElement) {
  return MatReal(m) + static_cast<size_t>(r) * m->cols * doublesPerElement;
}

// w with n columns: zero-filled on the right, or its first n columns.
Matrix* fittedTo(Matrix* w, int n) {
  if (n <= w->cols) return MatCut(w, 1, 1, w->rows, n);
  Matrix* z = w->class_ == MAT_COMPLEX ? C_MatZDef2(w->rows, n) : MatZDef2(w->rows, n);
  return MatPut(z, 1, 1, w);
}

Matrix* transform(Matrix* m, int n, int by_columns, const Direction& d) {
  MatCheckLive(m, d.tag);
  if (m->rows == 0 || m->cols == 0) fail(d, m, by_columns, "Zero-size matrix");
  if (m->class_ != MAT_REAL && m->class_ != MAT_COMPLEX) fail(d, m, by_columns, "Not a real nor complex matrix");
  if (!isPowerOfTwo(n)) fail(d, m, by_columns, "Data number must be 2^n");
  const bool alongColumns = by_columns != 0 || m->cols == 1;
  if (m->cols == 1 && n == 1) {
    n = m->rows;
    // The kernels take powers of two only: any other column length would
    // be transformed wrongly.
    if (!isPowerOfTwo(n)) fail(d, m, by_columns, "Data number must be 2^n");
  }
  Matrix* w = alongColumns ? MatTrans(m) : m;
  Matrix* fitted = fittedTo(w, n);
  if (alongColumns) MatUndef(w);
  Matrix* result = C_MatDef("", fitted->rows, n);
  if (m->class_ == MAT_COMPLEX) {
    if (d.forward) C_Mat_FFT(result, fitted);
    else C_Mat_IFFT(result, fitted);
  } else if (!d.forward) {
    Mat_IFFT(result, fitted);
  } else if (n == 1) {
    C_Mat_RealToComp(result, fitted);   // the transform of one point is itself
  } else {
    Mat_FFT(result, fitted);
  }
  MatUndef(fitted);
  if (!alongColumns) return result;
  Matrix* t = MatTrans(result);
  MatUndef(result);
  return t;
}

}  // namespace

Matrix* MatFFT(Matrix* m, int n, int by_columns) { return transform(m, n, by_columns, kForward); }
Matrix* MatIFFT(Matrix* m, int n, int by_columns) { return transform(m, n, by_columns, kInverse); }

Matrix* c_mat_four(Matrix* result, Matrix* x, int isign) {
  VORN_ASSERT(result != x && result->class_ == MAT_COMPLEX && x->class_ == MAT_COMPLEX);
  VORN_ASSERT(result->rows == x->rows && result->cols == x->cols);
  const int rows = x->rows, n = x->cols;
  const size_t doubles = 2 * static_cast<size_t>(rows) * n;
  if (doubles > 0) std::memcpy(result->data, x->data, doubles * sizeof(double));
  for (int r = 0; r < rows; r++) {
    double* row = rowOf(result, r, 2);
    four1(row, n, isign);
    // The routine's sign is the opposite of ours: reversing columns 2..n
    // maps its point n-k onto column k+1.
    for (int a = 1, b = n - 1; a < b; a++, b--) {
      std::swap(row[2 * a], row[2 * b]);
      std::swap(row[2 * a + 1], row[2 * b + 1]);
    }
  }
  if (isign == -1) {
    const double scale = 1.0 / n;
    double* v = MatReal(result);
    for (size_t k = 0; k < doubles; k++) v[k] *= scale;
  }
  return result;
}

Matrix* C_Mat_FFT(Matrix* result, Matrix* x) { return c_mat_four(result, x, 1); }
Matrix* C_Mat_IFFT(Matrix* result, Matrix* x) { return c_mat_four(result, x, -1); }

Matrix* Mat_IFFT(Matrix* result, Matrix* x) {
  Matrix* converted = MatRealToComp(x);
  c_mat_four(result, converted, -1);
  MatUndef(converted);
  return result;
}

// realft gives, per row, H(0), H(n/2) and H(1) .. H(n/2-1) of the
// positive-exponent transform H. For real data X(k) = conj H(k) and
// X(n-k) = H(k). Each row is transformed in the first half of its result
// row and spread from there: the mirrored half first, which lies beyond
// the packed values.
Matrix* Mat_FFT(Matrix* result, Matrix* x) {
  VORN_ASSERT(result != x && result->class_ == MAT_COMPLEX && x->class_ == MAT_REAL);
  VORN_ASSERT(result->rows == x->rows && result->cols == x->cols && x->cols >= 2);
  const int rows = x->rows, n = x->cols, half = n / 2;
  if (half < 2) {
    // Nothing to mirror for n = 2, and the block copy refuses the empty
    // block: real transforms take n >= 4.
    Matrix* mirror = C_MatDef("", rows, half - 1);
    MatAreaCopy(result, 1, half + 2, mirror, 1, 1, rows, half - 1);
    MatUndef(mirror);
    return result;
  }
  for (int r = 0; r < rows; r++) {
    double* d = rowOf(result, r, 2);
    std::memcpy(d, rowOf(x, r, 1), static_cast<size_t>(n) * sizeof(double));
    realft(d, n, 1);
    for (int k = 1; k < half; k++) {   // column n - k + 1 takes H(k)
      d[2 * (n - k)] = d[2 * k];
      d[2 * (n - k) + 1] = d[2 * k + 1];
    }
    d[2 * half] = d[1];
    d[2 * half + 1] = 0.0;
    d[1] = 0.0;
    for (int k = 1; k < half; k++) d[2 * k + 1] = -d[2 * k + 1];
  }
  return result;
}
