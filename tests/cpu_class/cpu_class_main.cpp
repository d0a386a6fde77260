// The main of the test programs that run once per processor class: --cpu-class=NAME.
#include "cpu_class/cpu_class_run.h"

int main(int argc, char** argv) {
  return cpu_class::RunTests(argc, argv);
}
