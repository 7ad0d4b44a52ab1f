// Binary records of every kind. The first byte picks the reader and the
// stream: a memory stream, which cannot tell its length, or a file, which
// can; the rest is the stream's content. Up to four records are read in a
// row, as a data file holds them.
#include <sys/mman.h>
#include <unistd.h>

#include "fuzz/support.h"

namespace {

FILE* streamOf(const uint8_t* data, size_t size, bool file) {
  if (!file && size > 0) return fmemopen(const_cast<uint8_t*>(data), size, "rb");
  const int fd = memfd_create("record", 0);
  if (fd < 0) std::abort();
  if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
  lseek(fd, 0, SEEK_SET);
  return fdopen(fd, "rb");
}

void readOne(int reader, FILE* fp) {
  switch (reader) {
    case 0: MatRead(MatDef("", 0, 0), fp, 7); break;
    case 1: MatRead(MatDef("", 0, 0), fp, 8); break;
    case 2: MatRead(MatDef("", 0, 0), fp, 9); break;
    case 3: ListRead(ListDef("", 0), fp); break;
    case 4: CompRead(CompDef("", 0, 0), fp); break;
    case 5: vnStringRead(vnStringDef("", -1), fp); break;
    case 6: PolyRead(PolyDef("", -1, nullptr), fp); break;
    case 7: RatRead(RatDef("", -1, -1), fp); break;
    case 8: {
      int32_t v;
      IntegerRead(&v, fp, "fuzz");
      break;
    }
    case 9: {
      double v;
      RealRead(&v, fp, "fuzz");
      break;
    }
    default: {
      static const char* const types[] = {"double", "float", "char", "unsigned char", "short",
                                          "unsigned short", "int", "unsigned int", "long", "unsigned long"};
      MatFread(fp, 1 + reader, types[reader % 10], reader & 1);
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vorn_fuzz::start();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int reader = data[0] & 0x0F;
  FILE* fp = streamOf(data + 1, size - 1, (data[0] & 0x80) != 0);
  if (fp == nullptr) return 0;
  try {
    for (int k = 0; k < 4 && std::fgetc(fp) != EOF; k++) {
      std::fseek(fp, -1, SEEK_CUR);
      readOne(reader, fp);
    }
  } catch (const vorn_fuzz::FatalEnd&) {
  }
  std::fclose(fp);
  vorn_fuzz::expectBalanced();
  return 0;
}
