// Polynomial matrices (classes 2 and 3: one Polynomial per element) and
// rational matrices (classes 4 and 5: one Rational per element).
//
// Each element is a component object of the matrix (a Polynomial of
// lifetime code 3, a Rational of code 2), released with it. The P_Mat_ and
// R_Mat_ kernels with a result argument write into it, which must be a
// matrix of the result's class and shape: every element is replaced by a
// new object, the old one released. Indices count from 1. The element
// operations are those of the Polynomial and Rational kinds and report as
// they do.
#pragma once

struct Complex;
struct ComplexValue;
struct Matrix;
struct Polynomial;
struct Rational;

// ---------------------------------------------------------------------------
// Polynomial matrices.

// Construction: new temporaries of class 2. Def gives empty polynomials,
// the Z, I and One forms constants; Fill copies p into every element.
Matrix* P_MatDef(const char* name, int rows, int cols);
Matrix* P_MatNonNameDef(int rows, int cols);
Matrix* P_MatZDef2(int rows, int cols);
Matrix* P_MatZDef(int n);
Matrix* P_MatIDef2(int rows, int cols);
Matrix* P_MatIDef(int n);
Matrix* P_MatOneDef(int rows, int cols);
Matrix* P_MatFillDef(int rows, int cols, Polynomial* p);
Matrix* P_MatSameSizeFillDef(Matrix* m, Polynomial* p);
// Of m's class (2 or 3): m's shape, its transpose's, the product's.
Matrix* P_MatSameDef(Matrix* m);
Matrix* P_MatTransDef(Matrix* m);
Matrix* P_MatMulDef(Matrix* a, Matrix* b);
// n polynomials follow: the diagonal, a column, a row; Vander gives row i
// as 1, p_i, p_i^2, ... p_i^(n-1).
Matrix* P_MatDiagDef(int n, ...);
Matrix* P_MatColumnVec(int n, ...);
Matrix* P_MatRowVec(int n, ...);
Matrix* P_MatVander(int n, ...);
Matrix* P_MatSetVar(Matrix* m, const char* variable);

// Element access. Setters grow m to cover the index, as MatSetValue does;
// a complex polynomial makes a class 2 matrix class 3. GetValue returns a
// copy, GetPtr the element itself.
Matrix* P_MatSetValue(Matrix* m, int i, int j, Polynomial* p);
Matrix* P_MatSetVecValue(Matrix* m, int k, Polynomial* p);
Matrix* P_MatFillValue(Matrix* m, Polynomial* p);
Polynomial* P_MatGetValue(Matrix* m, int i, int j);
Polynomial* P_MatGetValueOne(Matrix* m);  // element (1, 1)
Polynomial* P_MatGetPtr(Matrix* m, int i, int j);
Polynomial* P_MatGetVecValue(Matrix* m, int k);
Polynomial* P_MatGetVecPtr(Matrix* m, int k);
Matrix* P_Mat_SetZero(Matrix* m);  // zero constants
// The sub-matrix operations of matrix_sub.h and the copies of
// matrix_construct.h, for an operand of classes 2 and 3.
Matrix* P_Mat_Cut(Matrix* m, int i1, int j1, int i2, int j2);
Matrix* P_Mat_Put(Matrix* dst, int i, int j, Matrix* src);
Matrix* P_Mat_AreaCopy(Matrix* dst, int i, int j, Matrix* src, int i1, int j1, int i2, int j2);
Matrix* P_Mat_GetSubMatrix(Matrix* m, Matrix* rows, Matrix* cols);
Matrix* P_Mat_SetSubMatrix(Matrix* dst, Matrix* rows, Matrix* cols, Matrix* src);
Matrix* P_Mat_GetVecSubMatrix(Matrix* m, Matrix* index);
Matrix* P_Mat_SetVecSubMatrix(Matrix* dst, Matrix* index, Matrix* src);
Matrix* P_MatCopy(Matrix* dst, Matrix* src);
Matrix* P_MatSwap(Matrix* a, Matrix* b);

