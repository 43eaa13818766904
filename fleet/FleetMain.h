#pragma once

namespace fw {

// fenwarde-report's process: command line, home, sign-in, the run and its exit status.
int RunFleetReport(int argc, char** argv);

}  // namespace fw
