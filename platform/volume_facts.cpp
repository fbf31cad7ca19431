#include "platform/volume_facts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QString>
#include <cstring>

namespace ov2 {
namespace {

constexpr off_t kSectorSize = 2048;
constexpr off_t kFirstDescriptor = 16 * kSectorSize;
// Images carry a handful; more than this is a malformed set.
constexpr int kMaxDescriptors = 32;

std::string Trimmed(const QString& text) {
    return text.trimmed().toStdString();
}

std::string Utf8(const QString& text) {
    return text.toStdString();
}

// The first line of a small sysfs file, trimmed; empty when there is none.
std::string SysfsText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::string();
    return Trimmed(QString::fromUtf8(file.readLine(256)));
}

}  // namespace

std::string DriveModel(const std::string& device, const std::string& blockFolder) {
    if (device.empty() || device.front() != '/') return std::string();  // "tmpfs", "overlay"
    const QString name = QFileInfo(QFile::decodeName(device.c_str()))
                             .canonicalFilePath()
                             .section(QLatin1Char('/'), -1);
    if (name.isEmpty()) return std::string();
    // A partition's folder lies inside its disk's: sda1 → sda.
    const QString block =
        QFileInfo(QFile::decodeName(blockFolder.c_str()) + QLatin1Char('/') + name)
            .canonicalFilePath();
    if (block.isEmpty()) return std::string();
    const QString disk = QFileInfo::exists(block + QStringLiteral("/partition"))
                             ? block + QStringLiteral("/..")
                             : block;
    return SysfsText(disk + QStringLiteral("/device/model"));
}

std::string DeviceUuid(const std::string& device, const std::string& uuidFolder) {
    if (device.empty() || device.front() != '/') return std::string();
    const QString target = QFileInfo(QFile::decodeName(device.c_str())).canonicalFilePath();
    if (target.isEmpty()) return std::string();
    const QDir links(QFile::decodeName(uuidFolder.c_str()));
    for (const QFileInfo& link :
         links.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (link.canonicalFilePath() == target) return Utf8(link.fileName());
    }
    return std::string();
}

DiscFacts FolderVolumeFacts(const std::string& folder) {
    DiscFacts facts;
    const QStorageInfo storage(QFile::decodeName(folder.c_str()));
    if (!storage.isValid()) return facts;
    facts.fileSystem = storage.fileSystemType().toStdString();
    facts.label = Utf8(storage.name());
    if (storage.bytesTotal() > 0) facts.capacity = storage.bytesTotal();
    if (storage.bytesFree() >= 0 && storage.bytesTotal() > 0) facts.free = storage.bytesFree();
    const std::string device = storage.device().toStdString();
    facts.uuid = DeviceUuid(device);
    facts.model = DriveModel(device);
    return facts;
}

DiscFacts ImageVolumeFacts(const std::string& imagePath) {
    DiscFacts facts;
    const int fd = ::open(imagePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return facts;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return facts;
    }
    facts.fileSystem = "iso9660";
    facts.capacity = static_cast<std::int64_t>(st.st_size);
    facts.free = 0;
    std::string primaryLabel, jolietLabel;
    unsigned char sector[kSectorSize];
    for (int i = 0; i < kMaxDescriptors; ++i) {
        if (::pread(fd, sector, sizeof sector, kFirstDescriptor + i * kSectorSize) !=
            static_cast<ssize_t>(sizeof sector))
            break;
        const char* id = reinterpret_cast<const char*>(sector + 1);
        // A UDF volume announces itself among the descriptors: "NSR02" or "NSR03".
        if (std::memcmp(id, "NSR02", 5) == 0 || std::memcmp(id, "NSR03", 5) == 0)
            facts.fileSystem = "udf";
        if (std::memcmp(id, "CD001", 5) != 0) continue;
        const char* label = reinterpret_cast<const char*>(sector + 40);
        if (sector[0] == 1 && primaryLabel.empty()) {
            primaryLabel = Trimmed(QString::fromLatin1(label, 32));
        } else if (sector[0] == 2 && sector[88] == 0x25 && sector[89] == 0x2F) {
            // Joliet: UCS-2, big-endian.
            QString text;
            for (int c = 0; c < 32; c += 2)
                text += QChar(static_cast<char16_t>((sector[40 + c] << 8) | sector[41 + c]));
            jolietLabel = Trimmed(text.section(QChar(0), 0, 0));
        }
    }
    ::close(fd);
    facts.label = jolietLabel.empty() ? primaryLabel : jolietLabel;
    return facts;
}

std::string ScanTimeText() {
    // A local time writes no zone in ISO form; the same moment at its offset does.
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODate).toStdString();
}

}  // namespace ov2
