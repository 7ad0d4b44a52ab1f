// Lists: recycling, elements and their component codes, deep access,
// growth, copies, assignment, multiple results, printing.
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using ListTest = VornTest;
using ListDeathTest = VornTest;

// A List report: the message is followed by a space before " in ".
std::string ListLine(const std::string& source, const std::string& message, const std::string& tag) {
  return ReportLine((source.empty() ? "" : source + " : ") + message + " ", tag);
}

int32_t intAt(List* l, int i) { return *static_cast<int32_t*>(ListGetElementP(l, i, LIST_INTEGER)); }
double realAt(List* l, int i) { return *static_cast<double*>(ListGetElementP(l, i, LIST_REAL)); }
Matrix* matAt(List* l, int i, int class_ = LIST_MATRIX) { return static_cast<Matrix*>(ListGetElementP(l, i, class_)); }
std::string textAt(List* l, int i) { return static_cast<String*>(ListGetElementP(l, i, LIST_STRING))->text; }
List* listAt(List* l, int i) { return static_cast<List*>(ListGetElementP(l, i, LIST_LIST)); }
// Element i of any class (260 matches every defined class).
template <class T>
T* at(List* l, int i) {
  return static_cast<T*>(ListGetElementP(l, i, LIST_UNDEF));
}

// x^2 + 2 in the variable "x".
Polynomial* Quadratic() { return PolyOf(MAT_REAL, {2, 0, 1}, "x"); }

// Nested lists go at the release of List temporaries after their holder's;
// release until no List temporary is left.
void ReleaseAllTemporaries() {
  for (int k = 0; k < 4; k++) MatObjectTmpUndef();
}

TEST_F(ListTest, RecyclingByLength) {
  List* l = ListDef("a", 3);
  int16_t* classes = l->classes;
  ListSlot* elements = l->elements;
  ListSetElement(l, 2, LIST_INTEGER, 5);
  const int parked = ListTableCount(3);
  ListUndef(l);
  EXPECT_EQ(ListTableCount(3), parked + 1);
  List* again = ListDef("b", 3);  // the same record, arrays and all, emptied
  EXPECT_TRUE(again == l && again->classes == classes && again->elements == elements);
  for (int i = 1; i <= 3; i++) EXPECT_EQ(ListGetClass(again, i), LIST_UNDEF);
  ListUndef(again);

  // An empty record serves any length; long lists are destroyed.
  while (ListTableCount(7) > 0) ListDestroy(ListSetType(ListDef("", 7), 0));
  List* empty = ListDef("", 0);
  ASSERT_EQ(empty->classes, nullptr);
  ListUndef(empty);
  List* seven = ListDef("", 7);
  EXPECT_TRUE(seven == empty && seven->classes != nullptr);
  ListUndef(seven);
  const int live = ListLiveCount();
  ListUndef(ListDef("", 1001));  // past LIST_LENGTH_MAX (default 1000)
  EXPECT_TRUE(ListLiveCount() == live && ListTableCount(1001) == 0);
}

TEST_F(ListTest, ReleaseFreesElementObjectsAndDefersNestedLists) {
  const LiveCounts before = CurrentLiveCounts();
  List* l = ListElementsDef(4, LIST_STRING, vnStringStringDef("w"), LIST_MATRIX, Row({1, 2}), LIST_POLYNOMIAL,
                            Quadratic(), LIST_LIST, ListDef("", 1));
  ListSetType(l, 1);
  MatObjectTmpUndef();  // the originals go; the copies stay with l
  List* copy = listAt(l, 4);
  ListUndef(l);
  EXPECT_EQ(copy->type, 0);  // released with the next release of temporaries
  ListTmpUndef();
  EXPECT_EQ(CurrentLiveCounts(), before);
}

