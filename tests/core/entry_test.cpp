// Start-up settings, the argument list, signal handling and the ways out.
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "support/vorn_test.h"

namespace {

// Bodies of the child processes below (macro arguments cannot hold commas).
[[noreturn]] void startWithProgramPathOnly() {
  char path[] = "/some/where/brovane";
  char* argv[] = {path, nullptr};
  List* args = VornStartUp(1, argv);
  bool ok = args->length == 1 && std::strcmp(args->name, "Vorn_ARGUMENTS") == 0 &&
            args->type == 1 && ListGetClass(args, 1) == 1;
  String* word = static_cast<String*>(ListGetElementP(args, 1, 1));
  ok = ok && std::strcmp(word->text, path) == 0 && word->type == 2;
  ok = ok && llresults->rows == 0 && llresults->cols == 0 && llresults->type == 4;
  MatObjectTmpUndef();
  ok = ok && !llresults->parked && !word->parked;
  std::exit(ok ? 0 : 3);
}

[[noreturn]] void startWithFiveWords() {
  char w0[] = "brovane", w1[] = "em", w2[] = "3", w3[] = "10", w4[] = "50";
  char* argv[] = {w0, w1, w2, w3, w4, nullptr};
  List* args = VornStartUp(5, argv);
  String* em = vnStringStringDef("em");
  const bool ok = args->length == 5 &&
                  vnStringCompare(static_cast<String*>(ListGetElementP(args, 2, 1)), em) == 0 &&
                  std::strcmp(static_cast<String*>(ListGetElementP(args, 5, 1))->text, "50") == 0;
  std::exit(ok ? 0 : 3);
}

[[noreturn]] void startWithLogSwitch(const char* value, int expected) {
  setenv("VORN_LOG", value, 1);
  char w0[] = "brovane";
  char* argv[] = {w0, nullptr};
  VornStartUp(1, argv);
  std::exit(vorn_withlog_flag == expected ? 0 : 3);
}

[[noreturn]] void raiseAfterSetUp(int sig) {
  VornSetSignal();
  std::raise(sig);
  std::exit(3);
}

[[noreturn]] void raiseWhenIgnoredAtStart() {
  std::signal(SIGINT, SIG_IGN);
  VornSetSignal();
  std::raise(SIGINT);
  std::exit(7);
}

class EntryTest : public VornTest {};

TEST_F(EntryTest, LanguageLevelChangesOnlyForExactlyFourOrFive) {
  EXPECT_EQ(vorn_version(4.0), 4.0);
  EXPECT_EQ(vorn_version(3.0), 4.0);
  EXPECT_EQ(vorn_version(4.5), 4.0);
  EXPECT_EQ(vorn_version(5.0), 5.0);
  EXPECT_EQ(vorn_version(5.0000001), 5.0);
}

TEST_F(EntryTest, EpsilonIsTheSpacingAboveOne) {
  EXPECT_EQ(vorn_eps, std::nextafter(1.0, 2.0) - 1.0);
}

// Start-up in a child: the argument list holds one String per word, the
// program path included, and the global result matrix is a 0x0 global.
TEST_F(EntryTest, StartUpBuildsTheArgumentListAndTheGlobalResult) {
  EXPECT_EXIT(startWithProgramPathOnly(), ::testing::ExitedWithCode(0), "");
}

TEST_F(EntryTest, FiveWordsGiveFiveElementsInOrder) {
  EXPECT_EXIT(startWithFiveWords(), ::testing::ExitedWithCode(0), "");
}

TEST_F(EntryTest, TerminatingSignalsEndWithStatusOne) {
  for (int sig : {SIGINT, SIGTERM, SIGQUIT, SIGHUP}) {
    EXPECT_EXIT(raiseAfterSetUp(sig), ::testing::ExitedWithCode(1), "")
        << "signal " << sig;
  }
}

TEST_F(EntryTest, FloatingPointExceptionEndsWith254AndItsMessage) {
  EXPECT_EXIT(raiseAfterSetUp(SIGFPE),
      ::testing::ExitedWithCode(254), "^Floating point execption\n$");
}

// A signal ignored when the process started (background jobs, hang-up
// guards) stays ignored and nothing is said about it.
TEST_F(EntryTest, SignalIgnoredAtStartStaysIgnored) {
  EXPECT_EXIT(raiseWhenIgnoredAtStart(), ::testing::ExitedWithCode(7), "^$");
}

TEST_F(EntryTest, FatalRecoveryEndsWith255) {
  EXPECT_EXIT(execerror_recovery(), ::testing::ExitedWithCode(255), "");
  EXPECT_EXIT(VornExitFailure(), ::testing::ExitedWithCode(1), "");
}

// Shut-down closes plot windows; with none open it does nothing, any number
// of times.
TEST_F(EntryTest, ClosingPlotWindowsIsSafeWhenNoneAreOpen) {
  graph_vgplot_quit(0);
  VornExit();
  graph_vgplot_quit(2, 1, 3);
  EXPECT_EQ(graph_vgplot_open_count(), 0);
}

TEST_F(EntryTest, LogSwitchComesFromTheEnvironment) {
  EXPECT_EXIT(startWithLogSwitch("1", 1), ::testing::ExitedWithCode(0), "^$");
  EXPECT_EXIT(startWithLogSwitch("yes", 0),
      ::testing::ExitedWithCode(0), "VORN_LOG=\"yes\": expected 0 or 1; the error log stays off.");
}

}  // namespace
