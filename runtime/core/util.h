// Text forms of numbers, numeric helpers, timers and file utilities.
#pragma once

#include <cstdio>

// Writes value into buffer and returns it: "NaN", "Inf", "-Inf", else printf
// of format ("%G" when null). A null buffer gets a new block from emalloc of
// 64 bytes, or more when the text needs it; the caller frees it.
char* RealToString(double value, char* buffer, const char* format);
char* vorn_itoa(int n);     // new text, caller frees with efree
char* ftoa(double x);       // new text of "%G"

// The runtime's power rule: 1.0 for 0^0, else exactly the C library's pow
// result. The library is called at run time, never folded by the compiler;
// a square is formed exactly and returned directly when the library's
// rounding provably agrees with it.
double vornPower(double base, double exponent);
// x(x-1)(x-2)... down to a factor in (0, 1]: 0 for x < 0, 1 up to 1, +Inf
// once the product overflows, NaN for NaN.
double factorial(double x);
int int_factorial(int n);   // n! modulo 2^32, 0 for n < 0
double fix_to_zero(double x);
double round_to_zero(double x, double eps);
double real_sgn(double x);   // -1, 0 or 1; NaN for NaN
int int_sgn(int n);
double vorn_log2(double x);   // log10(x) / 0.3010299956639812
double get_infinity();
double get_nan();             // the float quiet NaN, widened
int isInf(double x);
int isNaN(double x);
int isFinite(double x);       // 1 unless the exponent bits are all ones

void print_time(FILE* stream);   // ctime() text of now, line feed included
void util_settimer();            // records the user CPU time
double util_gettimer();          // user CPU seconds since util_settimer

int system_vorn(const char* command);   // flushes stdout and stderr first
int vorn_remove(const char* path);
int vorn_mkdir(const char* path);       // permission bits 0777 less the umask
// Writes text alone to path ("stdout": standard output, left open); 0, or
// -1 with a line on standard error when the file cannot be opened.
int StringFileWrite(const char* text, const char* path);
