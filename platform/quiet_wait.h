#pragma once

class QEventLoop;

namespace ov2 {

// Runs the loop until it quits while the program waits for something outside it (a transfer,
// the desktop's opener): the windows keep painting, but take no input, and no window closes
// under the waiting code.
void RunWithoutInput(QEventLoop& loop);

}  // namespace ov2
