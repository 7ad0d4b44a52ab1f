// Helpers shared by the List kind's files: element classes, slot copies,
// index checks and the report sources they write.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/core/registry.h"
#include "runtime/core/report.h"
#include "runtime/core/util.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/list.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"

namespace vorn_list {


inline bool isElementClass(int c) { return c >= LIST_STRING && c <= LIST_LIST; }
inline bool isMatrixClass(int c) { return c >= LIST_MATRIX && c <= LIST_INDEX; }
// Classes whose slot holds an object reference.
inline bool holdsObject(int c) { return isElementClass(c) && c != LIST_INTEGER && c != LIST_REAL; }
// Matrix, Array and Index share one storage: a Matrix.
inline bool sameKind(int a, int b) { return a == b || (isMatrixClass(a) && isMatrixClass(b)); }

inline ListSlot emptySlot() {
  ListSlot s;
  std::memset(&s, 0, sizeof s);
  return s;
}

inline const char* shownName(const List* l) { return l->name[0] != '\0' ? l->name : "{...}"; }

__attribute__((format(printf, 1, 2))) inline void setSource(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(list_err_src, vorn_report::kSourceSize, format, ap);
  va_end(ap);
}

// The set forms describe the failing store as name(i) = "".
[[noreturn]] inline void setIndexError(const char* tag, List* l, int i) {
  setSource("%s(%d) = \"\"", l->name, i);
  ListError(tag, "Index is out of range", l);
}

[[noreturn]] inline void getError(const char* tag, const char* message, List* l, int i, int class_) {
  setSource("%s(%d, %s)", shownName(l), i, ListClassName(class_));
  ListError(tag, message, l);
}

// Checks build: element access to a released List is reported.
inline void checkLive(const char* tag, List* l) {
#ifdef VORN_CHECKS
  if (l->parked) ListError(tag, vorn_registry::kReleasedInUse, l);
#else
  (void)tag;
  (void)l;
#endif
}

inline void checkSetIndex(const char* tag, List* l, int i) {
  checkLive(tag, l);
  if (i < 1 || i > l->length) setIndexError(tag, l, i);
}

// The read and print forms describe a bad index as name(i).
inline void checkIndex(const char* tag, List* l, int i) {
  checkLive(tag, l);
  if (i < 1 || i > l->length) {
    setSource("%s(%d)", shownName(l), i);
    ListError(tag, "Index is out of range", l);
  }
}

inline void allocateArrays(List* l, int length) {
  l->classes = nullptr;
  l->elements = nullptr;
  if (length == 0) return;
  l->classes = static_cast<int16_t*>(emalloc(sizeof(int16_t) * static_cast<size_t>(length)));
  l->elements = static_cast<ListSlot*>(emalloc(sizeof(ListSlot) * static_cast<size_t>(length)));
}

inline void freeArrays(List* l) {
  if (l->classes != nullptr) efree(l->classes);
  if (l->elements != nullptr) efree(l->elements);
  l->classes = nullptr;
  l->elements = nullptr;
}

// Slots from..to-1 (0-based) become undefined and empty.
inline void clearSlots(List* l, int from, int to) {
  for (int k = from; k < to; k++) {
    l->classes[k] = LIST_UNDEF;
    l->elements[k] = emptySlot();
  }
}

// Releases every element; a slot with no object is only cleared, which
// keeps the release of small Lists of numbers out of the call.
inline void releaseElements(List* l) {
  for (int i = 1; i <= l->length; i++) {
    if (holdsObject(l->classes[i - 1]) && l->elements[i - 1].object != nullptr) {
      ListElementDestroy(l, i);
    } else {
      l->elements[i - 1] = emptySlot();
      l->classes[i - 1] = LIST_UNDEF;
    }
  }
}

// Lifetime code of an object held in a List, by element class.
inline int componentType(int class_) {
  switch (class_) {
    case LIST_STRING:
    case LIST_COMPLEX: return vorn_registry::kHeld2;
    case LIST_POLYNOMIAL: return vorn_registry::kGlobal;
    default: return vorn_registry::kHeld3;
  }
}

inline void setObjectType(int class_, void* object, int type) {
  switch (class_) {
    case LIST_STRING: vorn_registry::setLifetime(static_cast<String*>(object), type); break;
    case LIST_COMPLEX: vorn_registry::setLifetime(static_cast<Complex*>(object), type); break;
    case LIST_POLYNOMIAL: vorn_registry::setLifetime(static_cast<Polynomial*>(object), type); break;
    case LIST_RATIONAL: vorn_registry::setLifetime(static_cast<Rational*>(object), type); break;
    case LIST_MATRIX:
    case LIST_ARRAY:
    case LIST_INDEX: vorn_registry::setLifetime(static_cast<Matrix*>(object), type); break;
    case LIST_LIST: vorn_registry::setLifetime(static_cast<List*>(object), type); break;
    default: break;
  }
}

// A new temporary copy of an element object (each kind's Dup).
inline void* dupObject(int class_, void* object) {
  if (object == nullptr) return nullptr;
  switch (class_) {
    case LIST_STRING: return vnStringDup(static_cast<String*>(object));
    case LIST_COMPLEX: return CompDup(static_cast<Complex*>(object));
    case LIST_POLYNOMIAL: return PolyDup(static_cast<Polynomial*>(object));
    case LIST_RATIONAL: return RatDup(static_cast<Rational*>(object));
    case LIST_MATRIX:
    case LIST_ARRAY:
    case LIST_INDEX: return MatDup(static_cast<Matrix*>(object));
    case LIST_LIST: return ListDup(static_cast<List*>(object));
    default: return nullptr;
  }
}

// The slot to store for `value` of `class_`: a copy of an object, given the
// component code, or the integer or real itself; nothing for other classes.
inline ListSlot storedCopy(int class_, const ListSlot& value) {
  ListSlot stored = emptySlot();
  if (holdsObject(class_)) {
    stored.object = dupObject(class_, value.object);
    if (stored.object != nullptr) setObjectType(class_, stored.object, componentType(class_));
  } else if (class_ == LIST_INTEGER) {
    stored.integer = value.integer;
  } else if (class_ == LIST_REAL) {
    stored.real = value.real;
  }
  return stored;
}

// Releases element i and puts `stored` (already owned by the List) there.
inline void place(List* l, int i, int class_, const ListSlot& stored) {
  ListElementDestroy(l, i);
  l->classes[i - 1] = static_cast<int16_t>(class_);
  l->elements[i - 1] = stored;
}

// The copy is taken before the old element goes, so the value may be the
// object stored at i, or the List itself.
inline void storeCopy(List* l, int i, int class_, const ListSlot& value) {
  place(l, i, class_, storedCopy(class_, value));
}

// Stores a copy of every element of src at the same index of dst, which is
// at least as long. All copies are taken before the first store: src may be
// held inside dst (a store would release it) or hold dst (a store would
// change what is still to be read).
inline void copyElements(List* dst, const List* src) {
  const int n = src->length;
  std::vector<ListSlot> copies(static_cast<size_t>(n));
  std::vector<int16_t> classes(src->classes, src->classes + n);
  for (int k = 0; k < n; k++) copies[k] = storedCopy(classes[k], src->elements[k]);
  for (int k = 0; k < n; k++) place(dst, k + 1, classes[k], copies[k]);
}

// Reads the value of a (class, value) pair from an argument list.
inline ListSlot readValue(int class_, va_list* ap) {
  ListSlot value = emptySlot();
  if (class_ == LIST_INTEGER) value.integer = va_arg(*ap, int);
  else if (class_ == LIST_REAL) value.real = va_arg(*ap, double);
  else if (holdsObject(class_)) value.object = va_arg(*ap, void*);
  return value;
}

// The value an object form passes for class_: *slot for the classes that
// store a value, nothing otherwise (slot is then not read).
inline ListSlot slotValue(int class_, const ListSlot* slot) {
  return holdsObject(class_) || class_ == LIST_INTEGER || class_ == LIST_REAL ? *slot : emptySlot();
}

inline bool classMatches(int requested, int stored) {
  if (!isElementClass(stored)) return false;
  return requested == stored || requested == LIST_UNDEF ||
         (isMatrixClass(requested) && isMatrixClass(stored));
}

// Bounds and class checks of the read forms; returns the stored class.
inline int checkRead(const char* tag, List* l, int i, int class_) {
  checkLive(tag, l);
  if (i < 1 || i > l->length) getError(tag, "Index is out of range", l, i, class_);
  const int stored = l->classes[i - 1];
  if (!classMatches(class_, stored)) getError(tag, "Mismatched element class", l, i, class_);
  return stored;
}

inline void* valueAddress(List* l, int i) {
  ListSlot& slot = l->elements[i - 1];
  switch (l->classes[i - 1]) {
    case LIST_INTEGER: return &slot.integer;
    case LIST_REAL: return &slot.real;
    default: return slot.object;
  }
}

// Assigns an element read from a List to a target of the same kind.
inline void assignTo(int class_, void* target, void* value) {
  switch (class_) {
    case LIST_STRING: vnStringAssign(static_cast<String*>(target), static_cast<String*>(value)); break;
    case LIST_INTEGER: *static_cast<int32_t*>(target) = *static_cast<int32_t*>(value); break;
    case LIST_REAL: *static_cast<double*>(target) = *static_cast<double*>(value); break;
    case LIST_COMPLEX: CompAssign(static_cast<Complex*>(target), static_cast<Complex*>(value)); break;
    case LIST_POLYNOMIAL:
      PolyAssign(static_cast<Polynomial*>(target), static_cast<Polynomial*>(value));
      break;
    case LIST_RATIONAL: RatAssign(static_cast<Rational*>(target), static_cast<Rational*>(value)); break;
    case LIST_MATRIX:
    case LIST_ARRAY:
    case LIST_INDEX: MatAssign(static_cast<Matrix*>(target), static_cast<Matrix*>(value)); break;
    case LIST_LIST: ListAssign(static_cast<List*>(target), static_cast<List*>(value)); break;
    default: break;
  }
}

// ---- deep access ----

// Checks the depth and every path index, then follows the first depth-1
// indices; returns the List in which the last index applies.
inline List* walkPath(const char* tag, const char* indexTag, List* l, int depth, const int* path) {
  if (depth < 1) ListError(tag, "Depth must be positive", l);
  for (int k = 0; k < depth; k++)
    if (path[k] < 1) ListError(indexTag, "Length must be > 0", l);
  List* at = l;
  for (int k = 0; k + 1 < depth; k++) {
    const int i = path[k];
    if (i > at->length || at->classes[i - 1] != LIST_LIST || at->elements[i - 1].object == nullptr)
      ListError(tag, "Mismatched element", l);
    at = static_cast<List*>(at->elements[i - 1].object);
  }
  return at;
}

// Reads depth path indices from an argument list (depth checked first, as
// it says how many to read).
inline std::vector<int> readPath(const char* tag, List* l, int depth, va_list* ap) {
  if (depth < 1) ListError(tag, "Depth must be positive", l);
  std::vector<int> path(static_cast<size_t>(depth));
  for (int& i : path) i = va_arg(*ap, int);
  return path;
}

}  // namespace vorn_list
