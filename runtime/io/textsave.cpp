#include "runtime/io/textsave.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/memory.h"
#include "runtime/core/util.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/core/report.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/list.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/polytext.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"

namespace {

constexpr const char* kTerminator = ";\n\n";
constexpr int kNumberSize = 64;        // RealToString's block size
constexpr int kSaveWidth = 75;         // line width of saved polynomials
constexpr size_t kHeaderMax = 4096;    // bytes of a column-layout header read

bool isStdout(const char* file) { return std::strcmp(file, "stdout") == 0; }

const char* fileName(const char* file) { return file != nullptr ? file : ""; }

FILE* openSave(const char* file, int append) {
  if (isStdout(file)) return stdout;
  return std::fopen(file, append ? "a" : "w");
}

// Standard output stays open; flushing keeps it in step with the reports
// written unbuffered on descriptor 1.
void closeSave(FILE* fp) {
  if (fp == stdout) std::fflush(stdout);
  else std::fclose(fp);
}

void writeTerminator(FILE* fp, int terminate_) {
  if (terminate_) std::fputs(kTerminator, fp);
}

std::string cantOpen(const char* file) {
  std::string message;
  vorn_report::appendf(message, "Can't open file %s", file);
  return message;
}

// Fills one of the kinds' 256-byte error-source buffers.
void setSource(char* buffer, const char* format, ...) __attribute__((format(printf, 2, 3)));
void setSource(char* buffer, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(buffer, vorn_report::kSourceSize, format, ap);
  va_end(ap);
}

const char* variableOf(const Polynomial* p) { return p->variable != nullptr ? p->variable : "s"; }

// A rational's variable: the numerator's, else the denominator's (or none).
const char* variableOf(const Rational* r) {
  return r->nume->variable != nullptr ? r->nume->variable : r->deno->variable;
}

// The wrap indent of a saved polynomial or rational: the name and " = "
// plus one, or 4 without a name.
int saveIndent(const char* name) {
  const size_t n = std::strlen(name);
  return n != 0 ? static_cast<int>(n) + 4 : 4;
}

char* wrappedPoly(Polynomial* p, int indent, int width) {
  return PolyStringWrap(PolyToString(p, nullptr, 1, p->variable), indent, width, "\n");
}

void wrappedRat(Rational* r, int indent, int width, char** nume, char** deno) {
  *nume = nullptr;
  *deno = nullptr;
  RatToString(r, nume, deno, 1, variableOf(r));
  *nume = PolyStringWrap(*nume, indent, width, "\n");
  *deno = PolyStringWrap(*deno, indent, width, "\n");
}

// ---- Matrix elements in the save layout -------------------------------

void writeRealElement(FILE* fp, Matrix* m, int k, bool rowEnd) {
  char text[kNumberSize];
  RealToString(MatReal(m)[k], text, "%16.8E");
  std::fprintf(fp, rowEnd ? "%16s  " : "%16s,", text);
}

void writeComplexElement(FILE* fp, Matrix* m, int k, bool rowEnd) {
  char re[kNumberSize];
  char im[kNumberSize];
  RealToString(MatReal(m)[2 * k], re, "%16.8E");
  RealToString(MatReal(m)[2 * k + 1], im, "%16.8E");
  const std::string text = std::string("(") + re + "," + im + ")";
  std::fprintf(fp, "%16s", text.c_str());
  if (!rowEnd) std::fputs(",  ", fp);
}

void writePolyElement(FILE* fp, Matrix* m, int k, bool rowEnd) {
  char* text = wrappedPoly(MatPolys(m)[k], 3, 73);
  std::fprintf(fp, rowEnd ? " %s " : " %s,  ", text);
  efree(text);
}

void writeRatElement(FILE* fp, Matrix* m, int k, bool rowEnd) {
  char* nume;
  char* deno;
  wrappedRat(MatRats(m)[k], 3, 70, &nume, &deno);
  std::fprintf(fp, rowEnd ? " (%s)/\n   (%s) " : " (%s)/\n   (%s),  ", nume, deno);
  efree(nume);
  efree(deno);
}

struct ElementLayout {
  int perLine;   // elements per line of a row
  void (*write)(FILE*, Matrix*, int, bool);
};

const ElementLayout kLayouts[] = {
    {4, writeRealElement}, {2, writeComplexElement}, {1, writePolyElement},
    {1, writePolyElement}, {1, writeRatElement},     {1, writeRatElement},
};

// Rows are bracketed one per line group, each row broken into chunks of
// layout.perLine elements. A row without columns is written "[]", so that
// the row count survives.
void writeMatrixBody(FILE* fp, Matrix* m, const ElementLayout& layout, bool prefixed,
                     int terminate_) {
  const int rows = m->rows;
  const int cols = m->cols;
  auto closeRow = [&](int i) {
    if (i + 1 < rows) {
      std::fputs("]\n", fp);
      return;
    }
    std::fputs("]]", fp);
    if (prefixed) std::fputc(')', fp);
    writeTerminator(fp, terminate_);
  };
  for (int i = 0; i < rows; i++) {
    if (i > 0) std::fputc(' ', fp);
    if (cols == 0) {
      std::fputc('[', fp);
      closeRow(i);
      continue;
    }
    for (int start = 0; start < cols; start += layout.perLine) {
      std::fputs(start == 0 ? "[" : "  ", fp);
      const int stop = start + layout.perLine < cols ? start + layout.perLine : cols;
      for (int j = start; j < stop; j++) layout.write(fp, m, i * cols + j, j + 1 == cols);
      if (stop == cols) closeRow(i);
      else std::fputc('\n', fp);
    }
  }
}

// ---- Column layout reading ----------------------------------------------

[[noreturn]] void dataBroken(const char* file) {
  MatErrorSource("read << \"%s\"", file);
  MatError("MatFileRead()", "Data may be broken.", nullptr);
}

inline bool isLineEnd(char c) { return c == '\n' || c == '\r'; }
inline bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The whole input in memory: standard input cannot be rewound, and every
// read below is bounded by what the file really holds.
bool slurp(FILE* fp, std::string& out) {
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, fp)) > 0) out.append(chunk, n);
  return std::ferror(fp) == 0;
}

