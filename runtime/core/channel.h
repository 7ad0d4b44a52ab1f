// Numbered channels (file descriptors 0..4095) with a read and a write
// stream each, and child processes connected through two pipes.
#pragma once

#include <cstdio>

constexpr int FILE_CHANNEL_MAX = 4096;

void FileInit();
int FileOpen(const char* path, const char* mode);
int FileIsOpen(int fd);
int FileAccess(const char* name, const char* mode);
FILE* FilePointer(int fd, int rw);
int FileClose(int fd);
int FileFlush(int fd);
int FileEOF(int fd);
int FilePrintf(int fd, const char* format, ...) __attribute__((format(printf, 2, 3)));
int aFilePrintf(const char* name, const char* format, ...) __attribute__((format(printf, 2, 3)));
int ProcessOpen(const char* command);
int ProcessClose(int fd);
// Splits buffer in place into at most max_words words; words[] holds
// max_words + 1 entries and ends with a null one. Returns the word count.
int parse_args(char* buffer, char** words, int max_words = 1023);
void wait_child_process(int signal);
