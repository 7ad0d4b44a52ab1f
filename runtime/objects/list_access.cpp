// List element access: reads, stores, classes and appends.
#include "runtime/objects/list.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "runtime/objects/list_internal.h"

using namespace vorn_list;

// ---------------------------------------------------------- element access

List* ListSetElement(List* l, int i, int class_, ...) {
  checkSetIndex("ListSetElement()", l, i);
  va_list ap;
  va_start(ap, class_);
  const ListSlot value = readValue(class_, &ap);
  va_end(ap);
  storeCopy(l, i, class_, value);
  return l;
}

List* ListSetElementP(List* l, int i, int class_, ...) {
  checkSetIndex("ListSetElement()", l, i);
  va_list ap;
  va_start(ap, class_);
  const ListSlot value = readValue(class_, &ap);
  va_end(ap);
  ListSlot& slot = l->elements[i - 1];
  // Handing over the object already stored there must not release it.
  const bool already = holdsObject(class_) && sameKind(class_, l->classes[i - 1]) &&
                       value.object != nullptr && slot.object == value.object;
  if (!already) ListElementDestroy(l, i);
  if (holdsObject(class_) && value.object != nullptr)
    setObjectType(class_, value.object, componentType(class_));
  l->classes[i - 1] = static_cast<int16_t>(class_);
  slot = value;
  return l;
}

List* ListSetObject(List* l, int i, int class_, const ListSlot* slot) {
  checkSetIndex("ListSetObject()", l, i);
  storeCopy(l, i, class_, slotValue(class_, slot));
  return l;
}

void* ListGetElement(List* l, int i, int class_) {
  const int stored = checkRead("ListGetElement()", l, i, class_);
  if (!holdsObject(stored)) return valueAddress(l, i);
  return dupObject(stored, l->elements[i - 1].object);
}

void* ListGetElementP(List* l, int i, int class_) {
  checkRead("ListGetElementP()", l, i, class_);
  return valueAddress(l, i);
}

ListSlot* ListGetObject(List* l, int i) {
  checkIndex("ListGetObject()", l, i);
  ListSlot* holder = static_cast<ListSlot*>(emalloc(sizeof(ListSlot)));
  const int class_ = l->classes[i - 1];
  const ListSlot& slot = l->elements[i - 1];
  *holder = holdsObject(class_) ? emptySlot() : slot;
  if (holdsObject(class_)) holder->object = dupObject(class_, slot.object);
  return holder;
}

List* ListGetAndAssignElement(List* l, int n, ...) {
  if (n < 1 || n > l->length) setIndexError("ListGetAndAssignElement()", l, n);
  // Every assignment releases the temporaries of all kinds; a temporary
  // List being unpacked must outlive them, so it is held meanwhile.
  const int16_t type = l->type;
  if (type == vorn_registry::kTemporary) vorn_registry::setLifetime(l, vorn_registry::kHeld3);
  va_list ap;
  va_start(ap, n);
  for (int k = 1; k <= n; k++) {
    const int class_ = va_arg(ap, int);
    void* target = va_arg(ap, void*);
    void* value = ListGetElementP(l, k, class_);
    assignTo(l->classes[k - 1], target, value);
  }
  va_end(ap);
  vorn_registry::setLifetime(l, type);
  return l;
}

int ListGetClass(List* l, int i) {
  checkLive("ListGetClass()", l);
  if (i < 1 || i > l->length) {
    setSource("typeof(%s, %d)", shownName(l), i);
    ListError("ListGetClass()", "Index is out of range", l);
  }
  return l->classes[i - 1];
}

List* ListGetClasses(List* l) {
  List* classes = ListDef("", l->length);
  for (int k = 0; k < l->length; k++) {
    classes->classes[k] = LIST_INTEGER;
    classes->elements[k].integer = l->classes[k];
  }
  return classes;
}

const char* ListClassName(int class_) {
  switch (class_) {
    case LIST_STRING: return "String";
    case LIST_INTEGER: return "Integer";
    case LIST_REAL: return "Real";
    case LIST_COMPLEX: return "Complex";
    case LIST_POLYNOMIAL: return "Polynomial";
    case LIST_RATIONAL: return "Rational";
    case LIST_MATRIX: return "Matrix";
    case LIST_ARRAY: return "Array";
    case LIST_INDEX: return "Index";
    case LIST_LIST: return "List";
    case LIST_VOID_FUNC: return "void Func";
    case LIST_BUILTIN_FUNC: return "Buitin-Func";
    case LIST_BUILTIN_PROC: return "Buitin-Proc";
    case LIST_DYNAMIC_FUNC: return "Dynamic-Func";
    case LIST_DYNAMIC_PROC: return "Dynamic-Proc";
    default: return "Undefined";
  }
}

namespace {

// A 1 x length row: 1 where (the element's class is class_) == is, else 0.
Matrix* classMask(const List* l, int class_, bool is) {
  Matrix* m = MatDef("", 1, l->length);
  double* d = MatReal(m);
  for (int k = 0; k < l->length; k++) d[k] = (l->classes[k] == class_) == is ? 1.0 : 0.0;
  return m;
}

}  // namespace

Matrix* ListIsClass(List* l, int class_) { return classMask(l, class_, true); }
Matrix* ListIsNotClass(List* l, int class_) { return classMask(l, class_, false); }

// ------------------------------------------------------------------ append

namespace {

// Copy before growing: the slot may lie in l's own arrays, and a List
// appended to itself is stored as it was.
List* appendCopy(List* l, int class_, const ListSlot& value) {
  const ListSlot stored = storedCopy(class_, value);
  const int n = l->length + 1;
  ListReDef(l, n);
  place(l, n, class_, stored);
  return l;
}

}  // namespace

List* ListAppendObject(List* l, int class_, const ListSlot* slot) {
  return appendCopy(l, class_, slotValue(class_, slot));
}

List* ListAppendElement(List* l, int class_, ...) {
  va_list ap;
  va_start(ap, class_);
  const ListSlot value = readValue(class_, &ap);
  va_end(ap);
  return appendCopy(l, class_, value);
}

