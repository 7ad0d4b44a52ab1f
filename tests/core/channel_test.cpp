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

#include "support/vorn_test.h"

namespace {

bool descriptorIsOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

// One line from a process channel, or "<timeout>" / "<eof>".
std::string readLineWithin(int fd, int timeoutMs) {
  FILE* in = FilePointer(fd, 0);
  struct pollfd p = {fileno(in), POLLIN, 0};
  int ready;
  do ready = poll(&p, 1, timeoutMs);  // a child's exit signal interrupts the wait
  while (ready < 0 && errno == EINTR);
  char line[256];
  if (ready <= 0) return "<timeout>";
  return std::fgets(line, sizeof line, in) != nullptr ? line : "<eof>";
}

class ChannelTest : public VornFileTest {
 protected:
  void TearDown() override {
    std::signal(SIGCHLD, SIG_DFL);  // else it reaps the framework's own children
    VornFileTest::TearDown();
  }
};

TEST_F(ChannelTest, StandardErrorWorksAsFirstUse) {
  const std::string style = GTEST_FLAG_GET(death_test_style);
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, untouched table
  EXPECT_EXIT(
      {
        if (file_init != 0) _exit(3);
        FilePrintf(2, "first use %d|", 42);
        _exit(0);  // no exit-time flush: the text must already be out
      },
      ::testing::ExitedWithCode(0), "^first use 42\\|$");
  GTEST_FLAG_SET(death_test_style, style);
}

TEST_F(ChannelTest, MissingStreamsAndDescriptorsOffTheTable) {
  EXPECT_EQ(StderrOf([] {
              EXPECT_EQ(-1, FilePrintf(0, "x%d", 1));  // channel 0 only reads
              EXPECT_EQ(nullptr, FilePointer(3, 2));
              EXPECT_EQ(-1, FilePrintf(5000, "y"));
              EXPECT_EQ(-1, FilePrintf(-2, "z"));  // negative: never indexes the table
              EXPECT_EQ(nullptr, FilePointer(INT_MIN, 0));
              EXPECT_EQ(0, FileIsOpen(-1) + FileEOF(-1));
              EXPECT_EQ(-1, FileClose(-1));
              EXPECT_EQ(-1, FileFlush(4096));
            }),
            "FilePrintf(0, \"x%d\", ...): file is not opened.\n"
            "FilePointer(3, 2): rw flag is 0 or 1\n"
            "FilePointer(5000, 1): file descriptor is too large.\n"
            "FilePrintf(5000, \"y\", ...): file is not opened.\n"
            "FilePrintf(-2, \"z\", ...): file is not opened.\n");
}

TEST_F(ChannelTest, SlotsFollowTheMode) {
  put("seed");
  const struct {
    const char* mode;
    bool read, write;
  } cases[] = {{"r", true, false},  {"rb", true, false}, {"w", false, true},  {"ab", false, true},
               {"w+b", true, true}, {"rw", true, true},  {"wrb", true, true}, {"rbw", true, true}};
  for (const auto& c : cases) {
    const int fd = FileOpen(path(), c.mode);
    ASSERT_GE(fd, 3) << c.mode;
    EXPECT_TRUE(c.read == (FilePointer(fd, 0) != nullptr) && c.write == (FilePointer(fd, 1) != nullptr)) << c.mode;
    if (c.read && c.write) {  // one stream that really reads and writes
      EXPECT_EQ(0, FilePrintf(fd, "via-%s\n", c.mode));
      std::rewind(FilePointer(fd, 0));
      char text[32] = {0};
      EXPECT_STREQ((std::string("via-") + c.mode + "\n").c_str(), std::fgets(text, sizeof text, FilePointer(fd, 0)));
      while (std::fgetc(FilePointer(fd, 0)) != EOF) continue;
      EXPECT_NE(0, FileEOF(fd)) << c.mode;
    }
    EXPECT_EQ(0, FileClose(fd));  // a shared stream closed once (the sanitizer sees twice)
    EXPECT_FALSE(FileIsOpen(fd) || descriptorIsOpen(fd)) << c.mode;
  }
  EXPECT_EQ(StderrOf([&] {
              EXPECT_EQ(-1, FileOpen("/nonexistent-dir/f", "r"));
              EXPECT_EQ(-1, FileOpen(path(), "q"));
            }),
            "FileOpen(\"" + std::string(path()) + "\", \"q\"): mode does not start with 'r', 'w', nor 'a'\n");
  const int bare = open(path(), O_RDONLY);  // not in the table: closed as is
  EXPECT_EQ(0, FileClose(bare));
  EXPECT_FALSE(descriptorIsOpen(bare));
}

void openAboveTheTable() {
  struct rlimit limit;
  limit.rlim_cur = limit.rlim_max = 5000;
  if (setrlimit(RLIMIT_NOFILE, &limit) != 0) _exit(2);
  const int filler = open("/dev/null", O_RDONLY);
  for (int fd = 0; fd < FILE_CHANNEL_MAX; fd++)
    if (!descriptorIsOpen(fd)) dup2(filler, fd);
  _exit(FileOpen("/dev/null", "r") == -1 && ProcessOpen("cat") == -1 ? 0 : 1);
}

TEST_F(ChannelTest, DescriptorsAboveTheTable) {
  EXPECT_EXIT(openAboveTheTable(), ::testing::ExitedWithCode(0),
              "^FileOpen\\(\"/dev/null\", \"r\"\\): file descriptor is too large\\.\n"
              "ProcessOpen\\(\"cat\"\\): Too many processes are opened\\.\n$");
}

TEST_F(ChannelTest, PrintingByNameAndAccess) {
  EXPECT_EQ(0, aFilePrintf(path(), "one %d\n", 1));
  EXPECT_EQ(0, aFilePrintf(path(), "two\n"));
  EXPECT_EQ("one 1\ntwo\n", saved());  // appended
  EXPECT_EQ(StderrOf([] {
              EXPECT_EQ(0, aFilePrintf("stderr", "to %s|", "stderr"));
              std::fprintf(stderr, "still open");
              EXPECT_EQ(-1, aFilePrintf("/nonexistent-dir/f", "x"));
            }),
            "to stderr|still openaFilePrintf(): Can't open /nonexistent-dir/f.\n");

  chmod(path(), 0644);
  EXPECT_TRUE(FileAccess(path(), "") == 0 && FileAccess(path(), "rwz") == 0);
  EXPECT_EQ(-1, FileAccess(path(), "x"));  // no execute bit, even for root
  EXPECT_EQ(-1, FileAccess("/nonexistent-dir/f", ""));
}

TEST_F(ChannelTest, SplittingCommandLines) {
  const struct {
    const char* line;
    int max_words;
    std::vector<std::string> words;
  } cases[] = {{"  a\tb", 1023, {"a", "b"}}, {"  a\tb ", 1023, {"a", "b", ""}}, {"", 1023, {}},
               {"   ", 1023, {""}},          {"a b c d", 2, {"a", "b c d"}},    {"a b", 0, {}}};
  for (const auto& c : cases) {
    std::vector<char> buffer(c.line, c.line + std::strlen(c.line) + 1);
    std::vector<char*> words(static_cast<size_t>(c.max_words) + 1, buffer.data());
    const int n = parse_args(buffer.data(), words.data(), c.max_words);
    ASSERT_EQ(static_cast<int>(c.words.size()), n) << c.line;
    for (int i = 0; i < n; i++) EXPECT_EQ(c.words[static_cast<size_t>(i)], words[static_cast<size_t>(i)]);
    EXPECT_EQ(nullptr, words[static_cast<size_t>(n)]);
  }
}

TEST_F(ChannelTest, ProcessPipes) {
  for (const char* command : {"cat", " \t/bin/cat"}) {
    const int fd = ProcessOpen(command);
    ASSERT_GE(fd, 3) << command;
    EXPECT_EQ(0, FilePrintf(fd, "hello %d\n", 5));
    EXPECT_EQ("hello 5\n", readLineWithin(fd, 5000)) << command;
    EXPECT_EQ(0, ProcessClose(fd));
  }
  const int missing = ProcessOpen("no-such-program-here");
  EXPECT_EQ("<eof>", readLineWithin(missing, 5000));  // only the child ends
  ProcessClose(missing);

  // Arguments reach the program; a later child must not hold an earlier
  // child's input open.
  const int counter = ProcessOpen("wc -c");
  const int other = ProcessOpen("cat");
  FilePrintf(counter, "abc");
  std::fclose(file_pointers[counter][1]);
  file_pointers[counter][1] = nullptr;
  EXPECT_EQ("3\n", readLineWithin(counter, 5000));
  ProcessClose(counter);
  ProcessClose(other);
}

}  // namespace
