#pragma once

namespace fw {

// The client's process: command line, skin, main window, message loop. Returns the exit status.
int RunClient(int argc, char** argv);

}  // namespace fw
