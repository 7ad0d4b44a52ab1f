#include "runtime/core/util.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>

#include "runtime/core/memory.h"

namespace {

// The library's pow, called through a pointer the optimiser cannot see
// through: pow(x, 2.0) must not become x*x (they differ in the last bit for
// some x, and that shows in printed digits).
double (*volatile libraryPow)(double, double) = ::pow;

uint64_t bitsOf(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

double fromBits(uint64_t b) {
  double x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

// The exact fast square. x*x = p + e exactly (Dekker's product with
// Veltkamp's split, T. J. Dekker, Numer. Math. 18 (1971) 224) when
// 2^-450 <= |x| < 2^500: the split cannot overflow, every partial product
// is exact and p is normal. The library's pow is within 0.52 ulp, so it
// can round the other way from p only when |e| > 0.48 ulp(p); below
// 0.45 ulp both return p. A power of two p has a finer spacing below it.
constexpr double kVeltkampSplitter = 134217729.0;   // 2^27 + 1
constexpr uint64_t kFastSquareLowExponent = 1023 - 450;
constexpr uint64_t kFastSquareExponentSpan = 950;   // biased exponents below 1023 + 500
constexpr uint64_t kExponentBits = 0x7ff0000000000000ULL;
constexpr uint64_t kFractionBits = 0x000fffffffffffffULL;
constexpr double kSafeBand = 0.45 * 0x1p-52;   // times 2^exponent(p): 0.45 ulp(p)

double square(double x) {
  if (((bitsOf(x) >> 52) & 0x7ff) - kFastSquareLowExponent >= kFastSquareExponentSpan)
    return libraryPow(x, 2.0);
  const double p = x * x;
  const double c = kVeltkampSplitter * x;
  const double hi = c - (c - x);
  const double lo = x - hi;
  const double e = ((hi * hi - p) + 2.0 * hi * lo) + lo * lo;
  const uint64_t pb = bitsOf(p);
  if ((pb & kFractionBits) != 0 && std::fabs(e) < fromBits(pb & kExponentBits) * kSafeBand)
    return p;
  return libraryPow(x, 2.0);
}

struct timeval timerStart = {0, 0};

struct timeval userTime() {
  struct rusage usage;
  std::memset(&usage, 0, sizeof usage);
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
int formatDouble(char* out, size_t size, const char* format, double value) {
  return std::snprintf(out, size, format, value);
}
int formatDoubleUnbounded(char* out, const char* format, double value) {
  return std::sprintf(out, format, value);
}
#pragma GCC diagnostic pop

// The largest x whose recursive product x(x-1)...(>0, <=1) stays finite is
// below 172: from there on every product overflows.
constexpr double kFactorialOverflow = 172.0;

}  // namespace

char* RealToString(double value, char* buffer, const char* format) {
  const char* special = nullptr;
  if (std::isnan(value)) special = "NaN";
  else if (std::isinf(value)) special = value > 0 ? "Inf" : "-Inf";
  if (format == nullptr) format = "%G";

  if (buffer == nullptr) {
    // At least 64 bytes; more when the format asks for a longer text
    // (e.g. "%f" of 1e300), so the text is never cut or overrun.
    size_t size = 64;
    if (special == nullptr) {
      const int n = formatDouble(nullptr, 0, format, value);
      if (n >= 64) size = static_cast<size_t>(n) + 1;
    }
    buffer = static_cast<char*>(emalloc(size));
    if (special != nullptr) std::strcpy(buffer, special);
    else formatDouble(buffer, size, format, value);
    return buffer;
  }
  if (special != nullptr) std::strcpy(buffer, special);
  else formatDoubleUnbounded(buffer, format, value);
  return buffer;
}

char* vorn_itoa(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", n);
  return StringDup(text);
}

char* ftoa(double x) {
  char text[64];
  std::snprintf(text, sizeof text, "%G", x);
  return StringDup(text);
}

double vornPower(double base, double exponent) {
  if (exponent == 2.0) return square(base);
  if (base == 0.0 && exponent == 0.0) return 1.0;
  return libraryPow(base, exponent);
}

// x(x-1)(x-2)... down to the first factor in (0, 1], multiplied from the
// innermost factor outwards as the recursive definition does.
double factorial(double x) {
  if (std::isnan(x)) return x;
  if (x < 0.0) return 0.0;
  if (x <= 1.0) return 1.0;
  if (x >= kFactorialOverflow) return std::numeric_limits<double>::infinity();
  double factors[static_cast<int>(kFactorialOverflow) + 1];
  int count = 0;
  for (double v = x; v > 1.0; v = v - 1.0) factors[count++] = v;
  double product = 1.0;
  while (count > 0) product = factors[--count] * product;
  return product;
}

// n! modulo 2^32; from 34! on the factor 2^32 divides the product.
int int_factorial(int n) {
  if (n < 0) return 0;
  if (n < 2) return 1;
  if (n >= 34) return 0;
  uint32_t product = 1;
  for (uint32_t k = 2; k <= static_cast<uint32_t>(n); k++) product *= k;
  return static_cast<int>(product);
}

double fix_to_zero(double x) { return x > 0.0 ? std::floor(x) : std::ceil(x); }

double round_to_zero(double x, double eps) { return std::fabs(x) < eps ? 0.0 : x; }

double real_sgn(double x) {
  if (x == 0.0) return 0.0;
  if (x < 0.0) return -1.0;
  if (x > 0.0) return 1.0;
  return x;  // NaN has no sign to speak of
}

int int_sgn(int n) { return n == 0 ? 0 : (n < 0 ? -1 : 1); }

double vorn_log2(double x) { return std::log10(x) / 0.3010299956639812; }

double get_infinity() { return std::numeric_limits<double>::infinity(); }

double get_nan() { return static_cast<double>(std::numeric_limits<float>::quiet_NaN()); }

int isInf(double x) { return std::isinf(x) ? 1 : 0; }

int isNaN(double x) { return std::isnan(x) ? 1 : 0; }

int isFinite(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const uint64_t exponentMask = 0x7ff0000000000000ULL;
  return (bits & exponentMask) != exponentMask ? 1 : 0;
}

void print_time(FILE* stream) {
  const time_t now = std::time(nullptr);
  const char* text = std::ctime(&now);
  if (text != nullptr) std::fputs(text, stream);
}

void util_settimer() { timerStart = userTime(); }

double util_gettimer() {
  const struct timeval now = userTime();
  long seconds = static_cast<long>(now.tv_sec - timerStart.tv_sec);
  long micros = static_cast<long>(now.tv_usec - timerStart.tv_usec);
  if (micros < 0) {
    seconds -= 1;
    micros += 1000000;
  }
  return static_cast<double>(seconds) + 1e-6 * static_cast<double>(micros);
}

int system_vorn(const char* command) {
  std::fflush(stdout);
  std::fflush(stderr);
  return std::system(command);
}

int vorn_remove(const char* path) { return std::remove(path); }

int vorn_mkdir(const char* path) { return mkdir(path, 0777); }

int StringFileWrite(const char* text, const char* path) {
  if (path == nullptr) path = "";
  const bool toStdout = std::strcmp(path, "stdout") == 0;
  FILE* fp = toStdout ? stdout : std::fopen(path, "w");
  if (fp == nullptr) {
    std::fprintf(stderr, "StringFileWrite(): Can not open %s.\n", path);
    return -1;
  }
  if (text != nullptr) std::fputs(text, fp);
  if (toStdout) std::fflush(stdout);
  else std::fclose(fp);
  return 0;
}
