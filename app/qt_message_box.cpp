#include "app/qt_message_box.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPointer>

#include "platform/message_box.h"

namespace ov2 {
namespace {

QMessageBox::StandardButtons Buttons(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok: return QMessageBox::Ok;
        case MsgButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MsgButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon Icon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::None: return QMessageBox::NoIcon;
        case MsgIcon::Information: return QMessageBox::Information;
        case MsgIcon::Warning: return QMessageBox::Warning;
        case MsgIcon::Error: return QMessageBox::Critical;
        case MsgIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton Button(MsgResult answer) {
    switch (answer) {
        case MsgResult::Ok:
            return QMessageBox::Ok;
        case MsgResult::Cancel:
            return QMessageBox::Cancel;
        case MsgResult::Yes:
            return QMessageBox::Yes;
        case MsgResult::No:
            return QMessageBox::No;
        case MsgResult::Retry:
            return QMessageBox::Retry;
    }
    return QMessageBox::NoButton;
}

MsgResult Result(int button, MsgButtons buttons) {
    switch (button) {
        case QMessageBox::Ok: return MsgResult::Ok;
        case QMessageBox::Yes: return MsgResult::Yes;
        case QMessageBox::No: return MsgResult::No;
        case QMessageBox::Retry: return MsgResult::Retry;
        case QMessageBox::Cancel: return MsgResult::Cancel;
        default: return SafeAnswer(buttons);  // closed without a button
    }
}

}  // namespace

void InstallQtMessageBoxHandler(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    SetMessageBoxHandler([owner](const MessageRequest& request) {
        QMessageBox box(Icon(request.icon), QStringLiteral("Ov2"), QString::fromStdString(request.text),
                        Buttons(request.buttons), owner.data());
        box.setObjectName(QStringLiteral("ov2MessageBox"));
        if (request.defaultAnswer) box.setDefaultButton(Button(*request.defaultAnswer));
        const MsgResult order[] = {MsgResult::Yes, MsgResult::No, MsgResult::Ok, MsgResult::Retry,
                                   MsgResult::Cancel};
        std::size_t next = 0;
        for (MsgResult answer : order)
            if (QAbstractButton* button = box.button(Button(answer));
                button && next < request.labels.size()) {
                // The standard button's icon (a red "No") would say something the words do not.
                button->setText(QString::fromStdString(request.labels[next++]));
                button->setIcon(QIcon());
            }
        return Result(box.exec(), request.buttons);
    });
}

}  // namespace ov2