// Reductions: new temporaries.
// 1 x 1: the element; 2 x 2 and 3 x 3: the explicit products; larger: the
// expansion along the first column.
Polynomial* P_MatDeterm(Matrix* m);
Polynomial* P_MatTrace(Matrix* m);
Polynomial* P_MatSumElem(Matrix* m);
Polynomial* P_MatProdElem(Matrix* m);
Polynomial* P_MatMeanElem(Matrix* m);
// Each row (mode other than 1) or each column (mode 1), or the whole of a
// vector, reduced; the running forms go through the storage in order.
Matrix* P_Mat_Sum(Matrix* m, int mode);
Matrix* P_Mat_Mean(Matrix* m, int mode);
Matrix* P_Mat_Prod(Matrix* m, int mode);
Matrix* P_Mat_CumSumElem(Matrix* m);
Matrix* P_Mat_CumProdElem(Matrix* m);
// A real matrix of 1 where the elements are equal (the same degree and
// coefficients), or where they differ when equal is 0; same shapes.
Matrix* P_Mat_CompareElem(Matrix* a, Matrix* b, int equal);
// Whether every element is the zero constant.
int P_MatIsZero(Matrix* m);

// Arithmetic kernels.
Matrix* P_Mat_Add(Matrix* c, Matrix* a, Matrix* b);
Matrix* P_Mat_Sub(Matrix* c, Matrix* a, Matrix* b);
Matrix* P_Mat_Mul(Matrix* c, Matrix* a, Matrix* b);  // matrix product
Matrix* P_Mat_MulElem(Matrix* c, Matrix* a, Matrix* b);
Matrix* P_Mat_DivElem(Matrix* c, Matrix* a, Matrix* b);  // c rational
Matrix* P_Mat_Scale(Matrix* c, Matrix* m, double x);
Matrix* P_Mat_ScaleSelf(Matrix* m, double x);  // in place; returns m
Matrix* P_Mat_ScaleC(Matrix* c, Matrix* m, Complex* z);
Matrix* P_Mat_ScaleP(Matrix* c, Matrix* m, Polynomial* p);
Matrix* P_Mat_ScaleR(Matrix* c, Matrix* m, Rational* r);  // c rational
Matrix* P_Mat_Add_double(Matrix* c, Matrix* m, double x);
Matrix* P_Mat_Sub_double(Matrix* c, Matrix* m, double x, int reversed);
Matrix* P_Mat_Add_Complex(Matrix* c, Matrix* m, Complex* z);
Matrix* P_Mat_Sub_Complex(Matrix* c, Matrix* m, Complex* z, int reversed);
Matrix* P_Mat_Add_Polynomial(Matrix* c, Matrix* m, Polynomial* p);
Matrix* P_Mat_Sub_Polynomial(Matrix* c, Matrix* m, Polynomial* p, int reversed);
Matrix* P_Mat_Negate(Matrix* c, Matrix* m);
Matrix* P_Mat_Conj(Matrix* c, Matrix* m);
Matrix* P_Mat_Trans(Matrix* c, Matrix* m);
Matrix* P_Mat_ConjTrans(Matrix* c, Matrix* m);
Matrix* P_Mat_InvElem(Matrix* c, Matrix* m);  // c rational
Matrix* P_Mat_CatRow(Matrix* c, Matrix* a, Matrix* b);
Matrix* P_Mat_CatColumn(Matrix* c, Matrix* a, Matrix* b);
Matrix* P_Mat_RealToComp(Matrix* c, Matrix* m);
Matrix* P_Mat_RealToPoly(Matrix* c, Matrix* m);  // m real
Matrix* P_Mat_CompToPoly(Matrix* c, Matrix* m);  // m complex
Matrix* P_Mat_RoundToZero(Matrix* c, Matrix* m, double tol);
// New temporaries: the real matrices of the parts, the class 3 matrix
// re + i im.
Matrix* P_Mat_RealPart(Matrix* m);
Matrix* P_Mat_ImagPart(Matrix* m);
Matrix* P_Mat_RealAndImag(Matrix* re, Matrix* im);
Matrix* P_Mat_Pow(Matrix* m, int n);  // square m, matrix power
Matrix* P_Mat_PowElem(Matrix* m, int n);

