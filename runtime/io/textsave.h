// The text save layout: every kind written as an assignment in the
// runtime language's literal syntax. "stdout" selects standard output,
// which is never closed; other files are opened per call ("a" when append
// is set, else "w") and closed again. terminate appends ";\n\n".
#pragma once

struct Matrix;
struct Complex;
struct String;
struct Polynomial;
struct Rational;
struct List;

int IntegerFileSave(int value, const char* file, const char* name, int append, int terminate);
int RealFileSave(double value, const char* file, const char* name, int append, int terminate);
Complex* CompFileSave(Complex* z, const char* file, int append, int terminate);
String* vnStringFileSave(String* s, const char* file, int append, int terminate);
Polynomial* PolyFileSave(Polynomial* p, const char* file, int append, int terminate);
Rational* RatFileSave(Rational* r, const char* file, int append, int terminate);
Matrix* MatFileSave(Matrix* m, const char* file, int append, int terminate, const char* prefix);
List* ListFileSave(List* l, const char* file, int append, int terminate);
