// Numbered channels (file descriptors 0..4095) with a read and a write
// stream each, and child processes connected through two pipes.
#pragma once

#include <cstdio>

constexpr int FILE_CHANNEL_MAX = 4096;

// Slot 0 of an entry is the read stream, slot 1 the write stream; an empty
// slot is null. Filled lazily by FileInit; other channel makers (sockets)
// enter their streams here after calling FileInit.
extern FILE* file_pointers[FILE_CHANNEL_MAX][2];
extern int file_init;

void FileInit();   // enters stdin (read), stdout and stderr (write), once

// Opens path with an fopen mode; returns the channel or -1.
int FileOpen(const char* path, const char* mode);
int FileIsOpen(int fd);   // 1 when either slot is set (0 for any fd off the table)
// access() with "r"/"w"/"x" letters of mode; empty mode checks reading.
int FileAccess(const char* name, const char* mode);
// The stream in slot rw (0 read, 1 write) of channel fd, or null.
FILE* FilePointer(int fd, int rw);
// Closes the channel's streams (a shared stream once) and empties the
// entry; with no stream, closes the bare descriptor. 0, or -1 for an fd off
// the table.
int FileClose(int fd);
int FileFlush(int fd);    // 0, or -1 when a flush fails or fd is off the table
int FileEOF(int fd);      // feof of the read stream, 0 without one
// printf onto the channel's write stream, flushed at once; 0, or -1 when
// the channel has no write stream.
int FilePrintf(int fd, const char* format, ...) __attribute__((format(printf, 2, 3)));
// printf onto "stdout", "stderr" or a file opened for appending and closed
// again; 0, or -1 when the file cannot be opened.
int aFilePrintf(const char* name, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Starts command (its first word found by path search unless it begins
// with "/") with its standard input and output on two pipes; returns the
// channel that writes to its input and reads its output, or -1.
int ProcessOpen(const char* command);
int ProcessClose(int fd);
// The child started by ProcessOpen on channel fd, 0 for any other channel.
int ProcessPid(int fd);
// Splits buffer in place into at most max_words words; words[] holds
// max_words + 1 entries and ends with a null one. Returns the word count.
// When the limit is reached the last word keeps the rest of the line.
int parse_args(char* buffer, char** words, int max_words = 1023);
void wait_child_process(int signal);   // reaps one finished child, never blocks
