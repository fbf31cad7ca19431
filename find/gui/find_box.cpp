#include "find/gui/find_box.h"

#include <QKeyEvent>

CFindBox::CFindBox(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("findBox"));
    setPlaceholderText(QStringLiteral("Find files and discs"));
    setClearButtonEnabled(true);
    setToolTip(
        QStringLiteral("Find as you type (Ctrl+F): words, \"phrases\", a|b, !word, *.mp3, "
                       "ext:, size:, dm:, dupe:, disc:, path:, cat:, lent:, folder:, regex:"));
}

void CFindBox::SetMalformed(bool malformed) {
    setStyleSheet(malformed ? QStringLiteral("QLineEdit { border: 1px solid #c01c28; }")
                            : QString());
}

void CFindBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        !text().isEmpty()) {
        clear();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
