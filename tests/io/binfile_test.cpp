// Binary records: round trips of every kind, the same records in foreign
// byte order and in versions 4 and 5 (made here from the native bytes by a
// walker that knows the layout), and hostile records.
#include <arpa/inet.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

#include "runtime/matrix/matrix_kernel.h"
#include "support/vorn_test.h"

namespace {

using namespace vorn_values;

double payloadNaN() {
  const uint64_t bits = 0x7FF8000000000123ull;
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

std::string bytesOf(const std::function<void(FILE*)>& write) {
  char* buffer = nullptr;
  size_t length = 0;
  FILE* fp = open_memstream(&buffer, &length);
  write(fp);
  std::fclose(fp);
  std::string out(buffer, length);
  std::free(buffer);
  return out;
}

// A regular file tells its length; a memory stream does not.
FILE* streamOf(const std::string& bytes, bool regular) {
  if (!regular) return fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
  FILE* fp = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), fp);
  std::rewind(fp);
  return fp;
}

// ---- The layout walker: a native version 6 record in another form ------

enum Form { kNative6, kForeign6, kNative5, kForeign5, kVersion4 };
const uint32_t kVersion4Code[] = {0, 4, 1, 2, 3, 5, 6, 0, 8, 9, 7};   // by version 6 kind

struct Walker {
  const std::string& in;
  size_t at = 0;
  Form form;

  uint32_t word() {
    uint32_t w;
    std::memcpy(&w, in.data() + at, 4);
    at += 4;
    return w;
  }
  static void put(std::string& out, const void* p, size_t n, bool flip) {
    std::string bytes(static_cast<const char*>(p), n);
    if (flip) std::reverse(bytes.begin(), bytes.end());
    out += bytes;
  }
  void words(std::string& out, size_t n, bool flip) {
    for (size_t k = 0; k < n; k++) {
      const uint32_t w = word();
      put(out, &w, 4, flip);
    }
  }
  void doubles(std::string& out, size_t n, bool flip) {
    for (size_t k = 0; k < n; k++, at += 8) put(out, in.data() + at, 8, flip);
  }
  // One element of a polynomial (2, 3) or rational (4, 5) matrix.
  std::string element(int class_, bool flip) {
    std::string out;
    const int32_t n = static_cast<int32_t>(word());
    const int32_t d = class_ >= 4 ? static_cast<int32_t>(word()) : -1;
    put(out, &n, 4, flip);
    if (class_ >= 4) put(out, &d, 4, flip);
    const size_t width = class_ % 2 == 1 ? 2 : 1;
    doubles(out, (n + 1 + (class_ >= 4 ? d + 1 : 0)) * width, flip);
    return out;
  }

  void record(std::string& out) {
    at += 12;   // the native preamble
    const uint32_t h[5] = {word(), word(), word(), word(), word()};
    const int kind = h[0] & 0xFF;
    const bool v4 = form == kVersion4;
    uint32_t type = (h[0] & 0x00FFFFFF) | (form == kForeign6 || form == kForeign5 ? 0x10000000u : h[0] & 0xFF000000);
    // Version 4: its own kind codes, "double" as format 0, no machine byte.
    if (v4) type = kVersion4Code[kind] | (h[0] & 0x00FF0000);
    // A version 4 record is stored as the reader's rule will read it.
    const bool flip = v4 ? machine_type_check(type) != 0 : form == kForeign6 || form == kForeign5;
    if (!v4) {
      const uint32_t preamble[3] = {0xFFFFFFFFu, form == kNative6 || form == kForeign6 ? 6u : 5u, 0};
      for (uint32_t w : preamble) put(out, &w, 4, flip);
    }
    put(out, &type, 4, flip);
    for (int k = 1; k < 5; k++) put(out, &h[k], 4, flip);
    out += in.substr(at, h[4]);
    at += h[4];
    const bool complex = h[3] != 0;
    switch (kind) {
      case 2: words(out, 1, flip); break;
      case 3: doubles(out, 1, flip); break;
      case 4: doubles(out, 2, flip); break;
      case 1: out += in.substr(at, h[1]); at += h[1]; break;
      case 5:
      case 6: {
        const uint32_t v = word();
        if (!v4) {
          put(out, &v, 4, flip);
          out += in.substr(at, v);
        }
        at += v;
        doubles(out, (h[1] + 1 + (kind == 6 ? h[2] + 1 : 0)) * (complex ? 2 : 1), flip);
        break;
      }
      case 10:
        for (uint32_t i = 0; i < h[1]; i++) {
          uint32_t tag = word();
          if (v4) tag = kVersion4Code[tag];
          put(out, &tag, 4, flip);
          record(out);
        }
        break;
      default: {
        const size_t rows = h[1], cols = h[2], n = rows * cols;
        if (h[3] <= 1) {
          doubles(out, n * (h[3] + 1), flip);
          break;
        }
        std::vector<std::string> e;
        for (size_t k = 0; k < n; k++) e.push_back(element(h[3], flip));
        const bool byRows = form == kNative6 || form == kForeign6;
        for (size_t s = 0; s < n; s++) out += e[byRows ? s : (s % rows) * cols + s / rows];
      }
    }
  }
};

