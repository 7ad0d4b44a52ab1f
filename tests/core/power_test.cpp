// vornPower(x, 2.0) takes a fast exact square that must give pow(x, 2.0) bit
// for bit: random patterns and magnitudes, and squares built to lie near
// rounding midpoints and near the edge of the fast path's safe band.
#include <cfloat>
#include <cstdint>
#include <random>

#include "support/vorn_test.h"

namespace {

uint64_t bitsOf(double x) { uint64_t b; std::memcpy(&b, &x, sizeof b); return b; }
double fromBits(uint64_t b) { double x; std::memcpy(&x, &b, sizeof x); return x; }

double (*volatile opaquePow)(double, double) = ::pow;   // never folded into x*x

// Counts the inputs on which vornPower(x, 2) and pow(x, 2) differ in any bit
// and remembers the first.
struct Mismatches {
  long count = 0;
  double first = 0.0;
  void check(double x) {
    if (bitsOf(vornPower(x, 2.0)) != bitsOf(opaquePow(x, 2.0)) && count++ == 0) first = x;
  }
};

::testing::AssertionResult none(const Mismatches& m) {
  if (m.count == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << m.count << " inputs differ, first x = " << std::hexfloat
                                       << m.first << ": " << vornPower(m.first, 2.0) << " against "
                                       << opaquePow(m.first, 2.0);
}

// A square root of a modulo 2^k, for odd a = 1 (mod 8) and k <= 63, lifted
// bit by bit (Hensel): if x^2 = a (mod 2^i), one of x and x + 2^(i-1) is a
// root modulo 2^(i+1).
uint64_t sqrtMod2k(uint64_t a, int k) {
  uint64_t x = 1;
  for (int i = 3; i < k; i++) x += (((x * x - a) >> i) & 1) << (i - 1);
  return x & ((uint64_t{1} << k) - 1);
}

// 53-bit integers X: in [2^52, 2^52.5) the square has 105 bits and rounding
// to a double drops k = 52 of them; in [2^52.5, 2^53) it drops k = 53.
// Returns the X of that range whose dropped bits equal `low` (odd, = 1 mod
// 8): the exact square then lies low / 2^k of an ulp above a double.
std::vector<uint64_t> withDroppedBits(uint64_t low, int k) {
  const uint64_t mod = uint64_t{1} << k;
  const uint64_t y = sqrtMod2k(low, k);
  std::vector<uint64_t> found;
  for (uint64_t root : {y, mod - y, (y + mod / 2) % mod, (mod - y + mod / 2) % mod}) {
    const uint64_t x = k == 52 ? root + mod : root;
    if (x < (uint64_t{1} << 52) || x >= (uint64_t{1} << 53)) continue;
    const unsigned __int128 sq = static_cast<unsigned __int128>(x) * x;
    const int dropped = (sq >> 105) != 0 ? 53 : 52;
    if (dropped == k && static_cast<uint64_t>(sq & (mod - 1)) == low) found.push_back(x);
  }
  return found;
}

class PowerTest : public VornTest {};

TEST_F(PowerTest, SquareMatchesLibraryNearRoundingMidpoints) {
  std::mt19937_64 gen(11);
  std::uniform_int_distribution<int> scale(-600, 560);
  Mismatches m;
  long built = 0;
  auto checkScaled = [&](uint64_t x) {
    const double v = std::ldexp(static_cast<double>(x), scale(gen) - 52);
    m.check(v), m.check(-v), built++;
  };
  // Exact midpoints: odd 27-bit X with a 54-bit square drops one set bit.
  for (uint64_t x = (uint64_t{1} << 26) + 1; x < (uint64_t{1} << 27); x += 2 * 997)
    if ((x * x) >> 53 != 0) checkScaled(x << 26);
  for (int i = 0; i < 150000; i++) {
    const int k = 52 + i % 2;
    const uint64_t half = uint64_t{1} << (k - 1);
    // Within 2^12 units of 2^-k ulp of a midpoint, on either side.
    const int64_t r = 1 + 8 * (static_cast<int64_t>(gen() % 1024) - 512);
    for (uint64_t x : withDroppedBits(half + static_cast<uint64_t>(r), k)) checkScaled(x);
    // Around 0.45 and 0.55 of an ulp, where the fast path stops.
    const double f = (i % 4 < 2 ? 0.44 : 0.54) + 0.02 * std::ldexp(static_cast<double>(gen() >> 11), -53);
    const uint64_t low = (static_cast<uint64_t>(std::ldexp(f, k)) & ~uint64_t{7}) | 1;
    for (uint64_t x : withDroppedBits(low, k)) checkScaled(x);
  }
  EXPECT_GT(built, 300000);
  EXPECT_TRUE(none(m));
}

TEST_F(PowerTest, SquareMatchesLibraryAtEdgesSpecialAndRandomValues) {
  Mismatches m;
  const double inf = std::numeric_limits<double>::infinity();
  for (double x : {0.0, -0.0, inf, -inf, std::numeric_limits<double>::quiet_NaN(), DBL_MAX,
                   DBL_MIN, DBL_TRUE_MIN, 1.0, -1.0, std::sqrt(DBL_MAX), std::sqrt(DBL_MIN)})
    m.check(x);
  // Around powers of two (squares that round to one, and the finer spacing
  // below them) and the ends of the fast range, a few hundred ulps each way.
  for (int e = -1074; e <= 1023; e++) {
    for (double base : {std::ldexp(1.0, e), std::ldexp(std::sqrt(2.0), e)}) {
      double up = base, down = base;
      for (int k = 0; k < 300; k++, up = std::nextafter(up, inf), down = std::nextafter(down, 0.0))
        m.check(up), m.check(-down);
    }
  }
  // Any bit pattern, and obs - mean as the density sees it.
  std::mt19937_64 gen(7);
  std::normal_distribution<double> difference(0.0, 1.0);
  std::uniform_int_distribution<int> decade(-8, 8);
  for (int i = 0; i < 2000000; i++) m.check(fromBits(gen())), m.check(difference(gen) * std::pow(10.0, decade(gen)));
  EXPECT_TRUE(none(m));
  EXPECT_TRUE(vornPower(0.0, 2.0) == 0.0 && vornPower(0.0, 0.0) == 1.0);
  EXPECT_EQ(8.0, vornPower(2.0, 3.0));   // other exponents never take the square
}

}  // namespace
