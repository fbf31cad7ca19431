#include "widgets/theme_icons.h"

#include <QApplication>
#include <QFileInfo>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPen>
#include <QStandardPaths>
#include <algorithm>
#include <utility>

namespace ov2 {
namespace {

// Grey and faint: a disabled command must not pass for an active one, and the style's own
// disabled form of a pale or grey theme icon looks just like the icon.
QPixmap Faded(const QPixmap& pixmap) {
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = qGray(line[x]);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 2 / 5);
        }
    }
    QPixmap faded = QPixmap::fromImage(image);
    faded.setDevicePixelRatio(pixmap.devicePixelRatio());
    return faded;
}

// An icon as it is in every mode but the disabled one, which is drawn faded from the normal one.
class FadeWhenDisabledEngine : public QIconEngine {
public:
    explicit FadeWhenDisabledEngine(QIcon icon) : m_icon(std::move(icon)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, scale));
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State state) override {
        return m_icon.actualSize(size, QIcon::Normal, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        if (mode != QIcon::Disabled) return m_icon.pixmap(size, scale, mode, state);
        return Faded(m_icon.pixmap(size, scale, QIcon::Normal, state));
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State state) override {
        return m_icon.availableSizes(QIcon::Normal, state);
    }
    QString iconName() override { return m_icon.name(); }
    bool isNull() override { return m_icon.isNull(); }
    QString key() const override { return QStringLiteral("ov2FadeWhenDisabled"); }
    QIconEngine* clone() const override { return new FadeWhenDisabledEngine(m_icon); }

private:
    QIcon m_icon;
};

}  // namespace

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
    QIcon found;
    for (const QString& candidate : {themeName, themeName + QLatin1String("-symbolic")}) {
        found = QIcon::fromTheme(candidate);
        if (!found.isNull()) break;
    }
    if (found.isNull()) found = QApplication::style()->standardIcon(fallback);
    return QIcon(new FadeWhenDisabledEngine(std::move(found)));
}

QIcon StyleIcon(QStyle::StandardPixmap pixmap) {
    // The style draws its own picture only where no theme has one.
    const QString theme = QIcon::themeName();
    const QString fallbackTheme = QIcon::fallbackThemeName();
    QIcon::setThemeName(QStringLiteral("hicolor"));
    QIcon::setFallbackThemeName(QString());
    // Drawn now: the style's icon may look the theme up only when it is painted, by which time
    // the desktop's theme (whose arrow is a grey symbol) is back.
    const QIcon style = QApplication::style()->standardIcon(pixmap);
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48}) icon.addPixmap(style.pixmap(side, side));
    QIcon::setFallbackThemeName(fallbackTheme);
    QIcon::setThemeName(theme);
    return QIcon(new FadeWhenDisabledEngine(std::move(icon)));
}

QIcon GoIcon() {
    // Painted here rather than taken from a theme or the style: themes draw "go" as a grey
    // symbol, and which picture the style gives depends on the desktop.
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal pen = std::max(1.0, side / 16.0);
        painter.setPen(QPen(QColor(0x26, 0x7a, 0x2e), pen));
        painter.setBrush(QColor(0x3c, 0xa8, 0x45));
        painter.drawEllipse(QRectF(pen / 2, pen / 2, side - pen, side - pen));
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        const qreal c = side / 2.0, r = side * 0.26;
        const QPointF arrow[] = {{c - r * 0.7, c - r}, {c + r, c}, {c - r * 0.7, c + r}};
        painter.drawPolygon(arrow, 3);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return QIcon(new FadeWhenDisabledEngine(std::move(icon)));
}

QIcon BadgedIcon(const QIcon& base, const QIcon& badge) {
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48}) {
        QPixmap pixmap = base.pixmap(side, side);
        // The pixmap may come smaller than asked; the badge goes by the side drawn.
        pixmap = pixmap.isNull() ? QPixmap(side, side) : pixmap.scaled(side, side);
        if (base.isNull()) pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        const int badgeSide = side * 3 / 5;
        painter.drawPixmap(side - badgeSide, side - badgeSide, badge.pixmap(badgeSide, badgeSide));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return QIcon(new FadeWhenDisabledEngine(std::move(icon)));
}

QIcon LockedIcon(const QIcon& base) {
    // Painted here: the themes' padlocks are grey symbols, unreadable at the badge's few pixels.
    QIcon lock;
    for (const int side : {9, 13, 14, 16, 19, 22, 24, 28, 32, 48}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal pen = std::max(1.0, side / 10.0);
        const QColor dark(0x5c, 0x43, 0x0c);
        // The shackle, then the body over its feet.
        painter.setPen(QPen(dark, std::max(1.5, side / 7.0)));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(side * 0.28, side * 0.08, side * 0.44, side * 0.6),
                                side * 0.2, side * 0.2);
        painter.setPen(QPen(dark, pen));
        painter.setBrush(QColor(0xe8, 0xb3, 0x2a));
        const QRectF body(pen / 2 + side * 0.08, side * 0.44, side * 0.84 - pen,
                          side * 0.54 - pen / 2);
        painter.drawRoundedRect(body, side * 0.08, side * 0.08);
        if (side >= 14) {  // the keyhole
            painter.setPen(Qt::NoPen);
            painter.setBrush(dark);
            painter.drawEllipse(QPointF(body.center().x(), body.center().y() - side * 0.03),
                                side * 0.07, side * 0.07);
        }
        painter.end();
        lock.addPixmap(pixmap);
    }
    return BadgedIcon(base, lock);
}

}  // namespace ov2
