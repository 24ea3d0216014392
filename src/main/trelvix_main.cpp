// The program entry: no arguments are read.

#include "ui/Startup.h"

int main(int argc, char** argv) { return TrelvixMain(argc, argv); }
