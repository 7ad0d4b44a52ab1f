// Complex scalar objects: registry, reports and values.
#pragma once

struct Complex {
  char* name;
  int type;
  double re;
  double im;
  Complex* prev;
  Complex* next;
  bool parked;
};

extern Complex* topcomp;
extern Complex* lastcomp;
extern char* comp_err_src;

void CompInit();
Complex* CompDef(const char* name, double re, double im);
void CompAppendToLastComp(Complex* z);
void CompSetLastComp(Complex* z);
Complex* CompRequest();
void CompInstall(Complex* z);
void CompUndef(Complex* z);
void CompDestroy(Complex* z);
void CompUndefs(Complex* z);
void CompTmpUndef();
void CompFree(Complex* z);
void CompFrees(Complex* marker);
Complex* CompSetName(Complex* z, const char* name);
Complex* CompSetType(Complex* z, int type);
int CompTableCount();
int CompLiveCount();

void CompErrorWarning(const char* tag, const char* message, Complex* z1, Complex* z2, int is_error);
[[noreturn]] void CompError(const char* tag, const char* message, Complex* z);
[[noreturn]] void CompError2(const char* tag, const char* message, Complex* z1, Complex* z2);
void CompWarning(const char* tag, const char* message, Complex* z);
void CompWarning2(const char* tag, const char* message, Complex* z1, Complex* z2);