// Evaluation and calculus: new temporaries. Eval gives a real matrix for
// class 2 and a complex one for class 3.
Matrix* P_Mat_Eval(Matrix* m, double x);
Matrix* P_Mat_EvalC(Matrix* m, Complex* z);
Matrix* P_Mat_EvalP(Matrix* m, Polynomial* p);
Matrix* P_Mat_EvalR(Matrix* m, Rational* r);
Matrix* P_Mat_Derivative(Matrix* m, int n);
Matrix* P_Mat_Integral(Matrix* m, int n);
Matrix* P_Mat_LowerShift(Matrix* m, int n);
Matrix* P_Mat_HigherShift(Matrix* m, int n);
// f applied to every element: a polynomial matrix, or with a rational f a
// rational one.
Matrix* P_Mat_ApplyPolyFunc(Matrix* m, Polynomial* (*f)(Polynomial*));
Matrix* P_Mat_ApplyRatFunc(Matrix* m, Rational* (*f)(Polynomial*));

// The elements, one per line: " (i,j)  " and the text, wrapped.
void P_Mat_Print(Matrix* m);

// ---------------------------------------------------------------------------
// Rational matrices.

Matrix* R_MatDef(const char* name, int rows, int cols);  // empty rationals
Matrix* R_MatNonNameDef(int rows, int cols);
Matrix* R_MatZDef2(int rows, int cols);  // 0 over 1
Matrix* R_MatZDef(int n);
Matrix* R_MatIDef2(int rows, int cols);
Matrix* R_MatIDef(int n);
Matrix* R_MatOneDef(int rows, int cols);
Matrix* R_MatFillDef(int rows, int cols, Rational* r);
Matrix* R_MatSameSizeFillDef(Matrix* m, Rational* r);
Matrix* R_MatSameDef(Matrix* m);
Matrix* R_MatTransDef(Matrix* m);
Matrix* R_MatMulDef(Matrix* a, Matrix* b);
Matrix* R_MatSetVar(Matrix* m, const char* variable);

Matrix* R_MatSetValue(Matrix* m, int i, int j, Rational* r);
Matrix* R_MatSetVecValue(Matrix* m, int k, Rational* r);
Matrix* R_MatFillValue(Matrix* m, Rational* r);
Rational* R_MatGetValue(Matrix* m, int i, int j);
Rational* R_MatGetValueOne(Matrix* m);
Rational* R_MatGetPtr(Matrix* m, int i, int j);
Rational* R_MatGetVecValue(Matrix* m, int k);
Rational* R_MatGetVecPtr(Matrix* m, int k);
Matrix* R_Mat_SetZero(Matrix* m);
Matrix* R_Mat_Cut(Matrix* m, int i1, int j1, int i2, int j2);
Matrix* R_Mat_Put(Matrix* dst, int i, int j, Matrix* src);
Matrix* R_Mat_AreaCopy(Matrix* dst, int i, int j, Matrix* src, int i1, int j1, int i2, int j2);
Matrix* R_Mat_GetSubMatrix(Matrix* m, Matrix* rows, Matrix* cols);
Matrix* R_Mat_SetSubMatrix(Matrix* dst, Matrix* rows, Matrix* cols, Matrix* src);
Matrix* R_Mat_GetVecSubMatrix(Matrix* m, Matrix* index);
Matrix* R_Mat_SetVecSubMatrix(Matrix* dst, Matrix* index, Matrix* src);
Matrix* R_MatCopy(Matrix* dst, Matrix* src);
Matrix* R_MatSwap(Matrix* a, Matrix* b);

