// Process-wide settings, start-up and the ways out of the process.
//
// Exit statuses: 0 normal end, 1 usage/argument errors and terminating
// signals, 254 floating-point exception signal, 255 fatal runtime error.
#pragma once

struct List;
struct Matrix;

extern double vorn_eps;          // 2^-52, the default tolerance
extern int vorn_withlog_flag;    // 1: error reports also go to "Vorn.log"
extern Matrix* llresults;        // the program's result accumulator (global)

// Sets the language level to 4 or 5 when v is exactly 4.0 or 5.0; returns
// the level in force.
double vorn_version(double v);

// Initialises the six registries in start-up order: Complex, String,
// Matrix, Polynomial, Rational, List.
void VornInitRegistries();

// The runtime part of start-up: the tolerance, the language level, the log
// off, then the registries. Programs that embed the runtime without main
// (tests, benchmarks) call this alone.
void VornInitRuntime();

// The start-up of main: settings, registries, the global result matrix,
// the argument list "Vorn_ARGUMENTS". Returns the argument list.
List* VornStartUp(int argc, char** argv);

void VornSetSignal();
void vorn_fpecatch(int sig);
void vorn_die(int sig);
void VornExit();                          // closes every plot window
[[noreturn]] void execerror_recovery();   // VornExit, then status 255

// A harness that must survive fatal reports (a fuzz target) installs a
// handler that throws or jumps away; it runs first on every fatal end. A
// handler that returns, or none (the default), leaves the exit as it is.
using VornFatalHandler = void (*)();
void VornSetFatalHandler(VornFatalHandler handler);

// The program's own fatal checks: close the plot windows, exit status 1.
[[noreturn]] void VornExitFailure();

// 0 when everything written to standard output got there, 1 when a write
// failed. A failure is reported once on standard error ("ERROR: standard
// output could not be written; the report is incomplete."), except when
// standard output is a pipe or socket whose reader has gone. VornStartUp
// makes every exit() run this check too.
int VornOutputStatus();

// The driver, provided by the program.
void VornMain(int argc, List* args);
