#include "platform/shell_open.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

namespace ov2 {
namespace {

bool OpenOnDesktop(const QString& target) {
    const QUrl url = target.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(target) : QUrl(target);
    return url.isValid() && QDesktopServices::openUrl(url);
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
