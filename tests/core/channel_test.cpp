// The channel table, formatted output onto channels and files, and
// process pipes.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/vorn_test.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool descriptorIsOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

// Reads one line from a process channel, giving up after timeoutMs.
std::string readLineWithin(int fd, int timeoutMs) {
  FILE* in = FilePointer(fd, 0);
  if (in == nullptr) return "<no read stream>";
  struct pollfd p = {fileno(in), POLLIN, 0};
  int ready;
  do ready = poll(&p, 1, timeoutMs);   // a child's exit signal interrupts the wait
  while (ready < 0 && errno == EINTR);
  if (ready <= 0) return "<timeout>";
  char line[256];
  if (std::fgets(line, sizeof line, in) == nullptr) return "<eof>";
  return line;
}

class ChannelTest : public VornTest {
 protected:
  void SetUp() override {
    VornTest::SetUp();
    path_ = "/tmp/vorn_channel_" + std::to_string(getpid());
  }
  void TearDown() override {
    std::remove(path_.c_str());
    VornTest::TearDown();
  }
  std::string path_;
};

TEST_F(ChannelTest, StandardErrorWorksAsFirstUse) {
  const std::string style = GTEST_FLAG_GET(death_test_style);
  GTEST_FLAG_SET(death_test_style, "threadsafe");   // a fresh process, untouched table
  EXPECT_EXIT(
      {
        if (file_init != 0) _exit(3);
        FilePrintf(2, "first use %d|", 42);
        _exit(0);   // no exit-time flush: the text must already be out
      },
      ::testing::ExitedWithCode(0), "^first use 42\\|$");
  GTEST_FLAG_SET(death_test_style, style);
}

TEST_F(ChannelTest, StandardChannels) {
  EXPECT_EQ(stdin, FilePointer(0, 0));
  EXPECT_EQ(nullptr, FilePointer(0, 1));
  EXPECT_EQ(stdout, FilePointer(1, 1));
  EXPECT_EQ(stderr, FilePointer(2, 1));
  EXPECT_EQ(nullptr, FilePointer(2, 0));
  EXPECT_EQ(1, FileIsOpen(0));
  EXPECT_EQ(1, FileIsOpen(2));

  testing::internal::CaptureStderr();
  EXPECT_EQ(-1, FilePrintf(0, "x%d", 1));
  EXPECT_EQ("FilePrintf(0, \"x%d\", ...): file is not opened.\n",
            testing::internal::GetCapturedStderr());

  testing::internal::CaptureStderr();
  EXPECT_EQ(0, FilePrintf(2, "%s=%5.2f\n", "v", 1.5));
  EXPECT_EQ("v= 1.50\n", testing::internal::GetCapturedStderr());
}

TEST_F(ChannelTest, DescriptorsOffTheTable) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(nullptr, FilePointer(4096, 0));
  EXPECT_EQ(nullptr, FilePointer(3, 2));
  EXPECT_EQ(-1, FilePrintf(5000, "y"));
  EXPECT_EQ(
      "FilePointer(4096, 0): file descriptor is too large.\n"
      "FilePointer(3, 2): rw flag is 0 or 1\n"
      "FilePointer(5000, 1): file descriptor is too large.\n"
      "FilePrintf(5000, \"y\", ...): file is not opened.\n",
      testing::internal::GetCapturedStderr());

  // A negative descriptor never indexes the table.
  testing::internal::CaptureStderr();
  EXPECT_EQ(nullptr, FilePointer(-1, 1));
  EXPECT_EQ(nullptr, FilePointer(INT_MIN, 0));
  EXPECT_EQ(-1, FilePrintf(-2, "z"));
  EXPECT_EQ(0, FileIsOpen(-1));
  EXPECT_EQ(0, FileIsOpen(4096));
  EXPECT_EQ(0, FileEOF(-1));
  EXPECT_EQ(-1, FileFlush(-3));
  EXPECT_EQ(-1, FileClose(-1));
  EXPECT_EQ(-1, FileClose(4096));
  EXPECT_EQ("FilePrintf(-2, \"z\", ...): file is not opened.\n",
            testing::internal::GetCapturedStderr());
}

TEST_F(ChannelTest, SlotsFollowTheMode) {
  { std::ofstream(path_) << "seed\n"; }
  struct Case {
    const char* mode;
    bool read, write;
  };
  const Case cases[] = {
      {"r", true, false},  {"rb", true, false}, {"w", false, true},  {"wb", false, true},
      {"a", false, true},  {"ab", false, true}, {"r+", true, true},  {"w+b", true, true},
      {"rw", true, true},  {"rbw", true, true}, {"rwb", true, true}, {"wr", true, true},
      {"wbr", true, true}, {"wrb", true, true},
  };
  for (const Case& c : cases) {
    const int fd = FileOpen(path_.c_str(), c.mode);
    ASSERT_GE(fd, 3) << c.mode;
    EXPECT_EQ(c.read, FilePointer(fd, 0) != nullptr) << c.mode;
    EXPECT_EQ(c.write, FilePointer(fd, 1) != nullptr) << c.mode;
    if (c.read && c.write) {
      EXPECT_EQ(FilePointer(fd, 0), FilePointer(fd, 1)) << c.mode;
    }
    EXPECT_EQ(1, FileIsOpen(fd));
    EXPECT_EQ(0, FileClose(fd));
    EXPECT_EQ(0, FileIsOpen(fd));
    EXPECT_FALSE(descriptorIsOpen(fd)) << c.mode;
  }
}

