// Matrix arithmetic and class promotion: the operators of compiled code
// (+, -, *, .*, ./, [a, b], [[a][b]], transposes, negation, scaling, scalar
// forms) and the per-class kernels behind them.
//
// Public operations validate their operands, bring two operands of
// different classes to their joint class, and return a new temporary; only
// MatScaleSelf changes its operand. Kernels (Mat_ real, C_Mat_ complex)
// take the result first, assume valid operands and return the result.
#pragma once

struct Matrix;
struct Complex;
struct Polynomial;
struct Rational;

// Joint class of two element classes, to which mixed operands are promoted:
// 2 x (higher of the levels 0 real/complex, 1 polynomial, 2 rational) + 1
// when either class holds complex values. -1 when a class is outside 0..5.
int MatJointClass(int a, int b);

// Class conversions; each returns a new unnamed temporary.
Matrix* MatRealToComp(Matrix* m);   // 0 -> 1, 1 -> copy, 2,3 -> 3, 4,5 -> 5
Matrix* MatRealToPoly(Matrix* m);   // 0 -> 2
Matrix* MatCompToPoly(Matrix* m);   // 1 -> 3
Matrix* MatRealToRat(Matrix* m);    // 0 -> 4
Matrix* MatCompToRat(Matrix* m);    // 1 -> 5
Matrix* MatPolyToRat(Matrix* m);    // 2 -> 4, 3 -> 5

// Converts whichever of a and b is not of their joint class, names each
// converted temporary after the operand it came from, and returns op(a', b').
using MatBinaryOperation = Matrix* (*)(Matrix* a, Matrix* b);
Matrix* MatConvertAndOperation(MatBinaryOperation op, Matrix* a, Matrix* b);

// Two matrices.
Matrix* MatAdd(Matrix* a, Matrix* b);
Matrix* MatSub(Matrix* a, Matrix* b);
Matrix* MatMul(Matrix* a, Matrix* b);
Matrix* MatMulElem(Matrix* a, Matrix* b);
Matrix* MatDivElem(Matrix* a, Matrix* b);
Matrix* MatCatRow(Matrix* a, Matrix* b);      // [a, b]: side by side
Matrix* MatCatColumn(Matrix* a, Matrix* b);   // [[a][b]]: a above b

// A matrix and a scalar. The reversed forms (reversed != 0) compute
// scalar - m.
Matrix* MatScale(Matrix* m, double x);
Matrix* MatScaleSelf(Matrix* m, double x);    // in place; returns m
Matrix* MatAdd_double(Matrix* m, double x);
Matrix* MatSub_double(Matrix* m, double x, int reversed);
Matrix* MatAdd_Complex(Matrix* m, Complex* z);
Matrix* MatSub_Complex(Matrix* m, Complex* z, int reversed);
Matrix* MatScaleC(Matrix* m, Complex* z);
Matrix* MatAdd_Polynomial(Matrix* m, Polynomial* p);
Matrix* MatSub_Polynomial(Matrix* m, Polynomial* p, int reversed);
Matrix* MatScaleP(Matrix* m, Polynomial* p);
Matrix* MatAdd_Rational(Matrix* m, Rational* r);
Matrix* MatSub_Rational(Matrix* m, Rational* r, int reversed);
Matrix* MatScaleR(Matrix* m, Rational* r);

// One matrix.
Matrix* MatTrans(Matrix* m);       // no conjugation
Matrix* MatConjTrans(Matrix* m);
Matrix* MatConj(Matrix* m);
Matrix* MatNegate(Matrix* m);
Matrix* MatIncrement(Matrix* m);   // real only
Matrix* MatDecrement(Matrix* m);   // real only
Matrix* MatInvElem(Matrix* m);

// Real kernels. The element-wise ones may write into an operand.
Matrix* Mat_Add(Matrix* c, Matrix* a, Matrix* b);
Matrix* Mat_Sub(Matrix* c, Matrix* a, Matrix* b);
Matrix* Mat_MulElem(Matrix* c, Matrix* a, Matrix* b);
Matrix* Mat_DivElem(Matrix* c, Matrix* a, Matrix* b);   // IEEE: no report
// Each element summed over k in increasing order from 0, rounded after
// every term; c is a.rows x b.cols and is neither operand.
Matrix* Mat_Mul(Matrix* c, Matrix* a, Matrix* b);
Matrix* Mat_CatRow(Matrix* c, Matrix* a, Matrix* b);
Matrix* Mat_CatColumn(Matrix* c, Matrix* a, Matrix* b);
Matrix* Mat_Scale(Matrix* c, Matrix* m, double x);
Matrix* Mat_Add_double(Matrix* c, Matrix* m, double x);
Matrix* Mat_Sub_double(Matrix* c, Matrix* m, double x, int reversed);
Matrix* Mat_Increment(Matrix* c, Matrix* m);
Matrix* Mat_Decrement(Matrix* c, Matrix* m);
Matrix* Mat_Negate(Matrix* c, Matrix* m);     // sign-bit flip: 0.0 -> -0.0
Matrix* Mat_InvElem(Matrix* c, Matrix* m);    // IEEE: no report
Matrix* Mat_Trans(Matrix* c, Matrix* m);      // c is m.cols x m.rows
// Real m with a complex scalar; c is complex of m's size.
Matrix* Mat_Add_Complex(Matrix* c, Matrix* m, Complex* z);
Matrix* Mat_Sub_Complex(Matrix* c, Matrix* m, Complex* z, int reversed);
Matrix* Mat_ScaleC(Matrix* c, Matrix* m, Complex* z);

// Complex kernels.
Matrix* C_Mat_Add(Matrix* c, Matrix* a, Matrix* b);
Matrix* C_Mat_Sub(Matrix* c, Matrix* a, Matrix* b);
Matrix* C_Mat_MulElem(Matrix* c, Matrix* a, Matrix* b);
// Fatal "Zero division" for a zero divisor element.
Matrix* C_Mat_DivElem(Matrix* c, Matrix* a, Matrix* b);
Matrix* C_Mat_Mul(Matrix* c, Matrix* a, Matrix* b);
Matrix* C_Mat_CatRow(Matrix* c, Matrix* a, Matrix* b);
Matrix* C_Mat_CatColumn(Matrix* c, Matrix* a, Matrix* b);
Matrix* C_Mat_Scale(Matrix* c, Matrix* m, double x);
Matrix* C_Mat_Add_double(Matrix* c, Matrix* m, double x);
Matrix* C_Mat_Sub_double(Matrix* c, Matrix* m, double x, int reversed);
Matrix* C_Mat_Add_Complex(Matrix* c, Matrix* m, Complex* z);
Matrix* C_Mat_Sub_Complex(Matrix* c, Matrix* m, Complex* z, int reversed);
Matrix* C_Mat_ScaleC(Matrix* c, Matrix* m, Complex* z);
Matrix* C_Mat_Negate(Matrix* c, Matrix* m);
Matrix* C_Mat_Conj(Matrix* c, Matrix* m);
// Fatal "Zero Element" when an element's modulus is at most vorn_eps.
Matrix* C_Mat_InvElem(Matrix* c, Matrix* m);
Matrix* C_Mat_Trans(Matrix* c, Matrix* m);       // no conjugation
Matrix* C_Mat_ConjTrans(Matrix* c, Matrix* m);
Matrix* C_Mat_RealToComp(Matrix* c, Matrix* m);  // imaginary parts 0
