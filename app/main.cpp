#include <QApplication>

#include "app/ov2_app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return RunOv2(app);
}
