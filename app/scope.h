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

// Turns the markers and every later local of each kind into temporaries.
void CloseScope(const ScopeMarkers& scope);
