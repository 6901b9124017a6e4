#pragma once

namespace app {

// Starts the GUI, opens the window and runs the event loop; returns the
// process's exit status.
int run(int argc, char *argv[]);

} // namespace app
