// Checked allocation: every failure ends the process through the runtime's
// fatal-error path, so callers never see a null block for a non-zero size.
#pragma once
#include <cstddef>

void* emalloc(size_t size);                 // size 0 gives a null block
void* erealloc(void* block, size_t size);   // a null block is fatal
void efree(void* block);                    // a null block is fatal
char* StringDup(const char* text);          // null text gives null

// The utilities' reporter: "\n%s : %s\n" on standard error; a non-zero
// fatal flag ends the process with status 255.
void vnUtilError(const char* where, const char* message, int fatal);
