// Fuzz target for formatted List input: the data up to its first NUL byte
// is the text, the rest the format. A mismatch only warns, so any exit, and
// any List or String left alive afterwards, is a finding.
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/vorn.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  VornInitRuntime();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string all(reinterpret_cast<const char*>(data), size);
  const size_t cut = all.find('\0');
  const std::string text = all.substr(0, cut);
  const std::string format = cut == std::string::npos ? std::string() : all.substr(cut + 1);
  const int lists = ListLiveCount();
  const int strings = vnStringLiveCount();
  List* l = ListStringScanf(text.c_str(), format.c_str());
  ListUndef(l);
  if (ListLiveCount() != lists || vnStringLiveCount() != strings) __builtin_trap();
  return 0;
}