// Each stored object is a copy carrying its kind's component code; the
// originals stay the caller's.
TEST_F(ListTest, StoresCopiesWithComponentCodes) {
  String* s = vnStringStringDef("em");
  Complex* z = CompDef("z", 1.0, -2.0);
  Polynomial* p = Quadratic();
  Rational* r = RatDef("", 1, 2);
  Matrix* m = Row({1, 2, 3});
  List* inner = ListElementsDef(1, LIST_INTEGER, 9);
  List* l = ListElementsDef(7, LIST_STRING, s, LIST_COMPLEX, z, LIST_POLYNOMIAL, p, LIST_RATIONAL, r, LIST_MATRIX, m,
                            LIST_ARRAY, m, LIST_LIST, inner);
  ListSetElement(ListReDef(l, 8), 8, LIST_BUILTIN_FUNC, nullptr);
  const void* originals[] = {s, z, p, r, m, m, inner};
  for (int i = 1; i <= 7; i++) EXPECT_NE(ListGetElementP(l, i, LIST_UNDEF), originals[i - 1]) << i;
  const std::vector<int> codes{at<String>(l, 1)->type,   at<Complex>(l, 2)->type, at<Polynomial>(l, 3)->type,
                               at<Rational>(l, 4)->type, at<Matrix>(l, 5)->type,  at<Matrix>(l, 6)->type,
                               at<List>(l, 7)->type};
  EXPECT_EQ(codes, (std::vector<int>{2, 2, 4, 3, 3, 3, 3}));
  EXPECT_TRUE(at<Complex>(l, 2)->im == -2.0 && std::string(at<Polynomial>(l, 3)->variable) == "x");
  EXPECT_EQ(ListGetClass(l, 8), LIST_BUILTIN_FUNC);
  EXPECT_EQ(m->type, 0);
  ReleaseAllTemporaries();
}

// Stored into itself or its own place, a value is taken as it was.
TEST_F(ListTest, StoringFromItself) {
  List* l = ListElementsDef(2, LIST_INTEGER, 1, LIST_INTEGER, 7);
  ListSetElement(l, 2, LIST_LIST, l);
  List* inner = listAt(l, 2);
  ASSERT_TRUE(inner != l && inner->length == 2);
  EXPECT_EQ(intAt(inner, 2), 7);
  ListAppendElement(l, LIST_LIST, l);
  ASSERT_EQ(l->length, 3);
  EXPECT_EQ(listAt(l, 3)->length, 2);

  List* k = ListElementsDef(2, LIST_STRING, vnStringStringDef("keep"), LIST_MATRIX, Row({4, 5}));
  ListSetElement(k, 1, LIST_STRING, ListGetElementP(k, 1, LIST_STRING));
  ListSetObject(k, 2, LIST_MATRIX, &k->elements[1]);
  EXPECT_EQ(textAt(k, 1), "keep");
  EXPECT_EQ(valuesOf(matAt(k, 2)), (V{4, 5}));
  ListSetElementP(k, 2, LIST_INDEX, matAt(k, 2));  // hand over itself
  EXPECT_EQ(valuesOf(matAt(k, 2, LIST_INDEX)), (V{4, 5}));
  ReleaseAllTemporaries();
}

TEST_F(ListTest, SetElementPTakesTheObjectOver) {
  Matrix* m = Row({1});
  Polynomial* p = Quadratic();
  List* l = ListSetType(ListDef("", 2), 1);
  ListSetElementP(l, 1, LIST_MATRIX, m);
  ListSetElementP(l, 2, LIST_POLYNOMIAL, p);
  EXPECT_TRUE(matAt(l, 1) == m && m->type == 3 && p->type == 4);
  MatObjectTmpUndef();  // neither is a temporary any more
  EXPECT_FALSE(m->parked || p->parked);
  ListUndef(l);  // and they go with their List
  EXPECT_TRUE(m->parked && p->parked);
}

TEST_F(ListTest, ReadingCopiesObjectsAndPointsAtNumbers) {
  List* l = ListElementsDef(3, LIST_MATRIX, Row({1, 2}), LIST_REAL, 0.5, LIST_STRING, vnStringStringDef("s"));
  Matrix* stored = matAt(l, 1);
  Matrix* copy = static_cast<Matrix*>(ListGetElement(l, 1, LIST_MATRIX));
  EXPECT_TRUE(copy != stored && copy->type == 0);
  EXPECT_EQ(valuesOf(copy), (V{1, 2}));
  EXPECT_EQ(ListGetElement(l, 2, LIST_REAL), &l->elements[1].real);
  for (int c : {LIST_ARRAY, LIST_INDEX, LIST_UNDEF}) EXPECT_EQ(ListGetElementP(l, 1, c), stored) << c;
  String* s = static_cast<String*>(ListGetElement(l, 3, LIST_UNDEF));  // 260: any class
  EXPECT_TRUE(std::string(s->text) == "s" && s->type == 0);
  List* o = ListObjectsDef(2, LIST_REAL, &l->elements[1], LIST_MATRIX, &l->elements[0]);
  EXPECT_EQ(realAt(o, 1), 0.5);
  EXPECT_NE(matAt(o, 2), stored);
  EXPECT_EQ(valuesOf(matAt(o, 2)), (V{1, 2}));
}

