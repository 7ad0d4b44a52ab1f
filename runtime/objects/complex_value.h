// Plain complex values without a registry: the element arithmetic of the
// complex-matrix kernels and the formulas behind every Complex operation.
//
// Each function writes its result into the destination given first and
// returns it; the destination may alias an operand. A zero divisor prints
// its message on standard error, leaves the destination unchanged and
// returns null; the process goes on.
#pragma once

struct ComplexValue {
  double re;
  double im;
};

ComplexValue* ComplexValueDef(double re, double im);   // new 16-byte value (emalloc)
void ComplexValueDestroy(ComplexValue* v);
ComplexValue* ComplexValueDup(const ComplexValue* v);  // new copy, freed by ComplexValueDestroy
ComplexValue* ComplexValueCopy(ComplexValue* dst, const ComplexValue* src);
void ComplexValueSwap(ComplexValue* a, ComplexValue* b);

ComplexValue* ComplexValueSetRe(ComplexValue* v, double re);
ComplexValue* ComplexValueSetIm(ComplexValue* v, double im);
ComplexValue* ComplexValueSetValue(ComplexValue* v, double re, double im);
ComplexValue* ComplexValueSetZero(ComplexValue* v);
ComplexValue* ComplexValueSetOne(ComplexValue* v);
ComplexValue* ComplexValueSetInf(ComplexValue* v);   // both parts +Inf
ComplexValue* ComplexValueSetNaN(ComplexValue* v);   // both parts NaN

ComplexValue* ComplexValueAdd(ComplexValue* c, const ComplexValue* a, const ComplexValue* b);
ComplexValue* ComplexValueSub(ComplexValue* c, const ComplexValue* a, const ComplexValue* b);
ComplexValue* ComplexValueMul(ComplexValue* c, const ComplexValue* a, const ComplexValue* b);
ComplexValue* ComplexValueMul1(ComplexValue* c, double x, const ComplexValue* b);   // x * b
ComplexValue* ComplexValueMul2(ComplexValue* c, const ComplexValue* a, double x);   // a * x
// Smith's scaled division; null for a zero divisor (|re| + |im| == 0).
ComplexValue* ComplexValueDiv(ComplexValue* c, const ComplexValue* a, const ComplexValue* b);
ComplexValue* ComplexValueNegate(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueConj(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueInv(ComplexValue* c, const ComplexValue* a);   // null for zero

ComplexValue* ComplexValueAddSelf(ComplexValue* a, const ComplexValue* b);
ComplexValue* ComplexValueSubSelf(ComplexValue* a, const ComplexValue* b);
ComplexValue* ComplexValueMulSelf(ComplexValue* a, const ComplexValue* b);
ComplexValue* ComplexValueMulSelf2(ComplexValue* a, double x);
ComplexValue* ComplexValueDivSelf(ComplexValue* a, const ComplexValue* b);
ComplexValue* ComplexValueNegateSelf(ComplexValue* a);
ComplexValue* ComplexValueConjSelf(ComplexValue* a);

// sqrt(re^2 + im^2), scaled by a power of two only where the sum of squares
// would overflow or reach the subnormal range.
double ComplexValueAbs(const ComplexValue* a);
double ComplexValueArg(const ComplexValue* a);   // atan2(im, re)
int ComplexValueIsZero(const ComplexValue* a);   // both parts exactly 0
int ComplexValueIsFinite(const ComplexValue* a);
int ComplexValueIsNaN(const ComplexValue* a);
int ComplexValueIsInf(const ComplexValue* a);

// Sqrt, Log, Exp and the functions after them keep the value of their
// formula wherever it is accurate to a few ulp; where it overflows,
// underflows, cancels or leaves the principal branch (the cuts and signed
// zeros of C99 Annex G), a careful evaluation replaces it. Arguments with an
// infinite or NaN part get the formula's value.

// Principal root: (sqrt|(r+re)/2|, sqrt|(r-re)/2|), the imaginary part
// negated only when im < 0 (not for -0).
ComplexValue* ComplexValueSqrt(ComplexValue* c, const ComplexValue* a);
// (ln |a|, theta): theta = atan2(im, re) for re != 0, else pi/2, or -pi/2
// when im < 0; so log 0 is (-Inf, pi/2).
ComplexValue* ComplexValueLog(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueLog10(ComplexValue* c, const ComplexValue* a);
// e^re (cos im, sin im); a zero im stays as it is.
ComplexValue* ComplexValueExp(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueExpSelf(ComplexValue* a);
ComplexValue* ComplexValuePow2(ComplexValue* c, const ComplexValue* a, const ComplexValue* b);  // exp(log(a) * b)

// The elementary functions behind CompSin ... CompAtanh, for the complex
// element functions of matrices. The quotients inside Tan, Tanh, Atan and
// Atanh are checked like CompDivSelf: a zero denominator is a fatal
// "Can't divide by zero" from "CompDivSelf()".
ComplexValue* ComplexValueSin(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueCos(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueTan(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueSinh(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueCosh(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueTanh(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueAsin(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueAcos(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueAtan(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueAsinh(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueAcosh(ComplexValue* c, const ComplexValue* a);
ComplexValue* ComplexValueAtanh(ComplexValue* c, const ComplexValue* a);

// "(%s,%s)" of the two parts by RealToString with format ("%G" when null);
// a null buffer gets a new block of at least 64 bytes (freed with efree).
char* ComplexValueToString(const ComplexValue* a, char* buffer, const char* format);
