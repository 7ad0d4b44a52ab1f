// The column layout reader, which takes a file name: the input is the file.
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "fuzz/support.h"

namespace {
int file = -1;
std::string path;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vorn_fuzz::start();
  file = memfd_create("columns", 0);
  if (file < 0) std::abort();
  path = "/proc/self/fd/" + std::to_string(file);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (ftruncate(file, 0) != 0 || pwrite(file, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
  try {
    MatFileRead(path.c_str());
  } catch (const vorn_fuzz::FatalEnd&) {
  }
  vorn_fuzz::expectBalanced();
  return 0;
}
