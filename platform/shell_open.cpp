#include "platform/shell_open.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <optional>
#include <utility>

#include "platform/quiet_wait.h"

namespace ov2 {
namespace {

// How long the desktop's opener may take to say whether it found an application. An opener
// still running by then has started one and waits for it to end, which is success.
constexpr int kOpenerAnswerMs = 5000;

enum class OpenerAnswer { Opened, Refused, NotRun };

QString& FailureReason() {
    static QString reason;
    return reason;
}

// The desktop opener's exit statuses in words.
QString OpenerFailure(int exitCode) {
    switch (exitCode) {
        case 1:
            return QStringLiteral("the desktop's opener did not understand the request");
        case 2:
            return QStringLiteral("the file does not exist");
        case 3:
            return QStringLiteral("no application to open it is installed");
        case 4:
            return QStringLiteral("the application that opens it failed");
        default:
            return QStringLiteral("the desktop's opener failed (exit status %1)").arg(exitCode);
    }
}

// Runs xdg-open on the argument and waits briefly for its exit status. The wait keeps the
// windows painted but takes no input from the user; an opener that outlives it is left to run.
OpenerAnswer RunOpener(const QString& opener, const QString& argument) {
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(opener);
    process->setArguments({argument});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());

    QEventLoop loop;
    std::optional<OpenerAnswer> answer;
    QObject::connect(
        process, &QProcess::finished, &loop, [&](int exitCode, QProcess::ExitStatus status) {
            answer = status == QProcess::NormalExit && exitCode == 0 ? OpenerAnswer::Opened
                                                                     : OpenerAnswer::Refused;
            if (*answer == OpenerAnswer::Refused)
                SetOpenFailureReason(status == QProcess::NormalExit
                                         ? OpenerFailure(exitCode)
                                         : QStringLiteral("the desktop's opener crashed"));
            loop.quit();
        });
    QObject::connect(process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        answer = OpenerAnswer::NotRun;
        loop.quit();
    });
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);

    process->start();
    if (!answer) {
        timeout.start(kOpenerAnswerMs);
        RunWithoutInput(loop);
    }
    QObject::disconnect(process, nullptr, &loop, nullptr);
    if (answer) {
        process->deleteLater();
        return *answer;
    }
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return OpenerAnswer::Opened;
}

bool OpenOnDesktop(const QString& target) {
    const bool local = target.startsWith(QLatin1Char('/'));
    const QUrl url = local ? QUrl::fromLocalFile(target) : QUrl(target);
    if (!url.isValid()) {
        SetOpenFailureReason(QStringLiteral("the address is not valid"));
        return false;
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty() && QCoreApplication::instance()) {
        const OpenerAnswer answer =
            RunOpener(opener, local ? target : QString::fromUtf8(url.toEncoded()));
        if (answer != OpenerAnswer::NotRun) return answer == OpenerAnswer::Opened;
    }
    if (QDesktopServices::openUrl(url)) return true;
    SetOpenFailureReason(QStringLiteral("the desktop has no application to open it"));
    return false;
}

OpenHandler& Handler() {
    static OpenHandler handler = OpenOnDesktop;
    return handler;
}

}  // namespace

bool OpenWithDesktop(const QString& target, QString* reason) {
    FailureReason().clear();
    if (Handler()(target)) return true;
    if (reason)
        *reason = FailureReason().isEmpty()
                      ? QStringLiteral("the desktop has no application to open it")
                      : FailureReason();
    return false;
}

void SetOpenFailureReason(const QString& reason) {
    FailureReason() = reason;
}

OpenHandler SetOpenHandler(OpenHandler handler) {
    if (!handler) handler = OpenOnDesktop;
    return std::exchange(Handler(), std::move(handler));
}

}  // namespace ov2
