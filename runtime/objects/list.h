// List objects: registry, reports, element access, copy and assignment,
// and the multiple-value protocol (a routine returns one List; the caller
// reads its elements by position with ListGetElementP).
#pragma once

#include <cstdint>
#include <cstdio>

struct Matrix;

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
  LIST_VOID_FUNC = 275,
  LIST_BUILTIN_FUNC = 330,
  LIST_BUILTIN_PROC = 331,
  LIST_DYNAMIC_FUNC = 334,
  LIST_DYNAMIC_PROC = 335,
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
  int16_t* classes;     // null when length is 0
  ListSlot* elements;   // null when length is 0
  List* prev;
  List* next;
  bool parked;
};

extern List* toplist;
extern List* lastlist;
extern char* list_err_src;

// Registry.
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

// Construction. All results are unnamed temporaries unless stated.
List* ListSameDef(List* l);
// Gives l arrays of n slots, keeping the first min(length, n) elements;
// the rest are undefined (elements cut off by a shrink are released).
List* ListReDef(List* l, int n);
// (n, class1, value1, ...): a class-3 value is a double, a class-2 value
// an int, any other an object pointer; the objects stay the caller's.
List* ListElementsDef(int n, ...);
// (n, class1, slot1, ...): each value read from a ListSlot*.
List* ListObjectsDef(int n, ...);
// Resizes l as ListReDef does, so the arrays always match the length.
List* ListSetLength(List* l, int n);
// Retags element i. Matrix, Array and Index share storage and are retagged
// in place; any other change releases the old element first.
List* ListSetClass(List* l, int i, int class_);

// Element access (1-based).
// Stores a copy of the value (an int for class 2, a double for class 3, an
// object pointer otherwise); for a class outside 1..10 only the class.
List* ListSetElement(List* l, int i, int class_, ...);
// Stores the object itself; the List takes it over.
List* ListSetElementP(List* l, int i, int class_, ...);
List* ListSetObject(List* l, int i, int class_, const ListSlot* slot);
// A copy of element i (a new temporary), or the address of the stored
// int32_t / double for classes 2 and 3.
void* ListGetElement(List* l, int i, int class_);
// Element i itself, or the address of the stored int32_t / double.
void* ListGetElementP(List* l, int i, int class_);
// A new slot (free it with efree) holding a copy of element i.
ListSlot* ListGetObject(List* l, int i);
// (l, n, class1, target1, ...): assigns elements 1..n to the targets; an
// int32_t* or double* target for classes 2 and 3.
List* ListGetAndAssignElement(List* l, int n, ...);
int ListGetClass(List* l, int i);
List* ListGetClasses(List* l);
const char* ListClassName(int class_);
Matrix* ListIsClass(List* l, int class_);
Matrix* ListIsNotClass(List* l, int class_);

// Deep access by an index path (i1, ..., i_depth): the first depth-1
// indices name nested Lists; the last one is applied in the List reached.
// The argument-list forms take the path as ints; the "2" forms an array.
List* ListGetDeepListP(List* l, int depth, ...);
List* ListGetDeepListP2(List* l, int depth, const int* path);
int ListGetDeepLength(List* l, int depth, ...);
int ListGetDeepLength2(List* l, int depth, const int* path);
int ListGetDeepClass(List* l, int depth, ...);
int ListGetDeepClass2(List* l, int depth, const int* path);
void* ListGetDeepElement(List* l, int depth, ...);          // path, class
void* ListGetDeepElement2(List* l, int depth, const int* path, int class_);
void* ListGetDeepElementP(List* l, int depth, ...);         // path, class
void* ListGetDeepElementP2(List* l, int depth, const int* path, int class_);
List* ListSetDeepElement(List* l, int depth, ...);          // path, class, value
List* ListSetDeepElement2(List* l, int depth, const int* path, int class_, ...);
List* ListSetDeepObject(List* l, int depth, ...);           // path, class, slot
List* ListSetDeepObject2(List* l, int depth, const int* path, int class_, const ListSlot* slot);

// Grow by one and set the new last element (a copy).
List* ListAppendObject(List* l, int class_, const ListSlot* slot);
List* ListAppendElement(List* l, int class_, ...);

// Copy and assignment.
List* ListCopy(List* dst, List* src);
List* ListDup(List* l);
List* ListElementChange(List* a, List* b);
List* ListElementCopy(List* dst, List* src);
List* ListMove(List* dst, List* src);
List* ListAssign(List* dst, List* src);
List* ListSwap(List* a, List* b);

// Output on standard output.
List* ListPrint(List* l);
void ListAllPrint();
void ListElementPrint(List* l, int i);

void ListErrorWarning(const char* tag, const char* message, List* l1, List* l2, int is_error);
[[noreturn]] void ListError(const char* tag, const char* message, List* l);
[[noreturn]] void ListError2(const char* tag, const char* message, List* l1, List* l2);
void ListWarning(const char* tag, const char* message, List* l);
void ListWarning2(const char* tag, const char* message, List* l1, List* l2);
