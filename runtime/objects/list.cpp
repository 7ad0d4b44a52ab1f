#include "runtime/objects/list.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/core/memory.h"
#include "runtime/matrix/matrix.h"
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

void describe(std::string& body, const char* joint, const List* l) {
  if (l->name[0] != '\0')
    vorn_report::appendf(body, "%s\"%s (%d element(s))\"", joint, l->name, l->length);
  else
    vorn_report::appendf(body, "%s\"(%d element(s))\"", joint, l->length);
}

void allocateArrays(List* l, int length) {
  l->classes = nullptr;
  l->elements = nullptr;
  if (length == 0) return;
  l->classes = static_cast<int16_t*>(emalloc(sizeof(int16_t) * static_cast<size_t>(length)));
  l->elements = static_cast<ListSlot*>(emalloc(sizeof(ListSlot) * static_cast<size_t>(length)));
}

void releaseElements(List* l) {
  for (int i = 1; i <= l->length; i++) ListElementDestroy(l, i);
}

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

  garbage_table_max = vorn_registry::envLimit("POLYNOMIAL_TABLE_MAX", 0, 0);
  garbage_length_max = vorn_registry::envLimit("LIST_LENGTH_MAX", 1000, 1000);
  const size_t buckets = static_cast<size_t>(garbage_length_max) + 1;
  list_table = static_cast<List**>(emalloc(buckets * sizeof(List*)));
  list_table_count = static_cast<int*>(emalloc(buckets * sizeof(int)));
  std::memset(list_table, 0, buckets * sizeof(List*));
  std::memset(list_table_count, 0, buckets * sizeof(int));
  list_err_src = static_cast<char*>(emalloc(vorn_report::kSourceSize));
  list_err_src[0] = '\0';
}

int ListTableCount(int length) { return recyclable(length) ? list_table_count[length] : 0; }

int ListLiveCount() {
  int count = 0;
  for (List* l = toplist->next; l != nullptr; l = l->next) count++;
  return count;
}

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
  l->type = vorn_registry::kTemporary;
  vorn_registry::setName(l->name, name);
  for (int i = 0; i < length; i++) {
    l->classes[i] = LIST_UNDEF;
    l->elements[i].object = nullptr;
  }
  return l;
}

void ListElementDestroy(List* l, int i) {
  ListSlot& slot = l->elements[i - 1];
  switch (l->classes[i - 1]) {
    case LIST_STRING: vnStringUndef(static_cast<String*>(slot.object)); break;
    case LIST_COMPLEX: CompUndef(static_cast<Complex*>(slot.object)); break;
    case LIST_POLYNOMIAL: PolyUndef(static_cast<Polynomial*>(slot.object)); break;
    case LIST_RATIONAL: RatUndef(static_cast<Rational*>(slot.object)); break;
    case LIST_MATRIX:
    case LIST_ARRAY:
    case LIST_INDEX: MatUndef(static_cast<Matrix*>(slot.object)); break;
    // A nested List goes with the next release of List temporaries.
    case LIST_LIST: static_cast<List*>(slot.object)->type = vorn_registry::kTemporary; break;
    default: break;
  }
  slot.object = nullptr;
  l->classes[i - 1] = LIST_UNDEF;
}

void ListDestroy(List* l) {
  if (l->parked || !vorn_registry::unlink(lastlist, l))
    ListError("ListDestroy()", "Duplicate destroying", nullptr);
  releaseElements(l);
  if (l->length != 0) {
    efree(l->classes);
    efree(l->elements);
  }
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
  l->type = vorn_registry::kTemporary;
  ListInstall(l);
}

void ListUndefs(List* l) {
  if (l != nullptr) vorn_registry::releaseFrom(l, ListUndef);
}

void ListTmpUndef() { vorn_registry::releaseTemporaries(lastlist, ListUndef); }
void ListFree(List* l) { l->type = vorn_registry::kTemporary; }

void ListFrees(List* marker) {
  if (marker != nullptr) vorn_registry::freeLocalsFrom(marker);
}

List* ListSetName(List* l, const char* name) {
  vorn_registry::setName(l->name, name);
  return l;
}

List* ListSetType(List* l, int type) {
  l->type = static_cast<int16_t>(type);
  return l;
}

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
