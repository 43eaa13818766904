#include "sim/SimulatorMain.h"

int main(int argc, char** argv) { return fw::sim::RunSimulator(argc, argv); }
