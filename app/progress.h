// The progress line of a run on a terminal: "brovane: experiment k of N",
// the time elapsed and an estimate of the time left, kept on the line below
// the output so far and redrawn in place. Nothing at all is written when
// standard error is not a terminal.
#pragma once

// Starts the clock for count experiments; the line shows when standard
// error is a terminal that can move its cursor (TERM is not "dumb").
void ProgressStart(int count);

// Draws (or redraws) the line for `finished` experiments done.
void ProgressShow(int finished);

// Removes the line, leaving the cursor where it began; nothing when it is
// not shown.
void ProgressErase();

// The text of the line, cut to width columns: "brovane: experiment k of
// count, m:ss elapsed, about m:ss left" (no estimate before the first
// experiment is done; hours as h:mm:ss).
void ProgressText(char* out, int size, int finished, int count, double elapsed, int width);
