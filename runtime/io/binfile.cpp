// Binary data records of every kind: the version 6 writers and the readers
// of versions 4, 5 and 6 in either byte order.
#include "runtime/io/binfile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/registry.h"
#include "runtime/core/report.h"
#include "runtime/io/binfile_internal.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_kernel.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/objects/complex_scalar.h"
#include "runtime/objects/list.h"
#include "runtime/objects/polynomial.h"
#include "runtime/objects/rational.h"
#include "runtime/objects/vnstring.h"

namespace {

using vorn_binfile::kChunk;
using vorn_binfile::Room;

constexpr uint32_t kMarker = 0xFFFFFFFFu;
constexpr int32_t kVersion = 6;
constexpr int32_t kNameMax = 1024;          // name length with its NUL
constexpr uint32_t kMatrixFlags = 0x010000;  // flags byte of matrix records
constexpr uint32_t kDoubleFormat = 0x2000;   // element format "double"
constexpr uint32_t kLongFormat = 0x0500;     // element format "long"
// The least a List element can take on the stream: its tag and a version
// 4 record of an empty matrix (five header words and an empty name).
constexpr uint64_t kElementMin = 4 + 20 + 1;
constexpr char kReadSource[] = "read <- \"\"";

// Kind codes of versions 5 and 6, and their version 4 twins.
enum Kind : int {
  kString = 1, kInteger = 2, kReal = 3, kComplex = 4, kPoly = 5,
  kRational = 6, kMatrix = 7, kArray = 8, kIndex = 9, kList = 10,
};
int version4Code(int kind) {
  static const int codes[] = {-1, 4, 1, 2, 3, 5, 6, 0, 8, 9, 7};
  return codes[kind];
}
// The version 5/6 kind of a version 4 List tag 0..9.
int kindOfVersion4(int tag) {
  static const int kinds[] = {kMatrix, kInteger, kReal, kComplex, kString, kPoly, kRational, kList, kArray, kIndex};
  return kinds[tag];
}

enum Failure { kOk, kBroken, kWrongClass, kBadMachine, kNameShort, kBadContent };
const char* const kMessages[] = {"", "Data structure is broken", "Incorrect class datafile",
                                 "Incorrect machine datafile", "Variable name is too short",
                                 "Data is broken or too few"};

void setReadSource(char* buffer) { std::snprintf(buffer, vorn_report::kSourceSize, "%s", kReadSource); }

// ---- Writing -------------------------------------------------------------

void writeWords(FILE* fp, const int32_t* words, size_t n) { std::fwrite(words, sizeof(int32_t), n, fp); }

void writeHead(FILE* fp, uint32_t low, int32_t w1, int32_t w2, int32_t w3, const char* name) {
  if (name == nullptr) name = "";
  const size_t length = std::strlen(name) + 1;
  WriteDataHead(fp);
  const int32_t head[5] = {static_cast<int32_t>(kMachineType | low), w1, w2, w3,
                           static_cast<int32_t>(length)};
  writeWords(fp, head, 5);
  std::fwrite(name, 1, length, fp);
}

void writeDoubles(FILE* fp, const double* v, size_t n) {
  if (n != 0) std::fwrite(v, sizeof(double), n, fp);
}

// A variable name as its length word (0 for none) and its bytes.
void writeVariable(FILE* fp, const char* variable) {
  if (variable == nullptr || variable[0] == '\0') {
    const int32_t none = 0;
    writeWords(fp, &none, 1);
    return;
  }
  const int32_t length = static_cast<int32_t>(std::strlen(variable) + 1);
  writeWords(fp, &length, 1);
  std::fwrite(variable, 1, static_cast<size_t>(length), fp);
}

// The coefficient row, constant term first; a real row stored as pairs
// when complex is asked for.
void writeCoefficients(FILE* fp, Polynomial* p, bool complex) {
  const size_t n = static_cast<size_t>(p->degree + 1);
  const double* c = MatReal(p->coef);
  if (complex == (p->class_ == 1)) {
    writeDoubles(fp, c, complex ? 2 * n : n);
    return;
  }
  for (size_t k = 0; k < n; k++) {
    const double pair[2] = {c[k], 0.0};
    writeDoubles(fp, pair, 2);
  }
}

// ---- Reading -------------------------------------------------------------

struct Head {
  int32_t h[5];
  int version;
  bool flip;          // the payload is foreign
  std::string name;   // as stored, up to its first NUL
};

// Preamble, header and name of a record of the kind.
Failure readHead(FILE* fp, int kind, Head& head) {
  if (!ReadDataHead(head.h, fp, &head.version)) return kBroken;
  const int want = head.version == 4 ? version4Code(kind) : kind;
  if ((head.h[0] & 0xFF) != want) return kWrongClass;
  const int32_t length = head.h[4];
  if (length > kNameMax || length < 1) return kBadMachine;
  std::string name(static_cast<size_t>(length), '\0');
  if (std::fread(&name[0], 1, name.size(), fp) != name.size()) return kNameShort;
  name.resize(std::strlen(name.c_str()));
  head.name = name;
  head.flip = machine_type_check(static_cast<uint32_t>(head.h[0])) != 0;
  return kOk;
}

bool readWord(FILE* fp, bool flip, int32_t* value) {
  if (std::fread(value, sizeof(int32_t), 1, fp) != 1) return false;
  if (flip) flip_long_byte_order(value);
  return true;
}

// count doubles into out, each reversed when flip.
bool readDoubles(FILE* fp, uint64_t count, bool flip, std::vector<double>& out) {
  uint64_t bytes;
  if (!vorn_binfile::product(count, sizeof(double), &bytes)) return false;
  std::vector<unsigned char> raw;
  if (!vorn_binfile::readBytes(fp, bytes, raw)) return false;
  out.resize(count);
  if (count != 0) std::memcpy(out.data(), raw.data(), bytes);
  if (flip)
    for (double& v : out) flip_double_byte_order(&v);
  return true;
}

// A variable name of a polynomial or rational record (versions 5, 6).
bool readVariable(FILE* fp, bool flip, std::string& variable) {
  int32_t length;
  if (!readWord(fp, flip, &length) || length < 0) return false;
  std::vector<unsigned char> raw;
  if (!vorn_binfile::readBytes(fp, static_cast<uint64_t>(length), raw)) return false;
  variable.assign(raw.begin(), raw.end());
  variable.resize(std::strlen(variable.c_str()));
  return true;
}

// False when the stream is known to end before count items of at least
// `least` bytes each; a stream that cannot tell passes.
bool mayHold(FILE* fp, uint64_t count, uint64_t least) {
  uint64_t bytes;
  if (!vorn_binfile::product(count, least, &bytes)) return false;
  return bytes <= kChunk || vorn_binfile::roomFor(fp, bytes) != Room::kShort;
}

const char* variableOrNull(const std::string& variable) { return variable.empty() ? nullptr : variable.c_str(); }

// A polynomial of degree d (-1: empty) with its coefficients from the
// stream, a new temporary; null on a short or malformed run.
Polynomial* readPolynomial(FILE* fp, bool flip, int32_t degree, bool complex, const std::string& variable) {
  if (degree < -1) return nullptr;
  std::vector<double> c;
  const uint64_t width = complex ? 2 : 1;
  if (!readDoubles(fp, (static_cast<uint64_t>(degree) + 1) * width, flip, c)) return nullptr;
  const char* var = variableOrNull(variable);
  Polynomial* p = complex ? C_PolyDef("", degree, var) : PolyDef("", degree, var);
  if (!c.empty()) std::memcpy(p->coef->data, c.data(), c.size() * sizeof(double));
  return p;
}

Rational* readRational(FILE* fp, bool flip, int32_t n, int32_t d, bool complex, const std::string& variable) {
  const bool empty = n == -1 && d == -1;
  if (!empty && (n < 0 || d < 0)) return nullptr;
  std::vector<double> nume;
  std::vector<double> deno;
  const uint64_t width = complex ? 2 : 1;
  if (!empty && (!readDoubles(fp, (static_cast<uint64_t>(n) + 1) * width, flip, nume) ||
                 !readDoubles(fp, (static_cast<uint64_t>(d) + 1) * width, flip, deno)))
    return nullptr;
  Rational* r = complex ? C_RatDef("", n, d) : RatDef("", n, d);
  if (!empty) {
    std::memcpy(r->nume->coef->data, nume.data(), nume.size() * sizeof(double));
    std::memcpy(r->deno->coef->data, deno.data(), deno.size() * sizeof(double));
    RatSetVar(r, variableOrNull(variable));
  }
  return r;
}

// The elements of a polynomial or rational matrix, in storage order
// (rowMajor) or column by column; each element read into a new temporary
// first, so that what is allocated follows what the stream delivered.
int readElementMatrix(Matrix* m, FILE* fp, const Head& head, bool rowMajor) {
  const int rows = head.h[1];
  const int cols = head.h[2];
  const int class_ = head.h[3];
  const bool poly = class_ == MAT_POLY || class_ == MAT_C_POLY;
  const bool complex = class_ == MAT_C_POLY || class_ == MAT_C_RATIONAL;
  const size_t n = static_cast<size_t>(rows) * cols;
  // An empty element takes its degree words alone.
  if (!mayHold(fp, n, poly ? 4 : 8)) return 4;
  // In the order read; the vector grows with what the stream delivers.
  std::vector<void*> elements;
  const std::string none;
  bool ok = true;
  while (ok && elements.size() < n) {
    int32_t d1;
    int32_t d2 = 0;
    ok = readWord(fp, head.flip, &d1) && (poly || readWord(fp, head.flip, &d2));
    void* e = nullptr;
    if (ok)
      e = poly ? static_cast<void*>(readPolynomial(fp, head.flip, d1, complex, none))
               : static_cast<void*>(readRational(fp, head.flip, d1, d2, complex, none));
    ok = e != nullptr;
    if (ok) elements.push_back(e);
  }
  if (!ok) {
    for (void* e : elements) {
      if (poly) PolyUndef(static_cast<Polynomial*>(e));
      else RatUndef(static_cast<Rational*>(e));
    }
    return 4;
  }
  Matrix* fresh = vorn_matrix::defineElements("", rows, cols, class_);
  for (size_t step = 0; step < n; step++) {
    const size_t k = rowMajor ? step : (step % rows) * cols + step / rows;
    if (poly) {
      Polynomial* empty = MatPolys(fresh)[k];
      MatPolys(fresh)[k] = PolySetType(static_cast<Polynomial*>(elements[step]), vorn_registry::kHeld3);
      PolyUndef(empty);
    } else {
      Rational* empty = MatRats(fresh)[k];
      MatRats(fresh)[k] = RatSetType(static_cast<Rational*>(elements[step]), vorn_registry::kHeld2);
      RatUndef(empty);
    }
  }
  MatMove(m, fresh);
  MatUndef(fresh);
  return 0;
}

// The matrix payload of every version; the versions differ in the element
// format codes and in the order of polynomial and rational elements.
int readMatrixContent(Matrix* m, FILE* fp, const int32_t header[5], int version) {
  Head head;
  std::copy(header, header + 5, head.h);
  head.version = version;
  head.flip = machine_type_check(static_cast<uint32_t>(header[0])) != 0;
  const int rows = header[1];
  const int cols = header[2];
  const int class_ = header[3];
  if (rows < 0 || cols < 0 || class_ < MAT_REAL || class_ > MAT_C_RATIONAL) return 4;
  if (static_cast<int64_t>(rows) * cols > INT_MAX) return 4;
  const int n = rows * cols;
  const uint32_t type = static_cast<uint32_t>(header[0]);
  const int code = static_cast<int>((type >> 8) & 0xFF);
  if (class_ != MAT_REAL && (version == 4 ? (type & 0xFFFF) >= 0x100 : code != 0x20)) return 4;
  Matrix* fresh;
  if (class_ == MAT_REAL) {
    const vorn_binfile::ElementType* t = vorn_binfile::elementTypeOfCode(code, version == 4);
    if (t == nullptr) return 4;
    if (n == 0) {
      fresh = MatDef("", rows, cols);
    } else {
      fresh = MatFread(fp, n, t->name, head.flip);
      if (fresh->rows == 0 || fresh->cols == 0) {
        MatUndef(fresh);
        return 4;
      }
      MatReshape(fresh, rows, cols);
    }
  } else if (class_ == MAT_COMPLEX) {
    std::vector<double> v;
    if (!readDoubles(fp, 2 * static_cast<uint64_t>(n), head.flip, v)) return 4;
    fresh = C_MatDef("", rows, cols);
    if (n != 0) std::memcpy(fresh->data, v.data(), v.size() * sizeof(double));
  } else {
    return readElementMatrix(m, fp, head, version == 6);
  }
  MatMove(m, fresh);
  MatUndef(fresh);
  return 0;
}

// Nesting of the List records being read.
int listDepth = 0;
struct DepthGuard {
  DepthGuard() { listDepth++; }
  ~DepthGuard() { listDepth--; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;
};

[[noreturn]] void listElementFail(List* l, const char* message) {
  if (l->name[0] != '\0')
    std::snprintf(list_err_src, vorn_report::kSourceSize, "read %s <- \"\"", l->name);
  else
    std::snprintf(list_err_src, vorn_report::kSourceSize, "read {...} <- \"\"");
  ListError("ListElementRead()", message, l);
}

// Element i of a list record into fresh, under the kind of tag.
void readListElement(List* target, List* fresh, int i, int kind, FILE* fp) {
  switch (kind) {
    case kInteger: {
      int32_t v = 0;
      if (IntegerRead(&v, fp, "") != 0) listElementFail(target, "Data broken");
      ListSetElementP(fresh, i, kInteger, v);
      return;
    }
    case kReal: {
      double v = 0.0;
      if (RealRead(&v, fp, "") != 0) listElementFail(target, "Data broken");
      ListSetElementP(fresh, i, kReal, v);
      return;
    }
    case kString: ListSetElementP(fresh, i, kind, vnStringRead(vnStringDef("", -1), fp)); return;
    case kComplex: ListSetElementP(fresh, i, kind, CompRead(CompDef("", 0.0, 0.0), fp)); return;
    case kPoly: ListSetElementP(fresh, i, kind, PolyRead(PolyDef("", -1, nullptr), fp)); return;
    case kRational: ListSetElementP(fresh, i, kind, RatRead(RatDef("", -1, -1), fp)); return;
    case kList: ListSetElementP(fresh, i, kind, ListRead(ListDef("", 0), fp)); return;
    default: ListSetElementP(fresh, i, kind, MatRead(MatDef("", 0, 0), fp, kind)); return;
  }
}

}  // namespace

// ---- Primitives ------------------------------------------------------------

uint32_t machine_type_get() { return kMachineType; }
int machine_endian_get() { return kMachineType == 0x20000000u ? 0 : 1; }

int machine_type_check(uint32_t type) {
  const uint32_t local = machine_type_get();
  if ((type & 0xF00000F0u) != 0) return (type & 0xFF000000u) != local;
  if ((type & 0x0F00000Fu) != 0) return local == 0x20000000u;
  return local != 0x20000000u;
}

int16_t flip_short_byte_order(void* p) {
  unsigned char* b = static_cast<unsigned char*>(p);
  std::reverse(b, b + 2);
  int16_t v;
  std::memcpy(&v, b, 2);
  return v;
}

void flip_long_byte_order(void* p) {
  unsigned char* b = static_cast<unsigned char*>(p);
  std::reverse(b, b + 4);
}

float flip_float_byte_order(void* p) {
  unsigned char* b = static_cast<unsigned char*>(p);
  std::reverse(b, b + 4);
  float v;
  std::memcpy(&v, b, 4);
  return v;
}

double flip_double_byte_order(void* p) {
  unsigned char* b = static_cast<unsigned char*>(p);
  std::reverse(b, b + 8);
  double v;
  std::memcpy(&v, b, 8);
  return v;
}

void WriteDataHead(FILE* fp) {
  const int32_t preamble[3] = {static_cast<int32_t>(kMarker), kVersion, 0};
  writeWords(fp, preamble, 3);
}

// A record without preamble starts with its type word: the first word read
// is kept as such, so no stream needs to step back.
int ReadDataHead(int32_t header[5], FILE* fp, int* version) {
  int32_t first;
  if (std::fread(&first, sizeof first, 1, fp) != 1) return 0;
  const bool preamble = static_cast<uint32_t>(first) == kMarker;
  int32_t stored = 4;
  int32_t words[5];
  if (preamble) {
    int32_t reserved;
    if (std::fread(&stored, sizeof stored, 1, fp) != 1 || std::fread(&reserved, sizeof reserved, 1, fp) != 1 ||
        std::fread(words, sizeof(int32_t), 5, fp) != 5)
      return 0;
  } else {
    words[0] = first;
    if (std::fread(words + 1, sizeof(int32_t), 4, fp) != 4) return 0;
  }
  if (machine_type_check(static_cast<uint32_t>(words[0]))) {
    for (int32_t& w : words) flip_long_byte_order(&w);
    if (preamble) flip_long_byte_order(&stored);
  }
  std::copy(words, words + 5, header);
  *version = stored;
  return 1;
}

// ---- Writers ----------------------------------------------------------------

void IntegerWrite(int32_t value, FILE* fp, const char* name) {
  writeHead(fp, kLongFormat | kInteger, 0, 0, 0, name);
  writeWords(fp, &value, 1);
}

void RealWrite(double value, FILE* fp, const char* name) {
  writeHead(fp, kDoubleFormat | kReal, 0, 0, 0, name);
  writeDoubles(fp, &value, 1);
}

Complex* CompWrite(Complex* z, FILE* fp) {
  writeHead(fp, kDoubleFormat | kComplex, 0, 0, 0, z->name);
  const double parts[2] = {z->re, z->im};
  writeDoubles(fp, parts, 2);
  return z;
}

String* vnStringWrite(String* s, FILE* fp) {
  vnStringUndefCheck(s, "vnStringWrite()");
  writeHead(fp, kDoubleFormat | kString, s->length + 1, 0, 0, s->name);
  std::fwrite(s->text, 1, static_cast<size_t>(s->length) + 1, fp);
  return s;
}

Polynomial* PolyWrite(Polynomial* p, FILE* fp) {
  PolyUndefCheck(p, "PolyWrite()");
  const bool complex = p->class_ == 1;
  writeHead(fp, kDoubleFormat | kPoly, p->degree, 0, complex ? 1 : 0, p->name);
  writeVariable(fp, p->variable);
  writeCoefficients(fp, p, complex);
  return p;
}

Rational* RatWrite(Rational* r, FILE* fp) {
  RatUndefCheck(r, "RatWrite()");
  const bool complex = r->class_ == 1;
  writeHead(fp, kDoubleFormat | kRational, r->nume->degree, r->deno->degree, complex ? 1 : 0, r->name);
  writeVariable(fp, r->nume->variable);
  writeCoefficients(fp, r->nume, complex);
  writeCoefficients(fp, r->deno, complex);
  return r;
}

Matrix* MatWrite(Matrix* m, FILE* fp, int kind) {
  static const char* const tag = "MatWrite()";
  if (kind != kMatrix && kind != kArray && kind != kIndex) {
    MatErrorSource("print %s -> \"\"", m->name);
    MatError(tag, "Not appropriate element", m);
  }
  if (!vorn_matrix::isValidClass(m->class_)) MatError(tag, vorn_matrix::kBadClass, m);
  writeHead(fp, kMatrixFlags | kDoubleFormat | static_cast<uint32_t>(kind), m->rows, m->cols, m->class_, m->name);
  const size_t n = vorn_matrix::elementCount(m);
  switch (m->class_) {
    case MAT_REAL: writeDoubles(fp, MatReal(m), n); break;
    case MAT_COMPLEX: writeDoubles(fp, MatReal(m), 2 * n); break;
    case MAT_POLY:
    case MAT_C_POLY:
      for (size_t k = 0; k < n; k++) {
        Polynomial* p = MatPolys(m)[k];
        writeWords(fp, &p->degree, 1);
        if (p->degree >= 0) writeCoefficients(fp, p, m->class_ == MAT_C_POLY);
      }
      break;
    default:
      for (size_t k = 0; k < n; k++) {
        Rational* r = MatRats(m)[k];
        const int32_t degrees[2] = {r->nume->degree, r->deno->degree};
        writeWords(fp, degrees, 2);
        if (degrees[0] >= 0 && degrees[1] >= 0) {
          writeCoefficients(fp, r->nume, m->class_ == MAT_C_RATIONAL);
          writeCoefficients(fp, r->deno, m->class_ == MAT_C_RATIONAL);
        }
      }
      break;
  }
  return m;
}

List* ListWrite(List* l, FILE* fp) {
  writeHead(fp, kDoubleFormat | kList, l->length, 0, 0, l->name);
  for (int i = 1; i <= l->length; i++) ListElementWrite(l, i, fp);
  return l;
}

void ListElementWrite(List* l, int i, FILE* fp) {
  const int kind = ListGetClass(l, i);
  if (kind < kString || kind > kList) {
    if (l->name[0] != '\0')
      std::snprintf(list_err_src, vorn_report::kSourceSize, "print %s -> \"\"", l->name);
    else
      std::snprintf(list_err_src, vorn_report::kSourceSize, "print {...} -> \"\"");
    ListError("ListElementWrite()", "Not appropriate element", l);
  }
  const int32_t tag = kind;
  writeWords(fp, &tag, 1);
  const ListSlot& slot = l->elements[i - 1];
  switch (kind) {
    case kString: vnStringWrite(vnStringSetName(static_cast<String*>(slot.object), ""), fp); break;
    case kInteger: IntegerWrite(slot.integer, fp, ""); break;
    case kReal: RealWrite(slot.real, fp, ""); break;
    case kComplex: CompWrite(CompSetName(static_cast<Complex*>(slot.object), ""), fp); break;
    case kPoly: PolyWrite(PolySetName(static_cast<Polynomial*>(slot.object), ""), fp); break;
    case kRational: RatWrite(RatSetName(static_cast<Rational*>(slot.object), ""), fp); break;
    case kList: ListWrite(ListSetName(static_cast<List*>(slot.object), ""), fp); break;
    default: MatWrite(MatSetName(static_cast<Matrix*>(slot.object), ""), fp, kind); break;
  }
}

// ---- Content readers ------------------------------------------------------

int IntegerReadContent(int32_t* value, FILE* fp, int flip) {
  int32_t v;
  if (!readWord(fp, flip != 0, &v)) return -1;
  *value = v;
  return 0;
}

int RealReadContent(double* value, FILE* fp, int flip) {
  double v;
  if (std::fread(&v, sizeof v, 1, fp) != 1) return -1;
  if (flip) flip_double_byte_order(&v);
  *value = v;
  return 0;
}

int CompReadContent(Complex* z, FILE* fp, const int32_t header[5]) {
  std::vector<double> parts;
  if (!readDoubles(fp, 2, machine_type_check(static_cast<uint32_t>(header[0])) != 0, parts)) return 4;
  CompSetValue(z, parts[0], parts[1]);
  return 0;
}

int vnStringReadContent(String* s, FILE* fp, const int32_t header[5]) {
  const int32_t length = header[1];   // with the NUL
  if (length < 1) return 4;
  std::vector<unsigned char> text;
  if (!vorn_binfile::readBytes(fp, static_cast<uint64_t>(length), text)) return 4;
  String* fresh = vnStringDef("", length - 1);
  std::memcpy(fresh->text, text.data(), static_cast<size_t>(length) - 1);
  fresh->text[length - 1] = '\0';
  vnStringMove(s, fresh);
  vnStringUndef(fresh);
  return 0;
}

int PolyReadContent(Polynomial* p, FILE* fp, const int32_t header[5], int version) {
  const bool flip = machine_type_check(static_cast<uint32_t>(header[0])) != 0;
  std::string variable;
  if (header[1] < 0) return 4;
  if (version != 4 && !readVariable(fp, flip, variable)) return 4;
  Polynomial* fresh = readPolynomial(fp, flip, header[1], header[3] != 0, variable);
  if (fresh == nullptr) return 4;
  PolyMove(p, fresh);
  PolyUndef(fresh);
  return 0;
}

int RatReadContent(Rational* r, FILE* fp, const int32_t header[5], int version) {
  const bool flip = machine_type_check(static_cast<uint32_t>(header[0])) != 0;
  std::string variable;
  if (header[1] < 0 || header[2] < 0) return 4;
  if (version != 4 && !readVariable(fp, flip, variable)) return 4;
  Rational* fresh = readRational(fp, flip, header[1], header[2], header[3] != 0, variable);
  if (fresh == nullptr) return 4;
  RatMove(r, fresh);
  RatUndef(fresh);
  return 0;
}

int MatReadContent(Matrix* m, FILE* fp, const int32_t header[5]) { return readMatrixContent(m, fp, header, 4); }
int MatReadContentV5(Matrix* m, FILE* fp, const int32_t header[5]) { return readMatrixContent(m, fp, header, 5); }
int MatReadContentV6(Matrix* m, FILE* fp, const int32_t header[5]) { return readMatrixContent(m, fp, header, 6); }

int ListReadContent(List* l, FILE* fp, const int32_t header[5], int version) {
  const int count = header[1];
  if (count < 0 || !mayHold(fp, static_cast<uint64_t>(count), kElementMin)) return 4;
  const bool flip = machine_type_check(static_cast<uint32_t>(header[0])) != 0;
  // The element arrays grow with the elements read, not with the count.
  List* fresh = ListDef("", std::min(count, 1024));
  for (int i = 1; i <= count; i++) {
    if (i > fresh->length)
      ListReDef(fresh, static_cast<int>(std::min<int64_t>(count, 2 * static_cast<int64_t>(fresh->length))));
    int32_t tag;
    if (!readWord(fp, flip, &tag)) {
      ListUndef(fresh);
      listElementFail(l, "Class data is broken");
    }
    const bool known = version == 4 ? tag >= 0 && tag <= 9 : tag >= kString && tag <= kList;
    if (!known) {
      ListUndef(fresh);
      listElementFail(l, "Not appropriate element");
    }
    readListElement(l, fresh, i, version == 4 ? kindOfVersion4(tag) : tag, fp);
  }
  ListMove(l, fresh);
  ListUndef(fresh);
  return 0;
}

// ---- Readers ------------------------------------------------------------------

namespace {

// The scalar readers' failure line; -1.
int scalarFailure(const char* tag, Failure f, const char* file) {
  std::fprintf(stderr, "%s: %s in %s.\n", tag, kMessages[f], file != nullptr ? file : "");
  return -1;
}

}  // namespace

int IntegerRead(int32_t* value, FILE* fp, const char* file) {
  Head head;
  const Failure f = readHead(fp, kInteger, head);
  if (f != kOk) return scalarFailure("IntegerRead()", f, file);
  if (IntegerReadContent(value, fp, head.flip) != 0) return scalarFailure("IntegerRead()", kBadContent, file);
  return 0;
}

int RealRead(double* value, FILE* fp, const char* file) {
  Head head;
  const Failure f = readHead(fp, kReal, head);
  if (f != kOk) return scalarFailure("RealRead()", f, file);
  if (RealReadContent(value, fp, head.flip) != 0) return scalarFailure("RealRead()", kBadContent, file);
  return 0;
}

Complex* CompRead(Complex* z, FILE* fp) {
  Head head;
  Failure f = readHead(fp, kComplex, head);
  if (f == kOk && CompReadContent(z, fp, head.h) != 0) f = kBadContent;
  if (f != kOk) {
    setReadSource(comp_err_src);
    const bool renamed = f == kWrongClass && head.version != 4;
    CompError(renamed ? "ComplexRead()" : "CompRead()", kMessages[f], nullptr);
  }
  return CompSetName(z, head.name.empty() ? "ANS_STR" : head.name.c_str());
}

String* vnStringRead(String* s, FILE* fp) {
  Head head;
  Failure f = readHead(fp, kString, head);
  if (f == kOk && vnStringReadContent(s, fp, head.h) != 0) f = kBadContent;
  if (f != kOk) {
    setReadSource(vnstring_err_src);
    vnStringError("vnStringRead()", kMessages[f], nullptr);
  }
  return vnStringSetName(s, head.name.empty() ? "ANS_STR" : head.name.c_str());
}

Polynomial* PolyRead(Polynomial* p, FILE* fp) {
  Head head;
  Failure f = readHead(fp, kPoly, head);
  if (f == kOk && PolyReadContent(p, fp, head.h, head.version) != 0) f = kBadContent;
  if (f != kOk) {
    setReadSource(poly_err_src);
    PolyError("PolyRead()", kMessages[f], nullptr);
  }
  return PolySetName(p, head.name.empty() ? "ANS_POLY" : head.name.c_str());
}

Rational* RatRead(Rational* r, FILE* fp) {
  Head head;
  Failure f = readHead(fp, kRational, head);
  if (f == kOk && RatReadContent(r, fp, head.h, head.version) != 0) f = kBadContent;
  if (f != kOk) {
    setReadSource(rat_err_src);
    RatError("RatRead()", kMessages[f], nullptr);
  }
  return RatSetName(r, head.name.empty() ? "ANS_RAT" : head.name.c_str());
}

Matrix* MatRead(Matrix* m, FILE* fp, int kind) {
  Head head;
  Failure f = kind == kMatrix || kind == kArray || kind == kIndex ? readHead(fp, kind, head) : kWrongClass;
  if (f == kOk) {
    int status = 4;
    if (head.version == 4) status = MatReadContent(m, fp, head.h);
    else if (head.version == 5) status = MatReadContentV5(m, fp, head.h);
    else if (head.version == 6) status = MatReadContentV6(m, fp, head.h);
    if (status != 0) f = kBadContent;
  }
  if (f != kOk) {
    MatErrorSource("%s", kReadSource);
    MatError("MatRead()", kMessages[f], nullptr);
  }
  return MatSetName(m, head.name.empty() ? "ANS_MAT" : head.name.c_str());
}

List* ListRead(List* l, FILE* fp) {
  const DepthGuard guard;
  Head head;
  Failure f = listDepth > kBinfileDepthMax ? kBadContent : readHead(fp, kList, head);
  if (f == kOk && ListReadContent(l, fp, head.h, head.version) != 0) f = kBadContent;
  if (f != kOk) {
    setReadSource(list_err_src);
    ListError("ListRead()", kMessages[f], nullptr);
  }
  return ListSetName(l, head.name.empty() ? "ANS_LIST" : head.name.c_str());
}
