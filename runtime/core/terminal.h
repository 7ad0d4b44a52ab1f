// Raw-terminal keyboard helpers on descriptor 0, single bytes straight to
// descriptor 1, and a character source over a text.
#pragma once

void one_putch(int byte);      // one byte to descriptor 1, unbuffered
void vorn_bell();              // byte 7 that way
void newline();                // carriage return and line feed that way
void print_space(int n);       // n blanks on standard error
void util_disp_move(int row, int col);   // ESC "[row;colH" on standard output

// Mode 0: raw input on descriptor 0 (no signals keys, no line editing, no
// echo, no output processing, 1-byte reads) with echo2_die on SIGINT,
// SIGTERM, SIGQUIT and SIGHUP unless they are ignored. Mode 1: restores the
// flags and the previous handlers; other modes: the flags only. Returns 0 or
// the errno of the failing terminal call.
int echo2(int mode);
// Restores the terminal, hands the signal to the handler echo2 replaced (if
// any), writes a new line and exits: status 1, or 0 for signal 0.
[[noreturn]] void echo2_die(int signal);

int one_getch();               // one byte in raw mode, -1 at end of input
void kbhit_init();             // holds raw mode for polling
void kbhit_term();
int kbhit();                   // bytes waiting on descriptor 0, 0 on failure

// Number entry with echo: digits and "-" ("." "E" "e" too for doubles),
// backspace/delete erase, Enter ends, Ctrl-C exits, Ctrl-Z suspends. An
// empty entry gives the default; a non-zero flag ends with a new line.
int get_int(int default_value, int newline_flag);
double get_double(double default_value, int newline_flag);
// seconds != 0: message on standard error, then sleep. seconds == 0: the
// message (or "Please hit any key to continue !!"), wait for a key, blank
// the prompt line.
void pause_sleep(const char* message, int seconds);

// A character source over a text of at most 8191 characters (longer is
// fatal). The previous text stays in front of the new one, so unsgetc can
// step back into it.
void set_string(const char* text);
char* get_string();        // the text last set
char* get_next_string();   // what sgetc has not read yet
int sgetc();               // next character, -1 at the end
int unsgetc();             // steps back one character and returns it; -1 at the start

// A numbered selection dialog on standard output: the title, the items
// numbered from 1, then a prompt; an entry outside 1..count asks again, an
// empty one (or the end of input) chooses default_item. Returns the number.
int menu_select(const char* title, const char* const* items, int count, int default_item);
