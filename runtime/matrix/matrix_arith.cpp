#include "runtime/matrix/matrix_arith.h"

#include <immintrin.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "runtime/core/entry.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/core/report.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/complex_value.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"

namespace {

const char kBadClass[] = "Incorrect class matrix";

template <class Record>
inline const char* nameOf(const Record* r) {
  return r->name != nullptr ? r->name : "";
}
inline const char* variableOf(const Polynomial* p) {
  return p->variable != nullptr && p->variable[0] != '\0' ? p->variable : "s";
}
inline size_t countOf(const Matrix* m) {
  return static_cast<size_t>(m->rows) * static_cast<size_t>(m->cols);
}
inline bool isEmpty(const Matrix* m) { return m->rows == 0 && m->cols == 0; }

// ---------------------------------------------------------------------------
// Class dispatch. Every operation lists its entry point per class family:
// real (0), complex (1), polynomial (2, 3), rational (4, 5). An empty entry
// is a class the operation does not take (yet: the polynomial and rational
// entries are filled in when those kernels exist), reported by the caller.

template <class Fn>
struct ClassRunners {
  Fn real;
  Fn complex;
  Fn poly;
  Fn rational;
};

template <class Fn>
Fn runnerFor(const ClassRunners<Fn>& runners, int class_) {
  switch (class_) {
    case MAT_REAL: return runners.real;
    case MAT_COMPLEX: return runners.complex;
    case MAT_POLY:
    case MAT_C_POLY: return runners.poly;
    case MAT_RATIONAL:
    case MAT_C_RATIONAL: return runners.rational;
    default: return nullptr;
  }
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

// ---------------------------------------------------------------------------
// Element traits shared by the real and complex kernels. Complex storage is
// (re, im) pairs, laid out as ComplexValue.

struct RealElements {
  using Elem = double;
  static Elem* of(Matrix* m) { return MatReal(m); }
  static Elem add(Elem a, Elem b) { return a + b; }
  static Elem sub(Elem a, Elem b) { return a - b; }
  static Elem mul(Elem a, Elem b) { return a * b; }
  static Elem scale(double x, Elem a) { return x * a; }
  static Elem addReal(Elem a, double x) { return a + x; }
  static Elem subReal(Elem a, double x) { return a - x; }
  static Elem realSub(double x, Elem a) { return x - a; }
  static Elem negate(Elem a) { return -a; }
  static Elem conj(Elem a) { return a; }
};

struct ComplexElements {
  using Elem = ComplexValue;
  static Elem* of(Matrix* m) { return static_cast<ComplexValue*>(m->data); }
  static Elem add(const Elem& a, const Elem& b) { return {a.re + b.re, a.im + b.im}; }
  static Elem sub(const Elem& a, const Elem& b) { return {a.re - b.re, a.im - b.im}; }
  static Elem mul(const Elem& a, const Elem& b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
  }
  static Elem scale(double x, const Elem& a) { return {x * a.re, x * a.im}; }
  static Elem addReal(const Elem& a, double x) { return {a.re + x, a.im}; }
  static Elem subReal(const Elem& a, double x) { return {a.re - x, a.im}; }
  static Elem realSub(double x, const Elem& a) { return {x - a.re, -a.im}; }
  static Elem negate(const Elem& a) { return {-a.re, -a.im}; }
  static Elem conj(const Elem& a) { return {a.re, -a.im}; }
};

using R = RealElements;
using C = ComplexElements;

// c(k) = f(m(k)) over the storage; c may be m.
template <class E, class F>
Matrix* mapElements(Matrix* c, Matrix* m, F f) {
  const typename E::Elem* const x = E::of(m);
  typename E::Elem* const z = E::of(c);
  const size_t n = countOf(m);
  for (size_t k = 0; k < n; k++) z[k] = f(x[k]);
  return c;
}

// c(k) = f(a(k), b(k)) over the storage; c may be a or b.
template <class E, class F>
Matrix* zipElements(Matrix* c, Matrix* a, Matrix* b, F f) {
  const typename E::Elem* const x = E::of(a);
  const typename E::Elem* const y = E::of(b);
  typename E::Elem* const z = E::of(c);
  const size_t n = countOf(a);
  for (size_t k = 0; k < n; k++) z[k] = f(x[k], y[k]);
  return c;
}

// c(j, i) = m(i, j), conjugated when asked.
template <class E, bool Conjugate>
Matrix* transposeElements(Matrix* c, Matrix* m) {
  const typename E::Elem* const x = E::of(m);
  typename E::Elem* const z = E::of(c);
  const size_t rows = static_cast<size_t>(m->rows);
  const size_t cols = static_cast<size_t>(m->cols);
  for (size_t i = 0; i < rows; i++)
    for (size_t j = 0; j < cols; j++)
      z[j * rows + i] = Conjugate ? E::conj(x[i * cols + j]) : x[i * cols + j];
  return c;
}

// c = [a, b]: each row of c is a's row followed by b's.
template <class E>
Matrix* catRowElements(Matrix* c, Matrix* a, Matrix* b) {
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

// c = [[a][b]]: a's rows, then b's.
template <class E>
Matrix* catColumnElements(Matrix* c, Matrix* a, Matrix* b) {
  typename E::Elem* const z = E::of(c);
  std::copy_n(E::of(b), countOf(b), std::copy_n(E::of(a), countOf(a), z));
  return c;
}

// ---------------------------------------------------------------------------
// Real matrix product. Every element is 0.0 plus a(i,k)*b(k,j) for k
// increasing, each product and each sum rounded to a double (no fused
// multiply-add). The blocked kernel keeps that order per element: it
// vectorises across j (independent elements), blocks registers over i and
// j, and blocks over k by storing each partial sum in c and resuming it
// with the next k block. The packing follows Goto and van de Geijn,
// "Anatomy of high-performance matrix multiplication" (ACM TOMS 34, 2008).

namespace gemm {

constexpr int kMR = 6;     // rows of a register tile
constexpr int kNR = 8;     // columns of a register tile (two AVX2 vectors)
constexpr int kKC = 256;   // k block: a packed B panel of kKC x kNR stays in L1
constexpr int kMC = 96;    // rows of a packed A block (in L2)
constexpr int kNC = 2048;  // columns of a packed B block (in L3)
// Below this many multiply-adds the plain loop wins over packing.
constexpr size_t kSmall = 16 * 16 * 16;

// Register tile: c(0..kMR-1, 0..kNR-1) (row stride ldc) = (resume ? c : 0)
// + sum over k of ap(k, i) * bp(k, j). ap holds kMR values per k, bp kNR.
using MicroKernel = void (*)(int kc, const double* ap, const double* bp, double* c, size_t ldc,
                             bool resume);

void microPortable(int kc, const double* ap, const double* bp, double* c, size_t ldc,
                   bool resume) {
  double acc[kMR][kNR];
  for (int i = 0; i < kMR; i++)
    for (int j = 0; j < kNR; j++) acc[i][j] = resume ? c[i * ldc + j] : 0.0;
  for (int k = 0; k < kc; k++) {
    for (int i = 0; i < kMR; i++) {
      const double a = ap[i];
      for (int j = 0; j < kNR; j++) acc[i][j] = acc[i][j] + a * bp[j];
    }
    ap += kMR;
    bp += kNR;
  }
  for (int i = 0; i < kMR; i++)
    for (int j = 0; j < kNR; j++) c[i * ldc + j] = acc[i][j];
}

// The same tile with AVX2 multiplies and adds as separate instructions, so
// every product is rounded before it is added. The twelve accumulators are
// named variables: held in an array, they were spilled on every step.
__attribute__((target("avx2"), always_inline)) inline void loadRow(bool resume, const double* c,
                                                                   __m256d& lo, __m256d& hi) {
  lo = resume ? _mm256_loadu_pd(c) : _mm256_setzero_pd();
  hi = resume ? _mm256_loadu_pd(c + 4) : _mm256_setzero_pd();
}

__attribute__((target("avx2"), always_inline)) inline void storeRow(double* c, __m256d lo,
                                                                    __m256d hi) {
  _mm256_storeu_pd(c, lo);
  _mm256_storeu_pd(c + 4, hi);
}

// One row of the tile takes a(i) * b(0..7): product, then sum.
__attribute__((target("avx2"), always_inline)) inline void addProducts(const double* a, __m256d b0,
                                                                       __m256d b1, __m256d& lo,
                                                                       __m256d& hi) {
  const __m256d x = _mm256_broadcast_sd(a);
  lo = _mm256_add_pd(lo, _mm256_mul_pd(x, b0));
  hi = _mm256_add_pd(hi, _mm256_mul_pd(x, b1));
}

__attribute__((target("avx2"))) void microAvx2(int kc, const double* ap, const double* bp,
                                               double* c, size_t ldc, bool resume) {
  static_assert(kMR == 6 && kNR == 8, "the AVX2 tile is 6 x 8");
  __m256d c0l, c0h, c1l, c1h, c2l, c2h, c3l, c3h, c4l, c4h, c5l, c5h;
  loadRow(resume, c, c0l, c0h);
  loadRow(resume, c + ldc, c1l, c1h);
  loadRow(resume, c + 2 * ldc, c2l, c2h);
  loadRow(resume, c + 3 * ldc, c3l, c3h);
  loadRow(resume, c + 4 * ldc, c4l, c4h);
  loadRow(resume, c + 5 * ldc, c5l, c5h);
  for (int k = 0; k < kc; k++) {
    const __m256d b0 = _mm256_loadu_pd(bp);
    const __m256d b1 = _mm256_loadu_pd(bp + 4);
    addProducts(ap, b0, b1, c0l, c0h);
    addProducts(ap + 1, b0, b1, c1l, c1h);
    addProducts(ap + 2, b0, b1, c2l, c2h);
    addProducts(ap + 3, b0, b1, c3l, c3h);
    addProducts(ap + 4, b0, b1, c4l, c4h);
    addProducts(ap + 5, b0, b1, c5l, c5h);
    ap += kMR;
    bp += kNR;
  }
  storeRow(c, c0l, c0h);
  storeRow(c + ldc, c1l, c1h);
  storeRow(c + 2 * ldc, c2l, c2h);
  storeRow(c + 3 * ldc, c3l, c3h);
  storeRow(c + 4 * ldc, c4l, c4h);
  storeRow(c + 5 * ldc, c5l, c5h);
}

MicroKernel chooseKernel() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? microAvx2 : microPortable;
}

// Packs b(pc.., jc..) (kc x nc, row stride ldb) into panels of kNR columns,
// each kc rows of kNR values; columns past nc are zero.
void packB(const double* b, size_t ldb, int kc, int nc, double* out) {
  for (int j0 = 0; j0 < nc; j0 += kNR) {
    const int w = std::min(kNR, nc - j0);
    for (int k = 0; k < kc; k++) {
      const double* row = b + static_cast<size_t>(k) * ldb + j0;
      for (int j = 0; j < w; j++) out[j] = row[j];
      for (int j = w; j < kNR; j++) out[j] = 0.0;
      out += kNR;
    }
  }
}

// Packs a(ic.., pc..) (mc x kc, row stride lda) into panels of kMR rows,
// each kc columns of kMR values; rows past mc are zero.
void packA(const double* a, size_t lda, int mc, int kc, double* out) {
  for (int i0 = 0; i0 < mc; i0 += kMR) {
    const int h = std::min(kMR, mc - i0);
    for (int k = 0; k < kc; k++) {
      for (int i = 0; i < h; i++) out[i] = a[static_cast<size_t>(i0 + i) * lda + k];
      for (int i = h; i < kMR; i++) out[i] = 0.0;
      out += kMR;
    }
  }
}

// The plain loop, for products too small to repay packing.
void plain(const double* a, const double* b, double* c, int m, int n, int p) {
  for (int i = 0; i < m; i++) {
    const double* arow = a + static_cast<size_t>(i) * p;
    for (int j = 0; j < n; j++) {
      double sum = 0.0;
      for (int k = 0; k < p; k++) sum = sum + arow[k] * b[static_cast<size_t>(k) * n + j];
      c[static_cast<size_t>(i) * n + j] = sum;
    }
  }
}

void blocked(const double* a, const double* b, double* c, int m, int n, int p) {
  static const MicroKernel micro = chooseKernel();
  const size_t lda = static_cast<size_t>(p);
  const size_t ldc = static_cast<size_t>(n);
  std::vector<double> bPack(static_cast<size_t>(kKC) * static_cast<size_t>(std::min(n, kNC) + kNR));
  std::vector<double> aPack(static_cast<size_t>(kKC) * (kMC + kMR));
  double edge[kMR * kNR];
  for (int jc = 0; jc < n; jc += kNC) {
    const int nc = std::min(kNC, n - jc);
    for (int pc = 0; pc < p; pc += kKC) {
      const int kc = std::min(kKC, p - pc);
      const bool resume = pc > 0;
      packB(b + static_cast<size_t>(pc) * ldc + jc, ldc, kc, nc, bPack.data());
      for (int ic = 0; ic < m; ic += kMC) {
        const int mc = std::min(kMC, m - ic);
        packA(a + static_cast<size_t>(ic) * lda + pc, lda, mc, kc, aPack.data());
        for (int jr = 0; jr < nc; jr += kNR) {
          const int w = std::min(kNR, nc - jr);
          const double* bp = bPack.data() + static_cast<size_t>(jr) * kc;
          for (int ir = 0; ir < mc; ir += kMR) {
            const int h = std::min(kMR, mc - ir);
            const double* ap = aPack.data() + static_cast<size_t>(ir) * kc;
            double* tile = c + static_cast<size_t>(ic + ir) * ldc + jc + jr;
            if (h == kMR && w == kNR) {
              micro(kc, ap, bp, tile, ldc, resume);
              continue;
            }
            // A partial tile runs in a full-size buffer; only its valid
            // part is read from and written back to c.
            for (int i = 0; i < h; i++)
              for (int j = 0; j < w; j++) edge[i * kNR + j] = tile[i * ldc + j];
            micro(kc, ap, bp, edge, kNR, resume);
            for (int i = 0; i < h; i++)
              for (int j = 0; j < w; j++) tile[i * ldc + j] = edge[i * kNR + j];
          }
        }
      }
    }
  }
}

}  // namespace gemm

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
  ClassRunners<Runner2> runners;
};

[[noreturn]] void failBinary(const BinarySpec& s, const char* message, Matrix* a, Matrix* b) {
  failBinary(s.tag, message, s.open, s.infix, s.close, a, b);
}

// Size rule, then the class: equal classes run their kernel, different
// ones are promoted to the joint class first.
Matrix* binaryOperation(const BinarySpec& s, Matrix* a, Matrix* b) {
  if (!sizeRuleHolds(s.rule, a, b)) failBinary(s, s.sizeMessage, a, b);
  const Runner2 run = runnerFor(s.runners, MatJointClass(a->class_, b->class_));
  if (run == nullptr) failBinary(s, kBadClass, a, b);
  if (a->class_ != b->class_) return MatConvertAndOperation(s.self, a, b);
  return run(a, b);
}

// [a, b] and [[a][b]]: a 0x0 operand contributes nothing. Row-less (or
// column-less) operands hold no storage whatever their other dimension, so
// the joined dimension is checked before it is formed.
Matrix* catOperation(const BinarySpec& s, Matrix* a, Matrix* b) {
  if (isEmpty(a) || isEmpty(b)) {
    Matrix* kept = isEmpty(a) ? b : a;
    if (runnerFor(s.runners, kept->class_) == nullptr) failBinary(s, kBadClass, a, b);
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
     [](Matrix* a, Matrix* b) { return C_Mat_Add(MatSameDef(a), a, b); }, nullptr, nullptr}};

const BinarySpec kSub{
    "MatSub()", SizeRule::kSame, "Not same size", "", " - ", "", MatSub,
    {[](Matrix* a, Matrix* b) { return Mat_Sub(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return C_Mat_Sub(MatSameDef(a), a, b); }, nullptr, nullptr}};

const BinarySpec kMul{
    "MatMul()", SizeRule::kInner, "Inconsistent size", "", " * ", "", MatMul,
    {[](Matrix* a, Matrix* b) { return Mat_Mul(MatMulDef(a, b), a, b); },
     [](Matrix* a, Matrix* b) { return C_Mat_Mul(MatMulDef(a, b), a, b); }, nullptr, nullptr}};

const BinarySpec kMulElem{
    "MatMulElem()", SizeRule::kSame, "Not same size", "", " .* ", "", MatMulElem,
    {[](Matrix* a, Matrix* b) { return Mat_MulElem(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return C_Mat_MulElem(MatSameDef(a), a, b); }, nullptr, nullptr}};

// A polynomial quotient is a rational matrix: its entry creates that.
const BinarySpec kDivElem{
    "MatDivElem()", SizeRule::kSame, "Not same size", "", " ./ ", "", MatDivElem,
    {[](Matrix* a, Matrix* b) { return Mat_DivElem(MatSameDef(a), a, b); },
     [](Matrix* a, Matrix* b) { return C_Mat_DivElem(MatSameDef(a), a, b); }, nullptr, nullptr}};

const BinarySpec kCatRow{
    "MatCatRow()", SizeRule::kRows, "Inconsistent row number", "[", ", ", "]", MatCatRow,
    {[](Matrix* a, Matrix* b) {
       return Mat_CatRow(MatSameClassDef(a, a->rows, a->cols + b->cols), a, b);
     },
     [](Matrix* a, Matrix* b) {
       return C_Mat_CatRow(MatSameClassDef(a, a->rows, a->cols + b->cols), a, b);
     },
     nullptr, nullptr}};

const BinarySpec kCatColumn{
    "MatCatColumn()", SizeRule::kCols, "Inconsistent column number", "[[", "][", "]]",
    MatCatColumn,
    {[](Matrix* a, Matrix* b) {
       return Mat_CatColumn(MatSameClassDef(a, a->rows + b->rows, a->cols), a, b);
     },
     [](Matrix* a, Matrix* b) {
       return C_Mat_CatColumn(MatSameClassDef(a, a->rows + b->rows, a->cols), a, b);
     },
     nullptr, nullptr}};

// ---------------------------------------------------------------------------
// Operations on one matrix, and the class conversions.

struct UnarySpec {
  const char* tag;
  const char* message;   // for a class the operation does not take
  const char* open;      // source description: open m close
  const char* close;
  ClassRunners<Runner1> runners;
};

Matrix* unaryOperation(const UnarySpec& s, Matrix* m) {
  const Runner1 run = runnerFor(s.runners, m->class_);
  if (run == nullptr) failUnary(s.tag, s.message, s.open, s.close, m);
  return run(m);
}

const UnarySpec kTrans{"MatTrans()", kBadClass, "", "'",
                       {[](Matrix* m) { return Mat_Trans(MatTransDef(m), m); },
                        [](Matrix* m) { return C_Mat_Trans(MatTransDef(m), m); }, nullptr,
                        nullptr}};

const UnarySpec kConjTrans{"MatConjTrans()", kBadClass, "", "#",
                           {[](Matrix* m) { return Mat_Trans(MatTransDef(m), m); },
                            [](Matrix* m) { return C_Mat_ConjTrans(MatTransDef(m), m); }, nullptr,
                            nullptr}};

const UnarySpec kConj{"MatConj()", kBadClass, "conj(", ")",
                      {[](Matrix* m) { return MatDup(m); },
                       [](Matrix* m) { return C_Mat_Conj(MatSameDef(m), m); }, nullptr, nullptr}};

const UnarySpec kNegate{"MatNegate()", kBadClass, "- ", "",
                        {[](Matrix* m) { return Mat_Negate(MatSameDef(m), m); },
                         [](Matrix* m) { return C_Mat_Negate(MatSameDef(m), m); }, nullptr,
                         nullptr}};

const UnarySpec kIncrement{"MatIncrement()", kBadClass, "", "++",
                           {[](Matrix* m) { return Mat_Increment(MatSameDef(m), m); }, nullptr,
                            nullptr, nullptr}};

const UnarySpec kDecrement{"MatDecrement()", kBadClass, "", "--",
                           {[](Matrix* m) { return Mat_Decrement(MatSameDef(m), m); }, nullptr,
                            nullptr, nullptr}};

// The reciprocal of a polynomial matrix is a rational one: its entry
// creates that.
const UnarySpec kInvElem{"MatInvElem()", kBadClass, "", ".~",
                         {[](Matrix* m) { return Mat_InvElem(MatSameDef(m), m); },
                          [](Matrix* m) { return C_Mat_InvElem(MatSameDef(m), m); }, nullptr,
                          nullptr}};

const UnarySpec kRealToComp{"MatRealToComp()", kBadClass, "(", ", *)",
                            {[](Matrix* m) { return C_Mat_RealToComp(C_MatSameDef(m), m); },
                             [](Matrix* m) { return MatDup(m); }, nullptr, nullptr}};

const UnarySpec kRealToPoly{"MatRealToPoly()", "Not a real matrix", "Polynomial(", ")",
                            {nullptr, nullptr, nullptr, nullptr}};

const UnarySpec kCompToPoly{"MatCompToPoly()", "Not a complex matrix", "Polynomial(", ")",
                            {nullptr, nullptr, nullptr, nullptr}};

const UnarySpec kRealToRat{"MatRealToRat()", "Not a real matrix", "Rational(", ")",
                           {nullptr, nullptr, nullptr, nullptr}};

const UnarySpec kCompToRat{"MatCompToRat()", "Not a complex matrix", "Rational(", ")",
                           {nullptr, nullptr, nullptr, nullptr}};

const UnarySpec kPolyToRat{"MatPolyToRat()", "Not a polynomial matrix", "RaMatrix(", ")",
                           {nullptr, nullptr, nullptr, nullptr}};

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

const ClassRunners<RunnerReal> kScaleRunners{
    [](Matrix* m, double x) { return Mat_Scale(MatSameDef(m), m, x); },
    [](Matrix* m, double x) { return C_Mat_Scale(MatSameDef(m), m, x); }, nullptr, nullptr};

const ClassRunners<RunnerReal> kScaleSelfRunners{
    [](Matrix* m, double x) { return Mat_Scale(m, m, x); },
    [](Matrix* m, double x) { return C_Mat_Scale(m, m, x); }, nullptr, nullptr};

const ClassRunners<RunnerReal> kAddDoubleRunners{
    [](Matrix* m, double x) { return Mat_Add_double(MatSameDef(m), m, x); },
    [](Matrix* m, double x) { return C_Mat_Add_double(MatSameDef(m), m, x); }, nullptr, nullptr};

const ClassRunners<RunnerRealRev> kSubDoubleRunners{
    [](Matrix* m, double x, int reversed) { return Mat_Sub_double(MatSameDef(m), m, x, reversed); },
    [](Matrix* m, double x, int reversed) {
      return C_Mat_Sub_double(MatSameDef(m), m, x, reversed);
    },
    nullptr, nullptr};

const ClassRunners<RunnerComp> kAddComplexRunners{
    [](Matrix* m, Complex* z) { return Mat_Add_Complex(C_MatSameDef(m), m, z); },
    [](Matrix* m, Complex* z) { return C_Mat_Add_Complex(MatSameDef(m), m, z); }, nullptr,
    nullptr};

const ClassRunners<RunnerCompRev> kSubComplexRunners{
    [](Matrix* m, Complex* z, int reversed) {
      return Mat_Sub_Complex(C_MatSameDef(m), m, z, reversed);
    },
    [](Matrix* m, Complex* z, int reversed) {
      return C_Mat_Sub_Complex(MatSameDef(m), m, z, reversed);
    },
    nullptr, nullptr};

const ClassRunners<RunnerComp> kScaleCRunners{
    [](Matrix* m, Complex* z) { return Mat_ScaleC(C_MatSameDef(m), m, z); },
    [](Matrix* m, Complex* z) { return C_Mat_ScaleC(MatSameDef(m), m, z); }, nullptr, nullptr};

// A polynomial or rational scalar makes a polynomial or rational result
// from every class; those entries come with the kernels.
const ClassRunners<RunnerPoly> kAddPolyRunners{nullptr, nullptr, nullptr, nullptr};
const ClassRunners<RunnerPolyRev> kSubPolyRunners{nullptr, nullptr, nullptr, nullptr};
const ClassRunners<RunnerPoly> kScalePRunners{nullptr, nullptr, nullptr, nullptr};
const ClassRunners<RunnerRat> kAddRatRunners{nullptr, nullptr, nullptr, nullptr};
const ClassRunners<RunnerRatRev> kSubRatRunners{nullptr, nullptr, nullptr, nullptr};
const ClassRunners<RunnerRat> kScaleRRunners{nullptr, nullptr, nullptr, nullptr};

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
Fn scalarRunner(const ClassRunners<Fn>& runners, const char* tag, const char* op, Matrix* m,
                Scalar x, int reversed) {
  const Fn run = runnerFor(runners, m->class_);
  if (run == nullptr) {
    const std::string left = reversed ? operandText(x) : operandText(m);
    const std::string right = reversed ? operandText(m) : operandText(x);
    MatErrorSource("%s %s %s", left.c_str(), op, right.c_str());
    MatError(tag, kBadClass, m);
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

Matrix* Mat_Mul(Matrix* c, Matrix* a, Matrix* b) {
  const int m = a->rows;
  const int n = b->cols;
  const int p = a->cols;
  if (m == 0 || n == 0) return c;
  double* const out = MatReal(c);
  if (p == 0) {
    std::fill_n(out, countOf(c), 0.0);
    return c;
  }
  const size_t work = static_cast<size_t>(m) * static_cast<size_t>(n) * static_cast<size_t>(p);
  if (work <= gemm::kSmall) gemm::plain(MatReal(a), MatReal(b), out, m, n, p);
  else gemm::blocked(MatReal(a), MatReal(b), out, m, n, p);
  return c;
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
  const double* const x = MatReal(m);
  ComplexValue* const out = C::of(c);
  const size_t n = countOf(m);
  for (size_t k = 0; k < n; k++) out[k] = {x[k] + z->re, z->im};
  return c;
}

Matrix* Mat_Sub_Complex(Matrix* c, Matrix* m, Complex* z, int reversed) {
  const double* const x = MatReal(m);
  ComplexValue* const out = C::of(c);
  const size_t n = countOf(m);
  for (size_t k = 0; k < n; k++)
    out[k] = reversed ? ComplexValue{z->re - x[k], z->im} : ComplexValue{x[k] - z->re, -z->im};
  return c;
}

Matrix* Mat_ScaleC(Matrix* c, Matrix* m, Complex* z) {
  const double* const x = MatReal(m);
  ComplexValue* const out = C::of(c);
  const size_t n = countOf(m);
  for (size_t k = 0; k < n; k++) out[k] = {x[k] * z->re, x[k] * z->im};
  return c;
}

// ===========================================================================
// Complex kernels.

Matrix* C_Mat_Add(Matrix* c, Matrix* a, Matrix* b) { return zipElements<C>(c, a, b, C::add); }
Matrix* C_Mat_Sub(Matrix* c, Matrix* a, Matrix* b) { return zipElements<C>(c, a, b, C::sub); }
Matrix* C_Mat_MulElem(Matrix* c, Matrix* a, Matrix* b) { return zipElements<C>(c, a, b, C::mul); }

Matrix* C_Mat_DivElem(Matrix* c, Matrix* a, Matrix* b) {
  const ComplexValue* const x = C::of(a);
  const ComplexValue* const y = C::of(b);
  ComplexValue* const out = C::of(c);
  const size_t n = countOf(a);
  for (size_t k = 0; k < n; k++) {
    ComplexValue q;
    if (ComplexValueDiv(&q, &x[k], &y[k]) == nullptr)
      failBinary("C_Mat_DivElem()", "Zero division", "", " ./ ", "", a, b);
    out[k] = q;
  }
  return c;
}

// Each element starts at (0, 0) and takes its terms for k increasing; the
// loops run i, k, j so that b and c are read along their rows.
Matrix* C_Mat_Mul(Matrix* c, Matrix* a, Matrix* b) {
  const size_t m = static_cast<size_t>(a->rows);
  const size_t n = static_cast<size_t>(b->cols);
  const size_t p = static_cast<size_t>(a->cols);
  const ComplexValue* const x = C::of(a);
  const ComplexValue* const y = C::of(b);
  ComplexValue* const out = C::of(c);
  std::fill_n(out, m * n, ComplexValue{0.0, 0.0});
  for (size_t i = 0; i < m; i++) {
    ComplexValue* const row = out + i * n;
    for (size_t k = 0; k < p; k++) {
      const ComplexValue u = x[i * p + k];
      const ComplexValue* const brow = y + k * n;
      for (size_t j = 0; j < n; j++) {
        const ComplexValue v = brow[j];
        row[j].re = row[j].re + (u.re * v.re - u.im * v.im);
        row[j].im = row[j].im + (u.re * v.im + u.im * v.re);
      }
    }
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
  const ComplexValue* const x = C::of(m);
  ComplexValue* const out = C::of(c);
  const size_t n = countOf(m);
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
  const double* const x = MatReal(m);
  ComplexValue* const out = C::of(c);
  const size_t n = countOf(m);
  for (size_t k = 0; k < n; k++) out[k] = {x[k], 0.0};
  return c;
}