// The unpacking of a multiple-value result reads its List, named
// "LIST_TEMP", through these same checks.
TEST_F(ListDeathTest, AccessFailuresNameTheElementAndClass) {
  List* l = ListElementsDef(2, LIST_MATRIX, Row({1}), LIST_INTEGER, 1);
  List* w = ListSetName(ListElementsDef(2, LIST_MATRIX, Row({1}), LIST_INTEGER, 1), "LIST_TEMP");
  List* u = ListDef("", 1);  // an undefined element matches no class, not even 260
  List* x = ListDef("x", 2);
  List* parked = ListDef("", 2);
  ListUndef(parked);
  int32_t n = 0;
  const std::string range = "Index is out of range", mismatch = "Mismatched element class";
  const std::string conflict = "Confliction of length in \"B (3 element(s))\" and \"(2 element(s))\"";
  ExpectFatal({
      {[&] { ListGetElementP(l, 1, LIST_STRING); }, ListLine("{...}(1, String)", mismatch, "ListGetElementP()")},
      {[&] { ListGetElementP(l, 3, LIST_MATRIX); }, ListLine("{...}(3, Matrix)", range, "ListGetElementP()")},
      {[&] { ListGetElementP(u, 1, LIST_UNDEF); }, ListLine("{...}(1, Undefined)", mismatch, "ListGetElementP()")},
      {[&] { ListGetElement(w, 0, LIST_REAL); }, ListLine("LIST_TEMP(0, Real)", range, "ListGetElement()")},
      {[&] { ListGetObject(w, 3); }, ListLine("LIST_TEMP(3)", range, "ListGetObject()")},
      {[&] { ListGetClass(w, 3); }, ListLine("typeof(LIST_TEMP, 3)", range, "ListGetClass()")},
      {[&] { ListSetElement(x, 3, LIST_INTEGER, 1); }, ListLine("x(3) = \"\"", range, "ListSetElement()")},
      {[&] { ListSetObject(x, 0, LIST_REAL, &x->elements[0]); }, ListLine("x(0) = \"\"", range, "ListSetObject()")},
      {[&] { ListGetAndAssignElement(x, 3, LIST_INTEGER, &n, LIST_INTEGER, &n, LIST_INTEGER, &n); },
       ListLine("x(3) = \"\"", range, "ListGetAndAssignElement()")},
      {[] { ListElementsDef(2, LIST_INTEGER, 1, 11, nullptr); }, ListLine("", "Incorrect class", "ListElementsDef()")},
      {[&] { ListUndef(parked); }, ListLine("", "Duplicate undefining", "ListUndef()")},
      {[&] { ListDestroy(parked); }, ListLine("", "Duplicate destroying", "ListDestroy()")},
      {[] { ListCopy(ListDef("", 2), ListDef("B", 3)); }, conflict, "ListCopy()"},
      {[] { ListSwap(ListDef("", 2), ListDef("B", 3)); }, conflict, "ListSwap()"},
  });
}

TEST_F(ListTest, ClassesNamesAndClassMasks) {
  List* l = ListElementsDef(4, LIST_INTEGER, 1, LIST_REAL, 1.0, LIST_MATRIX, Row({1}), LIST_INTEGER, 2);
  List* classes = ListGetClasses(l);
  ASSERT_EQ(classes->length, 4);
  for (int i = 1; i <= 4; i++) EXPECT_EQ(intAt(classes, i), (std::vector<int>{2, 3, 7, 2})[i - 1]);
  EXPECT_EQ(valuesOf(ListIsClass(l, LIST_INTEGER)), (V{1, 0, 0, 1}));
  ExpectShape(ListIsClass(ListDef("", 0), LIST_REAL), 1, 0, MAT_REAL);
  // Codes between and past the named ones have no name of their own.
  const std::pair<int, const char*> names[] = {{10, "List"}, {275, "void Func"}, {0, "Undefined"}, {11, "Undefined"}};
  for (const auto& n : names) EXPECT_STREQ(ListClassName(n.first), n.second) << n.first;
}