class Cursor {
 public:
  explicit Cursor(const std::string& text) : p_(text.c_str()), end_(text.c_str() + text.size()) {}

  // Past the next line end; "\r\n" counts as one.
  void skipLine() {
    while (p_ < end_ && !isLineEnd(*p_)) p_++;
    if (p_ >= end_) return;
    if (*p_++ == '\r' && p_ < end_ && *p_ == '\n') p_++;
  }

  // Passes comment lines (first character "#") and lines of blanks.
  void skipToDataLine() {
    while (p_ < end_) {
      const char* q = p_;
      while (q < end_ && isBlank(*q)) q++;
      if (*p_ != '#' && q < end_ && !isLineEnd(*q)) return;
      skipLine();
    }
  }

  // One number as "%lf" reads it: leading white space (line ends included),
  // then the longest prefix that converts.
  bool readValue(double& value) {
    while (p_ < end_ && std::isspace(static_cast<unsigned char>(*p_))) p_++;
    if (p_ >= end_) return false;
    char* stop = nullptr;
    value = std::strtod(p_, &stop);   // the buffer is NUL-terminated
    if (stop == p_ || stop > end_) return false;
    p_ = stop;
    return true;
  }

  // The rest of the current line, line end excluded.
  std::string restOfLine() const {
    const char* q = p_;
    while (q < end_ && !isLineEnd(*q)) q++;
    return std::string(p_, q);
  }

 private:
  const char* p_;
  const char* end_;
};

// A header dimension: a non-negative decimal integer that fits an int.
bool parseDimension(const char*& p, int& out) {
  while (std::isspace(static_cast<unsigned char>(*p))) p++;
  errno = 0;
  char* stop = nullptr;
  const long value = std::strtol(p, &stop, 10);
  if (stop == p || errno == ERANGE || value < 0 || value > INT_MAX) return false;
  out = static_cast<int>(value);
  p = stop;
  return true;
}

struct Table {
  int rows = 0;
  int cols = 0;
  bool complex = false;
  std::vector<double> values;   // row-major, two per element when complex
};

// "# rows cols [C]", then one line per column.
bool readWithHeader(const std::string& text, Table& t) {
  Cursor cur(text);
  std::string header = cur.restOfLine();
  if (header.size() > kHeaderMax) header.resize(kHeaderMax);
  cur.skipLine();
  t.complex = header.find('C') != std::string::npos;
  const char* p = header.c_str() + 1;   // past "#"
  if (!parseDimension(p, t.rows) || !parseDimension(p, t.cols)) return false;
  const int64_t elements = static_cast<int64_t>(t.rows) * t.cols;
  if (elements > INT_MAX) return false;
  // Without rows the column lines hold no values: nothing is there to read,
  // however many columns the header claims.
  if (t.rows == 0) return true;
  const int width = t.complex ? 2 : 1;
  // Values are read column by column; they land transposed afterwards. Every
  // column takes at least one value, so the loop ends with the data.
  std::vector<double> byColumn;
  for (int j = 0; j < t.cols; j++) {
    cur.skipToDataLine();
    for (int64_t i = 0; i < static_cast<int64_t>(t.rows) * width; i++) {
      double v;
      if (!cur.readValue(v)) return false;
      byColumn.push_back(v);
    }
    cur.skipLine();
  }
  t.values.assign(byColumn.size(), 0.0);
  for (int j = 0; j < t.cols; j++)
    for (int i = 0; i < t.rows; i++)
      for (int w = 0; w < width; w++)
        t.values[(static_cast<size_t>(i) * t.cols + j) * width + w] =
            byColumn[(static_cast<size_t>(j) * t.rows + i) * width + w];
  return true;
}

