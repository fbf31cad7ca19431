#pragma once

#include <QIcon>

namespace ov2 {

// The name under which the package installs the program's icon in the icon theme; the desktop
// entry and the metainfo name the same.
inline constexpr char kProgramIconName[] = "org.ov2catalog.ov2";

// The program's own icon (a disc with its index card) from the installed icon theme, so that a
// theme may draw its own; from the program's resources where none is installed (a build run).
QIcon ProgramIcon();

}  // namespace ov2
