// Whole-List operations: nested construction, concatenation, cut, put,
// repetition and sub-elements by index, also through nested Lists.
#include "runtime/objects/list_ops.h"

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/objects/list_internal.h"

using namespace vorn_list;

namespace {

const char kBadIndex[] = "Not a suitable index";

inline ListSlot listSlot(List* l) {
  ListSlot s = emptySlot();
  s.object = l;
  return s;
}

// Element k (0-based) of src copied to position i of dst.
inline void copyAt(List* dst, int i, const List* src, int k) { storeCopy(dst, i, src->classes[k], src->elements[k]); }

// A new List of copies of src's elements at the given 1-based positions.
List* copiesAt(List* src, const std::vector<int>& positions) {
  List* out = ListDef("", static_cast<int>(positions.size()));
  for (size_t k = 0; k < positions.size(); k++) copyAt(out, static_cast<int>(k) + 1, src, positions[k] - 1);
  return out;
}

// Element i of dst becomes a copy of element k of src, for each pair. All
// copies are taken before the first store: src may be dst or lie inside it.
void storeAt(List* dst, const std::vector<int>& positions, const List* src) {
  const size_t n = positions.size();
  std::vector<ListSlot> copies(n);
  std::vector<int16_t> classes(src->classes, src->classes + n);
  for (size_t k = 0; k < n; k++) copies[k] = storedCopy(classes[k], src->elements[k]);
  for (size_t k = 0; k < n; k++) place(dst, positions[k], classes[k], copies[k]);
}

// ------------------------------------------------------------- index sets

// One level of a sub-element selection: an index matrix, or a range
// (from, to, step) taken as ListGetSubElements2 takes it.
struct Selection {
  const Matrix* index = nullptr;
  int from = 0, to = 0, step = 0;
};

Selection rangeSelection(int from, int to, int step) {
  Selection s;
  s.from = from;
  s.to = to;
  s.step = step;
  return s;
}

// A step of 0 or 1 (as unsigned) over from <= to is the plain cut.
inline bool plainRange(int from, int to, int step) { return static_cast<uint32_t>(step) <= 1 && from <= to; }

std::string selectionText(const Selection& s) {
  char text[64];
  if (s.index == nullptr) {
    std::snprintf(text, sizeof text, "%d:%d:%d", s.from, s.to, s.step);
    return text;
  }
  if (s.index->name[0] != '\0') return s.index->name;
  std::snprintf(text, sizeof text, "(%dx%d)", s.index->rows, s.index->cols);
  return text;
}

bool matrixPositions(const Matrix* index, int length, std::vector<int>* out) {
  const bool shaped = index->rows <= 1 || index->cols <= 1;
  if (index->class_ != MAT_REAL || !shaped) return false;
  const size_t n = static_cast<size_t>(index->rows) * static_cast<size_t>(index->cols);
  out->resize(n);
  for (size_t k = 0; k < n; k++) {
    const double i = std::nearbyint(MatReal(index)[k]);  // halves to even
    if (!(i >= 1.0 && i <= length)) return false;
    (*out)[k] = static_cast<int>(i);
  }
  return true;
}

// The series from, from+step, ... not passing to. Its ends are checked
// before it is spelled out, so a long series costs nothing to refuse.
bool rangePositions(int from, int to, int step, int length, std::vector<int>* out) {
  out->clear();
  if (plainRange(from, to, step)) step = 1;
  if (step == 0) return false;
  const int64_t span = step > 0 ? int64_t{to} - from : int64_t{from} - to;
  if (span < 0) return true;
  const int64_t count = span / (step > 0 ? int64_t{step} : -int64_t{step}) + 1;
  const int64_t last = from + (count - 1) * int64_t{step};
  if (from < 1 || from > length || last < 1 || last > length) return false;
  out->resize(static_cast<size_t>(count));
  for (int64_t k = 0; k < count; k++) (*out)[static_cast<size_t>(k)] = static_cast<int>(from + k * step);
  return true;
}

bool positions(const Selection& s, int length, std::vector<int>* out) {
  return s.index != nullptr ? matrixPositions(s.index, length, out) : rangePositions(s.from, s.to, s.step, length, out);
}

// The positions s selects in l; an unsuitable selection is reported as
// l(index), or l(index) = src when src is given.
std::vector<int> checkedPositions(const char* tag, List* l, const Selection& s, List* src) {
  std::vector<int> out;
  if (positions(s, l->length, &out)) return out;
  const std::string text = selectionText(s);
  if (src == nullptr)
    setSource("%s(%s)", shownName(l), text.c_str());
  else
    setSource("%s(%s) = %s", shownName(l), text.c_str(), shownName(src));
  ListError(tag, kBadIndex, l);
}

List* getSub(const char* tag, List* l, const Selection& s) { return copiesAt(l, checkedPositions(tag, l, s, nullptr)); }

List* setSub(const char* tag, List* l, const Selection& s, List* src) {
  const std::vector<int> at = checkedPositions(tag, l, s, src);
  if (at.size() != static_cast<size_t>(src->length)) {
    setSource("%s(%s) = %s", shownName(l), selectionText(s).c_str(), shownName(src));
    ListError(tag, kBadIndex, l);
  }
  storeAt(l, at, src);
  return l;
}

// ------------------------------------------------------- deep selections

// Element i of l, which must be a List.
List* innerList(const char* tag, List* l, int i) {
  if (l->classes[i - 1] != LIST_LIST || l->elements[i - 1].object == nullptr) ListError(tag, "Mismatched element", l);
  return static_cast<List*>(l->elements[i - 1].object);
}

List* getDeep(const char* tag, List* l, const Selection* levels, int depth) {
  const std::vector<int> at = checkedPositions(tag, l, levels[0], nullptr);
  if (depth == 1) return copiesAt(l, at);
  if (at.size() == 1) return getDeep(tag, innerList(tag, l, at[0]), levels + 1, depth - 1);
  List* out = ListDef("", static_cast<int>(at.size()));
  for (size_t k = 0; k < at.size(); k++) {
    List* sub = getDeep(tag, innerList(tag, l, at[k]), levels + 1, depth - 1);
    const int i = static_cast<int>(k) + 1;
    if (sub->length == 1) {
      copyAt(out, i, sub, 0);
      ListUndef(sub);
    } else {
      ListSetElementP(out, i, LIST_LIST, sub);
    }
  }
  return out;
}

void setDeep(const char* tag, List* l, const Selection* levels, int depth, List* src) {
  const std::vector<int> at = checkedPositions(tag, l, levels[0], src);
  if (depth == 1) {
    if (at.size() != 1) {
      setSub(tag, l, levels[0], src);
    } else if (src->length == 1) {
      copyAt(l, at[0], src, 0);
    } else {
      storeCopy(l, at[0], LIST_LIST, listSlot(src));
    }
    return;
  }
  if (at.size() == 1) {
    setDeep(tag, innerList(tag, l, at[0]), levels + 1, depth - 1, src);
    return;
  }
  if (at.size() > static_cast<size_t>(src->length)) {
    setSource("%s(%s) = %s", shownName(l), selectionText(levels[0]).c_str(), shownName(src));
    ListError(tag, kBadIndex, l);
  }
  for (size_t k = 0; k < at.size(); k++) {
    List* inner = innerList(tag, l, at[k]);
    if (src->classes[k] == LIST_LIST && src->elements[k].object != nullptr) {
      setDeep(tag, inner, levels + 1, depth - 1, static_cast<List*>(src->elements[k].object));
    } else {
      List* one = ListDef("", 1);
      copyAt(one, 1, src, static_cast<int>(k));
      setDeep(tag, inner, levels + 1, depth - 1, one);
      ListUndef(one);
    }
  }
}

// Writing works on a copy of src, which may be l or lie inside it.
List* setDeepFrom(const char* tag, List* l, const std::vector<Selection>& levels, List* src) {
  List* held = ListSetName(ListDup(src), src->name);  // reports name the caller's src
  setDeep(tag, l, levels.data(), static_cast<int>(levels.size()), held);
  ListUndef(held);
  return l;
}

std::vector<Selection> matrixLevels(const char* tag, List* l, int depth, Matrix* const* index) {
  if (depth < 1) ListError(tag, "Depth must be positive", l);
  std::vector<Selection> levels(static_cast<size_t>(depth));
  for (int k = 0; k < depth; k++) levels[k].index = index[k];
  return levels;
}

// Reads depth index forms from an argument list.
std::vector<Selection> readLevels(const char* tag, List* l, int depth, va_list* ap) {
  if (depth < 1) ListError(tag, "Depth must be positive", l);
  std::vector<Selection> levels(static_cast<size_t>(depth));
  for (Selection& s : levels) {
    const int kind = va_arg(*ap, int);
    if (kind == LIST_SUB_INDEX) {
      const int i = va_arg(*ap, int);
      s = rangeSelection(i, i, 1);
    } else if (kind == LIST_SUB_RANGE) {
      const int from = va_arg(*ap, int);
      const int to = va_arg(*ap, int);
      s = rangeSelection(from, to, va_arg(*ap, int));
    } else if (kind == LIST_SUB_MATRIX) {
      s.index = va_arg(*ap, Matrix*);
    } else {
      setSource("%s(...)", shownName(l));
      ListError(tag, kBadIndex, l);
    }
  }
  return levels;
}

List* makeList(const char* tag, int depth, const int* lengths) {
  if (depth < 1) ListError(tag, "Depth must be positive", nullptr);
  for (int k = 0; k < depth; k++)
    if (lengths[k] < (k == 0 ? 0 : 1)) ListError(tag, "Length must be >= 0", nullptr);
  List* inner = ListDef("", lengths[depth - 1]);
  for (int k = 0; k < inner->length; k++) {
    inner->classes[k] = LIST_INTEGER;
    inner->elements[k].integer = 0;
  }
  for (int level = depth - 2; level >= 0; level--) {
    List* outer = ListDef("", lengths[level]);
    for (int i = 1; i <= outer->length; i++) storeCopy(outer, i, LIST_LIST, listSlot(inner));
    ListUndef(inner);
    inner = outer;
  }
  return inner;
}

}  // namespace

