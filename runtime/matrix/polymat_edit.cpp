// Line-by-line entry of polynomial and rational matrices on standard
// input, and their element-by-element display.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/core/entry.h"
#include "runtime/core/memory.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/matrix/polymat.h"
#include "runtime/objects/complex_value.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/polynomial_ops.h"
#include "runtime/objects/polytext.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/rational_ops.h"

namespace {

using vorn_matrix::offsetOf;

// One line of standard input without its line end; false at the end of
// input.
bool readLine(std::string& line) {
  line.clear();
  int c;
  while ((c = std::getchar()) != EOF && c != '\n') line += static_cast<char>(c);
  if (c == EOF && line.empty()) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool blank(const std::string& line) {
  for (char c : line)
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  return true;
}

// Coefficients, constant term first: numbers or "(re,im)" pairs separated
// by blanks or commas. False when the text is not such a list or is empty.
bool parseCoefficients(const std::string& line, std::vector<ComplexValue>& coef, bool& complexValue) {
  coef.clear();
  complexValue = false;
  const char* s = line.c_str();
  auto skip = [&s](bool commas) {
    while (std::isspace(static_cast<unsigned char>(*s)) || (commas && *s == ',')) s++;
  };
  // strtod with a number required.
  auto number = [&s](double& x) {
    char* end;
    x = std::strtod(s, &end);
    if (end == s) return false;
    s = end;
    return true;
  };
  for (skip(true); *s != '\0'; skip(true)) {
    ComplexValue z{0.0, 0.0};
    if (*s == '(') {
      s++;
      skip(false);
      if (!number(z.re)) return false;
      skip(false);
      if (*s++ != ',') return false;
      skip(false);
      if (!number(z.im)) return false;
      skip(false);
      if (*s++ != ')') return false;
      complexValue = true;
    } else if (!number(z.re)) {
      return false;
    }
    coef.push_back(z);
  }
  return !coef.empty();
}

// A new polynomial in variable from the coefficients, simplified.
Polynomial* polyOf(const std::vector<ComplexValue>& coef, bool complexValue, const char* variable) {
  const int degree = static_cast<int>(coef.size()) - 1;
  Polynomial* p = complexValue ? C_PolyDef("", degree, variable) : PolyDef("", degree, variable);
  double* const c = MatReal(p->coef);
  for (size_t k = 0; k < coef.size(); k++) {
    if (complexValue) {
      c[2 * k] = coef[k].re;
      c[2 * k + 1] = coef[k].im;
    } else {
      c[k] = coef[k].re;
    }
  }
  return PolySimplify(p, vorn_eps);
}

// Prompts until a coefficient list or an empty line is read. Null for an
// empty line or the end of input (which sets *ended), else a new
// polynomial in variable.
Polynomial* askPolynomial(const char* prompt, const char* variable, bool* ended) {
  std::string line;
  std::vector<ComplexValue> coef;
  bool complexValue;
  for (;;) {
    std::printf("%s", prompt);
    std::fflush(stdout);
    if (!readLine(line)) {
      *ended = true;
      std::printf("\n");
      return nullptr;
    }
    if (blank(line)) return nullptr;
    if (parseCoefficients(line, coef, complexValue)) return polyOf(coef, complexValue, variable);
    std::printf("Invalid coefficients: %s\n", line.c_str());
  }
}

// A count of at least 0; 0 at the end of input.
int askCount(const std::string& prompt) {
  std::string line;
  for (;;) {
    std::printf("%s", prompt.c_str());
    std::fflush(stdout);
    if (!readLine(line)) {
      std::printf("\n");
      return 0;
    }
    char* end;
    const long n = std::strtol(line.c_str(), &end, 10);
    if (end != line.c_str() && blank(end) && n >= 0 && n <= 0x7fffffff) return static_cast<int>(n);
  }
}

const char* displayName(const Matrix* m) { return m->name != nullptr && m->name[0] != '\0' ? m->name : "ans"; }

std::string label(const Matrix* m, int i, int j, const char* what) {
  char text[64];
  std::snprintf(text, sizeof text, "(%d,%d)%s", i, j, what);
  return displayName(m) + std::string(text);
}

const char* variableOf(const Rational* r) {
  return r->nume->variable != nullptr ? r->nume->variable : r->deno->variable;
}

// The text of p without star, in its own variable.
std::string textOf(Polynomial* p) {
  char* text = PolyToString(p, nullptr, 0, p->variable);
  std::string s(text);
  efree(text);
  return s;
}

}  // namespace

Matrix* P_MatEdit(Matrix* m) {
  MatCheckLive(m, "P_MatEdit()");
  MatNotPolynomialCheck(m, "P_MatEdit()");
  bool ended = false;
  for (int i = 1; i <= m->rows && !ended; i++)
    for (int j = 1; j <= m->cols && !ended; j++) {
      Polynomial* old = MatPolys(m)[offsetOf(m, i, j)];
      const std::string name = label(m, i, j, "");
      std::printf("%s = %s\n", name.c_str(), textOf(old).c_str());
      Polynomial* p = askPolynomial((name + " = ").c_str(), old->variable, &ended);
      if (p == nullptr) continue;
      P_MatSetValue(m, i, j, p);
      PolyUndef(p);
    }
  return m;
}

Matrix* P_MatInput(const char* name) {
  const int rows = askCount(std::string(name) + " : rows = ");
  const int cols = askCount(std::string(name) + " : cols = ");
  return P_MatEdit(MatSetName(P_MatZDef2(rows, cols), name));
}

Matrix* R_MatEdit(Matrix* m) {
  MatCheckLive(m, "R_MatEdit()");
  MatNotRationalCheck(m, "R_MatEdit()");
  bool ended = false;
  for (int i = 1; i <= m->rows && !ended; i++)
    for (int j = 1; j <= m->cols && !ended; j++) {
      Rational* old = MatRats(m)[offsetOf(m, i, j)];
      const char* variable = variableOf(old);
      std::printf("%s = (%s)/(%s)\n", label(m, i, j, "").c_str(), textOf(old->nume).c_str(),
                  textOf(old->deno).c_str());
      Polynomial* n = askPolynomial((label(m, i, j, " nume") + " = ").c_str(), variable, &ended);
      Polynomial* d = ended ? nullptr : askPolynomial((label(m, i, j, " deno") + " = ").c_str(), variable, &ended);
      if (n == nullptr && d == nullptr) continue;
      // A part not entered is kept; an undefined element's is 0 over 1.
      if (n == nullptr) n = old->nume_degree < 0 ? PolyConst(0.0) : PolyDup(old->nume);
      if (d == nullptr) d = old->deno_degree < 0 ? PolyConst(1.0) : PolyDup(old->deno);
      Rational* r = RatNumeDenoDef(n, d);
      PolyUndef(n);
      PolyUndef(d);
      R_MatSetValue(m, i, j, r);
      RatUndef(r);
    }
  return m;
}

Matrix* R_MatInput(const char* name) {
  const int rows = askCount(std::string(name) + " : rows = ");
  const int cols = askCount(std::string(name) + " : cols = ");
  return R_MatEdit(MatSetName(R_MatZDef2(rows, cols), name));
}

void mat_poly_print(Matrix* m) {
  const bool poly = m->class_ == MAT_POLY || m->class_ == MAT_C_POLY;
  if (!poly) MatNotRationalCheck(m, "mat_poly_print()");
  for (int i = 1; i <= m->rows; i++)
    for (int j = 1; j <= m->cols; j++) {
      const std::string name = label(m, i, j, "");
      const size_t k = offsetOf(m, i, j);
      // A named duplicate prints as the element would under that name.
      if (poly) {
        Polynomial* p = PolySetName(PolyDup(MatPolys(m)[k]), name.c_str());
        PolyPrint(p);
        PolyUndef(p);
      } else {
        Rational* r = RatSetName(RatDup(MatRats(m)[k]), name.c_str());
        RatPrint(r);
        RatUndef(r);
      }
    }
  std::fflush(stdout);
}

void putspace(int n) {
  for (int k = 0; k < n; k++) std::putchar(' ');
}

void putline(int n) {
  for (int k = 0; k < n; k++) std::putchar('-');
}