// A released List hands its nested Lists to the next release.
void ReleaseNested() {
  for (int depth = 0; depth < 4; depth++) MatObjectTmpUndef();
}

std::string inForm(const std::string& native, Form form) {
  Walker w{native, 0, form};
  std::string out;
  w.record(out);
  return out;
}

}  // namespace

namespace {

// One object of a kind: its original record, and how a record of the kind
// is read and written again.
struct Case {
  const char* what;
  std::function<void(FILE*)> write;
  std::function<void(FILE*, FILE*)> copy;
  bool version4 = true;   // version 4 keeps no variable names
};


Rational* Rat(int class_, const V& nume, const V& deno, const char* variable = nullptr) {
  const int w = class_ == 1 ? 2 : 1;
  const int n = static_cast<int>(nume.size()) / w - 1, d = static_cast<int>(deno.size()) / w - 1;
  Rational* r = class_ == 1 ? C_RatDef("", n, d) : RatDef("", n, d);
  SetCoefficients(r->nume, nume);
  SetCoefficients(r->deno, deno);
  return RatSetVar(r, variable);
}

// A 2 x 2 polynomial (class 2, 3) or rational (4, 5) matrix of unequal
// elements, one of them empty.
Matrix* ElementMatrix(const char* name, int class_) {
  const bool poly = class_ <= MAT_C_POLY;
  const int c = class_ % 2;
  const V a = c ? V{1, -2, 3, payloadNaN()} : V{1, -0.0, 3};
  const V b = c ? V{4, 5} : V{-7};
  Matrix* m = vorn_matrix::defineElements(name, 2, 2, class_);
  for (int k = 0; k < 3; k++) {
    if (poly) {
      PolyUndef(MatPolys(m)[k]);
      MatPolys(m)[k] = PolySetType(PolyOf(c, k == 1 ? b : a), 3);
    } else {
      RatUndef(MatRats(m)[k]);
      MatRats(m)[k] = RatSetType(Rat(c, k == 1 ? b : a, k == 2 ? b : a), 2);
    }
  }
  return m;
}

Matrix* Values(const char* name) { return Real(name, 2, 3, {1, -0.0, payloadNaN(), kInf, -2.5, 1e-300}); }

Case matrixCase(const char* what, std::function<Matrix*()> make, int kind = 7) {
  return {what, [=](FILE* fp) { MatWrite(make(), fp, kind); },
          [=](FILE* in, FILE* out) { MatWrite(MatRead(MatDef("", 0, 0), in, kind), out, kind); }};
}

// Every kind inside, a list inside a list inside the list.
List* Nested(const char* name) {
  List* inner = ListElementsDef(2, LIST_MATRIX, Values(""), LIST_INTEGER, 7);
  List* middle = ListElementsDef(2, LIST_LIST, inner, LIST_STRING, vnStringStringDef("in"));
  List* l = ListElementsDef(10, LIST_INTEGER, -5, LIST_REAL, -0.0, LIST_STRING, vnStringStringDef("s"),
                            LIST_COMPLEX, CompDef("", payloadNaN(), -0.0), LIST_POLYNOMIAL, PolyOf(0, {1, 2}),
                            LIST_RATIONAL, Rat(1, {1, 2}, {3, 4}), LIST_MATRIX, ElementMatrix("", MAT_C_RATIONAL),
                            LIST_ARRAY, Real("", 3, 0), LIST_INDEX, Real("", 1, 2, {1, 2}), LIST_LIST, middle);
  return ListSetName(l, name);
}

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"Integer", [](FILE* fp) { IntegerWrite(INT32_MIN, fp, "i"); },
       [](FILE* in, FILE* out) { int32_t v = 0; ASSERT_EQ(0, IntegerRead(&v, in, "f")); IntegerWrite(v, out, "i"); }},
      {"Real", [](FILE* fp) { RealWrite(payloadNaN(), fp, "x"); },
       [](FILE* in, FILE* out) { double v = 0; ASSERT_EQ(0, RealRead(&v, in, "f")); RealWrite(v, out, "x"); }},
      {"Complex", [](FILE* fp) { CompWrite(CompDef("z", -0.0, payloadNaN()), fp); },
       [](FILE* in, FILE* out) { CompWrite(CompRead(CompDef("", 0, 0), in), out); }},
      {"String", [](FILE* fp) { vnStringWrite(vnStringSetName(vnStringStringDef("a\x01z"), "s"), fp); },
       [](FILE* in, FILE* out) { vnStringWrite(vnStringRead(vnStringDef("", -1), in), out); }},
      {"empty String", [](FILE* fp) { vnStringWrite(vnStringSetName(vnStringStringDef(""), "e"), fp); },
       [](FILE* in, FILE* out) { vnStringWrite(vnStringRead(vnStringDef("", -1), in), out); }},
      {"Polynomial with variable", [](FILE* fp) { PolyWrite(PolySetName(PolyOf(0, {1, -0.0, 3}, "x"), "p"), fp); },
       [](FILE* in, FILE* out) { PolyWrite(PolyRead(PolyDef("", -1, nullptr), in), out); }, false},
      {"complex Polynomial", [](FILE* fp) { PolyWrite(PolySetName(PolyOf(1, {1, 2, payloadNaN(), 4}), "q"), fp); },
       [](FILE* in, FILE* out) { PolyWrite(PolyRead(PolyDef("", -1, nullptr), in), out); }},
      {"Rational with variable", [](FILE* fp) { RatWrite(RatSetName(Rat(0, {1, 2}, {3, 4, 5}, "w"), "r"), fp); },
       [](FILE* in, FILE* out) { RatWrite(RatRead(RatDef("", -1, -1), in), out); }, false},
      {"complex Rational", [](FILE* fp) { RatWrite(RatSetName(Rat(1, {1, 2}, {-0.0, 4, 5, 6}), "r"), fp); },
       [](FILE* in, FILE* out) { RatWrite(RatRead(RatDef("", -1, -1), in), out); }},
      matrixCase("real Matrix", [] { return Values("A"); }),
      // Past the size read at once: a stream that cannot tell is read in chunks.
      matrixCase("large real Matrix", [] { return Counting("B", 300, 301); }),
      matrixCase("complex Matrix", [] { return Complex2("C", 1, 2, {1, -0.0, payloadNaN(), 4}); }),
      matrixCase("0x0 Matrix", [] { return Real("E", 0, 0); }),
      matrixCase("3x0 Array", [] { return Real("E", 3, 0); }, 8),
      matrixCase("Index", [] { return Real("I", 1, 3, {3, 1, 2}); }, 9),
      matrixCase("polynomial Matrix", [] { return ElementMatrix("P", MAT_POLY); }),
      matrixCase("complex polynomial Matrix", [] { return ElementMatrix("P", MAT_C_POLY); }),
      matrixCase("rational Matrix", [] { return ElementMatrix("R", MAT_RATIONAL); }),
      matrixCase("complex rational Matrix", [] { return ElementMatrix("R", MAT_C_RATIONAL); }),
      {"nested List", [](FILE* fp) { ListWrite(Nested("L"), fp); },
       [](FILE* in, FILE* out) { ListWrite(ListRead(ListDef("", 0), in), out); }},
  };
  return cases;
}