TEST_F(ChannelTest, ReadWriteSpellingsReadAndWrite) {
  for (const char* mode : {"wrb", "wr", "rwb", "rw"}) {
    { std::ofstream(path_) << "old"; }
    const int fd = FileOpen(path_.c_str(), mode);
    ASSERT_GE(fd, 0) << mode;
    EXPECT_EQ(0, FilePrintf(fd, "new-%s", mode));
    FILE* in = FilePointer(fd, 0);
    std::rewind(in);
    char text[32] = {0};
    ASSERT_NE(nullptr, std::fgets(text, sizeof text, in)) << mode;
    EXPECT_EQ(std::string("new-") + mode, text);
    EXPECT_EQ(0, FileClose(fd));   // the shared stream is closed once (ASan would see twice)
  }
}

TEST_F(ChannelTest, OpenFailuresAndOddModes) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(-1, FileOpen("/nonexistent-dir/f", "r"));
  EXPECT_EQ(-1, FileOpen(path_.c_str(), "q"));
  EXPECT_EQ(
      "FileOpen(\"" + path_ + "\", \"q\"): mode does not start with 'r', 'w', nor 'a'\n",
      testing::internal::GetCapturedStderr());
}

TEST_F(ChannelTest, ReadingToTheEnd) {
  { std::ofstream(path_) << "12 34\n"; }
  const int fd = FileOpen(path_.c_str(), "r");
  ASSERT_GE(fd, 0);
  EXPECT_EQ(0, FileEOF(fd));
  int a = 0, b = 0;
  EXPECT_EQ(2, std::fscanf(FilePointer(fd, 0), "%d %d", &a, &b));
  EXPECT_EQ(34, b);
  while (std::fgetc(FilePointer(fd, 0)) != EOF) {
  }
  EXPECT_NE(0, FileEOF(fd));
  EXPECT_EQ(0, FileFlush(fd));
  EXPECT_EQ(0, FileClose(fd));
}

