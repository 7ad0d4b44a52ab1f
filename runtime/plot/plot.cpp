#include "runtime/plot/plot.h"

#include <csignal>
#include <cstdarg>

namespace {

// One slot per window; a slot is open while its window number is non-zero.
// The flag keeps a signal arriving during a close from closing twice.
struct WindowSlot {
  int window;
};

WindowSlot slots[VGPLOT_WINDOW_MAX];
volatile sig_atomic_t quitting = 0;

void closeSlot(WindowSlot& slot) { slot.window = 0; }

}  // namespace

int graph_vgplot_open_count() {
  int open = 0;
  for (const WindowSlot& slot : slots)
    if (slot.window != 0) open++;
  return open;
}

void graph_vgplot_quit(int count, ...) {
  if (quitting) return;
  quitting = 1;
  if (count == 0) {
    for (WindowSlot& slot : slots)
      if (slot.window != 0) closeSlot(slot);
  } else {
    va_list ap;
    va_start(ap, count);
    for (int i = 0; i < count && i < 5; i++) {
      const int window = va_arg(ap, int);
      for (WindowSlot& slot : slots)
        if (slot.window == window && window != 0) closeSlot(slot);
    }
    va_end(ap);
  }
  quitting = 0;
}
