// What the plot windows send to gnuplot, checked against a stand-in that
// logs every line; each case runs in a child of its own, since windows and
// the environment they read belong to the whole process.
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "plot_support.h"

namespace {

using PlotCommandTest = VornTest;

const char* const kResetLines =
    "set nologscale xyz;\nset autoscale;\nset nolabel;\nset xlabel;\nset ylabel;\nset zlabel;\n"
    "set title;\nset zero 1e-20;\nset style data lines;\n";

// Runs body in a child plotting to the stand-in; the child ends through
// the runtime's shut-down. Returns what the stand-in saw.
struct Session {
  RunResult run;
  std::string log;
};
Session Plot(const FakeGnuplot& fake, const std::function<void()>& body) {
  Session s;
  s.run = RunInChild([&] {
    fake.use();
    body();
    VornExit();
    return 0;
  });
  s.log = fake.log();
  return s;
}

// Lines of the log after the window's opening (command line, terminal and
// reset) and before its "quit;".
std::string Body(const std::string& log) {
  const size_t start = log.find(kResetLines);
  if (start == std::string::npos) return "no reset in: " + log;
  std::string rest = log.substr(start + std::string(kResetLines).size());
  const size_t quit = rest.rfind("quit;\n");
  return quit == std::string::npos ? rest : rest.substr(0, quit);
}

// The terminal is chosen from VGPLOT_TERM, then DISPLAY, then TERM; the
// window options from VGPLOT_OPTIONS and init's second argument.
struct TerminalCase {
  const char* vgplotTerm;
  const char* display;
  const char* term;
  const char* options;
  const char* firstLines;  // after "args -geometry 380x280 -title vgplot-PID-1"
};

TEST_F(PlotCommandTest, TerminalAndOptionsComeFromTheEnvironment) {
  const TerminalCase cases[] = {
      {"svg", ":5", "vt102", nullptr, "\nset term svg;\n"},
      {"", ":5", "vt102", nullptr, "\nset term x11;\n"},
      {nullptr, "", "vt102", nullptr, "\nset term kc_tek40xx;\n"},
      {nullptr, nullptr, "xterm", nullptr, "\nset term dumb;\n"},
      {nullptr, nullptr, "xterm", "-persist", " -persist\nset term dumb;\n"},
  };
  for (const TerminalCase& c : cases) {
    const FakeGnuplot fake;
    const Session s = Plot(fake, [&] {
      auto put = [](const char* name, const char* value) {
        if (value == nullptr)
          unsetenv(name);
        else
          setenv(name, value, 1);
      };
      put("VGPLOT_TERM", c.vgplotTerm);
      put("DISPLAY", c.display);
      put("TERM", c.term);
      put("VGPLOT_OPTIONS", c.options);
      graph_vgplot_init(1, 1);
      std::printf("%d", getpid());
    });
    ASSERT_EQ(0, s.run.status) << s.run.err;
    const std::string head = "args -geometry 380x280 -title vgplot-" + s.run.out + "-1" + c.firstLines;
    EXPECT_EQ(head, s.log.substr(0, head.size())) << c.firstLines;
  }
}

// One data file per call in the column layout, each row one curve, the
// file gone once the window closes.
TEST_F(PlotCommandTest, DataGoThroughFilesInTheColumnLayout) {
  const FakeGnuplot fake;
  const Session s = Plot(fake, [] {
    d1_vgplot(3, 2, Row({1, 2, 3, 4, 5, 6}, 2), Texts({"up", "it's"}));
    const std::string items = graph_vgplot_plot_strings(1, 2);
    const std::string path = items.substr(1, items.find('\'', 1) - 1);
    std::printf("%s|%s", path.c_str(), SlurpFile(path).c_str());
    graph_vgplot_destroy(2);
    std::printf("|%d", access(path.c_str(), F_OK));
  });
  ASSERT_EQ(0, s.run.status) << s.run.err;
  const std::string path = s.run.out.substr(0, s.run.out.find('|'));
  EXPECT_EQ(0u, path.find(fake.dir() + "/vgplot-")) << path;
  EXPECT_EQ(path +
                "|# 2 3\n  1.00000000E+00   4.00000000E+00\n  2.00000000E+00   5.00000000E+00\n"
                "  3.00000000E+00   6.00000000E+00\n|-1",
            s.run.out);
  EXPECT_EQ("plot '" + path + "' u 0:1  t 'up' , '" + path + "' u 0:2  t 'it''s' ;\n", Body(s.log));
}

// Puts the data file names the log shows, in order, for <1> and <2>.
std::string WithFiles(std::string text, const std::string& log, const std::string& dir) {
  std::vector<std::string> names;
  for (size_t at = 0; (at = log.find(dir + "/vgplot-", at)) != std::string::npos; at++) {
    const std::string name = log.substr(at, log.find('\'', at) - at);
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  for (size_t i = 0; i < names.size(); i++) {
    const std::string key = "<" + std::to_string(i + 1) + ">";
    for (size_t p = 0; (p = text.find(key, p)) != std::string::npos; p += names[i].size())
      text.replace(p, key.size(), names[i]);
  }
  return text;
}

struct CommandCase {
  std::function<void()> call;
  const char* sent;
};

// Curves against other rows, extra commands, hold, the log forms,
// decorations, layout and output to files.
TEST_F(PlotCommandTest, CommandsForEveryOperation) {
  const CommandCase cases[] = {
      {[] { d2_vgplot(3, 1, Row({0, 1}), Row({5, 6, 7, 8}, 2)); },
       "plot '<1>' u 1:2  t 'data-1-1' , '<1>' u 1:3  t 'data-1-2' ;\n"},
      {[] {
         d2_vgplot(6, 1, Row({0, 1, 2, 3}, 2), Row({5, 6, 7, 8}, 2), nullptr, Texts({"smooth csplines"}),
                   Texts({"w p", "w l"}));
       },
       "plot '<1>' u 1:3 smooth csplines t 'data-1-1' w p, '<1>' u 2:4  t 'data-1-2' w l;\n"},
      {[] {
         graph_vgplot_hold(2, 1, 1);
         d1_vgplot(2, 1, Row({1, 2}));
         d1_vgplot(2, 1, Row({3, 4}));
       },
       "plot '<1>' u 0:1  t 'data-1-1' ;\nplot '<1>' u 0:1  t 'data-1-1' , '<2>' u 0:1  t 'data-2-1' ;\n"},
      {[] { graph_vgplot(4, 1, 1, Row({1, 2, -1, 1}), Row({0, 1, 1, 4}, 2)); },
       "set logscale x; set nologscale yz;\n"
       "set xrange [1.000000:2.000000]; set yrange [-1.000000:1.000000]; plot '<1>' u 1:2  t 'data-1-1' ;\n"},
      {[] {
         graph_vgplot_loglog(3, 1, MatDef("", 0, 0), Row({1, 2}));
         graph_vgreplot_semilogy(3, 1, Row({0, 3}), Row({3, 4}));
       },
       "set logscale xy; set nologscale z;\nset autoscale xy; plot '<1>' u 0:1  t 'data-1-1' ;\n"
       "set logscale y; set nologscale xz;\nset xrange [0.000000:3.000000]; set autoscale y; "
       "plot '<1>' u 0:1  t 'data-1-1' , '<2>' u 0:1  t 'data-2-1' ;\n"},
      {[] { graph_vgplot_title(2, 1, "a 'b'\nquit"); }, "set title 'a ''b'' quit';\n"},
      {[] { graph_vgplot_y2label(3, 1, "y", 2); }, "set y2label 'y' offset 2;\n"},
      {[] { graph_vgplot_zlabel(4, 1, "z", 1, -1); }, "set zlabel 'z' offset 1,-1;\n"},
      {[] { graph_vgplot_text(5, 1, "p", 1.0, 2.0, "front"); }, "set label 'p' at 1,2 front;\n"},
      {[] { graph_vgplot_range(2, 1, Row({0, 1, 2, 3})); },
       "set xrange [0.000000:1.000000];\nset yrange [2.000000:3.000000];\n"},
      {[] { graph_vgplot_view(3, 1, 60.0, 30.0); }, "set view 60,30;\n"},
      {[] { graph_vgplot_subplot(4, 1, 2, 2, 3); },
       "set multiplot;\nset origin 0,0;\nset size 0.98,1.0;\nset origin 0,0;\nset size 0.49,0.5;\n"},
      {[] {  // redrawn only with data and outside a multiplot
         d1_vgplot(2, 1, Row({1}));
         graph_vgplot_replot(1);
         graph_vgplot_multiplot(2, 1, 1);
         graph_vgplot_replot(1);
         graph_vgplot_multiplot(2, 1, 0);
         graph_vgplot_clear(1);
         graph_vgplot_replot(1);
       },
       "plot '<1>' u 0:1  t 'data-1-1' ;\nreplot;\nset multiplot;\nset origin 0,0;\nset size 0.98,1.0;\n"
       "set nomultiplot;\nclear;\n"},
      {[] {  // to a file and back to the screen; a multiplot is left for the file and entered again
         d1_vgplot(2, 1, Row({1}));
         graph_vgplot_output_file(3, 1, "/x/it's.svg", "svg");
         graph_vgplot_multiplot(2, 1, 1);
         graph_vgplot_eps(2, 1, "a.eps");
       },
       "plot '<1>' u 0:1  t 'data-1-1' ;\nset terminal svg;\nset output '/x/it''s.svg';\n"
       "plot '<1>' u 0:1  t 'data-1-1' ;\nset output;\nset terminal dumb;\n"
       "set multiplot;\nset origin 0,0;\nset size 0.98,1.0;\nset nomultiplot;\nset origin 0,0;\nset size 1.0,1.0;\n"
       "set terminal postscript eps monochrome 'Times-Roman' 22;\nset output 'a.eps';\n"
       "plot '<1>' u 0:1  t 'data-1-1' ;\nset output;\nset terminal dumb;\nset size 0.98,1.0;\nset multiplot;\n"},
  };
  for (const CommandCase& c : cases) {
    const FakeGnuplot fake;
    const Session s = Plot(fake, c.call);
    ASSERT_EQ(0, s.run.status) << c.sent << s.run.err;
    EXPECT_EQ(WithFiles(c.sent, s.log, fake.dir()), Body(s.log));
  }
}

// Re-opening an open window neither restarts nor resets it; closing the
// current window makes window 1 current; closing twice is harmless.
TEST_F(PlotCommandTest, WindowTableCurrentWindowAndClosing) {
  const FakeGnuplot fake;
  const Session s = Plot(fake, [] {
    for (int w : {1, 2, 4}) graph_vgplot_init(1, w);
    graph_vgplot_init(2, 4, "-persist");  // open already: no new gnuplot, no reset
    std::printf("new %d;", graph_vgplot_newwindow());
    graph_vgplot_cmd(4, "a");
    std::printf("cur %d;", graph_vgplot_cur_win(1));
    graph_vgplot_quit(2, 4, 9);
    std::printf("cur %d open %d new %d;", graph_vgplot_cur_win(1), graph_vgplot_open_count(), graph_vgplot_newwindow());
    const int slot = graph_vgplot_win2id(2);
    std::printf("slot %d data %d;", graph_vgplot_win_ids(1, slot), graph_vgplot_data_num(1, slot));
    graph_vgplot_quit(0);
    graph_vgplot_quit(0);
    std::printf("open %d", graph_vgplot_open_count());
  });
  ASSERT_EQ(0, s.run.status) << s.run.err;
  EXPECT_EQ("new 3;cur 4;cur 1 open 2 new 3;slot 2 data -1;open 0", s.run.out);
  EXPECT_EQ(3u, Count(s.log, "args "));
  EXPECT_EQ(3u, Count(s.log, kResetLines));
  EXPECT_EQ(3u, Count(s.log, "quit;\n"));
}

// A terminating signal closes the windows and removes their data files
// (the fake's folder must be empty afterwards).
TEST_F(PlotCommandTest, SignalClosesWindows) {
  const FakeGnuplot fake;
  const RunResult r = RunInChild([&] {
    fake.use();
    d1_vgplot(2, 1, Row({1, 2}));
    VornSetSignal();
    raise(SIGTERM);
    return 3;
  });
  EXPECT_EQ(1, r.status);
  const std::string log = fake.log();
  EXPECT_EQ("quit;\n", log.substr(log.size() - 6));
}

// Misuse ends the process with status 255 after its message; nothing in
// these reaches gnuplot.
TEST_F(PlotCommandTest, MisuseIsFatal) {
  auto only = [](const char* message) { return "^" + Literal(message) + "$"; };
  ExpectFatal({
      {[] { graph_vgplot_init(3, 1, "", 0); }, only("vgplot_init(): Incorrect number of arguments\n")},
      {[] { d1_vgplot(1, 1); }, only("d1_vgplot(): Incorrect number of arguments.\n")},
      {[] { graph_vgplot_quit(6); }, only("vgplot_quit(): Incorrect number of arguments.\n")},
      {[] { graph_vgplot_out(5, "x"); }, only("Window-5 is not opened\n")},
      {[] { d2_vgplot(3, 1, Row({1, 2}), Row({1, 2, 3})); }, only("vgplot(): Confliction of data number.\n")},
      {[] { d2_vgplot(3, 1, Row({1, 2, 3, 4}, 2), Row({1, 2, 3, 4, 5, 6}, 3)); },
       only("vgplot(): Confliction of data number.\n")},
      {[] { graph_vgplot(4, 1, 4, Row({}), Row({1})); }, only("vgplot(): Incorrect log_mode\n")},
      {[] { graph_vgplot(4, 1, 0, Row({1, 2, 3}), Row({1})); }, only("vgplot(): Incorrect range data.\n")},
      {[] { graph_vgplot_subplot(4, 1, 0, 2, 1); }, only("vgplot_subplot(): Number of rows must be positive\n")},
      {[] { graph_vgplot_subplot(4, 1, 2, 2, 5); }, only("Number must be between 1 and 4\n")},
      {[] { graph_vgplot_output_mode(2, 1, "png"); }, only("vgplot_output_mode(): Incorrect output mode.\n")},
      {[] { d1_vgplot(2, 1, C_MatDef("", 1, 1)); }, "Not a real matrix for '(1 x 1)'", "d1_vgplot()"},
      {[] { d1_vgplot(2, 1, MatDef("", 0, 3)); }, "Zero-size matrix for '(0 x 3)'", "d1_vgplot()"},
  });
}

// A gnuplot that is missing, or ends at once (as one that rejects its
// options does), cannot be opened.
TEST_F(PlotCommandTest, GnuplotThatCannotRunIsReported) {
  for (const char* command : {"/no/such/gnuplot", "false", "/"}) {
    EXPECT_EXIT(
        {
          setenv("VORNGNUPLOT", command, 1);
          unsetenv("DISPLAY");
          d1_vgplot(2, 1, Row({1}));
        },
        kFatal, "^" + Literal("vgplot_init(): Can't open gnuplot\n") + "$")
        << command;
  }
}

}  // namespace
