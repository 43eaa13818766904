#pragma once

namespace fw::sim {

// The whole of fenwarde-sim: options, scenario, both servers, the event loop. Returns the exit
// status (2 for a bad command line, 1 when it cannot start).
int RunSimulator(int argc, char** argv);

}  // namespace fw::sim