class RecordTest : public VornTest, public ::testing::WithParamInterface<Case> {};

// Written again after reading, every form gives back the native record
// byte for byte: names, classes, NaN payloads and signed zeros included.
TEST_P(RecordTest, EveryFormReadsBackToTheNativeRecord) {
  const std::string native = bytesOf(GetParam().write);
  for (const Form form : {kNative6, kForeign6, kNative5, kForeign5, kVersion4}) {
    if (form == kVersion4 && !GetParam().version4) continue;
    const std::string input = inForm(native, form);
    if (form == kNative6) {
      EXPECT_EQ(native, input) << "the walker";
    }
    for (const bool regular : {true, false}) {
      FILE* in = streamOf(input, regular);
      const std::string again = bytesOf([&](FILE* out) { GetParam().copy(in, out); });
      EXPECT_EQ(std::fgetc(in), EOF) << "the whole record is consumed";
      std::fclose(in);
      EXPECT_EQ(native, again) << "form " << form << (regular ? ", file" : ", memory");
    }
    ReleaseNested();
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, RecordTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& p) {
                           std::string name;
                           for (const char* c = p.param.what; *c != '\0'; c++) name += std::isalnum(*c) ? *c : '_';
                           return name;
                         });

using BinfileTest = VornTest;

TEST_F(BinfileTest, NativeRecordStartsAsLaidOut) {
  const std::string r = bytesOf([](FILE* fp) { MatWrite(Real("A", 1, 1, {2}), fp, 7); });
  EXPECT_EQ(std::string("\xFF\xFF\xFF\xFF\x06\0\0\0\0\0\0\0\x07\x20\x01\x20", 16), r.substr(0, 16));
  EXPECT_EQ(std::string("\x01\0\0\0\x01\0\0\0\0\0\0\0\x02\0\0\0A\0", 18), r.substr(16, 18));
  EXPECT_EQ(0u, machine_endian_get());
}

