// Polynomials with exact integer coefficients, constant first, to check
// the floating-point operations against.
#pragma once

#include <random>
#include <vector>

#include "support/values.h"

namespace exact {

using I = __int128;
using IPoly = std::vector<I>;

inline IPoly randomPoly(std::mt19937& rng, int maxDegree, int range) {
  std::uniform_int_distribution<int> degree(0, maxDegree), value(-range, range);
  IPoly p(static_cast<size_t>(degree(rng)) + 1);
  for (auto& c : p) c = value(rng);
  while (p.back() == 0) p.back() = value(rng);  // a true leading coefficient
  return p;
}

inline IPoly mul(const IPoly& a, const IPoly& b) {
  IPoly c(a.size() + b.size() - 1, 0);
  for (size_t i = 0; i < a.size(); i++)
    for (size_t j = 0; j < b.size(); j++) c[i + j] += a[i] * b[j];
  return c;
}

// a + sign * b, without leading zeros.
inline IPoly add(IPoly a, const IPoly& b, int sign = 1) {
  if (a.size() < b.size()) a.resize(b.size(), 0);
  for (size_t k = 0; k < b.size(); k++) a[k] += sign * b[k];
  while (a.size() > 1 && a.back() == 0) a.pop_back();
  return a;
}

inline vorn_values::V toDoubles(const IPoly& p) {
  vorn_values::V row;
  for (I c : p) row.push_back(static_cast<double>(c));
  return row;
}

}  // namespace exact
