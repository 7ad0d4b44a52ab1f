// Values of a matrix of any class at a point, for checking polynomial and
// rational matrices against the same operation done on numbers.
#pragma once

#include <complex>
#include <vector>

#include "support/values.h"

namespace poly_values {

using Cx = std::complex<double>;
using CxV = std::vector<Cx>;

// The element values of m at z in storage order; a real or complex matrix
// gives its own values.
inline CxV ValuesAt(Matrix* m, Cx z) {
  Complex* w = CompDef("", z.real(), z.imag());
  Matrix* v = m->class_ <= MAT_COMPLEX ? m : m->class_ <= MAT_C_POLY ? P_Mat_EvalC(m, w) : R_Mat_EvalC(m, w);
  CxV out;
  for (int k = 0; k < v->rows * v->cols; k++)
    out.push_back(v->class_ == MAT_COMPLEX ? Cx(MatReal(v)[2 * k], MatReal(v)[2 * k + 1]) : Cx(MatReal(v)[k], 0));
  return out;
}

}  // namespace poly_values
