#pragma once

#include <QIcon>
#include <QStyle>

namespace ov2 {

// Makes the Adwaita icon theme the fallback of the desktop's theme, so that file-type and command
// icons exist even outside a desktop session.
void InstallIconThemeFallback();

// The theme's icon of that name (or its symbolic form), else the style's standard icon.
QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback);

}  // namespace ov2
