// The program's entry point (the program itself: app/program.h).
#include "app/program.h"

int main(int argc, char** argv) { return runProgram(argc, argv); }
