// List printing and the List kind's reports.
#include "runtime/objects/list.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "runtime/objects/list_internal.h"

using namespace vorn_list;

namespace {

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

struct ListReport {
  // A List report puts a space after the message and quotes its operands.
  static constexpr const char* kAfterMessage = " ";
  static constexpr const char* kLogFailure = "Can't open logfile\n";
  static char* source() { return list_err_src; }
  static void describe(std::string& body, bool second, const List* l) {
    const char* joint = second ? " and " : "in ";
    if (l->name[0] != '\0')
      vorn_report::appendf(body, "%s\"%s (%d element(s))\"", joint, l->name, l->length);
    else
      vorn_report::appendf(body, "%s\"(%d element(s))\"", joint, l->length);
  }
  static void saveOperand(List*) {}  // Lists are not written to the log
};

}  // namespace

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


// ----------------------------------------------------------------- reports

void ListErrorWarning(const char* tag, const char* message, List* l1, List* l2, int is_error) {
  vorn_report::errorWarning<ListReport>(tag, message, l1, l2, is_error);
}
void ListError(const char* tag, const char* message, List* l) {
  vorn_report::fatal<ListReport>(tag, message, l, static_cast<List*>(nullptr));
}
void ListError2(const char* tag, const char* message, List* l1, List* l2) {
  vorn_report::fatal<ListReport>(tag, message, l1, l2);
}
void ListWarning(const char* tag, const char* message, List* l) {
  ListErrorWarning(tag, message, l, nullptr, 0);
}
void ListWarning2(const char* tag, const char* message, List* l1, List* l2) {
  ListErrorWarning(tag, message, l1, l2, 0);
}
