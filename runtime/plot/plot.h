// Plot windows, each driven by a gnuplot process through a pipe.
#pragma once

constexpr int VGPLOT_WINDOW_MAX = 16;

// Closes plot windows: count 0 closes every open window, counts 1 to 5
// close the windows numbered by the following arguments. Safe to call more
// than once and from a signal handler; does nothing when no window is open.
void graph_vgplot_quit(int count, ...);

// The number of open plot windows.
int graph_vgplot_open_count();
