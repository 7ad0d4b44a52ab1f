#include "runtime/core/random.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

// ran2 after Press, Teukolsky, Vetterling and Flannery, "Numerical Recipes in
// C", 2nd ed., section 7.1 (L'Ecuyer, CACM 31 (1988) 742, with a Bays-Durham
// shuffle), except that the largest value returned is 1 - 2^-53. All integer
// steps are signed 32-bit, Schrage's factorisation keeps them from
// overflowing; division truncates toward zero.

namespace {

constexpr int32_t IM1 = 2147483563;
constexpr int32_t IM2 = 2147483399;
constexpr int32_t IMM1 = IM1 - 1;
constexpr int32_t IA1 = 40014;
constexpr int32_t IA2 = 40692;
constexpr int32_t IQ1 = 53668;
constexpr int32_t IQ2 = 52774;
constexpr int32_t IR1 = 12211;
constexpr int32_t IR2 = 3791;
constexpr int NTAB = 32;
constexpr int32_t NDIV = 1 + IMM1 / NTAB;
constexpr double AM = 1.0 / IM1;
constexpr double UMAX = 1.0 - 0x1p-53;

int u_seed = -1;
int n_seed = -1;
int32_t idum2 = 123456789;
int32_t iv[NTAB];
int32_t iy = 0;
int iset = 0;
double gset = 0.0;

// One multiplicative congruential step by Schrage's method.
inline int32_t advance(int32_t s, int32_t a, int32_t q, int32_t r, int32_t m) {
  const int32_t k = s / q;
  s = a * (s - k * q) - k * r;
  if (s < 0) s += m;
  return s;
}

// |seed| without overflow: the most negative int counts as INT_MAX.
inline int absSeed(int seed) { return seed == INT_MIN ? INT_MAX : std::abs(seed); }

}  // namespace

double ran2(int* state) {
  int32_t s = *state;
  if (s <= 0) {
    s = s == INT_MIN ? 1 : -s;   // -INT_MIN is not positive
    if (s < 1) s = 1;
    idum2 = s;
    for (int j = NTAB + 7; j >= 0; j--) {
      s = advance(s, IA1, IQ1, IR1, IM1);
      if (j < NTAB) iv[j] = s;
    }
    iy = iv[0];
  }
  s = advance(s, IA1, IQ1, IR1, IM1);
  idum2 = advance(idum2, IA2, IQ2, IR2, IM2);
  const int j = iy / NDIV;
  iy = iv[j] - idum2;
  iv[j] = s;
  if (iy < 1) iy += IMM1;
  *state = s;
  const double value = AM * iy;
  return value > UMAX ? UMAX : value;
}

double gasdev(int* state) {
  if (iset == 1) {
    iset = 0;
    return gset;
  }
  double x, y, r;
  do {
    x = 2.0 * ran2(state) - 1.0;
    y = 2.0 * ran2(state) - 1.0;
    r = x * x + y * y;
  } while (!(r > 0.0 && r < 1.0));
  const double f = std::sqrt(-2.0 * std::log(r) / r);
  gset = x * f;
  iset = 1;
  return y * f;
}

double randu() { return ran2(&u_seed); }

int srandu(int seed) {
  u_seed = -absSeed(seed);
  return absSeed(seed);
}

int randu_seed() { return absSeed(u_seed); }

double randn() { return gasdev(&n_seed); }

int srandn(int seed) {
  n_seed = -absSeed(seed);
  return absSeed(seed);
}

int randn_seed() { return absSeed(n_seed); }

double normal_rand(double mean, double sd) {
  const double u1 = drand48();
  const double u2 = drand48();
  return std::cos(6.283185307179586 * u2) * (std::sqrt(-2.0 * std::log(u1)) * sd) + mean;
}
