// Polynomial objects: registry, reports, checks, copies and moves.
#pragma once

struct Matrix;

struct Polynomial {
  char* name;
  char* variable;   // owned, or null: written "s" where a name is needed
  int type;
  int class_;       // 0 real, 1 complex coefficients
  int degree;       // -1: empty (undefined) polynomial
  Matrix* coef;     // 1 x (degree+1), constant term first, type 2
  Polynomial* prev;
  Polynomial* next;
  bool parked;
};

extern Polynomial* toppoly;
extern Polynomial* lastpoly;
extern char* poly_err_src;

void PolyInit();
// A zero polynomial of the degree with real coefficients; degree -1 gives
// an empty polynomial. An empty or null variable gives none.
Polynomial* PolyDef(const char* name, int degree, const char* variable);
Polynomial* C_PolyDef(const char* name, int degree, const char* variable);
void PolyAppendToLastPoly(Polynomial* p);
void PolySetLastPoly(Polynomial* p);
Polynomial* PolyRequest(int degree, int class_);
void PolyInstall(Polynomial* p);
void PolyUndef(Polynomial* p);
void PolyDestroy(Polynomial* p);
void PolyUndefs(Polynomial* p);
void PolyTmpUndef();
void PolyFree(Polynomial* p);
void PolyFrees(Polynomial* marker);
Polynomial* PolySetName(Polynomial* p, const char* name);
Polynomial* PolySetType(Polynomial* p, int type);
Polynomial* PolySetClass(Polynomial* p, int class_);
Polynomial* PolySetDegree(Polynomial* p, int degree);
Polynomial* PolySetVar(Polynomial* p, const char* variable);
int PolyTableCount(int degree, int class_);
int PolyLiveCount();

void PolyErrorWarning(const char* tag, const char* message, Polynomial* p1, Polynomial* p2, int is_error);
[[noreturn]] void PolyError(const char* tag, const char* message, Polynomial* p);
[[noreturn]] void PolyError2(const char* tag, const char* message, Polynomial* p1, Polynomial* p2);
void PolyWarning(const char* tag, const char* message, Polynomial* p);
void PolyWarning2(const char* tag, const char* message, Polynomial* p1, Polynomial* p2);

// Fatal "Undefined polynomial" when an operand is empty (degree -1).
void PolyUndefCheck(Polynomial* p, const char* tag);
void PolyUndefCheck2(Polynomial* p, Polynomial* q, const char* tag);

// Copies and moves. Copy and Swap need equal class and degree.
Polynomial* PolyCopy(Polynomial* dst, Polynomial* src);       // coefficients only
Polynomial* PolyDup(Polynomial* p);                            // a new temporary
// dst takes src's degree, type, class, variable and coefficients.
Polynomial* PolyElementCopy(Polynomial* dst, Polynomial* src);
// Exchanges degree, type, class, variable and coefficient row.
Polynomial* PolyElementChange(Polynomial* a, Polynomial* b);
// dst takes src's contents and keeps its type; src becomes a temporary.
Polynomial* PolyMove(Polynomial* dst, Polynomial* src);
Polynomial* PolySwap(Polynomial* a, Polynomial* b);           // coefficients
// The assignment dst = src of compiled code: a temporary src is taken over,
// any other is copied; dst keeps its type; then the temporaries of every
// kind are released.
Polynomial* PolyAssign(Polynomial* dst, Polynomial* src);
