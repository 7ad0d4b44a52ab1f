// Operations on whole Lists: nested construction, concatenation, cut and
// put, repetition, sub-elements by index, equality and comparison, the
// menu, and formatted input. Results are new temporaries unless a routine
// is said to work in place; every element stored is a copy.
#pragma once

struct List;
struct Matrix;

// Index form codes of the deep sub-element forms.
enum : int {
  LIST_SUB_INDEX = 1,  // followed by one int index
  LIST_SUB_RANGE = 2,  // followed by three ints: from, to, step
  LIST_SUB_MATRIX = 3,  // followed by a Matrix* of index values
};

// Construction.
// (depth, count1, ..., count_depth): count1 elements, each a copy of a List
// of count2 elements, and so on; the innermost elements are the integer 0.
// count1 may be 0, every later count must be at least 1.
List* ListMakeList(int depth, ...);
List* ListMakeList2(int depth, const int* lengths);

// Concatenation, cut, put and repetition.
List* ListCat(List* a, List* b);
// Elements 1..pos-1 of l, all of other, then elements pos..length of l;
// 1 <= pos <= length.
List* ListInsert(List* l, int pos, List* other);
List* ListCut(List* l, int from, int to);  // 1 <= from <= to <= length
// In place: elements pos .. pos+length(src)-1 of dst become copies of src's.
List* ListPut(List* dst, int pos, List* src);
List* ListMul(List* l, int n);  // n copies one after another

// Sub-elements. An index matrix is real with one row, one column, or no
// elements; its values are rounded to the nearest integer (halves to even)
// and must lie in 1..length.
List* ListGetSubElements(List* l, Matrix* index);
// ListCut when step, taken as unsigned, is at most 1 and from <= to;
// otherwise the series from, from+step, ... up to and not past to (a step
// of 0 with from > to is not a suitable index).
List* ListGetSubElements2(List* l, int from, int to, int step);
// In place: element index(k) becomes a copy of element k of src; there are
// as many indices as src has elements.
List* ListSetSubElements(List* l, Matrix* index, List* src);
List* ListSetSubElements2(List* l, int from, int to, int step, List* src);

// Sub-elements through nested Lists, one index form per level:
//   ListGetDeepSubElement(l, depth, form1, ..., form_depth)
//   ListSetDeepSubElement(l, depth, form1, ..., form_depth, src)
// where each form is LIST_SUB_INDEX, i or LIST_SUB_RANGE, from, to, step or
// LIST_SUB_MATRIX, index. The forms become index matrices and go to the "2"
// forms, which take an array of depth index matrices. Reading: the last
// level selects as ListGetSubElements; an upper level with one index
// descends into that List element; with several, the result has one entry
// per index: the sub-result's single element, or the sub-result List.
// Writing: the last level with one index k stores src's single element at
// k, or src itself as a List element when its length is not 1; with several
// indices ListSetSubElements applies. An upper level with one index descends
// with the whole src; with several, index k descends with src's element k
// when it is a List, else with a one-element List holding it. Both return l
// or the new List; src may be l or lie inside it.
List* ListGetDeepSubElement(List* l, int depth, ...);
List* ListGetDeepSubElement2(List* l, int depth, Matrix* const* index);
List* ListSetDeepSubElement(List* l, int depth, ...);
List* ListSetDeepSubElement2(List* l, int depth, Matrix* const* index, List* src);

// Equality and comparison.
int ListIsEqual(List* a, List* b);
int ListIsNotEqual(List* a, List* b);
// Elements i of a and b: same class and equal values (reals as doubles,
// so NaN is not equal to itself; matrices as MatIsEqual; Lists as
// ListIsEqual; two undefined elements are equal).
int ListIsElemEqual(List* a, List* b, int i);
// A real 1 x length row of 1.0 and 0.0. op is "==", "!=" (any classes, by
// ListIsElemEqual), "<", "<=", ">", ">=", "&&" or "||" (integer or real
// elements compared as doubles; a NaN is non-zero).
Matrix* ListCompareElem(List* a, List* b, const char* op);
// (l, class, value, op): every element of l against one value, given as
// ListSetElement takes it (an int for class 2, a double for class 3, an
// object pointer otherwise), followed by the operator.
Matrix* ListCompareElem2(List* l, int class_, ...);
// 1.0 where the integer or real element is 0, else 0.0.
Matrix* ListNotElem(List* l);

// Element 1 is the title, the others the items (all Strings); returns the
// chosen item number, default_item (1..length-1) on an empty entry.
int ListMenu(List* l, int default_item);

// Formatted input into a new List, one element per "%" of format: a width
// and one "l" or "h" may stand before the letter. e f g E G give a Real
// ("l" double, plain float, "h" an undefined element read from nothing),
// d i o u x X an Integer ("h" 16 bits, sign-extended), s a String of one
// word, c a String of one character or of the width's characters; any
// other letter, or s and c with a modifier, does not match. Widths above
// 1048576 do not match. On a mismatch the warning "Data is not matched for
// the format" ends the input; at the end of the input it ends quietly; the
// result holds the elements read so far. With no "%" the format is applied
// once to skip input and the List is empty.
List* ListScanf(const char* format);  // standard input
List* ListFileNameScanf(const char* path, const char* format);  // "stdin" or a file
List* ListFileScanf(int fd, const char* format);  // a channel open for reading
// Over a text; each conversion continues where the previous one stopped.
List* ListStringScanf(const char* text, const char* format);
