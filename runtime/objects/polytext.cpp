#include "runtime/objects/polytext.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/memory.h"
#include "runtime/core/util.h"
#include "runtime/matrix/matrix.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"

namespace {

constexpr int kNumberSize = 64;   // RealToString's block size

std::string numberText(double x) {
  char buffer[kNumberSize];
  return RealToString(x, buffer, "%G");
}

std::string powerText(const char* variable, int k) {
  return std::string(variable) + "^" + std::to_string(k);
}

// Copies text into buffer (grown with erealloc) or into a new block.
char* finish(const std::string& text, char* buffer) {
  const size_t size = text.size() + 1;
  char* out = buffer != nullptr ? static_cast<char*>(erealloc(buffer, size))
                                : static_cast<char*>(emalloc(size));
  std::memcpy(out, text.c_str(), size);
  return out;
}

// Terms were formed from the constant up; the text reads from the top down.
std::string joinFromTop(const std::vector<std::string>& terms) {
  std::string text;
  for (auto term = terms.rbegin(); term != terms.rend(); ++term) text += *term;
  if (text.compare(0, 3, " + ") == 0) text.erase(0, 3);
  else if (text.compare(0, 3, " - ") == 0) text.erase(0, 1);
  if (text.empty()) text = "0";
  return text;
}

// The term of the real coefficient c (not zero) of power k.
std::string realTerm(double c, int k, int degree, bool star, const char* variable) {
  const bool negative = c < 0;
  const std::string sign = negative ? " - " : " + ";
  const std::string magnitude = numberText(std::fabs(c));
  if (k == 0) return sign + magnitude;
  const bool unit = c == 1.0 || c == -1.0;
  if (k == 1) {
    if (unit) return sign + variable;
    if (star) return sign + magnitude + "*" + variable;
    return sign + magnitude + (negative ? "" : " ") + variable;
  }
  const std::string power = powerText(variable, k);
  const std::string lead = k < degree ? sign : (negative ? "- " : "");
  if (unit) return lead + power;
  return lead + magnitude + (star ? "*" : " ") + power;
}

std::string complexTerm(double re, double im, int k, int degree, bool star,
                        const char* variable) {
  const std::string number = "(" + numberText(re) + "," + numberText(im) + ")";
  if (k == 0) return " + " + number;
  const std::string joint = star ? "*" : " ";
  if (k == 1) return " + " + number + joint + variable;
  const std::string lead = k < degree ? " + " : "";
  return lead + number + joint + powerText(variable, k);
}

}  // namespace

char* PolyToString(Polynomial* p, char* buffer, int star, const char* variable) {
  if (p != nullptr && p->class_ == 1) return C_PolyToString(p, buffer, star, variable);
  if (variable == nullptr) variable = "s";
  if (p == nullptr || p->degree < 0) return finish("0", buffer);
  const double* c = MatReal(p->coef);
  const int degree = p->degree;
  if (star && degree == 1 && c[0] == 0.0 && c[1] == 1.0)
    return finish(std::string("Polynomial(\"") + variable + "\")", buffer);
  std::vector<std::string> terms;
  for (int k = 0; k <= degree; k++)
    if (c[k] != 0.0) terms.push_back(realTerm(c[k], k, degree, star != 0, variable));
  return finish(joinFromTop(terms), buffer);
}

char* C_PolyToString(Polynomial* p, char* buffer, int star, const char* variable) {
  if (variable == nullptr) variable = "s";
  if (p == nullptr || p->degree < 0) return finish("0", buffer);
  const double* c = MatReal(p->coef);
  const bool complexRow = p->class_ == 1;
  const int degree = p->degree;
  std::vector<std::string> terms;
  for (int k = 0; k <= degree; k++) {
    const double re = complexRow ? c[2 * k] : c[k];
    const double im = complexRow ? c[2 * k + 1] : 0.0;
    if (re != 0.0 || im != 0.0) terms.push_back(complexTerm(re, im, k, degree, star != 0, variable));
  }
  return finish(joinFromTop(terms), buffer);
}

char* PolyStringWrap(char* text, int indent, int width, const char* line_break) {
  if (text == nullptr) return nullptr;
  if (line_break == nullptr) line_break = "\n";
  const long limit = static_cast<long>(width) - indent;
  const size_t spaces = indent > 0 ? static_cast<size_t>(indent) : 0;
  std::string out;
  long running = 0;   // length of the current line, indent not counted
  const size_t length = std::strlen(text);
  size_t start = 0;
  for (size_t i = 0; i < length; i++) {
    const char ch = text[i];
    const bool sign = ch == '+' || ch == '-';
    const bool last = i + 1 == length;
    // A sign of an exponent or inside a complex number "(re,im)" is no joint.
    if (!(sign && (i == 0 || std::strchr("eE(,", text[i - 1]) == nullptr)) && !last) continue;
    const long piece = static_cast<long>(i + 1 - start);
    // An empty line takes any piece: breaking there would only add a blank.
    if (running > 0 && running + piece > limit) {
      out += line_break;
      out.append(spaces, ' ');
      running = 0;
    }
    out.append(text + start, static_cast<size_t>(piece));
    running += piece;
    start = i + 1;
  }
  return finish(out, text);
}

void RatToString(Rational* r, char** nume, char** deno, int star, const char* variable) {
  *nume = PolyToString(r->nume, *nume, star, variable);
  *deno = PolyToString(r->deno, *deno, star, variable);
}
