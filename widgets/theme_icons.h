#pragma once

#include <QIcon>
#include <QStyle>

namespace ov2 {

// Makes the Adwaita icon theme the fallback of the desktop's theme, so that file-type and command
// icons exist even outside a desktop session.
void InstallIconThemeFallback();

// The theme's icon of that name (or its symbolic form), else the style's standard icon; drawn grey
// and faint where its button or menu entry is disabled.
QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback);

// The style's own picture of a standard icon, for where the theme's one is too pale to read (the
// theme's compact disc is white on white); faded like ThemeIcon where disabled.
QIcon StyleIcon(QStyle::StandardPixmap pixmap);

// A white arrow on a green disc: "start", in the same colours on every desktop; faded like
// ThemeIcon where disabled.
QIcon GoIcon();

// `base` with `badge` small in its lower right corner, for a command whose object alone is too
// pale to read as active (the compact disc) and which the badge says what is done with;
// faded like ThemeIcon where disabled.
QIcon BadgedIcon(const QIcon& base, const QIcon& badge);

// `base` with a small golden padlock in its lower right corner: a file that cannot be read
// without a password.
QIcon LockedIcon(const QIcon& base);

}  // namespace ov2
