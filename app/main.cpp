#include <QApplication>

#include "app/ov2_app.h"

int main(int argc, char** argv) {
    // --help and --version answer without a window system.
    if (const std::optional<int> answered = AnswerInformationOptions(argc, argv)) return *answered;
    QApplication app(argc, argv);
    return RunOv2(app);
}
