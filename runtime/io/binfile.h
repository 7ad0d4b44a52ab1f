// Binary data records: every kind written to and read from a byte stream
// that the caller opened (binary mode) and closes. Records are written as
// version 6 in this machine's byte order; versions 4, 5 and 6 are read in
// either byte order, a foreign record being reversed word by word as it is
// read.
//
// A record is outside data. Readers bound what they allocate by what the
// stream can still hold (a regular file tells; other streams are read in
// chunks, so memory follows the bytes that really arrive), check every
// product of sizes, and build each object in a fresh temporary that takes
// the target's place only when its whole payload was read. Lists nest at
// most kBinfileDepthMax levels below the outermost one.
#pragma once

#include <cstdint>
#include <cstdio>

struct Complex;
struct List;
struct Matrix;
struct Polynomial;
struct Rational;
struct String;

// The machine type of this build: the platform code in the top byte.
constexpr uint32_t kMachineType = 0x20000000u;
// Nesting below which a List record is refused as broken.
constexpr int kBinfileDepthMax = 1000;

uint32_t machine_type_get();
int machine_endian_get();   // 0 for 0x20000000, 1 otherwise
// Nonzero when a record whose type word reads `type` as stored must have
// its multi-byte values reversed.
int machine_type_check(uint32_t type);

// Reverse the 2, 4, 4 or 8 bytes at p in place; the short, float and
// double forms also return the reversed value.
int16_t flip_short_byte_order(void* p);
void flip_long_byte_order(void* p);
float flip_float_byte_order(void* p);
double flip_double_byte_order(void* p);

// The preamble 0xFFFFFFFF, 6, 0.
void WriteDataHead(FILE* fp);
// Reads preamble (when present) and the five header words: type word,
// words 1-3, name length, in native order. *version is 4 for a record
// without preamble. 1 on success, 0 when a read fell short.
int ReadDataHead(int32_t header[5], FILE* fp, int* version);

// Writers: one complete record each. The scalar forms take the name; the
// others write the object's own name.
void IntegerWrite(int32_t value, FILE* fp, const char* name);
void RealWrite(double value, FILE* fp, const char* name);
Complex* CompWrite(Complex* z, FILE* fp);
String* vnStringWrite(String* s, FILE* fp);
Polynomial* PolyWrite(Polynomial* p, FILE* fp);
Rational* RatWrite(Rational* r, FILE* fp);
// kind: 7 Matrix, 8 Array, 9 Index.
Matrix* MatWrite(Matrix* m, FILE* fp, int kind);
// The list record, then each element's tag and record (elements are
// renamed "" first).
List* ListWrite(List* l, FILE* fp);
void ListElementWrite(List* l, int i, FILE* fp);

// Readers: one complete record each, into an existing object, which keeps
// its lifetime code and takes the record's name (or the kind's default
// name for an empty one). Failures are the kind's fatal reports.
Complex* CompRead(Complex* z, FILE* fp);
String* vnStringRead(String* s, FILE* fp);
Polynomial* PolyRead(Polynomial* p, FILE* fp);
Rational* RatRead(Rational* r, FILE* fp);
// kind: the expected 7, 8 or 9.
Matrix* MatRead(Matrix* m, FILE* fp, int kind);
List* ListRead(List* l, FILE* fp);
// 0, or -1 after one line on standard error naming file; *value untouched
// on failure. The stored name is discarded.
int IntegerRead(int32_t* value, FILE* fp, const char* file);
int RealRead(double* value, FILE* fp, const char* file);

// Payload readers, after the header and name. header holds the five
// native header words. Scalars: 0, or -1 on a short read. The others: 0,
// or 4 with the target unchanged.
int IntegerReadContent(int32_t* value, FILE* fp, int flip);
int RealReadContent(double* value, FILE* fp, int flip);
int CompReadContent(Complex* z, FILE* fp, const int32_t header[5]);
int vnStringReadContent(String* s, FILE* fp, const int32_t header[5]);
int PolyReadContent(Polynomial* p, FILE* fp, const int32_t header[5], int version);
int RatReadContent(Rational* r, FILE* fp, const int32_t header[5], int version);
int MatReadContent(Matrix* m, FILE* fp, const int32_t header[5]);     // version 4
int MatReadContentV5(Matrix* m, FILE* fp, const int32_t header[5]);
int MatReadContentV6(Matrix* m, FILE* fp, const int32_t header[5]);
// Fills l with the N elements of the list record (fatal reports of
// "ListElementRead()" on a bad element); 0, or 4 on a malformed count.
int ListReadContent(List* l, FILE* fp, const int32_t header[5], int version);

// Raw arrays of a named element type: "double", "float", "char",
// "unsigned char", "short", "unsigned short", "int", "unsigned int",
// "long", "unsigned long" (long types are 4 bytes).
//
// MatFread: a new 1 x n real matrix of the values read (each reversed when
// flip is set), or a new 0 x 0 one on failure or for n = 0.
Matrix* MatFread(FILE* fp, int n, const char* type, int flip);
// Writes m's values in storage order, truncated toward zero for integer
// types and then cut to the type's low bits (NaN gives 0, values beyond
// the 64-bit range saturate first); float rounds. m must be real. The
// number of values written, 0 on failure.
int MatFwrite(FILE* fp, Matrix* m, const char* type);
// The same over a connected stream socket; a short transfer gives the
// empty matrix or the short count, silently.
Matrix* MatSocketRead(int socket, int n, const char* type, int flip);
int MatSocketWrite(int socket, Matrix* m, const char* type);
