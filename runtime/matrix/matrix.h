// The Matrix record and its registry: live list, lifetime codes, recycling
// table keyed by element count and class, scope protocol.
#pragma once

#include <cstddef>

#include "runtime/core/registry.h"

struct Polynomial;
struct Rational;

// Element classes.
enum : int {
  MAT_REAL = 0,       // one double per element
  MAT_COMPLEX = 1,    // two doubles per element, real part first
  MAT_POLY = 2,       // one owned Polynomial per element
  MAT_C_POLY = 3,
  MAT_RATIONAL = 4,   // one owned Rational per element
  MAT_C_RATIONAL = 5,
};

struct Matrix {
  char* name;     // owned; "" when unnamed (printed as "ans")
  int type;       // lifetime code
  int class_;     // element class 0..5
  int rows;
  int cols;
  void* data;     // row-major elements, null when rows*cols is 0
  Matrix* prev;
  Matrix* next;
  bool parked;    // waiting in a recycling bucket
};

// Typed views of the element storage.
inline double* MatReal(Matrix* m) { return static_cast<double*>(m->data); }
inline const double* MatReal(const Matrix* m) { return static_cast<const double*>(m->data); }
inline Polynomial** MatPolys(Matrix* m) { return static_cast<Polynomial**>(m->data); }
inline Rational** MatRats(Matrix* m) { return static_cast<Rational**>(m->data); }

extern Matrix* topmat;
extern Matrix* lastmat;
extern char* mat_err_src;   // 256-byte error-source buffer

void MatInit();
void MatAppendToLastMat(Matrix* m);
void MatSetLastMat(Matrix* m);
Matrix* MatRequest(int n, int class_);
void MatInstall(Matrix* m);
void MatUndef(Matrix* m);
void MatDestroy(Matrix* m);
void MatElementDestroy(Matrix* m);
void MatUndefs(Matrix* m);
void MatMultiUndefs(int count, ...);
void MatTmpUndef();
void MatFree(Matrix* m);
void MatFrees(Matrix* marker);
// Releases the temporaries of every kind (the statement-end release of
// compiled code). Constant time when nothing happened since the last one.
void MatObjectTmpUndefWalk();
inline void MatObjectTmpUndef() {
  if (vorn_registry::tmpEpoch != vorn_registry::tmpEpochSeen) MatObjectTmpUndefWalk();
}
void MatObjectControl(int flag);
Matrix* MatSetName(Matrix* m, const char* text);
Matrix* MatSetType(Matrix* m, int type);
Matrix* MatSetClass(Matrix* m, int class_);
// Checks build: reports "Use of a released object" from tag when m is
// parked; nothing in other builds.
void MatCheckLive(Matrix* m, const char* tag);
void MatAllPrint();
void MatMatrixTableCheck();

// Registry limits in force (read from the environment by MatInit).
int MatGarbageSizeMax();
int MatGarbageTableMax();
// Population of bucket (n, class_); 0 for a key outside the table.
int MatTableCount(int n, int class_);
// Number of records on the live list after the sentinel.
int MatLiveCount();
