#include "platform/quiet_wait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>

namespace ov2 {
namespace {

class KeepWindowsOpen : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Close || !watched->isWindowType()) return false;
        event->ignore();
        return true;
    }
};

}  // namespace

void RunWithoutInput(QEventLoop& loop) {
    KeepWindowsOpen keepOpen;
    QCoreApplication* app = QCoreApplication::instance();
    if (app) app->installEventFilter(&keepOpen);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (app) app->removeEventFilter(&keepOpen);
}

}  // namespace ov2
