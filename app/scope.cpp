#include "app/scope.h"

#include <cstdlib>

#include "runtime/core/channel.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/list.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"

void AddToElement(Matrix* m, int i, int j, double x) {
  double* const cell = MatGetPtr(m, i, j);
  *cell = *cell + x;
}

ScopeMarkers OpenScope() {
  ScopeMarkers scope;
  scope.comp = CompSetType(CompDef("", 0.0, 0.0), 1);
  scope.str = vnStringSetType(vnStringDef("", -1), 1);
  scope.mat = MatSetType(MatDef("", 0, 0), 1);
  scope.poly = PolySetType(PolyDef("", -1, nullptr), 1);
  scope.rat = RatSetType(RatDef("", -1, -1), 1);
  scope.list = ListSetType(ListDef("", 0), 1);
  return scope;
}

Matrix* DefineLocalMatrix(const char* name) { return MatSetType(MatDef(name, 0, 0), 1); }

List* DefineLocalList(const char* name) { return ListSetType(ListDef(name, 0), 1); }

void CloseScope(const ScopeMarkers& scope) {
  CompFrees(scope.comp);
  vnStringFrees(scope.str);
  MatFrees(scope.mat);
  PolyFrees(scope.poly);
  RatFrees(scope.rat);
  ListFrees(scope.list);
}

void UnpackResults(List* temp, List* result, int count, const char* names) {
  ListAssign(temp, result);
  ListSetName(temp, "LIST_TEMP");
  if (temp->length < count) {
    FilePrintf(2, "Too many variables in a list {%s}\n", names);
    std::exit(255);
  }
}
