#pragma once

class QWidget;

namespace ov2 {

// Shows the program's messages as message boxes captioned "Ov2" over the given window.
void InstallQtMessageBoxHandler(QWidget* parent);

}  // namespace ov2