// ------------------------------------------------------------ construction

List* ListMakeList2(int depth, const int* lengths) { return makeList("ListMakeList2()", depth, lengths); }

List* ListMakeList(int depth, ...) {
  if (depth < 1) ListError("ListMakeList()", "Depth must be positive", nullptr);
  std::vector<int> lengths(static_cast<size_t>(depth));
  va_list ap;
  va_start(ap, depth);
  for (int& n : lengths) n = va_arg(ap, int);
  va_end(ap);
  return makeList("ListMakeList()", depth, lengths.data());
}

// ------------------------------------------------ concatenation and cuts

List* ListCat(List* a, List* b) {
  if (int64_t{a->length} + b->length > INT_MAX) ListError2("ListCat()", "Length Error", a, b);
  List* out = ListDef("", a->length + b->length);
  for (int k = 0; k < a->length; k++) copyAt(out, k + 1, a, k);
  for (int k = 0; k < b->length; k++) copyAt(out, a->length + k + 1, b, k);
  return out;
}

List* ListInsert(List* l, int pos, List* other) {
  if (pos < 1 || pos > l->length) {
    setSource("%s(%d) = %s", shownName(l), pos, shownName(other));
    ListError("ListInsert()", "Size Error", l);
  }
  if (int64_t{l->length} + other->length > INT_MAX) ListError2("ListInsert()", "Length Error", l, other);
  List* out = ListDef("", l->length + other->length);
  int i = 1;
  for (int k = 0; k < pos - 1; k++) copyAt(out, i++, l, k);
  for (int k = 0; k < other->length; k++) copyAt(out, i++, other, k);
  for (int k = pos - 1; k < l->length; k++) copyAt(out, i++, l, k);
  return out;
}

