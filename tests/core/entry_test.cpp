// Start-up settings, the argument list, signal handling and the ways out.
#include <csignal>
#include <cstdlib>

#include "support/vorn_test.h"

namespace {

using EntryTest = VornTest;

// Start-up in a child, as main does it with these words; 0 when check holds.
int startWith(std::vector<std::string> words, bool (*check)(List*)) {
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  return check(VornStartUp(static_cast<int>(words.size()), argv.data())) ? 0 : 3;
}

const char* wordAt(List* args, int i) { return static_cast<String*>(ListGetElementP(args, i, 1))->text; }

int raiseAfterSetUp(int sig) {
  VornSetSignal();
  std::raise(sig);
  return 3;
}

TEST_F(EntryTest, LanguageLevel) {
  EXPECT_TRUE(vorn_version(4.0) == 4.0 && vorn_version(3.0) == 4.0);
  EXPECT_EQ(vorn_version(5.0000001), 4.0);  // only exact levels count
  EXPECT_EQ(vorn_version(5.0), 5.0);
}

// One String per word, the program path included; the global result
// matrix is a 0x0 global that survives the release of temporaries.
TEST_F(EntryTest, StartUpBuildsTheArgumentListAndTheGlobalResult) {
  EXPECT_EQ(0, RunInChild([] {
                 return startWith({"/some/where/brovane", "em", "3", "10", "50"}, [](List* args) {
                   String* word = static_cast<String*>(ListGetElementP(args, 1, 1));
                   bool ok = args->length == 5 && std::strcmp(args->name, "Vorn_ARGUMENTS") == 0 && args->type == 1 &&
                             std::strcmp(word->text, "/some/where/brovane") == 0 && word->type == 2 &&
                             std::strcmp(wordAt(args, 2), "em") == 0 && std::strcmp(wordAt(args, 5), "50") == 0 &&
                             llresults->rows == 0 && llresults->cols == 0 && llresults->type == 4;
                   MatObjectTmpUndef();
                   return ok && !llresults->parked && !word->parked;
                 });
               }).status);
}

TEST_F(EntryTest, LogSwitchComesFromTheEnvironment) {
  for (const char* value : {"1", "yes"}) {
    setenv("VORN_LOG", value, 1);
    const RunResult r = RunInChild([] {
      return startWith({"brovane"}, [](List*) { return vorn_withlog_flag == (getenv("VORN_LOG")[0] == '1'); });
    });
    unsetenv("VORN_LOG");
    EXPECT_EQ(r.status, 0) << value;
    EXPECT_EQ(r.err, value[0] == '1' ? "" : "VORN_LOG=\"yes\": expected 0 or 1; the error log stays off.\n");
  }
}

TEST_F(EntryTest, SignalsEndTheProcess) {
  for (int sig : {SIGINT, SIGTERM, SIGQUIT, SIGHUP})
    EXPECT_EQ(RunInChild([sig] { return raiseAfterSetUp(sig); }).status, 1) << "signal " << sig;
  const RunResult fpe = RunInChild([] { return raiseAfterSetUp(SIGFPE); });
  EXPECT_TRUE(fpe.status == 254 && fpe.err == "Floating point execption\n") << fpe.status << fpe.err;
  // Ignored when the process started (background jobs): stays ignored, silently.
  const RunResult ignored = RunInChild([] {
    std::signal(SIGINT, SIG_IGN);
    raiseAfterSetUp(SIGINT);
    return 7;
  });
  EXPECT_TRUE(ignored.status == 7 && ignored.err.empty());
}

TEST_F(EntryTest, ExitPaths) {
  EXPECT_EXIT(execerror_recovery(), kFatal, "");
  EXPECT_EXIT(VornExitFailure(), ::testing::ExitedWithCode(1), "");
  // Shut-down closes plot windows; with none open it does nothing, any
  // number of times.
  graph_vgplot_quit(0);
  VornExit();
  graph_vgplot_quit(2, 1, 3);
  EXPECT_EQ(graph_vgplot_open_count(), 0);
}

}  // namespace
