// Plot windows against a real gnuplot: files it draws, a window on a
// virtual screen, and a gnuplot that dies in the middle of a session.
// Skipped where gnuplot (or Xvfb) is not installed.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "plot_support.h"

namespace {

class GnuplotTest : public VornTest {
 protected:
  void SetUp() override {
    if (!HaveProgram("gnuplot")) GTEST_SKIP() << "gnuplot is not installed";
    VornTest::SetUp();
  }
  // A child with a real gnuplot, no screen, data files in dir_.
  RunResult Plot(const std::function<void()>& body) {
    return RunInChild([&] {
      setenv("TMPDIR", dir_.path().c_str(), 1);
      unsetenv("VORNGNUPLOT");
      unsetenv("DISPLAY");
      unsetenv("VGPLOT_TERM");
      unsetenv("VGPLOT_OPTIONS");
      body();
      VornExit();
      return 0;
    });
  }
  PrivateDir dir_;
};

// The file is complete when output_file returns: the title and one marker
// per data point in the SVG, and a PNG of the size asked for. PostScript
// code comes back read from gnuplot's own output.
TEST_F(GnuplotTest, OutputFilesShowTheData) {
  const ScratchFile svg, png;
  const RunResult r = Plot([&] {
    graph_vgplot_title(2, 1, "Seven-Points");
    graph_vgplot_key(2, 1, 0);
    d1_vgplot(5, 1, Row({0, 1, 4, 9, 16, 25, 36}), Texts({"ramp"}), nullptr, Texts({"w p"}));
    graph_vgplot_output_file(3, 1, svg.path(), "svg");
    graph_vgplot_output_file(3, 1, png.path(), "png size 400,300");
    std::fputs(graph_vgplot_psout(1, 1)->text, stdout);
    MatObjectTmpUndef();
  });
  ASSERT_EQ(0, r.status) << r.err;
  EXPECT_EQ(std::string::npos, r.err.find("line 0:")) << r.err;  // no command refused
  EXPECT_EQ("%!PS-Adobe", r.out.substr(0, 10));
  EXPECT_NE(std::string::npos, r.out.find("showpage\n%%Trailer\n"));
  const std::string text = svg.text();
  ASSERT_NE(std::string::npos, text.find("</svg>")) << text;
  EXPECT_NE(std::string::npos, text.find("Seven-Points"));
  const std::string curve = text.substr(text.find("id=\"gnuplot_plot_1\""));
  EXPECT_EQ(7u, Count(curve.substr(0, curve.find("</g>")), "href='#gpPt0'"));

  const std::string image = png.text();
  ASSERT_GE(image.size(), 24u);
  EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), image.substr(0, 8));
  auto be32 = [&](size_t at) {
    return (static_cast<unsigned char>(image[at]) << 24) | (static_cast<unsigned char>(image[at + 1]) << 16) |
           (static_cast<unsigned char>(image[at + 2]) << 8) | static_cast<unsigned char>(image[at + 3]);
  };
  EXPECT_EQ("IHDR", image.substr(12, 4));
  EXPECT_EQ(400u, be32(16));
  EXPECT_EQ(300u, be32(20));
}

pid_t GnuplotOf(int window) { return ProcessPid(graph_vgplot_win2id(window)); }

// Killing gnuplot is reported once and closes the window; the program goes
// on, and the next plot opens a new gnuplot.
TEST_F(GnuplotTest, DeadGnuplotIsReportedNotFatal) {
  const RunResult r = Plot([] {
    d1_vgplot(2, 1, Row({0, 1, 4, 9}));
    const pid_t first = GnuplotOf(1);
    kill(first, SIGKILL);
    while (kill(first, 0) == 0 && waitpid(first, nullptr, WNOHANG) == 0) usleep(1000);
    usleep(10000);
    d1_vgplot(2, 1, Row({0, 1, 4, 9, 16}));  // finds it gone
    graph_vgplot_title(2, 1, "again");
    d1_vgplot(2, 1, Row({0, 1, 4, 9, 16, 25}));
    std::printf("%d %d", graph_vgplot_open_count(), GnuplotOf(1) != first);
    MatObjectTmpUndef();
  });
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("1 1", r.out);
  EXPECT_EQ("Window-1: gnuplot has exited; the window is closed.\n", r.err);
}

// A free display number: no lock file and no socket.
int FreeDisplay() {
  for (int n = 91; n < 140; n++) {
    const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
    if (access(lock.c_str(), F_OK) != 0 && access(socket.c_str(), F_OK) != 0) return n;
  }
  return -1;
}

// The command line of a live (not zombie) process, or "" when it is gone.
std::string LiveCommand(pid_t pid) {
  const std::string base = "/proc/" + std::to_string(pid);
  const std::string stat = SlurpFile(base + "/stat");
  if (stat.empty() || stat.compare(stat.rfind(')') + 2, 1, "Z") == 0) return "";
  std::string line = SlurpFile(base + "/cmdline");
  for (char& c : line)
    if (c == '\0') c = ' ';
  return line;
}

// On an X display (an Xvfb of the test's own) the window runs gnuplot with
// the x11 terminal, the window's geometry and its title, alive while the
// window is open and collected when it closes.
TEST_F(GnuplotTest, WindowOnAVirtualScreen) {
  if (!HaveProgram("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  const int display = FreeDisplay();
  ASSERT_GT(display, 0);
  const std::string name = ":" + std::to_string(display);
  const pid_t server = fork();
  if (server == 0) {
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 1);
    dup2(null, 2);
    execlp("Xvfb", "Xvfb", name.c_str(), "-nolisten", "tcp", "-screen", "0", "640x480x24", static_cast<char*>(nullptr));
    _exit(127);
  }
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
  for (int i = 0; i < 1000 && access(socket.c_str(), F_OK) != 0 && waitpid(server, nullptr, WNOHANG) == 0; i++)
    usleep(10000);
  if (access(socket.c_str(), F_OK) != 0) {
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    FAIL() << "Xvfb did not start on " << name;
  }

  const RunResult r = Plot([&] {
    setenv("DISPLAY", name.c_str(), 1);
    d1_vgplot(2, 3, Row({0, 1, 4, 9, 16}));
    graph_vgplot_cmd(3, "print GPVAL_TERM");  // on gnuplot's standard error, which is ours
    const pid_t gnuplot = GnuplotOf(3);
    std::printf("%s|", LiveCommand(gnuplot).c_str());
    graph_vgplot_destroy(3);
    std::printf("%s|%d", LiveCommand(gnuplot).c_str(), getpid());
    MatObjectTmpUndef();
  });
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  ASSERT_EQ(0, r.status) << r.err;
  const std::string pid = r.out.substr(r.out.rfind('|') + 1);
  EXPECT_EQ("gnuplot -geometry 380x280 -title vgplot-" + pid + "-3 ||" + pid, r.out);
  EXPECT_NE(std::string::npos, r.err.find("x11\n")) << r.err;
}

}  // namespace
