// What the record readers and the raw array routines share: how much a
// stream can still deliver, and chunked reading where it cannot tell.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace vorn_binfile {

// Reads of at most this many bytes are made at once, whatever the stream.
constexpr uint64_t kChunk = 1u << 20;

enum class Room { kFits, kShort, kUnknown };

// Whether the stream can still deliver `bytes`: a regular file knows its
// remaining length; a pipe, socket or memory stream does not.
Room roomFor(FILE* fp, uint64_t bytes);

// count * size without overflow; false when it does not fit 63 bits.
inline bool product(uint64_t count, uint64_t size, uint64_t* out) {
  if (size != 0 && count > (UINT64_MAX >> 1) / size) return false;
  *out = count * size;
  return true;
}

// Reads exactly n bytes into out. Small or fitting runs are read at once;
// a stream that cannot tell its length is read in chunks, so the buffer
// grows only with the data that arrives; a run known to be longer than the
// stream fails without reading. False on a short read.
bool readBytes(FILE* fp, uint64_t n, std::vector<unsigned char>& out);

// Element types of the raw array routines.
struct ElementType {
  const char* name;
  int size;       // bytes in the file
  int v5Code;     // element format code of versions 5 and 6, -1 none
  int v4Code;     // of version 4, -1 none
};
// The type named, or null.
const ElementType* elementTypeNamed(const char* name);
// The type a record's element format code names, or null.
const ElementType* elementTypeOfCode(int code, bool version4);

// Value k of a run of raw elements as a double, reversed first when flip.
double rawToDouble(const ElementType& t, unsigned char* p, bool flip);
// v converted to the type and stored at p (native order).
void doubleToRaw(const ElementType& t, double v, unsigned char* p);

}  // namespace vorn_binfile