TEST_F(BinfileTest, ReadBackValuesAndNames) {
  const std::string r = bytesOf([](FILE* fp) {
    MatWrite(Real("", 1, 2, {1, 2}), fp, 8);
    PolyWrite(PolyOf(0, {1, 2}), fp);
    MatWrite(Real(std::string(1023, 'n').c_str(), 1, 1, {3}), fp, 7);
  });
  FILE* in = streamOf(r, true);
  Matrix* a = MatRead(MatDef("", 0, 0), in, 8);
  ExpectMatrix(a, 1, 2, MAT_REAL, {1, 2});
  EXPECT_STREQ("ANS_MAT", a->name);
  Polynomial* p = PolyRead(PolyDef("", -1, nullptr), in);
  EXPECT_STREQ("ANS_POLY", p->name);
  EXPECT_EQ(nullptr, p->variable);
  EXPECT_EQ(std::string(1023, 'n'), MatRead(MatDef("", 0, 0), in, 7)->name);
  std::fclose(in);
}

TEST_F(BinfileTest, ScalarReadersReportAndLeaveTheValue) {
  const std::string r = bytesOf([](FILE* fp) { IntegerWrite(3, fp, ""); });
  const std::pair<std::string, std::string> cases[] = {
      {r, "RealRead(): Incorrect class datafile in f.\n"},
      {r.substr(0, 20), "RealRead(): Data structure is broken in f.\n"},
  };
  for (const auto& [bytes, line] : cases) {
    FILE* in = streamOf(bytes, false);
    double v = 1.5;
    EXPECT_EQ(line, StderrOf([&] { EXPECT_EQ(-1, RealRead(&v, in, "f")); }));
    EXPECT_EQ(1.5, v);
    std::fclose(in);
  }
  FILE* in = streamOf(r.substr(0, r.size() - 1), true);
  int32_t i = 9;
  EXPECT_EQ("IntegerRead(): Data is broken or too few in g.\n", StderrOf([&] { IntegerRead(&i, in, "g"); }));
  EXPECT_EQ(9, i);
  std::fclose(in);
}

// ---- Raw arrays ------------------------------------------------------------

