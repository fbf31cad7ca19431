#include "cddb/flag_icons.h"

#include <QPainter>
#include <QPixmap>

namespace ov2 {
namespace {

constexpr int kWidth = 18;
constexpr int kHeight = 12;

void Stripes(QPainter& p, std::initializer_list<QColor> colours, bool vertical) {
    const int n = static_cast<int>(colours.size());
    int i = 0;
    for (const QColor& c : colours) {
        if (vertical)
            p.fillRect(QRect(i * kWidth / n, 0, (i + 1) * kWidth / n - i * kWidth / n, kHeight), c);
        else
            p.fillRect(QRect(0, i * kHeight / n, kWidth, (i + 1) * kHeight / n - i * kHeight / n),
                       c);
        ++i;
    }
}

}  // namespace

QIcon FreedbFlagIcon(int row) {
    if (row < 0 || row > 9) return {};
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    const QColor red(0xC8, 0x10, 0x2E), blue(0x01, 0x21, 0x69), white(Qt::white);
    switch (row) {
        case 0:  // the central server: a globe
            p.fillRect(pixmap.rect(), QColor(0x2A, 0x6F, 0xB5));
            p.setPen(QPen(white, 1));
            p.drawEllipse(QRect(5, 1, 9, 9));
            p.drawLine(9, 1, 9, 10);
            p.drawLine(5, 5, 14, 5);
            break;
        case 1:
            Stripes(p, {red, white, red}, false);
            break;  // Austria
        case 2:     // Australia
            p.fillRect(pixmap.rect(), blue);
            p.setPen(red);
            p.drawLine(4, 0, 4, 5);
            p.drawLine(0, 3, 8, 3);
            p.setPen(white);
            for (const QPoint& star :
                 {QPoint(13, 3), QPoint(15, 6), QPoint(12, 8), QPoint(14, 10), QPoint(4, 9)})
                p.drawPoint(star);
            break;
        case 3:
            Stripes(p, {white, QColor(0x00, 0x96, 0x6E), QColor(0xD6, 0x26, 0x12)}, false);
            break;  // Bulgaria
        case 4:     // Canada
            Stripes(p, {red, white, white, red}, true);
            p.fillRect(QRect(7, 4, 4, 4), red);
            break;
        case 5:
            Stripes(p, {Qt::black, QColor(0xDD, 0x00, 0x00), QColor(0xFF, 0xCE, 0x00)}, false);
            break;  // Germany
        case 6:
            Stripes(p,
                    {QColor(0xAA, 0x15, 0x1B), QColor(0xF1, 0xBF, 0x00), QColor(0xF1, 0xBF, 0x00),
                     QColor(0xAA, 0x15, 0x1B)},
                    false);
            break;  // Spain
        case 7:
            Stripes(p, {QColor(0xEF, 0x33, 0x40), white, QColor(0x00, 0xA2, 0xE1)}, false);
            break;  // Luxembourg
        case 8:     // the UK
            p.fillRect(pixmap.rect(), blue);
            p.setPen(QPen(white, 3));
            p.drawLine(0, 0, kWidth, kHeight);
            p.drawLine(0, kHeight, kWidth, 0);
            p.fillRect(QRect(7, 0, 4, kHeight), white);
            p.fillRect(QRect(0, 4, kWidth, 4), white);
            p.fillRect(QRect(8, 0, 2, kHeight), red);
            p.fillRect(QRect(0, 5, kWidth, 2), red);
            break;
        case 9:  // the USA
            for (int i = 0; i < 6; ++i) p.fillRect(QRect(0, i * 2, kWidth, 1), red);
            p.fillRect(QRect(0, 0, 8, 6), blue);
            break;
    }
    p.setPen(QColor(0, 0, 0, 80));
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

}  // namespace ov2
