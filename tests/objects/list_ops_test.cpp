// Whole-List operations: construction, cuts and puts, sub-elements (also
// through nested Lists), comparison, the menu and formatted input.
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;
using ListOpsTest = VornTest;
using ListOpsFileTest = VornFileTest;
using ListOpsDeathTest = VornTest;

std::string ListLine(const std::string& source, const std::string& message, const std::string& tag) {
  return ReportLine((source.empty() ? "" : source + " : ") + message + " ", tag);
}

// The elements as ListPrint shows them, without the name.
std::string Shown(List* l) {
  const std::string out = StdoutOf([&] { ListPrint(l); });
  return out.substr(out.find('{'), out.size() - out.find('{') - 1);
}

List* Ints(std::initializer_list<int> values) {
  List* l = ListDef("", 0);
  for (int v : values) ListAppendElement(l, LIST_INTEGER, v);
  return l;
}

// {{1, 2, 3}, {4, 5, 6}}
List* Nested() {
  List* l = ListDef("n", 2);
  ListSetElement(l, 1, LIST_LIST, Ints({1, 2, 3}));
  ListSetElement(l, 2, LIST_LIST, Ints({4, 5, 6}));
  return l;
}

void ReleaseAllTemporaries() {
  for (int k = 0; k < 4; k++) MatObjectTmpUndef();
}

struct ShapeCase {
  const char* what;
  std::function<List*()> make;
  const char* shown;
};

TEST_F(ListOpsTest, BuildsCutsAndRepeats) {
  const std::vector<ShapeCase> cases = {
      {"make 2 3 2", [] { return ListMakeList(2, 3, 2); }, "{{0, 0}, {0, 0}, {0, 0}}"},
      {"make empty top", [] { return ListMakeList(2, 0, 5); }, "{}"},
      {"make from array", [] { const int n[] = {1, 1, 2}; return ListMakeList2(3, n); }, "{{{0, 0}}}"},
      {"cat", [] { return ListCat(Ints({1}), Ints({2, 3})); }, "{1, 2, 3}"},
      {"insert first", [] { return ListInsert(Ints({1, 2}), 1, Ints({8, 9})); }, "{8, 9, 1, 2}"},
      {"insert last", [] { return ListInsert(Ints({1, 2}), 2, Ints({8})); }, "{1, 8, 2}"},
      {"cut", [] { return ListCut(Ints({1, 2, 3, 4}), 2, 3); }, "{2, 3}"},
      {"put", [] { return ListPut(Ints({1, 2, 3, 4}), 3, Ints({8, 9})); }, "{1, 2, 8, 9}"},
      {"put into itself", [] { List* l = Ints({1, 2, 3}); return ListPut(l, 1, l); }, "{1, 2, 3}"},
      {"mul", [] { return ListMul(Ints({1, 2}), 2); }, "{1, 2, 1, 2}"},
      {"mul by 0", [] { return ListMul(Ints({1, 2}), 0); }, "{}"},
  };
  for (const ShapeCase& c : cases) EXPECT_EQ(Shown(c.make()), c.shown) << c.what;
  List* deep = ListMakeList(2, 3, 2);  // copies, not one shared List
  EXPECT_NE(ListGetElementP(deep, 1, LIST_LIST), ListGetElementP(deep, 2, LIST_LIST));
  ReleaseAllTemporaries();
}

