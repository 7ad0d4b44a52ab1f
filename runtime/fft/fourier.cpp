// four1 and realft after Numerical Recipes in C, 2nd ed. (Press, Teukolsky,
// Vetterling, Flannery, 1992), sections 12.2 and 12.3, with two changes:
//
// - the book steps its twiddle factors with a trigonometric recurrence,
//   whose error grows with the number of steps (about m eps after m); here
//   they come from a table accurate to a few eps at every size;
// - four1's stages run two per pass, and those whose blocks fit in the
//   cache run block by block, so a long transform passes over memory a few
//   times instead of log2(nn).
//
// Every point meets the book's butterflies in the book's order, so results
// differ from the book's only by the better twiddles. Indices count from 0
// (the book: 1).
#include "runtime/fft/fft.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;
// Complex points per cache block: 128 KiB of data.
constexpr size_t kBlockPoints = size_t{1} << 13;
// Longest transform whose twiddle table is kept between calls: 1 MiB.
constexpr size_t kKeptPoints = size_t{1} << 16;

// exp(sign 2 pi i k / n) for k < count as (re, im) pairs. Each factor is the
// product of a coarse and a fine root computed directly, which costs
// 2 sqrt(count) library calls and stays within a few eps.
std::vector<double> unitRoots(size_t n, size_t count, int sign) {
  std::vector<double> w(2 * count);
  if (count == 0) return w;
  size_t step = 1;
  while (step * step < count) step++;
  const size_t coarseCount = (count + step - 1) / step;
  std::vector<double> fine(2 * step), coarse(2 * coarseCount);
  const auto root = [n, sign](size_t k, double* out) {
    const double angle = kTwoPi * static_cast<double>(k) / static_cast<double>(n);
    out[0] = std::cos(angle);
    out[1] = sign * std::sin(angle);
  };
  for (size_t r = 0; r < step; r++) root(r, &fine[2 * r]);
  for (size_t q = 0; q < coarseCount; q++) root(q * step, &coarse[2 * q]);
  for (size_t k = 0; k < count; k++) {
    const double* c = &coarse[2 * (k / step)];
    const double* f = &fine[2 * (k % step)];
    if (k % step == 0) {
      w[2 * k] = c[0];
      w[2 * k + 1] = c[1];
    } else {
      w[2 * k] = c[0] * f[0] - c[1] * f[1];
      w[2 * k + 1] = c[0] * f[1] + c[1] * f[0];
    }
  }
  return w;
}

// The book's bit-reversal section, on complex points: the pairs (i, j),
// i < j, that it swaps.
void forEachReversedPair(size_t nn, const std::function<void(size_t, size_t)>& swap) {
  size_t j = 0;
  for (size_t i = 0; i < nn; i++) {
    if (j > i) swap(i, j);
    size_t m = nn >> 1;
    while (m >= 1 && j >= m) {
      j -= m;
      m >>= 1;
    }
    j += m;
  }
}

inline void swapPoints(double* data, size_t i, size_t j) {
  std::swap(data[2 * i], data[2 * j]);
  std::swap(data[2 * i + 1], data[2 * j + 1]);
}

// The counter's branches cost more than the swaps on short rows: the pairs
// of the last size are kept, and replayed without a branch.
void bitReverse(double* data, size_t nn) {
  if (nn > kKeptPoints) {
    forEachReversedPair(nn, [data](size_t i, size_t j) { swapPoints(data, i, j); });
    return;
  }
  static std::vector<uint32_t> pairs;
  static size_t pairsSize = 0;
  if (pairsSize != nn) {
    pairs.clear();
    forEachReversedPair(nn, [](size_t i, size_t j) {
      pairs.push_back(static_cast<uint32_t>(i));
      pairs.push_back(static_cast<uint32_t>(j));
    });
    pairsSize = nn;
  }
  for (size_t p = 0; p < pairs.size(); p += 2) swapPoints(data, pairs[p], pairs[p + 1]);
}

// Twiddles of every stage of an nn-point transform, stage by stage: the
// stage of half-width h finds exp(sign 2 pi i k/(2h)) at entry h + k.
std::vector<double> stageTwiddles(size_t nn, int sign) {
  const std::vector<double> roots = unitRoots(nn, nn / 2, sign);
  std::vector<double> table(2 * nn, 0.0);
  for (size_t h = 1; h < nn; h *= 2) {
    const size_t stride = nn / (2 * h);
    for (size_t k = 0; k < h; k++) {
      table[2 * (h + k)] = roots[2 * k * stride];
      table[2 * (h + k) + 1] = roots[2 * k * stride + 1];
    }
  }
  return table;
}

// The table for one size and sign. Rows of one matrix share their size,
// so a table of at most kKeptPoints entries is kept for the next call; a
// longer one is built in the caller's scratch and goes with it.
class KeptTable {
 public:
  template <class Build>
  const std::vector<double>& get(size_t size, int sign, std::vector<double>& scratch, Build build) {
    if (size > kKeptPoints) {
      scratch = build();
      return scratch;
    }
    if (size != size_ || sign != sign_) {
      kept_ = build();
      size_ = size;
      sign_ = sign;
    }
    return kept_;
  }

 private:
  std::vector<double> kept_;
  size_t size_ = 0;
  int sign_ = 0;
};