TEST_F(BinfileTest, RawArraysOfEveryType) {
  struct RawCase {
    const char* type;
    V values;
    V back;   // what the bytes read back as
    std::string bytes;
  };
  const RawCase cases[] = {
      {"unsigned char", {-1.5, 2.7, 300}, {255, 2, 44}, "\xFF\x02\x2C"},
      {"char", {-1.5, 127.9, 128}, {-1, 127, -128}, "\xFF\x7F\x80"},
      {"short", {-2, 40000}, {-2, -25536}, std::string("\xFE\xFF\x40\x9C", 4)},
      {"unsigned short", {-1, 65537}, {65535, 1}, std::string("\xFF\xFF\x01\0", 4)},
      {"int", {-3.9, kNaN}, {-3, 0}, std::string("\xFD\xFF\xFF\xFF\0\0\0\0", 8)},
      {"long", {5e9}, {705032704}, std::string("\0\xF2\x05\x2A", 4)},
      {"unsigned int", {-1}, {4294967295.0}, "\xFF\xFF\xFF\xFF"},
      {"unsigned long", {4294967297.0}, {1}, std::string("\x01\0\0\0", 4)},
      {"float", {0.1, -0.0}, {static_cast<float>(0.1), -0.0}, std::string("\xCD\xCC\xCC\x3D\0\0\0\x80", 8)},
      {"double", {payloadNaN()}, {payloadNaN()}, std::string("\x23\x01\0\0\0\0\xF8\x7F", 8)},
  };
  for (const RawCase& c : cases) {
    const std::string bytes =
        bytesOf([&](FILE* fp) { EXPECT_EQ(static_cast<int>(c.values.size()), MatFwrite(fp, Row(c.values), c.type)); });
    EXPECT_EQ(c.bytes, bytes) << c.type;
    FILE* in = streamOf(bytes, false);
    ExpectMatrix(MatFread(in, static_cast<int>(c.values.size()), c.type, 0), 1, static_cast<int>(c.back.size()),
                 MAT_REAL, c.back);
    std::fclose(in);
    // Each value reversed on the way in.
    std::string reversed = bytes;
    const size_t size = bytes.size() / c.values.size();
    for (size_t k = 0; k < reversed.size(); k += size) std::reverse(reversed.begin() + k, reversed.begin() + k + size);
    in = streamOf(reversed, true);
    ExpectMatrix(MatFread(in, static_cast<int>(c.values.size()), c.type, 1), 1, static_cast<int>(c.back.size()),
                 MAT_REAL, c.back);
    std::fclose(in);
  }
}

TEST_F(BinfileTest, RawArrayFailuresWarnAndGiveTheEmptyMatrix) {
  const std::string four(4, '\1');
  struct Failure {
    std::function<Matrix*()> read;
    std::string warning;
  };
  auto readFour = [&](bool regular, int n, const char* type) {
    FILE* in = streamOf(four, regular);
    Matrix* m = MatFread(in, n, type, 0);
    std::fclose(in);
    return m;
  };
  const Failure cases[] = {
      {[&] { return readFour(true, 2, "int"); }, "\nNot enough data in file in MatFread().\n"},
      {[&] { return readFour(false, 1, "double"); }, ""},
      {[&] { return readFour(false, 1, "int64"); }, "\nFormat is not appropriate in MatFread().\n"},
      {[] { return MatFread(nullptr, 1, "int", 0); }, "\nFile pointer is null in MatFread().\n"},
      {[] { return MatSocketRead(0, 1, "int", 0); }, "\nSocket is 0 in MatSocketRead().\n"},
  };
  for (const Failure& c : cases) {
    Matrix* m = nullptr;
    EXPECT_EQ(c.warning, StderrOf([&] { m = c.read(); }));
    ExpectShape(m, 0, 0, MAT_REAL);
  }
  EXPECT_EQ("\nSocket is 0 in MatSocketWrite().\n", StderrOf([] { EXPECT_EQ(0, MatSocketWrite(0, Row({1}), "int")); }));
}

// ---- Hostile and broken records -------------------------------------------