TEST_F(ListOpsTest, SubElementsByIndexAndSeries) {
  List* l = Ints({1, 2, 3, 4, 5});
  const std::vector<ShapeCase> cases = {
      {"1:5:2", [&] { return ListGetSubElements2(l, 1, 5, 2); }, "{1, 3, 5}"},
      {"5:1:-2", [&] { return ListGetSubElements2(l, 5, 1, -2); }, "{5, 3, 1}"},
      {"2:4:0 is a cut", [&] { return ListGetSubElements2(l, 2, 4, 0); }, "{2, 3, 4}"},
      {"4:2:1 is empty", [&] { return ListGetSubElements2(l, 4, 2, 1); }, "{}"},
      {"halves to even", [&] { return ListGetSubElements(l, Row({2.5, 3.5, 0.6})); }, "{2, 4, 1}"},
      {"no index", [&] { return ListGetSubElements(l, MatDef("", 0, 3)); }, "{}"},
      {"set by index", [&] { return ListSetSubElements(ListDup(l), Real("", 2, 1, {5, 1}), Ints({8, 9})); },
       "{9, 2, 3, 4, 8}"},
      {"set by series", [&] { return ListSetSubElements2(ListDup(l), 5, 1, -2, Ints({7, 8, 9})); }, "{9, 2, 8, 4, 7}"},
      {"set from itself",
       [&] { List* d = ListDup(l); return ListSetSubElements(d, Row({5, 4, 3, 2, 1}), d); },
       "{5, 4, 3, 2, 1}"},
  };
  for (const ShapeCase& c : cases) EXPECT_EQ(Shown(c.make()), c.shown) << c.what;
  ReleaseAllTemporaries();
}

TEST_F(ListOpsTest, DeepSubElements) {
  List* n = Nested();
  const std::vector<ShapeCase> cases = {
      {"one, then range", [&] { return ListGetDeepSubElement(n, 2, LIST_SUB_INDEX, 2, LIST_SUB_RANGE, 1, 3, 2); },
       "{4, 6}"},
      {"several, single each", [&] { return ListGetDeepSubElement(n, 2, LIST_SUB_RANGE, 1, 2, 1, LIST_SUB_INDEX, 3); },
       "{3, 6}"},
      {"several, Lists each",
       [&] { return ListGetDeepSubElement(n, 2, LIST_SUB_MATRIX, Row({2, 1}), LIST_SUB_RANGE, 1, 2, 1); },
       "{{4, 5}, {1, 2}}"},
      {"matrix form",
       [&] { Matrix* ix[] = {Row({1}), Row({3, 1})}; return ListGetDeepSubElement2(n, 2, ix); },
       "{3, 1}"},
      {"set one element",
       [&] { return ListSetDeepSubElement(ListDup(n), 2, LIST_SUB_INDEX, 1, LIST_SUB_INDEX, 2, Ints({9})); },
       "{{1, 9, 3}, {4, 5, 6}}"},
      {"set a List at one index",
       [&] { return ListSetDeepSubElement(ListDup(n), 2, LIST_SUB_INDEX, 2, LIST_SUB_INDEX, 1, Ints({7, 8})); },
       "{{1, 2, 3}, {{7, 8}, 5, 6}}"},
      {"set across, one each",
       [&] { return ListSetDeepSubElement(ListDup(n), 2, LIST_SUB_RANGE, 1, 2, 1, LIST_SUB_INDEX, 3, Ints({7, 8})); },
       "{{1, 2, 7}, {4, 5, 8}}"},
      {"set across, Lists each",
       [&] {
         Matrix* ix[] = {Row({2, 1}), Row({1, 2})};
         List* src = ListElementsDef(2, LIST_LIST, Ints({7, 8}), LIST_LIST, Ints({9, 6}));
         return ListSetDeepSubElement2(ListDup(n), 2, ix, src);
       },
       "{{9, 6, 3}, {7, 8, 6}}"},
      {"set from itself",
       [&] { List* d = ListDup(n); return ListSetDeepSubElement(d, 2, LIST_SUB_INDEX, 1, LIST_SUB_INDEX, 1, d); },
       "{{{{1, 2, 3}, {4, 5, 6}}, 2, 3}, {4, 5, 6}}"},
  };
  for (const ShapeCase& c : cases) EXPECT_EQ(Shown(c.make()), c.shown) << c.what;
  EXPECT_EQ(Shown(n), "{{1, 2, 3}, {4, 5, 6}}");
  ReleaseAllTemporaries();
}

