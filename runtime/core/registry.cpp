#include "runtime/core/registry.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/memory.h"

namespace vorn_registry {

unsigned tmpEpoch = 1;
unsigned tmpEpochSeen = 0;

int envLimit(const char* variable, int fallback, int negative) {
  const char* text = std::getenv(variable);
  if (text == nullptr) return fallback;
  long value = std::strtol(text, nullptr, 10);
  if (value > INT_MAX) value = INT_MAX;
  if (value < 0) return negative;
  return static_cast<int>(value);
}

const char* operationTag(const char* prefix, const char* operation) {
  static char tag[64];
  std::snprintf(tag, sizeof tag, "%s%s()", prefix, operation);
  return tag;
}

void poisonBytes(void* p, size_t n) {
  if (p != nullptr) std::memset(p, 0xA5, n);
}

void setNameCopy(char*& name, const char* text) {
  if (text == nullptr) text = "";
  const size_t length = std::strlen(text);
  if (name == nullptr || std::strlen(name) != length) {
    if (name != nullptr) efree(name);
    name = static_cast<char*>(emalloc(length + 1));
  }
  std::memcpy(name, text, length + 1);
}

}  // namespace vorn_registry
