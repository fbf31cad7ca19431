#pragma once

#include <QObject>

// Lets a text field keep its own editing keys (Del, Ctrl+X, Ctrl+A, Ctrl+Z, Ctrl+Y) when they
// are also the window's accelerators: installed on the application, it claims those keys for
// the focused field before any shortcut sees them.
class CTextFieldKeys : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    static bool IsTextField(const QObject* object);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
