#include "runtime/objects/complex_scalar.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/core/memory.h"
#include "runtime/io/textsave.h"
#include "runtime/matrix/registry.h"
#include "runtime/matrix/report.h"

Complex* topcomp = nullptr;
Complex* lastcomp = nullptr;
char* comp_err_src = nullptr;

namespace {

// Every Complex has the same shape, so the recycling table is one stack.
Complex* comp_table = nullptr;
int comp_table_count = 0;
int garbage_table_max = 0;

void describe(std::string& body, const char* joint, const Complex* z) {
  if (z->name[0] != '\0')
    vorn_report::appendf(body, " %s '%s(%g,%g)'", joint, z->name, z->re, z->im);
  else
    vorn_report::appendf(body, " %s '(%g,%g)'", joint, z->re, z->im);
}

struct Operands {
  Complex* z1;
  Complex* z2;
};

void saveOperands(const void* context) {
  const Operands* ops = static_cast<const Operands*>(context);
  if (ops->z1 != nullptr) CompFileSave(ops->z1, vorn_report::kLogFile, 1, 1);
  if (ops->z2 != nullptr) CompFileSave(ops->z2, vorn_report::kLogFile, 1, 1);
}

}  // namespace

void CompInit() {
  if (topcomp != nullptr) return;
  topcomp = static_cast<Complex*>(emalloc(sizeof(Complex)));
  topcomp->name = StringDup("TOP_COMPLEX");
  topcomp->type = vorn_registry::kLocal;
  topcomp->re = 0.0;
  topcomp->im = 0.0;
  topcomp->prev = nullptr;
  topcomp->next = nullptr;
  topcomp->parked = false;
  lastcomp = topcomp;
  garbage_table_max = vorn_registry::envLimit("COMP_TABLE_MAX", 0, 0);
  comp_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  comp_err_src[0] = '\0';
}

int CompTableCount() { return comp_table_count; }

int CompLiveCount() {
  int count = 0;
  for (Complex* z = topcomp->next; z != nullptr; z = z->next) count++;
  return count;
}

Complex* CompRequest() { return vorn_registry::request(&comp_table, &comp_table_count, 0); }
void CompInstall(Complex* z) { vorn_registry::install(&comp_table, &comp_table_count, 0, z); }
void CompAppendToLastComp(Complex* z) { vorn_registry::append(lastcomp, z); }
void CompSetLastComp(Complex* z) { lastcomp = z; }

Complex* CompDef(const char* name, double re, double im) {
  Complex* z = CompRequest();
  if (z == nullptr) {
    z = static_cast<Complex*>(emalloc(sizeof(Complex)));
    z->name = nullptr;
    z->parked = false;
  }
  CompAppendToLastComp(z);
  z->type = vorn_registry::kTemporary;
  z->re = re;
  z->im = im;
  vorn_registry::setName(z->name, name);
  return z;
}

void CompDestroy(Complex* z) {
  if (z->parked || !vorn_registry::unlink(lastcomp, z))
    CompError("CompDestroy()", "Duplicate destroying", nullptr);
  efree(z->name);
  efree(z);
}

void CompUndef(Complex* z) {
  if (z->parked) CompError("CompUndef()", "Duplicate undefing", nullptr);
  if (!vorn_registry::bucketAccepts(comp_table_count, garbage_table_max)) {
    CompDestroy(z);
    return;
  }
  if (!vorn_registry::unlink(lastcomp, z)) CompError("CompUndef()", "Duplicate undefing", nullptr);
  z->type = vorn_registry::kTemporary;
  CompInstall(z);
}

void CompUndefs(Complex* z) {
  if (z != nullptr) vorn_registry::releaseFrom(z, CompUndef);
}

void CompTmpUndef() { vorn_registry::releaseTemporaries(lastcomp, CompUndef); }
void CompFree(Complex* z) { z->type = vorn_registry::kTemporary; }

void CompFrees(Complex* marker) {
  if (marker != nullptr) vorn_registry::freeLocalsFrom(marker);
}

Complex* CompSetName(Complex* z, const char* name) {
  vorn_registry::setName(z->name, name);
  return z;
}

Complex* CompSetType(Complex* z, int type) {
  z->type = type;
  return z;
}

void CompErrorWarning(const char* tag, const char* message, Complex* z1, Complex* z2, int is_error) {
  std::string body;
  if (vorn_report::hasSource(comp_err_src)) {
    vorn_report::appendf(body, "\n%s : %s", comp_err_src, message);
  } else {
    vorn_report::appendf(body, "\n%s", message);
    if (z1 != nullptr) describe(body, "for", z1);
    if (z2 != nullptr) describe(body, "and", z2);
  }
  Operands ops{z1, z2};
  vorn_report::emit(tag, body, comp_err_src, is_error, "Can't open logfile.\n", saveOperands, &ops);
}

void CompError(const char* tag, const char* message, Complex* z) {
  CompErrorWarning(tag, message, z, nullptr, 1);
  std::abort();
}

void CompError2(const char* tag, const char* message, Complex* z1, Complex* z2) {
  CompErrorWarning(tag, message, z1, z2, 1);
  std::abort();
}

void CompWarning(const char* tag, const char* message, Complex* z) {
  CompErrorWarning(tag, message, z, nullptr, 0);
}

void CompWarning2(const char* tag, const char* message, Complex* z1, Complex* z2) {
  CompErrorWarning(tag, message, z1, z2, 0);
}
