// Rational operations: construction from polynomials and constants, the
// four operations with rationals, polynomials and scalars (common factors
// are never cancelled), evaluation, parts, calculus, shifts and the
// fraction display. Results are new temporaries; failures are fatal
// reports of the Rational kind, or of the Polynomial kind when raised by a
// polynomial operation.
#pragma once

struct Complex;
struct Matrix;
struct Polynomial;
struct Rational;

// Construction.
Rational* RatNumeDenoDef(Polynomial* n, Polynomial* d);  // copies of n over d
Rational* RatNumeDef(Polynomial* n);  // n over 1
Rational* RatDenoDef(Polynomial* d);  // 1 over d
Rational* RatSameClassDef(Rational* r, int n, int d);
Rational* RatSameDef(Rational* r);
Rational* RatMulDef(Rational* r, Rational* q);
Rational* RatAddDef(Rational* r, Rational* q);
Rational* RatIDef(int n, int d);  // all-ones polynomials
Rational* C_RatIDef(int n, int d);
Rational* RatConst(double x);
Rational* C_RatConst(Complex* z);
Rational* RatSetNume(Rational* r, Polynomial* n);
Rational* RatSetDeno(Rational* r, Polynomial* d);
Polynomial* RatNume(Rational* r);
Polynomial* RatDeno(Rational* r);

// Arithmetic. The reversed forms compute operand - r.
Rational* RatAdd(Rational* a, Rational* b);
Rational* RatSub(Rational* a, Rational* b);
Rational* RatAdd_Polynomial(Rational* r, Polynomial* p);
Rational* RatSub_Polynomial(Rational* r, Polynomial* p, int reversed);
Rational* RatAdd_Complex(Rational* r, Complex* z);
Rational* RatSub_Complex(Rational* r, Complex* z, int reversed);
Rational* RatAdd_double(Rational* r, double x);
Rational* RatSub_double(Rational* r, double x, int reversed);
Rational* RatMul(Rational* a, Rational* b);
Rational* RatInv(Rational* r);
Rational* RatDiv(Rational* a, Rational* b);
Rational* RatScale(Rational* r, double x);
Rational* RatScaleC(Rational* r, Complex* z);
Rational* RatScaleP(Rational* r, Polynomial* p);
Rational* RatScaleSelf(Rational* r, double x);  // the numerator, in place
Rational* RatPow(Rational* r, int n);  // n < 0: the power -n of the inverse
Rational* RatNegate(Rational* r);
Rational* RatConj(Rational* r);
Rational* RatRealToComp(Rational* r);
Rational* RatRealPart(Rational* r);
Rational* RatImagPart(Rational* r);
Rational* RatRealAndImag(Rational* re, Rational* im);
Rational* RatCeil(Rational* r);
Rational* RatFloor(Rational* r);
Rational* RatRint(Rational* r);
Rational* RatFixToZero(Rational* r);
Rational* RatRoundToZero(Rational* r, double tol);
Rational* RatSimplify(Rational* r, double tol);  // in place

// Evaluation.
double RatEval(Rational* r, double x);
Complex* RatEvalC(Rational* r, Complex* z);
Complex* C_RatEval(Rational* r, double x);
Complex* C_RatEvalC(Rational* r, Complex* z);
Rational* RatEvalP(Rational* r, Polynomial* p);
Rational* PolyEvalR(Polynomial* p, Rational* r);
Rational* RatEvalR(Rational* r, Rational* q);
Matrix* RatEvalM(Rational* r, Matrix* a);  // Nr(a) Dr(a)^-1
Matrix* RatZeros(Rational* r);  // the roots of the numerator
Matrix* RatPoles(Rational* r);  // the roots of the denominator

// Calculus and shifts.
Rational* RatDerivative(Rational* r, int n);
Rational* RatLowerShift(Rational* r, int n);
Rational* RatHigherShift(Rational* r, int n);

// The two-line fraction display on standard output.
Rational* RatPrint(Rational* r);
void RatAllPrint();

// Numerator and denominator in the column layout, as base.N and base.D.
Rational* RatFileWrite(Rational* r, const char* base);
Rational* RatFileRead(const char* base);
