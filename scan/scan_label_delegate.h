#pragma once

#include <QStyledItemDelegate>
#include <functional>

// Label editing in the scan dialog's folder tree. An edit never changes the edited item: the
// text the user typed goes to the dialog, which names the disc after it (an edit that ends
// with the text unchanged still counts, as it always has).
class CScanLabelDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using EndEdit = std::function<void(const QModelIndex& index, const QString& text)>;

    CScanLabelDelegate(EndEdit endEdit, QObject* parent);

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    EndEdit m_endEdit;
};
