// The kavelin program.
#include "ui/run_kavelin.h"

int main(int argc, char** argv) {
  return ui::RunKavelin(argc, argv);
}
