// main() of the GUI test programs: real widgets on the offscreen platform, the desktop's icon
// theme with its fallback, and settings kept in a scratch folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

#include "widgets/theme_icons.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QStandardPaths::setTestModeEnabled(true);  // recent files go to a test location
    QApplication app(argc, argv);
    // Each run starts without remembered settings (recent files, pane widths) and leaves none.
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    // Recovery copies of the catalogues that tests change stay in the scratch folder too.
    setenv("XDG_STATE_HOME", (settings.path() + QStringLiteral("/state")).toLocal8Bit().constData(),
           1);
    ov2::InstallIconThemeFallback();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