// {1, {2.5, {"deep"}}}
List* Nested() {
  List* innermost = ListElementsDef(1, LIST_STRING, vnStringStringDef("deep"));
  List* middle = ListElementsDef(2, LIST_REAL, 2.5, LIST_LIST, innermost);
  return ListElementsDef(2, LIST_INTEGER, 1, LIST_LIST, middle);
}

TEST_F(ListTest, DeepAccessFollowsThePathInBothForms) {
  List* l = Nested();
  const int toString[] = {2, 2, 1};
  List* middle = listAt(l, 2);
  EXPECT_TRUE(ListGetDeepListP(l, 2, 2, 1) == middle && ListGetDeepListP(l, 1, 2) == l);
  EXPECT_EQ(ListGetDeepListP2(l, 3, toString), listAt(middle, 2));
  EXPECT_TRUE(ListGetDeepLength(l, 2, 2, 2) == 1 && ListGetDeepLength2(l, 3, toString) == 0);  // a String: 0
  EXPECT_TRUE(ListGetDeepClass(l, 2, 2, 1) == LIST_REAL && ListGetDeepClass2(l, 3, toString) == LIST_STRING);
  EXPECT_EQ(*static_cast<double*>(ListGetDeepElementP(l, 2, 2, 1, LIST_REAL)), 2.5);
  String* deep = static_cast<String*>(ListGetDeepElementP2(l, 3, toString, LIST_STRING));
  EXPECT_STREQ(deep->text, "deep");
  String* copy = static_cast<String*>(ListGetDeepElement(l, 3, 2, 2, 1, LIST_STRING));
  EXPECT_TRUE(copy != deep && std::string(copy->text) == "deep");
  EXPECT_NE(ListGetDeepElement2(l, 3, toString, LIST_STRING), deep);

  ListSetDeepElement(l, 2, 2, 1, LIST_INTEGER, 8);
  EXPECT_EQ(*static_cast<int32_t*>(ListGetDeepElementP(l, 2, 2, 1, LIST_INTEGER)), 8);
  ListSetDeepElement2(l, 3, toString, LIST_REAL, -4.0);
  EXPECT_EQ(*static_cast<double*>(ListGetDeepElementP2(l, 3, toString, LIST_REAL)), -4.0);
  ListSlot slot;
  slot.object = vnStringStringDef("new");
  ListSetDeepObject(l, 3, 2, 2, 1, LIST_STRING, &slot);
  EXPECT_STREQ(static_cast<String*>(ListGetDeepElementP2(l, 3, toString, LIST_STRING))->text, "new");
  slot.integer = 3;
  ListSetDeepObject2(l, 1, toString, LIST_INTEGER, &slot);  // path {2}: replaces the middle List
  EXPECT_EQ(ListGetClass(l, 2), LIST_INTEGER);
  ReleaseAllTemporaries();
}

TEST_F(ListDeathTest, DeepAccessFailures) {
  List* l = Nested();
  const int zero[] = {2, 0}, throughNumber[] = {1, 1}, pastEnd[] = {3, 1};
  auto line = [](const std::string& message, const char* tag) {
    return ReportLine(message + " in \"(2 element(s))\"", tag);
  };
  ListSlot slot;
  slot.integer = 1;
  ExpectFatal({
      {[&] { ListGetDeepClass(l, 0); }, line("Depth must be positive", "ListGetDeepClass()")},
      {[&] { ListGetDeepListP2(l, 2, zero); }, line("Length must be > 0", "ListGetDeepListP2()")},
      {[&] { ListGetDeepElementP2(l, 2, throughNumber, LIST_UNDEF); },
       line("Mismatched element", "ListGetDeepElementP2()")},
      {[&] { ListGetDeepLength2(l, 2, pastEnd); }, Literal("Mismatched element")},
      {[&] { ListSetDeepObject(l, 2, 2, -1, LIST_INTEGER, &slot); },
       line("Length must be > 0", "ListSetDeepObjcect()")},
      {[&] { ListSetDeepObject(l, 2, 1, 1, LIST_INTEGER, &slot); }, line("Mismatched element", "ListSetDeepObject()")},
      // The last index is checked by the operation applied in the List reached.
      {[&] { ListGetDeepElementP(l, 2, 2, 3, LIST_REAL); },
       ListLine("{...}(3, Real)", "Index is out of range", "ListGetElementP()")},
      {[&] { ListSetDeepElement(l, 2, 2, 3, LIST_REAL, 1.0); },
       ListLine("(3) = \"\"", "Index is out of range", "ListSetElement()")},
  });
  ReleaseAllTemporaries();
}