TEST_F(ChannelTest, ClosingABareDescriptor) {
  const int fd = open(path_.c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(0, FileIsOpen(fd));
  EXPECT_EQ(0, FileClose(fd));
  EXPECT_FALSE(descriptorIsOpen(fd));
}

// Fills every descriptor below the table's end, then opens a file and a
// process: both must refuse the descriptors above it.
void openAboveTheTable() {
  struct rlimit limit;
  limit.rlim_cur = limit.rlim_max = 5000;
  if (setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(2);
  const int filler = open("/dev/null", O_RDONLY);
  for (int fd = 0; fd < FILE_CHANNEL_MAX; fd++) {
    if (!descriptorIsOpen(fd)) dup2(filler, fd);
  }
  if (FileOpen("/dev/null", "r") != -1) _exit(3);
  if (ProcessOpen("cat") != -1) _exit(4);
  _exit(0);
}

TEST_F(ChannelTest, DescriptorsAboveTheTable) {
  EXPECT_EXIT(openAboveTheTable(), ::testing::ExitedWithCode(0),
              "^FileOpen\\(\"/dev/null\", \"r\"\\): file descriptor is too large\\.\n"
              "ProcessOpen\\(\"cat\"\\): Too many processes are opened\\.\n$");
}

TEST_F(ChannelTest, AppendingByName) {
  EXPECT_EQ(0, aFilePrintf(path_.c_str(), "one %d\n", 1));
  EXPECT_EQ(0, aFilePrintf(path_.c_str(), "two %s\n", "2"));
  EXPECT_EQ("one 1\ntwo 2\n", readFile(path_));

  testing::internal::CaptureStderr();
  EXPECT_EQ(0, aFilePrintf("stderr", "to %s|", "stderr"));
  std::fprintf(stderr, "still open");
  EXPECT_EQ(-1, aFilePrintf("/nonexistent-dir/f", "x"));
  EXPECT_EQ("to stderr|still openaFilePrintf(): Can't open /nonexistent-dir/f.\n",
            testing::internal::GetCapturedStderr());

  std::fflush(stdout);
  testing::internal::CaptureStdout();
  EXPECT_EQ(0, aFilePrintf("stdout", "%03d", 7));
  std::fflush(stdout);
  EXPECT_EQ("007", testing::internal::GetCapturedStdout());
}

TEST_F(ChannelTest, FileAccessLetters) {
  { std::ofstream(path_) << "x"; }
  chmod(path_.c_str(), 0644);
  EXPECT_EQ(0, FileAccess(path_.c_str(), ""));
  EXPECT_EQ(0, FileAccess(path_.c_str(), "r"));
  EXPECT_EQ(0, FileAccess(path_.c_str(), "rw"));
  EXPECT_EQ(0, FileAccess(path_.c_str(), "zq"));    // unknown letters ignored
  EXPECT_EQ(-1, FileAccess(path_.c_str(), "x"));    // no execute bit, even for root
  EXPECT_EQ(-1, FileAccess(path_.c_str(), "rx"));
  EXPECT_EQ(-1, FileAccess("/nonexistent-dir/f", ""));
  EXPECT_EQ(0, FileAccess("/bin/sh", "x"));
}

struct SplitCase {
  const char* line;
  int max_words;
  std::vector<std::string> words;
};

class SplitTest : public VornTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(SplitTest, WordsInPlace) {
  const SplitCase& c = GetParam();
  std::vector<char> buffer(c.line, c.line + std::strlen(c.line) + 1);
  std::vector<char*> words(static_cast<size_t>(c.max_words) + 1, nullptr);
  words.back() = buffer.data();   // must be overwritten by the end marker
  const int n = parse_args(buffer.data(), words.data(), c.max_words);
  ASSERT_EQ(static_cast<int>(c.words.size()), n);
  for (int i = 0; i < n; i++) EXPECT_EQ(c.words[static_cast<size_t>(i)], words[static_cast<size_t>(i)]);
  EXPECT_EQ(nullptr, words[static_cast<size_t>(n)]);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitTest,
    ::testing::Values(SplitCase{"  a\tb", 1023, {"a", "b"}},
                      SplitCase{"  a\tb ", 1023, {"a", "b", ""}},
                      SplitCase{"a \t  b\t\tc", 1023, {"a", "b", "c"}},
                      SplitCase{"", 1023, {}},
                      SplitCase{"   ", 1023, {""}},
                      SplitCase{"gnuplot -persist", 1023, {"gnuplot", "-persist"}},
                      SplitCase{"a b c d", 2, {"a", "b c d"}},
                      SplitCase{"a b", 0, {}}));

class ProcessTest : public ChannelTest {
 protected:
  void TearDown() override {
    // The child-exit handler would reap the children the test framework
    // waits for itself.
    std::signal(SIGCHLD, SIG_DFL);
    ChannelTest::TearDown();
  }
};

TEST_F(ProcessTest, TwoWayPipe) {
  for (const char* command : {"cat", "/bin/cat", " \t cat"}) {
    const int fd = ProcessOpen(command);
    ASSERT_GE(fd, 3) << command;
    struct sigaction current;
    sigaction(SIGCHLD, nullptr, &current);
    EXPECT_EQ(wait_child_process, current.sa_handler);
    EXPECT_NE(FilePointer(fd, 0), FilePointer(fd, 1));
    EXPECT_EQ(0, FilePrintf(fd, "hello %d\n", 5));
    EXPECT_EQ("hello 5\n", readLineWithin(fd, 5000)) << command;
    EXPECT_EQ(0, ProcessClose(fd));
    EXPECT_EQ(0, FileIsOpen(fd));
  }
}

TEST_F(ProcessTest, ArgumentsReachTheChild) {
  const int fd = ProcessOpen("/bin/echo  one\ttwo");
  ASSERT_GE(fd, 0);
  EXPECT_EQ("one two\n", readLineWithin(fd, 5000));
  EXPECT_EQ("<eof>", readLineWithin(fd, 5000));
  ProcessClose(fd);
}

TEST_F(ProcessTest, FailedExecEndsOnlyTheChild) {
  const int fd = ProcessOpen("no-such-program-here");
  ASSERT_GE(fd, 0);
  EXPECT_EQ("<eof>", readLineWithin(fd, 5000));
  ProcessClose(fd);
}

TEST_F(ProcessTest, ClosingOneChannelEndsItsChildEvenWithOthersOpen) {
  const int counter = ProcessOpen("wc -c");
  ASSERT_GE(counter, 0);
  const int other = ProcessOpen("cat");   // must not hold the counter's input open
  ASSERT_GE(other, 0);
  FilePrintf(counter, "abc");
  std::fclose(file_pointers[counter][1]);
  file_pointers[counter][1] = nullptr;
  std::string line = readLineWithin(counter, 5000);
  line.erase(0, line.find_first_not_of(' '));
  EXPECT_EQ("3\n", line);
  EXPECT_EQ(0, ProcessClose(counter));
  EXPECT_EQ(0, ProcessClose(other));
}

}  // namespace