TEST_F(ListOpsTest, Equality) {
  auto one = [](int class_, auto value) { return ListElementsDef(1, class_, value); };
  struct Case {
    const char* what;
    List* a;
    List* b;
    int equal;
  } cases[] = {
      {"empty", ListDef("", 0), ListDef("", 0), 1},
      {"integer and real", one(LIST_INTEGER, 1), one(LIST_REAL, 1.0), 0},
      {"NaN", one(LIST_REAL, kNaN), one(LIST_REAL, kNaN), 0},
      {"signed zeros", one(LIST_REAL, -0.0), one(LIST_REAL, 0.0), 1},
      {"texts", one(LIST_STRING, vnStringStringDef("ab")), one(LIST_STRING, vnStringStringDef("ab")), 1},
      {"text prefix", one(LIST_STRING, vnStringStringDef("ab")), one(LIST_STRING, vnStringStringDef("a")), 0},
      {"complex", one(LIST_COMPLEX, CompDef("", 1, 2)), one(LIST_COMPLEX, CompDef("", 1, -2)), 0},
      {"polynomials", one(LIST_POLYNOMIAL, PolyOf(0, {1, 2})), one(LIST_POLYNOMIAL, PolyOf(0, {1, 2}, "x")), 1},
      {"matrix and array", one(LIST_MATRIX, Row({1})), one(LIST_ARRAY, Row({1})), 0},
      {"matrices", one(LIST_MATRIX, Row({1, 2})), one(LIST_MATRIX, Row({1, 3})), 0},
      {"nested", one(LIST_LIST, Ints({1, 2})), one(LIST_LIST, Ints({1, 2})), 1},
      {"undefined", ListDef("", 1), ListDef("", 1), 1},
      {"lengths", Ints({1}), Ints({1, 1}), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ListIsEqual(c.a, c.b), c.equal) << c.what;
    EXPECT_EQ(ListIsNotEqual(c.a, c.b), 1 - c.equal) << c.what;
  }
  ReleaseAllTemporaries();
}

TEST_F(ListOpsTest, ElementComparison) {
  List* a = ListElementsDef(2, LIST_INTEGER, 1, LIST_REAL, 2.5);
  List* b = ListElementsDef(2, LIST_REAL, 1.0, LIST_INTEGER, 3);
  List* z = ListElementsDef(3, LIST_REAL, 0.0, LIST_REAL, kNaN, LIST_INTEGER, 0);
  struct Case {
    const char* what;
    Matrix* got;
    V want;
  } cases[] = {
      {"a < b", ListCompareElem(a, b, "<"), {0, 1}},
      {"a >= b", ListCompareElem(a, b, ">="), {1, 0}},
      {"a == b", ListCompareElem(a, b, "=="), {0, 0}},
      {"a != b", ListCompareElem(a, b, "!="), {1, 1}},
      {"z && z", ListCompareElem(z, z, "&&"), {0, 1, 0}},
      {"z || 0", ListCompareElem(z, ListMul(Ints({0}), 3), "||"), {0, 1, 0}},
      {"a < 2.0", ListCompareElem2(a, LIST_REAL, 2.0, "<"), {1, 0}},
      {"a == 1", ListCompareElem2(a, LIST_INTEGER, 1, "=="), {1, 0}},
      {"not z", ListNotElem(z), {1, 0, 1}},
  };
  for (const Case& c : cases) ExpectMatrix(c.got, 1, static_cast<int>(c.want.size()), MAT_REAL, c.want);
  EXPECT_EQ(ListIsElemEqual(a, b, 2), 0);
  ReleaseAllTemporaries();
}

// What formatted input over a text gives, and the warning it prints.
struct ScanCase {
  const char* text;
  const char* format;
  const char* shown;
  bool warns;
};

