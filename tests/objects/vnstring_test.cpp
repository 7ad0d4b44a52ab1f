// Strings: recycling, access, copies and assignment, operators, input and output.
#include "support/vorn_test.h"

namespace {

using vorn_values::Row;
using vorn_values::V;
using vorn_values::valuesOf;
using StringTest = VornTest;
using StringDeathTest = VornTest;

String* S(const char* text) { return vnStringStringDef(text); }
String* Undefined() { return vnStringDef("", -1); }
std::string T(const String* s) { return std::string(s->text, static_cast<size_t>(s->length)); }

}  // namespace

TEST_F(StringTest, Recycling) {
  String* s = vnStringDef("ab", 5);
  char *text = s->text, *name = s->name;
  vnStringUndef(s);
  String* t = vnStringDef("cd", 5);
  EXPECT_TRUE(t == s && t->text == text && t->name == name && t->text[5] == '\0' && t->type == 0);
  EXPECT_STREQ(t->name, "cd");
  vnStringUndef(t);
  // Parking stops at the longest recycled length; undefined ones are parked.
  const int max = vnStringGarbageLengthMax();
  for (int length : {-1, 0, max}) {
    const int parked = vnStringTableCount(length);
    vnStringUndef(vnStringDef("", length));
    EXPECT_EQ(vnStringTableCount(length), parked + 1) << length;
  }
  const int live = vnStringLiveCount();
  vnStringUndef(vnStringDef("", max + 1));  // destroyed, not parked
  EXPECT_TRUE(vnStringTableCount(max + 1) == 0 && vnStringLiveCount() == live);
}

TEST_F(StringTest, ScopeKeepsLocalsUntilFrees) {
  String* marker = vnStringSetType(vnStringDef("", -1), 1);
  String* local = vnStringSetType(S("x"), 1);
  S("temporary");
  const int live = vnStringLiveCount();
  vnStringTmpUndef();
  EXPECT_EQ(vnStringLiveCount(), live - 1);
  vnStringFrees(marker);
  EXPECT_TRUE(marker->type == 0 && local->type == 0);
}

TEST_F(StringTest, ConstructorsAndSetters) {
  EXPECT_EQ(T(vnStringStringDef(nullptr)), "");
  EXPECT_EQ(vnStringSameDef(Undefined())->text, nullptr);

  String* s = S("abc");
  EXPECT_EQ(T(vnStringSetString(s, "longer")), "longer");
  EXPECT_EQ(T(vnStringSetString(s, s->text + 2)), "nger");  // overlapping source
  EXPECT_EQ(T(vnStringSetChar(s, 4, 'x')), "ngex");
  EXPECT_EQ(T(vnStringSetLength(s, 2)), "ng");
  EXPECT_EQ(std::string(vnStringSetLength(s, 4)->text, 5), std::string("ng\0\0\0", 5));
  EXPECT_EQ(vnStringSetLength(s, -1)->text, nullptr);
}

TEST_F(StringTest, AssignTakesOverTemporariesAndCopiesOthers) {
  String* dst = vnStringSetType(vnStringDef("d", 2), 1);
  String* src = S("from temporary");
  char* buffer = src->text;
  const int live = vnStringLiveCount();
  EXPECT_EQ(vnStringAssign(dst, src), dst);
  EXPECT_TRUE(dst->text == buffer && dst->type == 1);
  EXPECT_EQ(vnStringLiveCount(), live - 1);  // the old value went with the temporary

  String* named = vnStringSetType(S("kept"), 4);
  vnStringAssign(dst, named);
  EXPECT_EQ(T(dst), "kept");
  EXPECT_TRUE(dst->text != named->text && dst->type == 1);

  S("pending");
  const int before = vnStringLiveCount();
  vnStringAssign(dst, dst);  // no release at all
  EXPECT_EQ(vnStringLiveCount(), before);
  vnStringUndef(named), vnStringUndef(dst);
}

TEST_F(StringTest, MoveCopyAndSwap) {
  String* a = vnStringSetType(S("aa"), 1);
  String* b = S("bbb");
  vnStringMove(a, b);  // a keeps its code, b gets a's old text
  EXPECT_TRUE(T(a) + T(b) == "bbbaa" && a->type == 1);
  String* d = S("123");
  vnStringCopy(d, a);
  vnStringSetString(a, "xyz");
  EXPECT_EQ(T(d), "bbb");  // no buffer shared
  vnStringSwap(a, d);
  EXPECT_EQ(T(a) + T(d), "bbbxyz");
  EXPECT_EQ(vnStringDup(Undefined())->length, -1);
  vnStringUndef(a);
}

