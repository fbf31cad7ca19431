#include "core/catalogue_lock.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSysInfo>
#include <cerrno>
#include <csignal>
#include <utility>

namespace {

std::string UserName() {
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name) return entry->pw_name;
    const QByteArray user = qgetenv("USER");
    return user.isEmpty() ? std::string("unknown") : user.toStdString();
}

std::string HostName() {
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? std::string("localhost") : host.toStdString();
}

// Blanks separate the fields; a user or host name never holds one, but a damaged file may.
std::string Field(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) <= ' ') c = '_';
    return text.empty() ? std::string("-") : text;
}

std::optional<CCatalogueLock::Owner> ReadOwner(const QString& lockPath) {
    QFile file(lockPath);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QList<QByteArray> fields = file.read(4096).trimmed().split(' ');
    CCatalogueLock::Owner owner;
    bool ok = false;
    if (fields.size() != 4) return owner;  // unreadable: nobody known, treated as stale
    owner.user = fields[0].toStdString();
    owner.host = fields[1].toStdString();
    owner.pid = fields[2].toLongLong(&ok);
    owner.since = QDateTime::fromString(QString::fromLatin1(fields[3]), Qt::ISODate);
    if (!ok) owner.pid = 0;
    return owner;
}

bool ProcessLives(long long pid) {
    if (pid <= 0 || pid > 0x7FFFFFFF) return false;
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

CCatalogueLock::~CCatalogueLock() {
    Release();
}

CCatalogueLock::CCatalogueLock(CCatalogueLock&& other) noexcept
    : m_path(std::exchange(other.m_path, QString())),
      m_line(std::exchange(other.m_line, QByteArray())),
      m_inode(std::exchange(other.m_inode, 0)) {}

CCatalogueLock& CCatalogueLock::operator=(CCatalogueLock&& other) noexcept {
    if (this != &other) {
        Release();
        m_path = std::exchange(other.m_path, QString());
        m_line = std::exchange(other.m_line, QByteArray());
        m_inode = std::exchange(other.m_inode, 0);
    }
    return *this;
}

QString CCatalogueLock::LockPath(const QString& catalogue) {
    const QFileInfo info(catalogue);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".lock");
}

CCatalogueLock::Inspection CCatalogueLock::Inspect(const QString& catalogue) {
    Inspection result;
    const QString lockPath = LockPath(catalogue);
    result.owner = ReadOwner(lockPath);
    if (result.owner) {
        const Owner& owner = *result.owner;
        const bool live = owner.host == HostName()
                              ? ProcessLives(owner.pid)
                              : owner.since.isValid() &&
                                    owner.since.secsTo(QDateTime::currentDateTime()) < 24 * 3600;
        if (live) {
            result.state = State::Held;
            return result;
        }
    }
    // Whether a lock could be written: the folder must take new files.
    const QByteArray folder = QFile::encodeName(QFileInfo(lockPath).absolutePath());
    if (access(folder.constData(), W_OK) != 0) result.state = State::Unwritable;
    return result;
}

std::string CCatalogueLock::SinceText(const Owner& owner) {
    if (!owner.since.isValid()) return "an unknown time";
    const QDateTime local = owner.since.toLocalTime();
    const QString format = local.date() == QDate::currentDate()
                               ? QStringLiteral("HH:mm")
                               : QStringLiteral("MMMM dd yyyy HH:mm");
    return QLocale::c().toString(local, format).toStdString();
}

std::string CCatalogueLock::Describe(const Owner& owner) {
    return "locked by " + owner.user + " on " + owner.host + " since " + SinceText(owner);
}

bool CCatalogueLock::Acquire(const QString& catalogue) {
    Release();
    const QString lockPath = LockPath(catalogue);
    const QByteArray line = QByteArray::fromStdString(Field(UserName()) + ' ' + Field(HostName()) +
                                                      ' ' + std::to_string(getpid()) + ' ') +
                            QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1() + '\n';
    // The line is written whole under a temporary name and then renamed into place, so that
    // a reader never sees half a lock.
    const QByteArray target = QFile::encodeName(lockPath);
    const QByteArray temporary = target + ".tmp" + QByteArray::number(getpid());
    const int fd = open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written =
        write(fd, line.constData(), static_cast<size_t>(line.size())) == line.size();
    close(fd);
    if (!written || rename(temporary.constData(), target.constData()) != 0) {
        unlink(temporary.constData());
        return false;
    }
    struct stat info {};
    if (stat(target.constData(), &info) != 0) return false;
    m_path = lockPath;
    m_line = line;
    m_inode = info.st_ino;
    return true;
}

void CCatalogueLock::Release() {
    if (m_path.isEmpty()) return;
    // Two windows of one process write the same line within a second: the file itself tells
    // whose lock it is.
    QFile file(m_path);
    struct stat info {};
    if (stat(QFile::encodeName(m_path).constData(), &info) == 0 && info.st_ino == m_inode &&
        file.open(QIODevice::ReadOnly) && file.read(4096) == m_line) {
        file.close();
        QFile::remove(m_path);
    }
    m_path.clear();
    m_line.clear();
}