TEST_F(ListTest, AppendAndReDefKeepLeadingElements) {
  List* l = ListDef("", 0);
  ListAppendElement(l, LIST_REAL, 1.5);
  ListAppendElement(l, LIST_STRING, vnStringStringDef("b"));
  ListAppendObject(l, LIST_REAL, &l->elements[0]);  // a slot of l itself
  ASSERT_EQ(l->length, 3);
  EXPECT_TRUE(realAt(l, 3) == 1.5 && textAt(l, 2) == "b");
  ListReDef(l, 5);
  EXPECT_TRUE(ListGetClass(l, 5) == LIST_UNDEF && realAt(l, 1) == 1.5);
  const int strings = vnStringLiveCount();
  ListSetLength(l, 1);  // the String cut off is released
  EXPECT_TRUE(l->length == 1 && vnStringLiveCount() == strings - 1);
  ListReDef(l, 0);
  EXPECT_EQ(l->classes, nullptr);
}

TEST_F(ListTest, CopiesAreDeep) {
  List* src =
      ListElementsDef(3, LIST_MATRIX, Row({1, 2}), LIST_LIST, ListElementsDef(1, LIST_INTEGER, 4), LIST_INTEGER, 6);
  List* dup = ListDup(src);
  List* dst = ListElementsDef(3, LIST_STRING, vnStringStringDef("old"), LIST_REAL, 0.0, LIST_REAL, 0.0);
  ListCopy(dst, src);
  for (List* copy : {dup, dst}) {
    for (int i = 1; i <= 3; i++) EXPECT_EQ(ListGetClass(copy, i), ListGetClass(src, i));
    EXPECT_TRUE(matAt(copy, 1) != matAt(src, 1) && listAt(copy, 2) != listAt(src, 2));
    EXPECT_EQ(intAt(listAt(copy, 2), 1), 4);
    EXPECT_EQ(valuesOf(matAt(copy, 1)), (V{1, 2}));
  }
  ReleaseAllTemporaries();
}

TEST_F(ListTest, AssignTakesOverTemporariesAndCopiesOthers) {
  List* var = ListSetType(ListDef("v", 1), 1);
  List* tmp = ListElementsDef(2, LIST_MATRIX, Row({5}), LIST_REAL, 1.0);
  Matrix* matrix = matAt(tmp, 1);
  const int parked = ListTableCount(1);
  ListAssign(var, tmp);
  EXPECT_TRUE(var->type == 1 && std::string(var->name) == "v");
  EXPECT_EQ(matAt(var, 1), matrix);  // taken over, not copied
  EXPECT_EQ(ListTableCount(1), parked + 1);  // tmp went with the temporaries
  List* other = ListSetType(ListElementsDef(1, LIST_INTEGER, 3), 4);
  ListAssign(var, other);
  EXPECT_TRUE(var->type == 1 && intAt(var, 1) == 3 && other->type == 4);
  Matrix* pending = Row({1});
  ListAssign(var, var);  // self-assignment releases nothing
  EXPECT_FALSE(pending->parked);
  ListSetType(var, 0), ListSetType(other, 0);
  ReleaseAllTemporaries();
}

// A routine in the compiled style: scope markers, a local, and one result
// List, released with the caller's statement (as getss returns).
List* statsOf(Matrix* data) {
  Matrix* matMark = MatSetType(MatDef("", 0, 0), 1);
  List* listMark = ListSetType(ListDef("", 0), 1);
  Matrix* sums = MatSetType(MatDef("sums", 0, 0), 1);
  MatAssign(sums, MatScale(data, 2.0));
  List* result = ListElementsDef(2, LIST_MATRIX, sums, LIST_REAL, MatSumElem(data));
  MatFrees(matMark), ListFrees(listMark);
  return result;
}

