// List objects: registry, reports, element access and multiple results.
#pragma once

#include <cstdint>

// Element class codes.
enum : int {
  LIST_STRING = 1,
  LIST_INTEGER = 2,
  LIST_REAL = 3,
  LIST_COMPLEX = 4,
  LIST_POLYNOMIAL = 5,
  LIST_RATIONAL = 6,
  LIST_MATRIX = 7,
  LIST_ARRAY = 8,
  LIST_INDEX = 9,
  LIST_LIST = 10,
  LIST_UNDEF = 260,
};

// One element slot: an object reference, an integer or a double.
union ListSlot {
  void* object;
  int32_t integer;
  double real;
};
static_assert(sizeof(ListSlot) == 8, "a List slot is 8 bytes");

struct List {
  char* name;
  int16_t type;
  int length;
  int16_t* classes;
  ListSlot* elements;
  List* prev;
  List* next;
  bool parked;
};

extern List* toplist;
extern List* lastlist;
extern char* list_err_src;

void ListInit();
List* ListDef(const char* name, int length);
void ListAppendToLastList(List* l);
void ListSetLastList(List* l);
List* ListRequest(int length);
void ListInstall(List* l);
void ListUndef(List* l);
// Releases element i's object (a nested List becomes a temporary); the
// element becomes undefined.
void ListElementDestroy(List* l, int i);
void ListDestroy(List* l);
void ListUndefs(List* l);
void ListTmpUndef();
void ListFree(List* l);
void ListFrees(List* marker);
List* ListSetName(List* l, const char* name);
List* ListSetType(List* l, int type);
int ListTableCount(int length);
int ListLiveCount();

void ListErrorWarning(const char* tag, const char* message, List* l1, List* l2, int is_error);
[[noreturn]] void ListError(const char* tag, const char* message, List* l);
[[noreturn]] void ListError2(const char* tag, const char* message, List* l1, List* l2);
void ListWarning(const char* tag, const char* message, List* l);
void ListWarning2(const char* tag, const char* message, List* l1, List* l2);

// Element access (1-based).
List* ListSetElement(List* l, int i, int class_, ...);
void* ListGetElementP(List* l, int i, int class_);
