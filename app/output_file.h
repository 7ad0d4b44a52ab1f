// Files a run writes besides its report (the learning-curve plot, the saved
// results): each is written into a scratch file beside its target and
// renamed over it only when whole, so a failure never leaves half a file.
// Also the scratch files of the worker processes.
#pragma once

#include <signal.h>

#include <string>

// Exit status of a run whose report is complete but one of the files asked
// for in the environment (BROVANE_SAVE, BROVANE_PLOT) is not.
constexpr int BROVANE_OUTPUT_FAILED = 3;

// At most `limit` characters of a text from outside, control bytes as '?'.
std::string PrintableText(const std::string& value, size_t limit);

// Where a file finally goes: through a symbolic link to its target.
std::string OutputDestination(const char* file);

// The folder of path ("." for a bare name).
std::string OutputFolder(const std::string& path);

// A new file in folder, named after the program; unlinked at once unless
// kept is given, which then receives its path. -1 with errno on failure.
int OutputScratchFile(const std::string& folder, std::string* kept);

// The whole file behind fd, read from its start whatever its offset; empty
// for a negative fd.
std::string ReadWholeFile(int fd);

// "" when target may be replaced (absent, or a regular file this process
// may write), else the reason. *exists and *mode tell what is there.
std::string OutputTargetProblem(const std::string& target, bool* exists, unsigned* mode);

// Gives a new scratch file the mode of the file it replaces, or that of a
// new file under the umask.
void OutputScratchMode(int fd, bool exists, unsigned mode);

// While one lives, the signals that end a run (INT, TERM, QUIT, HUP) wait,
// so that the run never ends with a scratch file left behind.
class EndingSignalsHeld {
 public:
  EndingSignalsHeld();
  ~EndingSignalsHeld();
  EndingSignalsHeld(const EndingSignalsHeld&) = delete;
  EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;
  // The mask from before, for a child process to take up again.
  const sigset_t& before() const { return before_; }

 private:
  sigset_t before_;
};