// A plain table: one row per line holding tokens, every token a number,
// every such line of the same length. Comment lines are passed over.
bool readTable(const std::string& text, Table& t) {
  const char* p = text.c_str();
  const char* const end = p + text.size();
  int cols = -1;
  while (p < end) {
    const char* lineEnd = p;
    while (lineEnd < end && !isLineEnd(*lineEnd)) lineEnd++;
    if (*p != '#') {
      // A line of more tokens than a matrix can hold columns is refused,
      // not counted round.
      int64_t tokens = 0;
      for (const char* q = p; q < lineEnd;) {
        if (isBlank(*q)) {
          q++;
          continue;
        }
        const char* tokenEnd = q;
        while (tokenEnd < lineEnd && !isBlank(*tokenEnd)) tokenEnd++;
        const std::string token(q, tokenEnd);
        char* stop = nullptr;
        const double v = std::strtod(token.c_str(), &stop);
        if (stop == token.c_str() || stop != token.c_str() + token.size()) return false;
        t.values.push_back(v);
        tokens++;
        q = tokenEnd;
      }
      if (tokens > INT_MAX) return false;
      if (tokens > 0) {
        if (cols == -1) cols = static_cast<int>(tokens);
        else if (tokens != cols) return false;
        if (t.rows == INT_MAX) return false;
        t.rows++;
      }
    }
    p = lineEnd < end ? lineEnd + 1 : end;
  }
  t.cols = cols == -1 ? 0 : cols;
  return static_cast<int64_t>(t.rows) * t.cols <= INT_MAX;
}

}  // namespace

int IntegerFileSave(int value, const char* file, const char* name, int append, int terminate_) {
  file = fileName(file);
  FILE* fp = openSave(file, append);
  if (fp == nullptr) {
    std::fprintf(stderr, append ? "IntegerFileSave(): Cann't open %s.\n"
                                : "IntegerFileSave(): Can't open %s.\n",
                 file);
    return -1;
  }
  if (name != nullptr && name[0] != '\0') std::fprintf(fp, "%s = %d", name, value);
  else std::fprintf(fp, "%d", value);
  writeTerminator(fp, terminate_);
  closeSave(fp);
  return 0;
}

int RealFileSave(double value, const char* file, const char* name, int append, int terminate_) {
  file = fileName(file);
  FILE* fp = openSave(file, append);
  if (fp == nullptr) {
    std::fprintf(stderr, "RealFileSave(): Can't open %s.\n", file);
    return -1;
  }
  if (name != nullptr && name[0] != '\0') std::fprintf(fp, "%s = ", name);
  char text[kNumberSize];
  std::fprintf(fp, "%16s", RealToString(value, text, "%16.8E"));
  writeTerminator(fp, terminate_);
  closeSave(fp);
  return 0;
}

Complex* CompFileSave(Complex* z, const char* file, int append, int terminate_) {
  static const char* const tag = "CompFileSave()";
  file = fileName(file);
  FILE* fp = openSave(file, append);
  if (fp == nullptr) {
    setSource(comp_err_src, "save %s(%G,%G), %s", z->name, z->re, z->im, file);
    CompError(tag, cantOpen(file).c_str(), z);
  }
  char* text = CompToString(z, nullptr, "%G");
  if (z->name[0] != '\0') std::fprintf(fp, "%s = \"%s\"", z->name, text);
  else std::fprintf(fp, "\"%s\"", text);
  efree(text);
  writeTerminator(fp, terminate_);
  closeSave(fp);
  return z;
}

