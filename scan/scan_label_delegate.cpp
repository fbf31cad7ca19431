#include "scan/scan_label_delegate.h"

#include <QLineEdit>

CScanLabelDelegate::CScanLabelDelegate(EndEdit endEdit, QObject* parent)
    : QStyledItemDelegate(parent), m_endEdit(std::move(endEdit)) {}

void CScanLabelDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                      const QModelIndex& index) const {
    const auto* line = qobject_cast<QLineEdit*>(editor);
    if (line && m_endEdit) m_endEdit(index, line->text());
}
