// Raw arrays: a real matrix as a bare run of numbers of a named element
// type, on a stream or a connected stream socket; and the stream-length
// checks that every binary reader shares.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/io/binfile.h"
#include "runtime/io/binfile_internal.h"
#include "runtime/matrix/matrix.h"
#include "runtime/matrix/matrix_construct.h"
#include "runtime/matrix/matrix_report.h"
#include "runtime/net/socket.h"

namespace vorn_binfile {

namespace {

enum Kind { kDouble, kFloat, kChar, kUChar, kShort, kUShort, kInt, kUInt };

struct TypeEntry {
  ElementType type;
  Kind kind;
};

const TypeEntry kTypes[] = {
    {{"double", 8, 0x20, 0x00}, kDouble},
    {{"float", 4, 0x10, 0x01}, kFloat},
    {{"char", 1, -1, -1}, kChar},
    {{"unsigned char", 1, 0x02, 0x05}, kUChar},
    {{"short", 2, 0x03, 0x03}, kShort},
    {{"unsigned short", 2, 0x04, 0x04}, kUShort},
    {{"int", 4, -1, -1}, kInt},
    {{"unsigned int", 4, -1, -1}, kUInt},
    {{"long", 4, 0x05, 0x02}, kInt},
    {{"unsigned long", 4, -1, -1}, kUInt},
};

Kind kindOf(const ElementType& t) {
  for (const TypeEntry& e : kTypes)
    if (&e.type == &t) return e.kind;
  return kDouble;
}

void reverse(unsigned char* p, int n) { std::reverse(p, p + n); }

// Truncation toward zero that stays defined for every double.
int64_t truncated(double v) {
  if (v != v) return 0;
  if (v >= 9223372036854775807.0) return INT64_MAX;
  if (v <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<int64_t>(v);
}

}  // namespace

Room roomFor(FILE* fp, uint64_t bytes) {
  const int fd = fileno(fp);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return Room::kUnknown;
  const off_t at = ftello(fp);
  if (at < 0) return Room::kUnknown;
  const uint64_t left = st.st_size > at ? static_cast<uint64_t>(st.st_size - at) : 0;
  return bytes <= left ? Room::kFits : Room::kShort;
}

uint64_t readChunks(FILE* fp, uint64_t n, std::vector<unsigned char>& out) {
  const size_t start = out.size();
  uint64_t have = 0;
  uint64_t chunk = kSmall;
  while (have < n) {
    const uint64_t want = std::min(chunk, n - have);
    out.resize(start + have + want);
    const size_t got = std::fread(out.data() + start + have, 1, want, fp);
    have += got;
    if (got < want) break;
    chunk = std::min(2 * chunk, kChunk);
  }
  out.resize(start + have);
  return have;
}

bool readBytes(FILE* fp, uint64_t n, std::vector<unsigned char>& out) {
  out.clear();
  const Room room = n <= kSmall ? Room::kFits : roomFor(fp, n);
  if (room == Room::kShort) return false;
  if (room == Room::kFits) {
    out.resize(n);
    return std::fread(out.data(), 1, n, fp) == n;
  }
  return readChunks(fp, n, out) == n;
}

const ElementType* elementTypeNamed(const char* name) {
  if (name == nullptr) return nullptr;
  for (const TypeEntry& e : kTypes)
    if (std::strcmp(e.type.name, name) == 0) return &e.type;
  return nullptr;
}

const ElementType* elementTypeOfCode(int code, bool version4) {
  for (const TypeEntry& e : kTypes) {
    const int c = version4 ? e.type.v4Code : e.type.v5Code;
    if (c >= 0 && c == code) return &e.type;
  }
  return nullptr;
}

// The value of type T stored at p, widened to a double.
template <class T>
double load(const unsigned char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return static_cast<double>(v);
}

double rawToDouble(const ElementType& t, unsigned char* p, bool flip) {
  if (flip) reverse(p, t.size);
  switch (kindOf(t)) {
    case kDouble: return load<double>(p);
    case kFloat: return load<float>(p);
    case kChar: return load<signed char>(p);
    case kUChar: return load<unsigned char>(p);
    case kShort: return load<int16_t>(p);
    case kUShort: return load<uint16_t>(p);
    case kInt: return load<int32_t>(p);
    case kUInt: return load<uint32_t>(p);
  }
  return 0.0;
}

void doubleToRaw(const ElementType& t, double v, unsigned char* p) {
  const Kind kind = kindOf(t);
  if (kind == kDouble) {
    std::memcpy(p, &v, 8);
    return;
  }
  if (kind == kFloat) {
    const float f = static_cast<float>(v);
    std::memcpy(p, &f, 4);
    return;
  }
  // The integer types keep the low bits of the truncated value.
  const uint64_t bits = static_cast<uint64_t>(truncated(v));
  if (t.size == 1) {
    p[0] = static_cast<unsigned char>(bits);
  } else if (t.size == 2) {
    const uint16_t w = static_cast<uint16_t>(bits);
    std::memcpy(p, &w, 2);
  } else {
    const uint32_t w = static_cast<uint32_t>(bits);
    std::memcpy(p, &w, 4);
  }
}

}  // namespace vorn_binfile

namespace {

using vorn_binfile::ElementType;
using vorn_binfile::kChunk;
using vorn_binfile::Room;

Matrix* emptyMatrix() { return MatDef("", 0, 0); }

bool isPlainDouble(const ElementType& t, int flip) { return t.size == 8 && t.v5Code == 0x20 && !flip; }

// A 1 x n matrix of the raw run in bytes (n values).
Matrix* rowOf(const ElementType& t, std::vector<unsigned char>& bytes, int n, int flip) {
  Matrix* m = MatDef("", 1, n);
  if (isPlainDouble(t, flip)) {
    std::memcpy(m->data, bytes.data(), static_cast<size_t>(n) * 8);
    return m;
  }
  double* v = MatReal(m);
  for (int k = 0; k < n; k++)
    v[k] = vorn_binfile::rawToDouble(t, bytes.data() + static_cast<size_t>(k) * t.size, flip != 0);
  return m;
}

// m's values as a run of the type; empty for a plain double run, which is
// sent straight from the matrix.
const unsigned char* runOf(Matrix* m, const ElementType& t, size_t n, std::vector<unsigned char>& buffer) {
  if (isPlainDouble(t, 0)) return static_cast<const unsigned char*>(m->data);
  buffer.resize(n * static_cast<size_t>(t.size));
  const double* v = MatReal(m);
  for (size_t k = 0; k < n; k++) vorn_binfile::doubleToRaw(t, v[k], buffer.data() + k * t.size);
  return buffer.data();
}

const ElementType* checkedType(const char* type, const char* tag) {
  const ElementType* t = vorn_binfile::elementTypeNamed(type);
  if (t == nullptr) MatWarning(tag, "Format is not appropriate", nullptr);
  return t;
}

}  // namespace

Matrix* MatFread(FILE* fp, int n, const char* type, int flip) {
  static const char* const tag = "MatFread()";
  if (fp == nullptr) {
    MatWarning(tag, "File pointer is null", nullptr);
    return emptyMatrix();
  }
  const ElementType* t = checkedType(type, tag);
  if (t == nullptr || n <= 0) return emptyMatrix();
  const uint64_t bytes = static_cast<uint64_t>(n) * t->size;
  const bool whole = bytes <= vorn_binfile::kSmall || vorn_binfile::roomFor(fp, bytes) == Room::kFits;
  size_t got;
  Matrix* m = nullptr;
  std::vector<unsigned char> run;
  if (whole && isPlainDouble(*t, flip)) {
    m = MatDef("", 1, n);
    got = std::fread(m->data, 8, static_cast<size_t>(n), fp);
  } else if (whole) {
    run.resize(bytes);
    got = std::fread(run.data(), static_cast<size_t>(t->size), static_cast<size_t>(n), fp);
  } else {
    // The stream is shorter than the run, or cannot tell: what is read
    // grows with what arrives. Once half of a double run is in, the matrix
    // costs no more than twice that and takes the rest directly.
    const uint64_t half = isPlainDouble(*t, flip) ? bytes / 2 : bytes;
    uint64_t have = vorn_binfile::readChunks(fp, half, run);
    if (have == half && half < bytes) {
      m = MatDef("", 1, n);
      std::memcpy(m->data, run.data(), have);
      std::vector<unsigned char>().swap(run);
      have += std::fread(static_cast<unsigned char*>(m->data) + have, 1, bytes - have, fp);
    } else if (have == half) {
      have += vorn_binfile::readChunks(fp, bytes - have, run);
    }
    got = static_cast<size_t>(have / t->size);
  }
  if (got < static_cast<size_t>(n)) {
    if (!std::feof(fp)) MatWarning(tag, "Data read error", nullptr);
    else if (got > 0) MatWarning(tag, "Not enough data in file", nullptr);
    if (m != nullptr) MatUndef(m);
    return emptyMatrix();
  }
  return m != nullptr ? m : rowOf(*t, run, n, flip);
}

int MatFwrite(FILE* fp, Matrix* m, const char* type) {
  static const char* const tag = "MatFwrite()";
  if (fp == nullptr) {
    MatWarning(tag, "File pointer is null", nullptr);
    return 0;
  }
  const ElementType* t = checkedType(type, tag);
  if (t == nullptr) return 0;
  MatNotRealCheck(m, tag);
  const size_t n = static_cast<size_t>(m->rows) * m->cols;
  if (n == 0) return 0;
  std::vector<unsigned char> buffer;
  const unsigned char* run = runOf(m, *t, n, buffer);
  return static_cast<int>(std::fwrite(run, static_cast<size_t>(t->size), n, fp));
}

Matrix* MatSocketRead(int socket, int n, const char* type, int flip) {
  static const char* const tag = "MatSocketRead()";
  if (socket == 0) {
    MatWarning(tag, "Socket is 0", nullptr);
    return emptyMatrix();
  }
  const ElementType* t = checkedType(type, tag);
  if (t == nullptr || n <= 0) return emptyMatrix();
  const uint64_t bytes = static_cast<uint64_t>(n) * t->size;
  // A socket cannot tell what is coming: the buffer grows chunk by chunk.
  std::vector<unsigned char> run;
  uint64_t have = 0;
  uint64_t chunk = vorn_binfile::kSmall;
  while (have < bytes) {
    const int want = static_cast<int>(std::min(chunk, bytes - have));
    run.resize(have + static_cast<uint64_t>(want));
    const int r = socket_read(socket, run.data() + have, want);
    if (r < want) return emptyMatrix();
    have += static_cast<uint64_t>(r);
    chunk = std::min(2 * chunk, kChunk);
  }
  return rowOf(*t, run, n, flip);
}

int MatSocketWrite(int socket, Matrix* m, const char* type) {
  static const char* const tag = "MatSocketWrite()";
  if (socket == 0) {
    MatWarning(tag, "Socket is 0", nullptr);
    return 0;
  }
  const ElementType* t = checkedType(type, tag);
  if (t == nullptr) return 0;
  MatNotRealCheck(m, tag);
  const size_t n = static_cast<size_t>(m->rows) * m->cols;
  std::vector<unsigned char> buffer;
  const unsigned char* run = runOf(m, *t, n, buffer);
  const uint64_t bytes = static_cast<uint64_t>(n) * t->size;
  uint64_t sent = 0;
  while (sent < bytes) {
    const int want = static_cast<int>(std::min<uint64_t>(kChunk * 64, bytes - sent));
    if (socket_write(socket, run + sent, want) != want) break;
    sent += static_cast<uint64_t>(want);
  }
  return static_cast<int>(sent / t->size);
}
