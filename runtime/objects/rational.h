// Rational objects: registry and reports.
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
int RatTableCount();
int RatLiveCount();

void RatErrorWarning(const char* tag, const char* message, Rational* r1, Rational* r2, int is_error);
[[noreturn]] void RatError(const char* tag, const char* message, Rational* r);
[[noreturn]] void RatError2(const char* tag, const char* message, Rational* r1, Rational* r2);
void RatWarning(const char* tag, const char* message, Rational* r);
void RatWarning2(const char* tag, const char* message, Rational* r1, Rational* r2);
