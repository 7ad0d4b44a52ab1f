// List equality, element-wise comparison and the menu.
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/terminal.h"
#include "runtime/matrix/matrix_compare.h"
#include "runtime/objects/list_internal.h"
#include "runtime/objects/list_ops.h"

using namespace vorn_list;

namespace {

bool sameText(const String* a, const String* b) {
  if (a->length != b->length) return false;
  return a->length <= 0 || std::memcmp(a->text, b->text, static_cast<size_t>(a->length)) == 0;
}

bool samePoly(Polynomial* a, Polynomial* b) {
  if (a->coef == nullptr || b->coef == nullptr) return a->coef == b->coef;
  return MatIsEqual(a->coef, b->coef) != 0;
}

// Elements k (0-based) of a and b; the position is known to be in both.
bool elementsEqual(List* a, List* b, int k) {
  const int class_ = a->classes[k];
  if (class_ != b->classes[k]) return false;
  const ListSlot& x = a->elements[k];
  const ListSlot& y = b->elements[k];
  if (class_ == LIST_UNDEF) return true;
  if (class_ == LIST_INTEGER) return x.integer == y.integer;
  if (class_ == LIST_REAL) return x.real == y.real;
  if (!isElementClass(class_)) ListError2("ListIsElemEqual()", "Incorrect class", a, b);
  if (x.object == nullptr || y.object == nullptr) return x.object == y.object;
  switch (class_) {
    case LIST_STRING: return sameText(static_cast<String*>(x.object), static_cast<String*>(y.object));
    case LIST_COMPLEX: {
      const Complex* z = static_cast<Complex*>(x.object);
      const Complex* w = static_cast<Complex*>(y.object);
      return z->re == w->re && z->im == w->im;
    }
    case LIST_POLYNOMIAL: return samePoly(static_cast<Polynomial*>(x.object), static_cast<Polynomial*>(y.object));
    case LIST_RATIONAL: {
      Rational* r = static_cast<Rational*>(x.object);
      Rational* s = static_cast<Rational*>(y.object);
      return samePoly(r->nume, s->nume) && samePoly(r->deno, s->deno);
    }
    case LIST_LIST: return ListIsEqual(static_cast<List*>(x.object), static_cast<List*>(y.object)) != 0;
    default: return MatIsEqual(static_cast<Matrix*>(x.object), static_cast<Matrix*>(y.object)) != 0;
  }
}

enum class Op { Eq, Ne, Lt, Le, Gt, Ge, And, Or };

bool parseOp(const char* op, Op* out) {
  static const struct {
    const char* text;
    Op op;
  } kOps[] = {{"==", Op::Eq}, {"!=", Op::Ne}, {"<", Op::Lt},   {"<=", Op::Le},
              {">", Op::Gt},  {">=", Op::Ge}, {"&&", Op::And}, {"||", Op::Or}};
  if (op == nullptr) return false;
  for (const auto& o : kOps) {
    if (std::strcmp(op, o.text) == 0) {
      *out = o.op;
      return true;
    }
  }
  return false;
}

// The integer or real element k as a double; false for any other class.
bool numberAt(const List* l, int k, double* value) {
  if (l->classes[k] == LIST_INTEGER)
    *value = l->elements[k].integer;
  else if (l->classes[k] == LIST_REAL)
    *value = l->elements[k].real;
  else
    return false;
  return true;
}

bool holds(Op op, double x, double y) {
  switch (op) {
    case Op::Lt: return x < y;
    case Op::Le: return x <= y;
    case Op::Gt: return x > y;
    case Op::Ge: return x >= y;
    case Op::And: return x != 0.0 && y != 0.0;  // NaN != 0.0
    default: return x != 0.0 || y != 0.0;
  }
}

}  // namespace

int ListIsElemEqual(List* a, List* b, int i) {
  if (i < 1 || i > a->length || i > b->length) ListError2("ListIsElemEqual()", "Incorrect length", a, b);
  return elementsEqual(a, b, i - 1) ? 1 : 0;
}

int ListIsEqual(List* a, List* b) {
  if (a->length != b->length) return 0;
  for (int k = 0; k < a->length; k++)
    if (!elementsEqual(a, b, k)) return 0;
  return 1;
}

int ListIsNotEqual(List* a, List* b) { return ListIsEqual(a, b) ? 0 : 1; }

Matrix* ListCompareElem(List* a, List* b, const char* op) {
  const char* tag = "ListCompareElem()";
  if (a->length != b->length) ListError2(tag, "Mismatch length", a, b);
  Op which;
  if (!parseOp(op, &which)) ListError2(tag, "Incorrect operator", a, b);
  Matrix* m = MatDef("", 1, a->length);
  double* d = MatReal(m);
  for (int k = 0; k < a->length; k++) {
    if (which == Op::Eq || which == Op::Ne) {
      d[k] = elementsEqual(a, b, k) == (which == Op::Eq) ? 1.0 : 0.0;
      continue;
    }
    double x, y;
    if (!numberAt(a, k, &x) || !numberAt(b, k, &y)) ListError2(tag, "Incorrect class element", a, b);
    d[k] = holds(which, x, y) ? 1.0 : 0.0;
  }
  return m;
}

Matrix* ListCompareElem2(List* l, int class_, ...) {
  if (!isElementClass(class_)) ListError("ListCompareElem2()", "Incorrect class", l);
  va_list ap;
  va_start(ap, class_);
  const ListSlot value = readValue(class_, &ap);
  const char* op = va_arg(ap, const char*);
  va_end(ap);
  List* one = ListDef("", 1);
  storeCopy(one, 1, class_, value);
  List* repeated = ListMul(one, l->length);
  Matrix* m = ListCompareElem(l, repeated, op);
  ListUndef(repeated);
  ListUndef(one);
  return m;
}

Matrix* ListNotElem(List* l) {
  Matrix* m = MatDef("", 1, l->length);
  double* d = MatReal(m);
  for (int k = 0; k < l->length; k++) {
    double x;
    if (!numberAt(l, k, &x)) ListError("ListNotElem()", "Incorrect class element", l);
    d[k] = x == 0.0 ? 1.0 : 0.0;
  }
  return m;
}

int ListMenu(List* l, int default_item) {
  const char* tag = "ListMenu()";
  for (int k = 0; k < l->length; k++) {
    if (l->classes[k] != LIST_STRING || l->elements[k].object == nullptr) {
      setSource("menu(%s)", shownName(l));
      ListError(tag, "Contents of menu must be string", l);
    }
  }
  if (default_item < 1 || default_item > l->length - 1) {
    setSource("menu(%s)", shownName(l));
    ListError(tag, "Invalid default item number", l);
  }
  std::vector<std::string> texts;
  for (int k = 0; k < l->length; k++) {
    const String* s = static_cast<const String*>(l->elements[k].object);
    texts.emplace_back(s->length > 0 ? std::string(s->text, static_cast<size_t>(s->length)) : std::string());
  }
  std::vector<const char*> items;
  for (size_t k = 1; k < texts.size(); k++) items.push_back(texts[k].c_str());
  return menu_select(texts[0].c_str(), items.data(), l->length - 1, default_item);
}
