#include "app/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

std::string PrintableText(const std::string& value, size_t limit) {
  std::string text;
  for (const char c : value) {
    if (text.size() == limit) return text + "...";
    const unsigned char u = static_cast<unsigned char>(c);
    text += u >= 0x20 && u < 0x7f ? c : '?';
  }
  return text;
}

std::string OutputDestination(const char* file) {
  char resolved[PATH_MAX];
  return realpath(file, resolved) != nullptr ? resolved : file;
}

std::string OutputFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

int OutputScratchFile(const std::string& folder, std::string* kept) {
  std::string path = folder + "/.brovane-XXXXXX";
  const int fd = mkstemp(&path[0]);
  if (fd >= 0 && kept != nullptr)
    *kept = path;
  else if (fd >= 0)
    unlink(path.c_str());
  return fd;
}

std::string ReadWholeFile(int fd) {
  std::string text;
  if (fd < 0) return text;
  char buffer[65536];
  off_t at = 0;
  for (;;) {
    const ssize_t n = pread(fd, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
    at += n;
  }
  return text;
}

std::string OutputTargetProblem(const std::string& target, bool* exists, unsigned* mode) {
  struct stat st;
  *exists = stat(target.c_str(), &st) == 0;
  *mode = *exists ? st.st_mode & 07777 : 0;
  if (*exists && !S_ISREG(st.st_mode)) return "it is not a regular file";
  if (*exists && access(target.c_str(), W_OK) != 0) return std::strerror(errno);
  return "";
}

void OutputScratchMode(int fd, bool exists, unsigned mode) {
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, exists ? mode : (0666 & ~mask));
}

EndingSignalsHeld::EndingSignalsHeld() {
  sigset_t ending;
  sigemptyset(&ending);
  for (int sig : {SIGINT, SIGTERM, SIGQUIT, SIGHUP}) sigaddset(&ending, sig);
  sigprocmask(SIG_BLOCK, &ending, &before_);
}

EndingSignalsHeld::~EndingSignalsHeld() { sigprocmask(SIG_SETMASK, &before_, nullptr); }
