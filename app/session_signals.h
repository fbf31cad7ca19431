#pragma once

#include <functional>

namespace ov2 {

// SIGTERM and SIGHUP (the session ending, a logout, a shutdown) end the program as a quit
// without questions: `beforeQuit` runs first, in the event loop, and keeps what must not be
// lost. The signal only wakes the event loop; nothing else runs inside the signal handler.
void QuitOnSessionSignals(std::function<void()> beforeQuit);

}  // namespace ov2
