// Error and warning reports of the Matrix kind, and the checks built on
// them. Errors end the process with status 255; warnings return.
#pragma once

struct Matrix;

void MatErrorWarning(const char* tag, const char* message, Matrix* m1, Matrix* m2, int is_error);
[[noreturn]] void MatError(const char* tag, const char* message, Matrix* m);
[[noreturn]] void MatError2(const char* tag, const char* message, Matrix* m1, Matrix* m2);
void MatWarning(const char* tag, const char* message, Matrix* m);
void MatWarning2(const char* tag, const char* message, Matrix* m1, Matrix* m2);

// Writes a description of the failing expression into mat_err_src, to be
// printed (and cleared) by the next report.
void MatErrorSource(const char* format, ...) __attribute__((format(printf, 1, 2)));

void MatZeroSizeCheck(Matrix* m, const char* tag);
void MatZeroSizeCheck2(Matrix* a, Matrix* b, const char* tag);
void MatSameSizeCheck(Matrix* a, Matrix* b, const char* tag);
void MatSameClassCheck(Matrix* a, Matrix* b, const char* tag);
void MatNonSquareCheck(Matrix* m, const char* tag);
void MatNonSquareCheck2(Matrix* a, Matrix* b, const char* tag);
void MatNotRealCheck(Matrix* m, const char* tag);
void MatNotComplexCheck(Matrix* m, const char* tag);
void MatNotRealNorComplexCheck(Matrix* m, const char* tag);
void MatNotPolynomialCheck(Matrix* m, const char* tag);
void MatNotRationalCheck(Matrix* m, const char* tag);
[[noreturn]] void MatErrorNotRealNorComplex(Matrix* m, const char* tag);
[[noreturn]] void MatErrorNotRealNorComplex2(Matrix* a, Matrix* b, const char* tag);
