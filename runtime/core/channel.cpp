#include "runtime/core/channel.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstring>

FILE* file_pointers[FILE_CHANNEL_MAX][2];
int file_init = 0;

namespace {
pid_t process_ids[FILE_CHANNEL_MAX];   // child of each process channel
}  // namespace

namespace {

constexpr int kCommandMax = 4095;   // characters of a command line kept
constexpr int kWordsMax = 1023;     // words of a command line

bool onTable(int fd) { return fd >= 0 && fd < FILE_CHANNEL_MAX; }

bool isSeparator(char c) { return c == ' ' || c == '\t'; }

bool sameText(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// The C library reads only the first letter of "rw", "wr" and their "b"
// spellings and gives a one-way stream; these spellings mean read-write.
const char* platformMode(const char* mode) {
  static const char* const kReadWrite[][2] = {
      {"rw", "r+"}, {"rbw", "r+b"}, {"rwb", "r+b"}, {"wr", "w+"}, {"wbr", "w+b"}, {"wrb", "w+b"}};
  for (const auto& pair : kReadWrite) {
    if (sameText(mode, pair[0])) return pair[1];
  }
  return mode;
}

void enterStandard(FILE* stream, int slot) {
  const int fd = fileno(stream);
  if (onTable(fd)) file_pointers[fd][slot] = stream;
}

// Keeps a parent-side pipe end out of later children, so that closing a
// process channel really ends that child's input.
void closeOnExec(int fd) { fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC); }

void closeBoth(const int ends[2]) {
  close(ends[0]);
  close(ends[1]);
}

[[noreturn]] void runChild(const int toChild[2], const int fromChild[2], char** words) {
  if (dup2(toChild[0], 0) < 0 || dup2(fromChild[1], 1) < 0) _exit(1);
  close(toChild[1]);
  close(fromChild[0]);
  if (toChild[0] != 0) close(toChild[0]);
  if (fromChild[1] != 1) close(fromChild[1]);
  if (words[0] == nullptr) _exit(1);
  if (words[0][0] == '/') execv(words[0], words);
  else execvp(words[0], words);
  _exit(1);   // not exit(): the parent's unflushed buffers must not be written twice
}

}  // namespace

void FileInit() {
  if (file_init) return;
  file_init = 1;
  enterStandard(stdin, 0);
  enterStandard(stdout, 1);
  enterStandard(stderr, 1);
}

int FileOpen(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) return -1;
  FileInit();
  if (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a') {
    std::fprintf(stderr, "FileOpen(\"%s\", \"%s\"): mode does not start with 'r', 'w', nor 'a'\n",
                 path, mode);
  }
  FILE* fp = std::fopen(path, platformMode(mode));
  if (fp == nullptr) return -1;
  const int fd = fileno(fp);
  if (!onTable(fd)) {
    std::fprintf(stderr, "FileOpen(\"%s\", \"%s\"): file descriptor is too large.\n", path, mode);
    std::fclose(fp);
    return -1;
  }
  const bool readOnly = sameText(mode, "r") || sameText(mode, "rb");
  const bool writeOnly = sameText(mode, "w") || sameText(mode, "wb") || sameText(mode, "a") ||
                         sameText(mode, "ab");
  file_pointers[fd][0] = writeOnly ? nullptr : fp;
  file_pointers[fd][1] = readOnly ? nullptr : fp;
  return fd;
}

int FileIsOpen(int fd) {
  if (!onTable(fd)) return 0;
  FileInit();
  return (file_pointers[fd][0] != nullptr || file_pointers[fd][1] != nullptr) ? 1 : 0;
}

int FileAccess(const char* name, const char* mode) {
  int amode = 0;
  for (const char* p = mode; p != nullptr && *p != '\0'; p++) {
    if (*p == 'r') amode |= R_OK;
    else if (*p == 'w') amode |= W_OK;
    else if (*p == 'x') amode |= X_OK;
  }
  if (mode == nullptr || mode[0] == '\0') amode = R_OK;
  return access(name, amode);
}

FILE* FilePointer(int fd, int rw) {
  FileInit();
  if (fd >= FILE_CHANNEL_MAX) {
    std::fprintf(stderr, "FilePointer(%d, %d): file descriptor is too large.\n", fd, rw);
    return nullptr;
  }
  if (fd < 0) return nullptr;   // no descriptor is negative: no stream
  if (rw != 0 && rw != 1) {
    std::fprintf(stderr, "FilePointer(%d, %d): rw flag is 0 or 1\n", fd, rw);
    return nullptr;
  }
  return file_pointers[fd][rw];
}

