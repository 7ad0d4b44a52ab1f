// The process entry of brovane: the runtime's fixed frame around the driver.
#include "runtime/core/entry.h"

int main(int argc, char** argv) {
  List* args = VornStartUp(argc, argv);
  VornMain(argc, args);
  VornExit();
  return VornOutputStatus();
}
