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
#include "runtime/objects/list_internal.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/core/registry.h"
#include "runtime/core/report.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"

List* toplist = nullptr;
List* lastlist = nullptr;
char* list_err_src = nullptr;

using namespace vorn_list;

namespace {

// Buckets by length, 0 to garbage_length_max; parked records keep arrays.
int garbage_length_max = 1000;

inline bool recyclable(int length) { return length >= 0 && length <= garbage_length_max; }

}  // namespace

// ---------------------------------------------------------------- registry

namespace {

struct ListKind {
  using Record = List;
  static constexpr const char* kPrefix = "List";
  static constexpr const char* kDuplicateUndef = "Duplicate undefining";

  static List*& top() { return toplist; }
  static List*& last() { return lastlist; }
  static bool bucketOf(const List* l, size_t* key) {
    if (!recyclable(l->length)) return false;
    *key = static_cast<size_t>(l->length);
    return true;
  }
  static void park(List* l) { releaseElements(l); }
  static void poison(List* l) {
    if (l->length > 0) {
      vorn_registry::poisonBytes(l->classes, sizeof(int16_t) * static_cast<size_t>(l->length));
      vorn_registry::poisonBytes(l->elements, sizeof(ListSlot) * static_cast<size_t>(l->length));
    }
  }
  static void freeContents(List* l) {
    releaseElements(l);
    freeArrays(l);
  }
  [[noreturn]] static void reportFatal(const char* tag, const char* message, List* l) {
    ListError(tag, message, l);
  }
  static List* destroyOperand() { return nullptr; }

};

using Registry = vorn_registry::Registry<ListKind>;

}  // namespace

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
  const int tableMax = vorn_registry::envLimit("POLYNOMIAL_TABLE_MAX", 0, 0);
  garbage_length_max = vorn_registry::envLimit("LIST_LENGTH_MAX", 1000, 1000);
  Registry::start(tableMax, static_cast<size_t>(garbage_length_max) + 1);
  list_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  list_err_src[0] = '\0';
}

int ListTableCount(int length) {
  return recyclable(length) ? Registry::population(static_cast<size_t>(length)) : 0;
}

int ListLiveCount() { return Registry::liveCount(); }

List* ListRequest(int length) {
  return recyclable(length) ? Registry::request(static_cast<size_t>(length)) : nullptr;
}

void ListInstall(List* l) { Registry::install(l); }
void ListAppendToLastList(List* l) { Registry::append(l); }
void ListSetLastList(List* l) { lastlist = l; }

List* ListDef(const char* name, int length) {
  if (length < 0) length = 0;
  List* l = ListRequest(length);
  if (l == nullptr) {
    l = ListRequest(0);  // a parked empty record has no arrays to keep
    if (l == nullptr) l = Registry::allocate();
    allocateArrays(l, length);
  }
  Registry::enlist(l);
  l->length = length;
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

void ListDestroy(List* l) { Registry::destroy(l); }
void ListUndef(List* l) { Registry::undef(l); }
void ListUndefs(List* l) { Registry::undefs(l); }
void ListTmpUndef() { Registry::tmpUndef(); }
void ListFree(List* l) { Registry::free(l); }
void ListFrees(List* marker) { Registry::frees(marker); }
List* ListSetName(List* l, const char* name) { return Registry::setName(l, name); }
List* ListSetType(List* l, int type) { return Registry::setType(l, type); }

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

// ------------------------------------------------------ copy and assignment

List* ListCopy(List* dst, List* src) {
  if (dst->length != src->length) ListError2("ListCopy()", "Confliction of length", src, dst);
  copyElements(dst, src);
  return dst;
}

List* ListDup(List* l) {
  checkLive("ListDup()", l);
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

