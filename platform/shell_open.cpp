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
    if (!url.isValid()) return false;
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty() && QCoreApplication::instance()) {
        const OpenerAnswer answer =
            RunOpener(opener, local ? target : QString::fromUtf8(url.toEncoded()));
        if (answer != OpenerAnswer::NotRun) return answer == OpenerAnswer::Opened;
    }
    return QDesktopServices::openUrl(url);
}

OpenHandler& Handler() {
    static OpenHandler handler = OpenOnDesktop;
    return handler;
}

}  // namespace

bool OpenWithDesktop(const QString& target) { return Handler()(target); }

OpenHandler SetOpenHandler(OpenHandler handler) {
    if (!handler) handler = OpenOnDesktop;
    return std::exchange(Handler(), std::move(handler));
}

}  // namespace ov2
