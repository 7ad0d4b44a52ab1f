// String operations: construction, characters and sub-strings, operators,
// input and output.
#include "runtime/objects/vnstring.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/core/channel.h"
#include "runtime/core/memory.h"
#include "runtime/core/report.h"
#include "runtime/core/util.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"

namespace {

constexpr int kSprintfMax = 4096;   // longest result of vnStringSprintf
constexpr int kEditMax = 4095;      // longest line taken by vnStringEdit
constexpr int kWordMax = 1023;      // longest word taken by vnStringFileRead
inline bool within(long long i, int length) { return i >= 1 && i <= length; }

// A new unnamed temporary holding the n bytes at bytes.
String* bytesString(const char* bytes, int n) {
  String* s = vnStringDef("", n);
  if (n > 0) std::memcpy(s->text, bytes, static_cast<size_t>(n));
  return s;
}

// Lengths of results are 32-bit: a longer one cannot be represented.
int resultLength(long long n, const char* tag, String* a, String* b) {
  if (n > INT32_MAX) vnStringError2(tag, "String is too long", a, b);
  return static_cast<int>(n);
}

// Validates a position row for s: real, at most one row, every element
// rounded (halves to even) within 1..length(s). Returns the element count.
int indexCount(String* s, Matrix* index, const char* tag) {
  if (index->class_ != MAT_REAL || index->rows > 1) vnStringError(tag, "Not a suitable index", s);
  const int n = index->rows * index->cols;
  const double* v = MatReal(index);
  for (int k = 0; k < n; k++) {
    const double r = std::nearbyint(v[k]);
    if (!(r >= 1.0 && r <= s->length)) vnStringError(tag, "Not a suitable index", s);
  }
  return n;
}

inline int positionAt(const Matrix* index, int k) {
  return static_cast<int>(std::nearbyint(MatReal(index)[k]));
}

// The row from, from+step, ... of positions that do not pass `to` (empty when
// from already passes it, or for a zero step). Its ends are checked against s
// before the row is made, so a wrong range never allocates a huge row.
Matrix* seriesIndex(String* s, int from, int to, int step, const char* tag) {
  const long long f = from, t = to, d = step;
  long long count = 0;
  if (d > 0 && f <= t) count = (t - f) / d + 1;
  else if (d < 0 && f >= t) count = (f - t) / -d + 1;
  if (count > 0) {
    const long long last = f + (count - 1) * d;
    if (!within(std::min(f, last), s->length) || !within(std::max(f, last), s->length))
      vnStringError(tag, "Not a suitable index", s);
  }
  Matrix* series = MatDef("", 1, static_cast<int>(count));
  double* v = MatReal(series);
  for (long long k = 0; k < count; k++) v[k] = static_cast<double>(f + k * d);
  return series;
}

// The read stream of channel fd, or the fatal report.
FILE* channelReader(int fd) {
  FILE* fp = fd >= 0 ? FilePointer(fd, 0) : nullptr;
  if (fp == nullptr) vnStringError("vnStringFgets()", "File is not opened", nullptr);
  return fp;
}

// One line of at most n bytes, its line end included, as the C library's
// line reader takes it; end of input gives what was read (maybe nothing).
std::string readLine(FILE* fp, int n) {
  std::string line;
  while (static_cast<int>(line.size()) < n) {
    const int c = std::getc(fp);
    if (c == EOF) break;
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return line;
}

enum class Relation { kEq, kNe, kLt, kLe, kGt, kGe, kNone };

Relation relationOf(const char* op) {
  static const struct {
    const char* text;
    Relation relation;
  } table[] = {{"==", Relation::kEq}, {"!=", Relation::kNe}, {"<", Relation::kLt},
               {"<=", Relation::kLe}, {">", Relation::kGt},  {">=", Relation::kGe}};
  if (op == nullptr) return Relation::kNone;
  for (const auto& entry : table)
    if (std::strcmp(op, entry.text) == 0) return entry.relation;
  return Relation::kNone;
}

bool holds(Relation relation, char x, char y) {
  const signed char a = static_cast<signed char>(x);
  const signed char b = static_cast<signed char>(y);
  switch (relation) {
    case Relation::kEq: return x == y;
    case Relation::kNe: return x != y;
    case Relation::kLt: return a < b;
    case Relation::kLe: return a <= b;
    case Relation::kGt: return a > b;
    case Relation::kGe: return a >= b;
    case Relation::kNone: break;
  }
  return false;
}

}  // namespace

// ------------------------------------------------ construction, accessors

String* vnStringSameDef(String* s) { return vnStringDef("", s->length); }
String* vnStringNull() { return vnStringDef("", 0); }

String* vnStringCharToString(char ch) {
  String* s = vnStringDef("", 1);
  s->text[0] = ch;
  return s;
}

String* vnStringSetString(String* s, const char* text) {
  if (text == nullptr) text = "";
  const size_t length = std::strlen(text);
  if (static_cast<long long>(length) == s->length) {
    std::memmove(s->text, text, length);   // text may lie inside s
    return s;
  }
  char* fresh = static_cast<char*>(emalloc(length + 1));
  std::memcpy(fresh, text, length + 1);
  if (s->text != nullptr) efree(s->text);
  s->text = fresh;
  s->length = resultLength(static_cast<long long>(length), "vnStringSetString()", s, nullptr);
  return s;
}

String* vnStringSetChar(String* s, int i, char ch) {
  if (!within(i, s->length)) {
    std::snprintf(vnstring_err_src, vorn_report::kSourceSize, "%s(%d)(%d) = %c", s->name,
                  s->length, i, ch);
    vnStringError("vnStringSetChar()", "Index is not appropriate", s);
  }
  s->text[i - 1] = ch;
  return s;
}

int vnStringGetLength(String* s) { return s->length; }

String* vnStringSetLength(String* s, int n) {
  if (n < -1) vnStringError("vnStringSetLength()", "Not appropriate length", s);
  if (n == s->length) return s;
  // The buffer always holds length+1 bytes: the recycling table relies on it.
  char* fresh = nullptr;
  if (n >= 0) {
    const size_t keep = static_cast<size_t>(std::max(0, std::min(n, s->length)));
    fresh = static_cast<char*>(emalloc(static_cast<size_t>(n) + 1));
    if (keep > 0) std::memcpy(fresh, s->text, keep);
    std::memset(fresh + keep, 0, static_cast<size_t>(n) + 1 - keep);
  }
  if (s->text != nullptr) efree(s->text);
  s->text = fresh;
  s->length = n;
  return s;
}

// ------------------------------------------------- characters, sub-strings

String* vnStringGetElem(String* s, int i) {
  if (!within(i, s->length)) vnStringError("vnGetStringElem()", "Index is out ouf range", s);
  return vnStringCharToString(s->text[i - 1]);
}

String* vnStringSetElem(String* s, int i, String* one) {
  if (one->length != 1 || !within(i, s->length))
    vnStringError2("vnStringSetElem()", "Index is out ouf range", s, one);
  s->text[i - 1] = one->text[0];
  return s;
}

String* vnStringCut(String* s, int from, int to) {
  if (from < 1 || from > to || to > s->length) vnStringError("vnStringCut()", "Index is out of range", s);
  return bytesString(s->text + from - 1, to - from + 1);
}

String* vnStringPut(String* dst, int pos, String* src) {
  vnStringUndefCheck(src, "vnStringPut()");
  if (!within(pos, dst->length) || static_cast<long long>(pos) + src->length - 1 > dst->length)
    vnStringError2("vnStringPut()", "Confliction of length", dst, src);
  std::memmove(dst->text + pos - 1, src->text, static_cast<size_t>(src->length));
  return dst;
}

String* vnStringPartCopy(String* dst, int d1, int d2, String* src, int s1, int s2) {
  if (d1 < 1 || d2 < 1 || s1 < 1 || s2 < 1 || d1 > d2 || d2 > dst->length || s1 > s2 ||
      s2 > src->length || d2 - d1 != s2 - s1)
    vnStringError2("vnStringPartCopy()", "Confliction of length", dst, src);
  std::memmove(dst->text + d1 - 1, src->text + s1 - 1, static_cast<size_t>(s2 - s1 + 1));
  return dst;
}

String* vnStringGetSubString(String* s, int from, int to, int step) {
  if (static_cast<uint32_t>(step) <= 1u && from <= to) return vnStringCut(s, from, to);
  Matrix* series = seriesIndex(s, from, to, step, "vnStringGetSubString2()");
  String* result = vnStringGetSubString2(s, series);
  MatUndef(series);
  return result;
}

String* vnStringGetSubString2(String* s, Matrix* index) {
  const int n = indexCount(s, index, "vnStringGetSubString2()");
  String* result = vnStringDef("", n);
  for (int k = 0; k < n; k++) result->text[k] = s->text[positionAt(index, k) - 1];
  return result;
}

String* vnStringSetSubString(String* s, int from, int to, int step, String* src) {
  if (static_cast<uint32_t>(step) <= 1u && from <= to) return vnStringPut(s, from, src);
  Matrix* series = seriesIndex(s, from, to, step, "vnStringSetSubString2()");
  vnStringSetSubString2(s, series, src);
  MatUndef(series);
  return s;
}

namespace {

// True when the texts of a and b overlap in memory.
bool sharesText(const String* a, const String* b) {
  if (a->text == nullptr || b->text == nullptr) return false;
  const std::less<const char*> before;
  return before(a->text, b->text + b->length + 1) && before(b->text, a->text + a->length + 1);
}

}  // namespace

String* vnStringSetSubString2(String* s, Matrix* index, String* src) {
  const int n = indexCount(s, index, "vnStringSetSubString2()");
  vnStringUndefCheck(src, "vnStringSetSubString2()");
  if (src->length < n) vnStringError2("vnStringSetSubString2()", "Confliction of length", s, src);
  // s(index) = s permutes s: the source is read whole before any character
  // of the target changes.
  const std::string held = sharesText(s, src) ? std::string(src->text, static_cast<size_t>(n)) : std::string();
  const char* from = held.empty() ? src->text : held.data();
  for (int k = 0; k < n; k++) s->text[positionAt(index, k) - 1] = from[k];
  return s;
}

// --------------------------------------------------------------- operators

String* vnStringAdd(String* a, String* b) {
  const int la = a->length;
  const int lb = b->length;
  if (la > 0 && lb > 0) {
    String* s = vnStringDef("", resultLength(static_cast<long long>(la) + lb, "vnStringAdd()", a, b));
    std::memcpy(s->text, a->text, static_cast<size_t>(la));
    std::memcpy(s->text + la, b->text, static_cast<size_t>(lb));
    return s;
  }
  if (la > 0) return vnStringDup(a);
  if (lb > 0) return vnStringDup(b);
  if (la == -1 && lb == -1) return vnStringDef("", -1);
  return vnStringNull();
}

String* vnStringMul(String* s, int n) {
  vnStringUndefCheck(s, "vnStringMul()");
  if (n < 0) vnStringError("vnStringMul()", "Number must be positive", s);
  const int unit = s->length;
  String* r = vnStringDef("", resultLength(static_cast<long long>(unit) * n, "vnStringMul()", s, nullptr));
  for (int k = 0; k < n && unit > 0; k++)
    std::memcpy(r->text + static_cast<size_t>(k) * static_cast<size_t>(unit), s->text,
                static_cast<size_t>(unit));
  return r;
}

String* vnStringReverse(String* s) {
  vnStringUndefCheck(s, "vnStringReverse()");
  String* r = vnStringDef("", s->length);
  std::reverse_copy(s->text, s->text + s->length, r->text);
  return r;
}

int vnStringCompare(String* a, String* b) {
  const char* x = a->text != nullptr ? a->text : "";
  const char* y = b->text != nullptr ? b->text : "";
  return std::strcmp(x, y);
}

int vnStringIsEqual(String* a, String* b) { return vnStringCompare(a, b) == 0 ? 1 : 0; }
int vnStringIsNotEqual(String* a, String* b) { return vnStringIsEqual(a, b) ? 0 : 1; }

Matrix* vnStringCompareElem(String* a, String* b, const char* op) {
  vnStringUndefCheck2(a, b, "vnStringCompareElem()");
  const int la = a->length;
  const int lb = b->length;
  // A one-character operand stands for itself repeated to the other's length.
  int n = la;
  if (la != lb) {
    if (la == 1) n = lb;
    else if (lb != 1) vnStringError2("vnStringCompareElem()", "Length mismatch", a, b);
  }
  const Relation relation = relationOf(op);
  if (relation == Relation::kNone) vnStringError2("vnStringCompareElem()", "Incorrect operator", a, b);
  Matrix* m = MatDef("", 1, n);
  double* v = MatReal(m);
  for (int k = 0; k < n; k++) {
    const char x = a->text[la == 1 ? 0 : k];
    const char y = b->text[lb == 1 ? 0 : k];
    v[k] = holds(relation, x, y) ? 1.0 : 0.0;
  }
  return m;
}

int vnStringIndex(String* s, String* key) {
  vnStringUndefCheck(s, "vnStringIndex()");
  if (key->length != 1) vnStringError2("vnStringIndex()", "Keyword is too long", s, key);
  for (int k = 0; k < s->length; k++)
    if (s->text[k] == key->text[0]) return k + 1;
  return 0;
}

int vnStringLastIndex(String* s, String* key) {
  vnStringUndefCheck(s, "vnStringLastIndex()");
  if (key->length != 1) vnStringError2("vnStringLastIndex()", "Keyword is too long", s, key);
  for (int k = s->length; k >= 1; k--)
    if (s->text[k - 1] == key->text[0]) return k;
  return 0;
}

// -------------------------------------------------------- input and output

// An undefined String prints as the empty text: scope markers are undefined
// and vnStringAllPrint shows them too.
String* vnStringPrint(String* s) {
  const char* text = s->text != nullptr ? s->text : "";
  if (s->name[0] != '\0') std::printf("%s = %s\n", s->name, text);
  else std::printf("ans = %s\n", text);
  std::fflush(stdout);
  return s;
}

void vnStringAllPrint() {
  for (String* s = topvnstring->next; s != nullptr; s = s->next) vnStringPrint(s);
}

String* vnStringGets(int n) {
  std::string line = readLine(channelReader(0), n);
  if (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return bytesString(line.data(), static_cast<int>(line.size()));
}

String* vnStringFgets(int fd, int n) {
  const std::string line = readLine(channelReader(fd), n);
  return bytesString(line.data(), static_cast<int>(line.size()));
}

String* vnStringSprintf(const char* format, ...) {
  char buffer[kSprintfMax + 1];
  va_list ap;
  va_start(ap, format);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, ap);
  va_end(ap);
  if (n < 0) vnStringError("vnStringSprintf()", "Not complete", nullptr);
  if (n > kSprintfMax) vnStringError("vnStringSprintf()", "Not enough buffer size", nullptr);
  return bytesString(buffer, n);
}

// A plain line input stands in for the terminal's line editor: the prompt
// and the current text are shown, and the line typed after the prompt (at
// most 4095 characters, line end dropped) replaces the text. An empty line
// or the end of input keeps the current text.
String* vnStringEdit(String* s) {
  const char* prompt = s->name[0] != '\0' ? s->name : "String";
  std::printf("%s = %s\n%s = ", prompt, s->text != nullptr ? s->text : "", prompt);
  std::fflush(stdout);
  char line[kEditMax + 1];
  if (std::fgets(line, sizeof line, stdin) == nullptr) return s;
  size_t n = std::strlen(line);
  if (n > 0 && line[n - 1] == '\n') {
    line[--n] = '\0';
  } else {
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) {
    }   // drop the part of an overlong line past the limit
  }
  if (n > 0 && line[n - 1] == '\r') line[--n] = '\0';
  if (n > 0) vnStringSetString(s, line);
  return s;
}

String* vnStringInput(const char* name) { return vnStringEdit(vnStringDef(name, 0)); }

String* vnStringFileRead(const char* path) {
  const bool standard = std::strcmp(path, "stdin") == 0;
  FILE* fp = standard ? stdin : std::fopen(path, "r");
  if (fp == nullptr) vnStringError("vnStringFileRead()", "Can't open file", nullptr);
  char word[kWordMax + 1];
  const int got = std::fscanf(fp, "%1023s", word);
  if (!standard) std::fclose(fp);
  return vnStringStringDef(got == 1 ? word : "");
}

String* vnStringFileWrite(String* s, const char* path) {
  StringFileWrite(s->text != nullptr ? s->text : "", path);
  return s;
}