std::string Words(std::initializer_list<uint32_t> words) {
  std::string out;
  for (uint32_t w : words) out.append(reinterpret_cast<const char*>(&w), 4);
  return out;
}
// Preamble and header of a native version 6 record with an empty name.
std::string Head(uint32_t type, uint32_t w1, uint32_t w2 = 0, uint32_t w3 = 0, uint32_t length = 1) {
  return Words({0xFFFFFFFFu, 6, 0, 0x20000000u | type, w1, w2, w3, length}) + (length == 1 ? std::string(1, '\0') : "");
}
// count List records, each the only element of the one before.
std::string Nest(int count) {
  std::string out;
  for (int k = 0; k < count; k++) out += Head(0x200A, k + 1 < count ? 1 : 0) + (k + 1 < count ? Words({10}) : "");
  return out;
}

using BinfileDeathTest = BinfileTest;

TEST_F(BinfileDeathTest, HostileRecordsEndInTheReport) {
  const std::string read = "read <- \"\" : ";
  auto mat = [](std::string bytes, bool regular = false) {
    return [=] { MatRead(MatDef("", 0, 0), streamOf(bytes, regular), 7); };
  };
  auto list = [](std::string bytes, bool regular = false) {
    return [=] { ListRead(ListDef("", 0), streamOf(bytes, regular)); };
  };
  const std::string real = bytesOf([](FILE* fp) { RealWrite(1, fp, ""); });
  const std::string large = bytesOf([](FILE* fp) { MatWrite(Counting("", 300, 301), fp, 7); });
  ExpectFatal({
      {mat(large.substr(0, large.size() - 1)), "Not enough data in file in MatFread\\(\\).*" + Literal(read) +
       "Data is broken or too few in MatRead\\(\\)", ""},
      {mat(""), read + "Data structure is broken", "MatRead()"},
      {mat(Head(0x12007, 1, 1).substr(0, 30)), read + "Data structure is broken", "MatRead()"},
      {mat(real), read + "Incorrect class datafile", "MatRead()"},
      {[=] { CompRead(CompDef("", 0, 0), streamOf(real, false)); }, read + "Incorrect class datafile", "ComplexRead()"},
      {mat(Head(0x12007, 0, 0, 0, 1025) + std::string(1025, 'n')), read + "Incorrect machine datafile", "MatRead()"},
      {mat(Head(0x12007, 0, 0, 0, 0xFFFFFFFFu)), read + "Incorrect machine datafile", "MatRead()"},
      {mat(Head(0x12007, 0, 0, 0, 9) + "abc"), read + "Variable name is too short", "MatRead()"},
      {mat(Head(0x12007, 2, 2) + std::string(24, '\0')), read + "Data is broken or too few", "MatRead()"},
      {mat(Head(0x12007, 0x7FFFFFFF, 0x7FFFFFFF)), read + "Data is broken or too few", "MatRead()"},
      {mat(Head(0x12007, 100000, 20000), true), read + "Data is broken or too few", "MatRead()"},
      {mat(Head(0x12007, 100000, 20000, 1)), read + "Data is broken or too few", "MatRead()"},
      {mat(Head(0x12007, 50000, 40000, 4) + Words({0x7FFFFFFF, 0})), read + "Data is broken or too few", "MatRead()"},
      {mat(Head(0x12007, 1, 1, 6)), read + "Data is broken or too few", "MatRead()"},
      {mat(Head(0x17707, 1, 1)), read + "Data is broken or too few", "MatRead()"},
      {[] { vnStringRead(vnStringDef("", -1), streamOf(Head(0x2001, 0x7FFFFFFF), false)); },
       read + "Data is broken or too few", "vnStringRead()"},
      {[] { PolyRead(PolyDef("", -1, nullptr), streamOf(Head(0x2005, 0x7FFFFFFE) + Words({0}), true)); },
       read + "Data is broken or too few", "PolyRead()"},
      {[] { RatRead(RatDef("", -1, -1), streamOf(Head(0x2006, 1, -1u) + Words({0}), false)); },
       read + "Data is broken or too few", "RatRead()"},
      {list(Head(0x200A, 0x7FFFFFFF), true), read + "Data is broken or too few ", "ListRead()"},
      {list(Head(0x200A, 0x7FFFFFFF)), "read {...} <- \"\" : Class data is broken ", "ListElementRead()"},
      {list(Head(0x200A, 1) + Words({11})), "read {...} <- \"\" : Not appropriate element ", "ListElementRead()"},
      {list(Head(0x200A, 1) + Words({2}) + real), "read {...} <- \"\" : Data broken ", "ListElementRead()"},
      {list(Nest(kBinfileDepthMax + 1)), read + "Data is broken or too few ", "ListRead()"},
      {[] { ListElementWrite(ListDef("", 1), 1, stdout); }, "print {...} -> \"\" : Not appropriate element ",
       "ListElementWrite()"},
  });
}