int FileClose(int fd) {
  if (!onTable(fd)) return -1;
  FileInit();
  FILE* in = file_pointers[fd][0];
  FILE* out = file_pointers[fd][1];
  file_pointers[fd][0] = nullptr;
  file_pointers[fd][1] = nullptr;
  process_ids[fd] = 0;
  if (in == nullptr && out == nullptr) {
    close(fd);
    return 0;
  }
  if (in != nullptr) std::fclose(in);
  if (out != nullptr && out != in) std::fclose(out);
  return 0;
}

int FileFlush(int fd) {
  if (!onTable(fd)) return -1;
  FileInit();
  FILE* in = file_pointers[fd][0];
  FILE* out = file_pointers[fd][1];
  int result = 0;
  if (out != nullptr && std::fflush(out) != 0) result = -1;
  if (in != nullptr && in != out && std::fflush(in) != 0) result = -1;
  return result;
}

int FileEOF(int fd) {
  if (!onTable(fd)) return 0;
  FileInit();
  FILE* in = file_pointers[fd][0];
  return in != nullptr ? std::feof(in) : 0;
}

int FilePrintf(int fd, const char* format, ...) {
  FILE* fp = FilePointer(fd, 1);
  if (fp == nullptr) {
    std::fprintf(stderr, "FilePrintf(%d, \"%s\", ...): file is not opened.\n", fd, format);
    return -1;
  }
  va_list ap;
  va_start(ap, format);
  std::vfprintf(fp, format, ap);
  va_end(ap);
  std::fflush(fp);
  return 0;
}

int aFilePrintf(const char* name, const char* format, ...) {
  if (name == nullptr) name = "";
  FILE* fp = nullptr;
  bool standard = true;
  if (sameText(name, "stdout")) fp = stdout;
  else if (sameText(name, "stderr")) fp = stderr;
  else {
    standard = false;
    fp = std::fopen(name, "a");
    if (fp == nullptr) {
      std::fprintf(stderr, "aFilePrintf(): Can't open %s.\n", name);
      return -1;
    }
  }
  va_list ap;
  va_start(ap, format);
  std::vfprintf(fp, format, ap);
  va_end(ap);
  if (!standard) std::fclose(fp);
  return 0;
}

int parse_args(char* buffer, char** words, int max_words) {
  int count = 0;
  char* p = buffer;
  while (*p != '\0' && count < max_words) {
    while (isSeparator(*p)) *p++ = '\0';
    words[count++] = p;
    while (*p != '\0' && !isSeparator(*p)) p++;
  }
  words[count] = nullptr;
  return count;
}

int ProcessOpen(const char* command) {
  FileInit();
  char line[kCommandMax + 1];
  std::snprintf(line, sizeof line, "%s", command != nullptr ? command : "");
  char* words[kWordsMax + 1];
  parse_args(line, words, kWordsMax);

  int toChild[2];     // pipe A: parent writes, child reads
  int fromChild[2];   // pipe B: child writes, parent reads
  if (pipe(toChild) < 0) return -1;
  if (!onTable(toChild[0]) || !onTable(toChild[1])) {
    std::fprintf(stderr, "ProcessOpen(\"%s\"): Too many processes are opened.\n",
                 command != nullptr ? command : "");
    closeBoth(toChild);
    return -1;
  }
  if (pipe(fromChild) < 0) {
    closeBoth(toChild);
    return -1;
  }
  const pid_t pid = fork();
  if (pid < 0) {
    closeBoth(toChild);
    closeBoth(fromChild);
    return -1;
  }
  std::signal(SIGCHLD, wait_child_process);
  if (pid == 0) runChild(toChild, fromChild, words);

  close(toChild[0]);
  close(fromChild[1]);
  closeOnExec(toChild[1]);
  closeOnExec(fromChild[0]);
  FILE* in = fdopen(fromChild[0], "rb");
  FILE* out = in != nullptr ? fdopen(toChild[1], "wb") : nullptr;
  if (in == nullptr || out == nullptr) {
    if (in != nullptr) std::fclose(in);
    else close(fromChild[0]);
    close(toChild[1]);
    return -1;
  }
  setvbuf(in, nullptr, _IONBF, 0);
  setvbuf(out, nullptr, _IONBF, 0);
  const int fd = toChild[1];
  file_pointers[fd][0] = in;
  file_pointers[fd][1] = out;
  process_ids[fd] = pid;
  return fd;
}

int ProcessClose(int fd) { return FileClose(fd); }

int ProcessPid(int fd) { return onTable(fd) ? process_ids[fd] : 0; }

void wait_child_process(int) {
  const int savedErrno = errno;
  int status = 0;
  waitpid(-1, &status, WNOHANG);
  errno = savedErrno;
}
