#include "app/program_icon.h"

#include <QString>

namespace ov2 {

QIcon ProgramIcon() {
    static const QIcon built = [] {
        QIcon icon;
        for (const int size : {16, 32, 48, 64, 128, 256})
            icon.addFile(QStringLiteral(":/ov2/icon/%1.png").arg(size), QSize(size, size));
        return icon;
    }();
    return QIcon::fromTheme(QLatin1String(kProgramIconName), built);
}

}  // namespace ov2
