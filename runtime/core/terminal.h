// Raw-terminal keyboard helpers on descriptor 0, single bytes straight to
// descriptor 1, and a character source over a text.
#pragma once

void one_putch(int byte);
void vorn_bell();
void newline();
void print_space(int n);
void util_disp_move(int row, int col);
int echo2(int mode);
void echo2_die(int signal);
int one_getch();
void kbhit_init();
void kbhit_term();
int kbhit();
int get_int(int default_value, int newline_flag);
double get_double(double default_value, int newline_flag);
void pause_sleep(const char* message, int seconds);

void set_string(const char* text);
char* get_string();
char* get_next_string();
int sgetc();
int unsgetc();
