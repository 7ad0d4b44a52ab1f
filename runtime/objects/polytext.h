// The one-line text form of polynomials and rationals, and the line
// breaking used when such texts are printed or saved.
#pragma once

struct Polynomial;
struct Rational;

// The text of p, read from the highest power down ("2 s^3 - s^2 - 1.5";
// with star set, "2*s^3 - s^2 - 1.5"). variable names the indeterminate
// ("s" when null). buffer, when not null, must be a block from emalloc: it
// is grown as needed and returned. The caller frees the result with efree.
// Complex polynomials are handed to C_PolyToString.
char* PolyToString(Polynomial* p, char* buffer, int star, const char* variable);

// The same for complex coefficients, each written "(re,im)" with "%G"
// parts and always joined by " + ". A real p reads as imaginary parts 0.
char* C_PolyToString(Polynomial* p, char* buffer, int star, const char* variable);

// Breaks text (a block from emalloc) before a "+"/"-" piece that would
// carry the current line past width - indent: the line break text and
// indent spaces go first. A sign after "e", "E", "(" or "," never ends a
// piece. Returns the rewritten block, which replaces text.
char* PolyStringWrap(char* text, int indent, int width, const char* line_break);

// The numerator's and denominator's texts of r with the given variable.
// *nume and *deno are reused as PolyToString buffers when not null.
void RatToString(Rational* r, char** nume, char** deno, int star, const char* variable);
