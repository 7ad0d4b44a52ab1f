// Assignments whose source is, holds or is held by their target: the result
// must be the one the source had before the statement, for every kind.
#include "support/vorn_test.h"

namespace {

using vorn_values::PolyOf;
using vorn_values::Row;

String* S(const char* text) { return vnStringStringDef(text); }
std::string T(const String* s) { return std::string(s->text, static_cast<size_t>(s->length)); }

// {1,"ab",{2,3}} for Lists of integers, strings and Lists.
std::string Show(List* l) {
  std::string out = "{";
  for (int i = 1; i <= l->length; i++) {
    if (i > 1) out += ",";
    const int class_ = ListGetClass(l, i);
    if (class_ == LIST_INTEGER) out += std::to_string(*static_cast<int32_t*>(ListGetElementP(l, i, class_)));
    else if (class_ == LIST_STRING) out += "\"" + T(static_cast<String*>(ListGetElementP(l, i, class_))) + "\"";
    else if (class_ == LIST_LIST) out += Show(static_cast<List*>(ListGetElementP(l, i, class_)));
    else out += "?";
  }
  return out + "}";
}

List* Pair(int a, int b) { return ListElementsDef(2, LIST_INTEGER, a, LIST_INTEGER, b); }
List* Held(List* l, int i) { return static_cast<List*>(ListGetElementP(l, i, LIST_LIST)); }

std::string Coefficients(Polynomial* p) {
  std::string out;
  for (int k = 0; k <= p->degree; k++) out += std::to_string(static_cast<int>(MatReal(p->coef)[k]));
  return out;
}

struct AliasCase {
  const char* args;   // the statement, in the language's own notation
  std::function<std::string()> run;
  const char* expected;
};
void PrintTo(const AliasCase& c, std::ostream* os) { *os << c.args; }

const AliasCase kCases[] = {
    {"s([4 3 2 1]) = s",
     [] { String* s = S("abcd"); return T(vnStringSetSubString2(s, Row({4, 3, 2, 1}), s)); }, "dcba"},
    {"s([2 3 4]) = s", [] { String* s = S("abcd"); return T(vnStringSetSubString2(s, Row({2, 3, 4}), s)); }, "aabc"},
    {"s(4:-1:1) = s", [] { String* s = S("abcd"); return T(vnStringSetSubString(s, 4, 1, -1, s)); }, "dcba"},
    {"s(2:2:4) = s", [] { String* s = S("abcd"); return T(vnStringSetSubString(s, 2, 4, 2, s)); }, "aacb"},
    {"put(s, 2, s(1:3)) in place", [] { String* s = S("abcd"); return T(vnStringPartCopy(s, 2, 4, s, 1, 3)); }, "aabc"},
    {"s = s; copy, swap, elementcopy",
     [] {
       String* s = vnStringSetType(S("abcd"), 1);
       vnStringCopy(s, s), vnStringSwap(s, s), vnStringElementCopy(s, s), vnStringAssign(s, s);
       return T(vnStringSetType(s, 0));
     },
     "abcd"},
    {"L = L(1) (copy)",
     [] { List* l = ListElementsDef(2, LIST_LIST, Pair(7, 8), LIST_INTEGER, 9); return Show(ListCopy(l, Held(l, 1))); },
     "{7,8}"},
    {"L(2) = L (copy into a held List)",
     [] {
       List* l = ListElementsDef(2, LIST_INTEGER, 5, LIST_LIST, Pair(1, 2));
       ListCopy(Held(l, 2), l);
       return Show(l);
     },
     "{5,{5,{1,2}}}"},
    {"L = L(1) (assign, same length)",
     [] {
       List* l = ListSetType(ListElementsDef(2, LIST_LIST, Pair(3, 4), LIST_STRING, S("x")), 1);
       ListAssign(l, Held(l, 1));
       return Show(ListSetType(l, 0));
     },
     "{3,4}"},
    {"L = L; copy, swap",
     [] {
       List* l = ListElementsDef(2, LIST_STRING, S("ab"), LIST_LIST, Pair(1, 2));
       ListCopy(l, l), ListSwap(l, l);
       return Show(l);
     },
     "{\"ab\",{1,2}}"},
    {"p = p; r = r",
     [] {
       Polynomial* p = PolyOf(MAT_REAL, {1, 2, 3});
       PolyCopy(p, p), PolySwap(p, p), PolyElementCopy(p, p);
       Rational* r = RatDef("r", 2, 2);
       PolyCopy(r->nume, p), RatCopy(r, r), RatSwap(r, r), RatElementCopy(r, r);
       return Coefficients(p) + Coefficients(r->nume);
     },
     "123123"},
};

class AliasTest : public VornTest, public ::testing::WithParamInterface<AliasCase> {};

TEST_P(AliasTest, SourceIsReadBeforeTheTargetChanges) {
  EXPECT_EQ(GetParam().run(), GetParam().expected);
  // Nested Lists go one level per release of temporaries.
  for (int k = 0; k < 4; k++) MatObjectTmpUndef();
}

INSTANTIATE_TEST_SUITE_P(Kinds, AliasTest, ::testing::ValuesIn(kCases), ArgsTestName());

}  // namespace
