#include "app/program_icon.h"

#include <QString>

// The icon's resources live in a static library, whose unreferenced parts the linker leaves
// out: they are registered by name. (Outside the namespace, as the registration function is.)
static void RegisterProgramIconResources() {
    Q_INIT_RESOURCE(ov2_icon);
}

namespace ov2 {

QIcon ProgramIcon() {
    static const QIcon built = [] {
        RegisterProgramIconResources();
        QIcon icon;
        for (const int size : {16, 32, 48, 64, 128, 256})
            icon.addFile(QStringLiteral(":/ov2/icon/%1.png").arg(size), QSize(size, size));
        return icon;
    }();
    return QIcon::fromTheme(QLatin1String(kProgramIconName), built);
}

}  // namespace ov2
