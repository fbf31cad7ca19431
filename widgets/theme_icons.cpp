#include "widgets/theme_icons.h"

#include <QApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace ov2 {

void InstallIconThemeFallback() {
    // Platforms without a desktop theme (offscreen, minimal) search only Qt's resources.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString icons = dir + QStringLiteral("/icons");
        if (!paths.contains(icons) && QFileInfo(icons).isDir()) paths << icons;
    }
    if (!paths.contains(QStringLiteral("/usr/share/icons"))) paths << QStringLiteral("/usr/share/icons");
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
}

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback) {
    // Current themes often carry only the symbolic form of an action icon.
    const QString themeName = QString::fromLatin1(name);
    for (const QString& candidate : {themeName, themeName + QLatin1String("-symbolic")}) {
        const QIcon icon = QIcon::fromTheme(candidate);
        if (!icon.isNull()) return icon;
    }
    return QApplication::style()->standardIcon(fallback);
}

}  // namespace ov2
