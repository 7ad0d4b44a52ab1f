// The release and scope operations that act on every kind at once.
#include "runtime/core/registry.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/list.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"

namespace {

// Scope markers of the all-kinds scope (MatObjectControl).
String* str_last = nullptr;
Complex* comp_last = nullptr;
Matrix* mat_last = nullptr;
Polynomial* poly_last = nullptr;
Rational* rat_last = nullptr;
List* list_last = nullptr;

}  // namespace

void MatObjectTmpUndefWalk() {
  // Anything made temporary while these walks run (a nested List released
  // with its holder) is left for the next release.
  vorn_registry::tmpEpochSeen = vorn_registry::tmpEpoch;
  // A kind whose count has not moved has nothing new for its walk, and a
  // walk would stop at once on a last record that is a local or marker.
  using vorn_registry::kindChangedSinceWalk;
  using vorn_registry::kLocal;
  if (kindChangedSinceWalk<Rational>() && lastrat->type != kLocal) RatTmpUndef();
  if (kindChangedSinceWalk<Polynomial>() && lastpoly->type != kLocal) PolyTmpUndef();
  if (kindChangedSinceWalk<List>() && lastlist->type != kLocal) ListTmpUndef();
  if (kindChangedSinceWalk<String>() && lastvnstring->type != kLocal) vnStringTmpUndef();
  if (kindChangedSinceWalk<Complex>() && lastcomp->type != kLocal) CompTmpUndef();
  if (kindChangedSinceWalk<Matrix>() && lastmat->type != kLocal) MatTmpUndef();
}

void MatObjectControl(int flag) {
  if (flag == 1) {
    str_last = vnStringSetType(vnStringDef("", -1), 1);
    comp_last = CompSetType(CompDef("", 0.0, 0.0), 1);
    mat_last = MatSetType(MatDef("", 0, 0), 1);
    poly_last = PolySetType(PolyDef("", -1, nullptr), 1);
    rat_last = RatSetType(RatDef("", -1, -1), 1);
    list_last = ListSetType(ListDef("", 0), 1);
    return;
  }
  if (list_last != nullptr) ListUndefs(list_last);
  if (rat_last != nullptr) RatUndefs(rat_last);
  if (poly_last != nullptr) PolyUndefs(poly_last);
  if (mat_last != nullptr) MatUndefs(mat_last);
  if (comp_last != nullptr) CompUndefs(comp_last);
  if (str_last != nullptr) vnStringUndefs(str_last);
  list_last = nullptr;
  rat_last = nullptr;
  poly_last = nullptr;
  mat_last = nullptr;
  comp_last = nullptr;
  str_last = nullptr;
}
