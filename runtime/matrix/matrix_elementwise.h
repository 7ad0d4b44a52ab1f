// Mathematical functions applied to every element of a matrix.
//
// Each member returns a new temporary and leaves its operand unchanged: a
// real matrix of m's size for abs, arg, finite, isnan and isinf, otherwise a
// matrix of m's class. An empty m gives an empty result at once. Real
// elements go through the C library (a domain error gives NaN, never a
// complex value); complex elements through the ComplexValue family. A class
// the member does not take is fatal, reported with "name(m(rows x cols))".
#pragma once

struct Matrix;
struct ComplexValue;

Matrix* MatAbsElem(Matrix* m);     // |x|, or the modulus (real result)
Matrix* MatArgElem(Matrix* m);     // complex only: the argument (real result)
Matrix* MatCeilElem(Matrix* m);    // complex: each part
Matrix* MatFloorElem(Matrix* m);
Matrix* MatFixToZeroElem(Matrix* m);   // rounding toward zero
Matrix* MatRintElem(Matrix* m);        // nearest, ties to even
Matrix* MatSinElem(Matrix* m);
Matrix* MatCosElem(Matrix* m);
Matrix* MatTanElem(Matrix* m);
Matrix* MatAsinElem(Matrix* m);
Matrix* MatAcosElem(Matrix* m);
Matrix* MatAtanElem(Matrix* m);
Matrix* MatSinhElem(Matrix* m);
Matrix* MatCoshElem(Matrix* m);
Matrix* MatTanhElem(Matrix* m);
Matrix* MatAsinhElem(Matrix* m);
Matrix* MatAcoshElem(Matrix* m);
Matrix* MatAtanhElem(Matrix* m);
Matrix* MatExpElem(Matrix* m);
Matrix* MatLogElem(Matrix* m);
Matrix* MatLog10Elem(Matrix* m);
Matrix* MatSqrtElem(Matrix* m);
Matrix* MatSgnElem(Matrix* m);     // -1, 0, 1 (NaN stays); complex: z / |z|
Matrix* MatFiniteElem(Matrix* m);  // 1.0 where finite, else 0.0 (real result)
Matrix* MatNaNElem(Matrix* m);     // 1.0 where NaN (complex: either part)
Matrix* MatInfElem(Matrix* m);     // 1.0 where infinite (complex: either part)

// The caller's function applied to every element, in storage order.
// The real form takes a real m. The complex form (in the shape of the
// ComplexValue family, e.g. ComplexValueSin) takes a complex m, or a real
// one read as (x, 0), and gives a complex result.
using MatRealFunction = double (*)(double x);
using MatComplexFunction = ComplexValue* (*)(ComplexValue* c, const ComplexValue* a);
Matrix* MatApply(Matrix* m, MatRealFunction f);
Matrix* MatApply(Matrix* m, MatComplexFunction f);
