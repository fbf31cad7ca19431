#include "app/ov2_app.h"

#include <QApplication>
#include <QScreen>
#include <QStringList>

#include "app/main_frame.h"
#include "app/qt_message_box.h"
#include "core/ov2_doc.h"
#include "widgets/theme_icons.h"

bool OpenFromCommandLine(COv2Doc& doc, const QStringList& arguments) {
    if (arguments.isEmpty()) return doc.OnNewDocument();
    return doc.OnOpenDocument(arguments.first());
}

int RunOv2(QApplication& app) {
    QApplication::setOrganizationName(QStringLiteral("Ov2"));
    QApplication::setApplicationName(QStringLiteral("Ov2"));
    QApplication::setWindowIcon(ov2::ThemeIcon("media-optical", QStyle::SP_DriveCDIcon));
    ov2::InstallIconThemeFallback();

    COv2Doc doc;
    CMainFrame frame(&doc);
    ov2::InstallQtMessageBoxHandler(&frame);

    // A catalogue named on the command line is opened; when it cannot be, the program ends
    // after saying why.
    if (!OpenFromCommandLine(doc, app.arguments().mid(1))) return 1;

    frame.setWindowTitle(QStringLiteral("Orvella - Ov2[*]"));
    // Without a window manager nobody maximizes the window: give it the whole screen first.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) frame.setGeometry(screen->availableGeometry());
    frame.showMaximized();
    return app.exec();
}
