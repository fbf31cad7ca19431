#include "core/catalogue_save.h"

#include <QFileInfo>
#include <QSaveFile>

#include "core/catalogue_file.h"

namespace ov2 {

SaveFault SaveCatalogueFile(const QString& path, COvDiscDatabase& database, std::string* error) {
    std::string bytes;
    if (!ReadableCatalogueBytes(database, &bytes, error)) return SaveFault::Catalogue;
    const QFileInfo existing(path);
    constexpr auto kAnyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (existing.exists() && !existing.isDir() && !(existing.permissions() & kAnyWrite)) {
        *error = "the file is read-only";
        return SaveFault::File;
    }
    QSaveFile file(path);
    const auto size = static_cast<qint64>(bytes.size());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), size) != size ||
        !file.commit()) {
        *error = file.errorString().toStdString();
        return SaveFault::File;
    }
    return SaveFault::None;
}

}  // namespace ov2
