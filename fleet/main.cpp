#include "fleet/FleetMain.h"

int main(int argc, char** argv) { return fw::RunFleetReport(argc, argv); }
