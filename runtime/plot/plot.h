// Plot windows, each driven by a gnuplot process through a pipe.
//
// Windows are numbered from 1 (a number below 1 means window 1) and opened
// on first use. Operations with a variable argument list take their count
// first; a count outside the accepted range, a command to a window that is
// not open and a gnuplot that cannot be started end the process with status
// 255 after a message on standard error. A gnuplot that dies later is
// reported, its window closed, and the program goes on.
//
// Argument types: window numbers, flags, counts and offsets are int;
// coordinates, ranges and view values are double; texts are const char*;
// data are real Matrix*; titles and extra plot commands are List* of
// Strings, element k for data row k (null or a shorter list: the default
// title, no extra command).
//
// Environment, read when the first window opens: VORNGNUPLOT (the gnuplot
// command), VGPLOT_TERM, DISPLAY and TERM (the terminal), VGPLOT_OPTIONS
// (options added to every gnuplot command line), TMPDIR (where the private
// folder of data files is made).
#pragma once

struct List;
struct Matrix;
struct String;

constexpr int VGPLOT_WINDOW_MAX = 100;  // slots, indexed by process channel

// Windows: (count 1 or 2: window [, options]). Opens the window unless it is
// open, then resets it; an open window is left alone.
void graph_vgplot_init(int count, ...);
int graph_vgplot_newwindow();  // the smallest window number not open
// Sends text as it is to an open window.
void graph_vgplot_out(int window, const char* text);
// Opens the window if needed, sends text and ";\n", makes it current.
void graph_vgplot_cmd(int window, const char* text);
void graph_vgplot_reset(int window);  // forgets data and settings
void graph_vgplot_replot(int window);  // redraws a window that has data
void graph_vgplot_clear(int window);  // clears the drawing, forgets data
void graph_vgplot_destroy(int window);
void graph_vgplot_destroy_all();
// Closes plot windows: count 0 closes every open window, counts 1 to 5
// close the windows numbered by the following arguments. Safe to call more
// than once and from a signal handler; does nothing when no window is open,
// and nothing in a forked copy of the process that opened the windows.
void graph_vgplot_quit(int count, ...);

// The table and the per-window settings. op 1 reads, op 2 writes (and, for
// grid, key, multiplot and log_mode, sends the setting to the window).
int graph_vgplot_win_ids(int op, ...);  // (1, slot) / (2, slot, window)
int graph_vgplot_win2id(int window);  // the slot of a window, 0 if none
int graph_vgplot_isopened(int window);  // same as win2id
int graph_vgplot_data_num(int op, ...);  // (1, slot) / (2, slot, n)
int graph_vgplot_hold(int op, ...);  // (1, window) / (2, window, flag)
int graph_vgplot_grid(int op, ...);  // likewise
int graph_vgplot_key(int op, ...);
int graph_vgplot_multiplot(int op, ...);
int graph_vgplot_log_mode(int op, ...);  // 0 none, 1 x, 2 y, 3 xy
const char* graph_vgplot_plot_strings(int op, ...);  // (1, window) / (2, window, text)
const char* graph_vgplot_window_options(int op, ...);  // (1) / (2, text)
int graph_vgplot_cur_win(int op, ...);  // (1) / (2, window)
int graph_vgplot_running(int op);  // 0 reads, 1 sets
int graph_vgplot_open_count();  // the number of open windows

// Data. Each data row becomes one curve.
// d1_vgplot(count 2..5: window, data [, titles [, cmds1 [, cmds2]]]): rows
// against their point index.
void d1_vgplot(int count, ...);
// d2_vgplot(count 3..6: window, x, y [, titles [, cmds1 [, cmds2]]]): rows
// of y against the one row of x, or row k of y against row k of x.
void d2_vgplot(int count, ...);
// graph_vgplot(count 4..7: window, log_mode, range, data [, titles [, cmds1
// [, cmds2]]]): range holds 0, 2 or 4 values (x, then y); one data row is
// plotted against its index, more rows against the first one. The
// graph_vgreplot forms add to the current plot; the log forms take no
// log_mode (count 3..6).
void graph_vgplot(int count, ...);
void graph_vgreplot(int count, ...);
void graph_vgplot_loglog(int count, ...);
void graph_vgplot_semilogx(int count, ...);
void graph_vgplot_semilogy(int count, ...);
void graph_vgreplot_loglog(int count, ...);
void graph_vgreplot_semilogx(int count, ...);
void graph_vgreplot_semilogy(int count, ...);

// Decorations; texts are quoted for gnuplot, so they cannot end a command.
void graph_vgplot_title(int count, ...);  // (1: window) clears, (2: window, text)
// (1: window) clears, (2..4: window, text [, x offset [, y offset]])
void graph_vgplot_xlabel(int count, ...);
void graph_vgplot_x2label(int count, ...);
void graph_vgplot_ylabel(int count, ...);
void graph_vgplot_y2label(int count, ...);
void graph_vgplot_zlabel(int count, ...);
// (1: window) removes every label; (4 or 5: window, text, x, y [, options])
void graph_vgplot_text(int count, ...);
// (2: window, range): 0 values autoscale, 2 set x, 4 x and y, 6 x, y, z
void graph_vgplot_range(int count, ...);
void graph_vgplot_xrange(int count, ...);  // (1: window) autoscales, (3: window, min, max)
void graph_vgplot_yrange(int count, ...);
void graph_vgplot_zrange(int count, ...);
// (2..5: window, rot_x [, rot_z [, scale [, scale_z]]])
void graph_vgplot_view(int count, ...);
// (1: window): turns the view with keys read from standard input
void graph_vgplot_view_control(int count, ...);
void graph_vgplot_parametric(int count, ...);  // (2: window, flag)
void graph_vgplot_hidden3d(int count, ...);  // (2: window, flag)

// Layout and output.
// (4: window, rows, cols, number): draws the next plot into that cell of a
// rows x cols grid, counted row by row from the top left; enters multiplot.
void graph_vgplot_subplot(int count, ...);
// (2: window, mode): the terminal output_file uses: "ps" (the default),
// "eps", "psplus", "epsplus" or "fig".
void graph_vgplot_output_mode(int count, ...);
// (2 or 3: window, file [, terminal]): draws the current plot into file
// with the gnuplot terminal given, else that of the output mode; the file
// is complete when the call returns.
void graph_vgplot_output_file(int count, ...);
void graph_vgplot_ps(int count, ...);  // (2: window, file)
void graph_vgplot_eps(int count, ...);
void graph_vgplot_psplus(int count, ...);
void graph_vgplot_epsplus(int count, ...);
void graph_vgplot_fig(int count, ...);
// (1: window): the current plot as PostScript or fig code, a new String.
String* graph_vgplot_psout(int count, ...);
String* graph_vgplot_figcode(int count, ...);
