// List access along a path of indices into nested Lists.
#include "runtime/objects/list.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "runtime/objects/list_internal.h"

using namespace vorn_list;

// ------------------------------------------------------------- deep access
// Each operation reports path failures under its own name; the last index
// is checked by the operation applied in the List reached.

namespace {

// Walks an argument-list path read from ap (left at the arguments after
// it); *last is the path's last index.
List* walkArgs(const char* tag, const char* indexTag, List* l, int depth, va_list* ap, int* last) {
  const std::vector<int> path = readPath(tag, l, depth, ap);
  *last = path.back();
  return walkPath(tag, indexTag, l, depth, path.data());
}

int deepLength(List* at, int i) {
  if (ListGetClass(at, i) != LIST_LIST) return 0;
  const List* inner = static_cast<const List*>(at->elements[i - 1].object);
  return inner != nullptr ? inner->length : 0;
}

using ElementRead = void* (*)(List* l, int i, int class_);

// The argument-list element reads: the path, then the class requested.
void* readDeepElement(ElementRead read, const char* tag, List* l, int depth, va_list* ap) {
  int last = 0;
  List* at = walkArgs(tag, tag, l, depth, ap, &last);
  const int class_ = va_arg(*ap, int);
  return read(at, last, class_);
}

// The element stores check the last index under the plain store's name.
void storeAt(List* at, int i, int class_, const ListSlot& value) {
  checkSetIndex("ListSetElement()", at, i);
  storeCopy(at, i, class_, value);
}

}  // namespace

List* ListGetDeepListP2(List* l, int depth, const int* path) {
  return walkPath("ListGetDeepListP2()", "ListGetDeepListP2()", l, depth, path);
}

List* ListGetDeepListP(List* l, int depth, ...) {
  va_list ap;
  va_start(ap, depth);
  int last = 0;
  List* at = walkArgs("ListGetDeepListP()", "ListGetDeepListP()", l, depth, &ap, &last);
  va_end(ap);
  return at;
}

int ListGetDeepLength2(List* l, int depth, const int* path) {
  List* at = walkPath("ListGetDeepLength2()", "ListGetDeepLength2()", l, depth, path);
  return deepLength(at, path[depth - 1]);
}

int ListGetDeepLength(List* l, int depth, ...) {
  va_list ap;
  va_start(ap, depth);
  int last = 0;
  List* at = walkArgs("ListGetDeepLength()", "ListGetDeepLength()", l, depth, &ap, &last);
  va_end(ap);
  return deepLength(at, last);
}

int ListGetDeepClass2(List* l, int depth, const int* path) {
  List* at = walkPath("ListGetDeepClass2()", "ListGetDeepClass2()", l, depth, path);
  return ListGetClass(at, path[depth - 1]);
}

int ListGetDeepClass(List* l, int depth, ...) {
  va_list ap;
  va_start(ap, depth);
  int last = 0;
  List* at = walkArgs("ListGetDeepClass()", "ListGetDeepClass()", l, depth, &ap, &last);
  va_end(ap);
  return ListGetClass(at, last);
}

void* ListGetDeepElement2(List* l, int depth, const int* path, int class_) {
  List* at = walkPath("ListGetDeepElement2()", "ListGetDeepElement2()", l, depth, path);
  return ListGetElement(at, path[depth - 1], class_);
}

void* ListGetDeepElement(List* l, int depth, ...) {
  va_list ap;
  va_start(ap, depth);
  void* const element = readDeepElement(ListGetElement, "ListGetDeepElement()", l, depth, &ap);
  va_end(ap);
  return element;
}

void* ListGetDeepElementP2(List* l, int depth, const int* path, int class_) {
  List* at = walkPath("ListGetDeepElementP2()", "ListGetDeepElementP2()", l, depth, path);
  return ListGetElementP(at, path[depth - 1], class_);
}

void* ListGetDeepElementP(List* l, int depth, ...) {
  va_list ap;
  va_start(ap, depth);
  void* const element = readDeepElement(ListGetElementP, "ListGetDeepElementP()", l, depth, &ap);
  va_end(ap);
  return element;
}

List* ListSetDeepElement2(List* l, int depth, const int* path, int class_, ...) {
  va_list ap;
  va_start(ap, class_);
  const ListSlot value = readValue(class_, &ap);
  va_end(ap);
  List* at = walkPath("ListSetDeepElement2()", "ListSetDeepElement2()", l, depth, path);
  storeAt(at, path[depth - 1], class_, value);
  return l;
}

List* ListSetDeepElement(List* l, int depth, ...) {
  va_list ap;
  va_start(ap, depth);
  int last = 0;
  List* at = walkArgs("ListSetDeepElement()", "ListSetDeepElement()", l, depth, &ap, &last);
  const int class_ = va_arg(ap, int);
  const ListSlot value = readValue(class_, &ap);
  va_end(ap);
  storeAt(at, last, class_, value);
  return l;
}

List* ListSetDeepObject2(List* l, int depth, const int* path, int class_, const ListSlot* slot) {
  List* at = walkPath("ListSetDeepObject2()", "ListSetDeepObject2()", l, depth, path);
  ListSetObject(at, path[depth - 1], class_, slot);
  return l;
}

List* ListSetDeepObject(List* l, int depth, ...) {
  va_list ap;
  va_start(ap, depth);
  int last = 0;
  // This form has always reported a bad path index under this tag.
  List* at = walkArgs("ListSetDeepObject()", "ListSetDeepObjcect()", l, depth, &ap, &last);
  const int class_ = va_arg(ap, int);
  const ListSlot* slot = va_arg(ap, const ListSlot*);
  va_end(ap);
  ListSetObject(at, last, class_, slot);
  return l;
}

