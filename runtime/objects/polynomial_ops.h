// Polynomial operations: construction, coefficient access, arithmetic,
// calculus, evaluation, simplification and printing. Results are new
// temporaries simplified with vorn_eps unless stated; operands are left
// as they were. Failures are fatal reports of the Polynomial kind.
#pragma once

struct Complex;
struct Matrix;
struct Polynomial;
struct Rational;

// Fatal "Variables are distinct" when both variables are present and differ.
void PolyVarCheck(Polynomial* p, Polynomial* q, const char* tag);

// Construction.
Polynomial* PolyCoefDef(Matrix* row, const char* variable);  // constant term first
Polynomial* PolySameClassDef(Polynomial* p, int degree);
Polynomial* PolySameDef(Polynomial* p);
Polynomial* PolyMulDef(Polynomial* p, Polynomial* q);
Polynomial* PolyIDef(int n, const char* variable);  // every coefficient 1
Polynomial* C_PolyIDef(int n, const char* variable);
Polynomial* PolyConst(double x);
Polynomial* C_PolyConst(Complex* z);
Polynomial* PolyFirst(double x, const char* variable);  // x s
Polynomial* C_PolyFirst(Complex* z, const char* variable);
Polynomial* PolySetCoef(Polynomial* p, Matrix* row);  // class and degree from row

// Coefficients, counted from 0 (the constant).
Polynomial* PolySetValue(Polynomial* p, int k, double x);
Polynomial* C_PolySetValue(Polynomial* p, int k, Complex* z);
double* PolyGetPtr(Polynomial* p, int k);
double PolyGetValue(Polynomial* p, int k);
double* C_PolyGetPtr(Polynomial* p, int k);  // the real part; imaginary follows
Complex* C_PolyGetValue(Polynomial* p, int k);  // a new temporary
Matrix* PolyCoef(Polynomial* p);
Polynomial* PolySetZero(Polynomial* p);
int PolyIsZero(Polynomial* p);

// Coefficients s1..s2 of src into d1..d2 of dst (same class).
Polynomial* PolyPartCopy(Polynomial* dst, int d1, int d2, Polynomial* src, int s1, int s2);
Polynomial* PolyExpand(Polynomial* p, int n);  // new, degree n, p's coefficients low
Polynomial* PolyEnlarge(Polynomial* p, int n);  // the same in place

// Arithmetic. The reversed forms compute scalar - p.
Polynomial* PolyAdd(Polynomial* p, Polynomial* q);
Polynomial* PolySub(Polynomial* p, Polynomial* q);
Polynomial* PolyAdd_double(Polynomial* p, double x);
Polynomial* PolySub_double(Polynomial* p, double x, int reversed);
Polynomial* PolyAdd_Complex(Polynomial* p, Complex* z);
Polynomial* PolySub_Complex(Polynomial* p, Complex* z, int reversed);
Polynomial* PolyMul(Polynomial* p, Polynomial* q);
Polynomial* PolyScale(Polynomial* p, double x);
Polynomial* PolyScaleC(Polynomial* p, Complex* z);
Polynomial* PolyScaleSelf(Polynomial* p, double x);
Polynomial* PolyPow(Polynomial* p, int n);
Polynomial* PolyNegate(Polynomial* p);  // not simplified
Polynomial* PolyConj(Polynomial* p);
Polynomial* PolyRealPart(Polynomial* p);
Polynomial* PolyImagPart(Polynomial* p);
Polynomial* PolyRealToComp(Polynomial* p);  // not simplified
Polynomial* PolyRealAndImag(Polynomial* re, Polynomial* im);
Polynomial* PolyCeil(Polynomial* p);
Polynomial* PolyFloor(Polynomial* p);
Polynomial* PolyFixToZero(Polynomial* p);
Polynomial* PolyRint(Polynomial* p);
// tol < 0: the Frobenius norm of the coefficients times vorn_eps.
Polynomial* PolyRoundToZero(Polynomial* p, double tol);
Polynomial* PolyCut(Polynomial* p, int lo, int hi);

// Calculus and shifts.
Polynomial* PolyDerivative(Polynomial* p, int n);
Polynomial* PolyIntegral(Polynomial* p, int n);  // zero integration constants
Polynomial* PolyLowerShift(Polynomial* p, int n);  // divided by s^n, remainder dropped
Polynomial* PolyHigherShift(Polynomial* p, int n);

// Evaluation by Horner's rule.
double PolyEval(Polynomial* p, double x);
Complex* PolyEvalC(Polynomial* p, Complex* z);
Complex* C_PolyEval(Polynomial* p, double x);
Complex* C_PolyEvalC(Polynomial* p, Complex* z);
Polynomial* PolyEvalP(Polynomial* p, Polynomial* q);
Matrix* PolyEvalM(Polynomial* p, Matrix* a);

// The roots, as the eigenvalues of the companion matrix of p made monic:
// a complex column, 0 x 1 for a nonzero constant.
Matrix* PolyRoots(Polynomial* p);

// Drops the negligible leading coefficients of p in place; returns p.
Polynomial* PolySimplify(Polynomial* p, double tol);

// "name = text" on standard output, wrapped at 79 columns.
Polynomial* PolyPrint(Polynomial* p);
void PolyAllPrint();

// The coefficient row in the column layout, and back.
Polynomial* PolyFileWrite(Polynomial* p, const char* file);
Polynomial* PolyFileRead(const char* file);
