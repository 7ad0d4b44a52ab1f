#include "runtime/objects/list.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "runtime/core/memory.h"
#include "runtime/core/util.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/registry.h"
#include "runtime/matrix/report.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"

List* toplist = nullptr;
List* lastlist = nullptr;
char* list_err_src = nullptr;

namespace {

// Buckets by length, 0 to garbage_length_max; parked records keep arrays.
List** list_table = nullptr;
int* list_table_count = nullptr;
int garbage_length_max = 1000;
int garbage_table_max = 0;

inline bool recyclable(int length) { return length >= 0 && length <= garbage_length_max; }

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

const char* shownName(const List* l) { return l->name[0] != '\0' ? l->name : "{...}"; }

void describe(std::string& body, const char* joint, const List* l) {
  if (l->name[0] != '\0')
    vorn_report::appendf(body, "%s\"%s (%d element(s))\"", joint, l->name, l->length);
  else
    vorn_report::appendf(body, "%s\"(%d element(s))\"", joint, l->length);
}

__attribute__((format(printf, 1, 2))) void setSource(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(list_err_src, vorn_report::kSourceSize, format, ap);
  va_end(ap);
}

// The set forms describe the failing store as name(i) = "".
[[noreturn]] void setIndexError(const char* tag, List* l, int i) {
  setSource("%s(%d) = \"\"", l->name, i);
  ListError(tag, "Index is out of range", l);
}

[[noreturn]] void getError(const char* tag, const char* message, List* l, int i, int class_) {
  setSource("%s(%d, %s)", shownName(l), i, ListClassName(class_));
  ListError(tag, message, l);
}

inline void checkSetIndex(const char* tag, List* l, int i) {
  if (i < 1 || i > l->length) setIndexError(tag, l, i);
}

// The read and print forms describe a bad index as name(i).
inline void checkIndex(const char* tag, List* l, int i) {
  if (i < 1 || i > l->length) {
    setSource("%s(%d)", shownName(l), i);
    ListError(tag, "Index is out of range", l);
  }
}

void allocateArrays(List* l, int length) {
  l->classes = nullptr;
  l->elements = nullptr;
  if (length == 0) return;
  l->classes = static_cast<int16_t*>(emalloc(sizeof(int16_t) * static_cast<size_t>(length)));
  l->elements = static_cast<ListSlot*>(emalloc(sizeof(ListSlot) * static_cast<size_t>(length)));
}

void freeArrays(List* l) {
  if (l->classes != nullptr) efree(l->classes);
  if (l->elements != nullptr) efree(l->elements);
  l->classes = nullptr;
  l->elements = nullptr;
}

// Slots from..to-1 (0-based) become undefined and empty.
void clearSlots(List* l, int from, int to) {
  for (int k = from; k < to; k++) {
    l->classes[k] = LIST_UNDEF;
    l->elements[k] = emptySlot();
  }
}

void releaseElements(List* l) {
  for (int i = 1; i <= l->length; i++) ListElementDestroy(l, i);
}

// Lifetime code of an object held in a List, by element class.
int componentType(int class_) {
  switch (class_) {
    case LIST_STRING:
    case LIST_COMPLEX: return vorn_registry::kHeld2;
    case LIST_POLYNOMIAL: return vorn_registry::kGlobal;
    default: return vorn_registry::kHeld3;
  }
}

void setObjectType(int class_, void* object, int type) {
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
void* dupObject(int class_, void* object) {
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
ListSlot storedCopy(int class_, const ListSlot& value) {
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
void place(List* l, int i, int class_, const ListSlot& stored) {
  ListElementDestroy(l, i);
  l->classes[i - 1] = static_cast<int16_t>(class_);
  l->elements[i - 1] = stored;
}

// The copy is taken before the old element goes, so the value may be the
// object stored at i, or the List itself.
void storeCopy(List* l, int i, int class_, const ListSlot& value) {
  place(l, i, class_, storedCopy(class_, value));
}

// Stores a copy of every element of src at the same index of dst, which is
// at least as long. All copies are taken before the first store: src may be
// held inside dst (a store would release it) or hold dst (a store would
// change what is still to be read).
void copyElements(List* dst, const List* src) {
  const int n = src->length;
  std::vector<ListSlot> copies(static_cast<size_t>(n));
  std::vector<int16_t> classes(src->classes, src->classes + n);
  for (int k = 0; k < n; k++) copies[k] = storedCopy(classes[k], src->elements[k]);
  for (int k = 0; k < n; k++) place(dst, k + 1, classes[k], copies[k]);
}

// Reads the value of a (class, value) pair from an argument list.
ListSlot readValue(int class_, va_list* ap) {
  ListSlot value = emptySlot();
  if (class_ == LIST_INTEGER) value.integer = va_arg(*ap, int);
  else if (class_ == LIST_REAL) value.real = va_arg(*ap, double);
  else if (holdsObject(class_)) value.object = va_arg(*ap, void*);
  return value;
}

// The value an object form passes for class_: *slot for the classes that
// store a value, nothing otherwise (slot is then not read).
ListSlot slotValue(int class_, const ListSlot* slot) {
  return holdsObject(class_) || class_ == LIST_INTEGER || class_ == LIST_REAL ? *slot : emptySlot();
}

inline bool classMatches(int requested, int stored) {
  if (!isElementClass(stored)) return false;
  return requested == stored || requested == LIST_UNDEF ||
         (isMatrixClass(requested) && isMatrixClass(stored));
}

// Bounds and class checks of the read forms; returns the stored class.
int checkRead(const char* tag, List* l, int i, int class_) {
  if (i < 1 || i > l->length) getError(tag, "Index is out of range", l, i, class_);
  const int stored = l->classes[i - 1];
  if (!classMatches(class_, stored)) getError(tag, "Mismatched element class", l, i, class_);
  return stored;
}

void* valueAddress(List* l, int i) {
  ListSlot& slot = l->elements[i - 1];
  switch (l->classes[i - 1]) {
    case LIST_INTEGER: return &slot.integer;
    case LIST_REAL: return &slot.real;
    default: return slot.object;
  }
}

// Assigns an element read from a List to a target of the same kind.
void assignTo(int class_, void* target, void* value) {
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
List* walkPath(const char* tag, const char* indexTag, List* l, int depth, const int* path) {
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
std::vector<int> readPath(const char* tag, List* l, int depth, va_list* ap) {
  if (depth < 1) ListError(tag, "Depth must be positive", l);
  std::vector<int> path(static_cast<size_t>(depth));
  for (int& i : path) i = va_arg(*ap, int);
  return path;
}

void printElement(List* l, int i);

void printElements(List* l) {
  for (int i = 1; i <= l->length; i++) {
    if (i > 1) std::fputs(", ", stdout);
    printElement(l, i);
  }
}

void printElement(List* l, int i) {
  const ListSlot& slot = l->elements[i - 1];
  char re[64];
  char im[64];
  switch (l->classes[i - 1]) {
    case LIST_STRING: {
      const String* s = static_cast<const String*>(slot.object);
      std::printf("\"%s\"", s != nullptr && s->text != nullptr ? s->text : "");
      break;
    }
    case LIST_INTEGER: std::printf("%d", slot.integer); break;
    case LIST_REAL: std::fputs(RealToString(slot.real, re, "%G"), stdout); break;
    case LIST_COMPLEX: {
      const Complex* z = static_cast<const Complex*>(slot.object);
      if (z == nullptr) {
        std::fputs("UNDEF", stdout);
        break;
      }
      std::printf("(%s,%s)", RealToString(z->re, re, "%G"), RealToString(z->im, im, "%G"));
      break;
    }
    case LIST_POLYNOMIAL: std::fputs("POLYNOMIAL", stdout); break;
    case LIST_RATIONAL: std::fputs("RATIONAL", stdout); break;
    case LIST_MATRIX: std::fputs("MATRIX", stdout); break;
    case LIST_ARRAY: std::fputs("ARRAY", stdout); break;
    case LIST_INDEX: std::fputs("INDEX", stdout); break;
    case LIST_LIST: {
      List* inner = static_cast<List*>(slot.object);
      std::fputs("{", stdout);
      if (inner != nullptr) printElements(inner);
      std::fputs("}", stdout);
      break;
    }
    default: std::fputs("UNDEF", stdout); break;
  }
}

FILE* openData(const char* path, const char* mode, const char* word) {
  FILE* stream = std::fopen(path, mode);
  if (stream == nullptr) std::fprintf(stderr, "Can't open %s for \"%s\"\n", path, word);
  return stream;
}

}  // namespace

// ---------------------------------------------------------------- registry

void ListInit() {
  if (toplist != nullptr) return;
  toplist = static_cast<List*>(emalloc(sizeof(List)));
  toplist->name = StringDup("TOPLIST");
  toplist->type = vorn_registry::kLocal;
  toplist->length = 0;
  toplist->classes = nullptr;
  toplist->elements = nullptr;
  toplist->prev = nullptr;
  toplist->next = nullptr;
  toplist->parked = false;
  lastlist = toplist;

  // The bucket population limit shares the Polynomial kind's variable.
  garbage_table_max = vorn_registry::envLimit("POLYNOMIAL_TABLE_MAX", 0, 0);
  garbage_length_max = vorn_registry::envLimit("LIST_LENGTH_MAX", 1000, 1000);
  const size_t buckets = static_cast<size_t>(garbage_length_max) + 1;
  list_table = vorn_registry::allocTable<List*>(buckets);
  list_table_count = vorn_registry::allocTable<int>(buckets);
  list_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  list_err_src[0] = '\0';
}

int ListTableCount(int length) { return recyclable(length) ? list_table_count[length] : 0; }

int ListLiveCount() { return vorn_registry::liveCount(toplist); }

List* ListRequest(int length) {
  if (!recyclable(length)) return nullptr;
  return vorn_registry::request(list_table, list_table_count, static_cast<size_t>(length));
}

void ListInstall(List* l) {
  vorn_registry::install(list_table, list_table_count, static_cast<size_t>(l->length), l);
}

void ListAppendToLastList(List* l) { vorn_registry::append(lastlist, l); }
void ListSetLastList(List* l) { lastlist = l; }

List* ListDef(const char* name, int length) {
  if (length < 0) length = 0;
  List* l = ListRequest(length);
  if (l == nullptr) {
    l = ListRequest(0);
    if (l == nullptr) {
      l = static_cast<List*>(emalloc(sizeof(List)));
      l->name = nullptr;
      l->parked = false;
    }
    allocateArrays(l, length);
  }
  ListAppendToLastList(l);
  l->length = length;
  vorn_registry::setLifetime(l, vorn_registry::kTemporary);
  vorn_registry::setName(l->name, name);
  clearSlots(l, 0, length);
  return l;
}

void ListElementDestroy(List* l, int i) {
  ListSlot& slot = l->elements[i - 1];
  void* const object = slot.object;
  const int class_ = l->classes[i - 1];
  if (holdsObject(class_) && object != nullptr) {
    switch (class_) {
      case LIST_STRING: vnStringUndef(static_cast<String*>(object)); break;
      case LIST_COMPLEX: CompUndef(static_cast<Complex*>(object)); break;
      case LIST_POLYNOMIAL: PolyUndef(static_cast<Polynomial*>(object)); break;
      case LIST_RATIONAL: RatUndef(static_cast<Rational*>(object)); break;
      // A nested List goes with the next release of List temporaries, so a
      // reference read out of it stays valid to the end of the statement.
      case LIST_LIST: vorn_registry::setLifetime(static_cast<List*>(object), vorn_registry::kTemporary); break;
      default: MatUndef(static_cast<Matrix*>(object)); break;
    }
  }
  slot = emptySlot();
  l->classes[i - 1] = LIST_UNDEF;
}

void ListDestroy(List* l) {
  if (l->parked || !vorn_registry::unlink(lastlist, l))
    ListError("ListDestroy()", "Duplicate destroying", nullptr);
  releaseElements(l);
  freeArrays(l);
  efree(l->name);
  efree(l);
}

void ListUndef(List* l) {
  if (l->parked) ListError("ListUndef()", "Duplicate undefining", nullptr);
  if (!recyclable(l->length) ||
      !vorn_registry::bucketAccepts(list_table_count[l->length], garbage_table_max)) {
    ListDestroy(l);
    return;
  }
  if (!vorn_registry::unlink(lastlist, l)) ListError("ListUndef()", "Duplicate undefining", nullptr);
  releaseElements(l);
  l->type = vorn_registry::kTemporary;  // parked: off the live list
  ListInstall(l);
}

void ListUndefs(List* l) { vorn_registry::releaseFrom(l, ListUndef); }

void ListTmpUndef() { vorn_registry::releaseTemporaries(lastlist, ListUndef); }
void ListFree(List* l) { vorn_registry::setLifetime(l, vorn_registry::kTemporary); }

void ListFrees(List* marker) { vorn_registry::freeLocalsFrom(marker); }

List* ListSetName(List* l, const char* name) {
  vorn_registry::setName(l->name, name);
  return l;
}

List* ListSetType(List* l, int type) {
  vorn_registry::setLifetime(l, type);
  return l;
}

// ------------------------------------------------------------ construction

List* ListSameDef(List* l) { return ListDef("", l->length); }

List* ListReDef(List* l, int n) {
  if (n < 0) n = 0;
  const int old = l->length;
  if (n == old) return l;
  for (int i = n + 1; i <= old; i++) ListElementDestroy(l, i);
  int16_t* const oldClasses = l->classes;
  ListSlot* const oldElements = l->elements;
  allocateArrays(l, n);
  const int keep = old < n ? old : n;
  for (int k = 0; k < keep; k++) {
    l->classes[k] = oldClasses[k];
    l->elements[k] = oldElements[k];
  }
  clearSlots(l, keep, n);
  if (oldClasses != nullptr) efree(oldClasses);
  if (oldElements != nullptr) efree(oldElements);
  l->length = n;
  return l;
}

List* ListElementsDef(int n, ...) {
  va_list ap;
  va_start(ap, n);
  va_list check;
  va_copy(check, ap);
  for (int k = 0; k < n; k++) {
    const int class_ = va_arg(check, int);
    if (!isElementClass(class_)) {
      va_end(check);
      va_end(ap);
      ListError("ListElementsDef()", "Incorrect class", nullptr);
    }
    readValue(class_, &check);
  }
  va_end(check);
  List* l = ListDef("", n);
  for (int i = 1; i <= n; i++) {
    const int class_ = va_arg(ap, int);
    storeCopy(l, i, class_, readValue(class_, &ap));
  }
  va_end(ap);
  return l;
}

List* ListObjectsDef(int n, ...) {
  va_list ap;
  va_start(ap, n);
  va_list check;
  va_copy(check, ap);
  for (int k = 0; k < n; k++) {
    const int class_ = va_arg(check, int);
    va_arg(check, const ListSlot*);
    if (!isElementClass(class_)) {
      va_end(check);
      va_end(ap);
      ListError("ListObjectsDef()", "Incorrect class", nullptr);
    }
  }
  va_end(check);
  List* l = ListDef("", n);
  for (int i = 1; i <= n; i++) {
    const int class_ = va_arg(ap, int);
    const ListSlot* slot = va_arg(ap, const ListSlot*);
    storeCopy(l, i, class_, *slot);
  }
  va_end(ap);
  return l;
}

List* ListSetLength(List* l, int n) { return ListReDef(l, n); }

List* ListSetClass(List* l, int i, int class_) {
  checkSetIndex("ListSetClass()", l, i);
  const int old = l->classes[i - 1];
  if (old == class_) return l;
  if (holdsObject(old) && sameKind(old, class_)) {
    l->classes[i - 1] = static_cast<int16_t>(class_);
    return l;
  }
  place(l, i, class_, emptySlot());
  return l;
}

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

// ------------------------------------------------------ copy and assignment

List* ListCopy(List* dst, List* src) {
  if (dst->length != src->length) ListError2("ListCopy()", "Confliction of length", src, dst);
  copyElements(dst, src);
  return dst;
}

List* ListDup(List* l) {
  List* copy = ListDef("", l->length);
  copyElements(copy, l);
  return copy;
}

List* ListElementChange(List* a, List* b) {
  std::swap(a->length, b->length);
  vorn_registry::swapLifetime(a, b);
  std::swap(a->classes, b->classes);
  std::swap(a->elements, b->elements);
  return a;
}

List* ListElementCopy(List* dst, List* src) {
  if (dst == src) return dst;
  const int16_t type = src->type;
  const int n = src->length;
  if (dst->length == n) {
    copyElements(dst, src);
  } else {
    List fresh{};
    allocateArrays(&fresh, n);
    for (int k = 0; k < n; k++) {
      fresh.classes[k] = src->classes[k];
      fresh.elements[k] = storedCopy(src->classes[k], src->elements[k]);
    }
    releaseElements(dst);
    freeArrays(dst);
    dst->classes = fresh.classes;
    dst->elements = fresh.elements;
    dst->length = n;
  }
  vorn_registry::setLifetime(dst, type);
  return dst;
}

List* ListMove(List* dst, List* src) {
  return vorn_registry::moveRecord(dst, src, ListElementChange);
}

List* ListAssign(List* dst, List* src) {
  return vorn_registry::assignRecord(dst, src, ListElementChange, ListElementCopy, [] {
    PolyTmpUndef();
    RatTmpUndef();
    vnStringTmpUndef();
    ListTmpUndef();
    CompTmpUndef();
    MatTmpUndef();
  });
}

List* ListSwap(List* a, List* b) {
  if (a->length != b->length) ListError2("ListSwap()", "Confliction of length", b, a);
  if (a == b) return a;
  List* held = ListDup(a);
  ListCopy(a, b);
  ListCopy(b, held);
  ListUndef(held);
  return a;
}

// ------------------------------------------------------------------ output

List* ListPrint(List* l) {
  std::printf("%s = {", l->name[0] != '\0' ? l->name : "ans");
  printElements(l);
  std::fputs("}\n", stdout);
  return l;
}

void ListAllPrint() {
  for (List* l = toplist->next; l != nullptr; l = l->next) ListPrint(l);
}

void ListElementPrint(List* l, int i) {
  checkIndex("ListElementPrint()", l, i);
  printElement(l, i);
}

FILE* datafile_write_open(const char* path) { return openData(path, "wb", "write"); }
FILE* datafile_read_open(const char* path) { return openData(path, "rb", "read"); }

// ----------------------------------------------------------------- reports

void ListErrorWarning(const char* tag, const char* message, List* l1, List* l2, int is_error) {
  std::string body;
  if (vorn_report::hasSource(list_err_src)) {
    vorn_report::appendf(body, "\n%s : %s ", list_err_src, message);
  } else {
    vorn_report::appendf(body, "\n%s ", message);
    if (l1 != nullptr) describe(body, "in ", l1);
    if (l2 != nullptr) describe(body, " and ", l2);
  }
  vorn_report::emit(tag, body, list_err_src, is_error, "Can't open logfile\n", nullptr, nullptr);
}

void ListError(const char* tag, const char* message, List* l) {
  ListErrorWarning(tag, message, l, nullptr, 1);
  std::abort();
}

void ListError2(const char* tag, const char* message, List* l1, List* l2) {
  ListErrorWarning(tag, message, l1, l2, 1);
  std::abort();
}

void ListWarning(const char* tag, const char* message, List* l) {
  ListErrorWarning(tag, message, l, nullptr, 0);
}

void ListWarning2(const char* tag, const char* message, List* l1, List* l2) {
  ListErrorWarning(tag, message, l1, l2, 0);
}
