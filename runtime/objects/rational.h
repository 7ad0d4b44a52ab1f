// Rational objects: registry, reports, checks, copies and moves.
#pragma once

struct Polynomial;

struct Rational {
  char* name;
  int type;
  int class_;        // 0 real, 1 complex coefficients
  int nume_degree;   // -1 for an empty rational
  int deno_degree;
  Polynomial* nume;  // owned, type 2
  Polynomial* deno;  // owned, type 2
  Rational* prev;
  Rational* next;
  bool parked;
};

extern Rational* toprat;
extern Rational* lastrat;
extern char* rat_err_src;

void RatInit();
// Zero numerator of degree n over zero denominator of degree d, no
// variable; when n or d is negative both polynomials are empty.
Rational* RatDef(const char* name, int n, int d);
Rational* C_RatDef(const char* name, int n, int d);
void RatAppendToLastRat(Rational* r);
void RatSetLastRat(Rational* r);
Rational* RatRequest();
void RatInstall(Rational* r);
void RatUndef(Rational* r);
void RatDestroy(Rational* r);
void RatUndefs(Rational* r);
void RatTmpUndef();
void RatFree(Rational* r);
void RatFrees(Rational* marker);
Rational* RatSetName(Rational* r, const char* name);
Rational* RatSetType(Rational* r, int type);
Rational* RatSetClass(Rational* r, int class_);
// Sets the variable of both polynomials (none for a null or empty text).
Rational* RatSetVar(Rational* r, const char* variable);
// Both polynomials' coefficients become 0 (an empty one is left alone).
Rational* RatSetZero(Rational* r);
int RatTableCount();
int RatLiveCount();

void RatErrorWarning(const char* tag, const char* message, Rational* r1, Rational* r2, int is_error);
[[noreturn]] void RatError(const char* tag, const char* message, Rational* r);
[[noreturn]] void RatError2(const char* tag, const char* message, Rational* r1, Rational* r2);
void RatWarning(const char* tag, const char* message, Rational* r);
void RatWarning2(const char* tag, const char* message, Rational* r1, Rational* r2);

// Fatal "Undefined rational" when a numerator or denominator is empty.
void RatUndefCheck(Rational* r, const char* tag);
void RatUndefCheck2(Rational* r, Rational* q, const char* tag);

// Copies and moves. Copy and Swap need equal class and degrees.
Rational* RatCopy(Rational* dst, Rational* src);       // both polynomials' coefficients
Rational* RatDup(Rational* r);                          // a new temporary
// dst takes src's type, class, degrees and polynomials (copied).
Rational* RatElementCopy(Rational* dst, Rational* src);
// Exchanges type, class, degrees and polynomials.
Rational* RatElementChange(Rational* a, Rational* b);
// dst takes src's contents and keeps its type; src becomes a temporary.
Rational* RatMove(Rational* dst, Rational* src);
Rational* RatSwap(Rational* a, Rational* b);           // coefficients
// The assignment dst = src of compiled code, as PolyAssign.
Rational* RatAssign(Rational* dst, Rational* src);
