// Formatted List input: the data up to its first NUL byte is the text, the
// rest the format. A mismatch only warns, so a fatal report (thrown here and
// left uncaught) is a finding, and so is any object left alive.
#include <string>

#include "fuzz/support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vorn_fuzz::start();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string all(reinterpret_cast<const char*>(data), size);
  const size_t cut = all.find('\0');
  const std::string text = all.substr(0, cut);
  const std::string format = cut == std::string::npos ? std::string() : all.substr(cut + 1);
  ListStringScanf(text.c_str(), format.c_str());
  vorn_fuzz::expectBalanced();
  return 0;
}
