#include "app/about_dialog.h"

#include <QDialogButtonBox>
#include <QPainter>
#include <QVBoxLayout>

#include "app/program_icon.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(QStringLiteral("About Ov2"));
    setFixedSize(420, 300);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

void CAboutDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QIcon logo = ov2::ProgramIcon();
    painter.drawPixmap(20, 20, logo.pixmap(128, 128));
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(16);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(185, 0, 0));
    painter.drawText(20, 170, QStringLiteral("Ov2 Version 2.0, a catalogue of your discs"));
    painter.drawText(20, 190, QStringLiteral("by the Ov2 developers"));
    painter.setPen(QColor(0, 204, 255));
    painter.drawText(20, 221, QStringLiteral("Help: Help menu, Ov2 Help"));
}