String* vnStringFileSave(String* s, const char* file, int append, int terminate_) {
  static const char* const tag = "vnStringFileSave()";
  vnStringUndefCheck(s, tag);
  file = fileName(file);
  FILE* fp = openSave(file, append);
  if (fp == nullptr) {
    setSource(vnstring_err_src, "save %s(#%d), %s", s->name, s->length, file);
    vnStringError(tag, cantOpen(file).c_str(), s);
  }
  if (s->name[0] != '\0') std::fprintf(fp, "%s = ", s->name);
  // The text goes out unchanged, every byte of it.
  std::fputc('"', fp);
  std::fwrite(s->text, 1, static_cast<size_t>(s->length), fp);
  std::fputc('"', fp);
  writeTerminator(fp, terminate_);
  closeSave(fp);
  return s;
}

Polynomial* PolyFileSave(Polynomial* p, const char* file, int append, int terminate_) {
  static const char* const tag = "PolyFileSave()";
  PolyUndefCheck(p, tag);
  file = fileName(file);
  FILE* fp = openSave(file, append);
  if (fp == nullptr) {
    setSource(poly_err_src, "save %s(%s^%d), %s", p->name, variableOf(p), p->degree, file);
    PolyError(tag, cantOpen(file).c_str(), p);
  }
  char* text = wrappedPoly(p, saveIndent(p->name), kSaveWidth);
  if (p->name[0] != '\0') std::fprintf(fp, "%s = ", p->name);
  std::fputs(text, fp);
  efree(text);
  writeTerminator(fp, terminate_);
  closeSave(fp);
  return p;
}

Rational* RatFileSave(Rational* r, const char* file, int append, int terminate_) {
  static const char* const tag = "RatFileSave()";
  RatUndefCheck(r, tag);
  file = fileName(file);
  FILE* fp = openSave(file, append);
  if (fp == nullptr) {
    setSource(rat_err_src, "save %s(s^%d/s^%d), %s", r->name, r->nume_degree, r->deno_degree,
              file);
    RatError(tag, cantOpen(file).c_str(), r);
  }
  char* nume;
  char* deno;
  wrappedRat(r, saveIndent(r->name), kSaveWidth, &nume, &deno);
  const size_t n = std::strlen(r->name);
  if (n != 0) {
    // The two opening parentheses line up under each other.
    std::fprintf(fp, "%s = (%s)/\n", r->name, nume);
    std::fprintf(fp, "%*s(%s)", static_cast<int>(n + 3), "", deno);
  } else {
    std::fprintf(fp, "(%s)/\n(%s)", nume, deno);
  }
  efree(nume);
  efree(deno);
  writeTerminator(fp, terminate_);
  closeSave(fp);
  return r;
}

Matrix* MatFileSave(Matrix* m, const char* file, int append, int terminate_, const char* prefix) {
  static const char* const tag = "MatFileSave()";
  if (m->class_ < MAT_REAL || m->class_ > MAT_C_RATIONAL) MatError(tag, "Incorrect class matrix", m);
  file = fileName(file);
  if (prefix == nullptr) prefix = "";
  FILE* fp = openSave(file, append);
  if (fp == nullptr) {
    MatErrorSource("save %s(%dx%d), \"%s\"", m->name, m->rows, m->cols, file);
    MatError(tag, cantOpen(file).c_str(), m);
  }
  const bool named = m->name[0] != '\0';
  const bool prefixed = prefix[0] != '\0';
  if (named) std::fprintf(fp, "%s = ", m->name);
  if (prefixed) std::fprintf(fp, "%s(", prefix);
  std::fputs(named ? "[\n " : "[", fp);
  if (m->rows == 0) {
    std::fputc(']', fp);
    if (prefixed) std::fputc(')', fp);
    writeTerminator(fp, terminate_);
  } else {
    writeMatrixBody(fp, m, kLayouts[m->class_], prefixed, terminate_);
  }
  closeSave(fp);
  return m;
}

void ListElementSave(List* l, int i, const char* file) {
  file = fileName(file);
  const int class_ = ListGetClass(l, i);
  if (class_ < LIST_STRING || class_ > LIST_LIST) {
    if (l->name[0] != '\0') setSource(list_err_src, "save %s, %s", l->name, file);
    else setSource(list_err_src, "save {...}, %s", file);
    ListError("ListElementSave()", "Not appropriate element", l);
  }
  void* element = ListGetElementP(l, i, class_);
  switch (class_) {
    case LIST_STRING:
      vnStringFileSave(vnStringSetName(static_cast<String*>(element), ""), file, 1, 0);
      break;
    case LIST_INTEGER: IntegerFileSave(*static_cast<int32_t*>(element), file, "", 1, 0); break;
    case LIST_REAL: RealFileSave(*static_cast<double*>(element), file, "", 1, 0); break;
    case LIST_COMPLEX:
      CompFileSave(CompSetName(static_cast<Complex*>(element), ""), file, 1, 0);
      break;
    case LIST_POLYNOMIAL:
      PolyFileSave(PolySetName(static_cast<Polynomial*>(element), ""), file, 1, 0);
      break;
    case LIST_RATIONAL:
      RatFileSave(RatSetName(static_cast<Rational*>(element), ""), file, 1, 0);
      break;
    case LIST_MATRIX:
    case LIST_ARRAY:
    case LIST_INDEX: {
      const char* prefix = class_ == LIST_ARRAY ? "Array" : class_ == LIST_INDEX ? "Index" : "";
      MatFileSave(MatSetName(static_cast<Matrix*>(element), ""), file, 1, 0, prefix);
      break;
    }
    default:   // LIST_LIST
      ListFileSave(ListSetName(static_cast<List*>(element), ""), file, 1, 0);
      break;
  }
}