Rational* R_MatDeterm(Matrix* m);
Rational* R_MatTrace(Matrix* m);
Rational* R_MatSumElem(Matrix* m);
Rational* R_MatProdElem(Matrix* m);
Rational* R_MatMeanElem(Matrix* m);
Matrix* R_Mat_Sum(Matrix* m, int mode);
Matrix* R_Mat_Mean(Matrix* m, int mode);
Matrix* R_Mat_Prod(Matrix* m, int mode);
Matrix* R_Mat_CumSumElem(Matrix* m);
Matrix* R_Mat_CumProdElem(Matrix* m);
// Equal: numerators equal and denominators equal, nothing cancelled.
Matrix* R_Mat_CompareElem(Matrix* a, Matrix* b, int equal);
int R_MatIsZero(Matrix* m);  // every numerator the zero constant

Matrix* R_Mat_Add(Matrix* c, Matrix* a, Matrix* b);
Matrix* R_Mat_Sub(Matrix* c, Matrix* a, Matrix* b);
Matrix* R_Mat_Mul(Matrix* c, Matrix* a, Matrix* b);
Matrix* R_Mat_MulElem(Matrix* c, Matrix* a, Matrix* b);
Matrix* R_Mat_DivElem(Matrix* c, Matrix* a, Matrix* b);
Matrix* R_Mat_Scale(Matrix* c, Matrix* m, double x);
Matrix* R_Mat_ScaleSelf(Matrix* m, double x);
Matrix* R_Mat_ScaleC(Matrix* c, Matrix* m, Complex* z);
Matrix* R_Mat_ScaleP(Matrix* c, Matrix* m, Polynomial* p);
Matrix* R_Mat_ScaleR(Matrix* c, Matrix* m, Rational* r);
Matrix* R_Mat_Add_double(Matrix* c, Matrix* m, double x);
Matrix* R_Mat_Sub_double(Matrix* c, Matrix* m, double x, int reversed);
Matrix* R_Mat_Add_Complex(Matrix* c, Matrix* m, Complex* z);
Matrix* R_Mat_Sub_Complex(Matrix* c, Matrix* m, Complex* z, int reversed);
Matrix* R_Mat_Add_Polynomial(Matrix* c, Matrix* m, Polynomial* p);
Matrix* R_Mat_Sub_Polynomial(Matrix* c, Matrix* m, Polynomial* p, int reversed);
Matrix* R_Mat_Add_Rational(Matrix* c, Matrix* m, Rational* r);
Matrix* R_Mat_Sub_Rational(Matrix* c, Matrix* m, Rational* r, int reversed);
Matrix* R_Mat_Negate(Matrix* c, Matrix* m);
Matrix* R_Mat_Conj(Matrix* c, Matrix* m);
Matrix* R_Mat_Trans(Matrix* c, Matrix* m);
Matrix* R_Mat_ConjTrans(Matrix* c, Matrix* m);
Matrix* R_Mat_InvElem(Matrix* c, Matrix* m);
Matrix* R_Mat_CatRow(Matrix* c, Matrix* a, Matrix* b);
Matrix* R_Mat_CatColumn(Matrix* c, Matrix* a, Matrix* b);
Matrix* R_Mat_RealToComp(Matrix* c, Matrix* m);
Matrix* R_Mat_RealToRat(Matrix* c, Matrix* m);  // m real
Matrix* R_Mat_CompToRat(Matrix* c, Matrix* m);  // m complex
Matrix* R_Mat_PolyToRat(Matrix* c, Matrix* m);  // m polynomial
Matrix* R_Mat_RoundToZero(Matrix* c, Matrix* m, double tol);
Matrix* R_Mat_NumeElem(Matrix* m);  // polynomial matrices
Matrix* R_Mat_DenoElem(Matrix* m);
Matrix* R_Mat_RealPart(Matrix* m);  // rational matrices of class 4
Matrix* R_Mat_ImagPart(Matrix* m);
Matrix* R_Mat_Pow(Matrix* m, int n);
Matrix* R_Mat_PowElem(Matrix* m, int n);

