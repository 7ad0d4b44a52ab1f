// Opening the files that hold binary data records.
#pragma once

#include <cstdio>

// The file opened for writing ("wb") or reading ("rb"); null after the
// line "Can't open <path> for "write"" ("read") on standard error.
FILE* datafile_write_open(const char* path);
FILE* datafile_read_open(const char* path);
