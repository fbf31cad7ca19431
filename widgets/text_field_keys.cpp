#include "widgets/text_field_keys.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

bool CTextFieldKeys::IsTextField(const QObject* object) {
    if (const auto* line = qobject_cast<const QLineEdit*>(object)) return !line->isReadOnly();
    if (const auto* text = qobject_cast<const QTextEdit*>(object)) return !text->isReadOnly();
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(object)) return !plain->isReadOnly();
    if (const auto* combo = qobject_cast<const QComboBox*>(object)) return combo->isEditable();
    return qobject_cast<const QAbstractSpinBox*>(object) != nullptr;
}

bool CTextFieldKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride || !IsTextField(watched)) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    const bool editingKey =
        (mods == Qt::NoModifier && key->key() == Qt::Key_Delete) ||
        (mods == Qt::ControlModifier &&
         (key->key() == Qt::Key_X || key->key() == Qt::Key_A || key->key() == Qt::Key_Z));
    if (editingKey) key->accept();  // the field gets the key press; no shortcut fires
    if (mods == Qt::ControlModifier && key->key() == Qt::Key_Y) {
        key->ignore();  // the field never sees it, so the command's shortcut fires
        return true;
    }
    return false;
}