List* ListCut(List* l, int from, int to) {
  if (from < 1 || from > to || to > l->length) {
    setSource("%s(%d:%d)", shownName(l), from, to);
    ListError("ListCut()", "Size Error", l);
  }
  List* out = ListDef("", to - from + 1);
  for (int k = from - 1; k < to; k++) copyAt(out, k - from + 2, l, k);
  return out;
}

List* ListPut(List* dst, int pos, List* src) {
  if (pos < 1 || int64_t{pos} + src->length - 1 > dst->length) {
    setSource("%s(%d) = %s", shownName(dst), pos, shownName(src));
    ListError("ListPut()", "Length Error", dst);
  }
  std::vector<int> at(static_cast<size_t>(src->length));
  for (int k = 0; k < src->length; k++) at[k] = pos + k;
  storeAt(dst, at, src);
  return dst;
}

List* ListMul(List* l, int n) {
  if (n < 0) ListError("ListMul()", "multiplier must be >= 0", l);
  if (int64_t{n} * l->length > INT_MAX) ListError("ListMul()", "Length Error", l);
  List* out = ListDef("", n * l->length);
  int i = 1;
  for (int r = 0; r < n; r++)
    for (int k = 0; k < l->length; k++) copyAt(out, i++, l, k);
  return out;
}

