// Complex scalar objects: registry, reports and values.
#pragma once

#include "runtime/objects/complex_value.h"

struct Complex {
  char* name;
  int type;
  double re;
  double im;
  Complex* prev;
  Complex* next;
  bool parked;
};

extern Complex* topcomp;
extern Complex* lastcomp;
extern char* comp_err_src;

void CompInit();
Complex* CompDef(const char* name, double re, double im);
void CompAppendToLastComp(Complex* z);
void CompSetLastComp(Complex* z);
Complex* CompRequest();
void CompInstall(Complex* z);
void CompUndef(Complex* z);
void CompDestroy(Complex* z);
void CompUndefs(Complex* z);
void CompTmpUndef();
void CompFree(Complex* z);
void CompFrees(Complex* marker);
Complex* CompSetName(Complex* z, const char* name);
Complex* CompSetType(Complex* z, int type);
int CompTableCount();
int CompLiveCount();

void CompErrorWarning(const char* tag, const char* message, Complex* z1, Complex* z2, int is_error);
[[noreturn]] void CompError(const char* tag, const char* message, Complex* z);
[[noreturn]] void CompError2(const char* tag, const char* message, Complex* z1, Complex* z2);
void CompWarning(const char* tag, const char* message, Complex* z);
void CompWarning2(const char* tag, const char* message, Complex* z1, Complex* z2);

// Construction, copy and assignment. Results are new unnamed temporaries.
Complex* CompDef2(Complex* a, Complex* b);          // a + i*b: (a.re - b.im, a.im + b.re)
Complex* CompDup(Complex* z);
Complex* CompCopy(Complex* dst, Complex* src);       // value only
Complex* CompElementChange(Complex* a, Complex* b);  // swaps type and value
Complex* CompElementCopy(Complex* dst, Complex* src);  // copies type and value
Complex* CompMove(Complex* dst, Complex* src);       // takes src's value; src becomes a temporary
Complex* CompSwap(Complex* a, Complex* b);           // exchanges values
// dst = src: a temporary src is taken over by swapping, another is copied;
// dst keeps its type. Then the temporaries of every kind are released
// (lists, rationals, polynomials, matrices, strings, complex scalars).
Complex* CompAssign(Complex* dst, Complex* src);

Complex* CompSetZero(Complex* z);
Complex* CompSetOne(Complex* z);
Complex* CompSetInf(Complex* z);   // both parts +Inf
Complex* CompSetNaN(Complex* z);   // both parts NaN
Complex* CompSetRealPart(Complex* z, double re);
Complex* CompSetImagPart(Complex* z, double im);
Complex* CompSetValue(Complex* z, double re, double im);

ComplexValue CompToComplexValue(Complex* z);
Complex* ComplexValueToComp(const ComplexValue* v);   // a new temporary

// Arithmetic. No suffix: two Complex operands, a new temporary. Suffix 1: a
// real first operand; suffix 2: a real second operand. Self writes into the
// Complex operand (the second one for Self1) and returns it.
Complex* CompAdd(Complex* a, Complex* b);
Complex* CompAdd1(double x, Complex* b);
Complex* CompAdd2(Complex* a, double x);
Complex* CompAddSelf(Complex* a, Complex* b);
Complex* CompAddSelf1(double x, Complex* b);
Complex* CompAddSelf2(Complex* a, double x);
Complex* CompSub(Complex* a, Complex* b);
Complex* CompSub1(double x, Complex* b);
Complex* CompSub2(Complex* a, double x);
Complex* CompSubSelf(Complex* a, Complex* b);
Complex* CompSubSelf1(double x, Complex* b);
Complex* CompSubSelf2(Complex* a, double x);
Complex* CompMul(Complex* a, Complex* b);
Complex* CompMul1(double x, Complex* b);
Complex* CompMul2(Complex* a, double x);
Complex* CompMulSelf(Complex* a, Complex* b);
Complex* CompMulSelf1(double x, Complex* b);
Complex* CompMulSelf2(Complex* a, double x);
// Division: Smith's scaling, except CompDiv1 (x*conj(b)/|b|^2 unscaled).
// A zero divisor is a fatal "Can't divide by zero".
Complex* CompDiv(Complex* a, Complex* b);
Complex* CompDiv1(double x, Complex* b);
Complex* CompDiv2(Complex* a, double x);
Complex* CompDivSelf(Complex* a, Complex* b);
Complex* CompDivSelf1(double x, Complex* b);
Complex* CompDivSelf2(Complex* a, double x);
Complex* CompInv(Complex* z);
Complex* CompInvSelf(Complex* z);
Complex* CompNegate(Complex* z);
Complex* CompNegateSelf(Complex* z);
Complex* CompConj(Complex* z);
Complex* CompConjSelf(Complex* z);

// Elementary functions: the formulas of the ComplexValue family.
double CompAbs(Complex* z);
double CompArg(Complex* z);
Complex* CompSgn(Complex* z);
Complex* CompSqrt(Complex* z);
Complex* CompSqrtSelf(Complex* z);
Complex* CompLog(Complex* z);
Complex* CompLogSelf(Complex* z);
Complex* CompLog10(Complex* z);
Complex* CompLog10Self(Complex* z);
Complex* CompExp(Complex* z);
Complex* CompExpSelf(Complex* z);
Complex* CompPow(Complex* z, int n);          // integer power by binary exponentiation
Complex* CompPow2(Complex* a, Complex* b);    // exp(log(a) * b)
Complex* CompSin(Complex* z);
Complex* CompSinSelf(Complex* z);
Complex* CompCos(Complex* z);
Complex* CompCosSelf(Complex* z);
Complex* CompTan(Complex* z);
Complex* CompSinh(Complex* z);
Complex* CompSinhSelf(Complex* z);
Complex* CompCosh(Complex* z);
Complex* CompCoshSelf(Complex* z);
Complex* CompTanh(Complex* z);
Complex* CompAsin(Complex* z);
Complex* CompAcos(Complex* z);
Complex* CompAtan(Complex* z);
Complex* CompAsinh(Complex* z);
Complex* CompAcosh(Complex* z);
Complex* CompAtanh(Complex* z);

// Rounding of each part, and tests.
Complex* CompCeil(Complex* z);
Complex* CompFloor(Complex* z);
Complex* CompRint(Complex* z);          // halves to even
Complex* CompFixToZero(Complex* z);
Complex* CompRoundToZero(Complex* z, double eps);
int CompIsFinite(Complex* z);           // both parts finite
int CompIsNaN(Complex* z);              // either part NaN
int CompIsInf(Complex* z);              // either part infinite

// Text. CompToString: "(%s,%s)" of the parts by RealToString with format
// ("%G" when null); a null buffer gets a new block of at least 64 bytes.
char* CompToString(Complex* z, char* buffer, const char* format);
Complex* CompPrint(Complex* z);
void CompAllPrint();
Complex* CompInput(const char* name);
Complex* CompEdit(Complex* z);
// Writes the CompToString text alone to path ("stdout": standard output,
// left open); a file that does not open is reported on standard error.
Complex* CompFileWrite(Complex* z, const char* path);
// Reads "%lf %lf" as real and imaginary part ("stdin": standard input);
// a missing part is 0.
Complex* CompFileRead(const char* path);