// With a handler that throws in place of the exit, a record that fails
// deep inside a List leaves nothing behind once the temporaries go.
TEST_F(BinfileTest, FailedReadsLeaveOnlyTemporaries) {
  struct Thrown {};
  VornSetFatalHandler([] { throw Thrown{}; });
  const std::string good = bytesOf([](FILE* fp) { ListWrite(Nested(""), fp); });
  for (const size_t cut : {size_t{40}, good.size() / 2, good.size() - 1}) {
    FILE* in = streamOf(good.substr(0, cut), cut % 2 == 0);
    StderrOf([&] { EXPECT_THROW(ListRead(ListDef("", 0), in), Thrown); });
    std::fclose(in);
  }
  VornSetFatalHandler(nullptr);
  ReleaseNested();
}

TEST_F(BinfileTest, NestingUpToTheBoundReads) {
  const std::string bytes = Nest(kBinfileDepthMax);
  FILE* in = streamOf(bytes, false);
  List* l = ListRead(ListDef("", 0), in);
  std::fclose(in);
  int depth = 1;
  for (; l->length == 1; depth++) l = static_cast<List*>(ListGetElementP(l, 1, LIST_LIST));
  EXPECT_EQ(kBinfileDepthMax, depth);
  for (int k = 0; k <= kBinfileDepthMax; k++) ListTmpUndef();
}

// ---- Over a loopback TCP connection ------------------------------------------

TEST_F(BinfileTest, RecordsAndRawArraysTravelOverLoopback) {
  const timeval limit{5, 0};
  auto bounded = [&](int fd) {
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    return fd;
  };
  const int listening = bounded(socket_open("tcp"));
  ASSERT_EQ(0, socket_bind(listening, 0, "127.0.0.1"));
  ASSERT_EQ(0, socket_listen(listening, 1));
  sockaddr_in address{};
  socklen_t size = sizeof address;
  getsockname(listening, reinterpret_cast<sockaddr*>(&address), &size);
  const int client = bounded(socket_open("tcp"));
  ASSERT_EQ(0, socket_connect(client, ntohs(address.sin_port), "127.0.0.1"));
  const int server = bounded(socket_accept(listening));
  ASSERT_GT(server, 0);

  const std::string matrix = bytesOf([](FILE* fp) { MatWrite(Values("A"), fp, 7); });
  const std::string list = bytesOf([](FILE* fp) { ListWrite(Nested("L"), fp); });
  FILE* out = FilePointer(client, 1);
  MatWrite(Values("A"), out, 7);
  ListWrite(Nested("L"), out);
  std::fflush(out);
  EXPECT_EQ(3, MatSocketWrite(client, Row({1, -2, 3}), "short"));
  FILE* in = FilePointer(server, 0);
  EXPECT_EQ(matrix, bytesOf([&](FILE* o) { MatWrite(MatRead(MatDef("", 0, 0), in, 7), o, 7); }));
  EXPECT_EQ(list, bytesOf([&](FILE* o) { ListWrite(ListRead(ListDef("", 0), in), o); }));
  ExpectMatrix(MatSocketRead(server, 3, "short", 0), 1, 3, MAT_REAL, {1, -2, 3});
  socket_close(client);
  ExpectMatrix(MatSocketRead(server, 1, "short", 0), 0, 0, MAT_REAL, {});
  socket_close(server);
  socket_close(listening);
  ReleaseNested();
}

}  // namespace