TEST_F(StringTest, CharactersAndRanges) {
  String* s = S("abcde");
  EXPECT_EQ(T(vnStringGetElem(s, 5)), "e");
  EXPECT_EQ(T(vnStringCut(S("abc"), 2, 2)), "b");
  EXPECT_EQ(T(vnStringSetElem(S("abc"), 2, S("X"))), "aXc");
  EXPECT_EQ(T(vnStringPut(S("abcde"), 4, S("xy"))), "abcxy");
  EXPECT_EQ(T(vnStringPartCopy(S("abcde"), 2, 3, S("wxyz"), 3, 4)), "ayzde");
  EXPECT_EQ(T(s), "abcde");
}

TEST_F(StringTest, SubStringsWithSteps) {
  const struct {
    int from, to, step;
    const char* expected;
  } cases[] = {{1, 5, 2, "ace"}, {5, 1, -2, "eca"}, {2, 4, 1, "bcd"}, {2, 4, 0, "bcd"}, {3, 1, 1, ""}, {1, 4, 3, "ad"}};
  for (const auto& c : cases)
    EXPECT_EQ(T(vnStringGetSubString(S("abcde"), c.from, c.to, c.step)), c.expected)
        << c.from << ":" << c.step << ":" << c.to;
  EXPECT_EQ(T(vnStringGetSubString2(S("abcde"), Row({2.5, 3.5, 1.4}))), "bda");  // halves to even
  EXPECT_EQ(T(vnStringSetSubString(S("abcdef"), 1, 6, 2, S("XYZ"))), "XbYdZf");
  EXPECT_EQ(T(vnStringSetSubString(S("abcdef"), 2, 2, 1, S("XY"))), "aXYdef");  // end plays no part
  EXPECT_EQ(T(vnStringSetSubString(S("abcdef"), 2, 1, 1, S("XY"))), "abcdef");  // empty series
  EXPECT_EQ(T(vnStringSetSubString2(S("abc"), Row({1, 1}), S("xy"))), "ybc");
}

TEST_F(StringTest, Concatenation) {
  EXPECT_EQ(vnStringAdd(Undefined(), S(""))->length, 0);
  EXPECT_EQ(vnStringAdd(Undefined(), Undefined())->length, -1);
  EXPECT_EQ(T(vnStringAdd(S("ab"), S(""))), "ab");
  EXPECT_EQ(T(vnStringAdd(Undefined(), S("cd"))), "cd");
  EXPECT_EQ(T(vnStringAdd(S("ab"), S("cd"))), "abcd");
  EXPECT_EQ(T(vnStringMul(S("ab"), 3)), "ababab");
  EXPECT_EQ(vnStringMul(S("ab"), 0)->length, 0);
  String* s = S("abc");
  EXPECT_EQ(T(vnStringReverse(s)), "cba");
  EXPECT_EQ(T(s), "abc");
}

TEST_F(StringTest, Comparisons) {
  EXPECT_EQ(vnStringCompare(S("em"), S("em")), 0);
  EXPECT_LT(vnStringCompare(S("ab"), S("abc")), 0);
  EXPECT_TRUE(vnStringIsEqual(S("x"), S("x")) == 1 && vnStringIsNotEqual(S("x"), S("x")) == 0);

  EXPECT_EQ(valuesOf(vnStringCompareElem(S("abc"), S("b"), "<")), (V{1, 0, 0}));
  EXPECT_EQ(valuesOf(vnStringCompareElem(S("b"), S("abc"), ">=")), (V{1, 1, 0}));
  EXPECT_EQ(valuesOf(vnStringCompareElem(S("abc"), S("abd"), "!=")), (V{0, 0, 1}));
  // Orderings take characters as signed bytes.
  EXPECT_EQ(valuesOf(vnStringCompareElem(S("\x80"), S("a"), "<")), (V{1}));

  EXPECT_EQ(vnStringIndex(S("banana"), S("a")), 2);
  EXPECT_EQ(vnStringLastIndex(S("banana"), S("a")), 6);
  EXPECT_EQ(vnStringIndex(S("banana"), S("z")), 0);
}

TEST_F(StringTest, PrintAndSprintf) {
  EXPECT_EQ(StdoutOf([] { vnStringPrint(vnStringSetName(S("hi"), "s")), vnStringPrint(S("there")); }),
            "s = hi\nans = there\n");
  EXPECT_EQ(T(vnStringSprintf("%d-%s", 7, "x")), "7-x");
  EXPECT_EQ(vnStringSprintf("%4096s", "")->length, 4096);
}