TEST_F(ListTest, MultipleValuesAreUnpackedByPosition) {
  MatObjectControl(1);
  Matrix* ss = MatSetType(MatDef("ssret", 0, 0), 1);
  double ll = 0.0;
  List* temp = ListSetType(ListDef("", 0), 1);
  Matrix* data = MatSetType(Row({1, 2, 3}), 1);
  LiveCounts steady{};
  List* record = nullptr;
  for (int call = 0; call < 50; call++) {
    List* result = statsOf(data);
    ListAssign(temp, result);
    ListSetName(temp, "LIST_TEMP");
    MatAssign(ss, matAt(temp, 1));
    ll = realAt(temp, 2);
    MatObjectTmpUndef();
    if (call == 0) continue;  // temp held no elements before
    if (call == 1) steady = CurrentLiveCounts(), record = result;
    // Nothing accumulates, and the result List is the same parked record
    // every time (its arrays alternate with those of temp).
    EXPECT_EQ(CurrentLiveCounts(), steady) << call;
    EXPECT_TRUE(result == record && result->parked) << call;
  }
  EXPECT_EQ(valuesOf(ss), (V{2, 4, 6}));
  EXPECT_TRUE(ll == 6.0 && std::string(temp->name) == "LIST_TEMP");
  MatObjectControl(0);
}

TEST_F(ListTest, GetAndAssignElementUnpacksATemporaryList) {
  Matrix* m = MatSetType(MatDef("m", 0, 0), 1);
  String* s = vnStringSetType(vnStringDef("s", -1), 1);
  Polynomial* p = PolySetType(PolyDef("p", -1, nullptr), 1);
  int32_t n = 0;
  double x = 0.0;
  List* result = ListElementsDef(5, LIST_MATRIX, Row({7, 8}), LIST_STRING, vnStringStringDef("w"), LIST_INTEGER, 11,
                                 LIST_REAL, 0.25, LIST_POLYNOMIAL, Quadratic());
  ListGetAndAssignElement(result, 5, LIST_ARRAY, m, LIST_STRING, s, LIST_INTEGER, &n, LIST_REAL, &x, LIST_POLYNOMIAL,
                          p);
  EXPECT_EQ(valuesOf(m), (V{7, 8}));
  EXPECT_TRUE(std::string(s->text) == "w" && n == 11 && x == 0.25 && p->degree == 2 && p->type == 1);
  EXPECT_TRUE(result->type == 0 && !result->parked);  // still the caller's temporary
  MatSetType(m, 0);
  vnStringSetType(s, 0);
  PolySetType(p, 0);
}

TEST_F(ListTest, PrintWritesEveryElementForm) {
  List* inner = ListElementsDef(1, LIST_INTEGER, 1);
  ListReDef(inner, 2);
  List* l = ListSetName(
      ListElementsDef(10, LIST_STRING, vnStringStringDef("em"), LIST_INTEGER, -3, LIST_REAL, 1e20, LIST_COMPLEX,
                      CompDef("", 1.0, -get_infinity()), LIST_POLYNOMIAL, Quadratic(), LIST_RATIONAL, RatDef("", 0, 0),
                      LIST_MATRIX, Row({1}), LIST_ARRAY, Row({1}), LIST_INDEX, Row({1}), LIST_LIST, inner),
      "L");
  ListReDef(l, 11);
  EXPECT_EQ(StdoutOf([&] { ListPrint(l); }),
            "L = {\"em\", -3, 1E+20, (1,-Inf), POLYNOMIAL, RATIONAL, MATRIX, ARRAY, INDEX, {1, UNDEF}, UNDEF}\n");
  EXPECT_EQ(StdoutOf([] { ListPrint(ListElementsDef(1, LIST_REAL, 0.5)); }), "ans = {0.5}\n");
  EXPECT_EQ(StdoutOf([] { ListPrint(ListDef("", 0)); }), "ans = {}\n");
  EXPECT_EQ(StdoutOf([&] { ListElementPrint(l, 3); }), "1E+20");
  EXPECT_EQ(StderrOf([] {
              EXPECT_TRUE(!datafile_read_open("/nonexistent/dir/f") && !datafile_write_open("/nonexistent/dir/f"));
            }),
            "Can't open /nonexistent/dir/f for \"read\"\nCan't open /nonexistent/dir/f for \"write\"\n");
  ReleaseAllTemporaries();
}

}  // namespace
