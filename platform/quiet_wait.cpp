#include "platform/quiet_wait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>

namespace ov2 {
namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool IsInside(const QObject* object, const QObject* open) {
    for (; object; object = object->parent())
        if (object == open) return true;
    return false;
}

}  // namespace

void RunWithoutInput(QEventLoop& loop) { RunWithInputOnlyFor(loop, nullptr); }

CInputOnlyFor::CInputOnlyFor(QObject* open) : m_pOpen(open) {
    if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

CInputOnlyFor::~CInputOnlyFor() {
    if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool CInputOnlyFor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close && watched->isWindowType()) {
        event->ignore();
        return true;
    }
    // A window hands its input on to the widget under the pointer or in focus, which is
    // filtered here in turn.
    if (!IsUserInput(event->type()) || watched->isWindowType()) return false;
    return !IsInside(watched, m_pOpen);
}

void RunWithInputOnlyFor(QEventLoop& loop, QObject* open) {
    const CInputOnlyFor gate(open);
    loop.exec(open ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

}  // namespace ov2