TEST_F(ListOpsTest, StringScanf) {
  const ScanCase cases[] = {
      {"7 2.5 abc", "%d %lf %s", "{7, 2.5, \"abc\"}", false},
      {"7 x", "%d %lf %s", "{7}", true},
      {"7", "%d %lf", "{7}", false},  // the end of input stops quietly
      {"", "%d", "{}", false},
      {"x", "%d", "{}", true},
      {"65535 ff 40000", "%hd %hx %hu", "{-1, 255, -25536}", false},
      {"0.1", "%f", "{0.1}", false},
      {"1.5 2", "%hf %d", "{UNDEF, 1}", false},  // "h" reads nothing
      {"  abcdef", "%3c%s", "{\"  a\", \"bcdef\"}", false},
      {"ab", "%5c", "{\"ab\"}", false},
      {"a:b, c", "%c:%c,%s end", "{\"a\", \"b\", \"c\"}", false},
      {"1 2", "%d %q", "{1}", true},
      {"1 2", "%ls", "{}", true},
      {"1 2", "%ld%", "{1}", true},
      {"12", "%%d", "{}", true},
      {"123", "%2000000c", "{}", true},
      {"skip", "skip", "{}", false},
  };
  for (const ScanCase& c : cases) {
    List* l = nullptr;
    const std::string err = StderrOf([&] { l = ListStringScanf(c.text, c.format); });
    EXPECT_EQ(Shown(l), c.shown) << c.text << " / " << c.format;
    const std::string warning = "sscanf(" + std::string(c.text) + ", \"" + c.format +
                                "\") : Data is not matched for the format  in ListStringScanf().\n";
    EXPECT_EQ(err, c.warns ? "\n" + warning : "") << c.text << " / " << c.format;
  }
  List* f = ListStringScanf("0.1", "%f");
  EXPECT_EQ(*static_cast<double*>(ListGetElementP(f, 1, LIST_REAL)), static_cast<double>(0.1f));
  ReleaseAllTemporaries();
}

TEST_F(ListOpsFileTest, FileScanf) {
  put("7 x\n");
  List* l = nullptr;
  const std::string err = StderrOf([&] { l = ListFileNameScanf(path(), "%d %lf"); });
  EXPECT_EQ(Shown(l), "{7}");
  EXPECT_NE(err.find("\") : Data is not matched for the format  in ListFileScanf().\n"), std::string::npos) << err;
  EXPECT_EQ(err.rfind("\nfscanf(", 0), 0u) << err;

  // A channel read on where the last call left it.
  put("1 2 3\n");
  const int fd = FileOpen(path(), "r");
  EXPECT_EQ(Shown(ListFileScanf(fd, "%d")), "{1}");
  EXPECT_EQ(Shown(ListFileScanf(fd, "%d%d")), "{2, 3}");
  FileClose(fd);

  const RunResult r = RunInChild([] { return ListGetClass(ListScanf("%s%d"), 2) == LIST_INTEGER ? 0 : 1; }, "w 4\n");
  EXPECT_EQ(r.status, 0) << r.err;
  ReleaseAllTemporaries();
}

TEST_F(ListOpsTest, MenuAsksUntilAnItemIsChosen) {
  auto menu = [](int default_item) {
    List* l = ListElementsDef(3, LIST_STRING, vnStringStringDef("Pick"), LIST_STRING, vnStringStringDef("one"),
                              LIST_STRING, vnStringStringDef("two"));
    return ListMenu(l, default_item);
  };
  const RunResult typed = RunInChild([&] { return menu(1); }, "5\n2\n");
  EXPECT_EQ(typed.status, 2);
  EXPECT_EQ(typed.out.rfind("Pick\n  1. one\n  2. two\nSelect 1-2 [1]: ", 0), 0u) << typed.out;
  EXPECT_EQ(RunInChild([&] { return menu(2); }, "\n").status, 2);
  EXPECT_EQ(RunInChild([&] { return menu(1); }, "").status, 1);
}

