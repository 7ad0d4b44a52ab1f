#include "runtime/io/datafile.h"

namespace {

FILE* openData(const char* path, const char* mode, const char* word) {
  FILE* stream = std::fopen(path, mode);
  if (stream == nullptr) std::fprintf(stderr, "Can't open %s for \"%s\"\n", path, word);
  return stream;
}

}  // namespace

FILE* datafile_write_open(const char* path) { return openData(path, "wb", "write"); }
FILE* datafile_read_open(const char* path) { return openData(path, "rb", "read"); }
