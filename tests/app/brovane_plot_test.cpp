// BROVANE_PLOT: the learning-curve file drawn by a real gnuplot, the report
// left as it is, and plots that fail after a complete report.
#include <dirent.h>
#include <sys/stat.h>

#include <fstream>

#include "app/learning_plot.h"
#include "app_fixture.h"
#include "plot/plot_support.h"

namespace {

const char kArgs[] = "em 3 10 5";

// The run's environment: data files and scratch in dir, no screen.
std::string Env(const PrivateDir& dir, const std::string& more) {
  return "TMPDIR='" + dir.path() + "' DISPLAY= VGPLOT_TERM= VGPLOT_OPTIONS= VORNGNUPLOT= " + more;
}

std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = d != nullptr ? readdir(d) : nullptr)
    if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
  if (d != nullptr) closedir(d);
  return names;
}

// Processes (gnuplot among them) still running with dir as their TMPDIR.
int ProcessesOf(const PrivateDir& dir) {
  const std::string mark = std::string("TMPDIR=") + dir.path() + '\0';
  int found = 0;
  for (const std::string& pid : Entries("/proc"))
    if (pid[0] >= '1' && pid[0] <= '9' && SlurpFile("/proc/" + pid + "/environ").find(mark) != std::string::npos)
      found++;
  return found;
}

TEST(PlotFileTest, OnlyWholeFilesOfTheRightFormatCount) {
  const std::string png =
      std::string("\x89PNG\r\n\x1a\n", 8) + "IHDR...IDAT..." + std::string("IEND\xae\x42\x60\x82", 8);
  const std::string svg = "<?xml version=\"1.0\"?>\n<svg>\n</svg>\n\n", pdf = "%PDF-1.5\n...\n%%EOF\n";
  const struct {
    std::string bytes;
    const char* path;
    bool whole;
  } cases[] = {
      {png, "a.png", true},        {png, "a.PNG", true},  {svg, "a.svg", true},
      {pdf, "a.pdf", true},        {png.substr(0, png.size() - 1), "a.png", false},
      {svg.substr(0, 30), "a.svg", false}, {pdf.substr(0, 12), "a.pdf", false}, {png, "a.svg", false},
      {"   0 +-----+\n |  * |\n", "a.png", false},  // what a text terminal draws
  };
  for (const auto& c : cases) EXPECT_EQ(c.whole, PlotFileComplete(c.bytes, c.path)) << c.path << ": " << c.bytes;
}

class BrovanePlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveProgram("gnuplot")) GTEST_SKIP() << "gnuplot is not installed";
    report_ = RunBrovane(kArgs).out;
  }
  std::string report_;
  PrivateDir dir_;
};

// The SVG shows the title and the three curves: niter E-step points and
// niter + 1 training and test points, each curve with one more point as
// the sample in its key. Nothing else is left behind.
TEST_F(BrovanePlotTest, SvgHoldsTheTitleAndTheCurves) {
  const std::string file = dir_.path() + "/curves.svg";
  const RunResult r = RunBrovane(kArgs, Env(dir_, "BROVANE_PLOT='" + file + "'"));
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("", r.err);
  EXPECT_EQ(report_, r.out);
  const std::string svg = SlurpFile(file);
  EXPECT_NE(std::string::npos, svg.find(">brovane em 3 10 5<")) << svg;
  const int points[] = {3 + 1, 4 + 1, 4 + 1};
  for (int k = 1; k <= 3; k++) {
    const size_t at = svg.find("id=\"gnuplot_plot_" + std::to_string(k) + "\"");
    ASSERT_NE(std::string::npos, at) << "curve " << k;
    const size_t next = svg.find("id=\"gnuplot_plot_", at + 1);  // groups nest: up to the next curve's
    EXPECT_EQ(points[k - 1], Count(svg.substr(at, next - at), "href='#gpPt")) << "curve " << k;
  }
  EXPECT_EQ(std::vector<std::string>{"curves.svg"}, Entries(dir_.path()));
  EXPECT_EQ(0, ProcessesOf(dir_));
  unlink(file.c_str());
}

// The report is the same with worker processes; the PNG has its size.
TEST_F(BrovanePlotTest, PngWithWorkersLeavesTheReportAsItIs) {
  const std::string file = dir_.path() + "/curves.png";
  for (const char* jobs : {"1", "2", "3"}) {
    const RunResult r = RunBrovane(kArgs, Env(dir_, std::string("BROVANE_JOBS=") + jobs + " BROVANE_PLOT=" + file));
    EXPECT_EQ(0, r.status) << jobs;
    EXPECT_EQ("", r.err) << jobs;
    EXPECT_EQ(report_, r.out) << jobs;
    const std::string image = SlurpFile(file);
    ASSERT_TRUE(PlotFileComplete(image, file.c_str())) << jobs;
    EXPECT_EQ(std::string("\0\0\x03\x20\0\0\x02\x58", 8), image.substr(16, 8)) << "800 x 600";
    unlink(file.c_str());
  }
}

// Each failure comes after the whole report: one line and status 3, a file
// that was there kept as it was, no temporary file, no gnuplot left.
TEST_F(BrovanePlotTest, FailuresComeAfterTheWholeReport) {
  const std::string d = dir_.path();
  // A gnuplot that lacks the terminal draws text into the file instead.
  const std::string noCairo = d + "/nocairo";
  std::ofstream(noCairo) << "#!/bin/sh\nsed -u 's/set terminal pngcairo/set terminal nosuchterm/' | gnuplot \"$@\"\n";
  chmod(noCairo.c_str(), 0700);
  const struct {
    std::string file, env, err;
  } cases[] = {
      {d + "/p.jpg", "",
       "ERROR: BROVANE_PLOT must name a .png, .svg or .pdf file (BROVANE_PLOT = \"" + d + "/p.jpg\")."},
      {d + "/no/p.svg", "", "ERROR: the plot was not written to \"" + d + "/no/p.svg\": No such file or directory."},
      {d + "/p.png", "VORNGNUPLOT=" + d + "/none",
       "ERROR: the plot was not written to \"" + d + "/p.png\": gnuplot could not be started (\"" + d + "/none\")."},
      {d + "/p.png", "VORNGNUPLOT=" + noCairo,
       "ERROR: the plot was not written to \"" + d +
           "/p.png\": gnuplot did not draw it (unknown or ambiguous "
           "terminal type; type just 'set terminal' for a list)."},
  };
  for (const auto& c : cases) {
    std::ofstream(d + "/p.png") << "old";
    const RunResult r = RunBrovane(kArgs, Env(dir_, "BROVANE_PLOT=" + c.file + " " + c.env));
    EXPECT_EQ(3, r.status) << c.err;
    EXPECT_EQ(c.err + "\n", r.err);
    EXPECT_EQ(report_, r.out) << c.err;
    EXPECT_EQ("old", SlurpFile(d + "/p.png"));
    EXPECT_EQ(2u, Entries(d).size()) << c.err;  // nocairo and p.png
    EXPECT_EQ(0, ProcessesOf(dir_)) << c.err;
  }
  unlink((d + "/p.png").c_str());
  unlink(noCairo.c_str());
}

}  // namespace
