// Files a run writes besides its report (the learning-curve plot, the saved
// results): each is written into a scratch file beside its target and
// renamed over it only when whole, so a failure never leaves half a file.
#pragma once

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

// "" when target may be replaced (absent, or a regular file this process
// may write), else the reason. *exists and *mode tell what is there.
std::string OutputTargetProblem(const std::string& target, bool* exists, unsigned* mode);
