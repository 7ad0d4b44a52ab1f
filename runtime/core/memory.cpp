#include "runtime/core/memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/core/entry.h"

void vnUtilError(const char* where, const char* message, int fatal) {
  std::fprintf(stderr, "\n%s : %s\n", where, message);
  if (fatal) execerror_recovery();
}

void* emalloc(size_t size) {
  if (size == 0) return nullptr;
  void* block = std::malloc(size);
  if (block == nullptr) {
    char where[64];
    std::snprintf(where, sizeof where, "emalloc(%lu)", static_cast<unsigned long>(size));
    vnUtilError(where, "Out of memory !!", 1);
  }
  return block;
}

void* erealloc(void* block, size_t size) {
  char where[96];
  if (block == nullptr) {
    std::snprintf(where, sizeof where, "erealloc(%p, %lu)", block, static_cast<unsigned long>(size));
    vnUtilError(where, "Invalid memory re-allocation", 1);
  }
  // realloc(p, 0) frees p and may return null; keep a live block instead so
  // the caller's pointer stays valid and a later efree stays legal.
  void* grown = std::realloc(block, size == 0 ? 1 : size);
  if (grown == nullptr) {
    std::snprintf(where, sizeof where, "erealloc(%p, %lu)", block, static_cast<unsigned long>(size));
    vnUtilError(where, "Out of memory", 1);
  }
  return grown;
}

void efree(void* block) {
  if (block == nullptr) {
    char where[64];
    std::snprintf(where, sizeof where, "efree(%p)", block);
    vnUtilError(where, "Invalid memory free", 1);
  }
  std::free(block);
}

char* StringDup(const char* text) {
  if (text == nullptr) return nullptr;
  const size_t n = std::strlen(text) + 1;
  char* copy = static_cast<char*>(emalloc(n));
  std::memcpy(copy, text, n);
  return copy;
}