// ------------------------------------------------------------ sub-elements

List* ListGetSubElements(List* l, Matrix* index) {
  Selection s;
  s.index = index;
  return getSub("ListGetSubElements()", l, s);
}

List* ListGetSubElements2(List* l, int from, int to, int step) {
  if (plainRange(from, to, step)) return ListCut(l, from, to);
  return getSub("ListGetSubElements2()", l, rangeSelection(from, to, step));
}

List* ListSetSubElements(List* l, Matrix* index, List* src) {
  Selection s;
  s.index = index;
  return setSub("ListSetSubElements()", l, s, src);
}

List* ListSetSubElements2(List* l, int from, int to, int step, List* src) {
  if (!plainRange(from, to, step)) return setSub("ListSetSubElements2()", l, rangeSelection(from, to, step), src);
  if (int64_t{to} - from + 1 != src->length) {
    setSource("%s(%d:%d:%d) = %s", shownName(l), from, to, step, shownName(src));
    ListError("ListSetSubElements2()", kBadIndex, l);
  }
  return ListPut(l, from, src);
}

List* ListGetDeepSubElement2(List* l, int depth, Matrix* const* index) {
  const char* tag = "ListGetDeepSubElement2()";
  const std::vector<Selection> levels = matrixLevels(tag, l, depth, index);
  return getDeep(tag, l, levels.data(), depth);
}

List* ListGetDeepSubElement(List* l, int depth, ...) {
  const char* tag = "ListGetDeepSubElement()";
  va_list ap;
  va_start(ap, depth);
  const std::vector<Selection> levels = readLevels(tag, l, depth, &ap);
  va_end(ap);
  return getDeep(tag, l, levels.data(), depth);
}

List* ListSetDeepSubElement2(List* l, int depth, Matrix* const* index, List* src) {
  const char* tag = "ListSetDeepSubElement2()";
  return setDeepFrom(tag, l, matrixLevels(tag, l, depth, index), src);
}

List* ListSetDeepSubElement(List* l, int depth, ...) {
  const char* tag = "ListSetDeepSubElement()";
  va_list ap;
  va_start(ap, depth);
  const std::vector<Selection> levels = readLevels(tag, l, depth, &ap);
  List* src = va_arg(ap, List*);
  va_end(ap);
  return setDeepFrom(tag, l, levels, src);
}
