#include "widgets/theme_icons.h"

#include <QApplication>

namespace ov2 {

void InstallIconThemeFallback() {
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
