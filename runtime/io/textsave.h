// The text save layout: every kind written as an assignment in the
// runtime language's literal syntax. "stdout" selects standard output,
// which is never closed; other files are opened per call ("a" when append
// is set, else "w") and closed again. terminate appends ";\n\n".
//
// The column layout: a real or complex matrix as a "# rows cols [C]" header
// and one line per column, and its reader, which also takes a plain table.
#pragma once

struct Matrix;
struct Complex;
struct String;
struct Polynomial;
struct Rational;
struct List;

// Scalars report an unopened file on standard error and return -1, else 0.
int IntegerFileSave(int value, const char* file, const char* name, int append, int terminate);
int RealFileSave(double value, const char* file, const char* name, int append, int terminate);
// The object savers report an unopened file as a fatal error of their kind.
Complex* CompFileSave(Complex* z, const char* file, int append, int terminate);
String* vnStringFileSave(String* s, const char* file, int append, int terminate);
Polynomial* PolyFileSave(Polynomial* p, const char* file, int append, int terminate);
Rational* RatFileSave(Rational* r, const char* file, int append, int terminate);
// prefix: "" for a Matrix, "Array" or "Index" for those List elements.
Matrix* MatFileSave(Matrix* m, const char* file, int append, int terminate, const char* prefix);
List* ListFileSave(List* l, const char* file, int append, int terminate);
// Appends element i of l, unnamed (the element object's name is cleared)
// and without terminator, with its kind's saver.
void ListElementSave(List* l, int i, const char* file);

// Writes a real or complex matrix in the column layout; returns m.
Matrix* MatFileWrite(Matrix* m, const char* file);
// Reads the column layout or a plain table ("stdin": standard input) into
// a new temporary; malformed or truncated data is a fatal error.
Matrix* MatFileRead(const char* file);
