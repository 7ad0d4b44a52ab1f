// Text forms of numbers, numeric helpers, timers and file utilities.
#pragma once

#include <cstdio>

// Writes value into buffer (a new 64-byte block when null) and returns it:
// "NaN", "Inf", "-Inf", else printf of format ("%G" when null).
char* RealToString(double value, char* buffer, const char* format);
char* vorn_itoa(int n);     // new text, caller frees with efree
char* ftoa(double x);       // new text of "%G"

// The runtime's power rule: 1.0 for 0^0, else the C library's pow, always
// called at run time (never folded into a multiplication by the compiler).
double vornPower(double base, double exponent);
double factorial(double x);
int int_factorial(int n);
double fix_to_zero(double x);
double round_to_zero(double x, double eps);
double real_sgn(double x);
int int_sgn(int n);
double vorn_log2(double x);   // log10(x) / 0.3010299956639812
double get_infinity();
double get_nan();
int isInf(double x);
int isNaN(double x);
int isFinite(double x);

void print_time(FILE* stream);
void util_settimer();
double util_gettimer();

int system_vorn(const char* command);
int vorn_remove(const char* path);
int vorn_mkdir(const char* path);
int StringFileWrite(const char* text, const char* path);