Matrix* R_Mat_Eval(Matrix* m, double x);
Matrix* R_Mat_EvalC(Matrix* m, Complex* z);
Matrix* R_Mat_EvalP(Matrix* m, Polynomial* p);
Matrix* R_Mat_EvalR(Matrix* m, Rational* r);
Matrix* R_Mat_Derivative(Matrix* m, int n);
Matrix* R_Mat_LowerShift(Matrix* m, int n);
Matrix* R_Mat_HigherShift(Matrix* m, int n);
Matrix* R_Mat_ApplyRatFunc(Matrix* m, Rational* (*f)(Rational*));

// ---------------------------------------------------------------------------
// Products of vectors, powers, evaluation at matrices, applied functions
// and interactive entry, for polynomial (P_) and rational (R_) matrices.
// Operands of two classes are brought to their joint class first, which
// must lie in the routine's family. Results are new temporaries.

// The sum of a(k) b(k) over two vectors of equal length, without
// conjugation; empty vectors give the zero constant.
Polynomial* P_MatScalarProduct(Matrix* a, Matrix* b);
Rational* R_MatScalarProduct(Matrix* a, Matrix* b);
// a x b of two vectors of 3 elements, shaped as a.
Matrix* P_Mat_VectorProduct(Matrix* a, Matrix* b);
Matrix* R_Mat_VectorProduct(Matrix* a, Matrix* b);
// The 3 x 3 matrix S of a vector v of 3 elements with S b = v x b.
Matrix* P_Mat_VectorSquare(Matrix* v);
Matrix* R_Mat_VectorSquare(Matrix* v);
// m(k) to the power n(k), n a real matrix of m's size holding integers.
Matrix* P_Mat_PowElemEach(Matrix* m, Matrix* n);
Matrix* R_Mat_PowElemEach(Matrix* m, Matrix* n);
// At a square real or complex a of order n: the (rows n) x (cols n)
// matrix whose block (i, j) is m(i, j) evaluated at a (PolyEvalM,
// RatEvalM). Complex when m or a holds complex values.
Matrix* P_Mat_EvalM(Matrix* m, Matrix* a);
Matrix* R_Mat_EvalM(Matrix* m, Matrix* a);
// Each element at its own point: m(k) evaluated at a(k), a a real or
// complex matrix of m's size.
Matrix* P_Mat_EvalMElem(Matrix* m, Matrix* a);
Matrix* R_Mat_EvalMElem(Matrix* m, Matrix* a);
// f applied to every coefficient (of numerator and denominator), the
// results simplified: a real f takes real coefficients only, a complex f
// (in the shape of the ComplexValue family) any.
Matrix* P_Mat_Apply(Matrix* m, double (*f)(double x));
Matrix* P_Mat_Apply(Matrix* m, ComplexValue* (*f)(ComplexValue* c, const ComplexValue* a));
Matrix* R_Mat_Apply(Matrix* m, double (*f)(double x));
Matrix* R_Mat_Apply(Matrix* m, ComplexValue* (*f)(ComplexValue* c, const ComplexValue* a));
// f applied to the numerator and the denominator of every element.
Matrix* R_Mat_ApplyPolyFunc(Matrix* m, Polynomial* (*f)(Polynomial*));

// Line-by-line entry on standard input. Edit shows each element's text,
// then reads its coefficients, constant term first, as numbers or
// "(re,im)" pairs separated by blanks or commas; an empty line keeps the
// element, an unreadable one is asked again, the end of input keeps the
// rest. A rational element is read as its numerator, then its
// denominator. Input asks for the numbers of rows and columns, then edits
// a zero matrix of that size named name. Both return the matrix.
Matrix* P_MatEdit(Matrix* m);
Matrix* P_MatInput(const char* name);
Matrix* R_MatEdit(Matrix* m);
Matrix* R_MatInput(const char* name);
// Every element of a polynomial or rational matrix as PolyPrint and
// RatPrint show a named object, under the name "m(i,j)".
void mat_poly_print(Matrix* m);
void putspace(int n);  // n blanks on standard output
void putline(int n);   // n dashes on standard output: a fraction bar

