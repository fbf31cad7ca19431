#include "app/ov2_app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QStringList>
#include <cstdio>

#include "app/main_frame.h"
#include "app/program_icon.h"
#include "app/qt_message_box.h"
#include "app/recovery_offer.h"
#include "app/session_signals.h"
#include "core/ov2_doc.h"
#include "widgets/theme_icons.h"

namespace {

void NameTheProgram() {
    QCoreApplication::setOrganizationName(QStringLiteral("Ov2"));
    QCoreApplication::setApplicationName(QStringLiteral("Ov2"));
    QCoreApplication::setApplicationVersion(QStringLiteral(OV2_VERSION));
}

struct CommandLine {
    CommandLine() {
        parser.setApplicationDescription(
            QStringLiteral("A catalogue of your CDs and other discs."));
        parser.addPositionalArgument(QStringLiteral("catalogue"),
                                     QStringLiteral("The catalogue file (.ovd) to open; without "
                                                    "it a new, empty catalogue."),
                                     QStringLiteral("[catalogue.ovd]"));
    }
    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
};

}  // namespace

bool OpenFromCommandLine(COv2Doc& doc, const QStringList& arguments) {
    if (arguments.isEmpty()) return doc.OnNewDocument();
    return doc.OnOpenDocument(arguments.first());
}

bool OpenAtStart(COv2Doc& doc, QWidget& frame, const QStringList& arguments) {
    if (!OpenFromCommandLine(doc, arguments)) return false;
    // Opening a named catalogue captioned the window with its name already.
    if (arguments.isEmpty()) frame.setWindowTitle(QStringLiteral("Orvella - Ov2[*]"));
    return true;
}

std::optional<int> AnswerInformationOptions(int argc, char** argv) {
    // A plain core application is enough to read the arguments; the window system's own
    // options (-platform, -style) are unknown here and waited for by the real application.
    const QCoreApplication core(argc, argv);
    NameTheProgram();
    CommandLine line;
    line.parser.parse(QCoreApplication::arguments());
    QString text;
    if (line.parser.isSet(line.help))
        text = line.parser.helpText();
    else if (line.parser.isSet(line.version))
        text = QCoreApplication::applicationName() + QLatin1Char(' ') +
               QCoreApplication::applicationVersion() + QLatin1Char('\n');
    else
        return std::nullopt;
    const QByteArray bytes = text.toLocal8Bit();
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()),
                                     stdout) == static_cast<std::size_t>(bytes.size()) &&
                         std::fflush(stdout) == 0;
    return written ? 0 : 1;
}

int RunOv2(QApplication& app) {
    NameTheProgram();
    ov2::InstallIconThemeFallback();
    QApplication::setWindowIcon(ov2::ProgramIcon());

    // An unknown option is reported and ends the program, as the parser does it.
    CommandLine line;
    line.parser.process(app);

    COv2Doc doc;
    CMainFrame frame(&doc);
    ov2::InstallQtMessageBoxHandler(&frame);

    // A catalogue named on the command line is opened; when it cannot be, the program ends
    // after saying why.
    if (!OpenAtStart(doc, frame, line.parser.positionalArguments())) return 1;
    // Changes that a crash or a killed session left behind, offered before anything else.
    ov2::OfferRecovery(doc);
    ov2::QuitOnSessionSignals([&doc] { doc.QuitKeepingChanges(); });

    // Without a window manager nobody maximizes the window: give it the whole screen first.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) frame.setGeometry(screen->availableGeometry());
    frame.showMaximized();
    return app.exec();
}
