#include "core/catalogue_recovery.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <csignal>

#include "core/catalogue_file.h"
#include "core/catalogue_save.h"

namespace {

const QString kInfoSuffix = QStringLiteral(".origin");

bool ProcessLives(long long pid) {
    if (pid <= 0 || pid > 0x7FFFFFFF) return false;
    return pid == getpid() || kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Only its user may enter the folder; the copies hold the whole catalogue.
bool MakeFolder(const QString& folder) {
    if (!QDir().mkpath(folder)) return false;
    return QFile::setPermissions(
        folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// The copy and, beside it, the line naming its catalogue, each for its user alone.
bool WriteCopy(const QString& copy, const QString& original, const std::string& bytes) {
    std::string error;
    if (ov2::SaveCatalogueBytes(copy, bytes, &error) != ov2::SaveFault::None) return false;
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile info(copy + kInfoSuffix);
    if (!info.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        info.write(original.toUtf8() + '\n') < 0)
        return false;
    info.close();
    QFile::setPermissions(info.fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

}  // namespace

CCatalogueRecovery::~CCatalogueRecovery() { Settle(); }

void CCatalogueRecovery::Settle() {
    if (!m_pending.valid()) return;
    if (!m_pending.get() && !QFile::exists(m_copyPath + kInfoSuffix)) m_copyPath.clear();
}

bool CCatalogueRecovery::HasCopy() {
    Settle();
    return !m_copyPath.isEmpty();
}

QString CCatalogueRecovery::Folder() {
    QString state = QFile::decodeName(qgetenv("XDG_STATE_HOME"));
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/ov2/recovery");
}

bool CCatalogueRecovery::Write(COvDiscDatabase& database, const QString& original,
                               std::string* error) {
    Settle();  // one write at a time
    const QString folder = Folder();
    if (!MakeFolder(folder)) {
        *error = "cannot make " + folder.toStdString();
        return false;
    }
    // One copy a process and catalogue: the name tells whose it is, the hash which file.
    const QString name =
        original.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(original).fileName();
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(original.toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
    const QString copy = folder + QLatin1Char('/') + QString::number(getpid()) + QLatin1Char('-') +
                         hash + QLatin1Char('-') + name;
    // The records change on this thread alone, so their bytes are made here.
    std::string bytes = CatalogueBytes(database);
    if (!m_copyPath.isEmpty() && m_copyPath != copy)
        Remove();  // a catalogue saved under a new name
    m_copyPath = copy;
    m_pending = std::async(std::launch::async, [copy, original, bytes = std::move(bytes)] {
        return WriteCopy(copy, original, bytes);
    });
    return true;
}

void CCatalogueRecovery::Remove() {
    Settle();
    if (m_copyPath.isEmpty()) return;
    QFile::remove(m_copyPath);
    QFile::remove(m_copyPath + kInfoSuffix);
    m_copyPath.clear();
}

std::vector<CCatalogueRecovery::Copy> CCatalogueRecovery::LeftBehind() {
    std::vector<Copy> copies;
    const QDir folder(Folder());
    for (const QFileInfo& entry :
         folder.entryInfoList({QStringLiteral("*") + kInfoSuffix}, QDir::Files)) {
        const QString copyPath = entry.absoluteFilePath().chopped(kInfoSuffix.size());
        bool numeric = false;
        const long long pid =
            QFileInfo(copyPath).fileName().section(QLatin1Char('-'), 0, 0).toLongLong(&numeric);
        if (!numeric || ProcessLives(pid) || !QFileInfo::exists(copyPath)) continue;
        QFile info(entry.absoluteFilePath());
        if (!info.open(QIODevice::ReadOnly)) continue;
        Copy copy;
        copy.copyPath = copyPath;
        copy.original = QString::fromUtf8(info.readLine(64 * 1024)).trimmed();
        copy.lastChange = QFileInfo(copyPath).lastModified();
        copies.push_back(std::move(copy));
    }
    std::sort(copies.begin(), copies.end(),
              [](const Copy& a, const Copy& b) { return a.lastChange < b.lastChange; });
    return copies;
}

void CCatalogueRecovery::Delete(const Copy& copy) {
    QFile::remove(copy.copyPath);
    QFile::remove(copy.copyPath + kInfoSuffix);
}

QString CCatalogueRecovery::SetAside(const Copy& copy) {
    const QString aside = copy.copyPath + QStringLiteral(".unreadable-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!QFile::rename(copy.copyPath, aside)) return copy.copyPath;
    QFile::remove(copy.copyPath + kInfoSuffix);
    return aside;
}