List* ListFileSave(List* l, const char* file, int append, int terminate_) {
  file = fileName(file);
  auto open = [&](int appendMode) {
    FILE* fp = openSave(file, appendMode);
    if (fp != nullptr) return fp;
    if (l->name[0] != '\0') setSource(list_err_src, "save %s, \"%s\"", l->name, file);
    else setSource(list_err_src, "save {...}, \"%s\"", file);
    ListError("ListFileSave()", cantOpen(file).c_str(), l);
  };
  FILE* fp = open(append);
  if (l->name[0] != '\0') std::fprintf(fp, "%s = {", l->name);
  else std::fputc('{', fp);
  if (l->length == 0) {
    std::fputc('}', fp);
    writeTerminator(fp, terminate_);
  }
  closeSave(fp);
  // Each element's saver opens the file itself, so the separators are
  // appended between them.
  for (int i = 1; i <= l->length; i++) {
    ListElementSave(l, i, file);
    fp = open(1);
    if (i < l->length) {
      std::fputc(',', fp);
    } else {
      std::fputc('}', fp);
      writeTerminator(fp, terminate_);
    }
    closeSave(fp);
  }
  return l;
}

Matrix* MatFileWrite(Matrix* m, const char* file) {
  static const char* const tag = "MatFileWrite()";
  file = fileName(file);
  FILE* fp = openSave(file, 0);
  if (fp == nullptr) {
    MatErrorSource("print %s(%dx%d) >> \"%s\"", m->name, m->rows, m->cols, file);
    MatError(tag, cantOpen(file).c_str(), m);
  }
  if (m->class_ != MAT_REAL && m->class_ != MAT_COMPLEX) {
    closeSave(fp);
    MatErrorSource("print %s(%dx%d) >> \"%s\"", m->name, m->rows, m->cols, file);
    MatError(tag, "Neither a real matrix nor a complex matrix", m);
  }
  const bool complex = m->class_ == MAT_COMPLEX;
  const int rows = m->rows;
  const int cols = m->cols;
  std::fprintf(fp, complex ? "# %d %d C\n" : "# %d %d\n", rows, cols);
  const double* v = MatReal(m);
  // One line per column: the file reads as the transpose.
  for (int j = 0; j < cols; j++) {
    for (int i = 0; i < rows; i++) {
      const size_t k = static_cast<size_t>(i) * cols + j;
      if (i > 0) std::fputc(' ', fp);
      if (complex) std::fprintf(fp, "%16.8E %16.8E", v[2 * k], v[2 * k + 1]);
      else std::fprintf(fp, "%16.8E", v[k]);
    }
    std::fputc('\n', fp);
  }
  closeSave(fp);
  return m;
}

Matrix* MatFileRead(const char* file) {
  file = fileName(file);
  const bool fromStdin = std::strcmp(file, "stdin") == 0;
  FILE* fp = fromStdin ? stdin : std::fopen(file, "r");
  if (fp == nullptr) {
    MatErrorSource("read << \"%s\"", file);
    MatError("MatFileRead()", cantOpen(file).c_str(), nullptr);
  }
  std::string text;
  const bool readOk = slurp(fp, text);
  if (!fromStdin) std::fclose(fp);
  Table t;
  if (!readOk) dataBroken(file);
  const bool ok = !text.empty() && text[0] == '#' ? readWithHeader(text, t) : readTable(text, t);
  if (!ok) dataBroken(file);
  Matrix* m = t.complex ? C_MatDef("", t.rows, t.cols) : MatDef("", t.rows, t.cols);
  if (!t.values.empty()) std::memcpy(m->data, t.values.data(), t.values.size() * sizeof(double));
  return m;
}