// The elements, one per line: " (i,j)  (numerator)/(denominator)".
void R_Mat_Print(Matrix* m);

// ---------------------------------------------------------------------------
// Shapes of polynomial and rational matrices: the rearrangements of
// matrix_shape.h, running sums and products along rows or columns, blocks by
// corner indices and parts, for an operand of the family's classes (else
// the fatal "Not a polynomial matrix" or "Not a rational matrix"). Each
// returns a new temporary, except SetBlockSubMatrix, which writes into dst
// and returns it.

Matrix* P_Mat_FlipLR(Matrix* m);
Matrix* P_Mat_FlipUD(Matrix* m);
Matrix* P_Mat_RotateUp(Matrix* m);
Matrix* P_Mat_RotateDown(Matrix* m);
Matrix* P_Mat_RotateLeft(Matrix* m);
Matrix* P_Mat_RotateRight(Matrix* m);
Matrix* P_Mat_ShiftUp(Matrix* m);
Matrix* P_Mat_ShiftDown(Matrix* m);
Matrix* P_Mat_ShiftLeft(Matrix* m);
Matrix* P_Mat_ShiftRight(Matrix* m);
Matrix* P_Mat_ChangeRow(Matrix* m, int i, int j);
Matrix* P_Mat_ChangeColumn(Matrix* m, int i, int j);
// Along each row (mode other than 1) or each column (mode 1), or along the
// whole of a vector.
Matrix* P_Mat_CumSum(Matrix* m, int mode);
Matrix* P_Mat_CumProd(Matrix* m, int mode);
// m(i1..i2, j1..j2); dst(i1..i2, j1..j2) = src, growing and widening dst
// as MatSetSubMatrix2 does.
Matrix* P_Mat_GetBlockSubMatrix(Matrix* m, int i1, int i2, int j1, int j2);
Matrix* P_Mat_SetBlockSubMatrix(Matrix* dst, int i1, int i2, int j1, int j2, Matrix* src);
// The real and imaginary parts of the coefficients: P_Mat_RealPart and
// P_Mat_ImagPart under the names the class dispatch of MatRealPart uses.
Matrix* P_MatRealPart(Matrix* m);
Matrix* P_MatImagPart(Matrix* m);

Matrix* R_Mat_FlipLR(Matrix* m);
Matrix* R_Mat_FlipUD(Matrix* m);
Matrix* R_Mat_RotateUp(Matrix* m);
Matrix* R_Mat_RotateDown(Matrix* m);
Matrix* R_Mat_RotateLeft(Matrix* m);
Matrix* R_Mat_RotateRight(Matrix* m);
Matrix* R_Mat_ShiftUp(Matrix* m);
Matrix* R_Mat_ShiftDown(Matrix* m);
Matrix* R_Mat_ShiftLeft(Matrix* m);
Matrix* R_Mat_ShiftRight(Matrix* m);
Matrix* R_Mat_ChangeRow(Matrix* m, int i, int j);
Matrix* R_Mat_ChangeColumn(Matrix* m, int i, int j);
Matrix* R_Mat_CumSum(Matrix* m, int mode);
Matrix* R_Mat_CumProd(Matrix* m, int mode);
Matrix* R_Mat_GetBlockSubMatrix(Matrix* m, int i1, int i2, int j1, int j2);
Matrix* R_Mat_SetBlockSubMatrix(Matrix* dst, int i1, int i2, int j1, int j2, Matrix* src);
// Real and imaginary parts of each rational (class 4 results).
Matrix* R_MatRealPart(Matrix* m);
Matrix* R_MatImagPart(Matrix* m);
// re + i im for two class 4 matrices of one size (else "Not a real matrix"
// or "Not same size"): a class 5 matrix.
Matrix* R_Mat_RealAndImag(Matrix* re, Matrix* im);
// n rationals follow, as for the P_ forms.
Matrix* R_MatDiagDef(int n, ...);
Matrix* R_MatColumnVec(int n, ...);
Matrix* R_MatRowVec(int n, ...);
Matrix* R_MatVander(int n, ...);
