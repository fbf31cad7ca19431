#pragma once

#include <QObject>

// Lets a text field keep its own editing keys (Del, Ctrl+X, Ctrl+A, Ctrl+Z) when they are also
// the window's accelerators: installed on the application, it claims those keys for the focused
// field before any shortcut sees them. Ctrl+Y is not one of them: redo is Ctrl+Shift+Z here, so
// Ctrl+Y stays the CD Scan command even in a field whose style would take it for redo.
class CTextFieldKeys : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    static bool IsTextField(const QObject* object);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