TEST_F(StringTest, FilesChannelsAndStandardInput) {
  const ScratchFile file;
  vnStringFileWrite(S("hello world"), file.path());
  EXPECT_EQ(file.text(), "hello world");
  EXPECT_EQ(T(vnStringFileRead(file.path())), "hello");
  vnStringFileWrite(S(" \n "), file.path());
  EXPECT_EQ(T(vnStringFileRead(file.path())), "");
  file.put("ab\r\ncd");
  const int fd = FileOpen(file.path(), "r");
  ASSERT_GE(fd, 0);
  EXPECT_EQ(T(vnStringFgets(fd, 100)), "ab\r\n");
  EXPECT_EQ(T(vnStringFgets(fd, 1)), "c");
  EXPECT_EQ(T(vnStringFgets(fd, 100)), "d");
  EXPECT_EQ(T(vnStringFgets(fd, 100)), "");
  FileClose(fd);
  // A line read drops only the line feed; an empty line keeps the edited text.
  auto typed = [] {
    const bool gets = T(vnStringGets(100)) == "ab\r";
    String* s = vnStringSetName(S("old"), "v");
    const bool keep = T(vnStringEdit(s)) == "old";
    return gets && keep && T(vnStringEdit(s)) == "new text" ? 0 : 1;
  };
  EXPECT_EQ(0, RunInChild(typed, "ab\r\n\nnew text\n").status);
}

TEST_F(StringDeathTest, Reports) {
  String* twice = S("a");
  vnStringUndef(twice);
  const std::string length3 = "'(length=3)'";
  ExpectFatal({
      {[&] { vnStringUndef(twice); }, "Duplicate undefing", "vnStringUndef()"},
      {[] { vnStringDef("x", -2); }, "vnStringDef(\"x\", -2) : Not appropriate length", "vnStringDef()"},
      {[] { vnStringMul(Undefined(), 2); }, "Undefined string for '(length=-1)'", "vnStringMul()"},
      {[] { vnStringSetChar(vnStringSetName(S("abc"), "w"), 4, 'z'); }, "w(3)(4) = z : Index is not appropriate",
       "vnStringSetChar()"},
      {[] { vnStringCopy(S("ab"), vnStringSetName(S("abc"), "s")); },
       "Confliction of length for 's(length=3)' and '(length=2)'", "vnStringCopy()"},
      {[] { vnStringSwap(S("ab"), S("abc")); }, "Confliction of length .* in vnStringSwap"},
      {[] { vnStringPut(S("abcde"), 5, S("xy")); }, "Confliction of length .* in vnStringPut"},
      {[] { vnStringPartCopy(S("abc"), 1, 2, S("xyz"), 1, 3); }, "Confliction of length .* in vnStringPartCopy"},
      {[&] { vnStringCut(S("abc"), 3, 2); }, "Index is out of range for " + length3, "vnStringCut()"},
      {[] { vnStringGetElem(S("abc"), 0); }, "Index is out ouf range .* in vnGetStringElem\\(\\)"},
      {[&] { vnStringSetElem(S("abc"), 1, S("xy")); }, "Index is out ouf range for " + length3 + " and '(length=2)'",
       "vnStringSetElem()"},
      {[] { vnStringGetSubString(S("abcde"), 2, 7, 2); }, "Not a suitable index for '(length=5)'",
       "vnStringGetSubString2()"},
      {[] { vnStringGetSubString2(S("abc"), MatDef("", 2, 1)); }, "Not a suitable index .* in vnStringGetSubString2"},
      {[] { vnStringSetSubString2(S("abc"), Row({1, 2, 3}), S("xy")); },
       "Confliction of length .* in vnStringSetSubString2"},
      {[] { vnStringMul(S("ab"), -1); }, "Number must be positive for '(length=2)'", "vnStringMul()"},
      {[] { vnStringCompareElem(S("ab"), S("abc"), "=="); }, "Length mismatch .* in vnStringCompareElem"},
      {[] { vnStringCompareElem(S("ab"), S("ab"), "=<"); }, "Incorrect operator .* in vnStringCompareElem"},
      {[] { vnStringIndex(S("ab"), S("ab")); }, "Keyword is too long .* in vnStringIndex\\(\\)"},
      {[] { vnStringFgets(4000, 10); }, "File is not opened", "vnStringFgets()"},
      {[] { vnStringFileRead("/nonexistent/dir/file"); }, "Can't open file", "vnStringFileRead()"},
      {[] { vnStringSprintf("%4097s", ""); }, "Not enough buffer size", "vnStringSprintf()"},
  });
}