TEST_F(ListOpsDeathTest, MisuseIsFatal) {
  List* l = ListSetName(Ints({1, 2, 3}), "l");
  List* m = ListSetName(Ints({4}), "m");
  List* mixed = ListElementsDef(2, LIST_INTEGER, 1, LIST_STRING, vnStringStringDef("s"));
  List* odd = ListDef("", 1);
  ListSetElement(odd, 1, LIST_VOID_FUNC, nullptr);
  const std::string in = "in \"l (3 element(s))\"";
  ExpectFatal({
      {[] { ListMakeList(2, 3, 0); }, ListLine("", "Length must be >= 0", "ListMakeList()")},
      {[] { ListMakeList(0); }, ListLine("", "Depth must be positive", "ListMakeList()")},
      {[&] { ListCut(l, 2, 4); }, ListLine("l(2:4)", "Size Error", "ListCut()")},
      {[&] { ListCut(ListDef("", 2), 2, 1); }, ListLine("{...}(2:1)", "Size Error", "ListCut()")},
      {[&] { ListInsert(l, 4, m); }, ListLine("l(4) = m", "Size Error", "ListInsert()")},
      {[&] { ListPut(l, 3, ListCat(m, m)); }, ListLine("l(3) = {...}", "Length Error", "ListPut()")},
      {[&] { ListPut(l, 0, m); }, ListLine("l(0) = m", "Length Error", "ListPut()")},
      {[&] { ListMul(l, -1); }, ReportLine("multiplier must be >= 0 " + in, "ListMul()")},
      {[&] { ListMul(l, 1 << 30); }, ReportLine("Length Error " + in, "ListMul()")},
      {[&] { ListGetSubElements(l, Row({0.5})); },
       ListLine("l((1x1))", "Not a suitable index", "ListGetSubElements()")},
      {[&] { ListGetSubElements(l, Real("ix", 2, 2)); },
       ListLine("l(ix)", "Not a suitable index", "ListGetSubElements()")},
      {[&] { ListGetSubElements(l, Row({kNaN})); },
       ListLine("l((1x1))", "Not a suitable index", "ListGetSubElements()")},
      {[&] { ListGetSubElements2(l, 3, 1, 0); }, ListLine("l(3:1:0)", "Not a suitable index", "ListGetSubElements2()")},
      {[&] { ListGetSubElements2(l, 1, 7, 3); }, ListLine("l(1:7:3)", "Not a suitable index", "ListGetSubElements2()")},
      {[&] { ListSetSubElements(l, Row({1, 2}), m); },
       ListLine("l((1x2)) = m", "Not a suitable index", "ListSetSubElements()")},
      {[&] { ListSetSubElements2(l, 1, 2, 1, m); },
       ListLine("l(1:2:1) = m", "Not a suitable index", "ListSetSubElements2()")},
      {[&] { ListGetDeepSubElement(l, 2, LIST_SUB_INDEX, 1, LIST_SUB_INDEX, 1); },
       ReportLine("Mismatched element " + in, "ListGetDeepSubElement()")},
      {[&] { ListSetDeepSubElement(Nested(), 2, LIST_SUB_RANGE, 1, 2, 1, LIST_SUB_INDEX, 1, m); },
       ListLine("n(1:2:1) = m", "Not a suitable index", "ListSetDeepSubElement()")},
      {[&] { ListIsElemEqual(l, m, 2); },
       ReportLine("Incorrect length " + in + " and \"m (1 element(s))\"", "ListIsElemEqual()")},
      {[&] { ListIsEqual(odd, odd); },
       ReportLine("Incorrect class in \"(1 element(s))\" and \"(1 element(s))\"", "ListIsElemEqual()")},
      {[&] { ListCompareElem(l, m, "=="); },
       ReportLine("Mismatch length " + in + " and \"m (1 element(s))\"", "ListCompareElem()")},
      {[&] { ListCompareElem(m, m, "<>"); },
       ReportLine("Incorrect operator in \"m (1 element(s))\" and \"m (1 element(s))\"", "ListCompareElem()")},
      {[&] { ListCompareElem(mixed, mixed, "<"); }, "Incorrect class element in .* in ListCompareElem\\(\\)"},
      {[&] { ListNotElem(mixed); }, "Incorrect class element in .* in ListNotElem\\(\\)"},
      {[&] { ListCompareElem2(l, 11, 0, "=="); }, ReportLine("Incorrect class " + in, "ListCompareElem2()")},
      {[&] { ListMenu(mixed, 1); }, ListLine("menu({...})", "Contents of menu must be string", "ListMenu()")},
      {[&] { ListMenu(ListElementsDef(1, LIST_STRING, vnStringStringDef("t")), 1); },
       ListLine("menu({...})", "Invalid default item number", "ListMenu()")},
      {[] { ListFileScanf(1, "%d"); }, ListLine("fscanf(1, \"%d\")", "File is not opened", "ListFileScanf()")},
      {[] { ListFileNameScanf("/nonexistent/x", "%d"); }, ListLine("", "Can't open file", "ListFileScanf()")},
  });
  ReleaseAllTemporaries();
}

}  // namespace
