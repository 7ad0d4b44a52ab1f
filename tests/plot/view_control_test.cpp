// The interactive view control: keys from standard input turn and scale the
// view, each accepted key redraws the status line and sends the new view;
// the angles stay where gnuplot takes them and the scales above 0.1.
#include <string>

#include "plot_support.h"

namespace {

using ViewControlTest = VornTest;

// The "set view" lines of a log, in order.
std::string Views(const std::string& log) {
  std::string views;
  for (size_t at = 0; (at = log.find("set view ", at)) != std::string::npos; at = log.find('\n', at))
    views += log.substr(at, log.find('\n', at) + 1 - at);
  return views;
}

TEST_F(ViewControlTest, KeysMoveTheViewWithinItsLimits) {
  struct Case {
    const char* keys;
    const char* views;
    const char* lastStatus;
  };
  const Case cases[] = {
      // An unknown key changes nothing; 'q' ends.
      {"kl+>xq", "set view 65,30,1,1;\nset view 65,35,1,1;\nset view 65,35,1.1,1;\nset view 65,35,1.1,1.1;\n",
       " | rotate_x =  65 | rotate_z =  35 | scale  = 1.1   | scale_z = 1.1 |\r"},
      // rotate_z wraps below 0; scales stop at 0.1; ESC ends too.
      {"hhhhhhh----------\x1b", nullptr, " | rotate_x =  60 | rotate_z = 355 | scale  = 0.1   | scale_z =  1 |\r"},
      // End of input ends as 'q' does.
      {"jjjjjjjjjjjjj", nullptr, " | rotate_x =   0 | rotate_z =  30 | scale  =  1   | scale_z =  1 |\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    const FakeGnuplot fake;
    const RunResult run = RunInChild(
        [&] {
          fake.use();
          graph_vgplot_view_control(1, 1);
          VornExit();
          return 0;
        },
        c.keys);
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(0u, run.out.find(" 'q' or 'ESC' for quit\n j/k : rotate_x -/+   h/l : rotate_z -/+\n"));
    const size_t last = run.out.rfind(" | rotate_x");
    ASSERT_NE(std::string::npos, last);
    EXPECT_EQ(std::string(c.lastStatus) + "\n", run.out.substr(last));
    if (c.views != nullptr) {
      EXPECT_EQ(c.views, Views(fake.log()));
    }
  }
}

}  // namespace
