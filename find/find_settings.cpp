#include "find/find_settings.h"

#include <QFileInfo>
#include <QSettings>

namespace ov2::find {

namespace {

const QString kGroup = QStringLiteral("Find");
const QString kCataloguesKey = QStringLiteral("Catalogues");
const QString kRecentKey = QStringLiteral("SearchRecent");

// The same file named two ways ("a/../Music.ovd", a link) is one catalogue.
QString SameFileKey(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

CFindSettings CFindSettings::Load() {
    QSettings settings(QStringLiteral("Ov2"), QStringLiteral("Ov2"));
    settings.beginGroup(kGroup);
    CFindSettings result;
    result.catalogues = settings.value(kCataloguesKey).toStringList();
    result.catalogues.removeAll(QString());
    result.searchRecent = settings.value(kRecentKey, false).toBool();
    return result;
}

void CFindSettings::Save() const {
    QSettings settings(QStringLiteral("Ov2"), QStringLiteral("Ov2"));
    settings.beginGroup(kGroup);
    settings.setValue(kCataloguesKey, catalogues);
    settings.setValue(kRecentKey, searchRecent);
}

QStringList CFindSettings::Files(const QStringList& recentFiles, const QString& openPath) const {
    QStringList files;
    QStringList seen;
    if (!openPath.isEmpty()) seen << SameFileKey(openPath);
    auto take = [&](const QString& path) {
        const QString key = SameFileKey(path);
        if (path.isEmpty() || seen.contains(key)) return;
        seen << key;
        files << QFileInfo(path).absoluteFilePath();
    };
    for (const QString& path : catalogues) take(path);
    if (searchRecent)
        for (const QString& path : recentFiles) take(path);
    return files;
}

}  // namespace ov2::find