// A complex point as (re, im) in one vector register where the target has
// them; the operations are the scalar ones, element by element.
typedef double Point __attribute__((vector_size(16)));

inline Point load(const double* p) {
  Point v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
inline void store(double* p, Point v) { std::memcpy(p, &v, sizeof v); }

// The book's butterfly on points a (top) and b with twiddle w:
// tempr = wr br - wi bi, tempi = wr bi + wi br; b = a - temp; a += temp.
// The products and sums are the book's, so are their roundings.
inline void butterfly(Point& a, Point& b, const double* w) {
  const Point wr = {w[0], w[0]};
  const Point wi = {-w[1], w[1]};
  const Point swapped = {b[1], b[0]};
  const Point temp = wr * b + wi * swapped;
  b = a - temp;
  a += temp;
}

// One Danielson-Lanczos stage of half-width h over the points [begin, end).
void stage(double* data, size_t begin, size_t end, size_t h, const double* tw) {
  for (size_t g = begin; g < end; g += 2 * h) {
    double* top = data + 2 * g;
    double* bottom = top + 2 * h;
    for (size_t k = 0; k < h; k++) {
      Point a = load(top + 2 * k), b = load(bottom + 2 * k);
      butterfly(a, b, tw + 2 * (h + k));
      store(top + 2 * k, a);
      store(bottom + 2 * k, b);
    }
  }
}

// The stages of half-width h and 2h in one pass over [begin, end): each
// point meets the same butterflies in the same order as in two passes,
// with half the memory traffic.
void stagePair(double* data, size_t begin, size_t end, size_t h, const double* tw) {
  const double* tw1 = tw + 2 * h;       // stage h
  const double* tw2 = tw + 4 * h;       // stage 2h
  for (size_t g = begin; g < end; g += 4 * h) {
    double* p0 = data + 2 * g;
    double* p1 = p0 + 2 * h;
    double* p2 = p1 + 2 * h;
    double* p3 = p2 + 2 * h;
    for (size_t k = 0; k < h; k++) {
      Point a0 = load(p0 + 2 * k), a1 = load(p1 + 2 * k), a2 = load(p2 + 2 * k), a3 = load(p3 + 2 * k);
      butterfly(a0, a1, tw1 + 2 * k);
      butterfly(a2, a3, tw1 + 2 * k);
      butterfly(a0, a2, tw2 + 2 * k);
      butterfly(a1, a3, tw2 + 2 * (h + k));
      store(p0 + 2 * k, a0);
      store(p1 + 2 * k, a1);
      store(p2 + 2 * k, a2);
      store(p3 + 2 * k, a3);
    }
  }
}

}  // namespace

void four1(double* data, int nn, int isign) {
  if (nn < 2) return;
  const size_t points = static_cast<size_t>(nn);
  bitReverse(data, points);
  static KeptTable kept;
  std::vector<double> scratch;
  const double* tw = kept.get(points, isign, scratch, [&] { return stageTwiddles(points, isign); }).data();
  // With an odd number of stages the first one runs alone, the rest in
  // pairs; those that fit in a cache block run block by block.
  const bool oddStages = (__builtin_ctzll(points) & 1) != 0;
  const size_t block = points < kBlockPoints ? points : kBlockPoints;
  size_t h = oddStages ? 2 : 1;
  for (size_t b = 0; b < points; b += block) {
    if (oddStages) stage(data, b, b + block, 1, tw);
    h = oddStages ? 2 : 1;
    for (; 4 * h <= block; h *= 4) stagePair(data, b, b + block, h, tw);
  }
  for (; h < points; h *= 4) stagePair(data, 0, points, h, tw);
}

void realft(double* data, int n, int isign) {
  const size_t count = static_cast<size_t>(n);
  const double c1 = 0.5;
  const double c2 = isign == 1 ? -0.5 : 0.5;
  if (isign == 1) four1(data, n >> 1, 1);
  // exp(+-i k theta) with the book's theta = pi / (n/2).
  const int sign = isign == 1 ? 1 : -1;
  static KeptTable kept;
  std::vector<double> scratch;
  const std::vector<double>& w = kept.get(count / 4, sign, scratch, [&] { return unitRoots(count, count / 4, sign); });
  for (size_t k = 1; k < count / 4; k++) {
    const size_t i1 = 2 * k, i2 = i1 + 1, i3 = count - 2 * k, i4 = i3 + 1;
    const double wr = w[2 * k], wi = w[2 * k + 1];
    const double h1r = c1 * (data[i1] + data[i3]);
    const double h1i = c1 * (data[i2] - data[i4]);
    const double h2r = -c2 * (data[i2] + data[i4]);
    const double h2i = c2 * (data[i1] - data[i3]);
    data[i1] = h1r + wr * h2r - wi * h2i;
    data[i2] = h1i + wr * h2i + wi * h2r;
    data[i3] = h1r - wr * h2r + wi * h2i;
    data[i4] = -h1i + wr * h2i + wi * h2r;
  }
  const double h1r = data[0];
  if (isign == 1) {
    data[0] = h1r + data[1];
    data[1] = h1r - data[1];
  } else {
    data[0] = c1 * (h1r + data[1]);
    data[1] = c1 * (h1r - data[1]);
    four1(data, n >> 1, -1);
  }
}
