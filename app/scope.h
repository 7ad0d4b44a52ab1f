// The scope of a compiled routine: one marker of each object kind, opened on
// entry, closed on exit (the markers and the routine's locals then become
// temporaries that the caller's next release frees).
#pragma once

struct Complex;
struct List;
struct Matrix;
struct Polynomial;
struct Rational;
struct String;

struct ScopeMarkers {
  Complex* comp;
  String* str;
  Matrix* mat;
  Polynomial* poly;
  Rational* rat;
  List* list;
};

// Defines the six markers with lifetime code 1, in the order Complex,
// String, Matrix, Polynomial, Rational, List. Locals follow right after.
ScopeMarkers OpenScope();

// A local variable of the routine whose scope is open: an empty real matrix
// or an empty List with the given name and lifetime code 1. Define locals
// right after OpenScope, before any temporary of the routine.
Matrix* DefineLocalMatrix(const char* name);
List* DefineLocalList(const char* name);

// Turns the markers and every later local of each kind into temporaries.
void CloseScope(const ScopeMarkers& scope);

// The multiple-value assignment of compiled code, (v1, ..., vcount) = f(...):
// result is assigned to temp, which is named "LIST_TEMP"; when it carries
// fewer than count values, "Too many variables in a list {names}" goes to
// standard error and the process exits with status 255 (plot windows left
// open). The caller then reads the values by position.
void UnpackResults(List* temp, List* result, int count, const char* names);

// m(i, j) += x, the compiled form of an in-place update: through the
// element's address, read and written once.
void AddToElement(Matrix* m, int i, int j, double x);
